#include "spelling/word_rules.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace inkwarden::spelling {
namespace {

using namespace Qt::Literals::StringLiterals;

TEST(WordRulesTest, ChecksWordsWithTheirApostrophesAndLeavesCodesAcronymsAndAddressesAlone) {
    const std::pair<QString, QString> cases[] = {
        {u"Teh cat's tail, the dog\u2019s"_s, u"Teh|cat's|tail|the|dog\u2019s"_s},
        {u"rock\u2019n\u2019roll 'quoted' \u2018single\u2019 writers' well-known"_s,
         u"rock\u2019n\u2019roll|quoted|single|writers|well|known"_s},
        {u"abc123 R2D2 42 3rd x86"_s, {}},
        {u"I NASA UNHCR ABCDEF Nasa"_s, u"ABCDEF|Nasa"_s},
        {u"see https://exampel.org/teh www.exampel.com (mail me@exampel.org) at@ @home"_s,
         u"see|mail|at|home"_s},
    };
    for (const auto& [text, words] : cases) {
        SCOPED_TRACE(text.toStdString());
        QStringList found;
        for (const WordSpan& word : wordsToCheck(text))
            found.append(text.mid(word.start, word.length));
        EXPECT_EQ(found.join(u'|'), words);
    }
}

} // namespace
} // namespace inkwarden::spelling
