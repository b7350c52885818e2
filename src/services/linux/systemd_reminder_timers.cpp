#include "services/linux/systemd_reminder_timers.h"

#include "documents/atomic_file.h"

#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace inkwarden {
namespace {

const QString kManager = QStringLiteral("org.freedesktop.systemd1");
constexpr int kCallTimeoutMilliseconds = 25'000;

QDBusMessage managerCall(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kManager, QStringLiteral("/org/freedesktop/systemd1"),
                                       QStringLiteral("org.freedesktop.systemd1.Manager"), method);
    message.setArguments(arguments);
    return message;
}

// Asked of the bus itself, so that nothing is activated by asking.
QDBusMessage managerPresent() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    message << kManager;
    return message;
}

// systemd refuses an executable path with quotes or backslashes in it,
// however escaped; the rest it takes in quotes, with % doubled.
bool usableInExecStart(const QString& path) {
    return QDir::isAbsolutePath(path) && std::none_of(path.begin(), path.end(), [](QChar c) {
               return c.unicode() < 0x20 || c.unicode() == 0x7f ||
                      QStringLiteral("\"'\\").contains(c);
           });
}

QString quoteExecPath(QString path) {
    return QLatin1Char('"') + path.replace(QLatin1Char('%'), QStringLiteral("%%")) +
           QLatin1Char('"');
}

QByteArray timerUnit(const SystemReminderTimers::Reminder& reminder) {
    return QStringLiteral("# Written by Inkwarden for its daily reminders.\n"
                          "[Unit]\n"
                          "Description=Inkwarden daily reminder (%1)\n"
                          "\n"
                          "[Timer]\n"
                          "OnCalendar=*-*-* %2:%3:00\n"
                          "Persistent=false\n"
                          "AccuracySec=1s\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=timers.target\n")
        .arg(reminder.name)
        .arg(reminder.trigger.hour, 2, 10, QLatin1Char('0'))
        .arg(reminder.trigger.minute, 2, 10, QLatin1Char('0'))
        .toUtf8();
}

// KillMode=process: an Inkwarden started by a click on the reminder must
// outlive the reminder's process.
QByteArray serviceUnit(const QString& name, const QString& executablePath) {
    return QStringLiteral("# Written by Inkwarden for its daily reminders.\n"
                          "[Unit]\n"
                          "Description=Inkwarden daily reminder (%1)\n"
                          "\n"
                          "[Service]\n"
                          "Type=exec\n"
                          "ExecStart=%2 --remind %1\n"
                          "KillMode=process\n")
        .arg(name, quoteExecPath(executablePath))
        .toUtf8();
}

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SystemdReminderTimers::SystemdReminderTimers(QString executablePath, QDBusConnection bus,
                                             QObject* parent)
    : QObject(parent)
    , m_executablePath(std::move(executablePath))
    , m_bus(std::move(bus)) {}

QString SystemdReminderTimers::unitFolder() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/systemd/user");
}

void SystemdReminderTimers::keep(const QList<Reminder>& reminders) {
    // A unit that cannot name the program would fail at every reminder.
    if (unitFolder().isEmpty() || !usableInExecStart(m_executablePath))
        return;
    enqueue({{managerPresent(),
              [this, reminders](const QDBusMessage& reply) {
                  if (reply.type() == QDBusMessage::ReplyMessage &&
                      reply.arguments().value(0).toBool())
                      writeAndStart(reminders);
              }}},
            false);
}

// Files are written only when they change, and only then is the manager
// asked to read them again and to restart the timers on the new times.
void SystemdReminderTimers::writeAndStart(const QList<Reminder>& reminders) {
    const QString folder = unitFolder();
    bool changed = false;
    QStringList timers;
    for (const Reminder& reminder : reminders) {
        const QString unit = kUnitPrefix + reminder.name;
        const QList<std::pair<QString, QByteArray>> files = {
            {unit + QStringLiteral(".timer"), timerUnit(reminder)},
            {unit + QStringLiteral(".service"), serviceUnit(reminder.name, m_executablePath)},
        };
        for (const auto& [name, contents] : files) {
            const QString path = folder + QLatin1Char('/') + name;
            if (fileContents(path) == contents)
                continue;
            if (writeFileAtomically(path, contents))
                return;
            changed = true;
        }
        timers.append(files.first().first);
    }
    QList<Step> steps;
    if (changed)
        steps.append({managerCall(QStringLiteral("Reload")), {}});
    steps.append({managerCall(QStringLiteral("EnableUnitFiles"), {timers, false, true}), {}});
    const QString start = changed ? QStringLiteral("RestartUnit") : QStringLiteral("StartUnit");
    for (const QString& timer : std::as_const(timers))
        steps.append({managerCall(start, {timer, QStringLiteral("replace")}), {}});
    enqueue(steps, true);
}

void SystemdReminderTimers::removeAll() {
    const QStringList timers =
        QDir(unitFolder()).entryList({kUnitPrefix + QStringLiteral("*.timer")}, QDir::Files);
    QList<Step> steps;
    for (const QString& timer : timers)
        steps.append(
            {managerCall(QStringLiteral("StopUnit"), {timer, QStringLiteral("replace")}), {}});
    // Disabled while the files are there: systemd finds the links through them.
    steps.append({managerCall(QStringLiteral("DisableUnitFiles"), {timers, false}),
                  [this](const QDBusMessage&) {
                      removeUnitFiles();
                  }});
    steps.append({managerCall(QStringLiteral("Reload")), {}});
    enqueue(steps, false);
}

void SystemdReminderTimers::removeUnitFiles() {
    QDir folder(unitFolder());
    const QStringList ours = folder.entryList(
        {kUnitPrefix + QStringLiteral("*.timer"), kUnitPrefix + QStringLiteral("*.service")},
        QDir::Files | QDir::System);
    for (const QString& name : ours)
        folder.remove(name);
}

void SystemdReminderTimers::enqueue(const QList<Step>& steps, bool first) {
    m_steps = first ? steps + m_steps : m_steps + steps;
    sendNext();
}

void SystemdReminderTimers::sendNext() {
    if (m_sending || m_steps.isEmpty())
        return;
    Step step = m_steps.takeFirst();
    m_sending = true;
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(step.call, kCallTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, then = std::move(step.then)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                m_sending = false;
                if (then)
                    then(finished->reply());
                sendNext();
            });
}

} // namespace inkwarden
