#pragma once

#include "documents/rich_text.h"
#include "documents/writing_document.h"
#include "store/document_writer.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <array>
#include <memory>
#include <optional>

class QTimer;

namespace inkwarden {

class Clock;
class DocumentIndex;
class DocumentPrompts;
class FileViewer;
class FocusControl;
class ReminderControl;
class SessionRecorder;
class SettingsStore;
class WakeNotifier;

// The one model object: session state and countdown, the daily schedule,
// the current document, the presentation flags and the chosen font. Lives on
// the main thread for the life of the process; it owns its heartbeat timer
// and its wake registration, and uses (never owns) the settings store and
// the services it is given.
//
// Change contract: every assignment to a published property emits
// objectWillChange() first and then stores the value, also when the value is
// unchanged. Observers run on the main thread and must re-read the store
// after the signal has returned (for example through a queued call), never
// inside it. Construction assigns its start values silently; only its final
// heartbeat may emit, before anyone can be connected.
class WritingStore : public QObject {
    Q_OBJECT
public:
    struct Services {
        const Clock& clock;
        SettingsStore& defaults;
        ReminderControl& reminders;
        FocusControl& focus;
        WakeNotifier* wake = nullptr;        // none: the heartbeat alone catches up
        FileViewer* fileViewer = nullptr;    // none: "show the file" does nothing
        SessionRecorder* recorder = nullptr; // none: sessions and words go unrecorded
    };

    static constexpr qint64 kSessionSeconds = 900;
    static constexpr int kHeartbeatMilliseconds = 1000;
    static constexpr qint64 kFollowupWindowStartSeconds = 1800;
    static constexpr qint64 kFollowupWindowEndSeconds = 1860;
    static constexpr qint64 kScheduledStartLimitSeconds = 86400;

    // What the person was doing when a file operation failed, for the
    // alert's title.
    enum class FileTask { Saving, Opening };

    explicit WritingStore(Services services, QObject* parent = nullptr);
    ~WritingStore() override;

    // Published state.
    bool isSessionActive() const { return m_isSessionActive; }
    qint64 remainingSeconds() const { return m_remainingSeconds; }
    const QString& currentDateKey() const { return m_currentDateKey; }
    const std::optional<QUrl>& currentDocumentURL() const { return m_currentDocumentURL; }
    const QUuid& documentRevision() const { return m_documentRevision; }
    bool hasUnsavedChanges() const { return m_hasUnsavedChanges; }
    const QList<WritingDocument>& documents() const { return m_documents; }
    bool isLibraryPresented() const { return m_isLibraryPresented; }
    bool isSavePresented() const { return m_isSavePresented; }
    const std::optional<QString>& fileError() const { return m_fileError; }
    FileTask fileErrorTask() const { return m_fileErrorTask; }
    // Why the current document's latest changes are not on disk; cleared by
    // the next write of it that succeeds. Shown without taking the keyboard.
    const std::optional<QString>& writeProblem() const { return m_writeProblem; }
    // A one-line notice for the window (a conflict, a reload, a limit).
    const std::optional<QString>& notice() const { return m_notice; }
    qint64 scheduleHour() const { return m_scheduleHour; }
    qint64 scheduleMinute() const { return m_scheduleMinute; }
    const QString& fontName() const { return m_fontName; }
    // How large the text is shown, in percent; never changes the document.
    int textZoom() const { return m_textZoom; }
    // The current document's words, as last counted off the keystroke path.
    qint64 wordCount() const { return m_wordCount; }
    // Today's session has completed (the day's check mark).
    bool isDayCompleted() const;

    void setIsLibraryPresented(bool presented);
    void setIsSavePresented(bool presented);
    void setFileError(std::optional<QString> error, FileTask task = FileTask::Saving);
    void setNotice(std::optional<QString> notice);
    // Persist the value and, for the time, reconfigure the reminders.
    void setScheduleHour(qint64 hour);
    void setScheduleMinute(qint64 minute);
    void setFontName(const QString& name);
    // The nearest step of kZoomSteps; persisted.
    void setTextZoom(int percent);
    // One step larger (+1) or smaller (-1); 0 back to actual size.
    void stepTextZoom(int direction);
    static constexpr std::array<int, 12> kZoomSteps = {50,  67,  80,  90,  100, 110,
                                                       125, 150, 175, 200, 250, 300};

    // Plain state.
    bool isTerminationApproved() const { return m_isTerminationApproved; }
    void setIsTerminationApproved(bool approved) { m_isTerminationApproved = approved; }
    const std::optional<QDateTime>& sessionEnd() const { return m_sessionEnd; }
    const RichText& currentContent() const { return m_currentContent; }
    SettingsStore& defaults() const { return m_defaults; }

    // Session.
    void startSession();
    void endSession(bool completed);
    QString remainingLabel() const;

    // Schedule: today's writing time.
    QDateTime scheduledTime() const;

    // The questions asked before writing could be lost and the export panel.
    // Until the application installs them, leaving unsaved writing is refused
    // and exporting does nothing.
    void setPrompts(DocumentPrompts* prompts) { m_prompts = prompts; }
    // Told of every document written or deleted from now on (the search index).
    void setDocumentIndex(DocumentIndex* index);

