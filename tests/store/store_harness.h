#pragma once

#include "documents/storage_layout.h"
#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/writing_store.h"
#include "support/qt_printers.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDateTime>
#include <gtest/gtest.h>
#include <memory>

namespace inkwarden::testing {

// Local wall-clock time in the process time zone.
inline QDateTime localTime(int year, int month, int day, int hour, int minute, int second = 0,
                           int millisecond = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond),
                     Qt::LocalTime);
}

// Writing as the editor hands it over: Georgia 21 throughout, with an
// optional Butter highlight on the first `highlighted` characters.
inline RichText writing(const QString& text, qsizetype highlighted = 0) {
    RichTextBuilder builder;
    TextRun format{
        0, 0, QStringLiteral("Georgia"), 21, false, false, qRgb(0, 0, 0), qRgb(0xFF, 0xCC, 0x47)};
    builder.append(QStringView(text).first(highlighted), format);
    format.foreground = format.background = std::nullopt;
    builder.append(QStringView(text).sliced(highlighted), format);
    return builder.take();
}

// A library document written by hand, last changed at `modified` when that is given.
inline QUrl libraryDocument(const QString& name, const RichText& text,
                            const QDateTime& modified = {}) {
    const QString path = storage::documentsFolder() + u'/' + name + QStringLiteral(".rtf");
    EXPECT_FALSE(storage::writeDocument(path, text));
    QFile file(path);
    EXPECT_TRUE(!modified.isValid() || (file.open(QIODevice::Append) &&
                                        file.setFileTime(modified, QFile::FileModificationTime)));
    return QUrl::fromLocalFile(path);
}

// A store over a settings file in a throw-away home, with a hand-moved clock
// and recording services. restart() rebuilds both from what is on disk, as a
// relaunch of the program would.
struct StoreHarness {
    TempHome home;
    ManualClock clock;
    CallLog log;
    RecordingReminders reminders{log};
    RecordingFocus focus{log};
    ManualWakeNotifier wake;
    ScriptedPrompts prompts;
    RecordingFileViewer fileViewer;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<WritingStore> store;

    SettingsStore& defaults() {
        if (!settings)
            settings = std::make_unique<SettingsStore>(home.configHome() +
                                                       QStringLiteral("/Inkwarden/defaults.json"));
        return *settings;
    }
    WritingStore& start() {
        store = std::make_unique<WritingStore>(
            WritingStore::Services{clock, defaults(), reminders, focus, &wake, &fileViewer});
        store->setPrompts(&prompts);
        return *store;
    }
    // At 11:00 on 7 December 2026, the day's session already handled, so
    // nothing starts by itself.
    WritingStore& startIdle() {
        clock.set(localTime(2026, 12, 7, 11, 0));
        mark(keys::kLastScheduledDay, QStringLiteral("2026-12-07"));
        return start();
    }
    WritingStore& restart() {
        store.reset();
        settings.reset();
        return start();
    }
    // Runs what the heartbeat would have queued.
    void tickAt(const QDateTime& moment) {
        clock.set(moment);
        store->tick();
    }
    void mark(const QString& key, const QString& day) { defaults().setString(key, day); }
    QString marker(const QString& key) {
        return defaults().string(key).value_or(QStringLiteral("<none>"));
    }
};

// An idle store writing on the writer thread or not as the parameter says,
// and what the document tests use.
class IdleStoreTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { h.startIdle().setWritesInBackground(GetParam()); }
    WritingStore& store() { return *h.store; }
    static QString library(const QString& name) { return storage::documentsFolder() + u'/' + name; }
    // The path of a document written by hand, or nothing if it could not be.
    static QString saved(const QString& path, const QString& text) {
        return storage::writeDocument(path, writing(text)) ? QString() : path;
    }
    static QString textOf(const QString& path) { return storage::readDocument(path).text.text(); }
    void open(const QString& p) { ASSERT_TRUE(store().openDocument(QUrl::fromLocalFile(p))); }
    // A change in the editor, once its write is done.
    void edit(const RichText& content) {
        store().saveEntry(content);
        store().finishWrites();
    }
    // The failed-save line's message, else the alert's.
    QString error() {
        return store().writeProblem().value_or(store().fileError().value_or(QString()));
    }
    // What the person sees: the open file's name or "untitled", "*" while
    // the writing is unsaved, "!" while an error is shown (alert or line), then the text.
    QString seen() {
        const WritingStore& s = store();
        const QString name = s.currentDocumentURL() ? s.currentDocumentURL()->fileName()
                                                    : QStringLiteral("untitled");
        return name + (s.hasUnsavedChanges() ? QStringLiteral("*") : QString()) +
               (s.fileError() || s.writeProblem() ? QStringLiteral("! ") : QStringLiteral(" ")) +
               s.currentContent().text();
    }

    StoreHarness h;
};

} // namespace inkwarden::testing
