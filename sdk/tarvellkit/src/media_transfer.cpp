// Photos, music and videos: list refresh, count, details, thumbnails,
// delete and clear through the companion, copies to and from the phone
// through adb or streamed in chunks over the command channel.
//
// The three kinds share one shape; a MediaKind row holds the command texts
// and phone folder of each.
#include "tarvellkit/tarvellkit.h"

#include "TCPConnect.h"
#include "detail_records.h"
#include "log.h"
#include "media_common.h"
#include "receive_buffer.h"
#include "runner.h"
#include "transfer_buffer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unistd.h>

using kitmedia::HexText;
using kitmedia::IntReply;
using kitmedia::IsPlainCommandArgument;
using kitmedia::IsQuotableAdbText;
using kitmedia::TryIntReply;

namespace {

enum class Kind { Photo, Music, Video };

struct MediaKind {
    Kind kind;
    const char* refresh;         // "flushphotolist;"
    const char* count;           // "getdcimcount;"
    const char* infoPrefix;      // + position + ";"
    const char* deletePrefix;    // + item + ";"
    const char* clear;           // "ClearPhotos;"
    const char* checkPrefix;     // + plain name + ";"
    const char* phoneFolder;     // + name
    const char* announcePrefix;  // + hex name + ";"
    const char* openPrefix;      // + hex name + ";"
    const char* writePrefix;     // + byte count + ";"
    const char* close;           // "close_photofile;"
    const char* abortPrefix;     // + hex name + ";"
    const char* pathQueryPrefix; // + id + ";"
    const char* readPrefix;      // + id:offset:size + ";"
    bool streamedAddReturnsReply;
};

constexpr MediaKind kPhoto{Kind::Photo,
                           "flushphotolist;",
                           "getdcimcount;",
                           "getdcimindexinfo:",
                           "deletephoto:",
                           "ClearPhotos;",
                           "checkFileisExist:",
                           "/sdcard/Images/",
                           "addphototodevice:",
                           "open_photofile:",
                           "write_photofile:",
                           "close_photofile;",
                           "addphototodevice_abort:",
                           "getfilepathForid:",
                           "getdcimdata:",
                           true};

constexpr MediaKind kMusic{Kind::Music,
                           "flushmusiclist;",
                           "getmusiccount;",
                           "getmusicindexinfo:",
                           "deletemusic:",
                           "ClearMusic;",
                           "checkMusicFileisExist:",
                           "/sdcard/Music/",
                           "addmusictodevice:",
                           "open_Musicfile:",
                           "write_musicfile:",
                           "close_Musicfile;",
                           "addmusictodevice_abort:",
                           "GetMusicPathById:",
                           "exportfilefromdevice_music:",
                           true};

constexpr MediaKind kVideo{Kind::Video,
                           "flushvideolist;",
                           "getvideocount;",
                           "getvideoindexinfo:",
                           "deletevideofromdevice:",
                           "ClearVideos;",
                           "checkVideoFileisExist:",
                           "/sdcard/Videos/",
                           "addvideotodevice:",
                           "open_videofile:",
                           "write_videofile:",
                           "close_videofile;",
                           "addvideotodevice_abort:",
                           "GetVideoPathById:",
                           "exportfilefromdevice_video:",
                           false};

// Abort switch and progress percentage of one kind's streamed transfers; set
// and read from other threads while a transfer runs.
struct TransferState {
    std::atomic<int> abort{0};
    std::atomic<int> progress{0};
};

TransferState g_photoState;
TransferState g_musicState;
TransferState g_videoState;

// The chunk buffer is one for all kinds: streamed transfers of different
// kinds take turns on it.
std::mutex g_transferBufferLock;

// Longest phone file name accepted: with "(9)" added it still fits the
// 512-byte name-check command and the 1024 hex digits of the announce.
constexpr size_t kMaxPhoneNameLength = 479;

// Detail and path replies: at most 1024 bytes, plus room for a terminator.
constexpr int kDetailReplySize = 1024;
// Streamed reads from the phone ask for at most this many bytes at a time.
constexpr int kMaxReadRequest = 10240;
// A streamed read reply shorter than this is an end, not data.
constexpr int kMinChunkReply = 5;

// An open file closed on every way out of a transfer.
class OpenFile {
public:
    OpenFile(const char* path, const char* mode) : m_file(std::fopen(path, mode)) {}
    ~OpenFile() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    FILE* get() const { return m_file; }
    // 0, or EOF when buffered data could not be written.
    int Close() {
        FILE* file = m_file;
        m_file = nullptr;
        return file != nullptr ? std::fclose(file) : 0;
    }

private:
    FILE* m_file;
};

const char* Printable(const char* text) {
    return text != nullptr ? text : "(null)";
}

// ---- external storage path ----

std::mutex g_externalPathLock;
std::string g_externalPath; // empty until fetched; kept once known

std::string ExternalStoragePath() {
    std::lock_guard lock(g_externalPathLock);
    if (g_externalPath.empty()) {
        char reply[512 + 1] = {};
        const int n = SendCommand("getExternalStoragePath;", reply, 512, nullptr, 0);
        if (n > 0) {
            g_externalPath.assign(reply, strnlen(reply, static_cast<size_t>(n)));
        }
    }
    return g_externalPath;
}

// ---- details and thumbnails ----

template <typename Record>
int GetInfo(Record* record, const std::string& command, int (*decode)(const char*, int, Record*)) {
    if (record == nullptr) {
        return -1;
    }
    // A field whose tag is missing from the reply reads empty, never as the
    // value a reused record held for the previous item.
    std::memset(record, 0, sizeof *record);
    char reply[kDetailReplySize + 1] = {};
    const int n = SendCommand(command.c_str(), reply, kDetailReplySize, nullptr, 0);
    if (n <= 0 || reply[0] == '\0') {
        return -1;
    }
    return decode(reply, n, record);
}

int GetThumb(unsigned char** thumbnail, const std::string& command) {
    if (thumbnail == nullptr) {
        return -1;
    }
    unsigned char* buffer = ReceiveBuffer();
    if (buffer == nullptr) {
        return -1;
    }
    const int n = SendCommand(command.c_str(), buffer, kReceiveBufferSize, nullptr, 0);
    if (n <= 4) {
        return -1;
    }
    *thumbnail = buffer;
    return n;
}

// ---- copies to the phone ----

// photo.jpg -> photo(3).jpg; a name without an extension gets the counter at
// its end: notes -> notes(3). A dot in first place starts no extension.
std::string NumberedName(const std::string& name, int counter) {
    const size_t dot = name.rfind('.');
    const std::string number = "(" + std::to_string(counter) + ")";
    if (dot == std::string::npos || dot == 0) {
        return name + number;
    }
    return name.substr(0, dot) + number + name.substr(dot);
}

bool IsAcceptablePhoneName(const char* name) {
    return name != nullptr && *name != '\0' && std::strlen(name) <= kMaxPhoneNameLength;
}

int AddThroughAdb(const MediaKind& kind, const char* pcPath, const char* phoneName) {
    if (pcPath == nullptr || *pcPath == '\0' || !IsAcceptablePhoneName(phoneName)) {
        LogWrite("add to device refused: missing path or unusable name\n");
        return -1;
    }
    if (!IsQuotableAdbText(pcPath) || !IsPlainCommandArgument(phoneName)) {
        LogWrite("add to device refused: unsafe characters in pcfilename=%s,name=%s\n", pcPath,
                 phoneName);
        return -1;
    }
    if (access(pcPath, R_OK) != 0) {
        LogWrite("add to device: cannot read pcfilename=%s\n", pcPath);
        return -1;
    }

    // Find a free name: the requested one, then name(1) .. name(9). The name
    // with 9 is used even when the phone has it too.
    // A check that got no answer says nothing: pushing anyway could
    // overwrite a file the phone already has.
    std::string name = phoneName;
    std::optional<int32_t> exists = TryIntReply(kind.checkPrefix + name + ";");
    for (int counter = 1; exists == 1 && counter <= 9; ++counter) {
        name = NumberedName(phoneName, counter);
        exists = TryIntReply(kind.checkPrefix + name + ";");
    }
    if (!exists) {
        LogWrite("add to device: the phone did not answer the name check for %s\n", name.c_str());
        return -1;
    }

    const std::string args =
        std::string("push \"") + pcPath + "\" \"" + kind.phoneFolder + name + "\" ";
    if (RunAdb(args.c_str()) < 0) {
        LogWrite("add to device: adb could not be started for %s\n", pcPath);
        return -1;
    }
    IntReply(kind.announcePrefix + HexText(name.c_str()) + ";");
    return 0;
}

int AddStreamed(const MediaKind& kind, TransferState& state, const char* pcPath,
                const char* phoneName) {
    state.abort.store(0, std::memory_order_relaxed);
    state.progress.store(0, std::memory_order_relaxed);
    TransferBufferAllocate();
    if (pcPath == nullptr || *pcPath == '\0' || !IsAcceptablePhoneName(phoneName)) {
        return -1;
    }
    OpenFile input(pcPath, "rb");
    FILE* file = input.get();
    if (file == nullptr) {
        return -1;
    }
    int64_t fileSize = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        fileSize = ftello(file);
    }
    if (fileSize < 0 || fseeko(file, 0, SEEK_SET) != 0) {
        return -1;
    }
    const int64_t divisor = fileSize > 0 ? fileSize : 1;

