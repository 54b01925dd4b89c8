// Preparing the phone: stop, remove, reinstall and start the companion
// service from the package file beside the program, then greet it over the
// command channel. Every preparation is a full reinstall.
#include "tarvellkit/tarvellkit.h"

#include "TCPConnect.h"
#include "command_line.h"
#include "companion_protocol.h"
#include "device_table.h"
#include "platform/paths.h"
#include "runner.h"

#include <atomic>
#include <cstring>
#include <string>

namespace {

// Preparation progress in percent; written only by Tarvell_ReadyTodoing.
std::atomic<int> g_progress{0};

// "-s <serial> <rest>" with the serial quoted as one argument; empty when
// there is no selected phone or the serial holds a double quote.
std::string ForPhone(const std::string& serial, const std::string& rest) {
    if (serial.empty() || !IsSafeAdbText(serial.c_str())) {
        return {};
    }
    return "-s " + QuoteCommandLineArgument(serial) + " " + rest;
}

// A step whose argument text was refused fails without starting adb.
int RunStep(int (*run)(const char*), const std::string& args) {
    return args.empty() ? -1 : run(args.c_str());
}

int StopCompanion(const std::string& serial) {
    return RunStep(RunAdbTimed,
                   ForPhone(serial, std::string("shell am force-stop ") + companion::kPackage));
}

int UninstallCompanion(const std::string& serial) {
    return RunStep(RunAdbTimed, ForPhone(serial, std::string("uninstall ") + companion::kPackage));
}

int InstallCompanion(const std::string& serial) {
    const std::string packageFile = platform::ProgramFolder() + "/" + companion::kPackageFile;
    if (!IsSafeAdbText(packageFile.c_str())) {
        return -1;
    }
    return RunStep(RunAdb, ForPhone(serial, "install " + QuoteCommandLineArgument(packageFile)));
}

int StartCompanion(const std::string& serial) {
    return RunStep(RunAdb, ForPhone(serial, std::string("shell am start -n ") +
                                                companion::kPackage + "/" + companion::kActivity));
}

// The greeting is the only proof that the companion runs: its answer must be
// exactly "HI-PC", no more and no less.
int GreetCompanion() {
    constexpr int kAnswerSize = 1024;
    char answer[kAnswerSize + 1] = {};
    int n = SendCommand(companion::kGreeting, answer, kAnswerSize, nullptr, 0);
    const size_t expected = std::strlen(companion::kGreetingAnswer);
    if (n <= 0 || static_cast<size_t>(n) != expected ||
        std::memcmp(answer, companion::kGreetingAnswer, expected) != 0) {
        return -1;
    }
    return 0;
}

} // namespace

extern "C" TARVELL_API int Tarvell_ReadyTodoing(int /*deviceIndex: always row 0*/) {
    g_progress.store(10);
    DiscardSharedChannel();

    // Without a selected phone every "-s" step would address nothing: the
    // steps then fail without starting adb.
    const std::string serial = SelectedSerial();

    int ok = StopCompanion(serial);
    g_progress.store(20);
    if (ok != 0) {
        return -1;
    }
    ok = UninstallCompanion(serial);
    g_progress.store(30);
    if (ok != 0) {
        return -1;
    }
    ok = InstallCompanion(serial);
    g_progress.store(50);
    if (ok != 0) {
        return -1;
    }
    if (StartCompanion(serial) != 0) {
        return -1;
    }
    g_progress.store(70);
    if (GreetCompanion() != 0) {
        return -1;
    }
    g_progress.store(100);
    return 0;
}

extern "C" TARVELL_API int Tarvell_GetReadyTodoProgress(void) {
    return g_progress.load(std::memory_order_relaxed);
}
