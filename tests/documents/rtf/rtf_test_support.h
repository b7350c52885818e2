#pragma once

#include "documents/rich_text.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

namespace inkwarden {

// Readable failure messages for the value types.
inline void PrintTo(const TextRun& run, std::ostream* out) {
    *out << "[" << run.start << "+" << run.length << " '" << run.fontFamily.toStdString() << "' "
         << run.pointSize << (run.bold ? " b" : "") << (run.italic ? " i" : "");
    if (run.foreground)
        *out << " fg=" << std::hex << *run.foreground << std::dec;
    if (run.background)
        *out << " bg=" << std::hex << *run.background << std::dec;
    *out << "]";
}

inline void PrintTo(const RichText& text, std::ostream* out) {
    *out << "\"" << text.text().toStdString() << "\" ";
    for (const TextRun& run : text.runs())
        PrintTo(run, out);
}

namespace testing {

inline TextRun plainRun(qsizetype start, qsizetype length, const QString& family, double size) {
    TextRun run;
    run.start = start;
    run.length = length;
    run.fontFamily = family;
    run.pointSize = size;
    return run;
}

inline QByteArray fixture(const QString& name) {
    QFile file(QStringLiteral(INKWARDEN_FIXTURES_DIR "/rtf/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// The run holding the first occurrence of `word`; fails unless one run holds all of it.
inline TextRun runHolding(const RichText& text, const QString& word) {
    const qsizetype start = text.text().indexOf(word);
    EXPECT_GE(start, 0) << "no \"" << word.toStdString() << "\" in "
                        << ::testing::PrintToString(text);
    for (const TextRun& run : text.runs()) {
        if (start >= run.start && start < run.start + run.length) {
            EXPECT_LE(start + word.size(), run.start + run.length)
                << "\"" << word.toStdString() << "\" spans runs";
            return run;
        }
    }
    return TextRun{};
}

} // namespace testing
} // namespace inkwarden
