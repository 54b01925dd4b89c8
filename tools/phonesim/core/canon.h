// A phone's contents in a canonical form that leaves out what the phone
// assigns (record ids, thread ids, media ids and folders, install times):
// the base of `phonesim dump` and `phonesim diff`.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace phonesim {

struct CanonItem {
    std::string kind;     // contact, sms, call, app, photo, music, video
    std::string pair_key; // what pairs two versions of one item in a diff
    std::vector<std::pair<std::string, std::string>> fields; // sorted by key
    std::string Line() const;
};

struct CanonOptions {
    bool strict = false; // an empty field differs from a missing one
};

// Every item of the phone, sorted by kind and line. Nothing (with the
// reason) when a file of the phone cannot be read.
std::optional<std::vector<CanonItem>>
CanonicalContents(const std::string& dir, const CanonOptions& opt, std::string* error);

// Differences of two phones as report lines; empty when they hold the same.
std::vector<std::string> DiffContents(const std::vector<CanonItem>& a,
                                      const std::vector<CanonItem>& b);

std::string QuoteText(const std::string& s);

} // namespace phonesim
