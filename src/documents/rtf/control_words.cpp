#include "documents/rtf/control_words.h"

#include <algorithm>
#include <array>

namespace inkwarden::rtf {
namespace {

// Sorted by name for binary search; the reader ignores every word not listed.
constexpr std::array kControlWords = std::to_array<ControlWord>({
    {"ab", Action::AssociatedBold},
    {"afs", Action::AssociatedSize},
    {"aftncn", Action::SkipDestination},
    {"aftnsep", Action::SkipDestination},
    {"aftnsepc", Action::SkipDestination},
    {"ai", Action::AssociatedItalic},
    {"annotation", Action::SkipDestination},
    {"ansi", Action::Codepage, 1252},
    {"ansicpg", Action::AnsiCodepage},
    {"atnauthor", Action::SkipDestination},
    {"atndate", Action::SkipDestination},
    {"atnicn", Action::SkipDestination},
    {"atnid", Action::SkipDestination},
    {"atnparent", Action::SkipDestination},
    {"atnref", Action::SkipDestination},
    {"atntime", Action::SkipDestination},
    {"atrfend", Action::SkipDestination},
    {"atrfstart", Action::SkipDestination},
    {"author", Action::SkipDestination},
    {"b", Action::Bold},
    {"bkmkend", Action::SkipDestination},
    {"bkmkstart", Action::SkipDestination},
    {"blipuid", Action::SkipDestination},
    {"blue", Action::Blue},
    {"bullet", Action::Character, 0x2022},
    {"buptim", Action::SkipDestination},
    {"category", Action::SkipDestination},
    {"cb", Action::Background},
    {"cell", Action::Character, 0x0009},
    {"cf", Action::Foreground},
    {"chcbpat", Action::PatternBackground},
    {"colorschememapping", Action::SkipDestination},
    {"colortbl", Action::ColorTable},
    {"comment", Action::SkipDestination},
    {"company", Action::SkipDestination},
    {"cpg", Action::FontCodepage},
    {"creatim", Action::SkipDestination},
    {"datafield", Action::SkipDestination},
    {"datastore", Action::SkipDestination},
    {"dbch", Action::Script, 2},
    {"deff", Action::DefaultFont},
    {"do", Action::SkipDestination},
    {"doccomm", Action::SkipDestination},
    {"docvar", Action::SkipDestination},
    {"dptxbxtext", Action::SkipDestination},
    {"emdash", Action::Character, 0x2014},
    {"emspace", Action::Character, 0x2003},
    {"endash", Action::Character, 0x2013},
    {"enspace", Action::Character, 0x2002},
    {"f", Action::Font},
    {"falt", Action::SkipDestination},
    {"fchars", Action::SkipDestination},
    {"fcharset", Action::FontCharset},
    {"ffdeftext", Action::SkipDestination},
    {"ffentrymcr", Action::SkipDestination},
    {"ffexitmcr", Action::SkipDestination},
    {"ffformat", Action::SkipDestination},
    {"ffhelptext", Action::SkipDestination},
    {"ffl", Action::SkipDestination},
    {"ffname", Action::SkipDestination},
    {"ffstattext", Action::SkipDestination},
    {"file", Action::SkipDestination},
    {"filetbl", Action::SkipDestination},
    {"fldinst", Action::SkipDestination},
    {"fldtype", Action::SkipDestination},
    {"fontemb", Action::SkipDestination},
    {"fontfile", Action::SkipDestination},
    {"fonttbl", Action::FontTable},
    {"footer", Action::SkipDestination},
    {"footerf", Action::SkipDestination},
    {"footerl", Action::SkipDestination},
    {"footerr", Action::SkipDestination},
    {"footnote", Action::SkipDestination},
    {"formfield", Action::SkipDestination},
    {"fs", Action::FontSize},
    {"ftncn", Action::SkipDestination},
    {"ftnsep", Action::SkipDestination},
    {"ftnsepc", Action::SkipDestination},
    {"generator", Action::SkipDestination},
    {"green", Action::Green},
    {"gridtbl", Action::SkipDestination},
    {"header", Action::SkipDestination},
    {"headerf", Action::SkipDestination},
    {"headerl", Action::SkipDestination},
    {"headerr", Action::SkipDestination},
    {"hich", Action::Script, 0},
    {"highlight", Action::Highlight},
    {"hlfr", Action::SkipDestination},
    {"hlinkbase", Action::SkipDestination},
    {"hlloc", Action::SkipDestination},
    {"hlsrc", Action::SkipDestination},
    {"htmltag", Action::SkipDestination},
    {"i", Action::Italic},
    {"info", Action::SkipDestination},
    {"keycode", Action::SkipDestination},
    {"keywords", Action::SkipDestination},
    {"latentstyles", Action::SkipDestination},
    {"lchars", Action::SkipDestination},
    {"ldblquote", Action::Character, 0x201C},
    {"levelnumbers", Action::SkipDestination},
    {"leveltext", Action::SkipDestination},
    {"line", Action::Character, 0x2028},
    {"linkval", Action::SkipDestination},
    {"listoverridetable", Action::SkipDestination},
    {"listpicture", Action::SkipDestination},
    {"listtable", Action::SkipDestination},
    {"loch", Action::Script, 0},
    {"lquote", Action::Character, 0x2018},
    {"lsdlockedexcept", Action::SkipDestination},
    {"ltrch", Action::Script, 0},
    {"ltrmark", Action::Character, 0x200E},
    {"mac", Action::Codepage, 10000},
    {"manager", Action::SkipDestination},
    {"mmathPr", Action::SkipDestination},
    {"nestcell", Action::Character, 0x0009},
    {"nestrow", Action::Character, 0x000A},
    {"nesttableprops", Action::SkipDestination},
    {"nonshppict", Action::SkipDestination},
    {"objalias", Action::SkipDestination},
    {"objclass", Action::SkipDestination},
    {"objdata", Action::SkipDestination},
    {"object", Action::SkipDestination},
    {"objname", Action::SkipDestination},
    {"objsect", Action::SkipDestination},
    {"objtime", Action::SkipDestination},
    {"oldcprops", Action::SkipDestination},
    {"oldpprops", Action::SkipDestination},
    {"oldsprops", Action::SkipDestination},
    {"oldtprops", Action::SkipDestination},
    {"operator", Action::SkipDestination},
    {"page", Action::Character, 0x000A},
    {"panose", Action::SkipDestination},
    {"par", Action::Character, 0x000A},
    {"password", Action::SkipDestination},
    {"passwordhash", Action::SkipDestination},
    {"pc", Action::Codepage, 437},
    {"pca", Action::Codepage, 850},
    {"pgdsctbl", Action::SkipDestination},
    {"pgp", Action::SkipDestination},
    {"pgptbl", Action::SkipDestination},
    {"picprop", Action::SkipDestination},
    {"pict", Action::SkipDestination},
    {"plain", Action::Plain},
    {"pn", Action::SkipDestination},
    {"pntxta", Action::SkipDestination},
    {"pntxtb", Action::SkipDestination},
    {"printim", Action::SkipDestination},
    {"private", Action::SkipDestination},
    {"propname", Action::SkipDestination},
    {"protusertbl", Action::SkipDestination},
    {"pxe", Action::SkipDestination},
    {"qmspace", Action::Character, 0x2005},
    {"rdblquote", Action::Character, 0x201D},
    {"red", Action::Red},
    {"revtbl", Action::SkipDestination},
    {"revtim", Action::SkipDestination},
    {"row", Action::Character, 0x000A},
    {"rquote", Action::Character, 0x2019},
    {"rsidtbl", Action::SkipDestination},
    {"rtlch", Action::Script, 1},
    {"rtlmark", Action::Character, 0x200F},
    {"rxe", Action::SkipDestination},
    {"sect", Action::Character, 0x000A},
    {"shp", Action::SkipDestination},
    {"shpinst", Action::SkipDestination},
    {"shppict", Action::SkipDestination},
    {"shprslt", Action::SkipDestination},
    {"shptxt", Action::SkipDestination},
    {"stylesheet", Action::SkipDestination},
    {"subject", Action::SkipDestination},
    {"tab", Action::Character, 0x0009},
    {"tc", Action::SkipDestination},
    {"template", Action::SkipDestination},
    {"themedata", Action::SkipDestination},
    {"title", Action::SkipDestination},
    {"txe", Action::SkipDestination},
    {"u", Action::Unicode},
    {"uc", Action::UnicodeSkip},
    {"ud", Action::UnicodeAlternative},
    {"upr", Action::UnicodePair},
    {"userprops", Action::SkipDestination},
    {"wgrffmtfilter", Action::SkipDestination},
    {"windowcaption", Action::SkipDestination},
    {"writereservation", Action::SkipDestination},
    {"writereservhash", Action::SkipDestination},
    {"xe", Action::SkipDestination},
    {"xform", Action::SkipDestination},
    {"xmlattrname", Action::SkipDestination},
    {"xmlattrvalue", Action::SkipDestination},
    {"xmlclose", Action::SkipDestination},
    {"xmlname", Action::SkipDestination},
    {"xmlnstbl", Action::SkipDestination},
    {"xmlopen", Action::SkipDestination},
    {"zwj", Action::Character, 0x200D},
    {"zwnj", Action::Character, 0x200C},
});

constexpr bool nameLess(const ControlWord& left, const ControlWord& right) {
    return left.name < right.name;
}

static_assert(std::is_sorted(kControlWords.begin(), kControlWords.end(), nameLess));

// Where the words of each initial letter start, so a look-up searches a few
// entries rather than the whole table: kFirstWithInitial[c - 'a'] .. [c - 'a' + 1].
constexpr std::array<std::size_t, 27> kFirstWithInitial = [] {
    std::array<std::size_t, 27> first{};
    for (char letter = 'a'; letter <= 'z' + 1; ++letter) {
        std::size_t index = 0;
        while (index < kControlWords.size() && kControlWords[index].name[0] < letter)
            ++index;
        first[std::size_t(letter - 'a')] = index;
    }
    return first;
}();

} // namespace

const ControlWord* findControlWord(QByteArrayView name) {
    if (name.isEmpty() || name[0] < 'a' || name[0] > 'z')
        return nullptr;
    const std::string_view key(name.data(), std::size_t(name.size()));
    const std::size_t initial = std::size_t(name[0] - 'a');
    const auto begin = kControlWords.begin() + kFirstWithInitial[initial];
    const auto end = kControlWords.begin() + kFirstWithInitial[initial + 1];
    const auto found =
        std::lower_bound(begin, end, key, [](const ControlWord& entry, std::string_view wanted) {
            return entry.name < wanted;
        });
    return found != end && found->name == key ? &*found : nullptr;
}

} // namespace inkwarden::rtf
