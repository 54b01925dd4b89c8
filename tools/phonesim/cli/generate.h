// Writes a phone folder from a preset and a seed: the same seed always gives
// the same phone.
#pragma once

#include <cstdint>
#include <string>

namespace phonesim {

// preset: empty, tiny, small or large. False with a reason on failure.
bool GeneratePhone(const std::string& preset, uint64_t seed, const std::string& dir,
                   std::string* error);

// udev device description (umockdev format) of the phone as a USB device.
std::string UmockdevDescription(const std::string& serial, const std::string& model);

} // namespace phonesim
