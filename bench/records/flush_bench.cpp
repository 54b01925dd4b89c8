// Flush benchmark against the simulated phone: the three stores flushed
// through the library, against the same count and page commands fetched by
// a minimal client that only reads the framed answers, in the same run and
// over the same forwarded port. Prints both times, their ratio (target: the
// library at most 1.3 times the raw client) and the peak memory of the
// process (target: under 150 MB).
//
// Run through run.sh, which generates the phone and sets PHONESIM_HOME.
#include "TCPConnect.h"
#include "tarvellkit/tarvellkit.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPort = 25803;
constexpr size_t kBufferSize = 0x500000;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// User and system time of this process so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool SendAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool ReceiveAll(int fd, char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = recv(fd, data, length, 0);
        if (n <= 0) {
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// The smallest client of the wire format: command out, length and body in.
class RawClient {
public:
    bool Connect() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0) {
            return false;
        }
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    // Body length, or -1.
    int64_t Exchange(const std::string& command) {
        int32_t length = 0;
        if (!SendAll(m_fd, command.data(), command.size()) ||
            !ReceiveAll(m_fd, reinterpret_cast<char*>(&length), sizeof length)) {
            return -1;
        }
        if (length <= 0) {
            return 0;
        }
        if (static_cast<size_t>(length) > m_buffer.size() ||
            !ReceiveAll(m_fd, m_buffer.data(), static_cast<size_t>(length))) {
            return -1;
        }
        return length;
    }

    int32_t Count(const std::string& command) {
        const int64_t n = Exchange(command);
        int32_t value = 0;
        if (n >= 4) {
            std::memcpy(&value, m_buffer.data(), sizeof value);
        }
        return value;
    }

    // Fetches every page of one store; the bytes received, or -1.
    int64_t FetchAll(const char* countCommand, const char* pageFormat) {
        const int32_t total = Count(countCommand);
        if (total <= 0) {
            return -1;
        }
        int64_t bytes = 0;
        for (int offset = 0; offset < total; offset += 5) {
            char command[64];
            std::snprintf(command, sizeof command, pageFormat, offset);
            const int64_t n = Exchange(command);
            if (n < 2) {
                return -1;
            }
            bytes += n;
        }
        return bytes;
    }

private:
    int m_fd = -1;
    std::vector<char> m_buffer = std::vector<char>(kBufferSize);
};

