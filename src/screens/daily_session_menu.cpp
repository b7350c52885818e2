#include "screens/daily_session_menu.h"

#include "store/writing_store.h"

#include <QEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QWidgetAction>

namespace inkwarden {
namespace {

// Room around the title so the focus frame does not touch the text.
constexpr QMargins kTextMargins{3, 2, 3, 2};
constexpr qreal kPressedOpacity = 0.5;

} // namespace

DailySessionMenu::DailySessionMenu(WritingStore& store, QWidget* parent)
    : QAbstractButton(parent)
    , m_store(store) {
    QFont titleFont = font();
    titleFont.setPixelSize(kFontPixelSize);
    titleFont.setWeight(QFont::Medium);
    setFont(titleFont);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("Daily start time"));
    setToolTip(tr("Choose the daily writing time"));
    refresh();
    connect(this, &QAbstractButton::clicked, this, &DailySessionMenu::showMenu);
    connect(&m_store, &WritingStore::objectWillChange, this, &DailySessionMenu::scheduleRefresh);
}

// The locale's short time without seconds, which some (C among them) include.
QString DailySessionMenu::hoursAndMinutes() {
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[^hHmaAp\\s]?s+(\\.z+)?")));
    return format.trimmed();
}

// The store has not changed yet while it signals: read it on the next turn,
// once however many changes arrive together.
void DailySessionMenu::scheduleRefresh() {
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(this, &DailySessionMenu::refresh, Qt::QueuedConnection);
}

void DailySessionMenu::refresh() {
    m_refreshQueued = false;
    const QString title =
        QLocale().toString(m_store.scheduledTime().toLocalTime().time(), hoursAndMinutes());
    if (title == text())
        return;
    setText(title);
    updateGeometry();
}

QMenu* DailySessionMenu::buildMenu() {
    if (m_menu)
        m_menu->deleteLater();
    m_menu = new QMenu(tr("Daily session"), this);

    auto* area = new QWidget(m_menu);
    m_timeEditor = new QTimeEdit(area);
    m_timeEditor->setDisplayFormat(hoursAndMinutes());
    m_timeEditor->setTime(m_store.scheduledTime().toLocalTime().time());
    m_timeEditor->setAccessibleName(tr("Daily start time"));
    // A 12-hour time such as "12:45 PM" in the desktop's font needs more than
    // the usual frame; widen the editor and its area rather than clip it.
    QRect frame = kEditorFrame;
    frame.setWidth(qMax(frame.width(), m_timeEditor->sizeHint().width()));
    m_timeEditor->setGeometry(frame);
    area->setFixedSize(kEditorAreaSize + QSize(frame.width() - kEditorFrame.width(), 0));
    connect(m_timeEditor, &QTimeEdit::timeChanged, this, &DailySessionMenu::applyEditedTime);

    auto* item = new QWidgetAction(m_menu);
    item->setDefaultWidget(area);
    m_menu->addAction(item);
    return m_menu;
}

// Hour first, then minute: each assignment persists and reschedules, so the
// reminders briefly see the new hour with the old minute before both land.
void DailySessionMenu::applyEditedTime() {
    const QTime time = m_timeEditor->time();
    m_store.setScheduleHour(time.hour());
    m_store.setScheduleMinute(time.minute());
}

void DailySessionMenu::showMenu() {
    QMenu* shown = buildMenu();
    if (!isVisible())
        return;
    QWidget* content = window();
    const QPoint anchor = mapTo(content, QPoint(0, kMenuOffsetY));
    const int left = menuLeft(anchor.x(), content->width(), shown->sizeHint().width());
    shown->popup(content->mapToGlobal(QPoint(left, anchor.y())));
    // Typing goes straight to the editor, not to the menu's own key handling.
    shown->setActiveAction(shown->actions().constFirst());
    m_timeEditor->setFocus(Qt::PopupFocusReason);
}

int DailySessionMenu::menuLeft(int anchorLeft, int windowWidth, int menuWidth) {
    return qMax(kMenuMargin, qMin(windowWidth - menuWidth - kMenuMargin, anchorLeft));
}

QSize DailySessionMenu::sizeHint() const {
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text());
    return textSize.grownBy(kTextMargins);
}

void DailySessionMenu::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setOpacity(isDown() ? kOpacity * kPressedOpacity : kOpacity);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().marginsRemoved(kTextMargins), Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void DailySessionMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange)
        refresh();
    else if (event->type() == QEvent::FontChange)
        updateGeometry();
    QAbstractButton::changeEvent(event);
}

} // namespace inkwarden
