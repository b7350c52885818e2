#include "app/inkwarden_app.h"
#include "app/reminder_mode.h"
#include "app/single_instance.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Before any application object: the reminder mode may run without a display.
    if (argc > 1 && std::strcmp(argv[1], "--remind") == 0)
        return inkwarden::runReminderMode(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Inkwarden"));
    QApplication::setApplicationVersion(QStringLiteral(INKWARDEN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("inkwarden"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("inkwarden")));
    // Decided before any settings or documents are opened, so two processes
    // never write the same files.
    inkwarden::SingleInstance instance;
    switch (instance.tryBecomePrimary(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"))) {
    case inkwarden::SingleInstance::Launch::Primary:
        break;
    case inkwarden::SingleInstance::Launch::HandedOver:
        return 0;
    case inkwarden::SingleInstance::Launch::Unanswered:
        std::fputs("Inkwarden is already running but does not answer.\n", stderr);
        return 1;
    case inkwarden::SingleInstance::Launch::Unsafe:
        std::fprintf(stderr, "Inkwarden cannot start: %s\n",
                     qPrintable(instance.unsafeFolderReason()));
        return 1;
    }
    inkwarden::InkwardenApp app;
    app.takeActivationsFrom(instance);
    return app.run();
}
