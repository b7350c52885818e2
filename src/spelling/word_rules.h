#pragma once

#include <QList>
#include <QStringView>

namespace inkwarden::spelling {

struct WordSpan {
    int start;
    int length;
    int end() const { return start + length; }
    friend bool operator==(const WordSpan&, const WordSpan&) = default;
};

// The words of `text` that are worth checking, in order. Apostrophes inside
// a word belong to it; words with digits, capitals of up to five letters
// (acronyms) and web or mail addresses are left alone.
QList<WordSpan> wordsToCheck(QStringView text);

// The word as a dictionary knows it: typographic apostrophes made straight.
QString dictionaryForm(QStringView word);

} // namespace inkwarden::spelling
