#pragma once

#include "services/login_item.h"

#include <QString>

namespace inkwarden {

// The login item as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/inkwarden.desktop,
// starting the given executable. Writes the entry by itself only where none
// exists or ours points at a program that is gone, so the user's own entry,
// enabled or disabled, is never changed unasked. Main thread.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // `executablePath` is the absolute path of the program to start at login;
    // a program that is not installed (one run from its build folder) never
    // writes an entry that would outlive the build.
    explicit XdgAutostartLoginItem(QString executablePath, bool installed = true);

    // Follows XDG_CONFIG_HOME at each call; empty when there is no config folder.
    static QString entryPath();

    LoginItemStatus status() override;
    bool registerItem() override;
    bool followThisProgram() override;
    bool setEnabled(bool enabled) override;

private:
    bool executableFound() const;
    QByteArray entryContents(bool hidden = false) const;

    QString m_executablePath;
    bool m_installed;
};

} // namespace inkwarden
