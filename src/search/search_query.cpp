#include "search/search_query.h"

#include <algorithm>

namespace inkwarden::search {
namespace {

// Words shown before the first match and in all, in a snippet.
constexpr qsizetype kWordsBefore = 5;
constexpr qsizetype kSnippetWords = 16;

// Letters and digits (and marks, which belong to the letter before them);
// anything else separates words, as it does for the tokenizer.
bool isWordCharacter(QChar character) {
    return character.isLetterOrNumber() || character.isMark();
}

struct Span {
    qsizetype start;
    qsizetype end;
};

QList<Span> wordSpans(QStringView text) {
    QList<Span> spans;
    qsizetype start = -1;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        const bool inWord = at < text.size() && isWordCharacter(text.at(at));
        if (inWord && start < 0)
            start = at;
        else if (!inWord && start >= 0)
            spans.append({std::exchange(start, -1), at});
    }
    return spans;
}

QStringList foldedWords(QStringView text) {
    QStringList words;
    for (const Span& span : wordSpans(text))
        words.append(fold(text.sliced(span.start, span.end - span.start).toString()));
    return words;
}

// The number of words of `words` from `at` that `term` matches; 0 when none.
qsizetype matchAt(const QStringList& words, qsizetype at, const Term& term) {
    if (at + term.words.size() > words.size())
        return 0;
    for (qsizetype i = 0; i < term.words.size(); ++i) {
        const bool last = i == term.words.size() - 1;
        const QString& word = words.at(at + i);
        if (last && term.isPrefix ? !word.startsWith(term.words.at(i)) : word != term.words.at(i))
            return 0;
    }
    return term.words.size();
}

} // namespace

QString fold(const QString& word) {
    QString folded;
    folded.reserve(word.size());
    for (const QChar character : word) {
        if (character.unicode() < 0x80) { // most words are plain ASCII: no tables, no copies
            folded.append(character.toLower());
            continue;
        }
        if (character.isMark())
            continue;
        const QString decomposed = character.decomposition();
        const QChar base = decomposed.isEmpty() || character.decompositionTag() != QChar::Canonical
                               ? character
                               : decomposed.at(0);
        folded.append(base.toCaseFolded());
    }
    return folded;
}

QList<Term> parse(const QString& typed) {
    QList<Term> terms;
    const QStringList pieces = typed.split(u'"');
    for (qsizetype at = 0; at < pieces.size(); ++at) {
        const QStringList words = foldedWords(pieces.at(at));
        if (words.isEmpty())
            continue;
        if (at % 2 == 1)
            terms.append(Term{words, false});
        else
            for (const QString& word : words)
                terms.append(Term{{word}, true});
    }
    return terms;
}

QString ftsQuery(const QList<Term>& terms) {
    QStringList parts;
    for (const Term& term : terms)
        parts.append(
            QStringLiteral("\"%1\"%2")
                .arg(term.words.join(u' '), term.isPrefix ? QStringLiteral("*") : QString()));
    return parts.join(u' ');
}

QString snippet(const QString& text, const QList<Term>& terms) {
    const QList<Span> spans = wordSpans(text);
    QStringList words; // folded, as far as looked at: a long text is seldom read to its end
    const auto foldUpTo = [&](qsizetype count) {
        count = std::min(count, spans.size());
        while (words.size() < count) {
            const Span& span = spans.at(words.size());
            words.append(fold(text.sliced(span.start, span.end - span.start)));
        }
    };
    const auto longestMatchAt = [&](qsizetype at) {
        qsizetype longest = 0;
        for (const Term& term : terms)
            longest = std::max(longest, matchAt(words, at, term));
        return longest;
    };
    qsizetype longestTerm = 1;
    for (const Term& term : terms)
        longestTerm = std::max(longestTerm, term.words.size());
    qsizetype first = -1;
    for (qsizetype at = 0; at < spans.size() && first < 0; ++at) {
        foldUpTo(at + longestTerm);
        if (longestMatchAt(at) > 0)
            first = at;
    }
    if (first < 0)
        return {};
    const qsizetype from = std::max<qsizetype>(0, first - kWordsBefore);
    const qsizetype to = std::min(spans.size(), from + kSnippetWords);
    foldUpTo(to + longestTerm);
    QString shown = from > 0 ? QStringLiteral("…") : QString();
    qsizetype position = spans.at(from).start;
    for (qsizetype at = from; at < to; ++at) {
        const qsizetype length = longestMatchAt(at);
        if (length == 0 || spans.at(at).start < position)
            continue;
        const qsizetype end = std::min(to, at + length) - 1;
        shown += text.sliced(position, spans.at(at).start - position);
        shown += u'\x01';
        shown += text.sliced(spans.at(at).start, spans.at(end).end - spans.at(at).start);
        shown += u'\x02';
        position = spans.at(end).end;
    }
    if (to < spans.size())
        shown += text.sliced(position, spans.at(to - 1).end - position) + QStringLiteral("…");
    else
        shown += text.sliced(position);
    while (!shown.isEmpty() && shown.back().isSpace())
        shown.chop(1);
    shown.replace(u'\n', u' ');
    return shown;
}

} // namespace inkwarden::search
