#include "tarvellkit/tarvellkit.h"

#include "fakes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using mediatest::Hex;
using mediatest::ScratchFolder;
using mediatest::WriteFile;

namespace {

AdbDeviceEntry PhoneRow(const char* serial = "SER123") {
    AdbDeviceEntry row{};
    std::strcpy(row.serial, serial);
    std::strcpy(row.state, "device");
    std::strcpy(row.manufacturer, "Maker\r\n");
    std::strcpy(row.model, "Model X\r\n");
    std::strcpy(row.release, "14\r\n");
    std::strcpy(row.pda, "PDA-1\r\n");
    return row;
}

class AppsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        fakes::SetDeviceRow0(PhoneRow());
    }
    void TearDown() override { fakes::Reset(); }

    static std::vector<std::string> AdbArgs() {
        std::vector<std::string> out;
        for (const auto& run : fakes::AdbRuns()) {
            out.push_back(run.how + " " + run.args);
        }
        return out;
    }

    ScratchFolder folder;
};

TEST_F(AppsDeviceTest, InstallModes) {
    struct Case {
        int mode;
        const char* args; // nullptr: refused
    };
    const std::vector<Case> cases = {
        {1, "-s SER123 install -l \"/a b/x.apk\""},
        {2, "-s SER123 install -r \"/a b/x.apk\""},
        {3, "-s SER123 install -s \"/a b/x.apk\""},
        {4, "-s SER123 install \"/a b/x.apk\""},
        {5, "-s SER123 install -r -s \"/a b/x.apk\""},
        {0, nullptr},
        {6, nullptr},
        {-1, nullptr},
    };
    for (const Case& c : cases) {
        fakes::Reset();
        fakes::SetDeviceRow0(PhoneRow());
        EXPECT_EQ(Tarvell_InstallAppToMemory("/a b/x.apk", c.mode), c.args ? 0 : -1) << c.mode;
        EXPECT_EQ(AdbArgs(), c.args ? std::vector<std::string>{std::string("RunAdb ") + c.args}
                                    : std::vector<std::string>{})
            << c.mode;
    }
    // adb that cannot start is reported.
    fakes::SetRunResult(-1);
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 4), -1);
}

TEST_F(AppsDeviceTest, UninstallModes) {
    EXPECT_EQ(Tarvell_UnInstallApp("com.example.app", 1), 0);
    EXPECT_EQ(Tarvell_UnInstallApp("com.example.app", 2), 0);
    EXPECT_EQ(Tarvell_UnInstallApp("com.example.app", 3), -1);
    EXPECT_EQ(Tarvell_UnInstallApp("com.example.app", 0), -1);
    EXPECT_EQ(AdbArgs(),
              (std::vector<std::string>{"RunAdb -s SER123 uninstall com.example.app",
                                        "RunAdb -s SER123 uninstall -k com.example.app"}));
}

TEST_F(AppsDeviceTest, RefusedArgumentsStartNothing) {
    EXPECT_EQ(Tarvell_InstallAppToMemory("/a\"b.apk", 1), -1);
    EXPECT_EQ(Tarvell_InstallAppToMemory("/a\\", 1), -1);
    EXPECT_EQ(Tarvell_InstallAppToMemory(nullptr, 1), -1);
    EXPECT_EQ(Tarvell_InstallAppToMemory("", 1), -1);
    EXPECT_EQ(Tarvell_UnInstallApp("com.a\" -k", 1), -1);
    EXPECT_EQ(Tarvell_UnInstallApp("com.a -k", 1), -1);
    EXPECT_EQ(Tarvell_UnInstallApp(nullptr, 1), -1);
    EXPECT_EQ(Tarvell_ExportApp("com.a\"", "/out/x.apk"), -1);
    EXPECT_EQ(Tarvell_ExportApp("com.a", "/out/\"x.apk"), -1);
    EXPECT_EQ(Tarvell_ExportApp("com.a", nullptr), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/\"s.png", 0), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/s.png", 1), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/s.png", 10), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/s.png", -1), -1);

    // No phone, or a serial that cannot be embedded: nothing is started.
    fakes::SetDeviceRow0(AdbDeviceEntry{}, 0);
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 1), -1);
    EXPECT_EQ(Tarvell_UnInstallApp("com.a", 1), -1);
    EXPECT_EQ(Tarvell_ExportApp("com.a", "/out/x.apk"), -1);
    fakes::SetDeviceRow0(PhoneRow("SER\"1"));
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 1), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/s.png", 0), -1);
    EXPECT_TRUE(fakes::AdbRuns().empty());
}

TEST_F(AppsDeviceTest, ExportAppPullsThePackageFile) {
    struct Case {
        std::string out;
    };
    const std::vector<Case> cases = {
        {folder.path() + "/x.apk"},   // the folder name holds a blank: quoted
        {"/tmp/tarvell-media-x.apk"}, // no blank: as it stands
    };
    for (const Case& c : cases) {
        fakes::Reset();
        fakes::SetDeviceRow0(PhoneRow());
        std::remove(c.out.c_str());
        fakes::SetAdbAction([&](const std::string&) { WriteFile(c.out, "apk"); });
        ASSERT_EQ(Tarvell_ExportApp("com.example.app", c.out.c_str()), 0) << c.out;
        const bool blank = c.out.find(' ') != std::string::npos;
        EXPECT_EQ(
            AdbArgs(),
            std::vector<std::string>{"RunAdb -s SER123 pull /data/app/com.example.app-1.apk " +
                                     (blank ? "\"" + c.out + "\"" : c.out)})
            << c.out;
        std::remove(c.out.c_str());
    }
    // adb ran but the phone had no such file.
    fakes::SetAdbAction(nullptr);
    EXPECT_EQ(Tarvell_ExportApp("com.example.app", "/tmp/tarvell-media-none.apk"), -1);
    fakes::SetRunResult(-1);
    EXPECT_EQ(Tarvell_ExportApp("com.example.app", "/tmp/tarvell-media-none.apk"), -1);
}

