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

} // namespace inkwarden::names
