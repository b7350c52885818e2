#pragma once

#include <QFile>
#include <QScopeGuard>
#include <QString>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden::testing {

// Makes a folder refuse new entries until the returned guard goes, for root
// too: the immutable attribute where the file system has it (root ignores
// modes), its mode otherwise. No guard when neither worked.
[[nodiscard]] inline std::optional<QScopeGuard<std::function<void()>>>
readOnlyFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const auto setImmutable = [path](bool on) {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    };
    const bool root = ::geteuid() == 0;
    if (root ? !setImmutable(true) : ::chmod(path.constData(), S_IRUSR | S_IXUSR) != 0)
        return std::nullopt;
    return std::optional<QScopeGuard<std::function<void()>>>(std::in_place, [=] {
        if (root)
            setImmutable(false);
        else
            ::chmod(path.constData(), S_IRWXU);
    });
}

} // namespace inkwarden::testing
