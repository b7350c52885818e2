#pragma once

#include "documents/rich_text.h"

namespace inkwarden::testing {

// The writing the crash test saves: state n has n lines, every other one
// bold, so each save is longer than the one before and a file cut short or
// mixed from two saves cannot pass for a state (its number: its lines).
inline RichText crashState(int n) {
    RichTextBuilder builder;
    for (int line = 1; line <= n; ++line)
        builder.append(QStringLiteral("Line %1 of the story, and the kettle sang\n").arg(line),
                       TextRun{0, 0, QStringLiteral("Georgia"), 21, line % 2 == 0, false, {}, {}});
    return builder.take();
}

} // namespace inkwarden::testing
