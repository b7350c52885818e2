#pragma once

#include <QPointer>
#include <QStringList>
#include <functional>

namespace inkwarden {

class WritingStore;

// Decides whether the application may quit: first about a running session,
// then about unsaved writing; only when both allow it is the quit approved
// and a running session ended early. Every way out goes through here.
// Main thread; holds the store weakly.
class AppDelegate {
public:
    // Shows a modal question; answers the index of the chosen button, or -1.
    using Ask = std::function<int(const QString& message, const QString& informative,
                                  const QStringList& buttons)>;

    explicit AppDelegate(Ask ask);

    void setStore(WritingStore* store) { m_store = store; }
    // True when the application may end now.
    bool applicationShouldTerminate();

private:
    Ask m_ask;
    QPointer<WritingStore> m_store;
};

} // namespace inkwarden
