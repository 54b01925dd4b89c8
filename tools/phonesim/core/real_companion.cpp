#include "real_companion.h"

#include "util.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace phonesim {

namespace {

bool Accepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

} // namespace

std::string HarnessReadyPath(const std::string& home) {
    return home + "/.companion/ready";
}

std::optional<HarnessReady> RunningHarness(const std::string& home) {
    auto text = ReadFile(HarnessReadyPath(home));
    if (!text || text->empty() || text->back() != '\n')
        return std::nullopt;
    size_t space = text->find(' ');
    if (space == std::string::npos)
        return std::nullopt;
    auto port = ParseInt(std::string_view(*text).substr(0, space));
    auto pid = ParseInt(std::string_view(*text).substr(space + 1, text->size() - space - 2));
    if (!port || *port <= 0 || *port > 65535 || !pid)
        return std::nullopt;
    return HarnessReady{static_cast<int>(*port), *pid};
}

std::optional<HarnessReady> WaitForHarness(const std::string& home, int timeout_ms) {
    for (int waited = 0;; waited += 20) {
        if (auto h = RunningHarness(home))
            return h;
        if (waited >= timeout_ms)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool LaunchHarness(const std::string& home, const std::string& runner, const std::string& apk) {
    const std::string dir = home + "/.companion";
    if (!MakeDirs(dir))
        return false;
    ::unlink(HarnessReadyPath(home).c_str());
    const std::string log = dir + "/harness.log";
    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Detach twice, as the adb server does: nobody's child, no session
        // and no descriptor of the caller (its output pipe above all).
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        int in = ::open("/dev/null", O_RDONLY);
        int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0)
            ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::close_range(3, ~0U, 0);
        ::execl("/bin/bash", "bash", runner.c_str(), apk.c_str(), home.c_str(),
                HarnessReadyPath(home).c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void StopHarness(const std::string& home) {
    // The harness ends by itself once its ready file is gone (no signal: it
    // may be another user's process).
    auto h = RunningHarness(home);
    ::unlink(HarnessReadyPath(home).c_str());
    if (!h)
        return;
    for (int i = 0; i < 150 && Accepts(h->port); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace phonesim
