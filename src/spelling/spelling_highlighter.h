#pragma once

#include "spelling/word_rules.h"

#include <QSyntaxHighlighter>
#include <QTimer>
#include <climits>

namespace inkwarden {

class SpellChecker;

// Draws the wavy underline under misspelled words. The marks are layout
// formats only, never part of the text, its undo history or what is saved.
// Blocks in the eager range are checked as soon as they change; the others
// wait for idle time, so a long text opens without reading every word.
// Main thread.
class SpellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    SpellingHighlighter(QTextDocument* document, SpellChecker& checker);

    // Document positions to check at once (what is shown, and a margin).
    void setEagerRange(int from, int to);
    // Where text is being typed: the word touching it waits until the caret leaves it.
    void setTypingPosition(int position) { m_typingPosition = position; }
    int typingPosition() const { return m_typingPosition; }
    void caretMoved(int position);

    bool hasPendingBlocks() const { return m_firstPending != INT_MAX; }
    // Checks whatever waits for idle time now.
    void checkPendingBlocks();
    // The misspelled words of `block`, as shown.
    QList<spelling::WordSpan> misspellingsIn(const QTextBlock& block) const;

protected:
    void highlightBlock(const QString& text) override;

private:
    bool isEager(const QTextBlock& block) const;
    bool checkSome(qint64 budgetMilliseconds);
    void recheckAll();

    SpellChecker& m_checker;
    QTimer m_idle;
    int m_eagerFrom = 0;
    int m_eagerTo = 0;
    int m_typingPosition = -1;
    int m_generation = 0;
    int m_firstPending = INT_MAX; // block number
    bool m_forced = false;
};

} // namespace inkwarden
