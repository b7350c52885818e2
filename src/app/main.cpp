#include "app/inkwarden_app.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Inkwarden"));
    QApplication::setDesktopFileName(QStringLiteral("inkwarden"));
    inkwarden::InkwardenApp app;
    return app.run();
}
