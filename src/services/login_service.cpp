#include "services/login_service.h"

#include "store/settings_store.h"

#include <utility>

namespace inkwarden {
namespace {

// An item held for the user's approval is theirs to decide on: done for us.
bool countsAsDone(LoginItemStatus status) {
    return status == LoginItemStatus::Enabled || status == LoginItemStatus::RequiresApproval;
}

} // namespace

LoginService::LoginService(SettingsStore& defaults, QString defaultRegistrationKey, LoginItem& item)
    : m_defaults(defaults)
    , m_defaultRegistrationKey(std::move(defaultRegistrationKey))
    , m_item(item) {}

bool LoginService::enableByDefaultIfNeeded() {
    // A program that moved (a new install path) takes its entry with it.
    m_item.followThisProgram();
    if (m_defaults.boolean(m_defaultRegistrationKey).value_or(false))
        return false;
    const LoginItemStatus status = m_item.status();
    if (countsAsDone(status)) {
        markDone();
        return false;
    }
    if (status != LoginItemStatus::NotRegistered && status != LoginItemStatus::NotFound)
        return false;
    // A failed attempt may still have left the item in place (or another
    // process registered it meanwhile); only the status after it tells.
    const bool registered = m_item.registerItem();
    if (registered || countsAsDone(m_item.status()))
        markDone();
    return registered;
}

void LoginService::markDone() {
    m_defaults.setBoolean(m_defaultRegistrationKey, true);
}

} // namespace inkwarden
