#include "platform/process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// A descriptor that becomes readable when the process ends (Linux 5.3+);
// -1 where the kernel has none, and callers fall back to polling waitpid.
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

int SendSignal(int pidfd, int signal) {
#ifdef SYS_pidfd_send_signal
    return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
#else
    (void)pidfd;
    (void)signal;
    errno = ENOSYS;
    return -1;
#endif
}

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
        return 0;
    }
    return left.count() > INT_MAX ? INT_MAX : static_cast<int>(left.count());
}

// Polls fd for readability until the deadline (timeoutMs < 0: without limit).
// True when readable.
bool PollReadable(int fd, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int wait = timeoutMs < 0 ? -1 : RemainingMs(deadline);
        const int n = poll(&p, 1, wait);
        if (n > 0) {
            return true;
        }
        if (n == 0 || (n < 0 && errno != EINTR)) {
            return false;
        }
    }
}

// Reaps pid if it has ended. True when it is gone (reaped here, or by someone
// else: with SIGCHLD ignored the kernel reaps children itself).
bool TryReap(pid_t pid, int* status) {
    for (;;) {
        int st = 0;
        const pid_t r = waitpid(pid, &st, WNOHANG);
        if (r == pid) {
            if (status != nullptr) {
                *status = st;
            }
            return true;
        }
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 && errno == ECHILD) {
            if (status != nullptr) {
                *status = 0;
            }
            return true;
        }
        return false;
    }
}

// ---- reaper ----

struct Adopted {
    pid_t pid;
    int pidfd; // -1 when the kernel gives none
};

class Reaper {
public:
    void Adopt(pid_t pid) {
        std::call_once(m_start, [this] { Start(); });
        {
            std::lock_guard lock(m_mutex);
            m_children.push_back({pid, OpenPidFd(pid)});
        }
        Wake();
    }

    int Pending() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_children.size());
    }

    bool WaitIdle(int timeoutMs) {
        std::unique_lock lock(m_mutex);
        return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return m_children.empty(); });
    }

