// Draws the writing screen offscreen in a light and a dark palette, for the
// README: screenshots <folder> writes writing-light.png and writing-dark.png.
// Runs in a temporary home, so it never touches anyone's writing.
#include "editor/placeholder_text_view.h"
#include "screens/readable_palette.h"
#include "screens/writing_view.h"
#include "store/clock.h"
#include "store/settings_store.h"
#include "store/store_services.h"
#include "store/writing_store.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace inkwarden;

namespace {

struct Quiet final : ReminderControl, FocusControl {
    void configure(qint64, qint64) override {}
    void remindIfIncomplete() override {}
    void begin() override {}
    void end() override {}
};

QPalette darkPalette() {
    QPalette dark;
    const QList<std::pair<QPalette::ColorRole, QRgb>> roles = {
        {QPalette::Window, 0x31363b},   {QPalette::WindowText, 0xfcfcfc},
        {QPalette::Base, 0x232629},     {QPalette::Text, 0xfcfcfc},
        {QPalette::Button, 0x31363b},   {QPalette::ButtonText, 0xfcfcfc},
        {QPalette::Highlight, 0x3daee9}};
    for (const auto& [role, color] : roles)
        dark.setColor(role, QColor(color));
    return dark;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: screenshots <folder>\n", stderr);
        return 2;
    }
    QTemporaryDir home;
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        qputenv(variable, QFile::encodeName(home.path()));
    const SystemClock clock;
    SettingsStore settings(home.filePath(QStringLiteral("defaults.json")));
    settings.setString(QStringLiteral("trackingStartDay"), QStringLiteral("9999-12-31"));
    Quiet quiet;
    WritingStore store({clock, settings, quiet, quiet});
    const QPalette light = QApplication::palette();
    for (const auto& [name, palette] : {std::pair(QStringLiteral("light"), light),
                                        std::pair(QStringLiteral("dark"), darkPalette())}) {
        QApplication::setPalette(palette);
        keepSecondaryTextReadable();
        WritingView view(store);
        view.resize(900, 420);
        view.show();
        view.editor()->textView().setPlainText(QStringLiteral(
            "Morning pages\n\nThe kettle sang while the street was still dark. Fifteen "
            "minutes, one page, nothing else: that is the whole promise."));
        QApplication::processEvents();
        const QString path =
            QStringLiteral("%1/writing-%2.png").arg(QString::fromLocal8Bit(argv[1]), name);
        if (!view.grab().scaledToWidth(600, Qt::SmoothTransformation).save(path)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
