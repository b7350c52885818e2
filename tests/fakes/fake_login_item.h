#pragma once

#include "services/login_item.h"

#include <QStringList>
#include <optional>

namespace inkwarden::testing {

// A login item in the state the test puts it in. A successful registration
// enables it; a failed one moves it to `statusAfterFailure`, if set.
struct FakeLoginItem final : LoginItem {
    LoginItemStatus current = LoginItemStatus::NotRegistered;
    bool registrationSucceeds = true;
    std::optional<LoginItemStatus> statusAfterFailure;
    QStringList calls; // "status" and "register", in order

    LoginItemStatus status() override {
        calls.append(QStringLiteral("status"));
        return current;
    }
    bool registerItem() override {
        calls.append(QStringLiteral("register"));
        current =
            registrationSucceeds ? LoginItemStatus::Enabled : statusAfterFailure.value_or(current);
        return registrationSucceeds;
    }
};

} // namespace inkwarden::testing
