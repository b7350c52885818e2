#pragma once

#include <QString>
#include <QStringList>

namespace inkwarden {

// A source of dictionaries: the desktop's spelling layer in the program, a
// word list in tests. Words arrive with straight apostrophes. Main thread.
class SpellingBackend {
public:
    virtual ~SpellingBackend() = default;

    // The tags of the installed dictionaries ("en_US"); empty when there are none.
    virtual QStringList languages() = 0;
    // Loads the dictionary for `tag`; false when it cannot be had.
    virtual bool setLanguage(const QString& tag) = 0;
    virtual bool isCorrect(const QString& word) = 0;
    virtual QStringList suggestions(const QString& word) = 0;
    // Adds to the personal word list that other programs share.
    virtual void addToPersonalList(const QString& word) = 0;
};

} // namespace inkwarden
