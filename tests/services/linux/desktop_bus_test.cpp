#include "fakes/fake_notifications.h"
#include "fakes/manual_clock.h"
#include "services/focus_service.h"
#include "services/linux/file_manager_viewer.h"
#include "services/linux/freedesktop_notifications.h"
#include "services/linux/logind_wake_notifier.h"
#include "services/linux/mpris_players.h"
#include "services/linux/qt_window_system.h"
#include "services/linux/systemd_reminder_timers.h"
#include "services/local_notification_center.h"
#include "services/reminder_service.h"
#include "support/fake_bus_service.h"
#include "support/file_bytes.h"
#include "support/private_bus.h"
#include "support/qt_printers.h"
#include "support/temp_home.h"
#include "support/wait.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <list>

// The desktop's services as they answer on a private bus.

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::FakeService;

// The server answers in order, so once this answer is in, whatever it sent
// before has been handled too.
std::optional<bool> availability(FreedesktopNotifications& notifications) {
    std::optional<bool> answer;
    notifications.checkAvailable([&](bool available) { answer = available; });
    testing::waitUntil([&] { return answer.has_value(); });
    return answer;
}

TEST(DesktopBus, NotificationsShowRemindersAndReportAClickOnOneOfOurs) {
    testing::PrivateBus bus;
    FreedesktopNotifications notifications(bus.connect(u"client"_s));
    EXPECT_EQ(availability(notifications), false) << "no notification server";
    const QString name = u"org.freedesktop.Notifications"_s;
    QList<QVariantList> notified;
    FakeService server(bus, name, [&](const QDBusMessage& call) {
        if (call.member() == u"Notify"_s)
            notified.append(call.arguments());
        return QVariantList{uint(40 + notified.size())}; // ids from 41
    });
    const QString body = u"It\u2019s time for your writing session."_s;
    for (int each = 0; each < 2; ++each)
        notifications.deliver({u"writing-start"_s, u"Inkwarden"_s, body, true, DailyTrigger{9, 0}});
    EXPECT_EQ(availability(notifications), true); // and both ids are in
    EXPECT_EQ(notified.value(0).value(1).toUInt(), 0u) << "replaces no other notification";
    EXPECT_EQ(notified.value(0).value(4).toString(), body);
    EXPECT_TRUE(notified.value(0).value(5).toStringList().contains(u"default"_s));
    EXPECT_TRUE(qdbus_cast<QVariantMap>(notified.value(0).value(6)).contains(u"sound-name"_s));

    QSignalSpy activated(&notifications, &NotificationDelivery::activated);
    const auto send = [&](const char* member, uint id, const QVariant& detail) {
        server.emitSignal(name, QLatin1String(member), {id, detail});
    };
    send("ActivationToken", 41, u"token-41"_s);
    send("ActionInvoked", 41, u"default"_s);
    send("NotificationClosed", 41, 2u);
    send("ActionInvoked", 41, u"default"_s);
    send("ActionInvoked", 42, u"other"_s);
    send("ActionInvoked", 999, u"default"_s);
    EXPECT_EQ(availability(notifications), true);
    EXPECT_EQ(activated.count(), 1) << "a closed notification, another action or another "
                                       "application's notification activates nothing";
    send("ActivationToken", 42, u"token-42"_s);
    send("ActionInvoked", 42, u"other"_s); // the token was for that click
    send("ActivationToken", 999, u"token-999"_s);
    send("ActionInvoked", 42, u"default"_s);
    EXPECT_TRUE(activated.wait(5000));
    EXPECT_EQ(activated.value(0).value(0).toString(), u"token-41"_s);
    EXPECT_EQ(activated.value(1).value(0).toString(), QString())
        << "a token serves one click, and only one of ours";
}

// A session start asks every player, then pauses the playing ones in
// bus-name order: one that never answers costs one timeout, and an empty
// answer counts as not playing.
TEST(DesktopBus, ASessionPausesThePlayingPlayers) {
    testing::PrivateBus bus;
    QStringList log;
    std::list<FakeService> players;
    const char* statuses[] = {nullptr, "", "Playing", "Playing"}; // of players a to d
    for (const char name : {'a', 'b', 'c', 'd'}) {
        players.emplace_back(
            bus, u"org.mpris.MediaPlayer2."_s + QLatin1Char(name),
            [&log, name, status = statuses[name - 'a']](auto& call) -> std::optional<QVariantList> {
                log.append(call.member() + u' ' + QLatin1Char(name));
                if (!status)
                    return std::nullopt;
                if (!*status || call.member() == u"Pause"_s)
                    return QVariantList();
                return QVariantList{QVariant::fromValue(QDBusVariant(QString::fromLatin1(status)))};
            });
    }

    MprisPlayers music(bus.connect(u"inkwarden"_s), 500);
    QtWindowSystem windows;
    FocusService focus(windows, music);
    focus.begin();
    ASSERT_TRUE(testing::waitUntil([&] { return log.size() == 6; }));
    std::sort(log.begin(), log.begin() + 4); // the questions reach the players in any order
    EXPECT_EQ(log.join(u','), u"Get a,Get b,Get c,Get d,Pause c,Pause d"_s);
}

