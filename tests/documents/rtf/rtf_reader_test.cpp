#include "documents/rtf/rtf.h"

#include <QFile>
#include <QHash>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;

// "Family size[ b][ i][ fg=aarrggbb][ bg=aarrggbb]": a row states a whole format.
QString formatOf(const TextRun& run) {
    QString format = run.fontFamily + u' ' + QString::number(run.pointSize) +
                     (run.bold ? u" b"_s : u""_s) + (run.italic ? u" i"_s : u""_s);
    for (const auto& [name, color] :
         {std::pair{u" fg="_s, run.foreground}, {u" bg="_s, run.background}})
        format += color ? name + QString::number(*color, 16) : u""_s;
    return format;
}

TEST(RtfReaderTest, ReadsTheTextAndFormattingOtherProgramsWrite) {
    // Fonts in several codepages, and a colour table with red, white and black.
    const QByteArray header =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fnil\\fcharset128 Gothic;}"
        "{\\f2\\fcharset204 Arial Cyr;}{\\f3\\fcharset129 Gulim;}{\\f4\\fcharset161 Greek;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue0;}";
    // Bodies are read after the header; a row with its own "{\rtf" is a whole file.
    const QList<std::pair<QByteArray, QString>> texts = {
        {"a\\foo12 b\\bar-3 c{\\*\\unknown hidden {nested}}{\\info{\\title T}}{\\pict 89504e47}"
         "{\\header H}{\\footnote n}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt d}}",
         u"abcd"_s},
        // Raw line breaks are ignored; a backslash before one is a paragraph mark.
        {"one\\par two\\line three\\tab four{\\listtext\\'95\\tab}five\\\nsix\\\r\nse\r\nven",
         u"one\ntwo\u2028three\tfour•\tfive\nsix\nseven"_s},
        {"{\\rtf1 {last\\par\\par}}", u"last\n"_s}, // the closing mark adds no paragraph
        {"\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet a\\~b\\-c\\_d\\{\\}\\\\",
         u"—–‘’“”•a\u00A0b\u00ADc\u2011d{}\\"_s},
        // \uN and what stands in for it: one character, word or \'hh (\ucN, group scoped).
        {"\\u233\\'e9 \\u-3972\\'3f!{\\uc2\\u26085\\'93\\'fa}x{\\uc0\\u26412}y{\\uc2 \\u233 ab}"
         "\\u233 ab\\u233\\emdash x\\u233{y}\\u128512 ?z{\\upr{ansi}{\\*\\ud{u}}}a\\bin3 {}\\b",
         u"é \uF07C!日x本yéébéxéy\U0001F600zuab"_s},
        {"\\u-10179\\'3f\\u-8704\\'3f \\u-10179\\'3f x\\u-8704\\'3f",
         u"\U0001F600 \uFFFD x\uFFFD"_s},
        // A lead byte alone is damaged, not joined to what follows.
        {"caf\\'e9 \\'80\\'93 caf\\'E9{\\f1\\'82\\'a0\\'93\\'fa\\'83@}{\\f2\\'cf\\'f0\\'e8}{\\f3"
         "\\'c7\\'d1}{\\f4\\'e1}{\\f1\\'82}\\'a0\\ansicpg1251 \\'c4\\'e0\\mac \\'8e\\'a5\\ansicpg9 "
         "\\'80",
         u"café €“ caféあ日ァПри한α\uFFFD\u00A0Даé•\uFFFD"_s},
        // Files that end early keep the text they have; oversized numbers stay in bounds.
        {"\xEF\xBB\xBF\n {\\rtf1 {\\b bold", u"bold"_s},
        {"{\\rtf1 abc\\'4", u"abc"_s},
        {"{\\rtf1 abc\\'e9", u"abcé"_s},
        {"{\\rtf1 done} trailing {\\b text}", u"done"_s},
        {"\\u99999999999 ?x\\u-99999 ?y{\\uc99999999999 \\u233 abc}{\\uc-5 \\u233 abc}\\" +
             QByteArray(100000, 'a') + " z",
         u"\uFFFDx\uFFFDyééabcz"_s},
        // Long double-byte text is decoded in slices cut between characters only.
        {"{\\rtf1\\ansicpg932 x" + QByteArray("\x82\xa0").repeated(40000) + " " +
             QByteArray("\x82\xa0").repeated(40000) + "}",
         u"x"_s + QString(40000, u'あ') + u' ' + QString(40000, u'あ')},
    };
    QByteArray fonts; // "\\f2 F2;" to "\\f1001 F1001;"
    for (int number = 2; number <= 1001; ++number)
        fonts += "\\f" + QByteArray::number(number) + " F" + QByteArray::number(number) + ';';
    const QList<std::pair<QByteArray, QString>> formats = {
        {"x\\fs42 a\\fs21\\b\\i b\\b0\\i0 c{\\b\\fs40}d\\b\\fs40\\cf1\\cb1\\plain e\\f1 f\\f99 g",
         u"x=Helvetica 12 | a=Helvetica 21 | b=Helvetica 10.5 b i | cd=Helvetica 10.5 | "
         u"e=Helvetica 12 | f=Gothic 12 | g=Helvetica 12"_s},
        // \highlight0 is no highlight, and white neither: Mac programs end highlights so.
        {"\\cf1 a\\cf3\\cb1 b\\cf0\\cf77\\cb0 c\\chshdng0\\chcbpat1 d\\plain\\highlight1 e"
         "\\highlight0 f\\cb1\\cb2 g",
         u"a=Helvetica 12 fg=ffff0000 | b=Helvetica 12 fg=ff000000 bg=ffff0000 | c=Helvetica 12 "
         u"| de=Helvetica 12 bg=ffff0000 | fg=Helvetica 12"_s},
        // Right-to-left and double-byte text take the associated size and style.
        {"\\fs20\\rtlch\\afs42\\ab a\\ltrch b\\b\\dbch\\afs30\\ab0\\ai c{\\loch d}\\hich\\afs36 e",
         u"a=Helvetica 21 b | b=Helvetica 10 | c=Helvetica 15 i | de=Helvetica 10 b"_s},
        {"\\fs99999999999999999999 a\\fs-2147483649 b\\b" + QByteArray(100000, '9') + " c",
         u"a=Helvetica 1638 | b=Helvetica 12 | c=Helvetica 12 b"_s},
        // PostScript face names; entries end at ';' or with their group.
        {"{\\rtf1\\deff1{\\fonttbl\\f0 Menlo-Regular;junk\\f1 HelveticaNeue-BoldItalic;"
         "{\\f2 -Bold}}x\\f0 y\\f2 z}",
         u"x=Helvetica Neue 12 b i | y=Menlo 12 | z=-Bold 12"_s},
        {"{\\rtf1 \\cf1 a{\\colortbl;\\red999\\green-4\\blue300;}b}",
         u"a= 12 | b= 12 fg=ffff00ff"_s},
        // Full tables: a long name is cut, and entries past the thousandth font and the
        // 4,096th colour give the default font and no colour; a kept font may change.
        {"{\\rtf1\\deff1{\\fonttbl\\f1 " + QByteArray(300, 'N') + ";" + fonts +
             "\\f0 Menlo;{\\f2 Avenir;}}{\\colortbl" + QByteArray(4095, ';') +
             "\\blue9;\\red9;}\\f1001 a\\f1000 b\\f2\\cf4095 c\\f0\\cf4096 d}",
         u"a="_s + QString(256, u'N') + u" 12 | b=F1000 12 | c=Avenir 12 fg=ff000009 | d="_s +
             QString(256, u'N') + u" 12"_s},
    };
    for (const auto& [rows, wholeFormat] : {std::pair{texts, false}, {formats, true}}) {
        for (const auto& [rtf, expected] : rows) {
            const rtf::ReadResult result =
                rtf::read(rtf.contains("{\\rtf") ? rtf : header + rtf + '}');
            QStringList runs;
            for (const TextRun& run : result.text.runs())
                runs.append(result.text.text().mid(run.start, run.length) + u'=' + formatOf(run));
            EXPECT_TRUE(result.ok() && (result.text.isEmpty() || result.text.hasMaximalRuns()));
            EXPECT_EQ(wholeFormat ? runs.join(u" | "_s) : result.text.text(), expected)
                << rtf.left(80).toStdString();
        }
    }
}

