// adb is looked for in the program folder first, then on PATH; without
// either, every runner operation fails and nothing starts.
#include "adb_double_control.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RunnerPathTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        adbdouble::Prepare("path");
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        bin_ = adbdouble::Folder() + "/bin";
        fs::create_directories(bin_);
        fs::copy_file(ADB_DOUBLE_PATH, bin_ + "/adb", fs::copy_options::overwrite_existing);
        empty_ = adbdouble::Folder() + "/empty";
        fs::create_directories(empty_);
    }
    static void TearDownTestSuite() { setenv("PATH", savedPath_.c_str(), 1); }
    void SetUp() override {
        ASSERT_FALSE(fs::exists(platform::ProgramFolder() + "/adb"));
        adbdouble::ClearCalls();
    }
    void TearDown() override { EXPECT_TRUE(platform::WaitForReaperIdle(10000)); }

    static inline std::string savedPath_;
    static inline std::string bin_;
    static inline std::string empty_;
};

TEST_F(RunnerPathTest, AdbFromPathWhenTheProgramFolderHasNone) {
    // Relative and empty entries are never searched; the first adb found runs.
    setenv("PATH", (":relative:" + empty_ + ":" + bin_ + ":/usr/bin").c_str(), 1);
    EXPECT_EQ(platform::FindOnPath("adb"), bin_ + "/adb");
    EXPECT_EQ(RunAdb("devices"), 0);
    const auto calls = adbdouble::Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, std::vector<std::string>{"devices"});
}

TEST_F(RunnerPathTest, WithoutAnyAdbEveryOperationFails) {
    setenv("PATH", empty_.c_str(), 1);
    char out[1024];
    NewTempFilePath(out);
    EXPECT_EQ(RunAdb("devices"), -1);
    EXPECT_EQ(RunAdbTimed("kill-server"), -1);
    EXPECT_EQ(RunAdbToFile("devices", out), -1);
    EXPECT_EQ(RunAdbDetached("uninstall x"), -1);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(adbdouble::Calls().empty());
}

} // namespace
