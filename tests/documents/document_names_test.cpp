#include "documents/document_names.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden::names {
namespace {

TEST(CleanDocumentName, KeepsAFileNameThatIsSafeAndVisible) {
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("  Notes: May/June.  "), QStringLiteral("Notes- May-June")},
        {QStringLiteral("..."), QString()},
        {QStringLiteral(" \t "), QString()},
        {QStringLiteral("First line\nSecond line"), QStringLiteral("First line")},
        {QStringLiteral("Report\r\nDraft"), QStringLiteral("Report")},
        {QStringLiteral("\u2028Hidden behind a line separator"), QString()},
        {QStringLiteral(".bashrc"), QStringLiteral("bashrc")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral("-..-etc-passwd")},
        {QStringLiteral("a/../b"), QStringLiteral("a-..-b")},
        {QStringLiteral("Plan") + QChar(u'\0') + QStringLiteral("B"), QStringLiteral("PlanB")},
        {QStringLiteral("Caf\u00e9 \u2014 \u65e5\u8a18 \U0001F58B"),
         QStringLiteral("Caf\u00e9 \u2014 \u65e5\u8a18 \U0001F58B")},
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(cleanDocumentName(typed), expected) << typed.toStdString();
}

TEST(UniqueLibraryPath, CountsFromTwoPastEveryTakenName) {
    testing::TempHome home;
    const QString folder = home.path() + QStringLiteral("/Documents");
    QDir().mkpath(folder);
    EXPECT_EQ(uniqueLibraryPath(folder, QStringLiteral("Essay")),
              folder + QStringLiteral("/Essay.rtf"));
    for (const char* name : {"Essay.rtf", "Essay 2.rtf"}) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // A dangling link is taken too: nothing may be written through it.
    ASSERT_TRUE(QFile::link(home.path() + QStringLiteral("/nowhere"),
                            folder + QStringLiteral("/Essay 3.rtf")));
    EXPECT_EQ(uniqueLibraryPath(folder, QStringLiteral("Essay")),
              folder + QStringLiteral("/Essay 4.rtf"));
}

TEST(SuggestedTitle, FirstNonEmptyLineCutToFortyEightCharacters) {
    const QString sixty = QString(60, u'w');
    EXPECT_EQ(suggestedTitle(sixty + QStringLiteral("\nmore")), QString(48, u'w'));
    EXPECT_EQ(suggestedTitle(QString()), QStringLiteral("Untitled"));
    EXPECT_EQ(suggestedTitle(QStringLiteral("\r\n\r\n  Morning pages \r\nrest")),
              QStringLiteral("Morning pages"));
    EXPECT_EQ(suggestedTitle(QStringLiteral("\n   \nText below blanks")),
              QStringLiteral("Untitled"));
    EXPECT_EQ(suggestedTitle(QStringLiteral("\u2029\u0085Title")), QStringLiteral("Title"));
    // Characters as a person counts them: an accent or a flag is part of one.
    QString accented;
    for (int i = 0; i < 50; ++i)
        accented += QStringLiteral("e\u0301");
    EXPECT_EQ(suggestedTitle(accented).size(), 96);
    QString flags;
    for (int i = 0; i < 50; ++i)
        flags += QStringLiteral("\U0001F1E9\U0001F1EA");
    EXPECT_EQ(suggestedTitle(flags), flags.first(48 * 4));
}

} // namespace
} // namespace inkwarden::names
