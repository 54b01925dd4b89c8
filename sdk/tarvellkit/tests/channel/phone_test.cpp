// Preparation and exchanges against the simulated phone: the real runner,
// device table and USB scan, the stand-in adb in this program's folder, a
// freshly generated phone and no adb server running at the start of a test.
#include "../common/test_files.h"
#include "test_support.h"

#include "device_table.h"
#include "runner.h"
#include "tarvellkit/tarvellkit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>

namespace {

namespace fs = std::filesystem;

// Runs the phonesim tool; its exit status.
int Phonesim(std::vector<std::string> args) {
    args.insert(args.begin(), PHONESIM_EXE);
    return testfiles::RunAndWait(std::move(args));
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

// The package file beside the program is moved away for one case.
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

// What only the real runner, device table, USB scan and companion emulator
// can show; the channel's framing, threads, time-outs and recovery paths are
// covered against scripted peers in channel_test.cpp and preparation_test.cpp.
struct ColdStartCase {
    const char* name;
    const char* faultKey; // "" for none
    const char* faultValue;
    bool packageAway;
    int result;
    int progress;
};

TEST_F(PhoneTest, ColdStartPreparesTheCompanion) {
    const ColdStartCase cases[] = {
        {"ready phone", "", "", false, 0, 100},
        {"second attached phone does not stop it", "extra_phones", "1", false, 0, 100},
        {"greeting with extra text", "companion_greeting", "HI-PC and more", false, -1, 70},
        {"missing package file", "", "", true, -1, 70},
    };
    for (const ColdStartCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (*c.faultKey != '\0') {
            Fault(c.faultKey, c.faultValue);
        }
        {
            std::optional<PackageFileAway> away;
            if (c.packageAway) {
                away.emplace();
            }
            EXPECT_EQ(Prepare(), c.result);
        }
        EXPECT_EQ(Tarvell_GetReadyTodoProgress(), c.progress);
        if (c.result == 0) {
            EXPECT_EQ(AskBattery(), Battery());
        }
        TearDown();
        SetUp();
    }
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

} // namespace
