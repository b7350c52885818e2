#pragma once

#include <QObject>
#include <QPointer>

namespace inkwarden {

class WritingStore;

// Decides whether the writer window may close: after an approved quit it
// simply does; otherwise only when unsaved writing has been dealt with, and
// then the store is left on an empty untitled document. Installed on the
// window as an event filter before the window is first shown. Main thread.
class WindowCloseGuard final : public QObject {
    Q_OBJECT
public:
    WindowCloseGuard(WritingStore& store, QWidget& window);

    bool windowShouldClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<WritingStore> m_store;
};

} // namespace inkwarden
