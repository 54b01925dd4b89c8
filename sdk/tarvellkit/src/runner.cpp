#include "runner.h"

#include "command_line.h"
#include "log.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "temp_folder.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTimedWaitMs = 20000;
// A copy may take one second per MiB on top of the timed bound: adb moves
// tens of MiB a second over USB 2, so only a copy that stalls reaches it.
constexpr int64_t kCopyBytesPerSecond = int64_t(1) << 20;
constexpr int64_t kMaxCopyWaitMs = int64_t(24) * 3600 * 1000;

// The timed bound; end-to-end tests of a hanging adb shorten it through the
// environment (100 ms to 20 s); users never set it.
int TimedWaitMs() {
    static const int bound = [] {
        const char* text = std::getenv("TARVELL_TEST_ADB_TIMEOUT_MS");
        if (text == nullptr || *text == '\0') {
            return kTimedWaitMs;
        }
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return (*end == '\0' && value >= 100 && value <= kTimedWaitMs) ? int(value) : kTimedWaitMs;
    }();
    return bound;
}
constexpr int kOutputWaitMs = 4000;
constexpr int kEndAdbWaitMs = 3000;
// No real argument text comes near this; a longer one is refused rather than
// cut, so a cut command never runs.
constexpr size_t kMaxArgumentText = 32768;

// The runner slot: one waited-for child at a time. A waiter sleeps on the
// condition instead of looking every 100 ms; the order of waiters is the
// same free-for-all.
std::mutex g_slotMutex;
std::condition_variable& g_slotFreed = *new std::condition_variable; // never destroyed
bool g_slotTaken = false;

void WaitForFreeSlot(bool take) {
    std::unique_lock lock(g_slotMutex);
    g_slotFreed.wait(lock, [] { return !g_slotTaken; });
    if (take) {
        g_slotTaken = true;
    }
}

void FreeSlot() {
    {
        std::lock_guard lock(g_slotMutex);
        g_slotTaken = false;
    }
    g_slotFreed.notify_all();
}

class SlotHold {
public:
    SlotHold() { WaitForFreeSlot(true); }
    ~SlotHold() { FreeSlot(); }
    SlotHold(const SlotHold&) = delete;
    SlotHold& operator=(const SlotHold&) = delete;
};

std::atomic<int> g_tempCounter{0};
std::atomic<bool> g_adbMissingLogged{false};

// adb of the program folder, else the first adb on PATH; "" when none.
std::string AdbProgram() {
    const std::string folder = platform::ProgramFolder();
    if (!folder.empty()) {
        std::string local = folder + "/adb";
        if (platform::IsExecutableFile(local)) {
            return local;
        }
    }
    std::string onPath = platform::FindOnPath("adb");
    if (onPath.empty() && !g_adbMissingLogged.exchange(true)) {
        LogWrite("adb is neither in %s nor on PATH\n", folder.c_str());
    }
    return onPath;
}

bool ArgumentsAcceptable(const char* args) {
    return args != nullptr && std::strlen(args) <= kMaxArgumentText;
}

// The common path of the waited-for runs. Returns -1 when the child could not
// be started, else the outcome of the wait.
int RunWaited(const std::string& program, const char* args, const char* outPath, int timeoutMs,
              bool failOnTimeOut, bool endOnTimeOut = false) {
    SlotHold slot;
    platform::SpawnRequest request;
    request.program = program;
    request.args = SplitCommandLine(args != nullptr ? args : "");
    request.workingFolder = platform::ProgramFolder();
    if (outPath != nullptr) {
        if (*outPath == '\0') {
            return -1;
        }
        request.stdoutPath = outPath;
    }
    const platform::SpawnResult started = platform::Spawn(request);
    if (started.pid < 0) {
        return -1;
    }
    switch (platform::WaitForChild(started.pid, timeoutMs)) {
    case platform::WaitOutcome::Exited:
        return 0;
    case platform::WaitOutcome::TimedOut:
        // Left running, as adb may still finish its work; reaped when it
        // ends. A stalled copy is ended: finishing later, it would write
        // over what the caller did next (a second copy of the same file).
        if (endOnTimeOut) {
            ::kill(started.pid, SIGKILL);
            LogWrite("adb ran past %d ms and was ended: %s\n", timeoutMs, args ? args : "");
        }
        platform::AdoptChild(started.pid);
        return failOnTimeOut ? -1 : 0;
    case platform::WaitOutcome::Failed:
        // Not known to have ended: the reaper looks after it.
        platform::AdoptChild(started.pid);
        break;
    }
    return failOnTimeOut ? -1 : 0;
}

