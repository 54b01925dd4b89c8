// The test side of the adb stand-in: sets its orders and reads what it
// recorded (see adb_double.cpp for the file formats).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace adbdouble {

struct Call {
    pid_t pid = 0;
    pid_t pgid = 0;
    long long startNs = 0;
    long long endNs = 0; // 0 while it runs
    std::string cwd;
    std::string inheritedFds; // descriptors above 2 open at start, "" when none
    std::string stdinTarget, stdoutTarget, stderrTarget;
    std::vector<std::string> args;
    std::vector<pid_t> grandchildren;
    std::string Joined() const; // args joined by blanks
};

// Points ADB_DOUBLE_DIR at a fresh, empty folder under the test's program
// folder. Call before any thread starts (it sets the environment).
void Prepare(const std::string& name);
std::string Folder();

// Replaces the script: lines "<prefix>\t<action>...".
void SetScript(const std::vector<std::string>& lines);
// Forgets the recorded calls.
void ClearCalls();

std::vector<Call> Calls();

// Waits (on file events, not by sleeping) until pred(Calls()) holds, at most
// timeoutMs. True when it held.
template <typename Pred> bool WaitFor(Pred pred, int timeoutMs);
bool WaitForCallsImpl(bool (*check)(const std::vector<Call>&, const void*), const void* context,
                      int timeoutMs);

template <typename Pred> bool WaitFor(Pred pred, int timeoutMs) {
    return WaitForCallsImpl([](const std::vector<Call>& calls,
                               const void* p) { return (*static_cast<const Pred*>(p))(calls); },
                            &pred, timeoutMs);
}

// True while a process with this pid exists (zombies included).
bool ProcessExists(pid_t pid);
// Children of this process that are zombies.
std::vector<pid_t> ZombieChildren();

} // namespace adbdouble
