#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace inkwarden::testing {

// A file's bytes, or a marker no real file in the tests holds.
inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A file's permission bits, or -1 when it cannot be looked at.
inline int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Puts exactly `bytes` at `path`, making its folder when needed.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Puts `bytes` where an SQLite database is, with no journal beside it; null
// bytes delete it.
inline void replaceDatabase(const QString& path, const QByteArray& bytes) {
    for (const char* beside : {"-wal", "-shm"})
        QFile::remove(path + QLatin1String(beside));
    if (bytes.isNull())
        ASSERT_TRUE(QFile::remove(path));
    else
        writeBytes(path, bytes);
}

} // namespace inkwarden::testing
