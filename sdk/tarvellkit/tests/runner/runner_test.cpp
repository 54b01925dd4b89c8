// The runner against the adb stand-in placed as adb in this test's program
// folder.
#include "../common/test_files.h"
#include "adb_double_control.h"
#include "adb_output.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "runner.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sched.h>
#include <set>
#include <sstream>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using adbdouble::Call;

namespace {

const bool g_prepared = [] {
    adbdouble::Prepare("runner");
    return true;
}();

constexpr int kWaitMs = 10000;

using testfiles::ReadFile;

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_prepared);
        adbdouble::ClearCalls();
        adbdouble::SetScript({});
    }
    void TearDown() override {
        EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
        EXPECT_TRUE(adbdouble::ZombieChildren().empty());
    }
    static Call OnlyCall() {
        const auto calls = adbdouble::Calls();
        EXPECT_EQ(calls.size(), 1u);
        return calls.empty() ? Call{} : calls[0];
    }
};

TEST_F(RunnerTest, ArgumentTextsReachAdbSplitWithoutAShell) {
    struct Case {
        const char* text;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {"devices", {"devices"}},
        {" -s SER1 shell  getprop  ro.product.model",
         {"-s", "SER1", "shell", "getprop", "ro.product.model"}},
        {"-s SER1 install \"/home/u/My Files/tarvell.apk\"",
         {"-s", "SER1", "install", "/home/u/My Files/tarvell.apk"}},
        {"shell echo $HOME; rm -rf / `id` | cat > x",
         {"shell", "echo", "$HOME;", "rm", "-rf", "/", "`id`", "|", "cat", ">", "x"}},
        {"pull \"/sdcard/a \\\"b\\\".jpg\" \"C:\\dir\\\\\"",
         {"pull", "/sdcard/a \"b\".jpg", "C:\\dir\\"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        adbdouble::ClearCalls();
        ASSERT_EQ(RunAdb(c.text), 0) << c.text;
        EXPECT_EQ(OnlyCall().args, c.argv) << c.text;
    }
}

TEST_F(RunnerTest, ChildGetsNullStreamsOwnGroupProgramFolderAndNoDescriptors) {
    // Descriptors of this process without close-on-exec must not reach adb.
    const int leaky = open("/dev/null", O_RDONLY);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    ASSERT_EQ(RunAdb("devices"), 0);
    const Call call = OnlyCall();
    close(leaky);
    close(pipeFds[0]);
    close(pipeFds[1]);
    EXPECT_EQ(call.inheritedFds, "");
    EXPECT_EQ(call.stdinTarget, "/dev/null");
    EXPECT_EQ(call.stdoutTarget, "/dev/null");
    EXPECT_EQ(call.stderrTarget, "/dev/null");
    EXPECT_EQ(call.pgid, call.pid) << "adb leads its own process group";
    EXPECT_EQ(call.cwd, platform::ProgramFolder());
}

TEST_F(RunnerTest, RunAdbToFilePutsOnlyStandardOutputInTheFile) {
    adbdouble::SetScript(
        {"devices\tout:List of devices attached\\nSER1\\tdevice\\n\terr:noise\\n"});
    char path[1024];
    NewTempFilePath(path);
    ASSERT_EQ(RunAdbToFile("devices", path), 0);
    EXPECT_EQ(ReadFile(path), "List of devices attached\nSER1\tdevice\n");
    const Call call = OnlyCall();
    EXPECT_EQ(call.stdoutTarget, path);
    EXPECT_EQ(call.stderrTarget, "/dev/null");
    EXPECT_EQ(call.inheritedFds, "");
    fs::remove(path);
}

// adb's output is taken whole up to the caller's limit and not at all beyond
// it, so a reply cut at the limit is never read as a complete one.
TEST_F(RunnerTest, AdbOutputIsReadWholeUpToTheLimitAndRefusedBeyondIt) {
    struct Case {
        const char* what;
        size_t bytes;
        AdbOutputStatus status;
    };
    constexpr size_t kLimit = 4096;
    const std::vector<Case> cases = {
        {"no output", 0, AdbOutputStatus::Ok},
        {"one byte under the limit", kLimit - 1, AdbOutputStatus::Ok},
        {"exactly the limit", kLimit, AdbOutputStatus::Ok},
        {"one byte over the limit", kLimit + 1, AdbOutputStatus::TooLong},
        {"far over the limit", 1 << 20, AdbOutputStatus::TooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        adbdouble::SetScript({"devices\tbig:" + std::to_string(c.bytes)});
        std::string out = "left from before";
        EXPECT_EQ(ReadAdbOutput("devices", kLimit, &out), c.status);
        EXPECT_EQ(out, c.status == AdbOutputStatus::Ok ? std::string(c.bytes, 'x') : "");
    }
}

TEST_F(RunnerTest, ResultsDoNotDependOnAdbsExitCode) {
    adbdouble::SetScript({"*\texit:3"});
    char path[1024];
    NewTempFilePath(path);
    EXPECT_EQ(RunAdb("x"), 0);
    EXPECT_EQ(RunAdbTimed("x"), 0);
    EXPECT_EQ(RunAdbToFile("x", path), 0);
    EXPECT_EQ(RunProgram("adb", "x"), 0);
    EXPECT_EQ(RunAdbDetached("x"), 0);
    EXPECT_TRUE(adbdouble::WaitFor([](const auto& c) { return c.size() == 5; }, kWaitMs));
    fs::remove(path);
}

TEST_F(RunnerTest, RefusedRequestsStartNothing) {
    const std::string tooLong(40000, 'a');
    EXPECT_EQ(RunAdb(nullptr), -1);
    EXPECT_EQ(RunAdbTimed(tooLong.c_str()), -1);
    EXPECT_EQ(RunAdbToFile("devices", ""), -1);
    EXPECT_EQ(RunAdbToFile("devices", nullptr), -1);
    EXPECT_EQ(RunAdbToFile("devices", "/nonexistent-folder/out"), -1);
    EXPECT_EQ(RunAdbDetached(nullptr), -1);
    EXPECT_EQ(RunProgram("no-such-program", nullptr), -1);
    EXPECT_EQ(RunProgram("../runner/adb", nullptr), -1);
    EXPECT_EQ(RunProgram("", nullptr), -1);
    EXPECT_EQ(RunProgram(nullptr, "x"), -1);
    EXPECT_TRUE(adbdouble::Calls().empty());
}

TEST_F(RunnerTest, RunProgramStartsAProgramOfTheProgramFolder) {
    EXPECT_EQ(RunProgram("adb", nullptr), 0);
    EXPECT_TRUE(OnlyCall().args.empty());
    adbdouble::ClearCalls();
    EXPECT_EQ(RunProgram("adb", "kill-server now"), 0);
    EXPECT_EQ(OnlyCall().args, (std::vector<std::string>{"kill-server", "now"}));
}

TEST_F(RunnerTest, TheSlotRunsWaitedChildrenOneAtATime) {
    adbdouble::SetScript({"slow\tsleep:150"});
    char path[1024];
    NewTempFilePath(path);
    const std::string out = path;
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([] { EXPECT_EQ(RunAdb("slow run"), 0); });
        threads.emplace_back([] { EXPECT_EQ(RunAdbTimed("slow timed"), 0); });
        threads.emplace_back([out] { EXPECT_EQ(RunAdbToFile("slow file", out.c_str()), 0); });
    }
    for (auto& t : threads) {
        t.join();
    }
    auto calls = adbdouble::Calls();
    ASSERT_EQ(calls.size(), 6u);
    std::sort(calls.begin(), calls.end(),
              [](const Call& a, const Call& b) { return a.startNs < b.startNs; });
    for (size_t i = 1; i < calls.size(); ++i) {
        ASSERT_GT(calls[i - 1].endNs, 0);
        EXPECT_GE(calls[i].startNs, calls[i - 1].endNs) << "child " << i << " overlapped";
    }
    fs::remove(out);
}

TEST_F(RunnerTest, DetachedRunReturnsBeforeAdbEndsAndIsReapedLater) {
    const std::string release = adbdouble::Folder() + "/release-detached";
    fs::remove(release);
    adbdouble::SetScript({"uninstall\tblock:" + release});
    ASSERT_EQ(RunAdbDetached("uninstall com.velmora.tarvell"), 0);
    ASSERT_TRUE(adbdouble::WaitFor([](const auto& c) { return c.size() == 1; }, kWaitMs));
    const Call running = OnlyCall();
    EXPECT_EQ(running.endNs, 0) << "RunAdbDetached waited for adb";
    EXPECT_EQ(platform::ReaperPendingCount(), 1);
    std::ofstream(release) << "go";
    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(running.pid));
}

TEST_F(RunnerTest, RunAdbToFileReturnsAfterItsRealTimeOutOf4sAndTheChildIsReaped) {
    adbdouble::SetScript({"stall\tout:early\\n\tsleep:5500\tout:late\\n"});
    char path[1024];
    NewTempFilePath(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunAdbToFile("stall", path), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(3900));
    EXPECT_LT(waited, std::chrono::milliseconds(5400));
    EXPECT_EQ(ReadFile(path), "early\n");
    const Call call = OnlyCall();
    EXPECT_EQ(call.endNs, 0);
    // The slot is free again although the child still runs.
    adbdouble::SetScript({});
    EXPECT_EQ(RunAdb("next"), 0);
    EXPECT_EQ(adbdouble::Calls().size(), 2u);
    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(call.pid));
    EXPECT_EQ(ReadFile(path), "early\nlate\n");
    fs::remove(path);
}