TEST(RtfReaderTest, RefusesWhatCannotBeReadWithAClearMessage) {
    // Read with room for ten characters, counted after the last paragraph mark
    // is dropped, also when they come as \u, and not in skipped destinations.
    const QList<std::pair<QString, QList<QByteArray>>> cases = {
        {u"This file is empty."_s, {"", " \r\n\t", "\xEF\xBB\xBF"}},
        {u"This file is not an RTF document."_s,
         {"Hello, world", "{\\rt", "{\\RTF1 x}", QByteArray("PK\x03\x04\0\0", 6), "x{\\rtf1 a}"}},
        {u"This RTF document is nested too deeply to open."_s, {"{\\rtf1" + QByteArray(1000, '{')}},
        {u"This RTF document is damaged."_s,
         {"{\\rtf1 a\\bin999999999 xyz}", "{\\rtf1 a\\bin99999999999999999999 x}",
          "{\\rtf1 a\\bin4 x"}},
        {u"This document is longer than 10 characters, the most Inkwarden can open."_s,
         {"{\\rtf1 abcdefghijk}", "{\\rtf1 abcdefghij\\u955?}"}},
        {u""_s,
         {"{\\rtf1" + QByteArray(999, '{'), "{\\rtf1 abcde\\par fghi\\par}",
          "{\\rtf1 abcdefghij{\\*\\x yz}}"}},
    };
    for (const auto& [error, inputs] : cases) {
        for (const QByteArray& bytes : inputs) {
            const rtf::ReadResult result = rtf::read(bytes, 10);
            EXPECT_EQ(result.error, error) << bytes.left(60).toStdString();
            EXPECT_TRUE(error.isEmpty() || (result.text.isEmpty() && result.text.runs().isEmpty()));
        }
    }
}

