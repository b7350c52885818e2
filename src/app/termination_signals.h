#pragma once

#include <QObject>
#include <functional>
#include <signal.h>

class QSocketNotifier;

namespace inkwarden {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread: the handler only
// writes a byte to a socket pair, which a notifier reads in the event loop.
// One at a time per process; puts the previous handlers back when destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the socket pair or a handler could not be set up.
    bool isInstalled() const { return m_installed; }

private:
    void install();
    void drain();

    std::function<void()> m_onSignal;
    int m_sockets[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
    struct sigaction m_previousTerm = {};
    struct sigaction m_previousInt = {};
    struct sigaction m_previousHup = {};
};

} // namespace inkwarden