    // The current document.
    QUrl entryURL() const;
    QString currentTitle() const;
    bool isLibraryDocument() const;
    void saveEntry(const RichText& content);
    // The program writes documents on a thread of their own (DocumentWriter);
    // by default, as in tests, saveEntry writes before it returns. Everything
    // that reads, replaces or leaves the current file waits for its writes.
    void setWritesInBackground(bool background);
    // Waits for the current document's writes and takes in their outcome.
    void finishWrites();
    bool confirmSaveBeforeLeaving();
    bool newDocument();
    void saveCurrent();
    void moveDailyEntryToTodayIfNeeded();

    // The library.
    void refreshDocuments();
    QString suggestedTitle() const;
    bool saveToLibrary(const QString& name);
    bool openDocument(const QUrl& url);
    bool deleteDocument(const WritingDocument& document);
    void exportCurrent();
    void revealCurrentInFinder();
    // Shows a listed document selected in the file manager.
    void revealDocument(const QUrl& url);

public Q_SLOTS:
    // One heartbeat: counts the session down, or, while idle, rolls the day
    // over, posts the follow-up and starts the day's session when due. The
    // timer and the wake notifier only ever queue it, so it never runs inside
    // their handlers; it may run inside a modal dialog's event loop, so code
    // that asked a question re-checks isSessionActive() before acting on it.
    void tick();

Q_SIGNALS:
    void objectWillChange();

private:
    template <typename T, typename V> void publish(T& field, V&& value) {
        Q_EMIT objectWillChange();
        field = std::forward<V>(value);
    }

    void restoreSession(const QDateTime& startup);
    void startHeartbeat();
    void observeWake(WakeNotifier* wake);
    void scheduleTick();
    void updateRemainingSeconds(const QDateTime& now);
    void checkFollowup(const QDateTime& now, const QString& today);
    void checkScheduledStart(const QDateTime& now);
    QString marker(const QString& key) const;
    void switchDocument(std::optional<QUrl> url, RichText content);
    void openTodaysEntry();
    void recoverUntitledWriting();
    void mirrorUntitledWriting(const RichText& content);
    void forgetUntitledWriting();
    template <typename Question> auto asking(Question question);
    void takeWriteResult(const DocumentWriter::Result& result);
    void takeWriteOutcome(const QString& path, const std::optional<QString>& error,
                          const QString& copy);
    void reloadIfChangedElsewhere();
    bool currentFolderIs(const QString& folder) const;
    // The word count and the day's words for the record (writing_store_record.cpp).
    void takeWordCount(quint64 ticket, qint64 words);
    void setWordCount(qint64 words, bool sameDocument);
    void recordDayWords(bool now);

    const Clock& m_clock;
    SettingsStore& m_defaults;
    ReminderControl& m_reminders;
    FocusControl& m_focus;
    FileViewer* m_fileViewer = nullptr;
    DocumentPrompts* m_prompts = nullptr;
    DocumentIndex* m_index = nullptr;

    bool m_isSessionActive = false;
    qint64 m_remainingSeconds = 0;
    QString m_currentDateKey;
    std::optional<QUrl> m_currentDocumentURL;
    QUuid m_documentRevision = QUuid::createUuid();
    bool m_hasUnsavedChanges = false;
    bool m_isTerminationApproved = false;
    QList<WritingDocument> m_documents;
    bool m_isLibraryPresented = false;
    bool m_isSavePresented = false;
    std::optional<QString> m_fileError;
    FileTask m_fileErrorTask = FileTask::Saving;
    std::optional<QString> m_writeProblem;
    std::optional<QString> m_notice;
    bool m_toldSettingsFailure = false;
    bool m_isAsking = false;               // a question is open: a daily start waits for its answer
    std::optional<QUrl> m_entryLeftBehind; // an entry a failed write kept past midnight
    qint64 m_scheduleHour = 9;
    qint64 m_scheduleMinute = 0;
    QString m_fontName = QStringLiteral("Georgia");
    int m_textZoom = 100;
    std::optional<QDateTime> m_sessionEnd;
    QTimer* m_timer = nullptr;
    QMetaObject::Connection m_wakeObserver;
    RichText m_currentContent;
    std::unique_ptr<DocumentWriter> m_writer;
    quint64 m_latestWrite = 0;  // the ticket whose outcome decides the unsaved flag
    quint64 m_appliedWrite = 0; // the last ticket whose outcome was taken in
    SessionRecorder* m_recorder = nullptr;
    qint64 m_wordCount = 0;
    quint64 m_issuedWrite = 0;  // the newest ticket of any write asked for
    quint64 m_countedWrite = 0; // counts from this ticket or older are stale
    QString m_wordsDay;         // the day m_wordsAdded belongs to
    qint64 m_wordsAdded = 0;
    bool m_wordsChanged = false;
    QDateTime m_wordsRecorded;
};

template <typename Question> auto WritingStore::asking(Question question) {
    const bool wasAsking = m_isAsking;
    m_isAsking = true;
    auto answer = question();
    m_isAsking = wasAsking;
    return answer;
}

} // namespace inkwarden
