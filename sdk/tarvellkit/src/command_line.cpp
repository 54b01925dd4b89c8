#include "command_line.h"

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false; // something (even "") has started an argument
    bool quoted = false;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < n && text[i] == '\\') {
                ++slashes;
                ++i;
            }
            inArgument = true;
            if (i < n && text[i] == '"') {
                current.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    current.push_back('"');
                    ++i;
                }
                // An even count leaves the quote to the next round.
            } else {
                current.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            inArgument = true;
            if (quoted && i + 1 < n && text[i + 1] == '"') {
                current.push_back('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                args.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        current.push_back(c);
        inArgument = true;
        ++i;
    }
    if (inArgument) {
        args.push_back(std::move(current));
    }
    return args;
}

std::string QuoteCommandLineArgument(std::string_view argument) {
    std::string out = "\"";
    size_t slashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled, and the quote escaped.
            out.append(slashes * 2 + 1, '\\');
        } else {
            out.append(slashes, '\\');
        }
        slashes = 0;
        out.push_back(c);
    }
    // Backslashes before the closing quote are doubled as well.
    out.append(slashes * 2, '\\');
    out.push_back('"');
    return out;
}
