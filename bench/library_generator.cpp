// Writes a sample library for trying the program with years of writing:
//   library_generator FOLDER [COUNT=10000] [WORDS=500]
// e.g. library_generator ~/.local/share/Inkwarden/Documents (about 5 million words).

#include "library_sample.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fputs("usage: library_generator FOLDER [COUNT=10000] [WORDS=500]\n", stderr);
        return 2;
    }
    const int count = arguments.value(2, QStringLiteral("10000")).toInt();
    const int words = arguments.value(3, QStringLiteral("500")).toInt();
    return inkwarden::bench::writeSampleLibrary(arguments.at(1), count, words) ? 0 : 1;
}
