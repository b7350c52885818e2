#pragma once

#include "documents/rich_text.h"

#include <ostream>

namespace inkwarden {

// Readable gtest failure messages for runs.
inline void PrintTo(const TextRun& run, std::ostream* out) {
    *out << "{" << run.start << "+" << run.length << " " << run.fontFamily.toStdString() << " "
         << run.pointSize << (run.bold ? " bold" : "") << (run.italic ? " italic" : "");
    if (run.foreground)
        *out << " fg#" << std::hex << *run.foreground << std::dec;
    if (run.background)
        *out << " bg#" << std::hex << *run.background << std::dec;
    *out << "}";
}

} // namespace inkwarden
