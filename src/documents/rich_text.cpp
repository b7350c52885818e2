#include "documents/rich_text.h"

#include <utility>

namespace inkwarden {

bool TextRun::hasSameFormat(const TextRun& other) const {
    return fontFamily == other.fontFamily && pointSize == other.pointSize && bold == other.bold &&
           italic == other.italic && foreground == other.foreground &&
           background == other.background;
}

RichText::RichText(QString text, QList<TextRun> runs)
    : m_text(std::move(text))
    , m_runs(std::move(runs)) {}

} // namespace inkwarden
