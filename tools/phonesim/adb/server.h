// The adb server stand-in: a detached process (named adb) that owns the port
// forwards of one phone folder and serves forwarded connections with the
// companion emulator.
#pragma once

#include <string>

namespace phonesim {

// Runs the server until "kill", SIGTERM, or the phone folder disappears.
// `reply_fd` (or -1) receives "OK\n" once the server listens, "BUSY\n"
// when another server of this folder runs already.
int RunServer(const std::string& home, int reply_fd);

// Makes sure a server runs for `home`, starting one detached when needed.
// Prints adb's start messages to standard error. False when none could start.
// `quick` only checks that the server listens.
bool EnsureServer(const std::string& home, bool quick = false);

} // namespace phonesim
