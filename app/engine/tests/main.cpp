// Test entry: a fixed time zone for the date texts, a private home folder
// (settings, documents) and Qt's test locations for the catalogue, and a
// private log folder.
#include "appsupport.h"
#include "uilog.h"

#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    if (!home.isValid()) {
        return 2;
    }
    setenv("HOME", home.path().toUtf8().constData(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    // Settings paths are fixed at first use: pin them inside the private home
    // before tests move HOME around.
    QSettings(tarvell::kSettingsOrganisation, tarvell::kSettingsApplication).value("x");
    // A test that starts this program again names the log folder of the child.
    const QString logFolder = qEnvironmentVariable("TARVELL_ENGINE_TEST_LOG_DIR");
    tarvell::SetUiLogFolder(logFolder.isEmpty() ? home.path() + "/LogFiles" : logFolder);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
