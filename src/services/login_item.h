#pragma once

namespace inkwarden {

enum class LoginItemStatus { NotRegistered, Enabled, RequiresApproval, NotFound, Other };

// The application's own entry among the programs the desktop starts at login.
// Adds it once by itself; turning it off or on again is the user's choice.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual LoginItemStatus status() = 0;
    // True once the entry is in place; false leaves everything as it was.
    virtual bool registerItem() = 0;
    // Our own enabled entry whose program is gone now starts this one; true
    // when it was rewritten. A user's own or disabled entry is never touched.
    virtual bool followThisProgram() { return false; }
    // The user's choice: starts at login or not; true when that now holds.
    virtual bool setEnabled(bool enabled) {
        return enabled == (status() == LoginItemStatus::Enabled);
    }
};

} // namespace inkwarden
