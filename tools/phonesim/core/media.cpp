#include "media.h"

#include "util.h"

#include <algorithm>
#include <cjson/cJSON.h>
#include <dirent.h>
#include <set>
#include <sys/stat.h>

namespace phonesim {

std::optional<MediaKind> MediaKindOf(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return std::nullopt;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const std::set<std::string> photo = {"jpg", "jpeg", "png", "gif", "bmp", "webp"};
    static const std::set<std::string> music = {"mp3", "m4a", "aac", "ogg", "flac", "wav", "amr"};
    static const std::set<std::string> video = {"mp4", "3gp", "mkv", "webm", "avi", "mov"};
    if (photo.count(ext))
        return MediaKind::Photo;
    if (music.count(ext))
        return MediaKind::Music;
    if (video.count(ext))
        return MediaKind::Video;
    return std::nullopt;
}

const char* MediaPushFolder(MediaKind kind) {
    switch (kind) {
    case MediaKind::Photo:
        return "Images";
    case MediaKind::Music:
        return "Music";
    case MediaKind::Video:
        return "Videos";
    }
    return "";
}

const char* MediaKindName(MediaKind kind) {
    switch (kind) {
    case MediaKind::Photo:
        return "photo";
    case MediaKind::Music:
        return "music";
    case MediaKind::Video:
        return "video";
    }
    return "";
}

MediaItem* MediaIndex::Find(int64_t id) {
    for (auto& it : items)
        if (it.id == id)
            return &it;
    return nullptr;
}

MediaItem* MediaIndex::FindPath(const std::string& rel) {
    for (auto& it : items)
        if (it.rel == rel)
            return &it;
    return nullptr;
}

static std::string Stem(const std::string& rel) {
    std::string name = rel.substr(rel.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

MediaItem& MediaIndex::Register(const std::string& sdcard_root, const std::string& rel,
                                MediaKind kind) {
    if (MediaItem* known = FindPath(rel))
        return *known;
    MediaItem m;
    m.id = next_id++;
    m.kind = kind;
    m.rel = rel;
    struct stat st {};
    m.created = ::stat((sdcard_root + "/" + rel).c_str(), &st) == 0 ? st.st_mtime : 0;
    m.title = Stem(rel);
    m.display_name = rel.substr(rel.rfind('/') + 1);
    if (kind == MediaKind::Music) {
        m.album = "<unknown>";
        m.artist = "<unknown>";
    }
    items.push_back(std::move(m));
    return items.back();
}

static void Walk(const std::string& root, const std::string& rel,
                 std::vector<std::pair<std::string, MediaKind>>& out) {
    DIR* d = ::opendir((rel.empty() ? root : root + "/" + rel).c_str());
    if (!d)
        return;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        // Hidden folders (thumbnail caches) and app data are not media.
        if (name.empty() || name[0] == '.' || (rel.empty() && name == "Android"))
            continue;
        std::string sub = rel.empty() ? name : rel + "/" + name;
        struct stat st {};
        if (::lstat((root + "/" + sub).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            Walk(root, sub, out);
        else if (S_ISREG(st.st_mode))
            if (auto k = MediaKindOf(name))
                out.emplace_back(sub, *k);
    }
    ::closedir(d);
}

bool MediaIndex::Scan(const std::string& sdcard_root) {
    std::vector<std::pair<std::string, MediaKind>> files;
    Walk(sdcard_root, "", files);
    std::sort(files.begin(), files.end());
    std::set<std::string> present;
    bool changed = false;
    for (const auto& [rel, kind] : files) {
        present.insert(rel);
        if (!FindPath(rel)) {
            Register(sdcard_root, rel, kind);
            changed = true;
        }
    }
    size_t before = items.size();
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const MediaItem& m) { return !present.count(m.rel); }),
                items.end());
    return changed || before != items.size();
}

std::optional<MediaIndex> LoadMediaIndex(const std::string& dir, std::string* error) {
    MediaIndex idx;
    auto text = ReadFile(dir + "/media.json");
    if (!text)
        return idx;
    cJSON* root = cJSON_ParseWithLength(text->data(), text->size());
    if (!root || !cJSON_IsObject(root)) {
        cJSON_Delete(root);
        if (error)
            *error = dir + "/media.json is not a JSON object";
        return std::nullopt;
    }
    auto str = [](const cJSON* o, const char* k) {
        const cJSON* v = cJSON_GetObjectItemCaseSensitive(o, k);
        return cJSON_IsString(v) ? std::string(v->valuestring) : std::string();
    };
    auto num = [](const cJSON* o, const char* k) {
        const cJSON* v = cJSON_GetObjectItemCaseSensitive(o, k);
        return cJSON_IsNumber(v) ? static_cast<int64_t>(v->valuedouble) : int64_t{0};
    };
    idx.next_id = std::max<int64_t>(1, num(root, "next_id"));
    const cJSON* it = nullptr;
    cJSON_ArrayForEach(it, cJSON_GetObjectItemCaseSensitive(root, "items")) {
        MediaItem m;
        m.id = num(it, "id");
        m.rel = str(it, "path");
        auto kind = MediaKindOf(m.rel);
        if (m.id <= 0 || m.rel.empty() || !kind)
            continue;
        m.kind = *kind;
        m.created = num(it, "created");
        m.title = str(it, "title");
        m.album = str(it, "album");
        m.artist = str(it, "artist");
        m.display_name = str(it, "display_name");
        m.album_id = num(it, "album_id");
        m.duration = num(it, "duration");
        idx.next_id = std::max(idx.next_id, m.id + 1);
        idx.items.push_back(std::move(m));
    }
    cJSON_Delete(root);
    return idx;
}

bool SaveMediaIndex(const std::string& dir, const MediaIndex& index) {
    cJSON* root = cJSON_CreateObject();
    cJSON_AddNumberToObject(root, "next_id", static_cast<double>(index.next_id));
    cJSON* arr = cJSON_AddArrayToObject(root, "items");
    for (const auto& m : index.items) {
        cJSON* o = cJSON_CreateObject();
        cJSON_AddNumberToObject(o, "id", static_cast<double>(m.id));
        cJSON_AddStringToObject(o, "path", m.rel.c_str());
        cJSON_AddNumberToObject(o, "created", static_cast<double>(m.created));
        cJSON_AddStringToObject(o, "title", m.title.c_str());
        if (m.kind == MediaKind::Music) {
            cJSON_AddStringToObject(o, "album", m.album.c_str());
            cJSON_AddStringToObject(o, "artist", m.artist.c_str());
            cJSON_AddNumberToObject(o, "album_id", static_cast<double>(m.album_id));
        }
        if (m.kind == MediaKind::Video)
            cJSON_AddStringToObject(o, "display_name", m.display_name.c_str());
        if (m.kind != MediaKind::Photo)
            cJSON_AddNumberToObject(o, "duration", static_cast<double>(m.duration));
        cJSON_AddItemToArray(arr, o);
    }
    char* text = cJSON_PrintUnformatted(root);
    std::string out = text ? text : "";
    cJSON_free(text);
    cJSON_Delete(root);
    return WriteFileAtomic(dir + "/media.json", out + "\n");
}

} // namespace phonesim
