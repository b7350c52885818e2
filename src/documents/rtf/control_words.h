#pragma once

#include <QByteArrayView>
#include <string_view>

namespace inkwarden::rtf {

// What the reader does for a control word it knows.
enum class Action : unsigned char {
    FontTable,
    ColorTable,
    SkipDestination, // a group whose content is not part of the text
    UnicodePair,     // \upr: an 8-bit version, then a Unicode one in \ud
    UnicodeAlternative,
    Codepage, // \ansi, \mac, \pc, \pca; `value` is the codepage
    AnsiCodepage,
    DefaultFont,
    FontCharset,
    FontCodepage,
    Red,
    Green,
    Blue,
    Plain,
    Font,
    FontSize,
    Bold,
    Italic,
    Foreground,
    Background,        // \cb
    PatternBackground, // \chcbpat
    Highlight,
    Script,           // \loch, \hich, \ltrch, \rtlch, \dbch; `value` is a Reader::Script
    AssociatedSize,   // \afs: the size for the script chosen last
    AssociatedBold,   // \ab
    AssociatedItalic, // \ai
    Unicode,
    UnicodeSkip,
    Character, // inserts `value` as a UTF-16 code unit
};

struct ControlWord {
    std::string_view name;
    Action action;
    int value = 0;
};

// The entry for a control word name, or nullptr for one the reader ignores.
const ControlWord* findControlWord(QByteArrayView name);

} // namespace inkwarden::rtf
