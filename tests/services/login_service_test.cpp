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

// One launch: the settings read afresh from disk and a fresh service, as at start-up.
void launch(LoginItem& item) {
    SettingsStore defaults(SettingsStore::defaultFilePath());
    LoginService(defaults, kMarker, item).enableByDefaultIfNeeded();
}

std::optional<bool> storedMarker() {
    return SettingsStore(SettingsStore::defaultFilePath()).boolean(kMarker);
}

// Each status with the marker absent, true, or of another kind (which counts as absent).
TEST(LoginServiceTest, LaunchFollowsTheStatusTable) {
    const QList<std::tuple<Status, bool, std::optional<bool>>> rows = {
        // status, registers, marker afterwards
        {Status::NotRegistered, true, true},     {Status::Enabled, false, true},
        {Status::RequiresApproval, false, true}, {Status::NotFound, true, true},
        {Status::Other, false, std::nullopt},
    };
    for (const auto& [status, registers, marker] : rows) {
        for (const QString& earlier : {QString(), QStringLiteral("bool"), QStringLiteral("text")}) {
            SCOPED_TRACE(::testing::Message()
                         << static_cast<int>(status) << " " << earlier.toStdString());
            testing::TempHome home;
            SettingsStore store(SettingsStore::defaultFilePath());
            if (earlier == QStringLiteral("bool"))
                store.setBoolean(kMarker, true);
            else if (earlier == QStringLiteral("text"))
                store.setString(kMarker, QStringLiteral("true"));
            testing::FakeLoginItem item;
            item.current = status;
            launch(item);
            const bool marked = earlier == QStringLiteral("bool");
            EXPECT_EQ(item.calls.count(kStatus), marked ? 0 : 1);
            EXPECT_EQ(item.calls.count(kRegister), !marked && registers ? 1 : 0);
            EXPECT_EQ(storedMarker(), marked ? true : marker);
        }
    }
}

TEST(LoginServiceTest, FailedRegistrationIsRetriedUntilTheItemIsInPlace) {
    testing::TempHome home;
    testing::FakeLoginItem item;
    item.registrationSucceeds = false;
    for (int launchNumber = 0; launchNumber < 2; ++launchNumber) {
        item.calls.clear();
        launch(item);
        EXPECT_EQ(item.calls, (QStringList{kStatus, kRegister, kStatus}));
        EXPECT_FALSE(SettingsStore(SettingsStore::defaultFilePath()).contains(kMarker));
    }
    // The attempt failed, yet the item is there now (registered by another process).
    item.statusAfterFailure = Status::Enabled;
    launch(item);
    EXPECT_EQ(storedMarker(), true);
}

} // namespace
} // namespace inkwarden
