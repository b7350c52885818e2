#pragma once

#include <QDateTime>
#include <QUrl>

namespace inkwarden {

// One listed `.rtf` file. Identified by `url`; equal only when all three
// fields are, so a file listed again after a change is a different value.
struct WritingDocument {
    QUrl url;
    QDateTime modifiedAt;
    bool isDailyEntry = false;

    const QUrl& id() const { return url; }
    friend bool operator==(const WritingDocument&, const WritingDocument&) = default;
};

} // namespace inkwarden
