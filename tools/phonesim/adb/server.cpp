#include "server.h"

#include "companion.h"
#include "control.h"
#include "phone.h"
#include "real_companion.h"
#include "store.h"
#include "util.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace phonesim {

namespace {

struct Forward {
    int fd = -1;
    std::string serial;
    int remote = 0;
};

int g_wake[2] = {-1, -1};

void OnSignal(int) {
    char c = 'q';
    [[maybe_unused]] ssize_t n = ::write(g_wake[1], &c, 1);
}

class Server {
public:
    explicit Server(const std::string& home) : home_(home), store_(home) {}

    int Run(int reply_fd) {
        int ctl = ListenControl(home_);
        if (ctl < 0) {
            Reply(reply_fd, errno == EADDRINUSE ? "BUSY\n" : "FAIL\n");
            return errno == EADDRINUSE ? 0 : 1;
        }
        if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
            return 1;
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
        ::signal(SIGPIPE, SIG_IGN);
        Reply(reply_fd, "OK\n");

        std::thread flusher([this] { FlushLoop(); });
        flusher.detach();

        for (;;) {
            std::vector<pollfd> fds;
            fds.push_back({ctl, POLLIN, 0});
            fds.push_back({g_wake[0], POLLIN, 0});
            std::vector<int> ports;
            for (const auto& [port, f] : forwards_) {
                fds.push_back({f.fd, POLLIN, 0});
                ports.push_back(port);
            }
            int r = ::poll(fds.data(), fds.size(), 1000);
            if (r < 0 && errno != EINTR)
                break;
            if (quit_ || (fds[1].revents & POLLIN))
                break;
            if (fds[0].revents & POLLIN)
                HandleControl(ctl);
            if (quit_)
                break;
            for (size_t i = 2; i < fds.size(); ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                auto it = forwards_.find(ports[i - 2]);
                if (it != forwards_.end())
                    Accept(it->second);
            }
        }
        Shutdown();
        return 0;
    }

private:
    static void Reply(int fd, const char* text) {
        if (fd < 0)
            return;
        [[maybe_unused]] ssize_t n = ::write(fd, text, std::strlen(text));
        ::close(fd);
    }

