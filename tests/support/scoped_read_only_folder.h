#pragma once

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden::testing {

// Makes a folder refuse new entries for one scope, for root too: the
// immutable attribute where the file system has it (root ignores modes),
// its mode otherwise. isReadOnly() says whether either worked.
class ScopedReadOnlyFolder {
public:
    explicit ScopedReadOnlyFolder(const QString& folder)
        : m_path(QFile::encodeName(folder)) {
        if (::geteuid() == 0)
            m_immutable = setImmutable(true);
        else
            m_readOnly = ::chmod(m_path.constData(), S_IRUSR | S_IXUSR) == 0;
    }
    ~ScopedReadOnlyFolder() {
        if (m_immutable)
            setImmutable(false);
        if (m_readOnly)
            ::chmod(m_path.constData(), S_IRWXU);
    }
    ScopedReadOnlyFolder(const ScopedReadOnlyFolder&) = delete;
    ScopedReadOnlyFolder& operator=(const ScopedReadOnlyFolder&) = delete;

    bool isReadOnly() const { return m_immutable || m_readOnly; }

private:
    bool setImmutable(bool on) {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QByteArray m_path;
    bool m_immutable = false;
    bool m_readOnly = false;
};

} // namespace inkwarden::testing
