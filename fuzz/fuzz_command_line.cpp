// SplitCommandLine over arbitrary argument texts, and the quoting round
// trip: every argument it gives, quoted and joined again, splits back into
// the same arguments.
#include "command_line.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 14) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = SplitCommandLine(text);

    std::string joined;
    for (const std::string& arg : args) {
        const std::string quoted = QuoteCommandLineArgument(arg);
        const std::vector<std::string> one = SplitCommandLine(quoted);
        FUZZ_CHECK(one.size() == 1 && one[0] == arg);
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += quoted;
    }
    FUZZ_CHECK(SplitCommandLine(joined) == args);

    // The input's bytes taken as one argument survive quoting as well.
    const std::string whole(text);
    const std::vector<std::string> back = SplitCommandLine(QuoteCommandLineArgument(whole));
    FUZZ_CHECK(back.size() == 1 && back[0] == whole);
    return 0;
}
