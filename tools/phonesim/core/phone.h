// The phone folder: phone.json (device facts, packages, faults), the record
// files contacts.json, sms.json, calllog.json, apps.json, the media index
// media.json, and the file tree sdcard/ plus data/.
#pragma once

#include "companion_protocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace phonesim {

// The companion's fixed values, shared with the library.
inline constexpr const char* kCompanionPackage = companion::kPackage;
inline constexpr const char* kCompanionActivity = companion::kActivity;
inline constexpr int kCompanionPhonePort = companion::kPhonePort;

// Faults a test switches on with `phonesim fault DIR KEY VALUE`.
struct Faults {
    bool companion_silent = false;                 // reads commands, never answers
    int companion_delay_ms = 0;                    // each answer waits this long
    int companion_drop_after = 0;                  // closes after N answered commands (0 = off)
    std::string companion_truncate;                // command name or "*": half a body, then close
    std::string companion_oversize;                // command name or "*": 6 MiB answer
    std::optional<std::string> companion_greeting; // answer to the greeting instead of HI-PC
    std::string adb_hang;                          // adb command name or "*": the stand-in hangs
    int adb_delay_ms = 0;                          // each command to the phone starts this late
    int default_sms_accept_after = 0;              // seconds; -1 = the user never accepts
    int extra_phones = 0;                          // phones listed besides this one

    // Sets one key from its text form; false for an unknown key or bad value.
    bool Set(const std::string& key, const std::string& value, std::string* error);
};

struct PhoneConfig {
    std::string serial = "PHONESIM0001";
    std::string state = "device"; // device | unauthorized | offline
    bool plugged = true;
    std::string release = "11";
    std::string model = "Simulated Phone";
    std::string manufacturer = "Phonesim";
    std::string pda = "PSIM.0001";
    int battery = 87;
    std::vector<std::pair<std::string, int64_t>> storage; // MEMTOTAL ... PHONEAVAIL in order
    std::string external_storage = "/storage/emulated/0";
    std::vector<std::string> packages; // installed, system and user
    std::vector<std::string> running;  // packages whose activity was started
    std::string default_sms_app = "com.android.messaging";
    std::string previous_default_sms_app;
    int64_t default_sms_requested_at = 0; // seconds since 1970, 0 = no open request
    // Who answers the companion's commands: "builtin" (this program) or
    // "dex" (the real companion app, run on the JVM by its harness).
    std::string companion = "builtin";
    Faults faults;

    bool HasPackage(const std::string& p) const;
    bool IsRunning(const std::string& p) const;
    // getprop value, empty for an unknown property.
    std::string Property(const std::string& name) const;
    bool ReleaseAtLeast44() const;
};

std::optional<PhoneConfig> LoadConfig(const std::string& dir, std::string* error = nullptr);
bool SaveConfig(const std::string& dir, const PhoneConfig& cfg);
std::string ConfigToJson(const PhoneConfig& cfg);

// One record of contacts.json, sms.json, calllog.json or apps.json: a phone
// assigned id and text fields keyed by the lower-case record tag. A missing
// key is a missing field; an empty text is an empty one.
struct Record {
    int64_t id = 0;
    std::vector<std::pair<std::string, std::string>> fields;

    const std::string* Get(const std::string& key) const;
    void Set(const std::string& key, std::string value);
    void Erase(const std::string& key);
};

struct RecordFile {
    int64_t next_id = 1;
    std::vector<Record> items;

    int64_t Add(Record r); // assigns the id, returns it
};

std::optional<RecordFile> ParseRecordFile(const std::string& text, std::string* error);
std::string RecordFileToJson(const RecordFile& f);
// Missing file = empty record file.
std::optional<RecordFile> LoadRecordFile(const std::string& path, std::string* error = nullptr);
bool SaveRecordFile(const std::string& path, const RecordFile& f);

// Maps a phone path (/sdcard/..., the external storage path, /data/...) to a
// path inside the phone folder. Nothing for paths outside those roots or
// paths that climb out with "..".
std::optional<std::string> MapPhonePath(const std::string& dir, const PhoneConfig& cfg,
                                        const std::string& phone_path);

// The text a package stand-in file carries, and its reading.
struct PackageFile {
    std::string package;
    std::string label;
    std::string version = "1.0";
    std::string version_code = "1";
};
std::string PackageFileText(const PackageFile& p);
std::optional<PackageFile> ParsePackageFile(const std::string& text);

} // namespace phonesim
