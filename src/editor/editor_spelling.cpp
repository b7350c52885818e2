#include "editor/editor_spelling.h"

#include "editor/placeholder_text_view.h"
#include "spelling/spell_checker.h"
#include "spelling/spelling_highlighter.h"
#include "spelling/word_rules.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

namespace inkwarden {

EditorSpelling::EditorSpelling(PlaceholderTextView& view, SpellChecker& checker, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_checker(checker) {
    // Connected before the highlighter exists, so it knows of the typing
    // before it looks at the changed block. A change that keeps the length
    // only reformats (bold, a highlight).
    connect(view.document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                if (removed != added)
                    m_highlighter->setTypingPosition(position + added);
            });
    m_highlighter = new SpellingHighlighter(view.document(), checker);
    m_highlighter->setParent(this); // it may outlive the document, never this
    connect(&view, &QTextEdit::cursorPositionChanged, this,
            [this] { m_highlighter->caretMoved(m_view.textCursor().position()); });
    connect(view.verticalScrollBar(), &QScrollBar::valueChanged, this,
            &EditorSpelling::updateEagerRange);
    view.viewport()->installEventFilter(this);
}

bool EditorSpelling::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view.viewport()) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            updateEagerRange();
        } else if (event->type() == QEvent::ContextMenu) {
            // From the keyboard, the menu is about the word at the caret.
            auto* request = static_cast<QContextMenuEvent*>(event);
            const QPoint at = request->reason() == QContextMenuEvent::Keyboard
                                  ? m_view.cursorRect().center()
                                  : request->pos();
            QMenu* menu = createContextMenu(at);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(m_view.viewport()->mapToGlobal(at));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// What is shown, and a screenful either side so that scrolling finds it checked.
void EditorSpelling::updateEagerRange() {
    const QRect shown = m_view.viewport()->rect();
    const int first = m_view.cursorForPosition(shown.topLeft()).position();
    const int last = m_view.cursorForPosition(shown.bottomRight()).position();
    const int margin = qMax(2000, last - first);
    m_highlighter->setEagerRange(first - margin, last + margin);
}

QMenu* EditorSpelling::createContextMenu(QPoint position) {
    const QPoint scrolled(m_view.horizontalScrollBar()->value(),
                          m_view.verticalScrollBar()->value());
    QMenu* menu = m_view.createStandardContextMenu(position + scrolled);
    addSpellingEntries(*menu, position);
    return menu;
}

void EditorSpelling::addSpellingEntries(QMenu& menu, QPoint position) {
    const QTextCursor at = m_view.cursorForPosition(position);
    const QTextBlock block = at.block();
    const int offset = at.position() - block.position();
    spelling::WordSpan word{-1, 0};
    for (const spelling::WordSpan& marked : m_highlighter->misspellingsIn(block)) {
        if (marked.start <= offset && offset <= marked.end())
            word = marked;
    }
    if (word.start < 0)
        return;
    const QString text = block.text().mid(word.start, word.length);
    QAction* first = menu.actions().value(0);
    QList<QAction*> entries;
    const QStringList suggestions = m_checker.suggestions(text);
    for (const QString& suggestion : suggestions) {
        auto* replace = new QAction(suggestion, &menu);
        const int start = block.position() + word.start;
        connect(replace, &QAction::triggered, this, [this, start, word, suggestion] {
            QTextCursor edit(m_view.document());
            edit.setPosition(start + 1);
            const QTextCharFormat format = edit.charFormat();
            edit.setPosition(start);
            edit.setPosition(start + word.length, QTextCursor::KeepAnchor);
            edit.insertText(suggestion, format);
        });
        entries.append(replace);
    }
    if (suggestions.isEmpty()) {
        entries.append(new QAction(tr("No Suggestions"), &menu));
        entries.back()->setEnabled(false);
    }
    auto* separator = new QAction(&menu);
    separator->setSeparator(true);
    auto* add = new QAction(tr("Add to Dictionary"), &menu);
    connect(add, &QAction::triggered, this, [this, text] { m_checker.addToDictionary(text); });
    auto* ignore = new QAction(tr("Ignore Spelling"), &menu);
    connect(ignore, &QAction::triggered, this, [this, text] { m_checker.ignore(text); });
    auto* after = new QAction(&menu);
    after->setSeparator(true);
    entries << separator << add << ignore << after;
    menu.insertActions(first, entries);
}

} // namespace inkwarden
