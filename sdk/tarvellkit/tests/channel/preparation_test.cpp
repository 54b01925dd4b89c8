// Companion preparation: the adb steps, their order and arguments, the
// progress at each step, and the greeting over the channel.
#include "scripted_companion.h"

#include "tarvellkit/tarvellkit.h"

#include <future>

namespace {

const std::string kStop = "-s \"SER1\" shell am force-stop com.velmora.tarvell";
const std::string kRemove = "-s \"SER1\" uninstall com.velmora.tarvell";
const std::string kStart = "-s \"SER1\" shell am start -n "
                           "com.velmora.tarvell/com.velmora.tarvell.activity.ServiceActivity";

std::string InstallArgs() {
    return "-s \"SER1\" install \"" + platform::ProgramFolder() + "/tarvell.apk\"";
}

// A companion that answers the greeting with greeting(peer).
ScriptedCompanion::Script Greets(std::function<void(Peer&)> greeting) {
    return [greeting](Peer& peer) {
        while (auto command = peer.ReadCommand()) {
            if (*command == "hello-android;") {
                greeting(peer);
            } else {
                peer.SendLength(0);
            }
        }
    };
}

void SaysHello(Peer& peer) {
    peer.Answer("HI-PC");
}

using PreparationTest = ChannelTest;

TEST_F(PreparationTest, ReinstallsStartsAndGreetsWithProgressAtEachStep) {
    std::vector<std::string> seen; // "<runner> <args> @<progress>", greeting included
    std::mutex seenMutex;
    auto note = [&](const std::string& what) {
        std::lock_guard lock(seenMutex);
        seen.push_back(what + " @" + std::to_string(Tarvell_GetReadyTodoProgress()));
    };
    peers::Answer().run = [&](const std::string& what, const std::string& args) {
        note(what + " " + args);
        return 0;
    };
    ScriptedCompanion companion(Greets([&](Peer& peer) {
        note("greeting");
        SaysHello(peer);
    }));

    EXPECT_EQ(Tarvell_ReadyTodoing(0), 0);
    EXPECT_EQ(Tarvell_GetReadyTodoProgress(), 100);

    std::lock_guard lock(seenMutex);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "RunAdbTimed " + kStop + " @10",
                        "RunAdbTimed " + kRemove + " @20",
                        "RunAdb " + InstallArgs() + " @30",
                        "RunAdb " + kStart + " @50",
                        "RunAdb shell forward --remove-all @70",
                        "RunAdb -s \"SER1\" forward tcp:25803 tcp:20151 @70",
                        "greeting @70",
                    }));
}

struct FailureCase {
    const char* name;
    std::string failingArgs; // the adb step that fails ("" = none)
    std::string serial;
    std::function<void(Peer&)> greeting;
    int progress;   // where the preparation stops
    size_t adbRuns; // RunAdb and RunAdbTimed calls made
};

