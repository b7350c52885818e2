#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>
#include <thread>

namespace inkwarden {

class SettingsStore;
class SpellingBackend;

// Whether a word is spelled right, in the chosen language: the person's
// choices (checking on or off, the language) kept in the settings, the
// words ignored for this run, and a memory of answers so a long text asks
// the dictionary once per word. Owns its backend. Main thread; only the
// loading may run on a thread of its own.
class SpellChecker : public QObject {
    Q_OBJECT
public:
    static constexpr int kMostSuggestions = 5;

    SpellChecker(SettingsStore& settings, std::unique_ptr<SpellingBackend> backend,
                 QObject* parent = nullptr);
    ~SpellChecker() override;

    // Finds the installed dictionaries and loads the chosen one. Until then
    // nothing is checked; changed() tells when it is done.
    void load();
    // The same on a thread of its own, so that loading a dictionary never
    // delays a window.
    void loadInBackground();

    bool hasDictionaries() const { return !m_languages.isEmpty(); }
    // Checking happens only when it is wanted and a dictionary is loaded.
    bool isActive() const { return m_wanted && !m_language.isEmpty(); }
    bool isWanted() const { return m_wanted; }
    void setWanted(bool wanted);

    // Installed dictionaries, ordered by their names as shown.
    const QStringList& languages() const { return m_languages; }
    const QString& language() const { return m_language; }
    void setLanguage(const QString& tag);
    // "English (United States)" for "en_US"; the tag itself when unknown.
    static QString displayName(const QString& tag);

    bool isMisspelled(QStringView word);
    QStringList suggestions(QStringView word);
    void addToDictionary(QStringView word);
    void ignore(QStringView word);

Q_SIGNALS:
    // Anything that can change which words are marked.
    void changed();

private:
    struct Loaded {
        QStringList languages;
        QString language;
    };
    static Loaded loadFrom(SpellingBackend& backend, const QString& chosen, const QString& locale);
    void apply(const Loaded& loaded);

    SettingsStore& m_settings;
    std::unique_ptr<SpellingBackend> m_backend;
    QStringList m_languages;
    QString m_language;
    bool m_wanted = true;
    QSet<QString> m_ignored;
    QHash<QString, bool> m_known;
    std::thread m_loader;
};

} // namespace inkwarden
