// Helpers shared by the media, app and device-facts exports: numeric
// companion replies and the checks on texts that reach adb or a command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kitmedia {

// Sends command and reads its 4-byte little-endian reply into a zeroed
// integer: a failed or empty exchange gives 0, a short one its bytes.
int32_t IntReply(const std::string& command);

// The same, but a failed exchange gives nullopt.
std::optional<int32_t> TryIntReply(const std::string& command);

// True when text may stand inside a quoted adb argument: no '"' (which
// would end the quotes) and no final '\' (which would escape the closing
// quote under the command-line rules the runner splits by).
bool IsQuotableAdbText(const char* text);

// True when text may stand as a plain-text argument of a companion command
// that also reaches adb: no ':' or ';' (which would end the argument or the
// command early) and quotable for adb.
bool IsPlainCommandArgument(const char* text);

// Runs an export's body; no exception crosses the C interface: running out
// of memory gives the export's failure result.
template <typename Body> int Guarded(int onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// The uppercase hexadecimal of text's bytes, at most capacity digits.
std::string HexText(const char* text, int capacity = 1024);

} // namespace kitmedia
