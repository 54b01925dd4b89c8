// The command channel against a companion played by the test on the real
// loopback port: framing, failures and their recovery, threads, time-outs.
#include "scripted_companion.h"

#include "companion_protocol.h"
#include "platform/socket.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <latch>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr char kForward[] = "-s \"SER1\" forward tcp:25803 tcp:20151";

int ForwardRuns() {
    int n = 0;
    for (const std::string& args : peers::ArgsOf("RunAdb")) {
        n += args == kForward ? 1 : 0;
    }
    return n;
}

// Serves every command of a connection with answer(peer) until the channel
// closes it.
ScriptedCompanion::Script EachCommand(std::function<void(Peer&, const std::string&)> answer) {
    return [answer](Peer& peer) {
        while (auto command = peer.ReadCommand()) {
            answer(peer, *command);
        }
    };
}

// ---- framing of answers, and what each failure costs ----

struct FramingCase {
    const char* name;
    std::function<void(Peer&)> reply; // after the command was read
    int bufferSize;
    int result;
    std::string bufferStart; // expected first bytes of the buffer
    int forwards;            // initial connect + one per reconnect
    int trace101, trace110, trace123;
};

class FramingTest : public ChannelTest, public ::testing::WithParamInterface<FramingCase> {};

TEST_P(FramingTest, ResultBufferAndRecovery) {
    const FramingCase& c = GetParam();
    ScriptedCompanion companion(
        EachCommand([&c](Peer& peer, const std::string&) { c.reply(peer); }));
    LogSince log;

    constexpr size_t kGuard = 16;
    const size_t size = c.bufferSize > 0 ? static_cast<size_t>(c.bufferSize) : 0;
    std::vector<unsigned char> buffer(size + kGuard, 0xAA);
    int result = SendCommand("getthing:1;", buffer.data(), c.bufferSize, nullptr, 0);

    EXPECT_EQ(result, c.result);
    ASSERT_LE(c.bufferStart.size(), size);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(c.bufferStart.size())),
              c.bufferStart);
    for (size_t i = c.bufferStart.size(); i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xAA) << "byte " << i << " of a " << size << "-byte buffer written";
    }
    EXPECT_EQ(ForwardRuns(), c.forwards);
    EXPECT_EQ(log.Trace(101), c.trace101);
    EXPECT_EQ(log.Trace(110), c.trace110);
    EXPECT_EQ(log.Trace(123), c.trace123);
    EXPECT_EQ(log.Count("SendCommandToAndroidServices error:cmd=getthing:1;\n"), c.forwards - 1);
}

const std::string kZero4("\0\0\0\0", 4);

INSTANTIATE_TEST_SUITE_P(
    Answers, FramingTest,
    ::testing::Values(
        FramingCase{"EmptyAnswerZeroesFourBytes", [](Peer& p) { p.SendLength(0); }, 16, 0, kZero4,
                    1, 0, 0, 0},
        FramingCase{"NegativeLengthIsEmpty", [](Peer& p) { p.SendLength(-7); }, 16, 0, kZero4, 1, 0,
                    0, 0},
        FramingCase{"EmptyAnswerIntoTwoByteBufferStaysInside", [](Peer& p) { p.SendLength(0); }, 2,
                    0, std::string(2, '\0'), 1, 0, 0, 0},
        FramingCase{"BodyInPieces",
                    [](Peer& p) {
                        // Length and body each split, to be received piece by piece.
                        std::string length = Int32Le(8);
                        p.SendRaw(length.substr(0, 2));
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        p.SendRaw(length.substr(2) + "abc");
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        p.SendRaw("defgh");
                    },
                    64, 8, "abcdefgh", 1, 0, 0, 0},
        FramingCase{"BodyFillsBufferExactly", [](Peer& p) { p.Answer("12345678"); }, 8, 8,
                    "12345678", 1, 0, 0, 0},
        FramingCase{"AnswerLongerThanBuffer", [](Peer& p) { p.Answer("abcdefghijkl"); }, 4, -1,
                    "abcd", 4, 0, 3, 0},
        FramingCase{"NegativeBufferSizeTakesNothing", [](Peer& p) { p.Answer("abcde"); }, -1, -1,
                    "", 4, 0, 3, 0},
        FramingCase{"ClosedBeforeLength", [](Peer& p) { p.Close(); }, 16, -1, "", 4, 3, 0, 0},
        FramingCase{"ClosedMidAnswerThenRecovered",
                    [](Peer& p) {
                        if (p.Index() == 0) {
                            p.SendRaw(Int32Le(10) + "abcd");
                            p.Close();
                        } else {
                            p.Answer("0123456789");
                        }
                    },
                    16, 10, "0123456789", 2, 0, 0, 4}),
    [](const ::testing::TestParamInfo<FramingCase>& info) { return info.param.name; });

