// The command channel: one TCP connection to the companion service through
// the adb-forwarded local port, one whole exchange (command, payload, answer)
// at a time, with recovery (new forward, adb listing, USB rescan, adb
// restart) and up to three attempts per command.
//
// Wire format: the request is the command text without terminator, then the
// payload bytes if any; the answer is a 32-bit little-endian signed length and
// that many body bytes (none when the length is 0 or less).
#include "TCPConnect.h"

#include "tarvellkit/tarvellkit.h"

#include "CheckUSBDevice.h"
#include "channel_detail.h"
#include "command_line.h"
#include "companion_protocol.h"
#include "device_table.h"
#include "log.h"
#include "platform/socket.h"
#include "runner.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr char kModule[] = "TCPConnect";
constexpr int kMaxAttempt = 2;
constexpr int kBodyReceiveFailures = 4;
// After the forward, how long a companion that is still starting is given to
// listen on the phone; a connection that stays open this long is taken as
// its; pause between connections closed by adb.
constexpr int kCompanionListenWaitMs = 600;
constexpr int kListenProbeMs = 50;
constexpr int kListenRetryPauseMs = 20;

// Trace numbers of the channel's failure points.
constexpr int kTraceSocketGone = 80;
constexpr int kTraceSendFailed = 88;
constexpr int kTraceNoLength = 101;
constexpr int kTraceTooLong = 110;
constexpr int kTraceBodyEmpty = 123;

// End-to-end tests of a silent companion shorten the bound through the
// environment (100 ms to the full 120 s); users never set it.
int InitialIoTimeoutMs() {
    const char* text = std::getenv("TARVELL_TEST_CHANNEL_TIMEOUT_MS");
    if (text == nullptr || *text == '\0') {
        return kChannelIoTimeoutMs;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 100 || value > kChannelIoTimeoutMs) {
        return kChannelIoTimeoutMs;
    }
    return static_cast<int>(value);
}

std::atomic<int> g_ioTimeoutMs{InitialIoTimeoutMs()};

// Commands that got no whole answer on any attempt (Tarvell_GetFailedCommandCount).
std::atomic<int> g_failedCommands{0};

// The shared channel. g_sharedMutex guards the pointer itself (held briefly);
// g_createMutex makes creation and discarding happen once at a time, so two
// threads that find the channel absent together build only one.
std::mutex g_sharedMutex;
std::mutex g_createMutex;
std::shared_ptr<TCPConnect> g_shared;

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Enters the exchange lock, polling every 10 ms while another thread holds it.
void EnterExchange(TCPConnect* channel) {
    while (!channel->lock.try_lock()) {
        SleepMs(10);
    }
}

// A command answered after failed attempts: the failure lines before it in
// the log did not end the command (it may have reached the phone twice when
// only an answer was lost).
void LogAnsweredAfterRetry(const char* command, int attempt) {
    if (attempt > 0) {
        LogWrite("SendCommandToAndroidServices: answered on attempt %d:cmd=%s\n", attempt + 1,
                 command);
    }
}

void CloseChannelSocket(TCPConnect* channel) {
    int fd = channel->socket.exchange(-1);
    platform::CloseSocket(fd);
    platform::NetworkCleanup();
}

// Receives the 4-byte answer length. False when the connection ends, fails
// or stays silent before all four bytes are in.
bool ReceiveLength(int fd, int32_t* length) {
    unsigned char raw[4];
    size_t have = 0;
    while (have < sizeof raw) {
        platform::ReceiveResult r = platform::ReceiveSome(fd, raw + have, sizeof raw - have);
        if (r.status != platform::ReceiveStatus::Data) {
            return false;
        }
        have += r.bytes;
    }
    uint32_t value = static_cast<uint32_t>(raw[0]) | (static_cast<uint32_t>(raw[1]) << 8) |
                     (static_cast<uint32_t>(raw[2]) << 16) | (static_cast<uint32_t>(raw[3]) << 24);
    *length = static_cast<int32_t>(value);
    return true;
}

