#include "spelling/enchant_backend.h"
#include "support/file_bytes.h"
#include "support/temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;

// The real dictionaries: Hunspell's English through Enchant, with the
// personal word list in the temporary home, where other programs find it.
TEST(EnchantBackendTest, ChecksWithHunspellAndKeepsAddedWordsInThePersonalList) {
    testing::TempHome home;
    EnchantBackend enchant;
    ASSERT_TRUE(enchant.setLanguage(u"en_US"_s)) << "install hunspell-en-us";
    EXPECT_TRUE(enchant.isCorrect(u"writer's"_s) && !enchant.isCorrect(u"Inkwardenesque"_s));
    EXPECT_TRUE(enchant.suggestions(u"teh"_s).contains(u"the"_s) &&
                enchant.languages().contains(u"en_US"_s));
    enchant.addToPersonalList(u"Inkwardenesque"_s);
    EXPECT_TRUE(enchant.isCorrect(u"Inkwardenesque"_s));
    EXPECT_TRUE(
        testing::bytesOf(home.configHome() + u"/enchant/en_US.dic"_s).contains("Inkwardenesque"));
}

} // namespace
} // namespace inkwarden
