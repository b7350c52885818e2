// The RTF costs the editor pays: writing the whole document on every
// keystroke (with a durable file write, within 2 ms) and reading a file when
// it opens; plus the memory a document read holds against its file's size.

#include "documents/rtf/rtf.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <random>

namespace {

using namespace inkwarden;

const QStringList kWords = {
    QStringLiteral("the"),   QStringLiteral("writing"), QStringLiteral("daily"),
    QStringLiteral("habit"), QStringLiteral("café"),    QStringLiteral("naïve"),
    QStringLiteral("—"),     QStringLiteral("日本語"),  QStringLiteral("quiet"),
    QStringLiteral("{x}"),   QStringLiteral("morning"), QStringLiteral("pages"),
};
const QList<QRgb> kPalette = {0xFFFFCC47, 0xFF7AD98A, 0xFFFF8FA3, 0xFF6EB5FF};

// A document of `words` words in paragraphs of about 80, its formatting
// changing every few words: bold, italic, sizes, the four families, highlights.
RichText makeDocument(int words) {
    static const QStringList families = {QStringLiteral("Georgia"),
                                         QStringLiteral("Helvetica Neue"),
                                         QStringLiteral("Avenir Next"), QStringLiteral("Menlo")};
    std::mt19937 random(7);
    RichTextBuilder builder;
    TextRun format;
    for (int index = 0; index < words; ++index) {
        if (index % 9 == 0) {
            format.fontFamily = families[random() % families.size()];
            format.pointSize = random() % 5 == 0 ? 14 : 21;
            format.bold = random() % 4 == 0;
            format.italic = random() % 5 == 0;
            const bool highlighted = random() % 6 == 0;
            format.foreground = highlighted ? std::optional<QRgb>(0xFF000000) : std::nullopt;
            format.background =
                highlighted ? std::optional<QRgb>(kPalette[random() % 4]) : std::nullopt;
        }
        builder.append(kWords[random() % kWords.size()], format);
        builder.append(index % 80 == 79 ? QStringLiteral("\n") : QStringLiteral(" "), format);
    }
    return builder.take();
}

void writeDocument(benchmark::State& state) {
    const RichText document = makeDocument(int(state.range(0)));
    qsizetype written = 0;
    for (auto _ : state) {
        const std::optional<QByteArray> bytes = rtf::write(document);
        written = bytes->size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rtf_bytes"] = double(written);
    state.SetBytesProcessed(state.iterations() * written);
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void readDocument(benchmark::State& state) {
    const QByteArray bytes = *rtf::write(makeDocument(int(state.range(0))));
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        rtf::ReadResult result = rtf::read(bytes);
        held = heapInUse() - before;
        benchmark::DoNotOptimize(result);
    }
    // What the document read holds, against the size of its file.
    state.counters["rtf_bytes"] = double(bytes.size());
    state.counters["held_per_rtf_byte"] = double(held) / double(bytes.size());
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

BENCHMARK(writeDocument)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
// 70,000 words make a file of about 1 MB, the size the read target is set for.
BENCHMARK(readDocument)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(70000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
