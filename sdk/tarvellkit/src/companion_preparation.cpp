// Preparing the phone: stop, remove, reinstall and start the companion
// service from the package file beside the program, then greet it over the
// command channel. Every preparation is a full reinstall.
#include "tarvellkit/tarvellkit.h"

#include "TCPConnect.h"
#include "companion_protocol.h"
#include "device_table.h"
#include "platform/paths.h"
#include "runner.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Preparation progress in percent; written only by Tarvell_ReadyTodoing.
std::atomic<int> g_progress{0};

constexpr size_t kArgsSize = 2048;

// Runs one adb step addressed to the selected phone. A step without a
// selected phone, or with a serial or path that would break the argument
// text, fails without starting adb.
template <typename Runner, typename... Texts>
int RunPhoneStep(Runner run, const char* format, const Texts&... texts) {
    if (!(IsSafeAdbText(texts.c_str()) && ...)) {
        return -1;
    }
    char args[kArgsSize];
    int n = std::snprintf(args, sizeof args, format, texts.c_str()...);
    if (n < 0 || static_cast<size_t>(n) >= sizeof args) {
        return -1;
    }
    return run(args);
}

int StopCompanion(const std::string& serial) {
    return RunPhoneStep(RunAdbTimed, "-s %s shell am force-stop %s", serial,
                        std::string(companion::kPackage));
}

int UninstallCompanion(const std::string& serial) {
    return RunPhoneStep(RunAdbTimed, "-s %s uninstall %s", serial,
                        std::string(companion::kPackage));
}

int InstallCompanion(const std::string& serial) {
    std::string packageFile = platform::ProgramFolder() + "/" + companion::kPackageFile;
    return RunPhoneStep(RunAdb, "-s %s install \"%s\"", serial, packageFile);
}

int StartCompanion(const std::string& serial) {
    return RunPhoneStep(RunAdb, "-s %s shell am start -n %s/%s", serial,
                        std::string(companion::kPackage), std::string(companion::kActivity));
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

    const std::string serial = SelectedSerial();
    // Without a selected phone every "-s" step would address nothing.
    const bool havePhone = !serial.empty();

    int ok = havePhone ? StopCompanion(serial) : -1;
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
