#pragma once

#include <QDialog>
#include <functional>

class QLabel;

namespace inkwarden {

class Clock;
class ProgressCalendar;
class WritingRecord;

// "Your Progress": the current and longest streak, total words and
// completed sessions above the calendar of the last 53 weeks. Follows the
// record as it changes; a day with an entry opens through `openDay`, which
// answers whether it did. Main thread; uses, never owns, the record.
class ProgressView : public QDialog {
    Q_OBJECT
public:
    using OpenDay = std::function<bool(QDate day)>;

    ProgressView(const WritingRecord& record, const Clock& clock, OpenDay openDay,
                 QWidget* parent = nullptr);

    ProgressCalendar* calendar() const { return m_calendar; }
    // The figures as shown, for the window and screen readers.
    QString summary() const;

private:
    QLabel* figure(const QString& caption, QLabel** value);
    void refresh();

    const WritingRecord& m_record;
    const Clock& m_clock;
    OpenDay m_openDay;
    ProgressCalendar* m_calendar = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_longest = nullptr;
    QLabel* m_words = nullptr;
    QLabel* m_sessions = nullptr;
    QLabel* m_problem = nullptr;
};

} // namespace inkwarden
