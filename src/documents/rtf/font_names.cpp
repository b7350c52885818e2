#include "documents/rtf/font_names.h"

#include <array>
#include <utility>

namespace inkwarden::rtf {
namespace {

using Pair = std::pair<QLatin1StringView, QLatin1StringView>;

// PostScript family prefixes whose spelling a general rule would get wrong.
constexpr std::array kKnownFamilies = {
    Pair{QLatin1StringView("HelveticaNeue"), QLatin1StringView("Helvetica Neue")},
    Pair{QLatin1StringView("AvenirNext"), QLatin1StringView("Avenir Next")},
    Pair{QLatin1StringView("TimesNewRomanPSMT"), QLatin1StringView("Times New Roman")},
    Pair{QLatin1StringView("TimesNewRomanPS"), QLatin1StringView("Times New Roman")},
    Pair{QLatin1StringView("CourierNewPSMT"), QLatin1StringView("Courier New")},
    Pair{QLatin1StringView("CourierNewPS"), QLatin1StringView("Courier New")},
    Pair{QLatin1StringView("ArialMT"), QLatin1StringView("Arial")},
    Pair{QLatin1StringView("LucidaGrande"), QLatin1StringView("Lucida Grande")},
    Pair{QLatin1StringView("GillSans"), QLatin1StringView("Gill Sans")},
    Pair{QLatin1StringView("HoeflerText"), QLatin1StringView("Hoefler Text")},
};

// Words a PostScript style suffix is made of, longest first so "Italic" wins over "It".
constexpr std::array kStyleWords = {
    QLatin1StringView("Condensed"), QLatin1StringView("Expanded"), QLatin1StringView("Oblique"),
    QLatin1StringView("Regular"),   QLatin1StringView("Italic"),   QLatin1StringView("Medium"),
    QLatin1StringView("Narrow"),    QLatin1StringView("Normal"),   QLatin1StringView("Black"),
    QLatin1StringView("Heavy"),     QLatin1StringView("Light"),    QLatin1StringView("Extra"),
    QLatin1StringView("Ultra"),     QLatin1StringView("Roman"),    QLatin1StringView("Plain"),
    QLatin1StringView("Bold"),      QLatin1StringView("Book"),     QLatin1StringView("Cond"),
    QLatin1StringView("Demi"),      QLatin1StringView("Semi"),     QLatin1StringView("Thin"),
    QLatin1StringView("Wide"),      QLatin1StringView("It"),       QLatin1StringView("MT"),
    QLatin1StringView("PS"),
};

// Reads a suffix such as "BoldItalicMT"; false when it is not made of style words.
bool readStyle(QStringView suffix, FontFace& face) {
    if (suffix.isEmpty())
        return false;
    while (!suffix.isEmpty()) {
        bool matched = false;
        for (const QLatin1StringView word : kStyleWords) {
            if (!suffix.startsWith(word, Qt::CaseInsensitive))
                continue;
            face.bold = face.bold || word == QLatin1StringView("Bold") ||
                        word == QLatin1StringView("Heavy") || word == QLatin1StringView("Black");
            face.italic = face.italic || word == QLatin1StringView("Italic") ||
                          word == QLatin1StringView("Oblique") || word == QLatin1StringView("It");
            suffix = suffix.mid(word.size());
            matched = true;
            break;
        }
        if (!matched)
            return false;
    }
    return true;
}

// "AmericanTypewriter" -> "American Typewriter"; "ArialMT" -> "Arial".
QString familyFromPostScript(QStringView prefix) {
    for (const auto& [postScript, family] : kKnownFamilies) {
        if (prefix == postScript)
            return family;
    }
    for (const QLatin1StringView tail : {QLatin1StringView("PSMT"), QLatin1StringView("MT")}) {
        if (prefix.size() > tail.size() && prefix.endsWith(tail))
            prefix.chop(tail.size());
    }
    QString family;
    for (qsizetype index = 0; index < prefix.size(); ++index) {
        if (index > 0 && prefix[index].isUpper() && prefix[index - 1].isLower())
            family.append(QLatin1Char(' '));
        family.append(prefix[index]);
    }
    return family;
}

} // namespace

FontFace faceFromFontName(const QString& name) {
    FontFace face;
    face.family = name.trimmed();
    if (face.family.contains(QLatin1Char(' ')))
        return face;
    const qsizetype dash = face.family.indexOf(QLatin1Char('-'));
    if (dash < 0) {
        for (const auto& [postScript, family] : kKnownFamilies) {
            if (face.family == postScript)
                face.family = family;
        }
        return face;
    }
    FontFace styled;
    if (dash > 0 && readStyle(QStringView(face.family).mid(dash + 1), styled)) {
        styled.family = familyFromPostScript(QStringView(face.family).left(dash));
        return styled;
    }
    return face;
}

const char* fontClassFor(const QString& family) {
    if (family == QLatin1StringView("Georgia"))
        return "froman";
    if (family == QLatin1StringView("Helvetica Neue") || family == QLatin1StringView("Avenir Next"))
        return "fswiss";
    if (family == QLatin1StringView("Menlo"))
        return "fmodern";
    return "fnil";
}

} // namespace inkwarden::rtf
