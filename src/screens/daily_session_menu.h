#pragma once

#include <QAbstractButton>
#include <QMenu>
#include <QPointer>
#include <QTimeEdit>

namespace inkwarden {

class WritingStore;

// The borderless button in the writing screen's control row that shows the
// daily writing time and, when pressed, pops up a menu with an hour-and-minute
// editor that writes every change straight into the store. Main thread.
class DailySessionMenu : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kFontPixelSize = 14;
    static constexpr qreal kOpacity = 0.85;
    static constexpr int kMenuMargin = 12;
    static constexpr int kMenuOffsetY = 24;
    static constexpr QSize kEditorAreaSize{104, 36};
    static constexpr QRect kEditorFrame{10, 5, 72, 26};

    explicit DailySessionMenu(WritingStore& store, QWidget* parent = nullptr);

    // The menu and its time editor from the latest press; null before it.
    QMenu* menu() const { return m_menu; }
    QTimeEdit* timeEditor() const { return m_timeEditor; }

    // Builds a fresh menu starting at the store's current time and keeps it,
    // replacing the previous one.
    QMenu* buildMenu();
    // What a press does: builds the menu and pops it up under the button,
    // without waiting for it to close. A hidden button shows nothing.
    void showMenu();

    // Where the menu's left edge goes, in the window's coordinates: under the
    // button, pushed left to stay the margin inside the window's right edge,
    // but never closer than the margin to its left edge.
    static int menuLeft(int anchorLeft, int windowWidth, int menuWidth);
    // How the daily time is written: the locale's hours and minutes, never seconds.
    static QString hoursAndMinutes();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void scheduleRefresh();
    void refresh();
    void applyEditedTime();

    WritingStore& m_store;
    bool m_refreshQueued = false;
    QPointer<QMenu> m_menu;
    QPointer<QTimeEdit> m_timeEditor;
};

} // namespace inkwarden
