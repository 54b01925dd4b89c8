#include "tarvellkit/tarvellkit.h"

#include "fakes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

// What each app and screenshot export starts with adb, and what it refuses
// without starting anything.
TEST_F(AppsDeviceTest, AdbCommandsAndRefusals) {
    const std::string shot = folder.file("shot.png");
    struct Case {
        const char* what;
        std::function<int()> call;
        std::vector<std::string> args; // empty: refused
    };
    auto install = [](const char* path, int mode) {
        return [=] { return Tarvell_InstallAppToMemory(path, mode); };
    };
    auto uninstall = [](const char* package, int mode) {
        return [=] { return Tarvell_UnInstallApp(package, mode); };
    };
    auto screenshot = [](std::string path, int index) {
        return [=] { return Tarvell_GetAndroidDevicesScreenCap(path.c_str(), index); };
    };
    const std::string apk = "\"/a b/x.apk\"";
    const std::vector<Case> cases = {
        {"install 1", install("/a b/x.apk", 1), {"-s SER123 install -l " + apk}},
        {"install 2", install("/a b/x.apk", 2), {"-s SER123 install -r " + apk}},
        {"install 3", install("/a b/x.apk", 3), {"-s SER123 install -s " + apk}},
        {"install 4", install("/a b/x.apk", 4), {"-s SER123 install " + apk}},
        {"install 5", install("/a b/x.apk", 5), {"-s SER123 install -r -s " + apk}},
        {"install mode 0", install("/a b/x.apk", 0), {}},
        {"install mode 6", install("/a b/x.apk", 6), {}},
        {"install mode -1", install("/a b/x.apk", -1), {}},
        {"install quoted path", install("/a\"b.apk", 1), {}},
        {"install path ending in a backslash", install("/a\\", 1), {}},
        {"install no path", install(nullptr, 1), {}},
        {"install empty path", install("", 1), {}},
        {"uninstall 1", uninstall("com.example.app", 1), {"-s SER123 uninstall com.example.app"}},
        {"uninstall 2",
         uninstall("com.example.app", 2),
         {"-s SER123 uninstall -k com.example.app"}},
        {"uninstall mode 3", uninstall("com.example.app", 3), {}},
        {"uninstall mode 0", uninstall("com.example.app", 0), {}},
        {"uninstall quoted package", uninstall("com.a\" -k", 1), {}},
        {"uninstall package with a blank", uninstall("com.a -k", 1), {}},
        {"uninstall no package", uninstall(nullptr, 1), {}},
        {"remove the companion",
         [] { return Tarvell_RemoveCompanion(); },
         {"-s SER123 uninstall com.velmora.tarvell"}},
        {"export quoted package", [] { return Tarvell_ExportApp("com.a\"", "/out/x.apk"); }, {}},
        {"export quoted path", [] { return Tarvell_ExportApp("com.a", "/out/\"x.apk"); }, {}},
        {"export no path", [] { return Tarvell_ExportApp("com.a", nullptr); }, {}},
        {"screenshot",
         screenshot(shot, 0),
         {"-s SER123 shell /system/bin/screencap -p /sdcard/screenshot.png",
          "-s SER123 pull /sdcard/screenshot.png \"" + shot + "\" "}},
        {"screenshot quoted path", screenshot("/out/\"s.png", 0), {}},
        {"screenshot phone 1", screenshot("/out/s.png", 1), {}},
        {"screenshot phone 10", screenshot("/out/s.png", 10), {}},
        {"screenshot phone -1", screenshot("/out/s.png", -1), {}},
    };
    for (const Case& c : cases) {
        fakes::Reset();
        fakes::SetDeviceRow0(PhoneRow());
        EXPECT_EQ(c.call(), c.args.empty() ? -1 : 0) << c.what;
        std::vector<std::string> expected;
        for (const std::string& a : c.args) {
            expected.push_back("RunAdb " + a);
        }
        EXPECT_EQ(AdbArgs(), expected) << c.what;
    }

    // No phone, or a serial that cannot be embedded, starts nothing; adb
    // that cannot start is reported.
    fakes::Reset();
    fakes::SetDeviceRow0(AdbDeviceEntry{}, 0);
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 1), -1);
    EXPECT_EQ(Tarvell_UnInstallApp("com.a", 1), -1);
    EXPECT_EQ(Tarvell_ExportApp("com.a", "/out/x.apk"), -1);
    fakes::SetDeviceRow0(PhoneRow("SER\"1"));
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 1), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesScreenCap("/out/s.png", 0), -1);
    EXPECT_TRUE(fakes::AdbRuns().empty());
    fakes::SetDeviceRow0(PhoneRow());
    fakes::SetRunResult(-1);
    EXPECT_EQ(Tarvell_InstallAppToMemory("/x.apk", 4), -1);
}