// Receives exactly length body bytes into answer. A receive that gives
// nothing is retried after 1 s, up to four failures in a row; a receive that
// timed out has already waited the full bound and ends the attempt.
bool ReceiveBody(int fd, unsigned char* answer, int32_t length) {
    size_t have = 0;
    const size_t want = static_cast<size_t>(length);
    int failures = 0;
    while (have < want) {
        platform::ReceiveResult r = platform::ReceiveSome(fd, answer + have, want - have);
        if (r.status == platform::ReceiveStatus::Data) {
            have += r.bytes;
            failures = 0;
            continue;
        }
        if (r.status == platform::ReceiveStatus::TimedOut) {
            LogTracePoint(kModule, kTraceBodyEmpty);
            return false;
        }
        SleepMs(1000);
        LogTracePoint(kModule, kTraceBodyEmpty);
        if (++failures >= kBodyReceiveFailures) {
            return false;
        }
    }
    return true;
}

// Connects to the forwarded port once the companion listens behind it. adb
// accepts a forwarded connection at once and closes it again while nothing
// listens on the phone, which is how a companion that was started a moment
// ago is told from one that is ready: up to kCompanionListenWaitMs, a
// connection that adb closes is made again. One that stays open for
// kListenProbeMs is kept; so is the last one when the time is up (its
// exchange then fails and the command's retry takes over).
int ConnectWhenListening(TCPConnect* channel) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCompanionListenWaitMs);
    for (;;) {
        const bool connected = OpenSocket(channel) == 0;
        if (connected && !platform::PeerClosesWithin(channel->socket.load(), kListenProbeMs)) {
            return 0;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            if (!connected) {
                CloseChannelSocket(channel);
                return -1;
            }
            return 0;
        }
        if (connected) {
            CloseChannelSocket(channel);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        SleepMs(static_cast<int>(left < kListenRetryPauseMs ? left : kListenRetryPauseMs));
    }
}

} // namespace

void SetChannelIoTimeoutMs(int timeoutMs) {
    g_ioTimeoutMs.store(timeoutMs > 0 ? timeoutMs : InitialIoTimeoutMs());
}

std::shared_ptr<TCPConnect> SharedChannel() {
    std::lock_guard guard(g_sharedMutex);
    return g_shared;
}

int OpenSocket(TCPConnect* channel) {
    if (!platform::NetworkStartup()) {
        return -1;
    }
    int fd = platform::ConnectLoopback(channel->port, g_ioTimeoutMs.load());
    if (fd < 0) {
        channel->socket.store(-1);
        platform::NetworkCleanup();
        return -1;
    }
    channel->socket.store(fd);
    return 0;
}

int ConnectWithForward(TCPConnect* channel) {
    channel->port = companion::kLocalPort;
    // A socket left from before would leak; the connection is made anew.
    platform::CloseSocket(channel->socket.exchange(-1));

    RunAdb("shell forward --remove-all");
    // The forward goes to the selected phone: without a serial adb refuses
    // it whenever more than one phone is attached, and the companion on the
    // phone the library works with would never be reached.
    char ports[48];
    std::snprintf(ports, sizeof ports, "forward tcp:%u tcp:%u",
                  static_cast<unsigned>(companion::kLocalPort),
                  static_cast<unsigned>(companion::kPhonePort));
    std::string forward = ports;
    const std::string serial = SelectedSerial();
    if (!serial.empty() && IsSafeAdbText(serial.c_str())) {
        forward = "-s " + QuoteCommandLineArgument(serial) + " " + forward;
    }
    RunAdb(forward.c_str());
    return ConnectWhenListening(channel);
}

void Reconnect(TCPConnect* channel) {
    CloseChannelSocket(channel);

    bool listed = false;
    for (int i = 0; i < 2 && !listed; ++i) {
        listed = RefreshAdbDevices(0) == 0;
    }
    if (!listed) {
        // adb lists no ready phone: is one still on USB at all?
        if (RescanUsbDevices() <= 0) {
            return; // unplugged: the channel stays unconnected
        }
        for (int i = 0; i < 2; ++i) {
            if (RefreshAdbDevices(1) == 0) {
                break;
            }
        }
    }
    ConnectWithForward(channel);
}

