#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace inkwarden {

// One version of a file as the file system tells versions apart: a program
// that rewrites or replaces the file changes at least one of these.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file `path` names, links followed; none when there is none.
std::optional<FileStamp> stampOf(const QString& path);
// The stamp of an open file.
std::optional<FileStamp> stampOf(int descriptor);

// Creates `path` and any missing parents; the folders this creates get
// mode 0700 (existing ones are left as they are). Returns an error message,
// or nothing on success.
std::optional<QString> ensurePrivateFolder(const QString& path);

// Replaces `path` with `bytes` so that a crash or power cut leaves either the
// old or the new file, never a mix: a temporary file in the same folder,
// flushed to disk, renamed over the target, then the folder flushed. The
// file gets mode 0600 and its folder is created as by ensurePrivateFolder().
// Returns a user-readable error message, or nothing on success; on failure
// the previous file is untouched. With `createFolders` false the folder must
// already exist (a place the person picked, not one of ours). `written`, if
// given, receives the stamp of the file as written.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           bool createFolders = true, FileStamp* written = nullptr);

// Whether `path` is a symbolic link, and the absolute path it leads to with
// every link followed (empty when nothing is there): QFileInfo's answers,
// also for a name that is not UTF-8 (see names::nativePath()).
bool isSymbolicLink(const QString& path);
QString resolvedPath(const QString& path);

// The temporary files writeFileAtomically() makes start with this; a crash
// between creating one and renaming it leaves it behind, hidden.
inline const QString kLeftoverSavePrefix = QStringLiteral(".inkwarden-save-");

// Removes the temporary files interrupted saves left in `folder`. Only for
// our own folders, while no save is under way (one instance runs at a time).
void removeLeftoverSaves(const QString& folder);

} // namespace inkwarden
