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
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTimedWaitMs = 20000;
// A file sent to the phone may take one second per MiB on top of the timed
// bound: adb moves tens of MiB a second over USB 2, so only a copy that
// stalls reaches it.
constexpr int64_t kCopyBytesPerSecond = int64_t(1) << 20;
constexpr int kWatchSliceMs = 250;

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

// Every process of the user shares the temporary folder (the desktop program
// and tarvell-cli, two scripts): each numbers its files from its own block of
// a thousand, drawn from its process id and start time, so that one does not
// remove and overwrite the adb output another is about to read.
int FirstTempNumber() {
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long mixed =
        static_cast<unsigned long long>(getpid()) * 2654435761ULL ^ ticks;
    return static_cast<int>(mixed % 900) * 1000;
}

std::atomic<int> g_tempCounter{FirstTempNumber()};
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
              bool failOnTimeOut) {
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
        // Left running, as adb may still finish its work; reaped when it ends.
        platform::AdoptChild(started.pid);
        return failOnTimeOut ? -1 : 0;
    case platform::WaitOutcome::Failed:
        // Not known to have ended: the reaper looks after it.
        platform::AdoptChild(started.pid);
        break;
    }
    return failOnTimeOut ? -1 : 0;
}

int64_t LocalFileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

// How long an adb command of RunAdb may take. Such commands (copies,
// installs, the companion's start, forwards) have no fixed duration, but
// none may stall forever and hold its caller, the runner slot and the
// channel lock with it: a pull ends once the file it writes has not grown
// for the timed bound; any other command once it has run the timed bound
// plus one second per MiB of the largest local file it names (the file a
// push or install sends).
struct AdbWatch {
    std::string growingFile; // pull: the local file; else empty
    int64_t boundMs = 0;     // the others
};

AdbWatch WatchFor(const std::vector<std::string>& argv) {
    AdbWatch watch;
    size_t i = 0;
    while (i + 1 < argv.size() && argv[i] == "-s") {
        i += 2;
    }
    if (i < argv.size() && argv[i] == "pull" && argv.size() >= i + 3) {
        watch.growingFile = argv.back();
        return watch;
    }
    int64_t largest = 0;
    for (size_t k = i + 1; k < argv.size(); ++k) {
        largest = std::max(largest, LocalFileSize(argv[k]));
    }
    watch.boundMs = TimedWaitMs() + largest / kCopyBytesPerSecond * 1000;
    return watch;
}

// RunAdb's wait: the child's end, or its stall (then it is ended and -1
// returned, as the caller's step did not happen).
int RunWatched(const std::string& program, const char* args) {
    SlotHold slot;
    platform::SpawnRequest request;
    request.program = program;
    request.args = SplitCommandLine(args);
    request.workingFolder = platform::ProgramFolder();
    const AdbWatch watch = WatchFor(request.args);
    const platform::SpawnResult started = platform::Spawn(request);
    if (started.pid < 0) {
        return -1;
    }
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    auto lastGrowth = begin;
    int64_t lastSize = -2;
    for (;;) {
        switch (platform::WaitForChild(started.pid, kWatchSliceMs)) {
        case platform::WaitOutcome::Exited:
            return 0;
        case platform::WaitOutcome::Failed:
            platform::AdoptChild(started.pid);
            return 0;
        case platform::WaitOutcome::TimedOut:
            break;
        }
        const auto now = Clock::now();
        bool stalled = false;
        if (!watch.growingFile.empty()) {
            const int64_t size = LocalFileSize(watch.growingFile);
            if (size != lastSize) {
                lastSize = size;
                lastGrowth = now;
            }
            stalled = now - lastGrowth >= std::chrono::milliseconds(TimedWaitMs());
        } else {
            stalled = now - begin >= std::chrono::milliseconds(watch.boundMs);
        }
        if (stalled) {
            // Ended, not left running: finishing later, it would write over
            // what the caller did next (another copy of the same file).
            ::kill(started.pid, SIGKILL);
            platform::AdoptChild(started.pid);
            LogWrite("adb stalled and was ended: %s\n", args);
            return -1;
        }
    }
}

int RunAdbWaited(const char* args, const char* outPath, int timeoutMs, bool failOnTimeOut) {
    if (!ArgumentsAcceptable(args)) {
        return -1;
    }
    const std::string adb = AdbProgram();
    if (adb.empty()) {
        return -1;
    }
    return RunWaited(adb, args, outPath, timeoutMs, failOnTimeOut);
}

} // namespace

int RunAdb(const char* args) {
    if (!ArgumentsAcceptable(args)) {
        return -1;
    }
    const std::string adb = AdbProgram();
    if (adb.empty()) {
        return -1;
    }
    return RunWatched(adb, args);
}

int RunAdbTimed(const char* args) {
    return RunAdbWaited(args, nullptr, TimedWaitMs(), true);
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
