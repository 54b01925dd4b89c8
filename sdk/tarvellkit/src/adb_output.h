// Reading what adb prints: adb runs with its standard output on a fresh
// temporary file (4000 ms at most, RunAdbToFile), the file is read back and
// removed.
#pragma once

#include <cstddef>
#include <string>

enum class AdbOutputStatus {
    Ok,      // *out holds the whole output
    Missing, // no output file (adb could not be started)
    TooLong, // more than limit bytes; *out is empty
};

AdbOutputStatus ReadAdbOutput(const char* args, size_t limit, std::string* out);
