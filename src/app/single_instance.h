#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace inkwarden {

// Keeps Inkwarden to one process per user: the first launch listens on a
// private local socket; a later launch asks it to come to the front and then
// exits. Main thread; owns the server socket while this process is primary.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Launch {
        Primary,    // nobody else runs: this process goes on
        HandedOver, // the running instance took over: exit now
        Unanswered, // an instance holds the socket but gave no answer we know
        Unsafe,     // the socket's folder is not this user's alone: see unsafeFolderReason()
    };

    static constexpr int kAnswerMilliseconds = 3000;

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // In the user's runtime folder, which only the user can enter; without
    // one, in a folder of the user's own under /tmp.
    static QString defaultSocketPath();

    Launch tryBecomePrimary();
    // Why the socket's folder was refused, for the person starting the program.
    QString unsafeFolderReason() const;
    bool isPrimary() const { return m_server != nullptr; }
    const QString& socketPath() const { return m_socketPath; }

Q_SIGNALS:
    // A later launch handed over; the writer should come to the front.
    void activationRequested();

private:
    // Asks the running instance to come to the front; whether it said it would.
    bool handOver();
    bool listen();
    void listenAgainIfClosed();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    int m_primaryLock = -1; // held while this process is primary, whatever happens to the socket
};

} // namespace inkwarden
