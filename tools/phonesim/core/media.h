// The phone's media index (media.json): the id the phone gave each photo,
// song and video under sdcard/, with the facts a media scanner would know.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace phonesim {

enum class MediaKind { Photo = 0, Music = 1, Video = 2 };

// Kind by file extension (case-insensitive); nothing for other files.
std::optional<MediaKind> MediaKindOf(const std::string& name);
// The folder under /sdcard that pushes of this kind go to.
const char* MediaPushFolder(MediaKind kind);
const char* MediaKindName(MediaKind kind);

struct MediaItem {
    int64_t id = 0;
    MediaKind kind = MediaKind::Photo;
    std::string rel; // path under sdcard/
    int64_t created = 0;
    std::string title;
    std::string album, artist, display_name;
    int64_t album_id = 0;
    int64_t duration = 0; // seconds
};

struct MediaIndex {
    int64_t next_id = 1;
    std::vector<MediaItem> items;

    MediaItem* Find(int64_t id);
    MediaItem* FindPath(const std::string& rel);
    // Adds a file under sdcard/ with a new id (or returns the known one).
    MediaItem& Register(const std::string& sdcard_root, const std::string& rel, MediaKind kind);
    // Brings the index in line with the files: new files get ids, vanished
    // ones leave. Returns true when something changed.
    bool Scan(const std::string& sdcard_root);
};

std::optional<MediaIndex> LoadMediaIndex(const std::string& dir, std::string* error = nullptr);
bool SaveMediaIndex(const std::string& dir, const MediaIndex& index);

} // namespace phonesim
