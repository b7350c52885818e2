#pragma once

#include <functional>

class QMainWindow;

namespace inkwarden {

class LoginItem;
class SpellChecker;
class WritingStore;

// The writer window's menus: File, Edit, Write, View and Help, with their
// shortcuts. Each command is a thin call into the store, the spell checker
// or an editor request; "Quit" hands over to `quit`; "Start at Login"
// reflects and sets `loginItem`, which must outlive the window; "Your
// Progress…" hands over to `showProgress`; Edit ▸ Spelling follows
// `spelling`. Each of the last three may be absent. Main thread.
void installMenuCommands(QMainWindow& window, WritingStore& store, std::function<void()> quit,
                         LoginItem* loginItem = nullptr, std::function<void()> showProgress = {},
                         SpellChecker* spelling = nullptr);

} // namespace inkwarden
