#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace inkwarden {

// Keeps Inkwarden to one process per user: the first launch listens on a
// private local socket; a later launch asks it to come to the front, with the
// launch's activation token when it has one (Wayland), and then exits, and the
// reminder mode hands it a daily reminder to show. Main thread; owns the
// server socket while this process is primary.
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

    // `activationToken` is the desktop's permission to bring a window to the
    // front (XDG_ACTIVATION_TOKEN), passed on when another instance runs.
    Launch tryBecomePrimary(const QString& activationToken = QString());
    // Asks the running instance to show the daily reminder of this name;
    // false when none runs or it did not take it.
    bool handOverReminder(const QString& name);
    // Why the socket's folder was refused, for the person starting the program.
    QString unsafeFolderReason() const;
    bool isPrimary() const { return m_server != nullptr; }
    const QString& socketPath() const { return m_socketPath; }

Q_SIGNALS:
    // A later launch handed over; the writer should come to the front, with
    // this token when the launch had one.
    void activationRequested(const QString& activationToken);
    // The system's timer handed over the daily reminder of this name.
    void reminderRequested(const QString& name);

private:
    // Sends the running instance one request; whether it said it would do it.
    bool handOver(const QByteArray& request);
    bool listen();
    void listenAgainIfClosed();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    int m_primaryLock = -1; // held while this process is primary, whatever happens to the socket
};

} // namespace inkwarden
