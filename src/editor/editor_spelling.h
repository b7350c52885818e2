#pragma once

#include <QObject>
#include <QPoint>

class QMenu;

namespace inkwarden {

class PlaceholderTextView;
class SpellChecker;
class SpellingHighlighter;

// Spell checking in one text view: installs the highlighter, tells it what
// is shown and where the person types, and puts suggestions, "Add to
// Dictionary" and "Ignore Spelling" at the top of the context menu.
// Main thread; owned by the view's editor.
class EditorSpelling : public QObject {
    Q_OBJECT
public:
    EditorSpelling(PlaceholderTextView& view, SpellChecker& checker, QObject* parent = nullptr);

    SpellingHighlighter& highlighter() const { return *m_highlighter; }
    // The context menu for a click at `position` in the viewport; the caller owns it.
    QMenu* createContextMenu(QPoint position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateEagerRange();
    void addSpellingEntries(QMenu& menu, QPoint position);

    PlaceholderTextView& m_view;
    SpellChecker& m_checker;
    SpellingHighlighter* m_highlighter = nullptr;
};

} // namespace inkwarden
