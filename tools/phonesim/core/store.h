// The phone's contents as the companion sees them: loaded lazily from the
// phone folder, reloaded when another program changed a file, and written
// back in batches (Flush) so that a restore of 50 000 messages does not
// rewrite sms.json 50 000 times.
#pragma once

#include "media.h"
#include "phone.h"
#include "records.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <unordered_map>

namespace phonesim {

class PhoneStore {
public:
    explicit PhoneStore(std::string dir);

    const std::string& Dir() const { return dir_; }
    std::string SdcardRoot() const { return dir_ + "/sdcard"; }
    // One command at a time: every accessor below needs this held.
    std::mutex& Mutex() { return mu_; }

    // phone.json, reloaded when it changed on disk.
    const PhoneConfig& Config();
    // phone.json as last loaded, without looking at the file.
    const PhoneConfig& CachedConfig() { return config_loaded_ ? config_ : Config(); }
    // Read-modify-write of phone.json under the folder lock.
    void UpdateConfig(const std::function<void(PhoneConfig&)>& change);

    RecordFile& Records(RecordKind kind);
    void MarkDirty(RecordKind kind);
    // Changes whenever a record file was reloaded from disk or changed in
    // place (not by appending): indexes built over the records compare it.
    uint64_t Generation(RecordKind kind) const { return slots_[static_cast<int>(kind)].generation; }
    void Changed(RecordKind kind) { ++slots_[static_cast<int>(kind)].generation; }

    // Message threads by address, kept up to date with appended messages.
    struct ThreadIndex {
        std::unordered_map<std::string, std::string> by_address;
        int64_t max_thread = 0;
        size_t seen = 0;
        uint64_t generation = ~0ULL;
    } threads;
    // Contact names by the digits of their numbers (first contact wins).
    struct NumberIndex {
        std::unordered_map<std::string, std::string> name_by_digits;
        uint64_t generation = ~0ULL;
        size_t seen = 0;
    } numbers;
    MediaIndex& Media();
    void MarkMediaDirty() { media_.dirty = true, Touch(); }
    // The list the list-rebuild command built (ids by position).
    std::vector<int64_t>& List(MediaKind kind) { return lists_[static_cast<int>(kind)]; }
    bool& ListBuilt(MediaKind kind) { return list_built_[static_cast<int>(kind)]; }
    std::vector<int64_t>& AppList() { return app_list_; }

    bool Dirty() const;
    std::chrono::steady_clock::time_point LastChange() const { return last_change_; }
    // Writes every changed file; false when a write failed (the data stays
    // marked and is tried again).
    bool Flush();

private:
    struct Stamp {
        ino_t ino = 0;
        off_t size = -1;
        int64_t mtime_ns = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::string& path);
    void Touch() { last_change_ = std::chrono::steady_clock::now(); }

    struct Slot {
        RecordFile data;
        bool loaded = false;
        bool dirty = false;
        Stamp stamp;
        uint64_t generation = 0;
    };
    std::string PathOf(RecordKind kind) const;

    std::string dir_;
    std::mutex mu_;
    PhoneConfig config_;
    bool config_loaded_ = false;
    Stamp config_stamp_;
    Slot slots_[4];
    struct {
        MediaIndex data;
        bool loaded = false;
        bool dirty = false;
        Stamp stamp;
    } media_;
    std::vector<int64_t> lists_[3];
    bool list_built_[3] = {false, false, false};
    std::vector<int64_t> app_list_;
    std::chrono::steady_clock::time_point last_change_{};
};

} // namespace phonesim
