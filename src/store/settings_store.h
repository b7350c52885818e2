#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <optional>

namespace inkwarden {

// The user's settings and progress markers: a small typed key-value store
// kept in one JSON file. Integers, strings and booleans are plain JSON values;
// a date is {"date": "<ISO 8601 UTC, milliseconds>"}, so an integer reads
// back as an integer and a string that looks like a number stays a string.
// A read of the wrong kind answers "absent". Reads never fail and never touch
// the disk; every set rewrites the whole file atomically. A file that cannot
// be read or parsed is moved aside (never deleted) and the store starts
// empty. Entries it does not understand are kept as they are.
// Main thread only.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath);

    // $XDG_CONFIG_HOME/Inkwarden/defaults.json
    static QString defaultFilePath();

    std::optional<qint64> integer(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    std::optional<QDateTime> date(const QString& key) const;
    bool contains(const QString& key) const { return m_values.contains(key); }

    void setInteger(const QString& key, qint64 value);
    void setString(const QString& key, const QString& value);
    void setBoolean(const QString& key, bool value);
    void setDate(const QString& key, const QDateTime& value);
    void remove(const QString& key);

    const QString& filePath() const { return m_filePath; }
    // Where a broken file found at load time was moved; empty if none was.
    const QString& brokenFileKeptAt() const { return m_brokenFileKeptAt; }
    // Why the last write failed; empty after a successful one.
    const QString& lastWriteError() const { return m_lastWriteError; }
    // Called with the reason whenever a write fails.
    void setWriteFailureHandler(std::function<void(const QString&)> handler) {
        m_writeFailed = std::move(handler);
    }

private:
    void load();
    void keepBrokenFileAside();
    void set(const QString& key, const QJsonValue& value);
    void save();

    QString m_filePath;
    QJsonObject m_values;
    QString m_brokenFileKeptAt;
    bool m_mayOverwrite = true; // false while an unread file could not be kept aside
    QString m_lastWriteError;
    std::function<void(const QString&)> m_writeFailed;
};

} // namespace inkwarden
