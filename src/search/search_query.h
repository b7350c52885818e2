#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace inkwarden::search {

// One thing a document must contain: a word (found as the start of a word,
// "gard" finds "garden") or, from double quotes, a phrase of whole words.
struct Term {
    QStringList words; // folded: lower case, without accents
    bool isPrefix = false;
    friend bool operator==(const Term&, const Term&) = default;
};

// What a person types, as terms that must all appear. An unclosed quote runs
// to the end, as the person is most likely still typing the phrase.
QList<Term> parse(const QString& typed);

// The terms in FTS5's syntax; every word is quoted, so FTS5's own operators
// are taken as text. Empty when nothing searchable was typed.
QString ftsQuery(const QList<Term>& terms);

// Lower case, accents removed, as the index's tokenizer folds words.
QString fold(const QString& word);

// About a line of `text` around the first place any term occurs, each
// matched word marked \x01 … \x02; empty when none occurs.
QString snippet(const QString& text, const QList<Term>& terms);

} // namespace inkwarden::search