    std::lock_guard lock(g_transferBufferLock);
    unsigned char* chunk = TransferBufferData();
    const int chunkSize = TransferBufferSize();
    if (chunk == nullptr || chunkSize <= 0) {
        return -1;
    }

    const std::string hexName = HexText(phoneName);
    IntReply(kind.openPrefix + hexName + ";");

    bool failed = false;
    int64_t sent = 0;
    for (;;) {
        const size_t read = std::fread(chunk, 1, static_cast<size_t>(chunkSize), file);
        if (read == 0) {
            failed = std::ferror(file) != 0;
            break;
        }
        const std::string command = kind.writePrefix + std::to_string(read) + ";";
        unsigned char reply[4] = {};
        if (SendCommand(command.c_str(), reply, sizeof reply, chunk, static_cast<int>(read)) < 0) {
            failed = true;
            break;
        }
        sent += static_cast<int64_t>(read);
        state.progress.store(static_cast<int>(std::min<int64_t>(sent * 100 / divisor, 100)),
                             std::memory_order_relaxed);
        if (state.abort.load(std::memory_order_relaxed) == 1) {
            break;
        }
    }
    input.Close();
    IntReply(kind.close);

    if (failed) {
        // The phone holds a partial file: withdraw it as an aborted copy.
        LogWrite("add to device: copy of %s failed after %lld bytes\n", pcPath,
                 static_cast<long long>(sent));
        IntReply(kind.abortPrefix + hexName + ";");
        return -1;
    }
    const bool aborted = state.abort.load(std::memory_order_relaxed) == 1;
    if (!aborted) {
        state.progress.store(100, std::memory_order_relaxed); // also for an empty file
    }
    const int32_t result =
        IntReply((aborted ? kind.abortPrefix : kind.announcePrefix) + hexName + ";");
    return kind.streamedAddReturnsReply ? result : 0;
}

