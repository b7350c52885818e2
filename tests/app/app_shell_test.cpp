#include "app/app_delegate.h"
#include "app/menu_commands.h"
#include "app/window_close_guard.h"
#include "documents/storage_layout.h"
#include "store/settings_keys.h"
#include "store/store_harness.h"
#include "support/scoped_read_only_folder.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QMainWindow>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using Choice = DocumentPrompts::LeaveChoice;
using testing::localTime;
using testing::writing;

constexpr int kKeepWriting = 0;
constexpr int kEndAndQuit = 1;

class AppShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(localTime(2026, 12, 7, 11, 0));
        h.defaults().setString(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
        h.start();
        delegate.setStore(h.store.get());
    }
    AppDelegate delegate{[this](const QString& message, const QString&,
                                const QStringList& buttons) {
        asked.append(message);
        EXPECT_EQ(buttons,
                  (QStringList{QStringLiteral("Keep Writing"), QStringLiteral("End and Quit")}));
        return sessionAnswers.isEmpty() ? -1 : sessionAnswers.takeFirst();
    }};
    QStringList asked;
    QList<int> sessionAnswers;
    testing::StoreHarness h;
};

TEST_F(AppShellTest, QuitAsksAboutTheSessionFirstThenAboutUnsavedWriting) {
    struct Case {
        bool session;
        bool unsaved;
        QList<int> sessionAnswer;
        QList<DocumentPrompts::LeaveAnswer> saveAnswer;
        bool quits;
        int questions;
    };
    const QList<Case> cases = {
        {false, false, {}, {}, true, 0},
        {false, true, {}, {{Choice::Cancel, {}}}, false, 1},
        {false, true, {}, {{Choice::DontSave, {}}}, true, 1},
        {true, false, {kKeepWriting}, {}, false, 1},
        {true, false, {-1}, {}, false, 1}, // closed some other way
        {true, true, {kEndAndQuit}, {{Choice::Cancel, {}}}, false, 2},
        {true, true, {kEndAndQuit}, {{Choice::DontSave, {}}}, true, 2},
    };
    for (qsizetype i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        h.restart();
        delegate.setStore(h.store.get());
        asked.clear();
        h.prompts.suggestedNames.clear();
        if (c.session)
            h.store->startSession();
        h.store->saveEntry(writing(c.unsaved ? QStringLiteral("words") : QString()));
        sessionAnswers = c.sessionAnswer;
        h.prompts.leaveAnswers = c.saveAnswer;

        EXPECT_EQ(delegate.applicationShouldTerminate(), c.quits);
        EXPECT_EQ(asked.size() + h.prompts.suggestedNames.size(), c.questions);
        EXPECT_EQ(h.store->isTerminationApproved(), c.quits);
        // A session ends (early, never completed) only when the quit goes ahead.
        EXPECT_EQ(h.store->isSessionActive(), c.session && !c.quits);
        EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay));
        if (c.session)
            h.store->endSession(false);
    }
}

TEST_F(AppShellTest, QuitWithoutAStoreAsksNothing) {
    AppDelegate bare([](const QString&, const QString&, const QStringList&) { return -1; });
    EXPECT_TRUE(bare.applicationShouldTerminate());
}

TEST_F(AppShellTest, EndingWithoutAskingKeepsUntitledWritingAsANamedLibraryCopy) {
    struct Case {
        QString text;
        bool session;
        QString fileName; // empty: nothing to keep
    };
    const QList<Case> cases = {
        {QStringLiteral("Night thoughts\nand more"), true, QStringLiteral("Night thoughts.rtf")},
        {QStringLiteral("Night thoughts\nagain"), false, QStringLiteral("Night thoughts 2.rtf")},
        {QString(), true, QString()},
    };
    for (qsizetype i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        h.restart();
        delegate.setStore(h.store.get());
        if (c.session)
            h.store->startSession();
        h.store->saveEntry(writing(c.text));

        EXPECT_TRUE(delegate.endWithoutAsking());
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_TRUE(h.prompts.suggestedNames.isEmpty());
        EXPECT_TRUE(h.store->isTerminationApproved());
        EXPECT_FALSE(h.store->isSessionActive());
        EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay)) << "ended early";
        EXPECT_FALSE(h.store->hasUnsavedChanges());
        if (c.fileName.isEmpty()) {
            EXPECT_FALSE(h.store->currentDocumentURL());
            continue;
        }
        ASSERT_TRUE(h.store->currentDocumentURL());
        const QString path = h.store->currentDocumentURL()->toLocalFile();
        EXPECT_EQ(path, storage::documentsFolder() + QLatin1Char('/') + c.fileName);
        EXPECT_EQ(storage::readDocument(path).text, writing(c.text));
    }
    // The first copy was not overwritten by the second.
    EXPECT_EQ(
        storage::readDocument(storage::documentsFolder() + QStringLiteral("/Night thoughts.rtf"))
            .text,
        writing(cases[0].text));
}

