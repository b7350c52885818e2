#pragma once

#include "editor/formatting_command.h"

#include <QColor>
#include <QTextCharFormat>
#include <QWidget>
#include <functional>
#include <optional>

class QTextCursor;
class QTextDocument;

namespace inkwarden {

class EditorSpelling;
class PlaceholderTextView;
class SpellChecker;
class WritingStore;

// The writing surface. Loads the store's current content once, when built,
// and hands every change back through saveEntry(); carries out the
// formatting and font requests of the editor channel. A different document
// is shown by building a new editor. With a spell checker, misspelled words
// are marked as they are typed. Main thread; owns its text view.
class RichTextEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr double kBaseFontSize = 21.0;
    static constexpr int kInsetWidth = 18;
    static constexpr int kInsetHeight = 10;
    // Qt lays text at the inset itself; these points stand for the line
    // padding other text systems add, so text and placeholder line up.
    static constexpr int kLinePadding = 5;

    explicit RichTextEditor(WritingStore& store, QWidget* parent = nullptr,
                            SpellChecker* spelling = nullptr);

    PlaceholderTextView& textView() const { return *m_textView; }
    // Null without a spell checker.
    EditorSpelling* spelling() const { return m_spelling; }

    // The highlight under the caret or selection; none when there is none.
    std::optional<QColor> cursorHighlightColor() const { return m_cursorHighlightColor; }
    // The screen's side of the binding (it may clear or set it).
    void setCursorHighlightColor(std::optional<QColor> color);

    void apply(FormattingCommand command, const QString& highlightName);
    void changeFont(const QString& name);

    // The family to draw when `name` names no font at all.
    static QFont fontNamed(const QString& name, double pointSize);

Q_SIGNALS:
    void cursorHighlightColorChanged(std::optional<QColor> color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpTextView();
    void loadContent();
    void received(const QString& name, const QVariant& object, const QVariantMap& userInfo);
    void setFont(const QTextCursor& range,
                 const std::function<QTextCharFormat(const QTextCharFormat&)>& transform);
    void setAttribute(QTextCursor& range, const QTextCharFormat& change);
    std::optional<std::pair<int, int>> highlightRange(int location) const;
    void updateHighlightState();
    void textDidChange();
    void plainTypingAttributes();
    void handBackToStore();
    void refuseExcess(QTextDocument& document, int excess);
    void refuseParagraphs(QTextDocument& document);

    WritingStore& m_store;
    PlaceholderTextView* m_textView = nullptr;
    EditorSpelling* m_spelling = nullptr;
    std::optional<QColor> m_cursorHighlightColor;
    bool m_changingText = false;
    int m_lastChangeStart = 0;      // where the latest edit's inserted text begins
    int m_lastChangeEnd = 0;        // and ends
    bool m_contentsChanged = false; // text or formats, since the last textDidChange
};

} // namespace inkwarden
