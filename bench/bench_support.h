#pragma once

#include "documents/rich_text.h"
#include "store/store_services.h"

#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace inkwarden::bench {

// Services that do nothing, so a benchmark measures only the store or editor.
class IgnoringServices final : public ReminderControl, public FocusControl {
public:
    void configure(qint64, qint64) override {}
    void remindIfIncomplete() override {}
    void begin() override {}
    void end() override {}
};

// About `words` words in paragraphs of 80, every seventh word bold and every
// twentieth highlighted, as real writing might be. Numbered words ("word12")
// unless `prose`: English with one word in fifty misspelled, for spelling.
inline RichText sampleWriting(int words, bool prose = false) {
    static const QStringList vocabulary =
        QStringLiteral("the morning light fell across her desk while she wrote about a "
                       "quiet harbour town where nobody ever hurried and every boat had a name "
                       "painted in careful letters that the sea slowly wore away until only the "
                       "owners remembered what they had once said writer's notebook teh recieve")
            .split(u' ');
    RichTextBuilder builder;
    const TextRun plain{0, 0, QStringLiteral("Georgia"), 21, false, false, {}, {}};
    TextRun bold = plain;
    bold.bold = true;
    TextRun marked = plain;
    marked.foreground = qRgb(0, 0, 0);
    marked.background = qRgb(0xFF, 0xCC, 0x47);
    for (int i = 0; i < words; ++i) {
        const TextRun& format = i % 20 == 0 ? marked : (i % 7 == 0 ? bold : plain);
        builder.append(prose ? vocabulary[i % 50 == 49 ? vocabulary.size() - 1 - i / 50 % 2
                                                       : i % (vocabulary.size() - 2)]
                             : QStringLiteral("word%1").arg(i % 97),
                       format);
        builder.append(i % 80 == 79 ? u"\n" : u" ", plain);
    }
    return builder.take();
}

// Runs the registered benchmarks inside the Qt application `App` that the
// caller has made.
inline int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace inkwarden::bench