// The file is selected in the file manager; without one, its folder opens.
TEST(DesktopBus, AFileIsShownInTheFileManagerOrElseItsFolderOpens) {
    testing::PrivateBus bus;
    QList<QUrl> opened;
    FileManagerViewer viewer(bus.connect(u"viewer"_s),
                             [&](const QUrl& folder) { opened.append(folder); });
    viewer.showFile(u"/data/Inkwarden/Entries/2026-12-07.rtf"_s);
    ASSERT_TRUE(testing::waitUntil([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(u"/data/Inkwarden/Entries"_s)});

    QStringList shown;
    FakeService manager(bus, u"org.freedesktop.FileManager1"_s, [&](const QDBusMessage& call) {
        shown += call.arguments().value(0).toStringList();
        return QVariantList();
    });
    viewer.showFile(u"/home/someone/My plan #1.rtf"_s);
    ASSERT_TRUE(testing::waitUntil([&] { return viewer.children().isEmpty(); }));
    EXPECT_EQ(shown, QStringList{u"file:///home/someone/My plan %231.rtf"_s});
    EXPECT_EQ(opened.size(), 1) << "no folder when the file manager answers";
}

// Reminders are checked again on waking, not when the machine goes to sleep.
TEST(DesktopBus, WakingFromSleepIsReportedGoingToSleepIsNot) {
    testing::PrivateBus bus;
    const QString name = u"org.freedesktop.login1"_s;
    FakeService logind(bus, name, [](const QDBusMessage&) { return QVariantList(); });
    QDBusConnection connection = bus.connect(u"inkwarden"_s);
    LogindWakeNotifier notifier(connection);
    QSignalSpy woke(&notifier, &WakeNotifier::didWake);
    for (const bool goingToSleep : {true, false}) {
        logind.emitSignal(name + u".Manager"_s, u"PrepareForSleep"_s, {goingToSleep});
        // Once logind has answered a call, what it sent before has arrived.
        const QDBusPendingCall call = connection.asyncCall(QDBusMessage::createMethodCall(
            name, u"/org/freedesktop/login1"_s, QString(), u"Ping"_s));
        ASSERT_TRUE(testing::waitUntil([&] { return call.isFinished(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(woke.count(), goingToSleep ? 0 : 1);
    }
}

// The daily time set in the program becomes two systemd user timers, read
// again, enabled and started through the manager only when they change, and
// validated by systemd itself where it is installed. Nothing is written
// without a manager; turning reminders off leaves nothing of ours.
TEST(DesktopBus, TheDailyTimeIsKeptAsSystemdUserTimers) {
    testing::TempHome home;
    testing::PrivateBus bus;
    const QString program = home.path() + u"/my %h $HOME/inkwarden"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(program).path()) && QFile::copy(u"/bin/true"_s, program));
    testing::ManualClock clock;
    testing::FakeDelivery delivery;
    LocalNotificationCenter center(clock, delivery);
    SystemdReminderTimers timers(program, bus.connect(u"inkwarden"_s));
    ReminderService reminders(center, &timers);
    const QString folder = home.configHome() + u"/systemd/user/"_s;
    const auto settled = [&] {
        return testing::waitUntil(
            [&] { return timers.findChildren<QDBusPendingCallWatcher*>().isEmpty(); });
    };
    reminders.configure(9, 0);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(QFileInfo::exists(folder)) << "written without a systemd user manager";

    QStringList calls;
    FakeService manager(bus, u"org.freedesktop.systemd1"_s, [&](const QDBusMessage& call) {
        QStringList words{call.member()};
        for (const QVariant& argument : call.arguments())
            words.append(argument.metaType() == QMetaType::fromType<QStringList>()
                             ? argument.toStringList().join(u',')
                             : argument.toString());
        calls.append(words.join(u' ').remove(SystemdReminderTimers::kUnitPrefix));
        return QVariantList();
    });
    const QString enable = u"EnableUnitFiles soon.timer,start.timer false true"_s;
    const QString changed = u"Reload,%1,RestartUnit soon.timer replace,"
                            u"RestartUnit start.timer replace"_s.arg(enable);
    const QList<std::tuple<int, int, QString>> rows = {
        {0, 5, changed},
        {0, 5, u"%1,StartUnit soon.timer replace,StartUnit start.timer replace"_s.arg(enable)},
        {14, 30, changed},
    };
    for (const auto& [hour, minute, expected] : rows) {
        calls.clear();
        reminders.configure(hour, minute);
        ASSERT_TRUE(settled());
        EXPECT_EQ(calls.join(u','), expected);
        const QByteArray soon = testing::bytesOf(folder + u"inkwarden-reminder-soon.timer"_s);
        EXPECT_TRUE(soon.contains(hour ? " 14:20:00\nPersistent=false\n" : " 23:55:00\n"));
    }
    EXPECT_TRUE(testing::bytesOf(folder + u"inkwarden-reminder-start.timer"_s)
                    .contains("\nOnCalendar=*-*-* 14:30:00\n"));
    const QString exec = u"\nExecStart=\"%1/my %%h $HOME/inkwarden\" --remind start\n"_s;
    EXPECT_TRUE(testing::bytesOf(folder + u"inkwarden-reminder-start.service"_s)
                    .contains(exec.arg(home.path()).toUtf8()));

    QStringList verify{u"--user"_s, u"verify"_s, u"--man=no"_s};
    for (const QString& unit : QDir(folder).entryList(QDir::Files))
        verify.append(folder + unit); // each named, or faults in a service pass unreported
    const QString analyze = QStandardPaths::findExecutable(u"systemd-analyze"_s);
    EXPECT_TRUE(analyze.isEmpty() || QProcess::execute(analyze, verify) == 0);

    testing::writeBytes(folder + u"backup.timer"_s, {});
    calls.clear();
    reminders.removeDailyReminders();
    ASSERT_TRUE(settled());
    EXPECT_EQ(calls.join(u','), u"StopUnit soon.timer replace,StopUnit start.timer replace,"
                                u"DisableUnitFiles soon.timer,start.timer false,Reload"_s);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{u"backup.timer"_s});
}

} // namespace
} // namespace inkwarden
