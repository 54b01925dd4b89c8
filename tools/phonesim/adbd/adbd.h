// phonesim as an adb device on a loopback TCP port: it speaks the adb
// transport protocol (CNXN/AUTH/OPEN/OKAY/WRTE/CLSE) so that a real adb
// client and server talk to the simulated phone, with only the phone side
// simulated. Shell commands, installs and removals run through the adb
// stand-in (the phone's command handling lives there once); copies (sync:)
// and forwarded streams (tcp:) are served here.
#pragma once

#include <string>

namespace phonesim::adbd {

struct Options {
    std::string home;    // the phone folder
    int port = 0;        // 0: a free port, printed on standard output
    int server_port = 0; // adb server to announce the phone to; 0: none
    std::string standin; // the adb stand-in; default: "adb" beside this program
};

// Serves until SIGTERM/SIGINT, a "kill" control request, or the removal of
// the phone folder. Returns the exit code.
int Run(const Options& options);

} // namespace phonesim::adbd
