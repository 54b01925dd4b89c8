// Test doubles of the library's channel, runner, device table and USB scan,
// for unit tests that compile one library module against scripted peers.
// A test executable links tarvellkit_fakes together with the library sources
// under test (never with tarvellkit_static, which holds the real ones).
#pragma once

#include "tarvellkit/tarvellkit.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fakes {

// ---- channel (SendCommand) ----
struct Exchange {
    std::string command;
    std::string payload;
};

// Answers one command: the reply body, or nullopt for a failed exchange (-1).
using CompanionHandler = std::function<std::optional<std::string>(const std::string& command,
                                                                  const std::string& payload)>;

void SetCompanion(CompanionHandler handler); // default: every command answered with an empty body
std::vector<Exchange> Exchanges();           // every exchange since the last Reset()
std::vector<std::string> Commands();         // the command texts only

// Reply helpers.
std::string Int32Reply(int32_t value);
std::string Int64Reply(int64_t value);

// ---- runner ----
struct AdbRun {
    std::string how; // "RunAdb", "RunAdbTimed", "RunAdbToFile", "RunProgram", "RunAdbDetached"
    std::string args;
};
std::vector<AdbRun> AdbRuns();
void SetRunResult(int result); // what every runner operation returns (default 0)
// Called for RunAdb: lets a test act like adb (e.g. write the pulled file).
void SetAdbAction(std::function<void(const std::string& args)> action);

// ---- device table and USB ----
void SetDeviceRow0(const AdbDeviceEntry& row, int rowCount = 1);
void SetUsbCount(int count);
int UsbScanCount(); // RescanUsbDevices() calls

// Clears every recorded call and restores the defaults.
void Reset();

} // namespace fakes
