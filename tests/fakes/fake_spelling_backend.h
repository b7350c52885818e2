#pragma once

#include "spelling/spelling_backend.h"

#include <QSet>

namespace inkwarden::testing {

// Dictionaries as one word list for every language, its state held by the
// test. As real dictionaries do, a known word may start with a capital.
struct FakeDictionaries {
    QStringList languages = {QStringLiteral("en_US")};
    QSet<QString> words;
    QStringList added;
};

class FakeSpellingBackend final : public SpellingBackend {
public:
    explicit FakeSpellingBackend(FakeDictionaries& state)
        : m_state(state) {}
    QStringList languages() override { return m_state.languages; }
    bool setLanguage(const QString& tag) override { return m_state.languages.contains(tag); }
    bool isCorrect(const QString& word) override {
        const QString lower = word.first(1).toLower() + word.sliced(1);
        return m_state.words.contains(lower) || m_state.added.contains(lower);
    }
    QStringList suggestions(const QString&) override {
        return QStringLiteral("word ward wood world sword words").split(u' ');
    }
    void addToPersonalList(const QString& word) override { m_state.added.append(word); }

private:
    FakeDictionaries& m_state;
};

} // namespace inkwarden::testing
