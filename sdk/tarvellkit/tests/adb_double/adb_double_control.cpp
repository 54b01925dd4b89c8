#include "adb_double_control.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace adbdouble {
namespace {

// A function-local object: Prepare may run from a static initialiser.
std::string& FolderRef() {
    static std::string folder;
    return folder;
}

std::vector<std::string> SplitOn(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(sep, start);
        parts.push_back(
            text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) {
            return parts;
        }
        start = pos + 1;
    }
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char n = text[++i];
            out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string SelfFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string exe(path, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.rfind('/'));
}

} // namespace

std::string Call::Joined() const {
    std::string out;
    for (size_t i = 0; i < args.size(); ++i) {
        out += (i ? " " : "") + args[i];
    }
    return out;
}

void Prepare(const std::string& name) {
    FolderRef() = SelfFolder() + "/double-" + name + "-" + std::to_string(getpid());
    std::filesystem::remove_all(FolderRef());
    std::filesystem::create_directories(FolderRef());
    setenv("ADB_DOUBLE_DIR", FolderRef().c_str(), 1);
}

std::string Folder() {
    return FolderRef();
}

void SetScript(const std::vector<std::string>& lines) {
    std::ofstream out(FolderRef() + "/script.new", std::ios::trunc);
    for (const std::string& line : lines) {
        out << line << "\n";
    }
    out.close();
    std::filesystem::rename(FolderRef() + "/script.new", FolderRef() + "/script");
}

void ClearCalls() {
    std::filesystem::remove(FolderRef() + "/calls");
}

std::vector<Call> Calls() {
    std::vector<Call> calls;
    std::map<pid_t, size_t> byPid;
    std::ifstream in(FolderRef() + "/calls");
    std::string line;
    while (std::getline(in, line)) {
        const auto f = SplitOn(line, '\t');
        if (f[0] == "start" && f.size() >= 10) {
            Call c;
            c.pid = std::atoi(f[1].c_str());
            c.pgid = std::atoi(f[2].c_str());
            c.startNs = std::atoll(f[3].c_str());
            c.cwd = f[4];
            c.inheritedFds = f[5];
            c.stdinTarget = f[6];
            c.stdoutTarget = f[7];
            c.stderrTarget = f[8];
            if (!f[9].empty()) {
                for (const std::string& a : SplitOn(f[9], '\x1f')) {
                    c.args.push_back(Unescape(a));
                }
            }
            byPid[c.pid] = calls.size();
            calls.push_back(c);
        } else if (f[0] == "end" && f.size() >= 3) {
            auto it = byPid.find(std::atoi(f[1].c_str()));
            if (it != byPid.end()) {
                calls[it->second].endNs = std::atoll(f[2].c_str());
            }
        } else if (f[0] == "child" && f.size() >= 3) {
            auto it = byPid.find(std::atoi(f[1].c_str()));
            if (it != byPid.end()) {
                calls[it->second].grandchildren.push_back(std::atoi(f[2].c_str()));
            }
        }
    }
    return calls;
}

bool WaitForCallsImpl(bool (*check)(const std::vector<Call>&, const void*), const void* context,
                      int timeoutMs) {
    const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd >= 0) {
        inotify_add_watch(fd, FolderRef().c_str(), IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool held = false;
    for (;;) {
        if (check(Calls(), context)) {
            held = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        // Without inotify, look again every 20 ms.
        poll(&p, fd >= 0 ? 1 : 0, fd >= 0 ? static_cast<int>(left.count()) : 20);
        char buffer[4096];
        while (fd >= 0 && read(fd, buffer, sizeof buffer) > 0) {
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    return held;
}

bool ProcessExists(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

std::vector<pid_t> ZombieChildren() {
    std::vector<pid_t> zombies;
    const pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return zombies;
    }
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') {
            continue;
        }
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const size_t close = text.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        int ppid = 0;
        rest >> state >> ppid;
        if (state == 'Z' && ppid == self) {
            zombies.push_back(std::atoi(e->d_name));
        }
    }
    closedir(proc);
    return zombies;
}

} // namespace adbdouble
