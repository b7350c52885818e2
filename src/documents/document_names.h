#pragma once

#include <QByteArray>
#include <QString>

namespace inkwarden::names {

// The name a person typed, made fit for a file name: its first line only,
// trimmed, "/" and ":" turned into "-", and dots and blanks trimmed from both
// ends (so it can never be hidden, empty-looking or "..").
QString cleanDocumentName(const QString& typed);

// `name`.rtf in `folder`, or `name` 2.rtf, 3, ... when taken, the name cut
// short where needed to fit the file system's longest file name. A dangling
// link counts as taken: nothing is ever written through one.
QString uniqueLibraryPath(const QString& folder, const QString& cleanedName);

// The first non-empty line of `plainText`, trimmed and cut to 48 characters
// as a person counts them; "Untitled" when that leaves nothing.
QString suggestedTitle(const QString& plainText);

inline constexpr int kSuggestedTitleLength = 48;

// A file name as the program carries it: UTF-8 decoded, except that a name
// which is not UTF-8 (say, from an old archive) keeps each byte from 0x80 up
// as U+DC80 to U+DCFF. No decoded name holds those lone surrogates, so every
// file stays reachable and no two share a path. Qt's own file functions
// would turn them into other bytes, naming another file: every system call
// on a document's path goes through nativePath().
QString fromNativePath(QByteArrayView bytes);
QByteArray nativePath(const QString& path);

// `name` as one line a person can read and edit: bytes that were not UTF-8
// in Windows Latin-1, each line break as U+23CE and any other control
// character as U+FFFD.
QString singleLineName(const QString& name);

// singleLineName() for a label or a sentence: isolated (U+2068 ... U+2069)
// when it holds right-to-left text or directional controls, so those turn
// nothing outside it. Its own overrides stay, as the person typed them.
QString shownName(const QString& name);

} // namespace inkwarden::names
