#include "spelling/spelling_highlighter.h"

#include "spelling/spell_checker.h"

#include <QElapsedTimer>
#include <QTextDocument>

namespace inkwarden {
namespace {

// Slices short enough that a keystroke arriving meanwhile is not kept waiting,
// begun only once a newly opened text has been drawn and settled.
constexpr qint64 kIdleSlice = 3;
constexpr int kIdlePause = 15;
constexpr int kIdleStart = 500;
constexpr int kFirstEagerLength = 6000;

// Which round of checking a block's marks belong to.
struct CheckedRound : QTextBlockUserData {
    explicit CheckedRound(int checkedIn)
        : round(checkedIn) {}
    int round;
};

} // namespace

SpellingHighlighter::SpellingHighlighter(QTextDocument* document, SpellChecker& checker)
    : QSyntaxHighlighter(document)
    , m_checker(checker)
    , m_eagerTo(kFirstEagerLength) {
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (checkSome(kIdleSlice))
            m_idle.start(kIdlePause);
    });
    connect(&checker, &SpellChecker::changed, this, &SpellingHighlighter::recheckAll);
}

void SpellingHighlighter::setEagerRange(int from, int to) {
    m_eagerFrom = from;
    m_eagerTo = to;
    if (!hasPendingBlocks() || !document())
        return;
    for (QTextBlock block = document()->findBlock(qMax(0, from));
         block.isValid() && block.position() <= to; block = block.next()) {
        const auto* data = static_cast<CheckedRound*>(block.userData());
        if (!data || data->round != m_generation)
            rehighlightBlock(block);
    }
}

void SpellingHighlighter::caretMoved(int position) {
    if (m_typingPosition < 0 || position == m_typingPosition)
        return;
    const QTextBlock block = document()->findBlock(m_typingPosition);
    const int typed = m_typingPosition - block.position();
    const int caret = position - block.position();
    const bool sameBlock = block.contains(position) || position == m_typingPosition;
    for (const spelling::WordSpan& word : spelling::wordsToCheck(block.text())) {
        if (sameBlock && word.start <= typed && typed <= word.end() && word.start <= caret &&
            caret <= word.end())
            return;
    }
    m_typingPosition = -1;
    rehighlightBlock(block);
}

void SpellingHighlighter::checkPendingBlocks() {
    while (checkSome(INT_MAX)) {
    }
    m_idle.stop();
}

QList<spelling::WordSpan> SpellingHighlighter::misspellingsIn(const QTextBlock& block) const {
    QList<spelling::WordSpan> found;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
            found.append({range.start, range.length});
    }
    return found;
}

bool SpellingHighlighter::isEager(const QTextBlock& block) const {
    if (m_forced)
        return true;
    const auto* data = static_cast<CheckedRound*>(block.userData());
    if (data && data->round == m_generation)
        return true; // once checked, kept current wherever it is
    return block.position() <= m_eagerTo && block.position() + block.length() >= m_eagerFrom;
}

void SpellingHighlighter::highlightBlock(const QString& text) {
    if (!m_checker.isActive())
        return;
    const QTextBlock block = currentBlock();
    if (!isEager(block)) {
        m_firstPending = qMin(m_firstPending, block.blockNumber());
        if (!m_idle.isActive())
            m_idle.start(kIdleStart);
        return;
    }
    setCurrentBlockUserData(new CheckedRound(m_generation));
    QTextCharFormat mark;
    mark.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    mark.setUnderlineColor(Qt::red);
    const int typed = m_typingPosition - block.position();
    for (const spelling::WordSpan& word : spelling::wordsToCheck(text)) {
        if (word.start <= typed && typed <= word.end())
            continue;
        if (m_checker.isMisspelled(QStringView(text).sliced(word.start, word.length)))
            setFormat(word.start, word.length, mark);
    }
}

// Walks on from the first block that waits; true while some are left.
bool SpellingHighlighter::checkSome(qint64 budgetMilliseconds) {
    if (!hasPendingBlocks() || !document())
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    QTextBlock block = document()->findBlockByNumber(m_firstPending);
    m_firstPending = INT_MAX;
    m_forced = true;
    for (; block.isValid(); block = block.next()) {
        if (elapsed.elapsed() >= budgetMilliseconds) {
            m_firstPending = qMin(m_firstPending, block.blockNumber());
            break;
        }
        const auto* data = static_cast<CheckedRound*>(block.userData());
        if (!data || data->round != m_generation)
            rehighlightBlock(block);
    }
    m_forced = false;
    return hasPendingBlocks();
}

// Answers changed (a word added, another language): the shown blocks at once, the rest when idle.
void SpellingHighlighter::recheckAll() {
    ++m_generation;
    rehighlight();
}

} // namespace inkwarden
