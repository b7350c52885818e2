#include "screens/progress_view.h"

#include "record/writing_record.h"
#include "screens/progress_calendar.h"
#include "store/clock.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace inkwarden {
namespace {

QString days(int count) {
    return count == 1 ? QObject::tr("1 day") : QObject::tr("%1 days").arg(count);
}

} // namespace

ProgressView::ProgressView(const WritingRecord& record, const Clock& clock, OpenDay openDay,
                           QWidget* parent)
    : QDialog(parent)
    , m_record(record)
    , m_clock(clock)
    , m_openDay(std::move(openDay)) {
    setWindowTitle(tr("Your Progress"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(16);
    auto* figures = new QGridLayout;
    figures->setHorizontalSpacing(28);
    const std::pair<QString, QLabel**> cells[] = {{tr("Current streak"), &m_current},
                                                  {tr("Longest streak"), &m_longest},
                                                  {tr("Total words"), &m_words},
                                                  {tr("Completed sessions"), &m_sessions}};
    int place = 0;
    for (const auto& [caption, value] : cells) {
        figures->addWidget(figure(caption, value), 0, place);
        figures->addWidget(*value, 1, place++);
    }
    figures->setColumnStretch(place, 1);
    column->addLayout(figures);
    m_calendar = new ProgressCalendar(this);
    column->addWidget(m_calendar);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    column->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    connect(&m_record, &WritingRecord::changed, this, &ProgressView::refresh);
    connect(m_calendar, &ProgressCalendar::dayActivated, this, [this](QDate day) {
        if (m_openDay && m_openDay(day))
            accept();
    });
    refresh();
    m_calendar->setFocus();
}

QLabel* ProgressView::figure(const QString& caption, QLabel** value) {
    auto* label = new QLabel(caption, this);
    *value = new QLabel(this);
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setWeight(QFont::DemiBold);
    (*value)->setFont(large);
    (*value)->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString ProgressView::summary() const {
    return tr("Current streak %1, longest streak %2, %3 words, %4 completed sessions")
        .arg(m_current->text(), m_longest->text(), m_words->text(), m_sessions->text());
}

void ProgressView::refresh() {
    const QDateTime now = m_clock.now();
    const Streaks streaks = m_record.streaks(now);
    m_current->setText(days(streaks.current));
    m_longest->setText(days(streaks.longest));
    m_words->setText(QLocale().toString(m_record.totalWords()));
    m_sessions->setText(QLocale().toString(m_record.completedSessions()));
    m_calendar->setDays(m_record.days(), now.toLocalTime().date());
    m_problem->setText(m_record.isLoaded() ? m_record.problem() : tr("Reading your record…"));
    m_problem->setVisible(!m_problem->text().isEmpty());
    setAccessibleDescription(summary());
}

} // namespace inkwarden
