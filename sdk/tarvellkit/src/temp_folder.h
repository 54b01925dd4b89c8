// The library's private temporary folder "<tmp>/Temp_tarvell-<uid>/".
#pragma once

#include <string>

// The folder with its trailing slash, set up on first use (mode 0700; a
// link or a folder of another user is refused). "" while it cannot be had;
// a later call tries again.
std::string TempFolder();
