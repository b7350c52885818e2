#include "services/linux/qt_window_system.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace inkwarden {
namespace {

bool isListed(const QWidget* widget) {
    const Qt::WindowType type = widget->windowType();
    return widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop;
}

bool canBecomeKey(const QWidget* widget) {
    const Qt::WindowType type = widget->windowType();
    const bool isNormal = type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet;
    return isNormal && widget->isEnabled() &&
           !widget->testAttribute(Qt::WA_ShowWithoutActivating) &&
           !widget->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

// Widgets with a platform window come first, in the order Qt lists those
// windows (the order they were created); the others keep QApplication's order.
QList<QWidget*> listedWidgetsInOrder() {
    QList<QWidget*> widgets;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    std::copy_if(topLevels.cbegin(), topLevels.cend(), std::back_inserter(widgets), isListed);
    const QWindowList platformWindows = QGuiApplication::topLevelWindows();
    const auto rank = [&platformWindows](const QWidget* widget) {
        const qsizetype index =
            widget->windowHandle() ? platformWindows.indexOf(widget->windowHandle()) : -1;
        return index < 0 ? platformWindows.size() : index;
    };
    std::stable_sort(widgets.begin(), widgets.end(),
                     [&rank](QWidget* left, QWidget* right) { return rank(left) < rank(right); });
    return widgets;
}

// The id is the widget's address, looked up among the live top-level widgets,
// so a destroyed window's id finds nothing.
QWidget* widgetFor(WindowSystem::WindowId id) {
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    const auto found = std::find_if(topLevels.cbegin(), topLevels.cend(), [id](QWidget* widget) {
        return QtWindowSystem::idOf(widget) == id && isListed(widget);
    });
    return found == topLevels.cend() ? nullptr : *found;
}

} // namespace

QtWindowSystem::QtWindowSystem(QString ownApplicationId, QObject* parent)
    : WindowSystem(parent)
    , m_ownApplicationId(std::move(ownApplicationId)) {
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                &QtWindowSystem::applicationStateChanged);
}

WindowSystem::WindowId QtWindowSystem::idOf(const QWidget* widget) {
    return reinterpret_cast<WindowId>(widget);
}

QList<WindowSystem::Window> QtWindowSystem::windows() const {
    QList<Window> windows;
    const QList<QWidget*> widgets = listedWidgetsInOrder();
    for (const QWidget* widget : widgets)
        windows.append({idOf(widget), widget->windowTitle(), widget->isVisible(),
                        canBecomeKey(widget), widget->isFullScreen(), widget->objectName()});
    return windows;
}

void QtWindowSystem::activateApplication() {}

// A minimised window is restored to the state it had (full screen stays full
// screen); showNormal() would drop that state.
void QtWindowSystem::raiseAndFocus(WindowId window) {
    QWidget* widget = widgetFor(window);
    if (!widget)
        return;
    if (widget->isMinimized())
        widget->setWindowState((widget->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (!widget->isVisible())
        widget->show();
    widget->raise();
    // In Qt 6 this is QWindow::requestActivate() on the widget's window: one
    // activation request per call.
    widget->activateWindow();
}

void QtWindowSystem::toggleFullScreen(WindowId window) {
    QWidget* widget = widgetFor(window);
    if (!widget)
        return;
    // Only the full-screen flag changes, so a maximised window comes back maximised.
    widget->setWindowState(widget->windowState() ^ Qt::WindowFullScreen);
    widget->show();
}

// Qt has no "which application" on X11 or Wayland: becoming inactive is all it
// tells, so another application is reported without an id.
void QtWindowSystem::applicationStateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationInactive)
        Q_EMIT applicationActivated(QString());
    else if (state == Qt::ApplicationActive)
        Q_EMIT applicationActivated(m_ownApplicationId);
}

} // namespace inkwarden
