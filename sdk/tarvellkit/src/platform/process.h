// Child processes the Linux way: posix_spawn into an own process group, no
// shell, standard streams on /dev/null (or standard output on a file), no
// inherited descriptors. Waiting is kept apart from reaping: a child that is
// not waited for to its end is handed to the reaper, which collects it when
// it exits, so no zombie is left behind.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

enum class SpawnError {
    None,
    ProgramMissing, // no executable file at the path
    OutputFile,     // the standard-output file could not be opened
    SpawnFailed,    // posix_spawn itself failed
};

struct SpawnRequest {
    std::string program;           // absolute path of the executable
    std::vector<std::string> args; // arguments after the program name
    std::string workingFolder;     // "" keeps the caller's current folder
    std::string stdoutPath;        // "" puts standard output on /dev/null
};

struct SpawnResult {
    pid_t pid = -1;
    SpawnError error = SpawnError::None;
    int errorNumber = 0;
};

SpawnResult Spawn(const SpawnRequest& request);

enum class WaitOutcome {
    Exited,   // the child ended and has been reaped
    TimedOut, // still running after the time-out; not reaped
    Failed,   // the child could not be waited for
};

// Waits for the end of a child of this process. timeoutMs < 0 waits without
// limit. On Exited, *status (when given) holds the waitpid status.
WaitOutcome WaitForChild(pid_t pid, int timeoutMs, int* status = nullptr);

// Hands a child that nobody waits for to the reaper thread, which reaps it
// once it ends.
void AdoptChild(pid_t pid);

// Children handed to the reaper that have not ended yet.
int ReaperPendingCount();

// Blocks until the reaper holds no child, at most timeoutMs; true when idle.
bool WaitForReaperIdle(int timeoutMs);

// Full path of the first executable called name in the folders of PATH, or "".
std::string FindOnPath(const char* name);

// True when path names an executable regular file.
bool IsExecutableFile(const std::string& path);

// Processes of this user in this network namespace (never this process)
// whose executable basename or command name is name.
std::vector<pid_t> FindProcessesNamed(const char* name);

// SIGKILL to each process and its process group (never this process's group),
// then waits at most timeoutMs for them to end.
void KillProcessesAndGroups(const std::vector<pid_t>& pids, int timeoutMs);

} // namespace platform