int SendCommandToAndroidServices(TCPConnect* channel, const char* command, void* answer,
                                 int answerSize, const void* payload, int payloadLength,
                                 int attempt) {
    if (command == nullptr) {
        return -1;
    }
    if (*command == '\0') {
        return 0;
    }
    if (channel == nullptr || attempt > kMaxAttempt || channel->socket.load() < 0) {
        return -1;
    }

    // What the caller's buffer can take: nothing at all without a buffer.
    unsigned char* buffer = static_cast<unsigned char*>(answer);
    const int32_t capacity = (buffer != nullptr && answerSize > 0) ? answerSize : 0;

    EnterExchange(channel);
    std::unique_lock exchange(channel->lock, std::adopt_lock);

    const int fd = channel->socket.load();
    if (fd < 0) {
        exchange.unlock();
        LogTracePoint(kModule, kTraceSocketGone);
        return -1;
    }

    bool ok = platform::SendAll(fd, command, std::strlen(command));
    if (!ok) {
        LogTracePoint(kModule, kTraceSendFailed);
    } else {
        if (payload != nullptr && payloadLength > 0) {
            // A failed payload send shows up as a missing answer below.
            platform::SendAll(fd, payload, static_cast<size_t>(payloadLength));
        }
        int32_t length = 0;
        if (!ReceiveLength(fd, &length)) {
            SleepMs(100);
            LogTracePoint(kModule, kTraceNoLength);
            ok = false;
        } else if (length > capacity) {
            // Take what fits; the rest goes with the connection.
            if (capacity > 0) {
                platform::ReceiveSome(fd, buffer, static_cast<size_t>(capacity));
            }
            LogTracePoint(kModule, kTraceTooLong);
            ok = false;
        } else if (length <= 0) {
            if (capacity > 0) {
                std::memset(buffer, 0, static_cast<size_t>(capacity < 4 ? capacity : 4));
            }
            LogAnsweredAfterRetry(command, attempt);
            return 0;
        } else if (ReceiveBody(fd, buffer, length)) {
            LogAnsweredAfterRetry(command, attempt);
            return length;
        } else {
            ok = false;
        }
    }

    LogWrite("SendCommandToAndroidServices error:cmd=%s\n", command);
    Reconnect(channel);
    exchange.unlock();
    return SendCommandToAndroidServices(channel, command, answer, answerSize, payload,
                                        payloadLength, attempt + 1);
}

int SendCommand(const char* command, void* answer, int answerSize, const void* payload,
                int payloadLength) {
    std::shared_ptr<TCPConnect> channel = SharedChannel();
    if (!channel) {
        std::lock_guard create(g_createMutex);
        channel = SharedChannel();
        if (!channel) {
            auto fresh = std::make_shared<TCPConnect>();
            fresh->port = companion::kLocalPort;
            // Connected before it is published, so that a second thread never
            // sees it half made. A failed connect leaves it unconnected.
            ConnectWithForward(fresh.get());
            std::lock_guard guard(g_sharedMutex);
            g_shared = fresh;
            channel = fresh;
        }
    }
    const int result = SendCommandToAndroidServices(channel.get(), command, answer, answerSize,
                                                    payload, payloadLength, 0);
    if (result < 0) {
        g_failedCommands.fetch_add(1, std::memory_order_relaxed);
    }
    return result;
}

extern "C" TARVELL_API int Tarvell_GetFailedCommandCount(void) {
    return g_failedCommands.load(std::memory_order_relaxed);
}

void DiscardSharedChannel() {
    std::lock_guard create(g_createMutex);
    std::shared_ptr<TCPConnect> old;
    {
        std::lock_guard guard(g_sharedMutex);
        old.swap(g_shared);
    }
    if (!old) {
        return;
    }
    // A thread still inside an exchange finishes it first; one that arrives
    // later finds the socket gone.
    EnterExchange(old.get());
    CloseChannelSocket(old.get());
    old->lock.unlock();
}
