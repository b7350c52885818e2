#pragma once

#include "services/window_system.h"

#include <QStringList>
#include <algorithm>

namespace inkwarden::testing {

// A window system the test lays out by hand. Records every request in order
// ("activate", "raise 2", "toggle 2"); raising shows the window and toggling
// flips its full-screen state, as a real one would.
class FakeWindowSystem final : public WindowSystem {
public:
    QList<Window> windowList;
    QStringList requests;

    Window& addWindow(const QString& title, bool isVisible = true, bool isFullScreen = false) {
        windowList.append({m_nextId++, title, isVisible, true, isFullScreen});
        return windowList.last();
    }

    QList<Window> windows() const override { return windowList; }
    void activateApplication() override { requests.append(QStringLiteral("activate")); }
    void raiseAndFocus(WindowId id) override {
        requests.append(QStringLiteral("raise %1").arg(id));
        if (Window* window = find(id))
            window->isVisible = true;
    }
    void toggleFullScreen(WindowId id) override {
        requests.append(QStringLiteral("toggle %1").arg(id));
        if (Window* window = find(id))
            window->isFullScreen = !window->isFullScreen;
    }

    // Another application (or ours) came to the front.
    void activate(const QString& applicationId) { Q_EMIT applicationActivated(applicationId); }
    int activationReceivers() const { return receivers(SIGNAL(applicationActivated(QString))); }

private:
    Window* find(WindowId id) {
        const auto found = std::find_if(windowList.begin(), windowList.end(),
                                        [id](const Window& window) { return window.id == id; });
        return found == windowList.end() ? nullptr : &*found;
    }

    WindowId m_nextId = 1;
};

} // namespace inkwarden::testing
