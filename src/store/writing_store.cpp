#include "store/writing_store.h"

#include "documents/atomic_file.h"
#include "documents/storage_layout.h"
#include "record/word_count.h"
#include "store/clock.h"
#include "store/daily_schedule.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/store_services.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

namespace inkwarden {
namespace {

// Any number, a damaged file's included, reads as one of the steps.
int nearestZoomStep(qint64 percent) {
    const auto& steps = WritingStore::kZoomSteps;
    return *std::min_element(steps.begin(), steps.end(), [percent](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
}

} // namespace

WritingStore::WritingStore(Services services, QObject* parent)
    : QObject(parent)
    , m_clock(services.clock)
    , m_defaults(services.defaults)
    , m_reminders(services.reminders)
    , m_focus(services.focus)
    , m_fileViewer(services.fileViewer)
    , m_recorder(services.recorder) {
    const QDateTime startup = m_clock.now();
    const QString today = dayKey(startup);
    m_currentDateKey = today;
    m_wordsDay = today;

    m_scheduleHour = m_defaults.integer(keys::kScheduleHour).value_or(9);
    m_scheduleMinute = m_defaults.integer(keys::kScheduleMinute).value_or(0);
    m_fontName = m_defaults.string(keys::kFontName).value_or(QStringLiteral("Georgia"));
    m_textZoom = nearestZoomStep(m_defaults.integer(keys::kTextZoom).value_or(100));
    // Said once a run: the day's progress may not be remembered.
    m_defaults.setWriteFailureHandler([this](const QString& reason) {
        if (m_toldSettingsFailure)
            return;
        m_toldSettingsFailure = true;
        publish(m_notice, tr("Your settings and progress couldn’t be saved: %1").arg(reason));
    });
    if (!m_defaults.string(keys::kTrackingStartDay))
        m_defaults.setString(keys::kTrackingStartDay, today);

    restoreSession(startup);
    // What saves cut short by a crash left behind; the files themselves are whole.
    removeLeftoverSaves(storage::documentsFolder());
    removeLeftoverSaves(storage::entriesFolder());
    removeLeftoverSaves(QFileInfo(storage::recoveryPath()).path());
    recoverUntitledWriting();
    if (!m_hasUnsavedChanges)
        openTodaysEntry();
    else
        setWordCount(countWords(m_currentContent.text()), false);
    refreshDocuments();
    m_reminders.configure(m_scheduleHour, m_scheduleMinute);
    startHeartbeat();
    observeWake(services.wake);
    tick();
}

WritingStore::~WritingStore() {
    m_defaults.setWriteFailureHandler({});
    if (m_wakeObserver)
        disconnect(m_wakeObserver);
    recordDayWords(true);
    // Writes everything still queued before the store goes.
    m_writer.reset();
}

void WritingStore::setIsLibraryPresented(bool presented) {
    publish(m_isLibraryPresented, presented);
}

void WritingStore::setIsSavePresented(bool presented) {
    publish(m_isSavePresented, presented);
}

void WritingStore::setFileError(std::optional<QString> error, FileTask task) {
    publish(m_fileErrorTask, task);
    publish(m_fileError, std::move(error));
}

void WritingStore::setNotice(std::optional<QString> notice) {
    publish(m_notice, std::move(notice));
}

void WritingStore::setScheduleHour(qint64 hour) {
    publish(m_scheduleHour, hour);
    m_defaults.setInteger(keys::kScheduleHour, hour);
    m_reminders.configure(m_scheduleHour, m_scheduleMinute);
}

void WritingStore::setScheduleMinute(qint64 minute) {
    publish(m_scheduleMinute, minute);
    m_defaults.setInteger(keys::kScheduleMinute, minute);
    m_reminders.configure(m_scheduleHour, m_scheduleMinute);
}

void WritingStore::setFontName(const QString& name) {
    publish(m_fontName, name);
    m_defaults.setString(keys::kFontName, name);
}

void WritingStore::setTextZoom(int percent) {
    publish(m_textZoom, nearestZoomStep(percent));
    m_defaults.setInteger(keys::kTextZoom, m_textZoom);
}

void WritingStore::stepTextZoom(int direction) {
    const auto step = std::find(kZoomSteps.begin(), kZoomSteps.end(), m_textZoom);
    if (direction == 0)
        setTextZoom(100);
    else if (direction > 0 && step + 1 != kZoomSteps.end())
        setTextZoom(*(step + 1));
    else if (direction < 0 && step != kZoomSteps.begin())
        setTextZoom(*(step - 1));
}

QDateTime WritingStore::scheduledTime() const {
    return inkwarden::scheduledTime(m_clock.now(), m_scheduleHour, m_scheduleMinute);
}

void WritingStore::startHeartbeat() {
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("heartbeat"));
    m_timer->setInterval(kHeartbeatMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &WritingStore::scheduleTick);
    m_timer->start();
}

void WritingStore::observeWake(WakeNotifier* wake) {
    if (!wake)
        return;
    m_wakeObserver = connect(wake, &WakeNotifier::didWake, this, &WritingStore::scheduleTick);
}

// Queued, so a tick never runs inside the handler that asked for it; if the
// store is gone by then, nothing happens.
void WritingStore::scheduleTick() {
    QMetaObject::invokeMethod(this, &WritingStore::tick, Qt::QueuedConnection);
}

} // namespace inkwarden