int RunAdbWaited(const char* args, const char* outPath, int timeoutMs, bool failOnTimeOut,
                 bool endOnTimeOut = false) {
    if (!ArgumentsAcceptable(args)) {
        return -1;
    }
    const std::string adb = AdbProgram();
    if (adb.empty()) {
        return -1;
    }
    return RunWaited(adb, args, outPath, timeoutMs, failOnTimeOut, endOnTimeOut);
}

} // namespace

int RunAdb(const char* args) {
    return RunAdbWaited(args, nullptr, -1, false);
}

int RunAdbTimed(const char* args) {
    return RunAdbWaited(args, nullptr, TimedWaitMs(), true);
}

int64_t LocalFileSize(const char* path) {
    struct stat info {};
    if (path == nullptr || ::stat(path, &info) != 0) {
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

int RunAdbCopy(const char* args, int64_t bytes) {
    const int64_t extra =
        bytes < 0 ? int64_t(29) * TimedWaitMs() : bytes / kCopyBytesPerSecond * 1000;
    const int64_t bound = std::min<int64_t>(TimedWaitMs() + extra, kMaxCopyWaitMs);
    return RunAdbWaited(args, nullptr, static_cast<int>(bound), true, true);
}

int RunAdbToFile(const char* args, const char* outPath) {
    if (outPath == nullptr) {
        return -1;
    }
    return RunAdbWaited(args, outPath, kOutputWaitMs, false);
}

int RunProgram(const char* program, const char* args) {
    // Only a plain file name of the program folder.
    if (program == nullptr || *program == '\0' || std::strchr(program, '/') != nullptr ||
        std::strcmp(program, ".") == 0 || std::strcmp(program, "..") == 0) {
        return -1;
    }
    if (args != nullptr && !ArgumentsAcceptable(args)) {
        return -1;
    }
    const std::string folder = platform::ProgramFolder();
    if (folder.empty()) {
        return -1;
    }
    return RunWaited(folder + "/" + program, args, nullptr, kOutputWaitMs, false);
}

int RunAdbDetached(const char* args) {
    if (!ArgumentsAcceptable(args)) {
        return -1;
    }
    const std::string adb = AdbProgram();
    if (adb.empty()) {
        return -1;
    }
    // Waits for the slot like the others but does not take it.
    WaitForFreeSlot(false);
    platform::SpawnRequest request;
    request.program = adb;
    request.args = SplitCommandLine(args);
    const platform::SpawnResult started = platform::Spawn(request);
    if (started.pid < 0) {
        return -1;
    }
    platform::AdoptChild(started.pid);
    return 0;
}

void NewTempFilePath(char* buffer) {
    if (buffer == nullptr) {
        return;
    }
    buffer[0] = '\0';
    const std::string folder = TempFolder();
    if (folder.empty()) {
        return;
    }
    const int number = g_tempCounter.fetch_add(1);
    const int n = std::snprintf(buffer, 1024, "%ssdlk%06d", folder.c_str(), number);
    if (n < 0 || n >= 1024) {
        // A cut name could point anywhere: better no name at all.
        buffer[0] = '\0';
        return;
    }
    unlink(buffer);
}

void EndEveryAdb() {
    platform::KillProcessesAndGroups(platform::FindProcessesNamed("adb"), kEndAdbWaitMs);
}
