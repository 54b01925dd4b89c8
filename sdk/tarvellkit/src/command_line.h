// Splits an argument text into argv by the Windows command-line rules, the
// form in which every adb argument text of the library is written:
//  - blanks and tabs separate arguments, outside double quotes;
//  - a double quote opens or closes a quoted part (the quote is dropped);
//    inside quotes, "" gives one literal double quote;
//  - 2n backslashes before a double quote give n backslashes and the quote
//    keeps its meaning; 2n+1 give n backslashes and a literal double quote;
//  - backslashes elsewhere are literal (C:\a\b stays as it is);
//  - "" on its own is an empty argument.
// The text never passes through a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitCommandLine(std::string_view text);

// The argument as one quoted argument of an argument text: SplitCommandLine
// gives it back unchanged, blanks, backslashes and double quotes included.
std::string QuoteCommandLineArgument(std::string_view argument);