TEST_F(AppsDeviceTest, ExportAppPullsThePackageFile) {
    // The folder name holds a blank and is quoted; a path without one is not.
    for (const std::string& out :
         {folder.path() + "/x.apk", std::string("/tmp/tarvell-media-x.apk")}) {
        fakes::Reset();
        fakes::SetDeviceRow0(PhoneRow());
        std::remove(out.c_str());
        fakes::SetAdbAction([&](const std::string&) { WriteFile(out, "apk"); });
        ASSERT_EQ(Tarvell_ExportApp("com.example.app", out.c_str()), 0) << out;
        const bool blank = out.find(' ') != std::string::npos;
        EXPECT_EQ(AdbArgs(), std::vector<std::string>{
                                 "RunAdb -s SER123 pull /data/app/com.example.app-1.apk " +
                                 (blank ? "\"" + out + "\"" : out)});
        std::remove(out.c_str());
    }
    // adb ran but the phone had no such file, or adb could not start.
    fakes::SetAdbAction(nullptr);
    EXPECT_EQ(Tarvell_ExportApp("com.example.app", "/tmp/tarvell-media-none.apk"), -1);
    fakes::SetRunResult(-1);
    EXPECT_EQ(Tarvell_ExportApp("com.example.app", "/tmp/tarvell-media-none.apk"), -1);
}

TEST_F(AppsDeviceTest, DeviceFactsFromTableAndPhone) {
    fakes::SetCompanion([](const std::string& c, const std::string&) -> std::optional<std::string> {
        if (c == "getBattery;") {
            return fakes::Int32Reply(87);
        }
        if (c == "GetandroidTempinfo;") {
            return std::string("MEMTOTAL:1024;.SDTOTAL:0;PHONEAVAIL:99;");
        }
        return std::string();
    });
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
    EXPECT_EQ(int64_t{info.phoneAvail}, 99);
    EXPECT_EQ(fakes::UsbScanCount(), 1);
    EXPECT_EQ(fakes::Commands(), (std::vector<std::string>{"getBattery;", "GetandroidTempinfo;"}));
    EXPECT_TRUE(fakes::AdbRuns().empty()); // properties are not read again here

    // The refreshing variant reads the properties again and leaves the
    // phone's figures at zero without asking it.
    fakes::Reset();
    fakes::SetDeviceRow0(PhoneRow());
    std::memset(&info, 'z', sizeof info);
    ASSERT_EQ(Tarvell_GetAndroidDevicesInfo2(&info), 0);
    EXPECT_STREQ(info.model, "Model X\r\n");
    EXPECT_EQ(info.battery, 0);
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_EQ(int64_t{info.phoneAvail}, 0);
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_EQ(AdbArgs(), std::vector<std::string>{"ReadDeviceProperties "});

    // A phone that does not answer leaves zeros.
    fakes::SetCompanion([](const std::string&, const std::string&) { return std::nullopt; });
    ASSERT_EQ(Tarvell_GetAndroidDevicesInfo(&info), 0);
    EXPECT_EQ(info.battery, 0);
    EXPECT_EQ(int64_t{info.memTotal}, 0);
    EXPECT_STREQ(info.serial, "SER123");

    // A failed USB scan fails both without asking anything.
    fakes::Reset();
    fakes::SetUsbCount(-1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo(&info), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo2(&info), -1);
    EXPECT_EQ(Tarvell_GetAndroidDevicesInfo(nullptr), -1);
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_TRUE(fakes::AdbRuns().empty());
}

} // namespace
