#include "support/temp_home.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// One QApplication for the whole program, on the offscreen platform, in a
// throw-away home with a fixed, non-UTC time zone (so local/UTC mix-ups show).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    inkwarden::testing::TempHome home;
    setenv("TZ", "America/New_York", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
