#pragma once

#include "documents/rich_text.h"
#include "documents/rtf/rtf.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <random>

namespace inkwarden::bench {

// A made-up vocabulary of `size` pronounceable words, a few real ones among
// them ("garden", "café", "rain"), always the same for the same size.
inline QStringList sampleVocabulary(int size) {
    static const char* const onsets[] = {"b", "d", "f", "g", "k",  "l",  "m",  "n",  "p",
                                         "r", "s", "t", "v", "br", "st", "tr", "pl", "gr"};
    static const char* const vowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ou"};
    QStringList words = {QStringLiteral("garden"), QStringLiteral("café"),
                         QStringLiteral("rain"),   QStringLiteral("morning"),
                         QStringLiteral("letter"), QStringLiteral("river")};
    std::mt19937 random(7);
    while (words.size() < size) {
        QString word;
        const int syllables = 1 + int(random() % 3);
        for (int i = 0; i < syllables; ++i)
            word += QLatin1String(onsets[random() % std::size(onsets)]) +
                    QLatin1String(vowels[random() % std::size(vowels)]);
        words.append(word);
    }
    return words;
}

// Writes `count` RTF documents of about `words` words each into `folder`,
// named "Note 00001.rtf" and so on, one a day back from today; words are
// drawn with a skew, as in real writing, so common words are common.
inline bool writeSampleLibrary(const QString& folder, int count, int words) {
    if (!QDir().mkpath(folder))
        return false;
    const QStringList vocabulary = sampleVocabulary(20'000);
    std::mt19937 random(11);
    std::geometric_distribution<int> pick(0.002);
    const TextRun plain{0, 0, QStringLiteral("Georgia"), 21, false, false, {}, {}};
    const QDateTime now = QDateTime::currentDateTime();
    for (int document = 1; document <= count; ++document) {
        RichTextBuilder builder;
        for (int i = 0; i < words; ++i) {
            builder.append(vocabulary.at(pick(random) % vocabulary.size()), plain);
            builder.append(i % 90 == 89 ? u"\n" : u" ", plain);
        }
        const std::optional<QByteArray> bytes = rtf::write(builder.take());
        QFile file(QStringLiteral("%1/Note %2.rtf").arg(folder).arg(document, 5, 10, QChar(u'0')));
        if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
            return false;
        file.setFileTime(now.addDays(-document), QFileDevice::FileModificationTime);
    }
    return true;
}

} // namespace inkwarden::bench
