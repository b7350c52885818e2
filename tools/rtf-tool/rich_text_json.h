#pragma once

#include "documents/rich_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace inkwarden {

// The JSON form of a RichText that rtf-tool prints and reads:
// {"text": "...", "runs": [{"start": 0, "length": 5, "font": "Georgia",
// "size": 21, "bold": false, "italic": false, "foreground": null,
// "background": "#FFCC47"}]}. Offsets and lengths count UTF-16 code units.
QByteArray richTextToJson(const RichText& text);

// Reads that form; on failure answers nothing and sets `error`. Runs must be
// in order and cover the text; they need not be maximal.
std::optional<RichText> richTextFromJson(QByteArrayView json, QString& error);

} // namespace inkwarden
