// The log: one fresh file per process run, entries whole and cut at 4095
// characters, the copy on standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("tarvell-log-home-" + std::to_string(getpid()));
        fs::remove_all(home_);
        fs::create_directories(home_);
    }
    void TearDown() override { fs::remove_all(home_); }

    // Runs the child with HOME set to the private home; returns what it wrote
    // to standard error.
    std::string RunChild(const std::string& args, bool mirror = false) {
        const fs::path err = home_ / "stderr.txt";
        const std::string command = "env -u XDG_CONFIG_HOME HOME='" + home_.string() +
                                    "' TARVELL_LOG_STDERR=" + (mirror ? "1" : "0") + " '" +
                                    LOG_CHILD_PATH + "' " + args + " 2>'" + err.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return ReadFile(err);
    }

    std::string Log() const { return ReadFile(home_ / "Documents/LogFiles/tarvell.log"); }

    static std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // The text after the dated header; fails the test when the header is not there.
    static std::string Body(const std::string& log) {
        static const std::regex header(
            "^={44}\n\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{1,2}:\\d{1,2}\n={44}\n\n");
        std::smatch m;
        EXPECT_TRUE(std::regex_search(log, m, header)) << log.substr(0, 200);
        return m.empty() ? log : log.substr(static_cast<size_t>(m.length(0)));
    }

    fs::path home_;
};

TEST_F(LogTest, EachRunStartsAFreshFileWithItsOwnHeader) {
    RunChild("text:first-run");
    EXPECT_EQ(Body(Log()), "first-run\n");
    // A module-and-number entry is one entry with its prefix.
    RunChild("text:second-run at:CheckUSBDevice:153 null text:again");
    const std::string log = Log();
    EXPECT_EQ(Body(log), "second-run\nfile:CheckUSBDevice, line:153\nentry at\nagain\n");
    EXPECT_EQ(log.find("first-run"), std::string::npos);
}

TEST_F(LogTest, EntriesAreCutAt4095Characters) {
    struct Case {
        size_t characters; // entry length before its line end
        std::string expected;
    };
    const Case cases[] = {
        {4094, std::string(4094, 'L') + "\n"}, // with its line end exactly 4095
        {4095, std::string(4095, 'L')},        // the line end is cut
        {100000, std::string(4095, 'L')},
    };
    for (const Case& c : cases) {
        RunChild("long:" + std::to_string(c.characters) + " text:next");
        EXPECT_EQ(Body(Log()), c.expected + "next\n") << c.characters;
    }
}

TEST_F(LogTest, EntriesOfConcurrentThreadsNeverSplit) {
    RunChild("threads:8:300");
    std::istringstream lines(Body(Log()));
    std::string line;
    int count = 0;
    static const std::regex entry("thread (\\d+) entry \\d+ ([a-z])\\2{199} end");
    while (std::getline(lines, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, entry)) << line.substr(0, 80);
        EXPECT_EQ(m[2].str()[0], 'a' + std::stoi(m[1].str()));
        ++count;
    }
    EXPECT_EQ(count, 8 * 300);
}

TEST_F(LogTest, StandardErrorCarriesTheSameEntriesUnlessSwitchedOff) {
    EXPECT_EQ(RunChild("text:mirrored", true), "mirrored\n");
    EXPECT_EQ(RunChild("text:quiet", false), "");
    EXPECT_EQ(Body(Log()), "quiet\n");
    // A file where the documents folder should be: no log file can be made,
    // the copy still is.
    fs::remove_all(home_ / "Documents");
    std::ofstream(home_ / "Documents") << "in the way";
    EXPECT_EQ(RunChild("text:only-stderr", true), "only-stderr\n");
}

} // namespace
