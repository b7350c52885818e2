#pragma once

#include "services/window_system.h"

#include <QStringList>

namespace inkwarden::testing {

// A window system the test lays out by hand in `windowList`. Records every
// request in order ("activate", "raise 2", "toggle 2"); raising shows the
// window and toggling flips its full-screen state, as a real one would.
class FakeWindowSystem final : public WindowSystem {
public:
    QList<Window> windowList;
    QStringList requests;

    QList<Window> windows() const override { return windowList; }
    void activateApplication() override { requests.append(QStringLiteral("activate")); }
    void raiseAndFocus(WindowId id) override {
        requests.append(QStringLiteral("raise %1").arg(id));
        for (Window& window : windowList)
            window.isVisible = window.isVisible || window.id == id;
    }
    void toggleFullScreen(WindowId id) override {
        requests.append(QStringLiteral("toggle %1").arg(id));
        for (Window& window : windowList)
            window.isFullScreen = window.isFullScreen != (window.id == id);
    }

    // Another application (or ours) came to the front.
    void activate(const QString& applicationId) { Q_EMIT applicationActivated(applicationId); }
    int activationReceivers() const { return receivers(SIGNAL(applicationActivated(QString))); }
};

} // namespace inkwarden::testing
