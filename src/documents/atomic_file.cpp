#include "documents/atomic_file.h"

#include "documents/document_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden {
namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The rename is only durable once the folder entry itself reaches the disk.
void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// umask() can only be read by setting it; set back at once.
mode_t currentUmask() {
    const mode_t mask = ::umask(0077);
    ::umask(mask);
    return mask;
}

FileStamp stampFrom(const struct stat& status) {
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

} // namespace

std::optional<FileStamp> stampOf(const QString& path) {
    struct stat status {};
    if (::stat(names::nativePath(path).constData(), &status) != 0)
        return std::nullopt;
    return stampFrom(status);
}

std::optional<FileStamp> stampOf(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return std::nullopt;
    return stampFrom(status);
}

std::optional<QString> ensurePrivateFolder(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    QString probe = absolute;
    while (!QFileInfo(probe).exists()) {
        missing.prepend(probe);
        const QString parent = QFileInfo(probe).path();
        if (parent == probe)
            break;
        probe = parent;
    }
    if (QFileInfo probeInfo(probe); probeInfo.exists() && !probeInfo.isDir())
        return QCoreApplication::translate("inkwarden", "“%1” is not a folder.").arg(probe);
    for (const QString& folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0 && errno != EEXIST)
            return QCoreApplication::translate("inkwarden", "Couldn’t create the folder “%1”: %2")
                .arg(folder, systemMessage(errno));
    }
    if (!QFileInfo(absolute).isDir())
        return QCoreApplication::translate("inkwarden", "“%1” is not a folder.").arg(absolute);
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           bool createFolders, FileStamp* stamp) {
    const QFileInfo info(path);
    if (!createFolders && !QFileInfo(info.path()).isDir())
        return QCoreApplication::translate("inkwarden", "The folder “%1” doesn’t exist.")
            .arg(info.path());
    // The folder's message says what is wrong with it; the file's name says
    // which writing was not saved.
    if (auto error = createFolders ? ensurePrivateFolder(info.path()) : std::nullopt)
        return QCoreApplication::translate("inkwarden", "Couldn’t write “%1”: %2")
            .arg(names::shownName(info.fileName()), *error);
    const auto failed = [&info](int error) -> std::optional<QString> {
        return QCoreApplication::translate("inkwarden", "Couldn’t write “%1”: %2")
            .arg(names::shownName(info.fileName()), systemMessage(error));
    };

    // A link is written through, so the file it names is replaced and the
    // links stay; a chain of them is followed to its end.
    QString target = info.absoluteFilePath();
    if (isSymbolicLink(target)) {
        const QString resolved = resolvedPath(target);
        target = resolved.isEmpty() ? info.symLinkTarget() : resolved;
    }
    const QString folder = QFileInfo(target).path();
    // Hidden, and named so that leftovers of a crash can be recognised and
    // removed later (removeLeftoverSaves) without ever touching a person's file.
    QByteArray temporary =
        names::nativePath(folder + u'/' + kLeftoverSavePrefix + QStringLiteral("XXXXXX"));
    // mkstemp creates the file with mode 0600, so the text is never readable by others.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failed(error);
    };
    // A file the person picked (an export over an existing one) keeps its
    // mode; a new one is theirs to share, so it gets the usual mode (0644
    // under the usual umask); our own files are always 0600.
    if (!createFolders) {
        struct stat existing {};
        mode_t mode = 0666 & ~currentUmask();
        if (::stat(names::nativePath(target).constData(), &existing) == 0)
            mode = existing.st_mode & 07777;
        if (::fchmod(fd, mode) != 0)
            return abandon(errno);
    }
    // Written straight to the descriptor: every error (full disk, size limit)
    // is met here, while the old file is still untouched.
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return abandon(written < 0 ? errno : EIO);
        done += written;
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    // Taken from the descriptor: a stat after the rename could already see
    // another program's version.
    if (stamp)
        *stamp = stampOf(fd).value_or(FileStamp{});
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failed(error);
    }
    if (::rename(temporary.constData(), names::nativePath(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failed(error);
    }
    syncFolder(folder);
    return std::nullopt;
}

bool isSymbolicLink(const QString& path) {
    struct stat link {};
    return ::lstat(names::nativePath(path).constData(), &link) == 0 && S_ISLNK(link.st_mode);
}

QString resolvedPath(const QString& path) {
    char* resolved = ::realpath(names::nativePath(path).constData(), nullptr);
    const QString result = resolved ? names::fromNativePath(resolved) : QString();
    std::free(resolved);
    return result;
}

void removeLeftoverSaves(const QString& folder) {
    const QDir dir(folder);
    const QStringList leftovers =
        dir.entryList({kLeftoverSavePrefix + QStringLiteral("??????")},
                      QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : leftovers)
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
}

} // namespace inkwarden
