// Tarvell_Init and Tarvell_UnInit.
#include "adb_double_control.h"
#include "device_table.h"
#include "platform/process.h"
#include "tarvellkit/tarvellkit.h"
#include "temp_folder.h"
#include "transfer_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 10000;

TEST(Lifecycle, InitSetsUpOnceAndIsHarmlessTwice) {
    ASSERT_EQ(Tarvell_Init(), 0);
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    unsigned char* buffer = TransferBufferData();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Tarvell_Init(), 0);
    EXPECT_EQ(TempFolder(), folder);
    EXPECT_EQ(TransferBufferData(), buffer);
    struct stat st {};
    ASSERT_EQ(lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_EQ(folder.find("Temp_tarvell-" + std::to_string(getuid()) + "/"),
              folder.size() - ("Temp_tarvell-" + std::to_string(getuid()) + "/").size());
}

class UnInitTest : public ::testing::Test {
protected:
    void SetUp() override {
        release_ = adbdouble::Folder() + "/release-uninstall";
        fs::remove(release_);
        adbdouble::ClearCalls();
        adbdouble::SetScript({"uninstall\tblock:" + release_, "-s\tblock:" + release_});
    }
    void TearDown() override {
        std::ofstream(release_) << "go";
        EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
        DeviceTableSetRowCount(0);
        adbdouble::SetScript({});
    }
    // UnInit's commands, once both (or the one) have started.
    std::vector<std::vector<std::string>> Started(size_t count) {
        EXPECT_TRUE(
            adbdouble::WaitFor([count](const auto& c) { return c.size() == count; }, kWaitMs));
        std::vector<std::vector<std::string>> argv;
        for (const auto& call : adbdouble::Calls()) {
            EXPECT_EQ(call.endNs, 0) << "UnInit waited for adb";
            argv.push_back(call.args);
        }
        // Detached children run side by side: their records come in any order.
        std::sort(argv.begin(), argv.end());
        return argv;
    }
    std::string release_;
};

TEST_F(UnInitTest, StartsBothUninstallsWithoutWaiting) {
    ParseAdbDevices("List of devices attached\nSER1\tdevice\n");
    EXPECT_EQ(Tarvell_UnInit(), 0);
    EXPECT_EQ(Started(2), (std::vector<std::vector<std::string>>{
                              {"-s", "SER1", "uninstall", "com.android.datarecovery"},
                              {"uninstall", "com.velmora.tarvell"}}));
}

TEST_F(UnInitTest, WithoutAPhoneOnlyTheSerialFreeUninstallRuns) {
    ParseAdbDevices("");
    EXPECT_EQ(Tarvell_UnInit(), 0);
    EXPECT_EQ(Started(1),
              (std::vector<std::vector<std::string>>{{"uninstall", "com.velmora.tarvell"}}));
}

TEST_F(UnInitTest, ASerialWithAQuoteIsNeverEmbedded) {
    ParseAdbDevices("List of devices attached\nX\" shell rm -r /sdcard \"\tdevice\n");
    EXPECT_EQ(Tarvell_UnInit(), 0);
    EXPECT_EQ(Started(1),
              (std::vector<std::vector<std::string>>{{"uninstall", "com.velmora.tarvell"}}));
    EXPECT_EQ(ReadDeviceProperties(), -1);
    EXPECT_EQ(adbdouble::Calls().size(), 1u) << "getprop started with an unsafe serial";
}

} // namespace
