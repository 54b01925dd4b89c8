// Helpers of the simulated phone's tests: temporary folders, running a
// program with a time limit, and a raw client of the companion channel.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace pstest {

class TempDir {
public:
    TempDir() {
        std::string tmpl =
            std::filesystem::temp_directory_path().string() + "/phonesim-test-XXXXXX";
        if (::mkdtemp(tmpl.data()))
            path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct RunResult {
    int exit_code = -1; // -1: killed at the time limit
    bool timed_out = false;
    std::string out, err;
};

// Runs argv[0] (a path) with extra environment entries "K=V" (the benchmark
// gives each phone its own home); standard input is /dev/null. Kills the
// child's process group at the time limit.
inline RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                     int limit_ms = 20000) {
    RunResult res;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return res;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e)
        envs.emplace_back(*e);
    for (const auto& x : env) {
        std::string key = x.substr(0, x.find('=') + 1);
        std::erase_if(envs, [&](const std::string& s) { return s.rfind(key, 0) == 0; });
        envs.push_back(x);
    }
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    for (const auto& e : envs)
        cenv.push_back(const_cast<char*>(e.c_str()));
    cenv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0].c_str(), &fa, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        ::close(out[0]);
        ::close(err[0]);
        return res;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            res.timed_out = true;
            ::kill(-pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? res.out : res.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!res.timed_out && WIFEXITED(status))
        res.exit_code = WEXITSTATUS(status);
    return res;
}

// A raw client of the companion channel: sends command texts (and payloads)
// and reads length-prefixed answers.
class RawClient {
public:
    explicit RawClient(int fd) : fd_(fd) {}
    static std::optional<RawClient> Connect(int port) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return std::nullopt;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return RawClient(fd);
    }
    RawClient(RawClient&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    RawClient& operator=(RawClient&& o) noexcept {
        if (this != &o) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = o.fd_;
            o.fd_ = -1;
        }
        return *this;
    }
    RawClient(const RawClient&) = delete;
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Send(const std::string& cmd, const std::string& payload = {}) {
        return SendAll(cmd) && (payload.empty() || SendAll(payload));
    }
    // Reads exactly n bytes; false on end of stream or time-out.
    bool ReadExact(std::string* out, size_t n, int timeout_ms) {
        out->clear();
        while (out->size() < n) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeout_ms) <= 0)
                return false;
            char buf[65536];
            ssize_t r = ::recv(fd_, buf, std::min(sizeof buf, n - out->size()), 0);
            if (r <= 0)
                return false;
            out->append(buf, static_cast<size_t>(r));
        }
        return true;
    }
    // One answer body; nothing on end of stream or time-out.
    std::optional<std::string> Read(int timeout_ms = 10000) {
        std::string head, body;
        if (!ReadExact(&head, 4, timeout_ms))
            return std::nullopt;
        int32_t length; // little-endian, as this machine
        std::memcpy(&length, head.data(), 4);
        if (length <= 0)
            return std::string();
        if (!ReadExact(&body, static_cast<size_t>(length), timeout_ms))
            return std::nullopt;
        return body;
    }
    std::optional<std::string> Ask(const std::string& cmd, const std::string& payload = {}) {
        if (!Send(cmd, payload))
            return std::nullopt;
        return Read();
    }
    // Numeric answers; INT64_MIN when the answer is missing or has another width.
    int64_t AskInt(const std::string& cmd, const std::string& payload = {}) {
        auto b = Ask(cmd, payload);
        int32_t v;
        return b && b->size() == 4 ? (std::memcpy(&v, b->data(), 4), v) : INT64_MIN;
    }
    int64_t AskInt64(const std::string& cmd) {
        auto b = Ask(cmd);
        int64_t v;
        return b && b->size() == 8 ? (std::memcpy(&v, b->data(), 8), v) : INT64_MIN;
    }
    // True when the peer closed the connection (within the time limit).
    bool Closed(int timeout_ms = 5000) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeout_ms) <= 0)
            return false;
        char c;
        return ::recv(fd_, &c, 1, MSG_PEEK) <= 0;
    }

private:
    bool SendAll(const std::string& s) {
        size_t done = 0;
        while (done < s.size()) {
            ssize_t n = ::send(fd_, s.data() + done, s.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    int fd_;
};

} // namespace pstest
