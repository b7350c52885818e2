#include "app/termination_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace inkwarden {
namespace {

// Read by the handler, so it must be a plain integer set before installing.
volatile sig_atomic_t gWriteSocket = -1;

// Only async-signal-safe calls here. The write end is non-blocking: if the
// pair is full, a wake-up is already on its way.
extern "C" void wakeMainThread(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (::write(gWriteSocket, &byte, 1) < 0) {
        // Nothing more can be done inside a handler.
    }
    errno = savedErrno;
}

bool setHandler(int signal, struct sigaction* previous) {
    struct sigaction action = {};
    action.sa_handler = wakeMainThread;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, previous) == 0;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal)) {
    install();
}

void TerminationSignals::install() {
    if (gWriteSocket != -1) {
        qWarning("Inkwarden: termination signals are already being handled");
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_sockets) != 0) {
        qWarning("Inkwarden cannot watch for termination signals: %s", std::strerror(errno));
        return;
    }
    gWriteSocket = m_sockets[0];
    m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    const bool term = setHandler(SIGTERM, &m_previousTerm);
    const bool interrupt = setHandler(SIGINT, &m_previousInt);
    // Closing the terminal the program was started from: by default it would
    // end the process on the spot, with untitled writing in it.
    const bool hangUp = setHandler(SIGHUP, &m_previousHup);
    m_installed = term && interrupt && hangUp;
    if (!m_installed)
        qWarning("Inkwarden cannot handle termination signals: %s", std::strerror(errno));
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    ::sigaction(SIGTERM, &m_previousTerm, nullptr);
    ::sigaction(SIGINT, &m_previousInt, nullptr);
    ::sigaction(SIGHUP, &m_previousHup, nullptr);
    gWriteSocket = -1;
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

void TerminationSignals::drain() {
    char bytes[16];
    while (::read(m_sockets[1], bytes, sizeof bytes) > 0) {
    }
    // Several signals in a row are one request to end.
    if (m_onSignal)
        m_onSignal();
}

} // namespace inkwarden
