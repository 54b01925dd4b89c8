// The stand-in adb and its server, driven with the library's argument texts
// (as argv, after the library split them): listing, properties, package
// steps, forwards, copies, the server's life, and the adb-level faults.
// Uses the fixed port 25803: CTest runs it in namespaces of its own, or under
// the resource lock adb_port (cmake/TestIsolation.cmake).
#include "control.h"
#include "phone.h"
#include "support.h"
#include "util.h"

#include <climits>
#include <dirent.h>
#include <gtest/gtest.h>
#include <thread>

using namespace phonesim;
using pstest::RawClient;
using pstest::RunResult;

namespace {

std::string ProgramFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

class Adb : public ::testing::Test {
protected:
    void SetUp() override {
        char real[PATH_MAX];
        ASSERT_TRUE(::realpath(dir_.path().c_str(), real));
        phone_ = std::string(real) + "/phone";
        auto r = pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "tiny", "--seed", "5", phone_});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        serial_ = LoadConfig(phone_)->serial;
        ::setenv("PHONESIM_HOME", phone_.c_str(), 1); // for the stand-in adb
    }
    void TearDown() override { Run({"kill-server"}); }

    RunResult Run(const std::vector<std::string>& args, int limit_ms = 20000) {
        std::vector<std::string> argv = {ProgramFolder() + "/adb"};
        argv.insert(argv.end(), args.begin(), args.end());
        return pstest::Run(argv, {}, limit_ms);
    }
    void Phonesim(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {PHONESIM_EXE_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        auto r = pstest::Run(argv);
        ASSERT_EQ(r.exit_code, 0) << r.err;
    }
    void Fault(const std::string& k, const std::string& v) { Phonesim({"fault", phone_, k, v}); }
    // The library's preparation: stop, remove, install, start, forward.
    // Tests forward a port the server picks, so that they do not depend on
    // 25803 being free on a shared machine; one test uses the fixed text.
    void Prepare(const std::string& local = "tcp:0") {
        const std::string pkg = kCompanionPackage;
        EXPECT_EQ(Run({"-s", serial_, "shell", "am", "force-stop", pkg}).exit_code, 0);
        Run({"-s", serial_, "uninstall", pkg});
        auto inst = Run({"-s", serial_, "install", ProgramFolder() + "/tarvell.apk"});
        ASSERT_EQ(inst.exit_code, 0) << inst.err;
        auto start =
            Run({"-s", serial_, "shell", "am", "start", "-n", pkg + "/" + kCompanionActivity});
        ASSERT_EQ(start.exit_code, 0);
        EXPECT_EQ(start.out.find("Error"), std::string::npos) << start.out;
        Run({"shell", "forward", "--remove-all"});
        auto fwd = Run({"forward", local, "tcp:20151"});
        ASSERT_EQ(fwd.exit_code, 0) << fwd.err;
        port_ = local == "tcp:0" ? std::atoi(fwd.out.c_str()) : std::atoi(local.c_str() + 4);
        ASSERT_GT(port_, 0);
        EXPECT_EQ(fwd.out, std::to_string(port_) + "\n") << "adb prints every forward's port";
    }
    bool ServerRuns() { return ControlRequest(phone_, "ping").has_value(); }
    // Waits up to two seconds for the server to end.
    bool ServerGone() {
        for (int i = 0; i < 400 && ServerRuns(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !ServerRuns();
    }

    pstest::TempDir dir_;
    std::string phone_, serial_;
    int port_ = 0;
};

TEST_F(Adb, DevicesListsThePhoneInEveryStateAndOnlyAReadyOneTakesCommands) {
    struct {
        const char* state;
        const char* message; // of a command to it; nullptr: it answers
    } cases[] = {{"unauthorized", "device unauthorized"},
                 {"offline", "device offline"},
                 {"device", nullptr}};
    for (const auto& c : cases) {
        Fault("state", c.state);
        auto r = Run({"devices"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.out, "List of devices attached\n" + serial_ + "\t" + c.state + "\n\n");
        auto cmd = Run({"-s", serial_, "shell", "getprop", "ro.product.model"});
        EXPECT_EQ(cmd.exit_code, c.message ? 1 : 0) << c.state;
        if (c.message) {
            EXPECT_EQ(cmd.out, "");
            EXPECT_NE(cmd.err.find(c.message), std::string::npos) << cmd.err;
        }
    }
    auto r = Run({"-s", "NOSUCHSERIAL", "shell", "getprop", "ro.product.model"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("device 'NOSUCHSERIAL' not found"), std::string::npos);
    Fault("extra_phones", "2");
    EXPECT_EQ(Run({"devices"}).out, "List of devices attached\n" + serial_ + "\tdevice\n" +
                                        serial_ + "-2\tdevice\n" + serial_ + "-3\tdevice\n\n");
}

TEST_F(Adb, PreparedPhoneGreetsThroughTheLibrarysForward) {
    Prepare("tcp:25803");
    // The library's "shell forward --remove-all" is an unknown shell command
    // and removes nothing.
    auto removal = Run({"shell", "forward", "--remove-all"});
    EXPECT_NE(removal.exit_code, 0);
    EXPECT_NE(removal.err.find("forward: inaccessible or not found"), std::string::npos);
    auto client = RawClient::Connect(25803);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->Ask("hello-android;"), "HI-PC");
    EXPECT_GT(client->AskInt("getcontactCount;"), 0);
    // Stopping the companion ends its connections.
    EXPECT_EQ(Run({"-s", serial_, "shell", "am", "force-stop", kCompanionPackage}).exit_code, 0);
    EXPECT_TRUE(client->Closed());
    // Nothing listens now: adb accepts and closes.
    auto again = RawClient::Connect(port_);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Closed());
}

// Properties, every install mode, pushes, pulls and the screenshot are what
// the library's media and device tests run through this stand-in; here the
// failures they never meet.
TEST_F(Adb, PackageAndCopyFailuresExitWithOne) {
    const std::string apk = phone_ + "/data/app/net.demo.notes-1.apk";
    const std::string copy = dir_.path() + "/app copy.apk";
    ASSERT_TRUE(WriteFileAtomic(copy, ReadFile(apk).value()));
    ASSERT_TRUE(WriteFileAtomic(dir_.path() + "/junk.apk", "not a package"));
    const struct {
        std::vector<std::string> args;
        const char* message; // on standard error or output
    } cases[] = {
        {{"install", copy}, "INSTALL_FAILED_ALREADY_EXISTS"},
        {{"install", dir_.path() + "/none.apk"}, "failed to stat"},
        {{"install", dir_.path() + "/junk.apk"}, ""},
        {{"uninstall", "no.such.package"}, "Failure"},
        {{"pull", "/sdcard/none.jpg", dir_.path() + "/none.jpg"}, "failed to stat remote object"},
        {{"push", copy, "/system/evil.jpg"}, ""},
        {{"pull", "/sdcard/../phone.json", dir_.path() + "/p.json"}, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-s", serial_};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = Run(args);
        EXPECT_EQ(r.exit_code, 1) << c.args[0] << " " << c.args[1];
        EXPECT_NE((r.err + r.out).find(c.message), std::string::npos) << r.err << r.out;
    }
    EXPECT_FALSE(IsFile(dir_.path() + "/none.jpg"));
    EXPECT_FALSE(IsFile(dir_.path() + "/p.json"));
    EXPECT_EQ(Run({"-s", serial_, "uninstall", "-k", "net.demo.notes"}).exit_code, 0);
    EXPECT_FALSE(IsFile(apk));
}

TEST_F(Adb, ServerStartsOnDemandEndsOnKillAndKeepsThePhoneState) {
    EXPECT_FALSE(ServerRuns());
    auto first = Run({"devices"}, 5000);
    EXPECT_FALSE(first.timed_out) << "the server must not hold the caller's output open";
    EXPECT_NE(first.err.find("daemon started successfully"), std::string::npos);
    EXPECT_TRUE(ServerRuns());
    Prepare();
    EXPECT_EQ(Run({"kill-server"}).exit_code, 0);
    EXPECT_FALSE(ServerRuns());
    EXPECT_FALSE(RawClient::Connect(port_)) << "forwards end with the server";
    // The next command starts a new server; the companion is still there.
    auto fwd = Run({"forward", "tcp:0", "tcp:20151"});
    ASSERT_EQ(fwd.exit_code, 0);
    auto client = RawClient::Connect(std::atoi(fwd.out.c_str()));
    ASSERT_TRUE(client);
    EXPECT_EQ(client->Ask("hello-android;"), "HI-PC");
}

TEST_F(Adb, EndingEveryAdbProcessEndsTheServer) {
    ASSERT_EQ(Run({"start-server"}).exit_code, 0);
    auto ping = ControlRequest(phone_, "ping");
    ASSERT_TRUE(ping);
    pid_t pid = static_cast<pid_t>(std::stoll(ping->substr(5)));
    // What the library's clean-up looks at: the executable's name.
    char exe[PATH_MAX] = {};
    ASSERT_GT(::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), exe, sizeof exe - 1),
              0);
    EXPECT_EQ(std::string(exe).substr(std::string(exe).rfind('/') + 1), "adb");
    EXPECT_EQ(ReadFile("/proc/" + std::to_string(pid) + "/comm"), "adb\n");
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_TRUE(ServerGone());
    auto r = Run({"devices"});
    EXPECT_NE(r.err.find("daemon not running"), std::string::npos);
    EXPECT_TRUE(ServerRuns());
}

// Plugging in again and preparing anew is the library's phone test.
TEST_F(Adb, UnplugDropsConnectionsAndTheListingAndForwardsNeedTheirPhone) {
    Prepare();
    auto client = RawClient::Connect(port_);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->Ask("hello-android;"), "HI-PC");
    Phonesim({"unplug", phone_});
    EXPECT_TRUE(client->Closed());
    EXPECT_EQ(Run({"devices"}).out, "List of devices attached\n\n");
    auto none = Run({"forward", "tcp:0", "tcp:20151"});
    EXPECT_EQ(none.exit_code, 1);
    EXPECT_NE(none.err.find("no devices"), std::string::npos);
    Phonesim({"plug", phone_});
    EXPECT_EQ(Run({"devices"}).out, "List of devices attached\n" + serial_ + "\tdevice\n\n");
    // With a second phone listed, a forward needs the serial.
    Fault("extra_phones", "1");
    auto two = Run({"forward", "tcp:0", "tcp:20151"});
    EXPECT_EQ(two.exit_code, 1);
    EXPECT_NE(two.err.find("more than one device"), std::string::npos) << two.err;
    EXPECT_EQ(Run({"-s", serial_, "forward", "tcp:0", "tcp:20151"}).exit_code, 0);
}

