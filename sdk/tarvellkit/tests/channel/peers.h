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

std::vector<Call> Calls();
// Calls of one kind, in order.
std::vector<std::string> ArgsOf(const std::string& what);

// Result of RunAdb/RunAdbTimed (default: 0 for every command). The function
// runs on the caller's thread, so a test can also act like adb there.
void SetRunResult(std::function<int(const std::string& what, const std::string& args)> result);
// Result of each RefreshAdbDevices call (default: 0, a ready phone).
void SetRefreshResult(std::function<int(int restart)> result);
void SetUsbCount(int count); // what RescanUsbDevices finds (default 1)
void SetSerial(std::string serial);

// Clears the calls and restores the defaults (serial "SER1").
void Reset();

} // namespace peers