class PreparationFailureTest : public ChannelTest,
                               public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PreparationFailureTest, StopsAtTheFailingStep) {
    const FailureCase& c = GetParam();
    peers::Answer().serial = c.serial;
    peers::Answer().run = [&c](const std::string&, const std::string& args) {
        return !c.failingArgs.empty() && args == c.failingArgs ? -1 : 0;
    };
    ScriptedCompanion companion(Greets(c.greeting));

    EXPECT_EQ(Tarvell_ReadyTodoing(0), -1);
    EXPECT_EQ(Tarvell_GetReadyTodoProgress(), c.progress);
    EXPECT_EQ(peers::ArgsOf("RunAdb").size() + peers::ArgsOf("RunAdbTimed").size(), c.adbRuns);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PreparationFailureTest,
    ::testing::Values(
        FailureCase{"StopFails", kStop, "SER1", SaysHello, 20, 1},
        FailureCase{"RemovalFails", kRemove, "SER1", SaysHello, 30, 2},
        FailureCase{"InstallCannotStart", InstallArgs(), "SER1", SaysHello, 50, 3},
        FailureCase{"StartCannotStart", kStart, "SER1", SaysHello, 50, 4},
        // The greeting is compared exactly.
        FailureCase{"GreetingWithExtraText", "", "SER1",
                    [](Peer& p) { p.Answer("HI-PC and more"); }, 70, 6},
        FailureCase{"GreetingCutShort", "", "SER1", [](Peer& p) { p.Answer("HI-P"); }, 70, 6},
        FailureCase{"GreetingWithTerminator", "", "SER1",
                    [](Peer& p) { p.Answer(std::string("HI-PC\0", 6)); }, 70, 6},
        FailureCase{"GreetingInOtherCase", "", "SER1", [](Peer& p) { p.Answer("hi-pc"); }, 70, 6},
        FailureCase{"EmptyGreeting", "", "SER1", [](Peer& p) { p.SendLength(0); }, 70, 6},
        // Nothing listens on the phone (as after a failed install): the
        // forwarded connection is accepted and closed; three attempts, each
        // followed by a reconnect (two forward commands).
        FailureCase{"NothingListensOnThePhone", "", "SER1", [](Peer& p) { p.Close(); }, 70, 12},
        // A serial that would break the argument text, or none at all:
        // nothing is started.
        FailureCase{"SerialWithQuote", "", "SER\"1", SaysHello, 20, 0},
        FailureCase{"NoSelectedPhone", "", "", SaysHello, 20, 0},
        // A serial with a blank stays one argument.
        FailureCase{"SerialWithBlankStaysOneArgument",
                    "-s \"SER 1\" shell am force-stop com.velmora.tarvell", "SER 1", SaysHello, 20,
                    1}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(PreparationTest, ACompanionStillStartingIsWaitedForWithoutARetry) {
    struct Case {
        const char* name;
        int refusedConnections; // closed at once, as adb does while nothing listens
        int result;
        size_t forwardCommands;
    };
    const Case cases[] = {
        // Reached within the wait after the forward: one greeting, no reconnect.
        {"listens after three refusals", 3, 0, 2},
        // Never listens: the whole wait before each of the three attempts,
        // and a reconnect after each.
        {"never listens", 1000000, -1, 8},
    };
    for (const Case& c : cases) {
        peers::Reset();
        ScriptedCompanion companion([&c](Peer& peer) {
            if (peer.Index() < c.refusedConnections) {
                peer.Close();
                return;
            }
            Greets(SaysHello)(peer);
        });
        EXPECT_EQ(Tarvell_ReadyTodoing(0), c.result) << c.name;
        EXPECT_EQ(Tarvell_GetReadyTodoProgress(), c.result == 0 ? 100 : 70) << c.name;
        size_t forwards = 0;
        for (const std::string& args : peers::ArgsOf("RunAdb")) {
            forwards += args.find("forward") != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(forwards, c.forwardCommands) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(companion.Accepted(), c.refusedConnections + 1) << c.name;
        }
    }
}

TEST_F(PreparationTest, SecondPreparationBuildsANewChannel) {
    std::promise<void> firstClosed;
    ScriptedCompanion companion([&](Peer& peer) {
        while (auto command = peer.ReadCommand()) {
            peer.Answer("HI-PC");
        }
        if (peer.Index() == 0) {
            firstClosed.set_value();
        }
    });

    ASSERT_EQ(Tarvell_ReadyTodoing(0), 0);
    std::shared_ptr<TCPConnect> first = SharedChannel();
    ASSERT_EQ(Tarvell_ReadyTodoing(0), 0);

    EXPECT_NE(SharedChannel(), first);
    EXPECT_EQ(first->socket.load(), -1);
    EXPECT_EQ(firstClosed.get_future().wait_for(std::chrono::seconds(10)),
              std::future_status::ready)
        << "the first preparation's connection was not closed";
    EXPECT_EQ(companion.Accepted(), 2);
}

TEST_F(PreparationTest, FailedPreparationIsRunAgainWhole) {
    ScriptedCompanion companion(Greets(SaysHello));
    peers::Answer().run = [](const std::string&, const std::string& args) {
        return args.find(" install ") != std::string::npos ? -1 : 0;
    };
    ASSERT_EQ(Tarvell_ReadyTodoing(0), -1);
    ASSERT_EQ(Tarvell_GetReadyTodoProgress(), 50);

    int progressAtFirstStep = -1;
    peers::Reset();
    peers::Answer().run = [&](const std::string&, const std::string& args) {
        if (args == kStop) {
            progressAtFirstStep = Tarvell_GetReadyTodoProgress();
        }
        return 0;
    };
    EXPECT_EQ(Tarvell_ReadyTodoing(0), 0);
    EXPECT_EQ(progressAtFirstStep, 10);
    EXPECT_EQ(peers::ArgsOf("RunAdbTimed").front(), kStop);
}

} // namespace
