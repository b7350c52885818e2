#include "store/settings_store.h"

#include "documents/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden {
namespace {

const QString kDateTag = QStringLiteral("date");
// Far more than any settings this program writes.
constexpr qint64 kLargestFile = 4 * 1024 * 1024;

} // namespace

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(std::move(filePath)) {
    removeLeftoverSaves(QFileInfo(m_filePath).path());
    load();
}

QString SettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Inkwarden/defaults.json");
}

std::optional<qint64> SettingsStore::integer(const QString& key) const {
    const QJsonValue value = m_values.value(key);
    // The parser keeps whole numbers as 64-bit integers; anything else is a real.
    if (!value.isDouble() || value.toVariant().typeId() != QMetaType::LongLong)
        return std::nullopt;
    return value.toInteger();
}

std::optional<QString> SettingsStore::string(const QString& key) const {
    const QJsonValue value = m_values.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> SettingsStore::boolean(const QString& key) const {
    const QJsonValue value = m_values.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<QDateTime> SettingsStore::date(const QString& key) const {
    const QJsonValue value = m_values.value(key);
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (object.size() != 1 || !object.value(kDateTag).isString())
        return std::nullopt;
    const QDateTime moment =
        QDateTime::fromString(object.value(kDateTag).toString(), Qt::ISODateWithMs);
    if (!moment.isValid())
        return std::nullopt;
    return moment.toUTC();
}

void SettingsStore::setInteger(const QString& key, qint64 value) {
    set(key, QJsonValue(value));
}

void SettingsStore::setString(const QString& key, const QString& value) {
    set(key, QJsonValue(value));
}

void SettingsStore::setBoolean(const QString& key, bool value) {
    set(key, QJsonValue(value));
}

void SettingsStore::setDate(const QString& key, const QDateTime& value) {
    set(key, QJsonObject{{kDateTag, value.toUTC().toString(Qt::ISODateWithMs)}});
}

void SettingsStore::remove(const QString& key) {
    m_values.remove(key);
    save();
}

void SettingsStore::set(const QString& key, const QJsonValue& value) {
    m_values.insert(key, value);
    save();
}

void SettingsStore::load() {
    if (!QFileInfo::exists(m_filePath))
        return;
    // Only a regular file of a sane size is read: a pipe in its place would
    // block the start for ever, a link to a device could be read until memory
    // ran out. Opened without blocking, then checked, so nothing is swapped in
    // between.
    const int descriptor =
        ::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status = {};
    QFile file;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > kLargestFile ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (descriptor >= 0 && !file.isOpen())
            ::close(descriptor);
        keepBrokenFileAside();
        return;
    }
    const QByteArray bytes = file.read(kLargestFile + 1);
    file.close();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (bytes.size() > kLargestFile || error.error != QJsonParseError::NoError ||
        !document.isObject()) {
        keepBrokenFileAside();
        return;
    }
    m_values = document.object();
}

// The broken file may still hold the only copy of someone's settings, so it
// is renamed (or, failing that, copied) next to the new one, never removed.
void SettingsStore::keepBrokenFileAside() {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_filePath + QStringLiteral(".broken-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_filePath + QStringLiteral(".broken-%1-%2").arg(stamp).arg(n);
    // Copying is for a file that cannot be moved; a pipe or a device would never end.
    if (QFile::rename(m_filePath, target) ||
        (QFileInfo(m_filePath).isFile() && QFile::copy(m_filePath, target)))
        m_brokenFileKeptAt = target;
    else
        m_mayOverwrite = false;
}

void SettingsStore::save() {
    if (!m_mayOverwrite) {
        m_lastWriteError = QStringLiteral("The settings file could not be read or kept aside.");
    } else {
        const QByteArray bytes = QJsonDocument(m_values).toJson(QJsonDocument::Indented);
        m_lastWriteError = writeFileAtomically(m_filePath, bytes).value_or(QString());
    }
    if (!m_lastWriteError.isEmpty() && m_writeFailed)
        m_writeFailed(m_lastWriteError);
}

} // namespace inkwarden
