#pragma once

#include "documents/rich_text.h"

#include <QString>
#include <QStringList>

namespace inkwarden::testing {

// The writing the crash test saves, as a function of how far it has got:
// state n has n lines, every third word of them bold, so each save is a
// little longer than the one before and a file cut short or mixed from two
// saves cannot pass for a state.
inline RichText crashState(int n) {
    RichTextBuilder builder;
    for (int line = 1; line <= n; ++line) {
        const QString words = QStringLiteral("Line %1 of the story, and the kettle sang again").arg(line);
        const QStringList parts = words.split(QLatin1Char(' '));
        for (qsizetype word = 0; word < parts.size(); ++word) {
            const TextRun format{0, 0, QStringLiteral("Georgia"), 21, word % 3 == 0, false, {}, {}};
            builder.append(parts[word], format);
            builder.append(word + 1 < parts.size() ? QStringLiteral(" ") : QStringLiteral("\n"),
                           format);
        }
    }
    return builder.take();
}

// Which state a decoded text claims to be (the number of its last line); the
// caller compares the whole document with that state. -1: none.
inline int crashStateNumber(const QString& text) {
    if (text.isEmpty())
        return 0;
    const qsizetype at = text.lastIndexOf(QStringLiteral("Line "));
    if (at < 0)
        return -1;
    bool ok = false;
    const int number = text.mid(at + 5).section(QLatin1Char(' '), 0, 0).toInt(&ok);
    return ok ? number : -1;
}

} // namespace inkwarden::testing
