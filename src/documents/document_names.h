#pragma once

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

} // namespace inkwarden::names
