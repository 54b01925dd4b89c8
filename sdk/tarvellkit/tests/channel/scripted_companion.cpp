#include "scripted_companion.h"

#include "companion_protocol.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

std::string Int32Le(int32_t value) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) {
        s[static_cast<size_t>(i)] =
            static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    }
    return s;
}

std::optional<std::string> Peer::ReadCommand() {
    for (;;) {
        auto end = m_pending.find(';');
        if (end != std::string::npos) {
            std::string command = m_pending.substr(0, end + 1);
            m_pending.erase(0, end + 1);
            return command;
        }
        char chunk[4096];
        ssize_t n = recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return std::nullopt;
        }
        m_pending.append(chunk, static_cast<size_t>(n));
    }
}

std::string Peer::ReadBytes(size_t n) {
    std::string out = m_pending.substr(0, std::min(n, m_pending.size()));
    m_pending.erase(0, out.size());
    while (out.size() < n) {
        char chunk[65536];
        size_t want = std::min(sizeof chunk, n - out.size());
        ssize_t got = recv(m_fd, chunk, want, 0);
        if (got <= 0) {
            break;
        }
        out.append(chunk, static_cast<size_t>(got));
    }
    return out;
}

bool Peer::WaitClosed() {
    char c;
    for (;;) {
        ssize_t n = recv(m_fd, &c, 1, 0);
        if (n == 0) {
            return true;
        }
        if (n < 0 && errno != EINTR) {
            return errno == ECONNRESET;
        }
    }
}

void Peer::SendRaw(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

void Peer::SendLength(int32_t length) {
    SendRaw(Int32Le(length));
}

void Peer::Answer(const std::string& body) {
    SendRaw(Int32Le(static_cast<int32_t>(body.size())) + body);
}

void Peer::Reset() {
    // With a zero linger time the close that follows the script sends a reset.
    linger hard{1, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    m_reset = true;
}

void Peer::Close() {
    shutdown(m_fd, SHUT_RDWR);
}

ScriptedCompanion::ScriptedCompanion(Script script) : m_script(std::move(script)) {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(companion::kLocalPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // The port is fixed; a test of another build on this machine may hold it
    // for a while (within one build, CTest's resource lock keeps tests apart).
    bool bound = false;
    for (int i = 0; i < 1200 && !bound; ++i) {
        bound = bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (!bound && errno == EADDRINUSE) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } else if (!bound) {
            break;
        }
    }
    bool ok = bound && listen(m_listenFd, 16) == 0;
    EXPECT_TRUE(ok) << "port " << companion::kLocalPort << ": " << std::strerror(errno);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

ScriptedCompanion::~ScriptedCompanion() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_released = true;
        for (int fd : m_connectionFds) {
            shutdown(fd, SHUT_RDWR);
        }
    }
    m_changed.notify_all();
    shutdown(m_listenFd, SHUT_RDWR);
    m_acceptThread.join();
    close(m_listenFd);
    for (std::thread& t : m_connections) {
        t.join();
    }
}

void ScriptedCompanion::AcceptLoop() {
    for (;;) {
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return; // listening socket shut down
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            close(fd);
            return;
        }
        int index = m_accepted++;
        m_connectionFds.push_back(fd);
        m_connections.emplace_back([this, fd, index] {
            Peer peer(fd, index);
            m_script(peer);
            if (!peer.WasReset()) {
                peer.Close();
            }
            std::lock_guard lock(m_mutex);
            close(fd);
            std::erase(m_connectionFds, fd);
        });
        m_changed.notify_all();
    }
}

int ScriptedCompanion::Accepted() {
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

void ScriptedCompanion::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_changed.notify_all();
}

void ScriptedCompanion::WaitReleased() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_released; });
}