TEST(RtfReaderTest, FilesOtherProgramsWroteKeepTheirTextAndFormatting) {
    QHash<QString, RichText> read;
    for (const QString& name : {u"libreoffice-7.4"_s, u"libreoffice-7.4-highlight"_s,
                                u"abiword-3.0"_s, u"pandoc-2.17"_s, u"cocoa-style"_s}) {
        QFile file(QStringLiteral(INKWARDEN_FIXTURES_DIR "/rtf/") + name + u".rtf"_s);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const RichText text = read[name] = rtf::read(file.readAll()).text;
        // What our writer makes of them reads back as asWritten() says.
        EXPECT_TRUE(rtf::read(*rtf::write(text)).text == rtf::asWritten(text))
            << name.toStdString();
    }
    EXPECT_TRUE(read[u"libreoffice-7.4"_s].text().contains(
        u"Plain Georgia text with café and naïve. Bold Helvetica Neue. Italic Avenir Next at 14. "
        u"Menlo bold italic 10.5\nSecond paragraph: butter sage blush sky\nUnicode: € — “quotes” "
        u"日本語 \U0001F600 عربي {braces} back\\slash\tTab\n\nAfter"_s));
    EXPECT_TRUE(read[u"pandoc-2.17"_s].text().startsWith(u"Sample\n\nPlain text with café"_s));
    // The format of the one run that holds all of a word.
    const QList<std::tuple<QString, QString, QString>> formats = {
        {u"libreoffice-7.4"_s, u"Bold Helvetica"_s, u"Helvetica Neue 21 b"_s},
        {u"libreoffice-7.4"_s, u"blush"_s, u"Georgia 21 b fg=ff000000 bg=ffff8fa3"_s},
        // LibreOffice sizes Asian and Arabic text with associated words only.
        {u"libreoffice-7.4"_s, u"日本語"_s, u"Georgia 21"_s},
        {u"libreoffice-7.4"_s, u"عربي"_s, u"DejaVu Serif 21"_s},
        {u"libreoffice-7.4-highlight"_s, u"green"_s, u"Georgia 21 b bg=ff00ff00"_s},
        {u"abiword-3.0"_s, u"sky"_s, u"Georgia 21 i bg=ff6eb5ff"_s}, // no text colour
        {u"pandoc-2.17"_s, u"both"_s, u"Helvetica 12 b i"_s},
        // PostScript face names, and white backgrounds that end highlights
        {u"cocoa-style"_s, u"butter"_s, u"Helvetica Neue 21 fg=ff000000 bg=ffffcc47"_s},
        {u"cocoa-style"_s, u" then "_s, u"Helvetica Neue 21"_s},
        {u"cocoa-style"_s, u"Georgia"_s, u"Georgia 21 b i"_s},
        {u"cocoa-style"_s, u"demi"_s, u"Avenir Next 21 b"_s},
    };
    for (const auto& [file, word, format] : formats) {
        const qsizetype at = read[file].text().indexOf(word);
        QString found = u"no one run"_s;
        for (const TextRun& run : read[file].runs())
            found = at >= run.start && at + word.size() <= run.start + run.length ? formatOf(run)
                                                                                  : found;
        EXPECT_EQ(found, format) << word.toStdString();
    }
}

} // namespace
} // namespace inkwarden
