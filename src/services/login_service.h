#pragma once

#include "services/login_item.h"

#include <QString>

namespace inkwarden {

class SettingsStore;

// Registers the application as a login item once, on the first launch where
// that succeeds or is found done, and never again, so a user who removes the
// item keeps it removed. Failures are silent and retried next launch. Main thread.
class LoginService {
public:
    LoginService(SettingsStore& defaults, QString defaultRegistrationKey, LoginItem& item);

    // True when this call registered the item: the one time to tell the user.
    bool enableByDefaultIfNeeded();

private:
    void markDone();

    SettingsStore& m_defaults;
    const QString m_defaultRegistrationKey;
    LoginItem& m_item;
};

} // namespace inkwarden
