// Round trips over the command channel: a small exchange ("getBattery;",
// 4-byte answer) and a write exchange ("write_photofile:102400;" with a
// 100 KiB payload, 4-byte answer). Prints median, 99th percentile, maximum,
// the number of exchanges in the 35-250 ms band (a delayed-acknowledgement
// stall) and the payload rate.
//
//   channel_bench             against the simulated phone: run from a
//                             program folder laid out for it, with
//                             PHONESIM_HOME set (bench/channel/run.sh); prepares the phone
//                             from a cold start first
//   channel_bench --loopback  against a companion inside this process on an
//                             ephemeral port, without adb: the channel alone
#include "TCPConnect.h"
#include "channel_detail.h"
#include "tarvellkit/tarvellkit.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPayloadSize = 100 * 1024;

struct Summary {
    double medianUs = 0;
    double p99Us = 0;
    double maxUs = 0;
    int stalls = 0; // exchanges in the 35-250 ms band
    int failures = 0;
};

Summary Measure(int count, const std::function<bool()>& exchange) {
    std::vector<double> us;
    us.reserve(static_cast<size_t>(count));
    Summary s;
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        bool ok = exchange();
        double elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (!ok) {
            ++s.failures;
        }
        us.push_back(elapsed);
        if (elapsed >= 35000 && elapsed <= 250000) {
            ++s.stalls;
        }
    }
    std::sort(us.begin(), us.end());
    s.medianUs = us[us.size() / 2];
    s.p99Us = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    s.maxUs = us.back();
    return s;
}

void Print(const char* name, int count, const Summary& s) {
    std::printf(
        "%-28s n=%-6d median %9.1f us  p99 %9.1f us  max %9.1f us  35-250ms: %d  failed: %d\n",
        name, count, s.medianUs, s.p99Us, s.maxUs, s.stalls, s.failures);
}

// ---- a companion inside this process (loopback mode) ----

bool ReadExact(int fd, char* p, size_t n) {
    while (n > 0) {
        ssize_t got = recv(fd, p, n, 0);
        if (got <= 0) {
            return false;
        }
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

// Reads commands up to ";", swallows a write command's payload, answers
// every command with a 4-byte integer.
void ServeConnection(int fd) {
    std::string pending;
    std::vector<char> payload(kPayloadSize);
    char chunk[4096];
    for (;;) {
        auto end = pending.find(';');
        if (end == std::string::npos) {
            ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                break;
            }
            pending.append(chunk, static_cast<size_t>(n));
            continue;
        }
        std::string command = pending.substr(0, end + 1);
        pending.erase(0, end + 1);
        int32_t value = 87;
        if (command.rfind("write_photofile:", 0) == 0) {
            size_t want = std::stoul(command.substr(16));
            size_t fromPending = std::min(want, pending.size());
            pending.erase(0, fromPending);
            if (want > payload.size()) {
                payload.resize(want);
            }
            if (!ReadExact(fd, payload.data(), want - fromPending)) {
                break;
            }
            value = static_cast<int32_t>(want);
        }
        char answer[8];
        int32_t length = 4;
        std::memcpy(answer, &length, 4);
        std::memcpy(answer + 4, &value, 4);
        if (send(fd, answer, sizeof answer, MSG_NOSIGNAL) != sizeof answer) {
            break;
        }
    }
    close(fd);
}

int RunLoopback(int smallCount, int writeCount) {
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listen");
        return 1;
    }
    std::thread server([listener] {
        int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            ServeConnection(fd);
        }
    });

    TCPConnect channel;
    channel.port = ntohs(address.sin_port);
    if (OpenSocket(&channel) != 0) {
        std::fprintf(stderr, "cannot connect to the loopback companion\n");
        return 1;
    }
    std::vector<char> payload(kPayloadSize, 'p');
    auto small = [&] {
        int32_t v = 0;
        return SendCommandToAndroidServices(&channel, "getBattery;", &v, 4, nullptr, 0, 0) == 4;
    };
    auto write = [&] {
        int32_t v = 0;
        return SendCommandToAndroidServices(&channel, "write_photofile:102400;", &v, 4,
                                            payload.data(), kPayloadSize, 0) == 4;
    };
    Measure(200, small); // warm-up
    Summary s = Measure(smallCount, small);
    Print("small exchange (loopback)", smallCount, s);
    Summary w = Measure(writeCount, write);
    Print("100 KiB write (loopback)", writeCount, w);
    std::printf("payload rate at the median: %.0f MB/s\n", kPayloadSize / w.medianUs);

    shutdown(channel.socket.exchange(-1), SHUT_RDWR);
    server.join();
    close(listener);
    return s.failures + w.failures == 0 ? 0 : 1;
}

// ---- against the simulated phone ----

int RunPhone(int smallCount, int writeCount) {
    auto start = Clock::now();
    int detected = Tarvell_CheckDeviceDetected(0);
    int prepared = detected == 0 ? Tarvell_ReadyTodoing(0) : -1;
    double setupS = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("cold start: detection %d, preparation %d (progress %d) in %.2f s\n", detected,
                prepared, Tarvell_GetReadyTodoProgress(), setupS);
    if (prepared != 0) {
        return 1;
    }
    auto small = [] {
        int32_t v = 0;
        return SendCommand("getBattery;", &v, 4, nullptr, 0) == 4;
    };
    std::vector<char> payload(kPayloadSize, 'p');
    auto write = [&] {
        int32_t v = 0;
        return SendCommand("write_photofile:102400;", &v, 4, payload.data(), kPayloadSize) >= 0;
    };
    Measure(200, small); // warm-up
    Summary s = Measure(smallCount, small);
    Print("small exchange", smallCount, s);

    // The written file goes to the phone's picture folder under this name.
    char open[128];
    const char* name = "tarvell-bench.bin";
    int n = std::snprintf(open, sizeof open, "open_photofile:");
    for (const char* p = name; *p; ++p) {
        n += std::snprintf(open + n, sizeof open - static_cast<size_t>(n), "%02X",
                           static_cast<unsigned char>(*p));
    }
    std::snprintf(open + n, sizeof open - static_cast<size_t>(n), ";");
    int32_t v = 0;
    SendCommand(open, &v, 4, nullptr, 0);
    Summary w = Measure(writeCount, write);
    // A short last piece of a file: the case where, without TCP_NODELAY, the
    // payload would wait behind the unacknowledged command.
    auto shortWrite = [&] {
        int32_t r = 0;
        return SendCommand("write_photofile:1000;", &r, 4, payload.data(), 1000) >= 0;
    };
    Summary t = Measure(writeCount, shortWrite);
    SendCommand("close_photofile;", &v, 4, nullptr, 0);
    Print("100 KiB write", writeCount, w);
    std::printf("payload rate at the median: %.0f MB/s\n", kPayloadSize / w.medianUs);
    Print("1000-byte write", writeCount, t);
    return s.failures + w.failures + t.failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    bool loopback = false;
    int smallCount = 20000;
    int writeCount = 1000;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--loopback") {
            loopback = true;
        } else if (arg == "--small" && i + 1 < argc) {
            smallCount = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--write" && i + 1 < argc) {
            writeCount = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--loopback] [--small N] [--write N]\n", argv[0]);
            return 2;
        }
    }
    return loopback ? RunLoopback(smallCount, writeCount) : RunPhone(smallCount, writeCount);
}