    void FlushLoop() {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!IsFile(home_ + "/phone.json")) {
                // The phone folder was removed: nothing left to serve.
                quit_ = true;
                OnSignal(0);
                return;
            }
            std::lock_guard<std::mutex> lock(store_.Mutex());
            auto idle = std::chrono::steady_clock::now() - store_.LastChange();
            if (store_.Dirty()) {
                if (!dirty_since_)
                    dirty_since_ = std::chrono::steady_clock::now().time_since_epoch().count();
                auto age =
                    std::chrono::steady_clock::now().time_since_epoch().count() - dirty_since_;
                if (idle > std::chrono::milliseconds(100) || age > 1000000000LL) {
                    store_.Flush();
                    dirty_since_ = 0;
                }
            }
        }
    }

    void Accept(Forward& f) {
        int fd = ::accept4(f.fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        bool serve;
        bool real = false; // the phone runs the real companion's harness
        {
            std::lock_guard<std::mutex> lock(store_.Mutex());
            const PhoneConfig& cfg = store_.Config();
            serve = cfg.plugged && cfg.state == "device" && f.serial == cfg.serial &&
                    f.remote == kCompanionPhonePort && cfg.HasPackage(kCompanionPackage) &&
                    cfg.IsRunning(kCompanionPackage);
            real = cfg.companion == "dex";
        }
        if (!serve) {
            // Nothing listens on the phone: adb accepts, then closes.
            ::close(fd);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(conns_mu_);
            conns_.insert(fd);
        }
        std::thread([this, fd, real] {
            if (real) {
                // The harness may still be starting (converting the package,
                // starting the JVM): wait for it as a slow phone is waited for.
                if (auto h = WaitForHarness(home_, 30000))
                    Relay(fd, h->port);
            } else {
                ServeCompanion(fd, store_);
            }
            {
                std::lock_guard<std::mutex> lock(conns_mu_);
                conns_.erase(fd);
            }
            ::close(fd);
        }).detach();
    }

    // Carries a connection to the real companion's harness on this computer,
    // as adb carries it to the phone's port; ends when either side does.
    static void Relay(int fd, int port) {
        int up = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (up < 0 || ::connect(up, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            if (up >= 0)
                ::close(up);
            return;
        }
        pollfd p[2] = {{fd, POLLIN, 0}, {up, POLLIN, 0}};
        char buf[65536];
        bool done = false;
        while (!done) {
            if (::poll(p, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            for (int i = 0; i < 2 && !done; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                ssize_t n = ::recv(p[i].fd, buf, sizeof buf, 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    done = true;
                    break;
                }
                for (ssize_t at = 0; at < n && !done;) {
                    ssize_t w =
                        ::send(p[1 - i].fd, buf + at, static_cast<size_t>(n - at), MSG_NOSIGNAL);
                    if (w < 0 && errno == EINTR)
                        continue;
                    done = w <= 0;
                    at += w > 0 ? w : 0;
                }
            }
        }
        ::close(up);
    }

    void DropConnections() {
        std::lock_guard<std::mutex> lock(conns_mu_);
        for (int fd : conns_)
            ::shutdown(fd, SHUT_RDWR);
    }

    void RemoveForwards() {
        for (auto& [port, f] : forwards_)
            ::close(f.fd);
        forwards_.clear();
    }

    static bool ParseTcp(const std::string& s, int* port) {
        if (s.rfind("tcp:", 0) != 0)
            return false;
        auto v = ParseInt(s.substr(4));
        if (!v || *v < 0 || *v > 65535)
            return false;
        *port = static_cast<int>(*v);
        return true;
    }

    std::string AddForward(const std::string& serial, const std::string& local,
                           const std::string& remote, bool no_rebind) {
        int lport = 0, rport = 0;
        if (!ParseTcp(local, &lport) || !ParseTcp(remote, &rport))
            return "FAIL cannot parse forward address\n";
        auto it = forwards_.find(lport);
        if (lport != 0 && it != forwards_.end()) {
            if (no_rebind)
                return "FAIL cannot rebind existing socket\n";
            it->second.serial = serial;
            it->second.remote = rport;
            return "OKAY\n";
        }
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(lport));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(fd, 128) != 0) {
            std::string err = std::strerror(errno);
            if (fd >= 0)
                ::close(fd);
            return "FAIL cannot bind listener: " + err + "\n";
        }
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        int bound = ntohs(addr.sin_port);
        forwards_[bound] = Forward{fd, serial, rport};
        return lport == 0 ? "OKAY " + std::to_string(bound) + "\n" : std::string("OKAY\n");
    }

    void HandleControl(int ctl) {
        int fd = ::accept4(ctl, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        timeval tv{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        std::string line;
        char buf[512];
        while (line.size() < 4096 && line.find('\n') == std::string::npos) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            line.append(buf, static_cast<size_t>(n));
        }
        line = line.substr(0, line.find('\n'));
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string s; in >> s;)
            w.push_back(s);
        std::string reply = Execute(w);
        ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(fd);
    }

    std::string Execute(const std::vector<std::string>& w) {
        if (w.empty())
            return "FAIL empty request\n";
        const std::string& cmd = w[0];
        if (cmd == "ping")
            return "OKAY " + std::to_string(::getpid()) + "\n";
        if (cmd == "forward" && (w.size() == 4 || w.size() == 5))
            return AddForward(w[1], w[2], w[3], w.size() == 5 && w[4] == "norebind");
        if (cmd == "forward-remove" && w.size() == 2) {
            int port = 0;
            auto it = ParseTcp(w[1], &port) ? forwards_.find(port) : forwards_.end();
            if (it == forwards_.end())
                return "FAIL listener '" + w[1] + "' not found\n";
            ::close(it->second.fd);
            forwards_.erase(it);
            return "OKAY\n";
        }
        if (cmd == "forward-remove-all") {
            RemoveForwards();
            return "OKAY\n";
        }
        if (cmd == "forward-list") {
            std::string out = "OKAY\n";
            for (const auto& [port, f] : forwards_)
                out += f.serial + " tcp:" + std::to_string(port) +
                       " tcp:" + std::to_string(f.remote) + "\n";
            return out;
        }
        if (cmd == "drop") {
            DropConnections();
            return "OKAY\n";
        }
        if (cmd == "unplug") {
            DropConnections();
            RemoveForwards();
            return "OKAY\n";
        }
        if (cmd == "sync") {
            std::lock_guard<std::mutex> lock(store_.Mutex());
            return store_.Flush() ? "OKAY\n" : "FAIL cannot write the phone folder\n";
        }
        if (cmd == "kill") {
            quit_ = true;
            return "OKAY\n";
        }
        return "FAIL unknown request\n";
    }

    void Shutdown() {
        RemoveForwards();
        DropConnections();
        // Keep the store locked while leaving so no session writes after the
        // last flush.
        store_.Mutex().lock();
        store_.Flush();
        ::_exit(0);
    }

    std::string home_;
    PhoneStore store_;
    std::map<int, Forward> forwards_;
    std::mutex conns_mu_;
    std::set<int> conns_;
    std::atomic<bool> quit_{false};
    int64_t dirty_since_ = 0;
};

} // namespace