// ---- copies from the phone ----

void LogExportEntry(const MediaKind& kind, int id, const char* pcPath, int64_t fileSize) {
    const auto size = static_cast<long long>(fileSize);
    switch (kind.kind) {
    case Kind::Photo:
        LogWrite("ExportPhotofromDevice photo_id=%d,pcfilename=%s,filesize=%lld\n", id,
                 Printable(pcPath), size);
        break;
    case Kind::Music:
        LogWrite("ExportMusicfromDevice songid=%d,pcfilename=%s,filesize=%lld\n", id,
                 Printable(pcPath), size);
        break;
    case Kind::Video:
        LogWrite("ExportVideofromDevice videoid=%d,pcfilename=%s,filesize=%lld\n", id,
                 Printable(pcPath), size);
        break;
    }
}

int ExportThroughAdb(const MediaKind& kind, int id, const char* pcPath, int64_t fileSize) {
    if (kind.kind != Kind::Music) {
        LogExportEntry(kind, id, pcPath, fileSize);
    }
    if (pcPath == nullptr || *pcPath == '\0' || !IsQuotableAdbText(pcPath)) {
        LogWrite("export from device refused: unusable pcfilename=%s\n", Printable(pcPath));
        return -1;
    }
    const std::string external = ExternalStoragePath();

    char phonePath[kDetailReplySize + 1] = {};
    const int n = SendCommand((kind.pathQueryPrefix + std::to_string(id) + ";").c_str(), phonePath,
                              kDetailReplySize, nullptr, 0);
    if (n <= 4) {
        if (kind.kind == Kind::Music) {
            LogWrite("error ExportMusicfromDevice songid=%d,pcfilename=%s,filesize=%lld\n", id,
                     pcPath, static_cast<long long>(fileSize));
        }
        return -1;
    }
    if (kind.kind == Kind::Music) {
        LogWrite("ExportMusicfromDevice songid=%d,pcfilename=%s,dev_path=%s\n", id, pcPath,
                 phonePath);
    }
    const size_t pathLength = std::strlen(phonePath);
    if (pathLength == 0) {
        return 0;
    }
    // The phone's storage prefix is replaced by /sdcard; only its length is
    // used, since phones name the same storage by different paths.
    if (!IsQuotableAdbText(phonePath) || external.size() > pathLength) {
        LogWrite("export from device refused: unusable phone path %s\n", phonePath);
        return -1;
    }
    const std::string args =
        std::string("pull \"/sdcard") + (phonePath + external.size()) + "\" \"" + pcPath + "\" ";
    if (RunAdb(args.c_str()) < 0) {
        LogWrite("export from device: adb could not be started for %s\n", pcPath);
        return -1;
    }
    if (access(pcPath, F_OK) != 0) {
        LogWrite("export from device: %s did not arrive\n", pcPath);
        return -1;
    }
    return 0;
}

