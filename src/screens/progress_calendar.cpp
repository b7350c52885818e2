#include "screens/progress_calendar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QToolTip>

namespace inkwarden {
namespace {

QColor mixed(const QColor& from, const QColor& to, double amount) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

// One day square for screen readers: a cell named like its tooltip.
class DayAccessible final : public QAccessibleInterface {
public:
    DayAccessible(ProgressCalendar* calendar, QDate day)
        : m_calendar(calendar)
        , m_day(day) {}
    QDate day() const { return m_day; }
    bool isValid() const override { return m_calendar && m_calendar->dayRect(m_day).isValid(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_calendar);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? m_calendar->describe(m_day) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect square = m_calendar->dayRect(m_day);
        return QRect(m_calendar->mapToGlobal(square.topLeft()), square.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.focused = isValid() && m_calendar->hasFocus() && m_calendar->focusedDay() == m_day;
        return state;
    }

private:
    QPointer<ProgressCalendar> m_calendar;
    QDate m_day;
};

// The calendar as a table of its days, oldest first; the focused day is its
// focus child.
class CalendarAccessible final : public QAccessibleWidget {
public:
    explicit CalendarAccessible(ProgressCalendar* calendar)
        : QAccessibleWidget(calendar, QAccessible::Table) {}
    ~CalendarAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_days))
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override {
        return int(calendar()->firstDay().daysTo(calendar()->today())) + 1;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        const QDate day = calendar()->firstDay().addDays(index);
        if (const auto known = m_days.constFind(day); known != m_days.cend())
            return QAccessible::accessibleInterface(*known);
        auto* made = new DayAccessible(calendar(), day);
        m_days.insert(day, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* day = dynamic_cast<const DayAccessible*>(child);
        return day && day->isValid() ? int(calendar()->firstDay().daysTo(day->day())) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QDate day = calendar()->dayAt(calendar()->mapFromGlobal(QPoint(x, y)));
        return day.isValid() ? child(int(calendar()->firstDay().daysTo(day))) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (!calendar()->hasFocus())
            return nullptr;
        return child(int(calendar()->firstDay().daysTo(calendar()->focusedDay())));
    }

private:
    ProgressCalendar* calendar() const { return static_cast<ProgressCalendar*>(widget()); }

    mutable QMap<QDate, QAccessible::Id> m_days;
};

QAccessibleInterface* calendarAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ProgressCalendar::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new CalendarAccessible(static_cast<ProgressCalendar*>(object));
    return nullptr;
}

} // namespace

ProgressCalendar::ProgressCalendar(QWidget* parent)
    : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(calendarAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAccessibleName(tr("Writing calendar"));
    setDays({}, QDate::currentDate());
}

// The first column starts on the locale's first weekday, 52 weeks before
// the week holding today.
void ProgressCalendar::setDays(const QMap<QDate, DayRecord>& days, QDate today) {
    m_days = days;
    m_today = today;
    const int back = (today.dayOfWeek() - QLocale().firstDayOfWeek() + 7) % 7;
    m_firstDay = today.addDays(-back - 7 * (kWeeks - 1));
    if (!m_focused.isValid() || m_focused < m_firstDay || m_focused > m_today)
        m_focused = today;
    update();
}

void ProgressCalendar::setFocusedDay(QDate day) {
    if (!day.isValid() || day < m_firstDay || day > m_today)
        return;
    m_focused = day;
    if (hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(int(m_firstDay.daysTo(day)));
        QAccessible::updateAccessibility(&event);
    }
    update();
}

// Scaled from the font, so the calendar follows the display's scale and
// the person's text size; smaller when the window is narrower than that.
int ProgressCalendar::preferredCellSize() const {
    return qMax(10, fontMetrics().height() * 3 / 4);
}

int ProgressCalendar::cellSize() const {
    const int fit = (width() - origin().x()) / kWeeks - gap();
    return qBound(6, fit, preferredCellSize());
}

QPoint ProgressCalendar::origin() const {
    const QFontMetrics metrics = fontMetrics();
    int labels = 0;
    for (int day = 1; day <= 7; ++day)
        labels =
            qMax(labels, metrics.horizontalAdvance(QLocale().dayName(day, QLocale::ShortFormat)));
    return {labels + gap() * 2, metrics.height() + gap()};
}

QSize ProgressCalendar::sizeHint() const {
    const int step = preferredCellSize() + gap();
    return QSize(origin().x() + kWeeks * step, origin().y() + 7 * step);
}

QSize ProgressCalendar::minimumSizeHint() const {
    return QSize(origin().x() + kWeeks * (6 + gap()), sizeHint().height());
}

QRect ProgressCalendar::dayRect(QDate day) const {
    if (!day.isValid() || day < m_firstDay || day > m_today)
        return {};
    const qint64 offset = m_firstDay.daysTo(day);
    const int step = cellSize() + gap();
    return QRect(origin() + QPoint(int(offset / 7) * step, int(offset % 7) * step),
                 QSize(cellSize(), cellSize()));
}

