// The private temporary folder and the program folder.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PrivateTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        saved_ = tmp ? tmp : "";
        base_ = fs::temp_directory_path() / ("tarvell-private-" + std::to_string(getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_);
        setenv("TMPDIR", base_.c_str(), 1);
        expected_ = base_ / ("Temp_probe-" + std::to_string(getuid()));
    }
    void TearDown() override {
        if (saved_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", saved_.c_str(), 1);
        }
        fs::remove_all(base_);
    }
    std::string saved_;
    fs::path base_;
    fs::path expected_;
};

TEST_F(PrivateTempFolderTest, IsCreatedPrivateAndReused) {
    const std::string folder = platform::PrivateTempFolder("Temp_probe");
    EXPECT_EQ(folder, expected_.string() + "/");
    struct stat st {};
    ASSERT_EQ(lstat(expected_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::PrivateTempFolder("Temp_probe"), folder);
}

TEST_F(PrivateTempFolderTest, OpenPermissionsAreTightened) {
    fs::create_directory(expected_);
    chmod(expected_.c_str(), 0777);
    EXPECT_FALSE(platform::PrivateTempFolder("Temp_probe").empty());
    struct stat st {};
    ASSERT_EQ(lstat(expected_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(PrivateTempFolderTest, LinksAndFilesInItsPlaceAreRefused) {
    const fs::path elsewhere = base_ / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, expected_);
    EXPECT_EQ(platform::PrivateTempFolder("Temp_probe"), "");
    fs::remove(expected_);
    std::ofstream(expected_.string()) << "a file";
    EXPECT_EQ(platform::PrivateTempFolder("Temp_probe"), "");
}

} // namespace
