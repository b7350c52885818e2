#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace inkwarden::testing {

// A dbus-daemon of the test's own, so no test reaches the real session or
// system bus. Stopped when destroyed.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return m_address; }
    // A fresh client connection with its own unique name.
    QDBusConnection connect(const QString& connectionName);

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connectionNames;
};

} // namespace inkwarden::testing
