// Phone detection exports against the adb stand-in in this test's program
// folder and devices faked by umockdev.
#include "../common/test_files.h"
#include "adb_double_control.h"
#include "device_table.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "runner.h"
#include "tarvellkit/tarvellkit.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using adbdouble::Call;

namespace {

const bool g_prepared = [] {
    adbdouble::Prepare("detection");
    return true;
}();

constexpr int kWaitMs = 10000;

// What a ready phone answers.
std::vector<std::string> ReadyPhone(const std::string& serial = "SER1") {
    const std::string s = "-s " + serial + " shell getprop ";
    return {
        "devices\tout:List of devices attached\\n" + serial + "\\tdevice\\nSER2\\tdevice\\n",
        s + "ro.build.version.release\tout:13\\n",
        s + "ro.product.model\tout:Pixel 7\\n",
        s + "ro.product.manufacturer\tout:Google\\n",
        s + "ro.build.PDA\tout:" + std::string(64, 'P') + "\\n", // too long: left empty
    };
}

std::vector<std::string> Joined(const std::vector<Call>& calls) {
    std::vector<std::string> out;
    for (const Call& c : calls) {
        out.push_back(c.Joined());
    }
    return out;
}

// The joined calls with every run of "devices" listings cut to one: a fresh
// server is listed again until it shows a ready phone or its time is up, so
// how many listings a run makes depends on the clock.
std::vector<std::string> Listed(const std::vector<Call>& calls) {
    std::vector<std::string> out;
    for (const std::string& call : Joined(calls)) {
        if (call != "devices" || out.empty() || out.back() != "devices") {
            out.push_back(call);
        }
    }
    return out;
}

using testfiles::LogText;

class DetectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_prepared);
        testbed_ = umockdev_testbed_new(); // an empty USB bus unless a test adds to it
        adbdouble::SetScript({});
        adbdouble::ClearCalls();
        // A fresh start: the listing of an earlier test is stale.
        Tarvell_CheckConnectDeviceToPC_Count();
    }
    void TearDown() override {
        g_object_unref(testbed_);
        EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
        EXPECT_TRUE(adbdouble::ZombieChildren().empty());
    }
    void AddPhone(bool adbInterface) {
        gchar* device = umockdev_testbed_add_device(testbed_, "usb", "1-1", nullptr, "idVendor",
                                                    "04e8", "idProduct", "6860", "serial", "SER1",
                                                    nullptr, "DEVTYPE", "usb_device", nullptr);
        if (adbInterface) {
            g_free(umockdev_testbed_add_device(
                testbed_, "usb", "1-1:1.1", device, "bInterfaceClass", "ff", "bInterfaceSubClass",
                "42", "bInterfaceProtocol", "01", nullptr, "DEVTYPE", "usb_interface", nullptr));
        }
        g_free(device);
    }
    UMockdevTestbed* testbed_ = nullptr;
};

TEST_F(DetectionTest, ReadyPhoneRestartsAdbListsAndReadsProperties) {
    adbdouble::SetScript(ReadyPhone());
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), 0);
    EXPECT_EQ(Joined(adbdouble::Calls()),
              (std::vector<std::string>{"kill-server", "start-server", "devices",
                                        "-s SER1 shell getprop ro.build.version.release",
                                        "-s SER1 shell getprop ro.product.model",
                                        "-s SER1 shell getprop ro.product.manufacturer",
                                        "-s SER1 shell getprop ro.build.PDA"}));
    AdbDeviceEntry row{};
    ASSERT_TRUE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.serial, "SER1");
    EXPECT_STREQ(row.state, "device");
    EXPECT_STREQ(row.releaseRead, "13\n");
    EXPECT_STREQ(row.release, "13\n");
    EXPECT_STREQ(row.model, "Pixel 7\n");
    EXPECT_STREQ(row.manufacturer, "Google\n");
    EXPECT_STREQ(row.pda, "");
    EXPECT_EQ(DeviceTableRowCount(), 2);
    EXPECT_NE(LogText().find("Call Function: Tarvell_CheckDeviceDetected\n"), std::string::npos);

    // The listing is trusted until the next USB count: no adb at all.
    adbdouble::ClearCalls();
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), 0);
    EXPECT_TRUE(adbdouble::Calls().empty());

    Tarvell_CheckConnectDeviceToPC_Count();
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), 0);
    EXPECT_EQ(adbdouble::Calls().size(), 7u) << "the count export makes the next check restart adb";
}

