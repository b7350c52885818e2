#pragma once

#include "services/login_item.h"

#include <QString>

namespace inkwarden {

// The login item as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/inkwarden.desktop,
// starting the given executable. Writes the entry only where none exists, so the
// user's own entry, enabled or disabled, is never changed. Main thread.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // `executablePath` is the absolute path of the program to start at login.
    explicit XdgAutostartLoginItem(QString executablePath);

    // Follows XDG_CONFIG_HOME at each call; empty when there is no config folder.
    static QString entryPath();

    LoginItemStatus status() override;
    bool registerItem() override;

private:
    bool executableFound() const;
    QByteArray entryContents() const;

    QString m_executablePath;
};

} // namespace inkwarden
