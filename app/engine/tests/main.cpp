// Test entry: a fixed time zone for the date texts, Qt's test locations for
// settings and the catalogue, and a private log folder.
#include "uilog.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QTemporaryDir logs;
    tarvell::SetUiLogFolder(logs.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
