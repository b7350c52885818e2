#include "app/reminder_mode.h"

#include "app/single_instance.h"
#include "services/linux/freedesktop_notifications.h"
#include "services/reminder_service.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace inkwarden {
namespace {

// How long a click on the reminder may still start Inkwarden.
constexpr int kWaitForClickMilliseconds = 30 * 60'000;

} // namespace

int runReminderMode(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Inkwarden"));
    const QString name = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    const std::optional<NotificationRequest> reminder = ReminderService::dailyReminder(name);
    if (!reminder) {
        std::fputs("usage: inkwarden --remind soon|start\n", stderr);
        return 2;
    }
    // The running Inkwarden shows it once, even when its own timer has too.
    if (SingleInstance().handOverReminder(name))
        return 0;

    FreedesktopNotifications notifications;
    const auto startInkwarden = [](const QString& activationToken) {
        // Inherited: on Wayland the new window may come to the front with it.
        if (!activationToken.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
        // Detached: Inkwarden lives on after this process, and starts the
        // day's session itself when the time has come.
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {}))
            std::fputs("Inkwarden could not be started.\n", stderr);
        QCoreApplication::quit();
    };
    QObject::connect(&notifications, &NotificationDelivery::activated, &application,
                     startInkwarden);
    QObject::connect(&notifications, &FreedesktopNotifications::closed, &application,
                     &QCoreApplication::quit);
    QTimer::singleShot(kWaitForClickMilliseconds, &application, [&notifications] {
        // Nobody would be left to answer a later click.
        notifications.closeShown();
        QCoreApplication::quit();
    });
    notifications.deliver(*reminder);
    return QCoreApplication::exec();
}

} // namespace inkwarden