QDate ProgressCalendar::dayAt(QPoint point) const {
    const int step = cellSize() + gap();
    const QPoint inside = point - origin();
    if (inside.x() < 0 || inside.y() < 0)
        return {};
    const int column = inside.x() / step;
    const int row = inside.y() / step;
    if (column >= kWeeks || row >= 7)
        return {};
    const QDate day = m_firstDay.addDays(column * 7 + row);
    return dayRect(day).contains(point) ? day : QDate();
}

QString ProgressCalendar::describe(QDate day) const {
    const DayRecord record = m_days.value(day);
    const qint64 words = std::max(record.entryWords, record.wordsAdded);
    const QString date = QLocale().toString(day, QLocale::LongFormat);
    if (words == 0 && !record.completed)
        return tr("%1: no writing").arg(date);
    const QString count = words == 1 ? tr("1 word") : tr("%1 words").arg(QLocale().toString(words));
    return tr("%1: %2, %3")
        .arg(date, count, record.completed ? tr("session completed") : tr("no completed session"));
}

void ProgressCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintLabels(painter);
    for (QDate day = m_firstDay; day <= m_today; day = day.addDays(1))
        paintDay(painter, day);
}

void ProgressCalendar::paintLabels(QPainter& painter) {
    painter.setPen(palette().color(QPalette::WindowText));
    const int step = cellSize() + gap();
    const QLocale locale;
    for (int row = 1; row < 7; row += 2) {
        const QRect line(0, origin().y() + row * step, origin().x() - gap(), cellSize());
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                         locale.dayName(m_firstDay.addDays(row).dayOfWeek(), QLocale::ShortFormat));
    }
    // A month is named above the first column that holds its first day.
    int lastLabelEnd = 0;
    for (int column = 0; column < kWeeks; ++column) {
        const QDate top = m_firstDay.addDays(column * 7);
        const QDate bottom = top.addDays(6);
        if (column > 0 && top.month() == bottom.month() && top.day() != 1)
            continue;
        const QDate named = column == 0 ? top : QDate(bottom.year(), bottom.month(), 1);
        const QString name = locale.monthName(named.month(), QLocale::ShortFormat);
        const int x = origin().x() + column * step;
        if (x < lastLabelEnd)
            continue;
        painter.drawText(QPoint(x, fontMetrics().ascent()), name);
        lastLabelEnd = x + fontMetrics().horizontalAdvance(name) + gap();
    }
}

void ProgressCalendar::paintDay(QPainter& painter, QDate day) {
    const QRectF square = QRectF(dayRect(day)).adjusted(0.5, 0.5, -0.5, -0.5);
    const DayRecord record = m_days.value(day);
    const QColor accent = palette().color(QPalette::Highlight);
    const QColor base = palette().color(QPalette::Base);
    const QColor ink = palette().color(QPalette::WindowText);
    const double radius = cellSize() / 5.0;
    painter.setPen(QPen(mixed(base, ink, 0.18), 1));
    if (record.completed)
        painter.setBrush(accent);
    else if (record.entryWords > 0 || record.wordsAdded > 0)
        painter.setBrush(mixed(base, accent, 0.4));
    else
        painter.setBrush(base);
    painter.drawRoundedRect(square, radius, radius);
    painter.setBrush(Qt::NoBrush);
    if (day == m_today) {
        painter.setPen(QPen(ink, 2));
        painter.drawRoundedRect(square.adjusted(-1, -1, 1, 1), radius, radius);
    }
    if (day == m_focused && hasFocus()) {
        painter.setPen(QPen(accent.darker(140), 2, Qt::DotLine));
        painter.drawRoundedRect(square.adjusted(-2.5, -2.5, 2.5, 2.5), radius, radius);
    }
}

void ProgressCalendar::keyPressEvent(QKeyEvent* event) {
    QDate target;
    switch (event->key()) {
    case Qt::Key_Left:
        target = m_focused.addDays(layoutDirection() == Qt::RightToLeft ? 7 : -7);
        break;
    case Qt::Key_Right:
        target = m_focused.addDays(layoutDirection() == Qt::RightToLeft ? -7 : 7);
        break;
    case Qt::Key_Up:
        target = m_focused.addDays(-1);
        break;
    case Qt::Key_Down:
        target = m_focused.addDays(1);
        break;
    case Qt::Key_Home:
        target = m_firstDay;
        break;
    case Qt::Key_End:
        target = m_today;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT dayActivated(m_focused);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setFocusedDay(target);
}

void ProgressCalendar::mouseMoveEvent(QMouseEvent* event) {
    const QDate day = dayAt(event->position().toPoint());
    if (day.isValid())
        QToolTip::showText(event->globalPosition().toPoint(), describe(day), this, dayRect(day));
    else
        QToolTip::hideText();
}

void ProgressCalendar::mousePressEvent(QMouseEvent* event) {
    const QDate day = dayAt(event->position().toPoint());
    if (!day.isValid() || event->button() != Qt::LeftButton)
        return;
    setFocusedDay(day);
    Q_EMIT dayActivated(day);
}

void ProgressCalendar::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    setFocusedDay(m_focused);
}

void ProgressCalendar::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace inkwarden