TEST_F(Adb, ServerLeavesWhenItsPhoneFolderIsRemoved) {
    ASSERT_EQ(Run({"start-server"}).exit_code, 0);
    ASSERT_TRUE(ServerRuns());
    const std::string moved = dir_.path() + "/moved";
    ASSERT_EQ(::rename(phone_.c_str(), moved.c_str()), 0);
    EXPECT_TRUE(ServerGone());
    ASSERT_EQ(::rename(moved.c_str(), phone_.c_str()), 0);
}

TEST_F(Adb, DelayedCommandLooksForThePhoneAfterItsWait) {
    Fault("adb_delay_ms", "400");
    const std::string apk = ProgramFolder() + "/tarvell.apk";
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Phonesim({"unplug", phone_});
    });
    auto r = Run({"-s", serial_, "install", apk});
    unplug.join();
    EXPECT_NE(r.exit_code, 0) << "installed on a phone unplugged during the wait";
    Phonesim({"plug", phone_});
    EXPECT_EQ(Run({"-s", serial_, "install", apk}).exit_code, 0);
}

TEST_F(Adb, HangingCommand_RealTimeout) {
    Fault("adb_hang", "install");
    auto r = Run({"-s", serial_, "install", ProgramFolder() + "/tarvell.apk"}, 700);
    EXPECT_TRUE(r.timed_out);
    EXPECT_EQ(Run({"devices"}, 5000).exit_code, 0) << "other commands still work";
}

} // namespace
