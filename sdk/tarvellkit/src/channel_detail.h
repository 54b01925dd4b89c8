// Inside the command channel: the connection object and its steps, reachable
// by the channel's own tests. Other modules use TCPConnect.h only.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

// How long one receive (or send) on the channel may wait for the companion
// before the exchange counts as failed: 120 s. Long enough for the slowest
// legitimate answer (a list rebuild or clear on a phone with a very large
// store), short enough that a companion gone silent on an open connection
// releases the caller and the channel lock. Each data arrival restarts it.
constexpr int kChannelIoTimeoutMs = 120000;

// One connection to the companion through the adb-forwarded local port.
struct TCPConnect {
    unsigned short port = 0;
    std::atomic<int> socket{-1}; // -1 = not connected
    std::mutex lock;             // held for one whole exchange
};

int SendCommandToAndroidServices(TCPConnect* channel, const char* command, void* answer,
                                 int answerSize, const void* payload, int payloadLength,
                                 int attempt);
int ConnectWithForward(TCPConnect* channel);
void Reconnect(TCPConnect* channel);
int OpenSocket(TCPConnect* channel);

// The shared channel, or null when absent.
std::shared_ptr<TCPConnect> SharedChannel();

// Tests only: the receive/send time-out of sockets opened from now on.
void SetChannelIoTimeoutMs(int timeoutMs);
