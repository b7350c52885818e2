// Draws the progress window over a made-up year of writing and saves it as a
// PNG. Run it under a display, e.g.
//   xvfb-run -s "-screen 0 1280x800x24" progress-picture data/screenshots/progress-window.png
// The record goes to a temporary folder; nothing of the person's is read.

#include "record/writing_record.h"
#include "screens/progress_view.h"
#include "store/clock.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace inkwarden;

const QDateTime kNow(QDate(2026, 12, 7), QTime(20, 0), Qt::LocalTime);

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return kNow; }
};

// Most days written and completed, some written only, some empty; the last
// weeks unbroken, so the streak has something to show.
void fill(WritingRecord& record) {
    QRandomGenerator random(2026);
    for (int back = 364; back >= 0; --back) {
        const QDate day = kNow.date().addDays(-back);
        const int roll = back < 23 ? 0 : int(random.bounded(10));
        if (roll >= 8)
            continue;
        const QString key = day.toString(Qt::ISODate);
        const qint64 words = 250 + random.bounded(600);
        record.wordsWritten(key, words, words);
        if (roll < 6)
            record.sessionEnded(QDateTime(day, QTime(9, 15), Qt::LocalTime), key, true, words);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: progress-picture OUTPUT.png\n");
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir folder;
    WritingRecord record({folder.filePath(QStringLiteral("record.sqlite")), {}, {}});
    record.waitUntilIdle();
    fill(record);
    FixedClock clock;
    ProgressView view(record, clock, {});
    view.show();
    QApplication::processEvents();
    if (!view.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "progress-picture: couldn't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
