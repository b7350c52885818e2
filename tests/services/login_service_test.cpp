#include "fakes/fake_login_item.h"
#include "services/login_service.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using Status = LoginItemStatus;
const QString& kMarker = keys::kDidRegisterLoginItemByDefault;
const QString kStatus = QStringLiteral("status");
const QString kRegister = QStringLiteral("register");

// One launch: the settings read afresh from disk and a fresh service, as at
// start-up. Returns the marker as stored afterwards.
std::optional<bool> launch(LoginItem& item) {
    SettingsStore defaults(SettingsStore::defaultFilePath());
    LoginService(defaults, kMarker, item).enableByDefaultIfNeeded();
    return SettingsStore(SettingsStore::defaultFilePath()).boolean(kMarker);
}

// Each status with the marker absent, set, or stored as text (which counts as absent).
TEST(LoginServiceTest, LaunchFollowsTheStatusTable) {
    const QList<std::tuple<Status, QStringList, std::optional<bool>>> rows = {
        {Status::NotRegistered, {kStatus, kRegister}, true},
        {Status::NotFound, {kStatus, kRegister}, true},
        {Status::Enabled, {kStatus}, true},
        {Status::RequiresApproval, {kStatus}, true},
        {Status::Other, {kStatus}, std::nullopt},
    };
    for (const auto& [status, calls, marker] : rows) {
        for (const char* earlier : {"none", "set", "text"}) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(status) << " " << earlier);
            testing::TempHome home;
            SettingsStore store(SettingsStore::defaultFilePath());
            const bool marked = qstrcmp(earlier, "set") == 0;
            if (marked)
                store.setBoolean(kMarker, true);
            else if (qstrcmp(earlier, "text") == 0)
                store.setString(kMarker, QStringLiteral("true"));
            testing::FakeLoginItem item;
            item.current = status;
            EXPECT_EQ(launch(item), marked ? true : marker);
            EXPECT_EQ(item.calls, marked ? QStringList() : calls);
        }
    }
}

TEST(LoginServiceTest, FailedRegistrationIsRetriedUntilTheItemIsInPlace) {
    testing::TempHome home;
    testing::FakeLoginItem item;
    item.registrationSucceeds = false;
    for (int launchNumber = 0; launchNumber < 2; ++launchNumber) {
        item.calls.clear();
        EXPECT_EQ(launch(item), std::nullopt);
        EXPECT_EQ(item.calls, (QStringList{kStatus, kRegister, kStatus}));
    }
    // The attempt failed, yet the item is there now (registered by another process).
    item.statusAfterFailure = Status::Enabled;
    EXPECT_EQ(launch(item), true);
}

} // namespace
} // namespace inkwarden
