#pragma once

#include "editor/rich_text_editor.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <optional>

class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QLabel;
class QMenu;
class QMessageBox;
class QToolButton;

namespace inkwarden {

class HighlightPickerPopup;
class SearchIndex;
class SpellChecker;
class WritingStore;

// The writer window's content: the control row above the editor. Shows only
// what the store holds and sends every change to the store or, for
// formatting, through the editor requests. Opens the library and save
// sheets and the "Couldn't save" alert when the store asks for them.
// Main thread.
class WritingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 48;
    static constexpr int kWritingMargin = 24;
    static constexpr int kCompactBelow = 850;

    explicit WritingView(WritingStore& store, QWidget* parent = nullptr,
                         SpellChecker* spelling = nullptr);

    bool isCompact() const { return m_compact; }
    int rowSpacing() const;
    const QString& selectedHighlight() const { return m_selectedHighlight; }
    RichTextEditor* editor() const { return m_editor; }
    QToolButton* highlightToggle() const { return m_highlightToggle; }
    QToolButton* colorPicker() const { return m_colorPicker; }
    HighlightPickerPopup* highlightPicker() const { return m_picker; }
    QWidget* sessionControl() const;
    // The line above the text that tells of a failed save or a notice.
    QWidget* noticeBar() const { return m_noticeBar; }
    // "1,284 words" left of Save; hidden for an empty document.
    QLabel* wordCountLabel() const { return m_wordCountLabel; }
    QLabel* dailyLabel() const { return m_dailyLabel; }

    // Picks a swatch as the popover does: selects it, closes the popover and
    // highlights at once.
    void chooseHighlight(const QString& name);

    // The index the library searches; none hides its search field.
    void setSearchIndex(SearchIndex* index) { m_searchIndex = index; }
    // Opens the library with its search field taking the keys.
    void presentLibrarySearch();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildControlRow();
    QWidget* buildNoticeBar();
    void refreshNoticeBar();
    QToolButton* formatButton(const QString& symbol, const QString& label, int command);
    QToolButton* textButton(const QString& text, const QString& toolTip);
    QToolButton* buildFontChooser();
    void format(int command);
    void scheduleRefresh();
    void refresh();
    void refreshFontChooser();
    void refreshHighlightControls();
    void refreshSession();
    void refreshSaveToolTip();
    void refreshWordCount();
    void replaceEditorIfNeeded();
    void presentSheetsAndAlerts();
    void selectMatch();
    void setCompact(bool compact);
    void tintSymbols();

    WritingStore& m_store;
    SpellChecker* m_spelling = nullptr;
    bool m_compact = false;
    bool m_refreshQueued = false;
    QString m_selectedHighlight;
    QString m_fontChooserLook;
    QString m_highlightLook;
    std::optional<QColor> m_cursorHighlightColor;
    QHBoxLayout* m_row = nullptr;
    QToolButton* m_fontChooser = nullptr;
    QLabel* m_fontName = nullptr;
    QLabel* m_fontChevron = nullptr;
    QLabel* m_dailyLabel = nullptr;
    QLabel* m_wordCountLabel = nullptr;
    QToolButton* m_highlightToggle = nullptr;
    QToolButton* m_colorPicker = nullptr;
    HighlightPickerPopup* m_picker = nullptr;
    QLabel* m_countdown = nullptr;
    QToolButton* m_start = nullptr;
    QToolButton* m_save = nullptr;
    QWidget* m_noticeBar = nullptr;
    QLabel* m_noticeText = nullptr;
    QToolButton* m_noticeAction = nullptr;
    QBoxLayout* m_editorArea = nullptr;
    QPointer<RichTextEditor> m_editor;
    QUuid m_editorRevision;
    QPointer<QDialog> m_library;
    SearchIndex* m_searchIndex = nullptr;
    bool m_focusLibrarySearch = false;
    QString m_matchToSelect; // a search result's words, selected once its document is shown
    QPointer<QDialog> m_saveSheet;
    QPointer<QMessageBox> m_fileErrorAlert;
};

} // namespace inkwarden
