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

void LoginService::enableByDefaultIfNeeded() {
    if (m_defaults.boolean(m_defaultRegistrationKey).value_or(false))
        return;
    const LoginItemStatus status = m_item.status();
    if (countsAsDone(status)) {
        markDone();
        return;
    }
    if (status != LoginItemStatus::NotRegistered && status != LoginItemStatus::NotFound)
        return;
    // A failed attempt may still have left the item in place (or another
    // process registered it meanwhile); only the status after it tells.
    if (m_item.registerItem() || countsAsDone(m_item.status()))
        markDone();
}

void LoginService::markDone() {
    m_defaults.setBoolean(m_defaultRegistrationKey, true);
}

} // namespace inkwarden
