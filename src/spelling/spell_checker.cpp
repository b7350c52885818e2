#include "spelling/spell_checker.h"

#include "spelling/spelling_backend.h"
#include "spelling/word_rules.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"

#include <QLocale>
#include <algorithm>

namespace inkwarden {

SpellChecker::SpellChecker(SettingsStore& settings, std::unique_ptr<SpellingBackend> backend,
                           QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_backend(std::move(backend))
    , m_wanted(settings.boolean(keys::kCheckSpellingWhileTyping).value_or(true)) {}

SpellChecker::~SpellChecker() {
    if (m_loader.joinable())
        m_loader.join();
}

void SpellChecker::load() {
    apply(loadFrom(*m_backend, m_settings.string(keys::kSpellingLanguage).value_or(QString()),
                   QLocale().name()));
}

// The backend is the loader's alone until it has posted its result.
void SpellChecker::loadInBackground() {
    m_loader =
        std::thread([this, chosen = m_settings.string(keys::kSpellingLanguage).value_or(QString()),
                     locale = QLocale().name()] {
            const Loaded loaded = loadFrom(*m_backend, chosen, locale);
            QMetaObject::invokeMethod(
                this,
                [this, loaded] {
                    m_loader.join();
                    apply(loaded);
                },
                Qt::QueuedConnection);
        });
}

// The chosen dictionary, else the locale's own, else one of its language, else any.
SpellChecker::Loaded SpellChecker::loadFrom(SpellingBackend& backend, const QString& chosen,
                                            const QString& locale) {
    Loaded loaded{backend.languages(), {}};
    std::sort(loaded.languages.begin(), loaded.languages.end(),
              [](const QString& a, const QString& b) {
                  return displayName(a).localeAwareCompare(displayName(b)) < 0;
              });
    QStringList candidates = {chosen, locale};
    for (const QString& tag : loaded.languages) {
        if (tag.section(u'_', 0, 0) == locale.section(u'_', 0, 0))
            candidates.append(tag);
    }
    candidates.append(loaded.languages.value(0));
    for (const QString& tag : candidates) {
        if (loaded.languages.contains(tag) && backend.setLanguage(tag)) {
            loaded.language = tag;
            break;
        }
    }
    return loaded;
}

void SpellChecker::apply(const Loaded& loaded) {
    m_languages = loaded.languages;
    m_language = loaded.language;
    m_known.clear();
    Q_EMIT changed();
}

void SpellChecker::setWanted(bool wanted) {
    if (wanted == m_wanted)
        return;
    m_wanted = wanted;
    m_settings.setBoolean(keys::kCheckSpellingWhileTyping, wanted);
    Q_EMIT changed();
}

void SpellChecker::setLanguage(const QString& tag) {
    if (tag == m_language || !m_languages.contains(tag) || !m_backend->setLanguage(tag))
        return;
    m_language = tag;
    m_known.clear();
    m_settings.setString(keys::kSpellingLanguage, tag);
    Q_EMIT changed();
}

QString SpellChecker::displayName(const QString& tag) {
    const QLocale locale(tag);
    if (locale.language() == QLocale::C)
        return tag;
    const QString language = QLocale::languageToString(locale.language());
    if (!tag.contains(u'_'))
        return language;
    return QStringLiteral("%1 (%2)").arg(language, QLocale::territoryToString(locale.territory()));
}

bool SpellChecker::isMisspelled(QStringView word) {
    if (!isActive())
        return false;
    const QString form = spelling::dictionaryForm(word);
    // A word ignored in lower case is ignored at the start of a sentence too.
    if (m_ignored.contains(form) || m_ignored.contains(form.first(1).toLower() + form.sliced(1)))
        return false;
    auto known = m_known.constFind(form);
    if (known == m_known.cend())
        known = m_known.insert(form, m_backend->isCorrect(form));
    return !*known;
}

QStringList SpellChecker::suggestions(QStringView word) {
    if (!isActive())
        return {};
    return m_backend->suggestions(spelling::dictionaryForm(word)).mid(0, kMostSuggestions);
}

void SpellChecker::addToDictionary(QStringView word) {
    const QString form = spelling::dictionaryForm(word);
    m_backend->addToPersonalList(form);
    m_known.clear(); // its other forms ("Wrod") change too
    Q_EMIT changed();
}

void SpellChecker::ignore(QStringView word) {
    m_ignored.insert(spelling::dictionaryForm(word));
    Q_EMIT changed();
}

} // namespace inkwarden
