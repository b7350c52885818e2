#pragma once

#include "spelling/spelling_backend.h"

struct str_enchant_broker;
struct str_enchant_dict;

namespace inkwarden {

// The desktop's dictionaries through Enchant 2: Hunspell's and whatever
// else it finds, and its personal word lists (in $XDG_CONFIG_HOME/enchant,
// shared with other programs). A broker that fails to start leaves it
// without languages. One thread at a time: Enchant is not thread-safe.
class EnchantBackend final : public SpellingBackend {
public:
    EnchantBackend();
    ~EnchantBackend() override;
    EnchantBackend(const EnchantBackend&) = delete;
    EnchantBackend& operator=(const EnchantBackend&) = delete;

    QStringList languages() override;
    bool setLanguage(const QString& tag) override;
    bool isCorrect(const QString& word) override;
    QStringList suggestions(const QString& word) override;
    void addToPersonalList(const QString& word) override;

private:
    str_enchant_broker* broker();

    str_enchant_broker* m_broker = nullptr;
    bool m_brokerFailed = false;
    str_enchant_dict* m_dictionary = nullptr;
};

} // namespace inkwarden
