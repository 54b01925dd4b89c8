#include "media_common.h"

#include "TCPConnect.h"
#include "convert.h"
#include "runner.h"

#include <cstring>
#include <vector>

namespace kitmedia {

int32_t IntReply(const std::string& command) {
    return TryIntReply(command).value_or(0);
}

std::optional<int32_t> TryIntReply(const std::string& command) {
    unsigned char reply[4] = {};
    const int received = SendCommand(command.c_str(), reply, sizeof reply, nullptr, 0);
    if (received < 0) {
        return std::nullopt;
    }
    const uint32_t value = static_cast<uint32_t>(reply[0]) | static_cast<uint32_t>(reply[1]) << 8 |
                           static_cast<uint32_t>(reply[2]) << 16 |
                           static_cast<uint32_t>(reply[3]) << 24;
    return static_cast<int32_t>(value);
}

bool IsQuotableAdbText(const char* text) {
    if (!IsSafeAdbText(text)) {
        return false;
    }
    const size_t length = std::strlen(text);
    return length == 0 || text[length - 1] != '\\';
}

bool IsPlainCommandArgument(const char* text) {
    return IsQuotableAdbText(text) && std::strpbrk(text, ":;") == nullptr;
}

std::string HexText(const char* text, int capacity) {
    std::vector<char> out(static_cast<size_t>(capacity) + 1);
    int digits = capacity;
    const int length = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
    if (HexEncode(text, length, out.data(), &digits) != 0) {
        return {};
    }
    return std::string(out.data(), static_cast<size_t>(digits));
}

} // namespace kitmedia
