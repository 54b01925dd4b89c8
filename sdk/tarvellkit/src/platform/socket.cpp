#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform {

bool NetworkStartup() {
    return true;
}

void NetworkCleanup() {}

namespace {

void SetTimeout(int fd, int option, int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = static_cast<suseconds_t>(timeoutMs % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

} // namespace

int ConnectLoopback(unsigned short port, int ioTimeoutMs) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        close(fd);
        return -1;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (ioTimeoutMs > 0) {
        SetTimeout(fd, SO_RCVTIMEO, ioTimeoutMs);
        SetTimeout(fd, SO_SNDTIMEO, ioTimeoutMs);
    }
    return fd;
}

void CloseSocket(int fd) {
    if (fd >= 0) {
        close(fd);
    }
}

bool SendAll(int fd, const void* data, size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t n = send(fd, p, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool PeerClosesWithin(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN | POLLRDHUP, 0};
    int n;
    do {
        n = poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        return false; // quiet: nothing closed it
    }
    if ((p.revents & POLLERR) != 0) {
        return true;
    }
    char byte;
    ssize_t got;
    do {
        got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        return false; // the peer spoke first; its bytes stay queued
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return (p.revents & POLLHUP) != 0;
    }
    return true; // end of stream, or the connection failed
}

ReceiveResult ReceiveSome(int fd, void* buffer, size_t length) {
    for (;;) {
        ssize_t n = recv(fd, buffer, length, 0);
        if (n > 0) {
            return {ReceiveStatus::Data, static_cast<size_t>(n)};
        }
        if (n == 0) {
            return {ReceiveStatus::Closed, 0};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return {ReceiveStatus::TimedOut, 0};
        }
        return {ReceiveStatus::Failed, 0};
    }
}

} // namespace platform
