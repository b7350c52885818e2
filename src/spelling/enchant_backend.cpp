#include "spelling/enchant_backend.h"

#include <enchant.h>

namespace inkwarden {

EnchantBackend::EnchantBackend() = default;

EnchantBackend::~EnchantBackend() {
    if (m_dictionary)
        enchant_broker_free_dict(m_broker, m_dictionary);
    if (m_broker)
        enchant_broker_free(m_broker);
}

// Started by the first question rather than at construction: starting
// loads every provider Enchant has, which the loader thread does, so the
// window never waits for it.
str_enchant_broker* EnchantBackend::broker() {
    if (!m_broker && !m_brokerFailed) {
        m_broker = enchant_broker_init();
        m_brokerFailed = m_broker == nullptr;
    }
    return m_broker;
}

QStringList EnchantBackend::languages() {
    QStringList tags;
    if (!broker())
        return tags;
    enchant_broker_list_dicts(
        m_broker,
        [](const char* tag, const char*, const char*, const char*, void* found) {
            const QString name = QString::fromUtf8(tag);
            auto& list = *static_cast<QStringList*>(found);
            if (!list.contains(name))
                list.append(name);
        },
        &tags);
    return tags;
}

bool EnchantBackend::setLanguage(const QString& tag) {
    if (!broker())
        return false;
    EnchantDict* dictionary = enchant_broker_request_dict(m_broker, tag.toUtf8().constData());
    if (!dictionary)
        return false;
    if (m_dictionary)
        enchant_broker_free_dict(m_broker, m_dictionary);
    m_dictionary = dictionary;
    return true;
}

bool EnchantBackend::isCorrect(const QString& word) {
    if (!m_dictionary)
        return true;
    const QByteArray bytes = word.toUtf8();
    return enchant_dict_check(m_dictionary, bytes.constData(), bytes.size()) == 0;
}

QStringList EnchantBackend::suggestions(const QString& word) {
    QStringList found;
    if (!m_dictionary)
        return found;
    const QByteArray bytes = word.toUtf8();
    size_t count = 0;
    char** list = enchant_dict_suggest(m_dictionary, bytes.constData(), bytes.size(), &count);
    for (size_t i = 0; i < count; ++i)
        found.append(QString::fromUtf8(list[i]));
    if (list)
        enchant_dict_free_string_list(m_dictionary, list);
    return found;
}

void EnchantBackend::addToPersonalList(const QString& word) {
    if (!m_dictionary)
        return;
    const QByteArray bytes = word.toUtf8();
    enchant_dict_add(m_dictionary, bytes.constData(), bytes.size());
}

} // namespace inkwarden