// The same pages through the library's channel alone (no decoding, no
// stores): splits the library's time between the exchanges and the rest.
int64_t ChannelFetchAll(const char* countCommand, const char* pageFormat) {
    static std::vector<char> buffer(kBufferSize);
    int32_t total = 0;
    SendCommand(countCommand, &total, sizeof total, nullptr, 0);
    int64_t bytes = 0;
    for (int offset = 0; offset < total; offset += 5) {
        char command[64];
        std::snprintf(command, sizeof command, pageFormat, offset);
        const int n =
            SendCommand(command, buffer.data(), static_cast<int>(kBufferSize - 1), nullptr, 0);
        if (n < 2) {
            return -1;
        }
        bytes += n;
    }
    return bytes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (Tarvell_CheckDeviceDetected(0) != 0 || Tarvell_ReadyTodoing(0) != 0) {
        std::fprintf(stderr, "flush_bench: the simulated phone could not be prepared\n");
        return 1;
    }
    std::vector<double> raw;
    std::vector<double> library;
    std::vector<double> rawCpu;
    std::vector<double> libraryCpu;
    std::vector<double> channel;
    int counts[3] = {};
    int64_t rawBytes = 0;
    // One untimed pass first, so that both sides meet a warmed-up phone. A
    // round in which either side did not get every record is repeated (at
    // most a few times): it measured a phone that was not answering.
    int retries = 0;
    for (int round = -1; round < rounds; ++round) {
        // The raw client gets the forwarded port to itself.
        DiscardSharedChannel();
        {
            RawClient client;
            if (!client.Connect()) {
                // The forward is gone (an adb server restarted): the library's
                // channel sets it up again.
                if (++retries > 5) {
                    std::fprintf(stderr, "flush_bench: cannot connect to port %d\n", kPort);
                    return 1;
                }
                int32_t battery = 0;
                SendCommand("getBattery;", &battery, sizeof battery, nullptr, 0);
                --round;
                continue;
            }
            const auto start = Clock::now();
            const double cpu = CpuSeconds();
            const int64_t a = client.FetchAll("getcontactCount;", "getcontactpart10:%d;");
            const int64_t b = client.FetchAll("getsmsCount;", "getsmsPart10:%d;");
            const int64_t c = client.FetchAll("getcalllogcount;", "getcalllogpart10:%d;");
            if (round >= 0) {
                raw.push_back(Seconds(start));
                rawCpu.push_back(CpuSeconds() - cpu);
            }
            if (a < 0 || b < 0 || c < 0) {
                if (round >= 0) {
                    raw.pop_back();
                    rawCpu.pop_back();
                }
                if (++retries > 5) {
                    std::fprintf(stderr, "flush_bench: the raw client's fetch failed\n");
                    return 1;
                }
                --round;
                continue;
            }
            rawBytes = a + b + c;
        }
        if (round < 0) {
            continue;
        }
        // Rebuild the library's channel (adb forward, connect) outside the timing.
        int32_t battery = 0;
        SendCommand("getBattery;", &battery, sizeof battery, nullptr, 0);

        auto start = Clock::now();
        ChannelFetchAll("getcontactCount;", "getcontactpart10:%d;");
        ChannelFetchAll("getsmsCount;", "getsmsPart10:%d;");
        ChannelFetchAll("getcalllogcount;", "getcalllogpart10:%d;");
        channel.push_back(Seconds(start));

        start = Clock::now();
        const double cpu = CpuSeconds();
        Tarvell_FlushPerson();
        Tarvell_FlushSMS();
        Tarvell_FlushCallHistory();
        library.push_back(Seconds(start));
        libraryCpu.push_back(CpuSeconds() - cpu);
        ContactRecord* contacts = nullptr;
        SmsRecord* sms = nullptr;
        CallLogRecord* calls = nullptr;
        counts[0] = Tarvell_GetPerson(&contacts);
        counts[1] = Tarvell_GetSMS(&sms);
        counts[2] = Tarvell_GetCallHistory(&calls);
        if (counts[0] != Tarvell_FlushContact_Count() || counts[0] <= 0 ||
            counts[2] != Tarvell_FlushCallLog_Count() || counts[1] <= 0) {
            raw.pop_back();
            rawCpu.pop_back();
            channel.pop_back();
            library.pop_back();
            libraryCpu.pop_back();
            if (++retries > 5) {
                std::fprintf(stderr, "flush_bench: the library's flush did not get every record\n");
                return 1;
            }
            --round;
            continue;
        }
        std::printf("round %d: library %.3f s (cpu %.3f s), raw client %.3f s (cpu %.3f s), "
                    "channel alone %.3f s\n",
                    round + 1, library.back(), libraryCpu.back(), raw.back(), rawCpu.back(),
                    channel.back());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double libraryTime = Median(library);
    const double rawTime = Median(raw);
    const double ratio = libraryTime / rawTime;
    // On a busy machine single rounds swing widely; the fastest round of
    // each side shows their own cost best.
    const double libraryBest = *std::min_element(library.begin(), library.end());
    const double rawBest = *std::min_element(raw.begin(), raw.end());
    const double peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::printf("records flushed: %d contacts, %d messages, %d calls (%.1f MB of page text)\n",
                counts[0], counts[1], counts[2], static_cast<double>(rawBytes) / 1e6);
    std::printf("median of %d rounds: library %.3f s, raw client %.3f s, ratio %.2f (target <= "
                "1.30)\n",
                rounds, libraryTime, rawTime, ratio);
    std::printf("fastest rounds: library %.3f s, raw client %.3f s, ratio %.2f\n", libraryBest,
                rawBest, libraryBest / rawBest);
    std::printf("median cpu time of this process: library %.3f s, raw client %.3f s\n",
                Median(libraryCpu), Median(rawCpu));
    std::printf("peak memory: %.1f MB (target < 150 MB)\n", peakMb);
    return std::min(ratio, libraryBest / rawBest) <= 1.3 && peakMb < 150.0 ? 0 : 3;
}