TEST_F(DetectionTest, ListingsGiveMinusOneOrMinusTwo) {
    struct Case {
        const char* name;
        std::vector<std::string> script;
        int result;
        const char* logged; // "" when nothing is logged
    };
    const Case cases[] = {
        {"no phone",
         {"devices\tout:List of devices attached\\n\\n"},
         -1,
         "CheckDeviceDetected  return ret = -1"},
        {"unauthorized first phone",
         {"devices\tout:List of devices attached\\nSER1\\tunauthorized\\nSER2\\tdevice\\n"},
         -2,
         "CheckDeviceDetected  return ret = -2"},
        {"offline, crlf",
         {"devices\tout:List of devices attached\\r\\nSER1\\toffline\\r\\n"},
         -2,
         "CheckDeviceDetected  return ret = -2"},
        {"no output at all", {}, -1, "CheckDeviceDetected  return ret = -1"},
        {"garbage",
         {"devices\tout:\\x01\\x02error: protocol fault\\n"},
         -1,
         "CheckDeviceDetected  return ret = -1"},
        {"longer than 2048 bytes",
         {"devices\tout:List of devices attached\\nSER1\\tdevice\\n\tbig:2100"},
         -1,
         ""},
        {"serial with a double quote",
         {"devices\tout:List of devices attached\\nA\"B\\tdevice\\n"},
         -1,
         "serial refused"},
    };
    for (const auto& c : cases) {
        Tarvell_CheckConnectDeviceToPC_Count();
        adbdouble::ClearCalls();
        adbdouble::SetScript(c.script);
        const size_t logBefore = LogText().size();
        EXPECT_EQ(Tarvell_CheckDeviceDetected(0), c.result) << c.name;
        const std::string logged = LogText().substr(logBefore);
        if (*c.logged) {
            EXPECT_NE(logged.find(c.logged), std::string::npos) << c.name << ": " << logged;
        }
        for (const Call& call : adbdouble::Calls()) {
            EXPECT_EQ(call.Joined().find("getprop"), std::string::npos)
                << c.name << ": properties read";
        }
    }
    // An unauthorized listing stays in the table and is trusted until the next count.
    Tarvell_CheckConnectDeviceToPC_Count();
    adbdouble::SetScript({"devices\tout:List of devices attached\\nSER1\\tunauthorized\\n"});
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), -2);
    adbdouble::ClearCalls();
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), 0);
    EXPECT_TRUE(adbdouble::Calls().empty());
}

TEST_F(DetectionTest, RestartEndsEveryAdbFirst) {
    adbdouble::SetScript(
        {"hang\tfork\tsleep:600000", "devices\tout:List of devices attached\\n\\n"});
    ASSERT_EQ(RunAdbDetached("hang"), 0);
    ASSERT_TRUE(adbdouble::WaitFor(
        [](const auto& c) { return c.size() == 1 && c[0].grandchildren.size() == 1; }, kWaitMs));
    const pid_t hanging = adbdouble::Calls()[0].pid;
    EXPECT_EQ(Tarvell_CheckDeviceDetected(0), -1);
    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(hanging));
    const auto calls = adbdouble::Calls();
    ASSERT_EQ(Listed(calls),
              (std::vector<std::string>{"hang", "kill-server", "start-server", "devices"}));
    EXPECT_EQ(calls[0].endNs, 0) << "the hanging adb was ended by force";
    EXPECT_GT(calls[1].startNs, 0);
    EXPECT_EQ(calls[1].Joined(), "kill-server");
}

