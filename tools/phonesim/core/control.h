// The control channel of the adb server stand-in: an abstract Unix socket
// named after the user and the phone folder. One request line, then a reply
// whose first line is "OKAY[ text]" or "FAIL text", then any content lines.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace phonesim {

// The socket name (without the leading NUL) for a phone folder.
std::string ControlName(const std::string& home);
// Listening socket, or -1 (errno EADDRINUSE when a server runs already).
int ListenControl(const std::string& home);
// True when a server listens (a connect, no request).
bool ControlListening(const std::string& home);
// Sends one request; the whole reply, or nothing when no server answers.
std::optional<std::string> ControlRequest(const std::string& home, const std::string& line);
// Serves one request on the listening socket listener: accepts a client,
// reads its request line (up to 4 KiB, waiting up to 2 s), sends back what
// answer gives for the line (without its newline) and closes the client.
void ServeControlRequest(int listener,
                         const std::function<std::string(const std::string&)>& answer);

} // namespace phonesim
