#include "record/word_count.h"

#include <QTextBoundaryFinder>

namespace inkwarden {
namespace {

enum class Segment { Blank, Word, ClusterWord };

// Khmer, Lao and Myanmar are written without spaces between words and Qt has
// no dictionary for them: their boundaries fall between syllables, so a run
// of such segments with nothing between them counts as one word.
bool isUnsegmentedScript(char32_t point) {
    const QChar::Script script = QChar::script(point);
    return script == QChar::Script_Khmer || script == QChar::Script_Lao ||
           script == QChar::Script_Myanmar;
}

Segment classify(QStringView segment) {
    Segment kind = Segment::Blank;
    for (qsizetype i = 0; i < segment.size(); ++i) {
        char32_t point = segment[i].unicode();
        if (QChar::isHighSurrogate(point) && i + 1 < segment.size() &&
            segment[i + 1].isLowSurrogate()) {
            point = QChar::surrogateToUcs4(segment[i].unicode(), segment[i + 1].unicode());
            ++i;
        }
        if (!QChar::isLetterOrNumber(point))
            continue;
        if (!isUnsegmentedScript(point))
            return Segment::Word;
        kind = Segment::ClusterWord;
    }
    return kind;
}

} // namespace

qint64 countWords(QStringView text) {
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text.data(), text.size());
    qint64 words = 0;
    qsizetype start = 0;
    Segment previous = Segment::Blank;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        const Segment kind = classify(text.sliced(start, end - start));
        if (kind == Segment::Word || (kind == Segment::ClusterWord && previous != kind))
            ++words;
        previous = kind;
        start = end;
    }
    return words;
}

} // namespace inkwarden
