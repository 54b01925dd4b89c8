// Blocking TCP streams on the loopback interface, the BSD way. The channel to
// the companion service is the only user.
#pragma once

#include <cstddef>

namespace platform {

// The network stack needs no start-up or clean-up here; these keep the
// channel's steps in one place for a platform that does.
bool NetworkStartup();
void NetworkCleanup();

// Connects a new stream socket to 127.0.0.1:port. The socket gets
// TCP_NODELAY (a command and its payload are two sends; without it the
// second would wait for the peer's delayed acknowledgement) and the given
// receive and send time-outs in milliseconds (0 = none). Returns the
// descriptor, or -1 when the socket cannot be created or the connect fails.
int ConnectLoopback(unsigned short port, int ioTimeoutMs);

// Closes a descriptor returned by ConnectLoopback; -1 is ignored.
void CloseSocket(int fd);

// Sends all of data. False when the connection fails or the send time-out
// passes before everything is out. Never raises SIGPIPE.
bool SendAll(int fd, const void* data, size_t length);

enum class ReceiveStatus {
    Data,     // at least one byte arrived
    Closed,   // the peer closed the connection
    TimedOut, // nothing arrived within the receive time-out
    Failed,   // any other error
};

struct ReceiveResult {
    ReceiveStatus status;
    size_t bytes; // bytes placed in the buffer (only with Data)
};

// True when the peer closes (or resets) the connection within timeoutMs
// without sending anything first. Reads nothing: bytes that arrive stay for
// the next receive.
bool PeerClosesWithin(int fd, int timeoutMs);

// One receive of at most length bytes straight into buffer (interrupted
// calls are retried).
ReceiveResult ReceiveSome(int fd, void* buffer, size_t length);

} // namespace platform
