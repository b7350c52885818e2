#include "crash_states.h"
#include "documents/atomic_file.h"
#include "documents/rtf/rtf.h"
#include "fakes/standalone_store.h"
#include "support/qt_printers.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace inkwarden::testing {
namespace {

constexpr int kKills = 200;

struct OnDisk {
    int state = -1;
    QString problem; // empty when the files are whole
};

// The library document must decode to exactly one of the states that were
// saved, and the settings file must be a whole JSON object whose counter is
// that state or the one before (it is written just after the document is
// handed over; in the background the document may lag further behind it).
OnDisk checkFiles(const TempHome& home, bool background) {
    const QString documentPath = home.dataHome() + QStringLiteral("/Inkwarden/Documents/Crash story.rtf");
    QFile document(documentPath);
    if (!document.open(QIODevice::ReadOnly))
        return {-1, QStringLiteral("the document is missing: ") + document.errorString()};
    const rtf::ReadResult read = rtf::read(document.readAll());
    if (!read.ok())
        return {-1, QStringLiteral("the document does not parse: ") + read.error};
    const int state = crashStateNumber(read.text.text());
    if (state < 1 || read.text != rtf::asWritten(crashState(state)))
        return {state, QStringLiteral("the document is none of the saved states")};

    QFile settings(home.configHome() + QStringLiteral("/Inkwarden/defaults.json"));
    if (!settings.open(QIODevice::ReadOnly))
        return {state, QStringLiteral("the settings file is missing")};
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(settings.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return {state, QStringLiteral("the settings file is not whole: ") + error.errorString()};
    const QJsonObject values = json.object();
    const int counter = values.value(QStringLiteral("crashTestState")).toInt(-1);
    if (counter < state - 1 || (!background && counter > state))
        return {state, QStringLiteral("the settings counter %1 does not go with state %2")
                           .arg(counter)
                           .arg(state)};
    if (!values.contains(QStringLiteral("trackingStartDay")))
        return {state, QStringLiteral("the settings file lost \"trackingStartDay\"")};
    return {state, {}};
}

TEST(CrashConsistencyTest, KilledMidSaveLeavesASavedStateAndWholeSettings) {
    TempHome home;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "random seed " << seed);
    std::mt19937 random(seed);
    // Mostly inside the run of saves, sometimes right at its start.
    std::uniform_int_distribution<int> delayMicroseconds(0, 30000);

    int previous = 0;
    int killedMidRun = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        // Every other run writes on the writer thread, as the program does.
        const bool background = kill % 2 == 0;
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QStringLiteral(INKWARDEN_CRASH_WRITER),
                     background ? QStringList{QStringLiteral("--background")} : QStringList{});
        ASSERT_TRUE(writer.waitForStarted(10000)) << writer.errorString().toStdString();
        ASSERT_TRUE(writer.waitForReadyRead(10000)) << "no \"ready\" from the writer, kill " << kill;
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(10000));
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit)
            << "the writer ended by itself with " << writer.exitCode() << ", kill " << kill;

        const OnDisk disk = checkFiles(home, background);
        ASSERT_TRUE(disk.problem.isEmpty()) << "after kill " << kill << ": " << disk.problem.toStdString();
        ASSERT_GE(disk.state, previous) << "a save went backwards at kill " << kill;
        killedMidRun += disk.state > previous + 1;
        previous = disk.state;
    }
    // The kills must have landed among the saves, not only before them.
    EXPECT_GT(killedMidRun, kKills / 4);

    // A save cut short leaves only a hidden temporary file, never anything
    // that looks like a document, and the next start clears it away.
    const QString library = home.dataHome() + QStringLiteral("/Inkwarden/Documents");
    const auto left = [&library] {
        return QDir(library).entryList(QDir::Files | QDir::Hidden | QDir::System);
    };
    for (const QString& name : left())
        EXPECT_TRUE(name == QStringLiteral("Crash story.rtf") || name.startsWith(kLeftoverSavePrefix))
            << name.toStdString();
    QFile(library + u'/' + kLeftoverSavePrefix + QStringLiteral("Xy12ab")).open(QIODevice::WriteOnly);
    { StandaloneStore restarted; }
    EXPECT_EQ(left(), QStringList{QStringLiteral("Crash story.rtf")});
}

} // namespace
} // namespace inkwarden::testing
