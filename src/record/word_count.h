#pragma once

#include <QStringView>

namespace inkwarden {

// Words by Unicode word boundaries: a segment counts when it holds a letter
// or a digit, so punctuation and spaces never do, and scripts written without
// spaces (CJK, Thai, Khmer) count by the segments the boundary rules find.
// Pure; safe on any thread.
qint64 countWords(QStringView text);

} // namespace inkwarden
