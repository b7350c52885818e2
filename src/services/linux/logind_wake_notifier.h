#pragma once

#include "store/store_services.h"

#include <QDBusConnection>

namespace inkwarden {

// Wake from sleep as logind reports it: PrepareForSleep(false) on
// org.freedesktop.login1.Manager. Without a bus or without logind nothing is
// registered and nothing is ever reported. Main thread.
class LogindWakeNotifier final : public WakeNotifier {
    Q_OBJECT
public:
    explicit LogindWakeNotifier(QDBusConnection bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);

    bool isRegistered() const { return m_isRegistered; }

private:
    Q_SLOT void prepareForSleep(bool goingToSleep);

    bool m_isRegistered = false;
};

} // namespace inkwarden
