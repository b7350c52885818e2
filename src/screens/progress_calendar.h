#pragma once

#include "record/record_database.h"

#include <QDate>
#include <QMap>
#include <QWidget>

namespace inkwarden {

// The last 53 weeks as a heat map painted in one widget: weeks in columns
// starting on the locale's first day of the week, months labelled above. A
// day with a completed session is filled with the accent colour, one with
// writing only with a lighter tint, an empty one left blank; today is
// outlined. Arrow keys move between days, and the focused day's date, words
// and session are its accessible name. Main thread.
class ProgressCalendar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWeeks = 53;

    explicit ProgressCalendar(QWidget* parent = nullptr);

    void setDays(const QMap<QDate, DayRecord>& days, QDate today);
    QDate firstDay() const { return m_firstDay; }
    QDate today() const { return m_today; }
    QDate focusedDay() const { return m_focused; }
    void setFocusedDay(QDate day);
    // Where `day` is painted; empty outside the calendar.
    QRect dayRect(QDate day) const;
    QDate dayAt(QPoint point) const;
    // "Monday, 7 December 2026: 1,284 words, session completed".
    QString describe(QDate day) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // Clicked, or Enter or Space on the focused day.
    void dayActivated(QDate day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int preferredCellSize() const;
    int cellSize() const;
    int gap() const { return qMax(2, fontMetrics().height() / 6); }
    QPoint origin() const;
    void paintLabels(QPainter& painter);
    void paintDay(QPainter& painter, QDate day);

    QMap<QDate, DayRecord> m_days;
    QDate m_today;
    QDate m_firstDay;
    QDate m_focused;
};

} // namespace inkwarden
