#pragma once

namespace inkwarden {

enum class LoginItemStatus { NotRegistered, Enabled, RequiresApproval, NotFound, Other };

// The application's own entry among the programs the desktop starts at login.
// Only reads it and adds it; removing it is left to the user.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual LoginItemStatus status() = 0;
    // True once the entry is in place; false leaves everything as it was.
    virtual bool registerItem() = 0;
};

} // namespace inkwarden
