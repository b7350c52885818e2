#include "documents/storage_layout.h"

#include "documents/atomic_file.h"
#include "documents/document_names.h"
#include "documents/rtf/rtf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QTimeZone>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden::storage {
namespace {

// Larger files are refused rather than read whole: nobody's writing is this
// big, and reading it would only exhaust memory.
constexpr qint64 kLargestReadableDocument = 256LL * 1024 * 1024;
// Past kLongestOpenableDocument the editor would need many seconds to lay the
// text out and hundreds of megabytes to hold it: refused at once instead,
// with the file left alone. About 850,000 words, several novels' worth.

// What this process last read or wrote of each document, and where a
// conflict sent its writes since. Shared by the main thread and the writer.
struct Known {
    FileStamp stamp;
    QString copy;
};
std::mutex knownMutex;
QHash<QString, Known> known;

void remember(const QString& path, const FileStamp& stamp) {
    const std::lock_guard lock(knownMutex);
    known.insert(path, {stamp, {}});
}

QString tr(const char* text) {
    return QCoreApplication::translate("inkwarden", text);
}

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString shownFileName(const QString& path) {
    return names::shownName(QFileInfo(path).fileName());
}

// Read with the system's calls: Qt leaves out every name that is not UTF-8.
void appendDocuments(QList<WritingDocument>& documents, const QString& path, bool isDailyEntry) {
    DIR* directory = path.isEmpty() ? nullptr : ::opendir(names::nativePath(path).constData());
    if (!directory)
        return;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArrayView name(entry->d_name);
        // Hidden files (and "." and "..") are not documents.
        const bool isRtf =
            name.size() > 4 && name.last(4).compare(".rtf", Qt::CaseInsensitive) == 0;
        if (name.startsWith('.') || !isRtf)
            continue;
        // A link counts as the file it leads to; anything but a file is left out.
        struct stat file {};
        if (::fstatat(::dirfd(directory), entry->d_name, &file, 0) != 0 || !S_ISREG(file.st_mode))
            continue;
        const qint64 modified =
            qint64(file.st_mtim.tv_sec) * 1000 + file.st_mtim.tv_nsec / 1'000'000;
        documents.append({QUrl::fromLocalFile(path + u'/' + names::fromNativePath(name)),
                          QDateTime::fromMSecsSinceEpoch(modified, QTimeZone::utc()),
                          isDailyEntry});
    }
    ::closedir(directory);
}

} // namespace

QString applicationFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Inkwarden");
}

QString folder(const QString& name) {
    const QString root = applicationFolder();
    return root.isEmpty() ? QString() : root + QLatin1Char('/') + name;
}

QString documentsFolder() {
    return folder(kDocumentsFolderName);
}

QString entriesFolder() {
    return folder(kEntriesFolderName);
}

QString entryPath(const QString& dayKey) {
    const QString entries = entriesFolder();
    return entries.isEmpty() ? QString()
                             : entries + QLatin1Char('/') + dayKey + QStringLiteral(".rtf");
}

QString recoveryPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        const QString home = QDir::homePath();
        if (home.isEmpty() || home == QDir::rootPath())
            return {};
        state = home + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/Inkwarden/untitled.rtf");
}

QString displayTitle(const QString& path, bool isDailyEntry) {
    const QString name = names::shownName(QFileInfo(path).completeBaseName());
    return isDailyEntry ? QStringLiteral("Daily writing \u00b7 ") + name : name;
}

QList<WritingDocument> listDocuments() {
    QList<WritingDocument> documents;
    appendDocuments(documents, documentsFolder(), false);
    appendDocuments(documents, entriesFolder(), true);
    std::stable_sort(documents.begin(), documents.end(),
                     [](const WritingDocument& a, const WritingDocument& b) {
                         return a.modifiedAt > b.modifiedAt;
                     });
    return documents;
}

QString normalizedPath(const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path) || path.contains(QChar(u'\0')))
        return {};
    return QDir::cleanPath(path);
}

