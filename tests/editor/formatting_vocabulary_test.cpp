#include "editor/editor_requests.h"
#include "editor/formatting_command.h"
#include "editor/highlight_palette.h"
#include "support/qt_printers.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

TEST(FormattingCommand, RawValuesAreTheNamesExactly) {
    for (FormattingCommand command :
         {FormattingCommand::Bold, FormattingCommand::Italic, FormattingCommand::Highlight,
          FormattingCommand::ClearHighlight})
        EXPECT_EQ(formattingCommandFromRawValue(rawValue(command)), command);
    EXPECT_EQ(rawValue(FormattingCommand::ClearHighlight), QStringLiteral("clearHighlight"));
    EXPECT_FALSE(formattingCommandFromRawValue(QStringLiteral("Bold")));
    EXPECT_FALSE(formattingCommandFromRawValue(QStringLiteral("clearhighlight")));
    EXPECT_FALSE(formattingCommandFromRawValue(QString()));
    EXPECT_EQ(qHash(FormattingCommand::Bold), qHash(FormattingCommand::Bold));
}

TEST(HighlightPalette, FourColoursInOrderFallingBackToButter) {
    QStringList names;
    QStringList hex;
    for (const HighlightPalette::NamedColor& entry : HighlightPalette::colors()) {
        names.append(entry.name);
        hex.append(entry.color.name(QColor::HexRgb).toUpper());
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Butter"), QStringLiteral("Sage"),
                                  QStringLiteral("Blush"), QStringLiteral("Sky")}));
    EXPECT_EQ(hex, (QStringList{QStringLiteral("#FFCC47"), QStringLiteral("#7AD98A"),
                                QStringLiteral("#FF8FA3"), QStringLiteral("#6EB5FF")}));
    EXPECT_EQ(HighlightPalette::color(QStringLiteral("Sky")), QColor(0x6E, 0xB5, 0xFF));
    EXPECT_EQ(HighlightPalette::color(QStringLiteral("sky")), QColor(0xFF, 0xCC, 0x47));
    EXPECT_EQ(HighlightPalette::color(QString()), QColor(0xFF, 0xCC, 0x47));
}

TEST(EditorRequests, DeliveredLaterNeverInsideThePostingCall) {
    QSignalSpy spy(&EditorRequests::instance(), &EditorRequests::requested);
    EditorRequests::postFormatting(FormattingCommand::Highlight, QStringLiteral("Sage"));
    EditorRequests::postFont(QStringLiteral("Menlo"));
    EXPECT_EQ(spy.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toString(), QStringLiteral("Inkwarden.editorFormatting"));
    EXPECT_EQ(spy[0][1].value<FormattingCommand>(), FormattingCommand::Highlight);
    EXPECT_EQ(spy[0][2].toMap().value(QStringLiteral("color")).toString(), QStringLiteral("Sage"));
    EXPECT_EQ(spy[1][0].toString(), QStringLiteral("Inkwarden.editorFont"));
    EXPECT_EQ(spy[1][1].toString(), QStringLiteral("Menlo"));
}

} // namespace
} // namespace inkwarden
