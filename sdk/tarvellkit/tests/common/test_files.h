// Helpers every library test folder uses: whole files, the library's log,
// hex texts and running a helper program to its end. Header only, so that
// unit tests against the fakes and tests against the real library can share
// it without linking anything.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace testfiles {

// The bytes of a file; empty when it is missing.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The library's log under the test's private HOME.
inline std::string LogText() {
    const char* home = std::getenv("HOME");
    return ReadFile(std::string(home ? home : "") + "/Documents/LogFiles/tarvell.log");
}

// Uppercase hexadecimal of the bytes, as the companion's records carry them.
inline std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

// Runs argv[0] (a path) with argv and waits for it: its exit code, or -1.
inline int RunAndWait(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (std::string& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (args[0] == nullptr ||
        posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testfiles