int RunServer(const std::string& home, int reply_fd) {
    Server s(home);
    return s.Run(reply_fd);
}

bool EnsureServer(const std::string& home, bool quick) {
    // A listening server accepts the connection at once; asking it to
    // answer as well costs a round trip that quick callers skip.
    if (quick ? ControlListening(home) : ControlRequest(home, "ping").has_value())
        return true;
    const char* port = std::getenv("ANDROID_ADB_SERVER_PORT");
    std::fprintf(stderr, "* daemon not running; starting now at tcp:%s\n",
                 port && *port ? port : "5037");
    char exe[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return false;
    exe[n] = '\0';
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0)
        return false;
    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Detach twice so the server is nobody's child and holds no
        // descriptor of the caller: no terminal, no pipes, no output files.
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        ::close(pipefd[0]);
        int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
        }
        // Reply descriptor on 3, nothing else open.
        if (pipefd[1] != 3) {
            ::dup2(pipefd[1], 3);
        } else {
            int fl = ::fcntl(3, F_GETFD);
            ::fcntl(3, F_SETFD, fl & ~FD_CLOEXEC);
        }
        if (::close_range(4, ~0U, 0) != 0) {
            // Kernels without close_range: close what is open, one by one.
            for (int fd = 4; fd < 65536; ++fd)
                ::close(fd);
        }
        if (::chdir("/") != 0)
            ::_exit(1);
        const char* argv[] = {"adb",        "fork-server", "server", "--phonesim-home",
                              home.c_str(), "--reply-fd",  "3",      nullptr};
        ::execv(exe, const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pipefd[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    char buf[16] = {};
    pollfd p{pipefd[0], POLLIN, 0};
    std::string got;
    while (::poll(&p, 1, 5000) > 0) {
        ssize_t r = ::read(pipefd[0], buf, sizeof buf);
        if (r <= 0)
            break;
        got.append(buf, static_cast<size_t>(r));
    }
    ::close(pipefd[0]);
    if (got == "OK\n" || (got == "BUSY\n" && ControlRequest(home, "ping"))) {
        std::fputs("* daemon started successfully\n", stderr);
        return true;
    }
    std::fputs("* failed to start daemon\n", stderr);
    return false;
}

} // namespace phonesim
