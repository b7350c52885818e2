#include "crash_states.h"
#include "documents/atomic_file.h"
#include "documents/rtf/rtf.h"
#include "fakes/standalone_store.h"
#include "store/settings_store.h"
#include "support/file_bytes.h"
#include "support/temp_home.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace inkwarden::testing {
namespace {

using namespace Qt::Literals::StringLiterals;

// Starts the crash writer and kills it `microseconds` after it is ready.
void killWriter(const QStringList& arguments, int microseconds) {
    QProcess writer;
    writer.start(QStringLiteral(INKWARDEN_CRASH_WRITER), arguments);
    ASSERT_TRUE(writer.waitForReadyRead(10000)) << "no \"ready\" from the writer";
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
    ASSERT_TRUE(writer.waitForFinished(10000) && writer.exitStatus() == QProcess::CrashExit)
        << "the writer ended by itself with " << writer.exitCode();
}

// After each kill the document decodes to exactly one of the saved states,
// and the settings file is whole, its counter going with the document:
// written just after the document is handed over, the counter may be one
// behind, and in the background the document may lag further behind it.
TEST(CrashConsistencyTest, KilledMidSaveLeavesASavedStateAndWholeSettings) {
    TempHome home;
    const QString library = home.dataHome() + u"/Inkwarden/Documents"_s;
    int previous = 0, killedMidRun = 0;
    for (int kill = 1; kill <= 200; ++kill) {
        const bool background = kill % 2 == 0;
        ASSERT_NO_FATAL_FAILURE(
            killWriter(background ? QStringList{u"--background"_s} : QStringList{},
                       QRandomGenerator::global()->bounded(30000)))
            << "at kill " << kill;

        const rtf::ReadResult read = rtf::read(bytesOf(library + u"/Crash story.rtf"_s));
        const int state = int(read.text.text().count(u'\n'));
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        ASSERT_EQ(read.text, rtf::asWritten(crashState(state))) << "none of the saved states";
        ASSERT_GE(state, std::max(previous, 1)) << "a save went backwards";
        const SettingsStore settings(SettingsStore::defaultFilePath());
        const qint64 counter = settings.integer(u"crashTestState"_s).value_or(-1);
        ASSERT_TRUE(settings.brokenFileKeptAt().isEmpty() &&
                    settings.contains(u"trackingStartDay"_s));
        ASSERT_TRUE(counter >= state - 1 && (background || counter <= state))
            << counter << " " << state;
        killedMidRun += state > previous + 1;
        previous = state;
    }
    EXPECT_GT(killedMidRun, 25) << "the kills must land among the saves";
    // A save cut short leaves only a hidden temporary file, never a document.
    for (const QString& name : QDir(library).entryList(QDir::Files | QDir::Hidden | QDir::System))
        EXPECT_TRUE(name == u"Crash story.rtf"_s || name.startsWith(kLeftoverSavePrefix))
            << name.toStdString();
}

// Killed while typing, the next launch shows the words: a session's in the
// day's entry, untitled writing recovered as untitled and unsaved, and said so.
TEST(CrashConsistencyTest, AKillLosesNoSessionOrUntitledWriting) {
    for (const QString& mode : {u"--session"_s, u"--untitled"_s}) {
        SCOPED_TRACE(mode.toStdString());
        TempHome home;
        ASSERT_NO_FATAL_FAILURE(killWriter({u"--background"_s, mode}, 20000));
        const StandaloneStore relaunched;
        const WritingStore& store = relaunched.store;
        const bool untitled = mode == u"--untitled"_s;
        EXPECT_TRUE(store.currentContent().text().startsWith(u"Words."_s));
        EXPECT_EQ(store.currentDocumentURL(),
                  untitled ? std::nullopt : std::optional<QUrl>(store.entryURL()));
        EXPECT_EQ(store.hasUnsavedChanges() && store.notice().has_value(), untitled);
    }
}

} // namespace
} // namespace inkwarden::testing
