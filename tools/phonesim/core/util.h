// Small helpers shared by the simulated phone's programs: hex text, files,
// the phone folder lock, time texts and detached processes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

// Upper-case hexadecimal of every byte, two digits per byte.
std::string HexEncode(std::string_view bytes);
// Decodes hex text two digits at a time (either case). Returns nothing when
// the text has an odd length or a character that is not a hex digit.
std::optional<std::string> HexDecode(std::string_view hex);

// Appends s in double quotes with '"', '\\', newline, return and tab escaped
// by a backslash. Other control bytes become \u00XX (Json, where DEL stays
// as it is) or \xXX (Plain, DEL included), so a quoted text is one line.
enum class QuoteStyle { Json, Plain };
void AppendQuoted(std::string& out, std::string_view s, QuoteStyle style);

// Reads a whole file; nothing when it cannot be opened.
std::optional<std::string> ReadFile(const std::string& path);
// Writes a file through a temporary name and rename, so readers never see a
// half-written file. Returns false on any failure (the old file stays).
bool WriteFileAtomic(const std::string& path, std::string_view data);
bool MakeDirs(const std::string& path);
bool IsDir(const std::string& path);
bool IsFile(const std::string& path);

// Whole-folder lock (flock on DIR/.phonesim.lock) held for one
// read-modify-write of the phone's files by any of the programs.
class FolderLock {
public:
    explicit FolderLock(const std::string& dir);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

// Local time "YYYY-MM-DD HH:MM:SS" of seconds since 1970, and back.
std::string LocalDateText(int64_t seconds);
std::optional<int64_t> ParseLocalDateText(std::string_view text);

// Strict decimal reading of a whole text (optional leading '-').
std::optional<int64_t> ParseInt(std::string_view text);

// Starts a process detached from the caller: forked twice, so that it is
// nobody's child, in a session of its own. start runs in that process and
// never returns: it sets up the descriptors the process keeps and ends in
// exec or _exit. The caller may have threads, so start makes only calls that
// are safe after fork (no allocation). Returns false when a fork failed.
bool StartDetached(const std::function<void()>& start);
// Closes every descriptor from first on (safe after fork).
void CloseDescriptorsFrom(int first);

uint64_t Fnv1a64(std::string_view data, uint64_t seed = 1469598103934665603ULL);

} // namespace phonesim