private:
    void Start() {
        m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        try {
            std::thread([this] { Run(); }).detach();
            m_running.store(true);
        } catch (...) {
            // Without a thread, each later Adopt reaps what has ended so far.
        }
    }

    void Wake() {
        if (!m_running.load()) {
            Sweep();
            return;
        }
        if (m_wake >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = write(m_wake, &one, sizeof one);
        }
    }

    // Reaps every adopted child that has ended. Returns true when some child
    // has no pidfd and must be looked at again later.
    bool Sweep() {
        bool needPolling = false;
        std::lock_guard lock(m_mutex);
        auto gone = std::remove_if(m_children.begin(), m_children.end(), [&](const Adopted& c) {
            if (TryReap(c.pid, nullptr)) {
                if (c.pidfd >= 0) {
                    close(c.pidfd);
                }
                return true;
            }
            needPolling = needPolling || c.pidfd < 0;
            return false;
        });
        m_children.erase(gone, m_children.end());
        if (m_children.empty()) {
            m_idle.notify_all();
        }
        return needPolling;
    }

    void Run() noexcept {
        for (;;) {
            try {
                RunLoop();
            } catch (...) {
                // Out of memory while building the poll set: try again shortly.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
    }

    void RunLoop() {
        std::vector<pollfd> fds;
        bool needPolling = false;
        for (;;) {
            fds.clear();
            if (m_wake >= 0) {
                fds.push_back({m_wake, POLLIN, 0});
            }
            {
                std::lock_guard lock(m_mutex);
                for (const Adopted& c : m_children) {
                    if (c.pidfd >= 0) {
                        fds.push_back({c.pidfd, POLLIN, 0});
                    }
                }
            }
            const int timeout = (needPolling || m_wake < 0) ? 100 : -1;
            poll(fds.data(), fds.size(), timeout);
            if (m_wake >= 0) {
                uint64_t count = 0;
                [[maybe_unused]] ssize_t n = read(m_wake, &count, sizeof count);
            }
            needPolling = Sweep();
        }
    }

    std::once_flag m_start;
    std::atomic<bool> m_running{false};
    int m_wake = -1;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::vector<Adopted> m_children;
};

// Never destroyed: the detached reaper thread may still run while the
// process exits.
Reaper& TheReaper() {
    static Reaper* reaper = new Reaper;
    return *reaper;
}

// ---- spawning ----

class FileActions {
public:
    FileActions() { m_ok = posix_spawn_file_actions_init(&m_actions) == 0; }
    ~FileActions() {
        if (m_ok) {
            posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }
    bool ok() const { return m_ok; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ok = false;
};

class SpawnAttributes {
public:
    SpawnAttributes() { m_ok = posix_spawnattr_init(&m_attr) == 0; }
    ~SpawnAttributes() {
        if (m_ok) {
            posix_spawnattr_destroy(&m_attr);
        }
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &m_attr; }
    bool ok() const { return m_ok; }

private:
    posix_spawnattr_t m_attr{};
    bool m_ok = false;
};

} // namespace

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const char* name) {
    if (name == nullptr || *name == '\0' || std::strchr(name, '/') != nullptr) {
        return {};
    }
    const char* env = std::getenv("PATH");
    std::string path = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string folder = path.substr(start, end - start);
        // An empty entry would mean the current folder: never searched.
        if (!folder.empty() && folder[0] == '/') {
            std::string candidate = folder + "/" + name;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

SpawnResult Spawn(const SpawnRequest& request) {
    SpawnResult result;
    if (!IsExecutableFile(request.program)) {
        result.error = SpawnError::ProgramMissing;
        result.errorNumber = ENOENT;
        return result;
    }

    int outFd = -1;
    if (!request.stdoutPath.empty()) {
        // Not truncated: callers remove the file first.
        outFd = open(request.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
        if (outFd < 0) {
            result.error = SpawnError::OutputFile;
            result.errorNumber = errno;
            return result;
        }
    }

    FileActions actions;
    SpawnAttributes attributes;
    bool ok = actions.ok() && attributes.ok();
    // Standard output first, so that a file descriptor numbered 0 or 2 is
    // duplicated before those numbers are reopened on /dev/null.
    if (ok && outFd >= 0) {
        ok = posix_spawn_file_actions_adddup2(actions.get(), outFd, STDOUT_FILENO) == 0;
    } else if (ok) {
        ok = posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY,
                                              0) == 0;
    }
    ok = ok &&
         posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0) ==
             0 &&
         posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0) ==
             0;
    // Descriptors opened elsewhere in the process without O_CLOEXEC stay
    // out of the child as well.
    ok = ok && posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1) == 0;
    if (ok && !request.workingFolder.empty()) {
        ok =
            posix_spawn_file_actions_addchdir_np(actions.get(), request.workingFolder.c_str()) == 0;
    }

    // Own process group, no blocked signals, every signal at its default.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    ok = ok &&
         posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                        POSIX_SPAWN_SETSIGDEF) == 0 &&
         posix_spawnattr_setpgroup(attributes.get(), 0) == 0 &&
         posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
         posix_spawnattr_setsigdefault(attributes.get(), &all) == 0;

    if (!ok) {
        if (outFd >= 0) {
            close(outFd);
        }
        result.error = SpawnError::SpawnFailed;
        result.errorNumber = ENOMEM;
        return result;
    }

    std::vector<char*> argv;
    argv.reserve(request.args.size() + 2);
    argv.push_back(const_cast<char*>(request.program.c_str()));
    for (const std::string& arg : request.args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, request.program.c_str(), actions.get(), attributes.get(),
                               argv.data(), environ);
    if (outFd >= 0) {
        close(outFd);
    }
    if (rc != 0) {
        result.error = SpawnError::SpawnFailed;
        result.errorNumber = rc;
        return result;
    }
    result.pid = pid;
    return result;
}

