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

struct FakeSpellingBackend final : SpellingBackend {
    FakeDictionaries& state;
    explicit FakeSpellingBackend(FakeDictionaries& dictionaries)
        : state(dictionaries) {}
    QStringList languages() override { return state.languages; }
    bool setLanguage(const QString& tag) override { return state.languages.contains(tag); }
    bool isCorrect(const QString& word) override {
        const QString lower = word.first(1).toLower() + word.sliced(1);
        return state.words.contains(lower) || state.added.contains(lower);
    }
    QStringList suggestions(const QString&) override {
        return QStringLiteral("word ward wood world sword words").split(u' ');
    }
    void addToPersonalList(const QString& word) override { state.added.append(word); }
};

} // namespace inkwarden::testing
