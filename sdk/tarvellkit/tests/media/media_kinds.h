// The three media kinds as the tests see them: their exports and the
// command texts the phone receives for them.
#pragma once

#include "tarvellkit/tarvellkit.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mediatest {

struct Item {
    int id = 0;
    std::string path;
    int64_t size = 0;
};

struct MediaKind {
    const char* name;
    std::string folder; // where additions land on the phone
    const char* extension;
    int (*flush)();
    int (*count)();
    std::function<std::optional<Item>(int)> info;
    int (*addAdb)(const char*, const char*);
    int (*addStreamed)(const char*, const char*);
    int (*exportAdb)(int, const char*, int64_t);
    int (*exportStreamed)(int, const char*, int64_t);
    int (*remove)(int);
    int (*clear)();
    int (*abort)();
    int (*progress)();
    std::string check, announce, open, write, close, abortAnnounce, pathQuery, read;
    bool streamedAddReturnsReply; // videos answer 0 whatever the phone replies
};

template <typename Record>
std::function<std::optional<Item>(int)> InfoOf(int (*get)(Record*, int)) {
    return [get](int position) -> std::optional<Item> {
        Record record{};
        if (get(&record, position) != 0) {
            return std::nullopt;
        }
        return Item{record.id, record.path, int64_t{record.size}};
    };
}

inline const std::vector<MediaKind>& Kinds() {
    // clang-format off
    static const std::vector<MediaKind> kinds = {
        {"photo", "/sdcard/Images/", "jpg", Tarvell_FlushDevicesPhotos, Tarvell_GetPhotoCount,
         InfoOf(Tarvell_GetPhotoInfo), Tarvell_addPhoto, Tarvell_addPhoto2,
         Tarvell_ExportPhotofromDevice, Tarvell_ExportPhotofromDevice2, Tarvell_DeletePhoto,
         Tarvell_ClearPhoto, Tarvell_PhotoAbort, Tarvell_GetPhotoProgress,
         "checkFileisExist:", "addphototodevice:", "open_photofile:", "write_photofile:",
         "close_photofile;", "addphototodevice_abort:", "getfilepathForid:", "getdcimdata:", true},
        {"music", "/sdcard/Music/", "mp3", Tarvell_FlushDevicesMusic, Tarvell_GetMusicCount,
         InfoOf(Tarvell_GetMusicInfo), Tarvell_AddMusicToDevice, Tarvell_AddMusicToDevice2,
         Tarvell_ExportMusicfromDevice, Tarvell_ExportMusicfromDevice2, Tarvell_DeleteMusic,
         Tarvell_ClearMusic, Tarvell_MusicAbort, Tarvell_GetMusicProgress,
         "checkMusicFileisExist:", "addmusictodevice:", "open_Musicfile:", "write_musicfile:",
         "close_Musicfile;", "addmusictodevice_abort:", "GetMusicPathById:",
         "exportfilefromdevice_music:", true},
        {"video", "/sdcard/Videos/", "mp4", Tarvell_FlushDevicesVideo, Tarvell_GetVideoCount,
         InfoOf(Tarvell_GetVideoInfo), Tarvell_AddVideoToDevice, Tarvell_AddVideoToDevice2,
         Tarvell_ExportVideofromDevice, Tarvell_ExportVideofromDevice2,
         Tarvell_DeleteVideofromDevice, Tarvell_ClearVideofromDevice, Tarvell_VideoAbort,
         Tarvell_GetVideoProgress,
         "checkVideoFileisExist:", "addvideotodevice:", "open_videofile:", "write_videofile:",
         "close_videofile;", "addvideotodevice_abort:", "GetVideoPathById:",
         "exportfilefromdevice_video:", false},
    };
    // clang-format on
    return kinds;
}

} // namespace mediatest
