#include "documents/atomic_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
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

} // namespace

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
                                           bool createFolders) {
    const QFileInfo info(path);
    if (!createFolders && !QFileInfo(info.path()).isDir())
        return QCoreApplication::translate("inkwarden", "The folder “%1” doesn’t exist.").arg(info.path());
    if (auto error = createFolders ? ensurePrivateFolder(info.path()) : std::nullopt)
        return error;

    QSaveFile file(path);
    // Unbuffered: a write error (full disk, size limit) must surface here.
    // Through the buffer it is only met while committing, which then still
    // renames the partial file over the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QCoreApplication::translate("inkwarden", "Couldn’t write “%1”: %2")
            .arg(info.fileName(), file.errorString());
    // Set before any byte is written, so the text is never readable by others.
    ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
    if (file.write(bytes) != bytes.size() || !file.commit())
        return QCoreApplication::translate("inkwarden", "Couldn’t write “%1”: %2")
            .arg(info.fileName(), file.errorString());
    syncFolder(info.path());
    return std::nullopt;
}

} // namespace inkwarden
