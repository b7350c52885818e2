#include "fakes/fake_login_item.h"
#include "services/login_service.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using Status = LoginItemStatus;

// Two launches, each reading the settings afresh from disk. Once registered
// or found in place, the item is never touched again, so a user who removes
// it keeps it removed; otherwise the next launch tries again.
TEST(LoginService, RegistersOnceWhereThatSucceedsOrIsFoundInPlace) {
    // status, registering works, status after a failed attempt; tries, done
    const QList<std::tuple<Status, bool, std::optional<Status>, bool, bool>> rows = {
        {Status::NotRegistered, true, {}, true, true},
        {Status::NotRegistered, false, {}, true, false},
        {Status::NotRegistered, false, Status::Enabled, true, true}, // another process was quicker
        {Status::Enabled, false, {}, false, true},
        {Status::RequiresApproval, false, {}, false, true},
        {Status::Other, true, {}, false, false},
    };
    int row = 0;
    for (const auto& [status, succeeds, afterFailure, tries, done] : rows) {
        SCOPED_TRACE(row++);
        QTemporaryDir folder;
        testing::FakeLoginItem item;
        item.current = status;
        item.registrationSucceeds = succeeds;
        item.statusAfterFailure = afterFailure;
        for (const bool firstLaunch : {true, false}) {
            SettingsStore defaults(folder.filePath(QStringLiteral("defaults.json")));
            item.calls.clear();
            const bool registered =
                LoginService(defaults, keys::kDidRegisterLoginItemByDefault, item)
                    .enableByDefaultIfNeeded();
            EXPECT_EQ(item.calls.contains(QStringLiteral("register")),
                      tries && (firstLaunch || !done));
            EXPECT_EQ(registered, tries && succeeds && firstLaunch) << "told once, when it was";
            EXPECT_EQ(defaults.boolean(keys::kDidRegisterLoginItemByDefault).value_or(false), done);
            if (done)
                item.current = Status::NotRegistered; // removed by the user
        }
    }
}

} // namespace
} // namespace inkwarden
