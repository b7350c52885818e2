// libFuzzer entry: any bytes as the settings file. The program must start
// from it (settings and the whole store, session restore included), never
// lose it (a file it cannot read is kept aside byte for byte), answer every
// key with the right kind or nothing, and a value set afterwards must survive
// a restart. Works in a folder under /dev/shm so the durable writes stay cheap.

#include "fakes/manual_clock.h"
#include "fakes/recording_services.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"
#include "store/writing_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace inkwarden;
using namespace inkwarden::testing;

void require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "settings_fuzzer: %s\n", what);
    std::abort();
}

QTemporaryDir* home = nullptr;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    home = new QTemporaryDir(QStringLiteral("/dev/shm/inkwarden-settings-fuzz-XXXXXX"));
    require(home->isValid(), "no temporary folder");
    qputenv("HOME", home->path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home->path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home->path() + QStringLiteral("/data")).toUtf8());
    qputenv("TZ", "America/New_York");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString folder = home->path() + QStringLiteral("/config/Inkwarden");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/defaults.json");
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) && file.write(input) == input.size(),
                "cannot write the input");
    }
    QJsonParseError parse;
    const bool readable = QJsonDocument::fromJson(input, &parse).isObject() &&
                          parse.error == QJsonParseError::NoError;

    {
        SettingsStore settings(path);
        if (!readable) {
            require(!settings.brokenFileKeptAt().isEmpty(), "an unreadable file was not kept aside");
            require(contents(settings.brokenFileKeptAt()) == input, "the kept file differs");
        }
        for (const QString& key : {keys::kScheduleHour, keys::kScheduleMinute, keys::kFontName,
                                   keys::kSessionEnd, keys::kSessionDay, keys::kLastSessionDay,
                                   keys::kLastScheduledDay, keys::kLastCompletedDay,
                                   keys::kLastFollowupDay, keys::kTrackingStartDay}) {
            const int kinds = int(settings.integer(key).has_value()) +
                              int(settings.string(key).has_value()) +
                              int(settings.boolean(key).has_value()) +
                              int(settings.date(key).has_value());
            require(kinds <= 1, "a value reads as two kinds");
            if (const auto date = settings.date(key))
                require(date->isValid(), "a date reads as invalid");
        }

        // A morning on which a session may or may not be running.
        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(9, 5), Qt::LocalTime));
        CallLog log;
        RecordingReminders reminders{log};
        RecordingFocus focus{log};
        WritingStore store({clock, settings, reminders, focus});
        require(store.remainingSeconds() >= 0 && store.remainingSeconds() <= WritingStore::kSessionSeconds,
                "the countdown is out of range");
        require(!store.isSessionActive() || (store.sessionEnd() && store.sessionEnd()->isValid()),
                "a session runs without an end");
        require(store.scheduledTime().isValid(), "no daily time");
        store.setScheduleMinute(42);
    }

    SettingsStore again(path);
    require(again.brokenFileKeptAt().isEmpty(), "the store wrote a file it cannot read");
    require(again.integer(keys::kScheduleMinute) == 42, "a value set did not survive a restart");
    return 0;
}