int ExportStreamed(const MediaKind& kind, TransferState& state, int id, const char* pcPath,
                   int64_t fileSize) {
    LogExportEntry(kind, id, pcPath, fileSize);
    state.abort.store(0, std::memory_order_relaxed);
    state.progress.store(0, std::memory_order_relaxed);
    TransferBufferAllocate();
    const int64_t expected = fileSize > 0 ? fileSize : 0;
    const int64_t total = fileSize > 0 ? fileSize : 1;

    if (pcPath == nullptr || *pcPath == '\0') {
        return -1;
    }
    OpenFile output(pcPath, "w+b");
    FILE* file = output.get();
    if (file == nullptr) {
        return -1;
    }

    std::lock_guard lock(g_transferBufferLock);
    unsigned char* chunk = TransferBufferData();
    const int request = std::min(TransferBufferSize(), kMaxReadRequest);
    if (chunk == nullptr || request <= 0) {
        return -1;
    }

    bool writeFailed = false;
    int64_t offset = 0;
    for (;;) {
        const std::string command = kind.readPrefix + std::to_string(id) + ":" +
                                    std::to_string(offset) + ":" + std::to_string(request) + ";";
        const int n = SendCommand(command.c_str(), chunk, request, nullptr, 0);
        // A reply under 5 bytes is an end marker, except when it is exactly
        // the last few bytes of the file.
        const bool tail = n > 0 && static_cast<int64_t>(n) == expected - offset;
        if (n < kMinChunkReply && !tail) {
            break;
        }
        if (std::fwrite(chunk, 1, static_cast<size_t>(n), file) != static_cast<size_t>(n)) {
            writeFailed = true;
            break;
        }
        offset += n;
        if (offset >= total) {
            break;
        }
        const int64_t percent = offset * 100 / total;
        state.progress.store(percent > 98 ? 99 : static_cast<int>(percent),
                             std::memory_order_relaxed);
        if (state.abort.load(std::memory_order_relaxed) == 1) {
            break;
        }
    }
    if (output.Close() != 0) {
        writeFailed = true;
    }
    state.progress.store(100, std::memory_order_relaxed);

    if (writeFailed) {
        LogWrite("export from device: writing %s failed at %lld bytes\n", pcPath,
                 static_cast<long long>(offset));
        return -1;
    }
    if (state.abort.load(std::memory_order_relaxed) != 1 && offset < expected) {
        // The phone stopped answering before the whole file came; the partial
        // file stays for the caller to inspect or remove.
        LogWrite("export from device: %s ended at %lld of %lld bytes\n", pcPath,
                 static_cast<long long>(offset), static_cast<long long>(expected));
        return -1;
    }
    return 0;
}

std::string WithNumber(const char* prefix, int number) {
    return prefix + std::to_string(number) + ";";
}

} // namespace

// ---------------------------------------------------------------- photos

extern "C" {

int Tarvell_FlushDevicesPhotos(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kPhoto.refresh); });
}

int Tarvell_GetPhotoCount(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kPhoto.count); });
}

int Tarvell_GetPhotoInfo(PhotoInfo* info, int position) {
    return kitmedia::Guarded(-1, [&] {
        return GetInfo(info, WithNumber(kPhoto.infoPrefix, position), DecodePhotoInfo);
    });
}

int Tarvell_GetPhotoThumb(unsigned char** thumbnail, int item) {
    return kitmedia::Guarded(
        -1, [&] { return GetThumb(thumbnail, WithNumber("getdcimthumb:", item)); });
}

int Tarvell_DeletePhoto(int item) {
    return kitmedia::Guarded(0, [&] { return IntReply(WithNumber(kPhoto.deletePrefix, item)); });
}

int Tarvell_ClearPhoto(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kPhoto.clear); });
}

