// A stand-in for adb whose behaviour the test picks. It is installed as
// "adb" in a test's program folder and reads its orders from the folder
// named by ADB_DOUBLE_DIR:
//
//   script  lines "<prefix>\t<action>\t<action>...": the first line whose
//           prefix starts the arguments (joined by blanks; "*" matches all)
//           is played. Actions: out:<text> (\n \t \\ escapes) to standard
//           output, err:<text> to standard error, big:<bytes> of 'x' to
//           standard output, sleep:<ms>, block:<path> (wait until the file
//           exists), fork (start /bin/sleep 600 in the same process group),
//           exit:<code>.
//   calls   one line per start and per end, written by the double:
//           "start\t<pid>\t<pgid>\t<ns>\t<cwd>\t<fds>\t<stdin>\t<stdout>\t<stderr>\t<args>"
//           "child\t<pid>\t<grandchild pid>"
//           "end\t<pid>\t<ns>"
//           with the arguments escaped and separated by \x1f, and <fds> the
//           descriptors above 2 that were open at start.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <limits.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string g_dir;

long long NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
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

void AppendCall(const std::string& line) {
    const int fd =
        open((g_dir + "/calls").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    [[maybe_unused]] ssize_t n = write(fd, line.data(), line.size());
    close(fd);
}

std::string OpenDescriptors() {
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return "?";
    }
    const int own = dirfd(dir);
    while (dirent* e = readdir(dir)) {
        const int fd = std::atoi(e->d_name);
        if (e->d_name[0] < '0' || e->d_name[0] > '9' || fd <= 2 || fd == own) {
            continue;
        }
        list += (list.empty() ? "" : ",") + std::to_string(fd);
    }
    closedir(dir);
    return list;
}

std::string Target(int fd) {
    char path[PATH_MAX + 1];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, PATH_MAX);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("closed");
}

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

void SleepMs(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// Blocks until path exists, woken by changes of its folder.
void WaitForFile(const std::string& path) {
    const int fd = inotify_init1(IN_CLOEXEC);
    const std::string folder = path.substr(0, path.rfind('/'));
    if (fd >= 0) {
        inotify_add_watch(fd, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    struct stat st {};
    while (stat(path.c_str(), &st) != 0) {
        char buffer[4096];
        if (fd < 0 || read(fd, buffer, sizeof buffer) < 0) {
            SleepMs(10);
        }
    }
    if (fd >= 0) {
        close(fd);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Before anything is opened: which descriptors came from the parent.
    const std::string fds = OpenDescriptors();
    const char* dirEnv = std::getenv("ADB_DOUBLE_DIR");
    if (dirEnv == nullptr) {
        return 97;
    }
    g_dir = dirEnv;

    std::string joined;
    std::string escapedArgs;
    for (int i = 1; i < argc; ++i) {
        joined += (i > 1 ? " " : "") + std::string(argv[i]);
        escapedArgs += (i > 1 ? "\x1f" : "") + Escape(argv[i]);
    }
    char cwd[PATH_MAX + 1] = "?";
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        std::strcpy(cwd, "?");
    }
    const pid_t pid = getpid();
    AppendCall("start\t" + std::to_string(pid) + "\t" + std::to_string(getpgrp()) + "\t" +
               std::to_string(NowNs()) + "\t" + cwd + "\t" + fds + "\t" + Target(0) + "\t" +
               Target(1) + "\t" + Target(2) + "\t" + escapedArgs + "\n");

    int code = 0;
    std::ifstream script(g_dir + "/script");
    std::string line;
    while (std::getline(script, line)) {
        const size_t tab = line.find('\t');
        const std::string prefix = line.substr(0, tab);
        if (prefix != "*" && joined.rfind(prefix, 0) != 0) {
            continue;
        }
        size_t pos = tab;
        while (pos != std::string::npos) {
            const size_t next = line.find('\t', pos + 1);
            const std::string action = line.substr(
                pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
            pos = next;
            const size_t colon = action.find(':');
            const std::string verb = action.substr(0, colon);
            const std::string value = colon == std::string::npos ? "" : action.substr(colon + 1);
            if (verb == "out") {
                WriteAll(1, Unescape(value));
            } else if (verb == "err") {
                WriteAll(2, Unescape(value));
            } else if (verb == "big") {
                WriteAll(1, std::string(std::strtoul(value.c_str(), nullptr, 10), 'x'));
            } else if (verb == "sleep") {
                SleepMs(std::strtol(value.c_str(), nullptr, 10));
            } else if (verb == "block") {
                WaitForFile(value);
            } else if (verb == "fork") {
                pid_t child = -1;
                char sleepProgram[] = "/bin/sleep";
                char seconds[] = "600";
                char* childArgv[] = {sleepProgram, seconds, nullptr};
                if (posix_spawn(&child, sleepProgram, nullptr, nullptr, childArgv, environ) == 0) {
                    AppendCall("child\t" + std::to_string(pid) + "\t" + std::to_string(child) +
                               "\n");
                }
            } else if (verb == "exit") {
                code = std::atoi(value.c_str());
            }
        }
        break;
    }
    AppendCall("end\t" + std::to_string(pid) + "\t" + std::to_string(NowNs()) + "\n");
    return code;
}