bool isInsideDocumentFolders(const QString& path, bool followLinks) {
    const QString documents = documentsFolder();
    if (documents.isEmpty() || path.isEmpty() || normalizedPath(path) != path)
        return false;
    const QFileInfo target(path);
    if (target.suffix().toLower() != QStringLiteral("rtf"))
        return false;
    const QString parent = target.path();
    if (parent != QDir::cleanPath(documents) && parent != QDir::cleanPath(entriesFolder()))
        return false;
    if (!followLinks || !isSymbolicLink(path))
        return true;
    // A link may point anywhere; only one into our own folders is ours.
    const QString resolved = resolvedPath(path);
    const QString resolvedParent = QFileInfo(resolved).path();
    return !resolved.isEmpty() && QFileInfo(resolved).suffix().toLower() == QStringLiteral("rtf") &&
           (resolvedParent == QFileInfo(documents).canonicalFilePath() ||
            resolvedParent == QFileInfo(entriesFolder()).canonicalFilePath());
}

ReadResult readDocument(const QString& path) {
    const QByteArray native = names::nativePath(path);
    // Never open a pipe or device found under a document's name: it could block forever.
    if (struct stat info{}; ::stat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return {{}, tr("“%1” is not a document.").arg(shownFileName(path))};
    const int descriptor = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return {{}, tr("Couldn’t open “%1”: %2").arg(shownFileName(path), systemMessage(errno))};
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // The version read is the one later writes must find in place.
    const std::optional<FileStamp> stamp = stampOf(descriptor);
    if (file.size() > kLargestReadableDocument)
        return {{}, tr("“%1” is too large to open.").arg(shownFileName(path))};
    // Sized by the file, not the limit: QIODevice::read allocates all it is asked
    // for up front, so every open would reserve twice the limit.
    const QByteArray bytes = file.read(std::min(file.size(), kLargestReadableDocument) + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, tr("Couldn’t read “%1”: %2").arg(shownFileName(path), file.errorString())};
    rtf::ReadResult decoded = rtf::read(bytes, kLongestOpenableDocument, kMostOpenableParagraphs);
    if (!decoded.ok())
        return {{}, tr("Couldn’t open “%1”: %2").arg(shownFileName(path), decoded.error)};
    if (stamp)
        remember(path, *stamp);
    return {std::move(decoded.text), {}};
}

std::optional<QString> writeDocument(const QString& path, const RichText& text,
                                     bool createFolders) {
    const std::optional<QByteArray> bytes = rtf::write(text);
    if (!bytes)
        return kEncodingFailedMessage;
    FileStamp written;
    std::optional<QString> error = writeFileAtomically(path, *bytes, createFolders, &written);
    if (!error)
        remember(path, written);
    return error;
}

GuardedWrite writeDocumentGuarded(const QString& path, const RichText& text, const QDateTime& now) {
    QString target = path;
    {
        const std::lock_guard lock(knownMutex);
        const auto last = known.constFind(path);
        if (last != known.cend() && !last->copy.isEmpty()) {
            target = last->copy;
        } else if (last != known.cend()) {
            const std::optional<FileStamp> current = stampOf(path);
            // A file removed meanwhile is simply written again: nothing of
            // anyone's is lost by that.
            if (current && *current != last->stamp) {
                const QFileInfo info(path);
                const QString name =
                    QStringLiteral("%1 (conflict %2 %3)")
                        .arg(info.completeBaseName(), now.toString(QStringLiteral("yyyy-MM-dd")),
                             now.toString(QStringLiteral("HH.mm")));
                target = names::uniqueLibraryPath(info.path(), names::cleanDocumentName(name));
            }
        }
    }
    GuardedWrite result{writeDocument(target, text), target == path ? QString() : target};
    if (!result.error && !result.copy.isEmpty()) {
        const std::lock_guard lock(knownMutex);
        known[path].copy = result.copy;
    }
    return result;
}

bool changedElsewhere(const QString& path) {
    std::optional<Known> last;
    {
        const std::lock_guard lock(knownMutex);
        if (const auto found = known.constFind(path); found != known.cend())
            last = *found;
    }
    if (!last || !last->copy.isEmpty())
        return false;
    const std::optional<FileStamp> current = stampOf(path);
    return current && *current != last->stamp;
}

} // namespace inkwarden::storage
