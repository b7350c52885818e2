#pragma once

#include "documents/rich_text.h"
#include "documents/writing_document.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace inkwarden::storage {

// Where the writing lives: $XDG_DATA_HOME/Inkwarden with Documents (named
// copies) and Entries (one file per day). Paths are rebuilt on every call,
// so a changed environment takes effect at once. Nothing here creates folders.

inline const QString kDocumentsFolderName = QStringLiteral("Documents");
inline const QString kEntriesFolderName = QStringLiteral("Entries");

// Empty when the system gives no data folder at all.
QString applicationFolder();
// A subfolder of the application folder; empty when there is none.
QString folder(const QString& name);
QString documentsFolder();
QString entriesFolder();
QString entryPath(const QString& dayKey);

// Where untitled writing is mirrored until it is saved or discarded, so a
// crash cannot take it: $XDG_STATE_HOME/Inkwarden/untitled.rtf (empty when
// the system gives no home at all). Outside the library, never listed.
QString recoveryPath();

// "Daily writing · 2026-12-05" for an entry, the file's base name otherwise;
// either as names::shownName() shows it.
QString displayTitle(const QString& path, bool isDailyEntry);

// The library folder's documents, then the entries folder's, each in the
// file system's order, stably sorted newest first. Missing or unreadable
// folders contribute nothing.
QList<WritingDocument> listDocuments();

// `path` with "." and ".." resolved; empty for a relative path or one the
// file system cannot hold (a NUL). Callers check and then use this form, so
// what was checked is what is touched.
QString normalizedPath(const QString& path);

// True when `path` is normalised and names a file directly inside the
// library or entries folder with the extension .rtf (any case). When
// `followLinks` is set a symbolic link only counts if its target does too.
bool isInsideDocumentFolders(const QString& path, bool followLinks);

// The longest text, in UTF-16 code units, that a document may hold: longer
// files are refused when opened, so the editor refuses to grow past it.
inline constexpr qsizetype kLongestOpenableDocument = 5'000'000;
// And the most paragraphs: the editor holds and lays out each at about half a
// kilobyte, so a file of empty paragraphs would take gigabytes. Long poems
// and novels stay far below it.
inline constexpr qsizetype kMostOpenableParagraphs = 250'000;

// Reads and decodes an RTF document; a user-readable message on failure.
struct ReadResult {
    RichText text;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
ReadResult readDocument(const QString& path);

// Encodes and writes atomically, creating our folders as needed (but no
// others when `createFolders` is false); a user-readable message on failure.
std::optional<QString> writeDocument(const QString& path, const RichText& text,
                                     bool createFolders = true);

// Writes the current document's changes, but never over a version another
// program (a sync tool, another editor) made since this program last read or
// wrote the file: ours then goes to a copy beside it, "<name> (conflict
// <day> <HH.mm>).rtf" for the local time `now`, named in `copy`, and every
// later guarded write of that file follows it there until the file is read
// again. Both versions are kept.
struct GuardedWrite {
    std::optional<QString> error;
    QString copy;
};
GuardedWrite writeDocumentGuarded(const QString& path, const RichText& text, const QDateTime& now);

// True when the file at `path` exists and is no longer the version this
// program last read or wrote (and no conflict copy has taken its place).
bool changedElsewhere(const QString& path);

inline const QString kEncodingFailedMessage =
    QStringLiteral("Couldn\u2019t encode this document as RTF.");

} // namespace inkwarden::storage