TEST_F(AppsDeviceTest, AppListAndDetails) {
    fakes::SetCompanion([](const std::string& c, const std::string&) -> std::optional<std::string> {
        if (c == "flushapplist;") {
            return fakes::Int32Reply(1);
        }
        if (c == "getappcount;") {
            return fakes::Int32Reply(42);
        }
        if (c == "getappindexinfo:3;") {
            return "PKG:" + Hex("com.example") + ";VERSIONCODE:" + Hex("12") + ";.";
        }
        return std::string();
    });
    EXPECT_EQ(Tarvell_FlushDevicesApp(), 1);
    EXPECT_EQ(Tarvell_GetAppCount(), 42);
    AppInfo app;
    std::memset(&app, 0x7F, sizeof app);
    ASSERT_EQ(Tarvell_GetAppInfo(&app, 3), 0);
    EXPECT_STREQ(app.packageName, "com.example");
    EXPECT_EQ(app.versionCode, 12);
    EXPECT_EQ(app.reserved, 0);
    EXPECT_STREQ(app.appName, "");
    EXPECT_EQ(int64_t{app.installTime}, 0);

    std::memset(&app, 0x7F, sizeof app);
    EXPECT_EQ(Tarvell_GetAppInfo(&app, 4), -1);
    const AppInfo zero{};
    EXPECT_EQ(std::memcmp(&app, &zero, sizeof app), 0);
    EXPECT_EQ(Tarvell_GetAppInfo(nullptr, 4), -1);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"flushapplist;", "getappcount;", "getappindexinfo:3;",
                                        "getappindexinfo:4;"}));

    fakes::SetCompanion([](const std::string&, const std::string&) { return std::nullopt; });
    EXPECT_EQ(Tarvell_FlushDevicesApp(), 0);
    EXPECT_EQ(Tarvell_GetAppCount(), 0);
}

std::optional<std::string> DeviceCompanion(const std::string& c, const std::string&) {
    if (c == "getBattery;") {
        return fakes::Int32Reply(87);
    }
    if (c == "GetandroidTempinfo;") {
        return std::string("MEMTOTAL:1024;.SDTOTAL:0;PHONEAVAIL:99;");
    }
    return std::string();
}

TEST_F(AppsDeviceTest, DeviceFactsFromTableAndPhone) {
    fakes::SetCompanion(DeviceCompanion);
    DeviceInfoRecord info;
    std::memset(&info, 'z', sizeof info);
    ASSERT_EQ(Tarvell_GetAndroidDevicesInfo(&info), 0);
    EXPECT_STREQ(info.manufacturer, "Maker\r\n");
    EXPECT_STREQ(info.serial, "SER123");
    EXPECT_STREQ(info.model, "Model X\r\n");
    EXPECT_STREQ(info.release, "14\r\n");
    EXPECT_STREQ(info.baseband, "");
    EXPECT_EQ(info.battery, 87);
    EXPECT_EQ(int64_t{info.memTotal}, 1024);
    EXPECT_EQ(int64_t{info.memAvail}, 0);
    EXPECT_EQ(int64_t{info.sdTotal}, 0);
    EXPECT_EQ(int64_t{info.sdAvail}, 0);
    EXPECT_EQ(int64_t{info.phoneTotal}, 0);
    EXPECT_EQ(int64_t{info.phoneAvail}, 99);
    EXPECT_EQ(fakes::UsbScanCount(), 1);
    EXPECT_EQ(fakes::Commands(), (std::vector<std::string>{"getBattery;", "GetandroidTempinfo;"}));
    EXPECT_TRUE(fakes::AdbRuns().empty()); // properties are not read again here

    // A phone that does not answer leaves zeros.
    fakes::SetCompanion([](const std::string&, const std::string&) { return std::nullopt; });
    ASSERT_EQ(Tarvell_GetAndroidDevicesInfo(&info), 0);
    EXPECT_EQ(info.battery, 0);
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_STREQ(info.serial, "SER123");
}

TEST_F(AppsDeviceTest, DeviceFactsRefreshLeavesFiguresAtZero) {
    fakes::SetCompanion(DeviceCompanion);
    DeviceInfoRecord info;
    std::memset(&info, 'z', sizeof info);
    ASSERT_EQ(Tarvell_GetAndroidDevicesInfo2(&info), 0);
    EXPECT_STREQ(info.manufacturer, "Maker\r\n");
    EXPECT_STREQ(info.model, "Model X\r\n");
    EXPECT_EQ(info.battery, 0);
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_EQ(int64_t{info.phoneAvail}, 0);
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_EQ(AdbArgs(), std::vector<std::string>{"ReadDeviceProperties "});
}

TEST_F(AppsDeviceTest, DeviceFactsFailWhenTheUsbScanFails) {
    fakes::SetCompanion(DeviceCompanion);
    fakes::SetUsbCount(-1);
    DeviceInfoRecord info{};
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo(&info), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo2(&info), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo(nullptr), -1);
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_TRUE(fakes::AdbRuns().empty());
}

TEST_F(AppsDeviceTest, ScreenshotTakesAndPullsThePicture) {
    const std::string out = folder.file("shot.png");
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap(out.c_str(), 0), 0);
    EXPECT_EQ(AdbArgs(),
              (std::vector<std::string>{
                  "RunAdb -s SER123 shell /system/bin/screencap -p /sdcard/screenshot.png",
                  "RunAdb -s SER123 pull /sdcard/screenshot.png \"" + out + "\" "}));
}

} // namespace