TEST_F(DetectionTest, SerialsWithBlanksAndBackslashesStayOneArgument) {
    ParseAdbDevices("List of devices attached\nmy phone\\\tdevice\n");
    adbdouble::SetScript({"-s my phone\\ shell getprop ro.product.model\tout:Model X\\n"});
    EXPECT_EQ(ReadDeviceProperties(), 0);
    const auto calls = adbdouble::Calls();
    ASSERT_EQ(calls.size(), 4u);
    for (const Call& call : calls) {
        ASSERT_GE(call.args.size(), 2u);
        EXPECT_EQ(call.args[1], "my phone\\");
    }
    AdbDeviceEntry row{};
    ASSERT_TRUE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.model, "Model X\n");
}

TEST_F(DetectionTest, ARelistedPhoneKeepsItsFactsAnotherPhoneDoesNot) {
    ParseAdbDevices("List of devices attached\nSER1\tdevice\n");
    adbdouble::SetScript({"-s SER1 shell getprop ro.build.version.release\tout:14\\n",
                          "-s SER1 shell getprop ro.product.model\tout:Model X\\n"});
    ASSERT_EQ(ReadDeviceProperties(), 0);
    // A reconnection lists the phones again: the same phone keeps its
    // release (or its messages would be sent as to a phone older than 4.4).
    ParseAdbDevices("List of devices attached\nSER1\tdevice\nSER2\tdevice\n");
    AdbDeviceEntry row{};
    ASSERT_TRUE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.release, "14\n");
    EXPECT_STREQ(row.model, "Model X\n");
    EXPECT_EQ(Tarvell_CheckAndroidVersionAt44(0), 1);
    ASSERT_TRUE(DeviceTableRow(1, &row));
    EXPECT_STREQ(row.release, "");
    // Another phone in the first row has no facts until they are read.
    ParseAdbDevices("List of devices attached\nSER3\tdevice\n");
    ASSERT_TRUE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.release, "");
    EXPECT_STREQ(row.model, "");
}

TEST_F(DetectionTest, RefreshAdbDevicesReadsTheListingWithoutRestart) {
    adbdouble::SetScript({"devices\tout:* daemon started successfully\\nList of devices attached\\n"
                          "SER9\\tdevice\\n"});
    EXPECT_EQ(RefreshAdbDevices(0), 0);
    EXPECT_EQ(SelectedSerial(), "SER9");
    EXPECT_EQ(Joined(adbdouble::Calls()), std::vector<std::string>{"devices"});
    adbdouble::SetScript({"devices\tbig:70000"});
    EXPECT_EQ(RefreshAdbDevices(0), -1);
    EXPECT_EQ(DeviceTableRowCount(), 0);
}

TEST_F(DetectionTest, ARestartInAReconnectionListsUntilReadyOrOneSecondHasPassed) {
    adbdouble::SetScript({"devices\tout:List of devices attached\\nSER9\\tdevice\\n"});
    EXPECT_EQ(RefreshAdbDevices(1), 0);
    EXPECT_EQ(Joined(adbdouble::Calls()),
              (std::vector<std::string>{"kill-server", "start-server", "devices"}));

    adbdouble::ClearCalls();
    adbdouble::SetScript({"devices\tout:List of devices attached\\nSER9\\toffline\\n"});
    EXPECT_EQ(RefreshAdbDevices(1), -1);
    const auto calls = adbdouble::Calls();
    ASSERT_EQ(Listed(calls), (std::vector<std::string>{"kill-server", "start-server", "devices"}));
    EXPECT_GE((calls.back().startNs - calls[1].endNs) / 1000000, 990)
        << "a phone that never turns ready still gets the whole second";
}

TEST_F(DetectionTest, EnableUsbDebugAsksAdbOnlyWithoutTheAdbInterface) {
    EXPECT_EQ(Tarvell_CheckEnableUSBDebug(), 0) << "no USB phone";
    EXPECT_TRUE(adbdouble::Calls().empty());

    AddPhone(true);
    ASSERT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_EQ(Tarvell_CheckEnableUSBDebug(), 0);
    EXPECT_TRUE(adbdouble::Calls().empty());
}

