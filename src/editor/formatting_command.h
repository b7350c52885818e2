#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <optional>

namespace inkwarden {

// The formatting requests the editor understands. The order is the case index.
enum class FormattingCommand : quint8 { Bold, Italic, Highlight, ClearHighlight };

// "bold", "italic", "highlight", "clearHighlight".
QString rawValue(FormattingCommand command);
// Exact, case-sensitive; nothing for any other string.
std::optional<FormattingCommand> formattingCommandFromRawValue(const QString& raw);

inline size_t qHash(FormattingCommand command, size_t seed = 0) {
    return ::qHash(rawValue(command), seed);
}

} // namespace inkwarden

Q_DECLARE_METATYPE(inkwarden::FormattingCommand)
