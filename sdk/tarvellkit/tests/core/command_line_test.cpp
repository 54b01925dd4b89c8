// Argument texts to argv by the Windows command-line rules.
#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> argv;
};

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    const SplitCase cases[] = {
        {"devices", {"devices"}},
        {"", {}},
        {"   \t ", {}},
        {"  -s  SER1   shell  getprop  ro.product.model ",
         {"-s", "SER1", "shell", "getprop", "ro.product.model"}},
        {" -s SER1\tshell", {"-s", "SER1", "shell"}},
        // quoted paths with blanks stay one argument, quotes dropped
        {"-s SER1 install \"/home/a b/tarvell.apk\"",
         {"-s", "SER1", "install", "/home/a b/tarvell.apk"}},
        {"pull \"/sdcard/My Photos/x.jpg\" \"/tmp/out dir/x.jpg\"",
         {"pull", "/sdcard/My Photos/x.jpg", "/tmp/out dir/x.jpg"}},
        // quotes may open and close inside an argument
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"a \"\" b", {"a", "", "b"}},
        {"\"unclosed quote runs to the end", {"unclosed quote runs to the end"}},
        // backslashes are literal unless they precede a quote
        {"C:\\dir\\file.txt", {"C:\\dir\\file.txt"}},
        {"a\\\\b", {"a\\\\b"}},
        {"\\\"quoted\\\"", {"\"quoted\""}},     // \" is a literal quote
        {"\"a\\\\\" b", {"a\\", "b"}},          // \\" : one backslash, quote closes
        {"\"a\\\\\\\" b\"", {"a\\\" b"}},       // \\\" : backslash and literal quote
        {"\"dir\\\\\"", {"dir\\"}},             // a folder path ending in a backslash
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}}, // "" inside quotes is one quote
        {"tab\"\t\"inside", {"tab\tinside"}},
        {"ünïcødé \"日本 語\"", {"ünïcødé", "日本 語"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.text), c.argv) << "text: " << c.text;
    }
}

TEST(QuoteCommandLineArgument, SplitsBackToTheSameArgument) {
    const std::vector<std::string> samples = {
        "",       "plain",  "with blank", "trailing\\",     "two\\\\", "\"",
        "a\\\"b", "\\\"\\", "tab\there",  "C:\\My Files\\", "日本 語",
    };
    for (const std::string& s : samples) {
        EXPECT_EQ(SplitCommandLine(QuoteCommandLineArgument(s)), std::vector<std::string>{s}) << s;
    }
    // Random texts are the fuzz target fuzz_command_line (replayed in every build).
}

} // namespace