int Tarvell_addPhoto(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(-1, [&] { return AddThroughAdb(kPhoto, pcFilePath, phoneFileName); });
}

int Tarvell_addPhoto2(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(
        -1, [&] { return AddStreamed(kPhoto, g_photoState, pcFilePath, phoneFileName); });
}

int Tarvell_ExportPhotofromDevice(int photoId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportThroughAdb(kPhoto, photoId, pcFilePath, fileSize); });
}

int Tarvell_ExportPhotofromDevice2(int photoId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportStreamed(kPhoto, g_photoState, photoId, pcFilePath, fileSize); });
}

int Tarvell_PhotoAbort(void) {
    g_photoState.abort.store(1, std::memory_order_relaxed);
    return 0;
}

int Tarvell_GetPhotoProgress(void) {
    return g_photoState.progress.load(std::memory_order_relaxed);
}

// ---------------------------------------------------------------- music

int Tarvell_FlushDevicesMusic(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kMusic.refresh); });
}

int Tarvell_GetMusicCount(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kMusic.count); });
}

int Tarvell_GetMusicInfo(MusicInfo* info, int position) {
    return kitmedia::Guarded(-1, [&] {
        return GetInfo(info, WithNumber(kMusic.infoPrefix, position), DecodeMusicInfo);
    });
}

int Tarvell_GetMusicThumb(unsigned char** thumbnail, int item, int second) {
    return kitmedia::Guarded(-1, [&] {
        return GetThumb(thumbnail, "getmusicthumb:" + std::to_string(item) + ":" +
                                       std::to_string(second) + ";");
    });
}

int Tarvell_DeleteMusic(int item) {
    return kitmedia::Guarded(0, [&] { return IntReply(WithNumber(kMusic.deletePrefix, item)); });
}

int Tarvell_ClearMusic(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kMusic.clear); });
}

int Tarvell_AddMusicToDevice(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(-1, [&] { return AddThroughAdb(kMusic, pcFilePath, phoneFileName); });
}

int Tarvell_AddMusicToDevice2(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(
        -1, [&] { return AddStreamed(kMusic, g_musicState, pcFilePath, phoneFileName); });
}

int Tarvell_ExportMusicfromDevice(int songId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportThroughAdb(kMusic, songId, pcFilePath, fileSize); });
}

int Tarvell_ExportMusicfromDevice2(int songId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportStreamed(kMusic, g_musicState, songId, pcFilePath, fileSize); });
}

int Tarvell_MusicAbort(void) {
    g_musicState.abort.store(1, std::memory_order_relaxed);
    return 0;
}

int Tarvell_GetMusicProgress(void) {
    return g_musicState.progress.load(std::memory_order_relaxed);
}

// ---------------------------------------------------------------- videos

int Tarvell_FlushDevicesVideo(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kVideo.refresh); });
}

int Tarvell_GetVideoCount(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kVideo.count); });
}

int Tarvell_GetVideoInfo(VideoInfo* info, int position) {
    return kitmedia::Guarded(-1, [&] {
        return GetInfo(info, WithNumber(kVideo.infoPrefix, position), DecodeVideoInfo);
    });
}

int Tarvell_DeleteVideofromDevice(int item) {
    return kitmedia::Guarded(0, [&] { return IntReply(WithNumber(kVideo.deletePrefix, item)); });
}

int Tarvell_ClearVideofromDevice(void) {
    return kitmedia::Guarded(0, [&] { return IntReply(kVideo.clear); });
}

int Tarvell_AddVideoToDevice(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(-1, [&] { return AddThroughAdb(kVideo, pcFilePath, phoneFileName); });
}

int Tarvell_AddVideoToDevice2(const char* pcFilePath, const char* phoneFileName) {
    return kitmedia::Guarded(
        -1, [&] { return AddStreamed(kVideo, g_videoState, pcFilePath, phoneFileName); });
}

int Tarvell_ExportVideofromDevice(int videoId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportThroughAdb(kVideo, videoId, pcFilePath, fileSize); });
}

int Tarvell_ExportVideofromDevice2(int videoId, const char* pcFilePath, int64_t fileSize) {
    return kitmedia::Guarded(
        -1, [&] { return ExportStreamed(kVideo, g_videoState, videoId, pcFilePath, fileSize); });
}

int Tarvell_VideoAbort(void) {
    g_videoState.abort.store(1, std::memory_order_relaxed);
    return 0;
}

int Tarvell_GetVideoProgress(void) {
    return g_videoState.progress.load(std::memory_order_relaxed);
}

} // extern "C"
