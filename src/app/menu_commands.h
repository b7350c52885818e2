#pragma once

#include <functional>

class QMainWindow;

namespace inkwarden {

class LoginItem;
class WritingStore;

// The writer window's menus: File, Edit, Write, View and Help, with their
// shortcuts. Each command is a thin call into the store or an editor
// request; "Quit" hands over to `quit`; "Start at Login" reflects and sets
// `loginItem`, if given, which must outlive the window; "Your Progress…"
// hands over to `showProgress` (absent: no such command). Main thread.
void installMenuCommands(QMainWindow& window, WritingStore& store, std::function<void()> quit,
                         LoginItem* loginItem = nullptr, std::function<void()> showProgress = {});

} // namespace inkwarden
