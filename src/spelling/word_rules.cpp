#include "spelling/word_rules.h"

#include <QString>

namespace inkwarden::spelling {
namespace {

constexpr int kLongestAcronym = 5;

bool isApostrophe(QChar c) {
    return c == u'\'' || c == u'\u2019';
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate();
}

// Tokens are whitespace-separated; leading brackets and quotes do not hide an address.
bool isAddress(QStringView token) {
    while (!token.isEmpty() && !token.front().isLetterOrNumber())
        token = token.sliced(1);
    if (token.contains(u"://") || token.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    const qsizetype at = token.indexOf(u'@');
    return at > 0 && token.indexOf(u'.', at) > at + 1;
}

bool isWorthChecking(QStringView word) {
    int letters = 0;
    bool allCapitals = true;
    for (const QChar c : word) {
        if (c.isDigit())
            return false;
        if (c.isLetter()) {
            ++letters;
            allCapitals = allCapitals && c.isUpper();
        }
    }
    return letters > 0 && !(allCapitals && letters <= kLongestAcronym);
}

void collectWords(QStringView text, int from, int to, QList<WordSpan>& words) {
    int i = from;
    while (i < to) {
        if (!isWordCharacter(text[i])) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < to && (isWordCharacter(text[i]) ||
                          (isApostrophe(text[i]) && i + 1 < to && isWordCharacter(text[i + 1]))))
            ++i;
        if (isWorthChecking(text.sliced(start, i - start)))
            words.append({start, i - start});
    }
}

} // namespace

QList<WordSpan> wordsToCheck(QStringView text) {
    QList<WordSpan> words;
    int i = 0;
    const int length = int(text.size());
    while (i < length) {
        while (i < length && text[i].isSpace())
            ++i;
        const int start = i;
        while (i < length && !text[i].isSpace())
            ++i;
        if (i > start && !isAddress(text.sliced(start, i - start)))
            collectWords(text, start, i, words);
    }
    return words;
}

QString dictionaryForm(QStringView word) {
    QString form = word.toString();
    form.replace(u'\u2019', u'\'');
    return form;
}

} // namespace inkwarden::spelling
