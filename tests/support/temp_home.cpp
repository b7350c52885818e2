#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden::testing {

TempHome::TempHome() {
    if (!m_folder.isValid())
        ADD_FAILURE() << "cannot create a temporary home";
    // No test may reach the desktop's buses: both point at a socket that is not there.
    const QString noBus = QStringLiteral("unix:path=") + path() + QStringLiteral("/no-bus");
    const QMap<QByteArray, QString> variables = {
        {"HOME", path()},
        {"XDG_CONFIG_HOME", configHome()},
        {"XDG_DATA_HOME", dataHome()},
        {"XDG_CACHE_HOME", path() + QStringLiteral("/cache")},
        {"XDG_STATE_HOME", path() + QStringLiteral("/state")},
        {"XDG_RUNTIME_DIR", path() + QStringLiteral("/runtime")},
        // Enchant's personal word lists: GLib reads XDG_CONFIG_HOME only once a process.
        {"ENCHANT_CONFIG_DIR", configHome() + QStringLiteral("/enchant")},
        {"DBUS_SESSION_BUS_ADDRESS", noBus},
        {"DBUS_SYSTEM_BUS_ADDRESS", noBus},
    };
    for (auto [name, value] : variables.asKeyValueRange()) {
        m_previous.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                : std::nullopt);
        if (!name.startsWith("DBUS_")) {
            QDir().mkpath(value);
            QFile::setPermissions(value, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv(name, QFile::encodeName(value));
    }
}

TempHome::~TempHome() {
    for (const auto& [name, previous] : m_previous.asKeyValueRange())
        previous ? qputenv(name, *previous) : qunsetenv(name);
}

} // namespace inkwarden::testing