TEST_F(RunnerTest, RunAdbTimedFailsAfterItsRealTimeOutOf20s) {
    adbdouble::SetScript({"start-server\tsleep:21000"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunAdbTimed("start-server"), -1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(19900));
    EXPECT_LT(waited, std::chrono::milliseconds(20900));
}

TEST_F(RunnerTest, TemporaryNamesAreDistinctAcrossThreadsAndNumbered) {
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    std::vector<std::vector<std::string>> names(8);
    std::vector<std::thread> threads;
    for (auto& list : names) {
        threads.emplace_back([&list] {
            for (int i = 0; i < 250; ++i) {
                char path[1024];
                NewTempFilePath(path);
                list.emplace_back(path);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::set<std::string> all;
    for (const auto& list : names) {
        for (const auto& name : list) {
            EXPECT_EQ(name.rfind(folder + "sdlk", 0), 0u) << name;
            EXPECT_FALSE(fs::exists(name));
            all.insert(name);
        }
    }
    EXPECT_EQ(all.size(), 2000u);

    char first[1024];
    NewTempFilePath(first);
    const int number = std::stoi(std::string(first).substr(folder.size() + 4));
    char later[1024];
    for (int i = 0; i < 1000; ++i) {
        NewTempFilePath(later);
    }
    char expected[64];
    std::snprintf(expected, sizeof expected, "sdlk%06d", number + 1000);
    EXPECT_EQ(std::string(later), folder + expected);
}

TEST_F(RunnerTest, NewTempFilePathRemovesAFileOfThatName) {
    char path[1024];
    NewTempFilePath(path);
    const std::string folder = TempFolder();
    const int number = std::stoi(std::string(path).substr(folder.size() + 4));
    char next[64];
    std::snprintf(next, sizeof next, "sdlk%06d", number + 1);
    std::ofstream(folder + next) << "stale output of an earlier run";
    NewTempFilePath(path);
    EXPECT_EQ(std::string(path), folder + next);
    EXPECT_FALSE(fs::exists(path));
}

// Run from a user and network namespace of its own (as `unshare -rn` makes),
// the kernel refuses the namespaces of processes outside it: their adb is not
// this program's and is left alone.
TEST_F(RunnerTest, EndEveryAdbInAnotherUserNamespaceLeavesOutsideAdbAlone) {
    adbdouble::SetScript({"hang\tsleep:600000"});
    ASSERT_EQ(RunAdbDetached("hang"), 0);
    ASSERT_TRUE(adbdouble::WaitFor([](const auto& c) { return c.size() == 1; }, kWaitMs));
    const Call adb = OnlyCall();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            _exit(77);
        }
        const std::vector<pid_t> found = platform::FindProcessesNamed("adb");
        _exit(std::find(found.begin(), found.end(), adb.pid) != found.end() ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EndEveryAdb();
    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(adb.pid)) << "our own adb was not ended";
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no user namespaces here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "an adb outside the namespace was taken for its own";
}

TEST_F(RunnerTest, EndEveryAdbKillsAdbProcessesWithTheirGroupOnly) {
    adbdouble::SetScript({"hang\tfork\tsleep:600000"});
    ASSERT_EQ(RunAdbDetached("hang"), 0);
    ASSERT_TRUE(adbdouble::WaitFor(
        [](const auto& c) { return c.size() == 1 && c[0].grandchildren.size() == 1; }, kWaitMs));
    const Call adb = OnlyCall();
    const pid_t grandchild = adb.grandchildren[0];

    // A child of ours that is not adb stays.
    platform::SpawnRequest other;
    other.program = "/bin/sleep";
    other.args = {"600"};
    const platform::SpawnResult bystander = platform::Spawn(other);
    ASSERT_GT(bystander.pid, 0);

    EndEveryAdb();

    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(adb.pid));
    // The grandchild (a sleep in adb's group) is not our child: wait for its end.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, grandchild, 0));
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        EXPECT_EQ(poll(&p, 1, kWaitMs), 1) << "the group of adb was not ended";
        close(pidfd);
    }
    EXPECT_EQ(adbdouble::Calls()[0].endNs, 0) << "adb ended by itself, not by force";

    EXPECT_TRUE(adbdouble::ProcessExists(bystander.pid));
    EXPECT_EQ(platform::WaitForChild(bystander.pid, 0), platform::WaitOutcome::TimedOut);
    kill(bystander.pid, SIGKILL);
    EXPECT_EQ(platform::WaitForChild(bystander.pid, kWaitMs), platform::WaitOutcome::Exited);
}

TEST(ProcessLayer, WaitForChildTimesOutThenReapsOnAdoption) {
    platform::SpawnRequest request;
    request.program = "/bin/sleep";
    request.args = {"0.3"};
    const platform::SpawnResult child = platform::Spawn(request);
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(platform::WaitForChild(child.pid, 10), platform::WaitOutcome::TimedOut);
    platform::AdoptChild(child.pid);
    EXPECT_TRUE(platform::WaitForReaperIdle(kWaitMs));
    EXPECT_FALSE(adbdouble::ProcessExists(child.pid));
    EXPECT_TRUE(adbdouble::ZombieChildren().empty());
}

TEST(ProcessLayer, SaysWhyAChildDidNotStart) {
    platform::SpawnRequest request;
    request.program = "/nonexistent/adb";
    EXPECT_EQ(platform::Spawn(request).error, platform::SpawnError::ProgramMissing);
    request.program = "/bin/true";
    request.stdoutPath = "/nonexistent/folder/out";
    EXPECT_EQ(platform::Spawn(request).error, platform::SpawnError::OutputFile);
    request.stdoutPath.clear();
    const std::string file = adbdouble::Folder() + "/not-a-program";
    std::ofstream(file) << "neither ELF nor script";
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    request.program = file;
    EXPECT_EQ(platform::Spawn(request).error, platform::SpawnError::ProgramMissing);
    fs::permissions(file, fs::perms::owner_all);
    const platform::SpawnResult garbage = platform::Spawn(request);
    EXPECT_EQ(garbage.error, platform::SpawnError::SpawnFailed);
    EXPECT_EQ(garbage.errorNumber, ENOEXEC);
    EXPECT_EQ(garbage.pid, -1);
}

} // namespace

namespace {

// Child: enters a user and network namespace of its own (uid 0 mapped to the
// same uid outside), then runs `then`. Exit code 3: no namespace here.
pid_t ForkInOwnNamespaces(const std::function<int()>& then) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
        _exit(3);
    }
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    _exit(then());
}

} // namespace

// Tests (and sandboxes) each in a user namespace of their own: an adb in a
// sibling namespace, whose namespace cannot even be read, is not ended.
TEST(ProcessLayer, AnAdbInAnotherUserNamespaceIsNotOneOfOurs) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t other = ForkInOwnNamespaces([&] {
        prctl(PR_SET_NAME, "adb");
        [[maybe_unused]] ssize_t n = write(ready[1], "r", 1);
        pause();
        return 0;
    });
    ASSERT_GT(other, 0);
    close(ready[1]);
    char c = 0;
    if (read(ready[0], &c, 1) != 1) {
        waitpid(other, nullptr, 0);
        close(ready[0]);
        GTEST_SKIP() << "no user namespaces on this machine";
    }
    close(ready[0]);
    // A second sandbox looks for adb processes: the first one's is not among them.
    const pid_t looker = ForkInOwnNamespaces([&] {
        const auto found = platform::FindProcessesNamed("adb");
        return std::find(found.begin(), found.end(), other) == found.end() ? 0 : 1;
    });
    int status = 0;
    ASSERT_EQ(waitpid(looker, &status, 0), looker);
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) {
        GTEST_SKIP() << "no second user namespace on this machine";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "an adb of another sandbox was taken for ours";
}
