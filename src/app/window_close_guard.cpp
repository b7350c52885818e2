#include "app/window_close_guard.h"

#include "store/writing_store.h"

#include <QCloseEvent>
#include <QWidget>

namespace inkwarden {

WindowCloseGuard::WindowCloseGuard(WritingStore& store, QWidget& window)
    : QObject(&window)
    , m_store(&store) {
    window.installEventFilter(this);
}

bool WindowCloseGuard::windowShouldClose() {
    if (!m_store || m_store->isTerminationApproved())
        return true;
    return m_store->newDocument();
}

bool WindowCloseGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Close || watched != parent())
        return QObject::eventFilter(watched, event);
    // A refusal made before us stands.
    if (!event->isAccepted())
        return true;
    if (!windowShouldClose()) {
        event->ignore();
        return true;
    }
    return false;
}

} // namespace inkwarden
