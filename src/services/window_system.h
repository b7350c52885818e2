#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace inkwarden {

// The application's own windows and the desktop's notion of which application
// is in front, as the focus service needs them. Main thread.
class WindowSystem : public QObject {
    Q_OBJECT
public:
    // Names one window while it exists; an id whose window is gone is
    // ignored. Ids are read afresh for each use, never kept.
    using WindowId = quintptr;

    struct Window {
        WindowId id = 0;
        QString title;
        bool isVisible = false;
        bool canBecomeKey = false; // can take keyboard focus when shown
        bool isFullScreen = false;
        QString name; // the program's own name for it, whatever its title says
        friend bool operator==(const Window&, const Window&) = default;
    };

    using QObject::QObject;

    // The application's windows, in the window system's order.
    virtual QList<Window> windows() const = 0;
    // Asks for the application to come to the front.
    virtual void activateApplication() = 0;
    // Shows the window if needed, puts it on top and asks for keyboard focus.
    virtual void raiseAndFocus(WindowId window) = 0;
    // Switches the window into full screen, or out of it.
    virtual void toggleFullScreen(WindowId window) = 0;

Q_SIGNALS:
    // An application came to the front: `applicationId` names it, empty when
    // the window system cannot tell which.
    void applicationActivated(const QString& applicationId);
};

} // namespace inkwarden
