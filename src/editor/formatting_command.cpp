#include "editor/formatting_command.h"

#include <array>

namespace inkwarden {
namespace {

const std::array<QString, 4> kRawValues = {QStringLiteral("bold"), QStringLiteral("italic"),
                                           QStringLiteral("highlight"),
                                           QStringLiteral("clearHighlight")};

} // namespace

QString rawValue(FormattingCommand command) {
    return kRawValues.at(static_cast<size_t>(command));
}

std::optional<FormattingCommand> formattingCommandFromRawValue(const QString& raw) {
    for (size_t index = 0; index < kRawValues.size(); ++index) {
        if (kRawValues[index] == raw)
            return static_cast<FormattingCommand>(index);
    }
    return std::nullopt;
}

} // namespace inkwarden
