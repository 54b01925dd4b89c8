// The real companion app, for a phone set to run it ("companion": "dex"):
// its JVM harness runs as a process of its own and writes "PORT PID" to
// <phone>/.companion/ready once it listens on this computer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace phonesim {

struct HarnessReady {
    int port = 0;
    int64_t pid = 0;
};

std::string HarnessReadyPath(const std::string& home);
// The running harness's port and process; nothing when none runs.
std::optional<HarnessReady> RunningHarness(const std::string& home);
// Waits up to timeout_ms for the harness to listen.
std::optional<HarnessReady> WaitForHarness(const std::string& home, int timeout_ms);
// Starts the harness on package apk with runner, detached from the caller
// (no descriptor, session or parent of the caller); returns at once.
bool LaunchHarness(const std::string& home, const std::string& runner, const std::string& apk);
// Ends the running harness, if any: removes its ready file, which the
// harness watches, and waits until it no longer listens.
void StopHarness(const std::string& home);

} // namespace phonesim
