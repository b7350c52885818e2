#pragma once

#include "services/window_system.h"

class QWidget;

namespace inkwarden {

// The window system as Qt Widgets sees it: the application's top-level
// widgets, and QGuiApplication's application state for "another application
// came to the front". Every request is made once; the window manager may
// refuse to move the focus (focus-stealing prevention), and nothing here
// asks again. Main thread.
class QtWindowSystem final : public WindowSystem {
    Q_OBJECT
public:
    // `ownApplicationId` is reported when this application becomes active.
    explicit QtWindowSystem(QString ownApplicationId = QStringLiteral("inkwarden"),
                            QObject* parent = nullptr);

    // Top-level widgets other than popups, tool tips and the desktop, in the
    // order Qt lists their platform windows (the order they were created);
    // widgets never shown come last.
    QList<Window> windows() const override;
    // Does nothing: on X11 and Wayland activation is asked for per window,
    // which raiseAndFocus does.
    void activateApplication() override;
    void raiseAndFocus(WindowId window) override;
    void toggleFullScreen(WindowId window) override;

    static WindowId idOf(const QWidget* widget);

private:
    void applicationStateChanged(Qt::ApplicationState state);

    QString m_ownApplicationId;
};

} // namespace inkwarden
