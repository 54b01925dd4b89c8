// The answer framing of the command channel: the bytes of the input are what
// the companion answers, fed through a socket pair into
// SendCommandToAndroidServices. The exchange must give exactly what the
// frame says: the body when its length fits the caller's buffer and all of it
// arrived, 0 for a length of 0 or less, -1 otherwise, and never write
// outside the buffer.
//
// Input: bytes 0-1 the caller's buffer size (little-endian, at most 8191),
// byte 2 bit 0 whether the companion closes the connection after answering
// (else it stays silent), then the answer bytes.
//
// A failed exchange goes through recovery, which here finds no phone (the
// stand-ins below), so the retry ends at once. The channel's pauses between
// attempts are skipped inside the target so that it runs at full speed.
#include "TCPConnect.h"
#include "channel_detail.h"
#include "fuzz_check.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {
thread_local bool t_skipPauses = false;
} // namespace

// The channel pauses through std::this_thread::sleep_for, which ends in
// nanosleep; inside an exchange of this target the pause is skipped.
extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
    if (t_skipPauses) {
        return 0;
    }
    return static_cast<int>(syscall(SYS_nanosleep, request, remaining));
}

// Recovery's peers: no adb phone, nothing on USB.
int RunAdb(const char*) {
    return -1;
}
int RefreshAdbDevices(int) {
    return -1;
}
int RescanUsbDevices() {
    return 0;
}
std::string SelectedSerial() {
    return {};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 60000) {
        return 0; // the whole answer must fit the socket pair's buffer
    }
    const int answerSize = (data[0] | (data[1] << 8)) % 8192;
    const bool closeAfter = (data[2] & 1) != 0;
    const uint8_t* reply = data + 3;
    const size_t replyLength = size - 3;

    int fds[2];
    FUZZ_CHECK(socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0);
    int sendBuffer = 1 << 18;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    timeval wait{0, 1000}; // a silent companion ends the exchange after 1 ms
    setsockopt(fds[0], SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    setsockopt(fds[0], SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (replyLength > 0) {
        FUZZ_CHECK(send(fds[1], reply, replyLength, MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(replyLength));
    }
    if (closeAfter) {
        shutdown(fds[1], SHUT_WR);
    }

    TCPConnect channel;
    channel.socket.store(fds[0]);
    // Exact size, so that ASan sees a write past the end.
    std::vector<unsigned char> answer(static_cast<size_t>(answerSize));
    t_skipPauses = true;
    const int result = SendCommandToAndroidServices(&channel, "GETSMSCOUNT", answer.data(),
                                                    answerSize, nullptr, 0, 0);
    t_skipPauses = false;

    // What the frame says.
    int expected = -1;
    if (replyLength >= 4) {
        const int32_t length = static_cast<int32_t>(
            static_cast<uint32_t>(reply[0]) | (static_cast<uint32_t>(reply[1]) << 8) |
            (static_cast<uint32_t>(reply[2]) << 16) | (static_cast<uint32_t>(reply[3]) << 24));
        if (length <= 0) {
            expected = 0;
        } else if (length <= answerSize && replyLength - 4 >= static_cast<size_t>(length)) {
            expected = length;
        }
    }
    FUZZ_CHECK(result == expected);
    if (result > 0) {
        FUZZ_CHECK(std::memcmp(answer.data(), reply + 4, static_cast<size_t>(result)) == 0);
    }

    const int left = channel.socket.exchange(-1);
    if (left >= 0) {
        close(left);
    }
    close(fds[1]);
    return 0;
}
