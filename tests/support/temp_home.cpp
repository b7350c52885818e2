#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden::testing {
namespace {

const QList<QByteArray> kVariables = {"HOME",
                                      "XDG_CONFIG_HOME",
                                      "XDG_DATA_HOME",
                                      "XDG_CACHE_HOME",
                                      "XDG_STATE_HOME",
                                      "XDG_RUNTIME_DIR",
                                      "DBUS_SESSION_BUS_ADDRESS",
                                      "DBUS_SYSTEM_BUS_ADDRESS",
                                      "ENCHANT_CONFIG_DIR"};

} // namespace

TempHome::TempHome() {
    if (!m_folder.isValid())
        ADD_FAILURE() << "cannot create a temporary home";
    const QMap<QByteArray, QString> folders = {
        {"HOME", path()},
        {"XDG_CONFIG_HOME", configHome()},
        {"XDG_DATA_HOME", dataHome()},
        {"XDG_CACHE_HOME", path() + QStringLiteral("/cache")},
        {"XDG_STATE_HOME", path() + QStringLiteral("/state")},
        {"XDG_RUNTIME_DIR", path() + QStringLiteral("/runtime")},
        // Enchant's personal word lists: GLib reads XDG_CONFIG_HOME only once a process.
        {"ENCHANT_CONFIG_DIR", configHome() + QStringLiteral("/enchant")},
    };
    // No test may reach the desktop's buses: both point at a socket that is not there.
    const QByteArray noBus = "unix:path=" + QFile::encodeName(path()) + "/no-bus";
    for (const QByteArray& name : kVariables) {
        if (qEnvironmentVariableIsSet(name.constData()))
            m_previous.insert(name, qgetenv(name.constData()));
        if (name.startsWith("DBUS_")) {
            qputenv(name.constData(), noBus);
            continue;
        }
        const QString folder = folders.value(name);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        qputenv(name.constData(), QFile::encodeName(folder));
    }
}

TempHome::~TempHome() {
    for (const QByteArray& name : kVariables) {
        if (m_previous.contains(name))
            qputenv(name.constData(), m_previous.value(name));
        else
            qunsetenv(name.constData());
    }
}

} // namespace inkwarden::testing
