// Scripted stand-ins for what the channel and the preparation call outside
// their own modules: the adb runner, the device table and the USB scan. They
// record every call and answer as the test says.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace peers {

struct Call {
    std::string what; // "RunAdb", "RunAdbTimed", "RefreshAdbDevices", "RescanUsbDevices"
    std::string args; // adb argument text, or "0"/"1" (restart flag) for a listing
};

// What the stand-ins answer. Tests change it between exchanges, never while
// one runs; the functions run on the caller's thread.
struct Answers {
    // RunAdb and RunAdbTimed; unset: 0 for every command.
    std::function<int(const std::string& what, const std::string& args)> run;
    // Each RefreshAdbDevices; unset: 0, a ready phone.
    std::function<int(int restart)> refresh;
    int usbCount = 1; // what RescanUsbDevices finds
    std::string serial = "SER1";
};
Answers& Answer();

std::vector<Call> Calls();
// Calls of one kind, in order.
std::vector<std::string> ArgsOf(const std::string& what);

// Clears the calls and restores the default answers.
void Reset();

} // namespace peers
