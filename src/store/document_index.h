#pragma once

#include <QString>

namespace inkwarden {

// Told of every document the store writes or deletes, so a search index can
// follow without reading the files again. Called on the main thread or on
// the document writer's thread; implementations return at once.
class DocumentIndex {
public:
    virtual ~DocumentIndex() = default;
    // `path` now holds `text` (its plain text).
    virtual void documentWritten(const QString& path, const QString& text) = 0;
    virtual void documentRemoved(const QString& path) = 0;
};

} // namespace inkwarden
