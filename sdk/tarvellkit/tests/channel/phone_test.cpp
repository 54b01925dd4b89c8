// Preparation and exchanges against the simulated phone: the real runner,
// device table and USB scan, the stand-in adb in this program's folder, a
// freshly generated phone and no adb server running at the start of a test.
#include "test_support.h"

#include "device_table.h"
#include "runner.h"
#include "tarvellkit/tarvellkit.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <latch>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs the phonesim tool; its exit status.
int Phonesim(std::vector<std::string> args) {
    args.insert(args.begin(), PHONESIM_EXE);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, PHONESIM_EXE, nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PhoneTest : public ChannelFixture {
protected:
    void SetUp() override {
        ChannelFixture::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        m_phone = fs::path(platform::ProgramFolder()) / "phones" / name;
        fs::remove_all(m_phone);
        fs::create_directories(m_phone.parent_path());
        ASSERT_EQ(Phonesim({"gen", "--preset", "tiny", "--seed", "11", m_phone.string()}), 0);
        setenv("PHONESIM_HOME", m_phone.c_str(), 1);
        DeviceTableSetRowCount(0);
    }

    void TearDown() override {
        DiscardSharedChannel();
        RunAdbTimed("kill-server"); // the next test starts cold again
        ChannelFixture::TearDown();
    }

    void Fault(const std::string& key, const std::string& value) {
        ASSERT_EQ(Phonesim({"fault", m_phone.string(), key, value}), 0) << key << " " << value;
    }

    static int Prepare() {
        int detected = Tarvell_CheckDeviceDetected(0);
        return detected == 0 ? Tarvell_ReadyTodoing(0) : detected;
    }

    int Battery() const {
        std::ifstream in(m_phone / "phone.json");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::smatch m;
        return std::regex_search(text, m, std::regex("\"battery\"\\s*:\\s*(\\d+)"))
                   ? std::stoi(m[1])
                   : -1;
    }

    static int AskBattery() {
        int32_t battery = -1;
        return SendCommand("getBattery;", &battery, 4, nullptr, 0) == 4 ? battery : -1;
    }

    fs::path m_phone;
};

TEST_F(PhoneTest, ColdStartPreparesTheCompanionAndTalksToIt) {
    EXPECT_EQ(Prepare(), 0);
    EXPECT_EQ(Tarvell_GetReadyTodoProgress(), 100);
    EXPECT_EQ(AskBattery(), Battery());
}

// The package file beside the program is moved away for one test.
class PackageFileAway {
public:
    PackageFileAway()
        : m_path(fs::path(platform::ProgramFolder()) / "tarvell.apk"),
          m_away(m_path.string() + ".away") {
        fs::rename(m_path, m_away);
    }
    ~PackageFileAway() { fs::rename(m_away, m_path); }

private:
    fs::path m_path, m_away;
};

TEST_F(PhoneTest, GreetingWithExtraTextFailsAtSeventy) {
    Fault("companion_greeting", "HI-PC and more");
    EXPECT_EQ(Prepare(), -1);
    EXPECT_EQ(Tarvell_GetReadyTodoProgress(), 70);
}

TEST_F(PhoneTest, MissingPackageFileFailsAtSeventy) {
    PackageFileAway away;
    EXPECT_EQ(Prepare(), -1);
    EXPECT_EQ(Tarvell_GetReadyTodoProgress(), 70);
}

TEST_F(PhoneTest, SecondAttachedPhoneDoesNotStopThePreparation) {
    Fault("extra_phones", "1");
    EXPECT_EQ(Prepare(), 0);
    EXPECT_EQ(AskBattery(), Battery());
}

TEST_F(PhoneTest, SecondPreparationBuildsANewChannel) {
    ASSERT_EQ(Prepare(), 0);
    std::shared_ptr<TCPConnect> first = SharedChannel();
    ASSERT_EQ(Tarvell_ReadyTodoing(0), 0);
    EXPECT_NE(SharedChannel(), first);
    EXPECT_EQ(first->socket.load(), -1);
    EXPECT_EQ(AskBattery(), Battery());
}

TEST_F(PhoneTest, UnpluggedPhoneFailsEveryCommandUntilPreparedAgain) {
    ASSERT_EQ(Prepare(), 0);
    ASSERT_EQ(Phonesim({"unplug", m_phone.string()}), 0);
    LogSince log;
    EXPECT_EQ(AskBattery(), -1);
    EXPECT_EQ(log.Count("SendCommandToAndroidServices error:cmd=getBattery;\n"), 1);

    LogSince later;
    EXPECT_EQ(AskBattery(), -1);
    EXPECT_EQ(later.Text(), "") << "an unconnected channel fails at once, without recovery";

    ASSERT_EQ(Phonesim({"plug", m_phone.string()}), 0);
    EXPECT_EQ(Prepare(), 0);
    EXPECT_EQ(AskBattery(), Battery());
}

TEST_F(PhoneTest, AnswerLargerThanTheBufferFailsAfterThreeAttempts) {
    ASSERT_EQ(Prepare(), 0);
    Fault("companion_oversize", "getBattery");
    LogSince log;
    EXPECT_EQ(AskBattery(), -1);
    EXPECT_EQ(log.Trace(110), 3);
    Fault("companion_oversize", "off");
    EXPECT_EQ(AskBattery(), Battery()) << "the channel reconnected after the last attempt";
}

TEST_F(PhoneTest, SilentCompanionFailsAfterRealTimeoutAndNextPreparationWorks) {
    SetChannelIoTimeoutMs(500);
    ASSERT_EQ(Prepare(), 0);
    Fault("companion_silent", "1");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AskBattery(), -1);
    // Three 0.5 s waits and three reconnects (listing, forward, 0.6 s pauses).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    Fault("companion_silent", "0");
    EXPECT_EQ(Prepare(), 0);
    EXPECT_EQ(AskBattery(), Battery());
}

TEST_F(PhoneTest, ThreadsSendingTogetherEachGetTheirOwnAnswer) {
    ASSERT_EQ(Prepare(), 0);
    const char* commands[] = {"getBattery;", "getsmsCount;", "getcontactCount;",
                              "getcalllogcount;"};
    int32_t expected[4];
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(SendCommand(commands[i], &expected[i], 4, nullptr, 0), 4) << commands[i];
    }
    std::latch start(4);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            for (int n = 0; n < 50; ++n) {
                int32_t value = -1;
                if (SendCommand(commands[i], &value, 4, nullptr, 0) != 4 || value != expected[i]) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
