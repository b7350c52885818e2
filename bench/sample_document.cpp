// Writes the benchmarks' sample writing as an RTF file with the program's own
// writer, so every program measured reads the very same bytes.
//
// usage: sample_document WORDS FILE.rtf

#include "bench_support.h"
#include "documents/rtf/rtf.h"

#include <QByteArray>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    const int words = argc == 3 ? QByteArray(argv[1]).toInt() : 0;
    if (words <= 0) {
        std::fputs("usage: sample_document WORDS FILE.rtf\n", stderr);
        return 2;
    }
    const std::optional<QByteArray> bytes =
        inkwarden::rtf::write(inkwarden::bench::sampleWriting(words));
    QFile file(QFile::decodeName(argv[2]));
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size()) {
        std::fprintf(stderr, "sample_document: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
