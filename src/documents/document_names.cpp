#include "documents/document_names.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <unistd.h>

namespace inkwarden::names {
namespace {

bool isNewline(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

// Windows Latin-1 for the bytes 0x80 to 0x9F, where plain Latin-1 has only
// control codes; 0 where it has no character either.
constexpr char16_t kWindowsLatin1[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// A byte of a name that is not UTF-8, kept as a lone low surrogate.
bool isByteEscape(const QString& text, qsizetype i) {
    const char16_t u = text.at(i).unicode();
    return u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

// Right-to-left text and directional controls can reorder what follows them.
bool turnsText(char32_t c) {
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

bool isBlankOrNewline(QChar c) {
    return c.isSpace() || isNewline(c);
}

QString trimmed(const QString& text, bool (*shouldTrim)(QChar)) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && shouldTrim(text.at(begin)))
        ++begin;
    while (end > begin && shouldTrim(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

// Lines split at every newline character, a CR LF pair counting as one.
QStringList lines(const QString& text) {
    QStringList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isNewline(text.at(i)))
            continue;
        result.append(text.sliced(start, i - start));
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    result.append(text.sliced(start));
    return result;
}

QString firstCharacters(const QString& text, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int taken = 0; taken < count; ++taken) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    return text.first(end);
}

bool isDotOrBlank(QChar c) {
    return c == u'.' || c == u' ';
}

// The longest file name the folder's file system takes, in bytes.
qsizetype longestFileName(const QString& folder) {
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : 255;
}

// `name` cut where a person sees a character end, so that it and `suffix`
// fit in one file name; dots and blanks the cut leaves at the end go too.
QString fittedName(const QString& name, const QString& suffix, qsizetype longest) {
    if (QFile::encodeName(name + suffix).size() <= longest)
        return name;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    finder.toEnd();
    qsizetype end = name.size();
    while (end > 0 && QFile::encodeName(name.first(end) + suffix).size() > longest)
        end = finder.toPreviousBoundary();
    return trimmed(name.first(std::max<qsizetype>(end, 0)), isDotOrBlank);
}

} // namespace

QString cleanDocumentName(const QString& typed) {
    qsizetype firstBreak = 0;
    while (firstBreak < typed.size() && !isNewline(typed.at(firstBreak)))
        ++firstBreak;
    // No file system can hold a NUL; left in, it would cut the name short.
    QString name = trimmed(typed.first(firstBreak).remove(QChar(u'\0')), isBlankOrNewline);
    name.replace(u'/', u'-');
    name.replace(u':', u'-');
    return trimmed(name, isDotOrBlank);
}

QString uniqueLibraryPath(const QString& folder, const QString& cleanedName) {
    const auto taken = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    const qsizetype longest = longestFileName(folder);
    const auto candidate = [&](const QString& suffix) {
        const QString name = fittedName(cleanedName, suffix + QStringLiteral(".rtf"), longest);
        return folder + QLatin1Char('/') + (name.isEmpty() ? QStringLiteral("Untitled") : name) +
               suffix + QStringLiteral(".rtf");
    };
    QString path = candidate({});
    for (int n = 2; taken(path); ++n)
        path = candidate(QLatin1Char(' ') + QString::number(n));
    return path;
}

QString suggestedTitle(const QString& plainText) {
    for (const QString& line : lines(plainText)) {
        if (line.isEmpty())
            continue;
        const QString title = trimmed(line, isBlankOrNewline);
        return title.isEmpty() ? QStringLiteral("Untitled")
                               : firstCharacters(title, kSuggestedTitleLength);
    }
    return QStringLiteral("Untitled");
}

QString fromNativePath(QByteArrayView bytes) {
    QString path;
    // Name by name, so that one odd name leaves the folders above it as they are.
    for (qsizetype start = 0; start <= bytes.size();) {
        const qsizetype slash = bytes.indexOf('/', start);
        const qsizetype end = slash < 0 ? bytes.size() : slash;
        const QByteArrayView name = bytes.sliced(start, end - start);
        if (name.isValidUtf8()) {
            path += QString::fromUtf8(name);
        } else {
            for (const char byte : name)
                path += QChar(char16_t(uchar(byte) < 0x80 ? uchar(byte) : 0xDC00 + uchar(byte)));
        }
        if (slash >= 0)
            path += u'/';
        start = end + 1;
    }
    return path;
}

QByteArray nativePath(const QString& path) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isByteEscape(path, i))
            continue;
        bytes += path.sliced(start, i - start).toUtf8();
        if (i < path.size())
            bytes += char(path.at(i).unicode() - 0xDC00);
        start = i + 1;
    }
    return bytes;
}

QString singleLineName(const QString& name) {
    QString line;
    line.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        QChar c = name.at(i);
        if (isByteEscape(name, i)) {
            const char16_t byte = c.unicode() - 0xDC00;
            c = byte < 0xA0 ? QChar(kWindowsLatin1[byte - 0x80]) : QChar(byte);
        }
        if (isNewline(c)) {
            line += QChar(0x23CE);
            if (c == u'\r' && i + 1 < name.size() && name.at(i + 1) == u'\n')
                ++i;
        } else {
            line += c.category() == QChar::Other_Control ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return line;
}

QString shownName(const QString& name) {
    const QString line = singleLineName(name);
    const QList<uint> characters = line.toUcs4();
    if (std::none_of(characters.begin(), characters.end(), turnsText))
        return line;
    QString shown(QChar(0x2068));
    int open = 0; // isolates the name opens itself; a stray end would close ours
    for (const QChar c : line) {
        if (c == QChar(0x2069) && open == 0)
            continue;
        open += c.unicode() >= 0x2066 && c.unicode() <= 0x2068 ? 1 : c == QChar(0x2069) ? -1 : 0;
        shown += c;
    }
    return shown + QString(open + 1, QChar(0x2069));
}

} // namespace inkwarden::names