// ---- commands ----

// What the companion received: each command with the payload that followed.
TEST_F(ChannelTest, CommandsAndPayloadsArriveWhole) {
    constexpr int kPayload = 100 * 1024;
    std::string payload(kPayload, '\0');
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 7 + 3);
    }
    std::vector<std::pair<std::string, std::string>> received;
    std::mutex receivedMutex;
    ScriptedCompanion companion(EachCommand([&](Peer& peer, const std::string& command) {
        std::string bytes;
        if (command.rfind("write_photofile:", 0) == 0) {
            bytes = peer.ReadBytes(std::stoul(command.substr(16)));
        }
        {
            std::lock_guard lock(receivedMutex);
            received.emplace_back(command, bytes);
        }
        if (command == "ClearSMS;") {
            peer.SendLength(0);
        } else {
            peer.Answer(Int32Le(static_cast<int32_t>(bytes.size())));
        }
    }));

    int32_t status = -1;
    // An empty command sends nothing; a missing one fails and leaves the buffer.
    EXPECT_EQ(SendCommand("", &status, 4, nullptr, 0), 0);
    EXPECT_EQ(SendCommand(nullptr, &status, 4, nullptr, 0), -1);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(SendCommand("write_photofile:102400;", &status, 4, payload.data(), kPayload), 4);
    EXPECT_EQ(status, kPayload);
    // A payload length of 0 or less sends nothing after the command.
    EXPECT_EQ(SendCommand("close_photofile;", &status, 4, payload.data(), 0), 4);
    EXPECT_EQ(SendCommand("close_photofile;", &status, 4, payload.data(), -5), 4);
    // An empty answer needs no buffer.
    EXPECT_EQ(SendCommand("ClearSMS;", nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(SendCommand("ClearSMS;", nullptr, 64, nullptr, 0), 0);

    std::lock_guard lock(receivedMutex);
    ASSERT_EQ(received.size(), 5u);
    EXPECT_EQ(received[0].first, "write_photofile:102400;");
    EXPECT_TRUE(received[0].second == payload) << "payload arrived changed";
    EXPECT_EQ(received[1].first, "close_photofile;");
    EXPECT_EQ(received[2].first, "close_photofile;");
}

// ---- threads ----

TEST_F(ChannelTest, ThreadsSendingTogetherEachGetTheirOwnAnswer) {
    // Each answer is the command itself, sent in two pieces, so that an
    // exchange that interleaved with another would mix them up.
    ScriptedCompanion companion(EachCommand([](Peer& peer, const std::string& command) {
        std::string framed = Int32Le(static_cast<int32_t>(command.size())) + command;
        peer.SendRaw(framed.substr(0, 6));
        peer.SendRaw(framed.substr(6));
    }));

    constexpr int kThreads = 4;
    constexpr int kCommands = 40;
    std::latch start(kThreads);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int i = 0; i < kCommands; ++i) {
                std::string command = "echo:" + std::to_string(t) + ":" + std::to_string(i) + ";";
                char answer[64] = {};
                int n = SendCommand(command.c_str(), answer, sizeof answer - 1, nullptr, 0);
                if (n != static_cast<int>(command.size()) || command != answer) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    // The channel was built once for threads that all needed it at the same
    // moment: one forward, one connection, no failed exchange.
    EXPECT_EQ(ForwardRuns(), 1);
    EXPECT_EQ(companion.Accepted(), 1);
}

// ---- recovery ----

// A reconnect that finds no phone leaves the channel unconnected: the
// listings it runs are the reconnect table's; that every later command then
// fails at once until the next preparation is the phone test's.

TEST_F(ChannelTest, ForwardGoesToTheSelectedPhone) {
    ScriptedCompanion companion(EachCommand([](Peer& p, const std::string&) { p.Answer("x"); }));
    const struct {
        std::string serial;
        std::string forward;
    } cases[] = {
        {"SER1", "-s \"SER1\" forward tcp:25803 tcp:20151"},
        {"SER 1", "-s \"SER 1\" forward tcp:25803 tcp:20151"}, // one argument, blank and all
        {"", "forward tcp:25803 tcp:20151"},      // no phone listed: adb picks the only one
        {"SE\"R", "forward tcp:25803 tcp:20151"}, // would break the argument text
    };
    for (const auto& c : cases) {
        peers::Reset();
        peers::Answer().serial = c.serial;
        TCPConnect channel;
        EXPECT_EQ(ConnectWithForward(&channel), 0);
        EXPECT_EQ(channel.port, companion::kLocalPort);
        EXPECT_EQ(peers::ArgsOf("RunAdb"),
                  (std::vector<std::string>{"shell forward --remove-all", c.forward}))
            << "serial " << c.serial;
        platform::CloseSocket(channel.socket.exchange(-1));
    }
}

TEST_F(ChannelTest, FailedCommandSendReconnectsAndRetries) {
    ScriptedCompanion companion([&companion](Peer& peer) {
        while (auto command = peer.ReadCommand()) {
            peer.Answer("n" + std::to_string(peer.Index()));
            if (peer.Index() == 0) {
                companion.WaitReleased();
                peer.Reset(); // the connection breaks between two exchanges
                return;
            }
        }
    });
    char answer[8] = {};
    ASSERT_EQ(SendCommand("a;", answer, sizeof answer, nullptr, 0), 2);
    companion.Release();
    // Wait until the reset has reached the channel's socket.
    pollfd p{SharedChannel()->socket.load(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 10000), 1);

    LogSince log;
    EXPECT_EQ(SendCommand("b;", answer, sizeof answer, nullptr, 0), 2);
    EXPECT_STREQ(answer, "n1");
    EXPECT_EQ(log.Trace(88), 1);
    EXPECT_EQ(log.Count("SendCommandToAndroidServices error:cmd=b;\n"), 1);
    // The failure above did not end the command.
    EXPECT_EQ(log.Count("SendCommandToAndroidServices: answered on attempt 2:cmd=b;\n"), 1);
}

// True once the thread is asleep in the lock's 10 ms poll.
bool SleepingInPoll(pid_t tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/syscall");
    long number = -1;
    in >> number;
    return number == SYS_clock_nanosleep || number == SYS_nanosleep;
}

TEST_F(ChannelTest, SocketGoneWhileWaitingForTheLockFailsAtOnce) {
    ScriptedCompanion companion(EachCommand([](Peer& p, const std::string&) { p.Answer("x"); }));
    char answer[8] = {};
    ASSERT_EQ(SendCommand("a;", answer, sizeof answer, nullptr, 0), 1);
    std::shared_ptr<TCPConnect> channel = SharedChannel();

    // This thread plays another exchange that holds the lock and whose
    // reconnect leaves the channel unconnected.
    channel->lock.lock();
    std::atomic<pid_t> waiterTid{0};
    std::atomic<int> result{1};
    std::thread waiter([&] {
        waiterTid = static_cast<pid_t>(syscall(SYS_gettid));
        char buffer[8];
        result = SendCommand("b;", buffer, sizeof buffer, nullptr, 0);
    });
    for (int i = 0; i < 1000 && !(waiterTid && SleepingInPoll(waiterTid)); ++i) {
        std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(SleepingInPoll(waiterTid)) << "the second sender never waited for the lock";
    LogSince log;
    platform::CloseSocket(channel->socket.exchange(-1));
    channel->lock.unlock();
    waiter.join();

    EXPECT_EQ(result.load(), -1);
    EXPECT_EQ(log.Trace(80), 1);
    EXPECT_EQ(log.Count("SendCommandToAndroidServices error"), 0);
    EXPECT_TRUE(peers::ArgsOf("RefreshAdbDevices").empty());
}

struct ReconnectCase {
    const char* name;
    std::vector<int> refreshResults; // in call order; later calls fail
    int usbCount;
    std::vector<std::string> calls; // "<what> <args>"
    bool connected;
};

class ReconnectTest : public ChannelTest, public ::testing::WithParamInterface<ReconnectCase> {};

TEST_P(ReconnectTest, ListsRescansRestartsAndForwards) {
    const ReconnectCase& c = GetParam();
    ScriptedCompanion phone(EachCommand([](Peer& p, const std::string&) { p.Answer("x"); }));
    std::atomic<size_t> next{0};
    peers::Answer().refresh = [&c, &next](int) {
        size_t i = next++;
        return i < c.refreshResults.size() ? c.refreshResults[i] : -1;
    };
    peers::Answer().usbCount = c.usbCount;

    TCPConnect channel;
    channel.port = companion::kLocalPort;
    Reconnect(&channel);

    std::vector<std::string> calls;
    for (const peers::Call& call : peers::Calls()) {
        calls.push_back(call.what + (call.args.empty() ? "" : " " + call.args));
    }
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(channel.socket.load() >= 0, c.connected);
    platform::CloseSocket(channel.socket.exchange(-1));
}

const std::vector<std::string> kForwardCalls = {"RunAdb shell forward --remove-all",
                                                "RunAdb -s \"SER1\" forward tcp:25803 tcp:20151"};

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& b) {
    first.insert(first.end(), b.begin(), b.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReconnectTest,
    ::testing::Values(
        ReconnectCase{"ListedAtOnce", {0}, 1, Then({"RefreshAdbDevices 0"}, kForwardCalls), true},
        ReconnectCase{"ListedAtSecondTry",
                      {-1, 0},
                      1,
                      Then({"RefreshAdbDevices 0", "RefreshAdbDevices 0"}, kForwardCalls),
                      true},
        ReconnectCase{"NotListedAndNotOnUsb",
                      {},
                      0,
                      {"RefreshAdbDevices 0", "RefreshAdbDevices 0", "RescanUsbDevices"},
                      false},
        ReconnectCase{"OnUsbAndListedAfterRestart",
                      {-1, -1, 0},
                      1,
                      Then({"RefreshAdbDevices 0", "RefreshAdbDevices 0", "RescanUsbDevices",
                            "RefreshAdbDevices 1"},
                           kForwardCalls),
                      true},
        ReconnectCase{"OnUsbButNeverListedStillForwards",
                      {},
                      1,
                      Then({"RefreshAdbDevices 0", "RefreshAdbDevices 0", "RescanUsbDevices",
                            "RefreshAdbDevices 1", "RefreshAdbDevices 1"},
                           kForwardCalls),
                      true}),
    [](const ::testing::TestParamInfo<ReconnectCase>& info) { return info.param.name; });

// ---- a companion that goes silent on an open connection ----

struct SilentCase {
    const char* name;
    std::function<void(Peer&)> beforeSilence;
    int trace101, trace123;
};

class SilentCompanionTest : public ChannelTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentCompanionTest, FailsAfterRealTimeoutAndNextPreparationWorks) {
    const SilentCase& c = GetParam();
    constexpr int kTimeoutMs = 300;
    SetChannelIoTimeoutMs(kTimeoutMs);
    std::atomic<bool> answering{false};
    ScriptedCompanion companion([&](Peer& peer) {
        while (auto command = peer.ReadCommand()) {
            if (!answering.load()) {
                c.beforeSilence(peer);
                peer.WaitClosed(); // silent until the channel gives up on us
                return;
            }
            peer.Answer("HI-PC");
        }
    });
    LogSince log;
    char answer[16] = {};

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendCommand("hello-android;", answer, sizeof answer, nullptr, 0), -1);
    auto elapsed = std::chrono::steady_clock::now() - start;

    // Three attempts, each ending at the time-out, with a reconnect (two
    // 300 ms forward pauses) after each: about 3 x 0.9 s. Far below what a
    // receive without a time-out would take (forever).
    EXPECT_LT(elapsed, std::chrono::seconds(8));
    EXPECT_EQ(log.Trace(101), c.trace101);
    EXPECT_EQ(log.Trace(123), c.trace123);
    EXPECT_EQ(log.Count("SendCommandToAndroidServices error:cmd=hello-android;\n"), 3);

    // The next preparation discards the channel and works with a companion
    // that answers again.
    answering = true;
    DiscardSharedChannel();
    EXPECT_EQ(SendCommand("hello-android;", answer, sizeof answer, nullptr, 0), 5);
    EXPECT_STREQ(answer, "HI-PC");
}

INSTANTIATE_TEST_SUITE_P(
    Silence, SilentCompanionTest,
    ::testing::Values(SilentCase{"BeforeTheLength", [](Peer&) {}, 3, 0},
                      SilentCase{"InTheMiddleOfTheBody",
                                 [](Peer& p) { p.SendRaw(Int32Le(10) + "abc"); }, 0, 3}),
    [](const ::testing::TestParamInfo<SilentCase>& info) { return info.param.name; });

} // namespace