WaitOutcome WaitForChild(pid_t pid, int timeoutMs, int* status) {
    if (pid <= 0) {
        return WaitOutcome::Failed;
    }
    const int pidfd = OpenPidFd(pid);
    if (pidfd >= 0) {
        const bool ended = PollReadable(pidfd, timeoutMs);
        close(pidfd);
        if (!ended) {
            return WaitOutcome::TimedOut;
        }
        for (;;) {
            int st = 0;
            const pid_t r = waitpid(pid, &st, 0);
            if (r == pid) {
                if (status != nullptr) {
                    *status = st;
                }
                return WaitOutcome::Exited;
            }
            if (r < 0 && errno == EINTR) {
                continue;
            }
            // ECHILD: reaped by the kernel (SIGCHLD ignored), it has ended all the same.
            if (r < 0 && errno == ECHILD) {
                if (status != nullptr) {
                    *status = 0;
                }
                return WaitOutcome::Exited;
            }
            return WaitOutcome::Failed;
        }
    }
    // No pidfd (an old kernel, or out of descriptors): look every 10 ms.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (TryReap(pid, status)) {
            return WaitOutcome::Exited;
        }
        if (timeoutMs >= 0 && RemainingMs(deadline) == 0) {
            return WaitOutcome::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void AdoptChild(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    try {
        TheReaper().Adopt(pid);
    } catch (...) {
        // Out of memory: the child stays a zombie until the process ends.
    }
}

int ReaperPendingCount() {
    return TheReaper().Pending();
}

bool WaitForReaperIdle(int timeoutMs) {
    return TheReaper().WaitIdle(timeoutMs);
}

namespace {

std::string ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool ProcessIsNamed(const std::string& procDir, const char* name) {
    char exe[PATH_MAX + 1];
    const ssize_t n = readlink((procDir + "/exe").c_str(), exe, PATH_MAX);
    if (n > 0) {
        std::string path(exe, static_cast<size_t>(n));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
            path.resize(path.size() - deleted.size());
        }
        const size_t slash = path.rfind('/');
        if (path.substr(slash == std::string::npos ? 0 : slash + 1) == name) {
            return true;
        }
    }
    std::string comm = ReadSmallFile(procDir + "/comm");
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) {
        comm.pop_back();
    }
    return comm == name;
}

} // namespace

// A process in another network namespace (a container, a sandbox, a test
// run isolated from this one) holds none of the ports adb uses here, so it is
// left alone. So is one whose namespace cannot be read: inside a user
// namespace the kernel refuses the namespaces of processes outside it, which
// are not this program's adb. Only when our own namespace cannot be read (no
// namespaces in /proc) does every process count as ours.
static bool InOurNetworkNamespace(const std::string& dir) {
    struct stat mine {};
    if (stat("/proc/self/ns/net", &mine) != 0) {
        return true;
    }
    struct stat theirs {};
    if (stat((dir + "/ns/net").c_str(), &theirs) != 0) {
        return false;
    }
    return mine.st_ino == theirs.st_ino && mine.st_dev == theirs.st_dev;
}

std::vector<pid_t> FindProcessesNamed(const char* name) {
    std::vector<pid_t> found;
    if (name == nullptr || *name == '\0') {
        return found;
    }
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return found;
    }
    const pid_t self = getpid();
    const uid_t uid = geteuid();
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long value = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || value <= 0 || value == self) {
            continue;
        }
        const std::string dir = std::string("/proc/") + entry->d_name;
        struct stat st {};
        if (stat(dir.c_str(), &st) != 0 || st.st_uid != uid) {
            continue;
        }
        if (ProcessIsNamed(dir, name) && InOurNetworkNamespace(dir)) {
            found.push_back(static_cast<pid_t>(value));
        }
    }
    closedir(proc);
    return found;
}

void KillProcessesAndGroups(const std::vector<pid_t>& pids, int timeoutMs) {
    const pid_t self = getpid();
    const pid_t ownGroup = getpgrp();
    std::vector<int> pidfds;
    for (pid_t pid : pids) {
        if (pid <= 0 || pid == self) {
            continue;
        }
        const int pidfd = OpenPidFd(pid);
        const pid_t group = getpgid(pid);
        // Through the pidfd the signal cannot reach a process that took over
        // a recycled number.
        if (pidfd < 0 || SendSignal(pidfd, SIGKILL) != 0) {
            kill(pid, SIGKILL);
        }
        // The group goes too, but only when the process leads it: a process
        // that merely sits in someone else's group (a shell job, a test
        // runner) must not take that group down with it.
        if (group == pid && group != ownGroup) {
            kill(-group, SIGKILL);
        }
        if (pidfd >= 0) {
            pidfds.push_back(pidfd);
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (int pidfd : pidfds) {
        PollReadable(pidfd, RemainingMs(deadline));
        close(pidfd);
    }
}

} // namespace platform
