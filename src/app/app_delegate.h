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
    // For an end nobody can be asked about (a signal, a logout without
    // interaction): keeps unsaved writing in the library or its own file,
    // approves the quit and ends a running session early. False when the
    // writing could not be written anywhere.
    bool endWithoutAsking();

private:
    Ask m_ask;
    QPointer<WritingStore> m_store;
};

} // namespace inkwarden