TEST_F(AppShellTest, EndingWithoutAskingWritesAFailedDocumentOnceMore) {
    // Both ways of writing: as the tests' store does, and on the writer
    // thread as the program does (where the retry's outcome must be awaited,
    // or a needless second copy is made).
    for (const bool background : {false, true}) {
        SCOPED_TRACE(background ? "writes in the background" : "writes at once");
        h.store->setWritesInBackground(background);
        h.store->newDocument();
        const QString name = background ? QStringLiteral("Plan B") : QStringLiteral("Plan");
        h.store->saveEntry(writing(QStringLiteral("before")));
        ASSERT_TRUE(h.store->saveToLibrary(name));
        const QString path = h.store->currentDocumentURL()->toLocalFile();
        {
            testing::ScopedReadOnlyFolder readOnly(storage::documentsFolder());
            if (!readOnly.isReadOnly())
                GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
            h.store->saveEntry(writing(QStringLiteral("after")));
            h.store->finishWrites();
            ASSERT_TRUE(h.store->hasUnsavedChanges());
            // Neither the file nor a copy can be written: said so, and still no question.
            EXPECT_FALSE(delegate.endWithoutAsking());
            EXPECT_TRUE(h.store->isTerminationApproved());
        }
        EXPECT_TRUE(delegate.endWithoutAsking());
        EXPECT_EQ(h.store->currentDocumentURL()->toLocalFile(), path);
        EXPECT_EQ(storage::readDocument(path).text, writing(QStringLiteral("after")));
        EXPECT_EQ(QDir(storage::documentsFolder()).entryList(QDir::Files).size(), background ? 2 : 1);
        EXPECT_TRUE(h.prompts.suggestedNames.isEmpty());
    }
}

TEST_F(AppShellTest, ClosingTheWindowAsksOnlyAboutUnsavedWritingAndLeavesItUntitled) {
    QMainWindow window;
    WindowCloseGuard guard(*h.store, window);
    window.show();
    h.store->saveEntry(writing(QStringLiteral("draft")));
    h.prompts.leaveAnswers = {{Choice::Cancel, {}}};
    EXPECT_FALSE(window.close());
    EXPECT_EQ(h.store->currentContent().text(), QStringLiteral("draft"));

    h.prompts.leaveAnswers = {{Choice::DontSave, {}}};
    h.store->startSession(); // a session never stops the window from closing
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(h.store->currentContent().isEmpty());
    EXPECT_TRUE(asked.isEmpty());

    // After an approved quit nothing is asked at all.
    window.show();
    h.store->saveEntry(writing(QStringLiteral("more")));
    h.store->setIsTerminationApproved(true);
    h.prompts.suggestedNames.clear();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(h.prompts.suggestedNames.isEmpty());
}

TEST_F(AppShellTest, MenusCarryTheirShortcutsAndSessionCommandsFollowTheStore) {
    QMainWindow window;
    bool quitAsked = false;
    installMenuCommands(window, *h.store, [&] { quitAsked = true; });
    QHash<QString, QAction*> actions;
    for (QAction* menu : window.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            actions.insert(item->text(), item);
    EXPECT_EQ(actions.value(QStringLiteral("New Document"))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(actions.value(QStringLiteral("Save a Copy…"))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    EXPECT_EQ(actions.value(QStringLiteral("Browse Files"))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(actions.value(QStringLiteral("Highlight"))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+H")));
    EXPECT_TRUE(actions.contains(QStringLiteral("Export RTF…")));
    EXPECT_TRUE(actions.contains(QStringLiteral("Select All")));
    EXPECT_TRUE(actions.contains(QStringLiteral("About Inkwarden")));

    QAction* start = actions.value(QStringLiteral("Start Focus Session"));
    QAction* end = actions.value(QStringLiteral("End Session Early"));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(end->isEnabled());
    start->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(h.store->isSessionActive());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(end->isEnabled());
    end->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(h.store->isSessionActive());
    EXPECT_FALSE(h.defaults().contains(keys::kLastCompletedDay))
        << "ended early, without a question";
    EXPECT_TRUE(start->isEnabled());

    actions.value(QStringLiteral("Save a Copy…"))->trigger();
    EXPECT_TRUE(h.store->isSavePresented());
    actions.value(QStringLiteral("Quit"))->trigger();
    EXPECT_TRUE(quitAsked);
}

} // namespace
} // namespace inkwarden