TEST_F(DetectionTest, EnableUsbDebugWithoutTheAdbInterfaceGivesTheDetectionResult) {
    AddPhone(false);
    ASSERT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    adbdouble::SetScript({"devices\tout:List of devices attached\\nSER1\\tunauthorized\\n"});
    EXPECT_EQ(Tarvell_CheckEnableUSBDebug(), -2);
    EXPECT_FALSE(adbdouble::Calls().empty());
}

TEST_F(DetectionTest, DriverInstallWithoutUsbPhoneStartsNothing) {
    EXPECT_EQ(Tarvell_installAndroidDrivertoPC(), -1);
    EXPECT_TRUE(adbdouble::Calls().empty());
}

TEST_F(DetectionTest, DriverInstallerRunsAfterTwoEmptyListingsWhenShipped) {
    AddPhone(false);
    // The stand-in plays the installer too; it records a run without arguments.
    const std::string installer = platform::ProgramFolder() + "/AdbDriverInstaller";
    fs::copy_file(platform::ProgramFolder() + "/adb", installer,
                  fs::copy_options::overwrite_existing);
    adbdouble::SetScript({"devices\tout:List of devices attached\\n"});
    EXPECT_EQ(Tarvell_installAndroidDrivertoPC(), -1);
    fs::remove(installer);
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        expected.insert(expected.end(), {"kill-server", "start-server", "devices"});
        if (round == 1) {
            expected.push_back(""); // the installer, without arguments
        }
    }
    EXPECT_EQ(Listed(adbdouble::Calls()), expected);
}

TEST_F(DetectionTest, AFreshServerIsListedUntilThePhoneIsReadyOrTwoSecondsHavePassed) {
    struct Case {
        const char* name;
        const char* firstListing; // what the server lists at first
        bool turnsReady;          // the phone becomes ready after the first listing
        int result;
    };
    const Case cases[] = {
        {"unauthorized throughout", "SER1\\tunauthorized\\n", false, -2},
        {"no phone throughout", "", false, -1},
        {"offline, then ready", "SER1\\toffline\\n", true, 0},
        {"none, then ready", "", true, 0},
    };
    for (const Case& c : cases) {
        Tarvell_CheckConnectDeviceToPC_Count();
        adbdouble::ClearCalls();
        adbdouble::SetScript(
            {std::string("devices\tout:List of devices attached\\n") + c.firstListing});
        std::thread turn;
        if (c.turnsReady) {
            turn = std::thread([] {
                adbdouble::WaitFor(
                    [](const auto& calls) {
                        return !calls.empty() && calls.back().Joined() == "devices" &&
                               calls.back().endNs != 0;
                    },
                    kWaitMs);
                adbdouble::SetScript(ReadyPhone());
            });
        }
        EXPECT_EQ(Tarvell_CheckDeviceDetected(0), c.result) << c.name;
        if (turn.joinable()) {
            turn.join();
        }
        const auto calls = adbdouble::Calls();
        ASSERT_GE(calls.size(), 3u) << c.name;
        ASSERT_EQ(calls[1].Joined(), "start-server") << c.name;
        const Call* lastListing = nullptr;
        for (const Call& call : calls) {
            if (call.Joined() == "devices") {
                lastListing = &call;
            }
        }
        ASSERT_NE(lastListing, nullptr) << c.name;
        const long long waitedMs = (lastListing->startNs - calls[1].endNs) / 1000000;
        if (c.turnsReady) {
            EXPECT_EQ(Listed(calls).back(), "-s SER1 shell getprop ro.build.PDA") << c.name;
        } else {
            // A phone that never turns ready still gets the whole wait.
            EXPECT_GE(waitedMs, 1990) << c.name;
        }
    }
}

} // namespace
