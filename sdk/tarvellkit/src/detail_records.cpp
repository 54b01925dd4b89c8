#include "detail_records.h"

#include "convert.h"
#include "record_text.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

// Values are decoded into a zeroed buffer of this size; one byte always stays
// NUL, so a decoded value is at most 1023 bytes.
constexpr int kValueBufferSize = 1024;

enum class FieldKind { Int32, Int64, Text };

struct DetailField {
    const char* tag;
    FieldKind kind;
    size_t offset;
    size_t width; // bytes of the field (text: including the terminator)
};

#define TEXT_FIELD(Record, member, tag)                                                            \
    DetailField {                                                                                  \
        tag, FieldKind::Text, offsetof(Record, member), sizeof(Record::member)                     \
    }
#define INT32_FIELD(Record, member, tag)                                                           \
    DetailField {                                                                                  \
        tag, FieldKind::Int32, offsetof(Record, member), sizeof(int32_t)                           \
    }
#define INT64_FIELD(Record, member, tag)                                                           \
    DetailField {                                                                                  \
        tag, FieldKind::Int64, offsetof(Record, member), sizeof(int64_t)                           \
    }

// The companion spells the title tag "TILTE".
constexpr DetailField kPhotoFields[] = {
    INT32_FIELD(PhotoInfo, id, "ID"),
    TEXT_FIELD(PhotoInfo, title, "TILTE"),
    TEXT_FIELD(PhotoInfo, path, "PATH"),
    INT64_FIELD(PhotoInfo, size, "SIZE"),
    INT64_FIELD(PhotoInfo, modifiedTime, "MODIFTIME"),
    INT64_FIELD(PhotoInfo, createdTime, "CREATETIME"),
};

constexpr DetailField kMusicFields[] = {
    INT32_FIELD(MusicInfo, id, "ID"),
    TEXT_FIELD(MusicInfo, title, "TILTE"),
    TEXT_FIELD(MusicInfo, album, "ALBUM"),
    TEXT_FIELD(MusicInfo, artist, "ARTIST"),
    TEXT_FIELD(MusicInfo, path, "PATH"),
    INT64_FIELD(MusicInfo, duration, "DURATION"),
    INT64_FIELD(MusicInfo, size, "SIZE"),
    INT32_FIELD(MusicInfo, albumId, "ALBUMID"),
    INT64_FIELD(MusicInfo, modifiedTime, "MODIFTIME"),
    INT64_FIELD(MusicInfo, createdTime, "CREATETIME"),
};

constexpr DetailField kVideoFields[] = {
    INT32_FIELD(VideoInfo, id, "ID"),
    TEXT_FIELD(VideoInfo, title, "TILTE"),
    TEXT_FIELD(VideoInfo, displayName, "DISPLAYNAME"),
    TEXT_FIELD(VideoInfo, path, "PATH"),
    INT64_FIELD(VideoInfo, duration, "DURATION"),
    INT64_FIELD(VideoInfo, size, "SIZE"),
    INT64_FIELD(VideoInfo, modifiedTime, "MODIFTIME"),
    INT64_FIELD(VideoInfo, createdTime, "CREATETIME"),
};

// "CACHSEZE" is the companion's spelling.
constexpr DetailField kAppFields[] = {
    TEXT_FIELD(AppInfo, packageName, "PKG"),
    TEXT_FIELD(AppInfo, className, "CLS"),
    TEXT_FIELD(AppInfo, appName, "APPNAME"),
    TEXT_FIELD(AppInfo, version, "VERSION"),
    INT32_FIELD(AppInfo, versionCode, "VERSIONCODE"),
    INT32_FIELD(AppInfo, systemApp, "SYSTEMAPP"),
    INT32_FIELD(AppInfo, sdcardApp, "SDCARDAPP"),
    INT32_FIELD(AppInfo, cacheSize, "CACHSEZE"),
    INT32_FIELD(AppInfo, dataSize, "DATASIZE"),
    INT32_FIELD(AppInfo, codeSize, "CODESIZE"),
    INT32_FIELD(AppInfo, totalSize, "TOTALSIZE"),
    TEXT_FIELD(AppInfo, permissions, "PERMISSIONS"),
    INT64_FIELD(AppInfo, installTime, "INSTALLTIME"),
    INT64_FIELD(AppInfo, lastUpdateTime, "LASTUPDATETIME"),
};

constexpr DetailField kStorageFields[] = {
    INT64_FIELD(DeviceInfoRecord, memTotal, "MEMTOTAL"),
    INT64_FIELD(DeviceInfoRecord, memAvail, "MEMAVAIL"),
    INT64_FIELD(DeviceInfoRecord, sdTotal, "SDTOTAL"),
    INT64_FIELD(DeviceInfoRecord, sdAvail, "SDAVAIL"),
    INT64_FIELD(DeviceInfoRecord, phoneTotal, "PHONETOTAL"),
    INT64_FIELD(DeviceInfoRecord, phoneAvail, "PHONEAVAIL"),
};

#undef TEXT_FIELD
#undef INT32_FIELD
#undef INT64_FIELD

enum class ValueCoding { Hex, Decimal };

const DetailField* FindField(const DetailField* fields, size_t count, std::string_view tag) {
    for (size_t i = 0; i < count; ++i) {
        if (tag == fields[i].tag) {
            return &fields[i];
        }
    }
    return nullptr;
}

void StoreValue(const DetailField& field, std::string_view entryValue, ValueCoding coding,
                unsigned char* record) {
    char value[kValueBufferSize] = {};
    if (coding == ValueCoding::Hex) {
        int capacity = kValueBufferSize - 1;
        // The value length is below the reply length, which is an int.
        HexDecode(entryValue.data(), static_cast<int>(entryValue.size()), value, &capacity);
    } else {
        const size_t n = entryValue.size() < static_cast<size_t>(kValueBufferSize - 1)
                             ? entryValue.size()
                             : static_cast<size_t>(kValueBufferSize - 1);
        std::memcpy(value, entryValue.data(), n);
    }

    unsigned char* target = record + field.offset;
    switch (field.kind) {
    case FieldKind::Int32: {
        const int32_t n = coding == ValueCoding::Hex ? recordtext::ReadInt(value)
                                                     : static_cast<int32_t>(ParseDecimal64(value));
        std::memcpy(target, &n, sizeof n);
        break;
    }
    case FieldKind::Int64: {
        const int64_t n =
            coding == ValueCoding::Hex ? recordtext::ReadInt64(value) : ParseDecimal64(value);
        std::memcpy(target, &n, sizeof n);
        break;
    }
    case FieldKind::Text: {
        // The decoded text ends at its first NUL; it is cut to the field.
        const size_t n = strnlen(value, field.width - 1);
        std::memcpy(target, value, n);
        target[n] = '\0';
        break;
    }
    }
}

// Walks the entries of a reply. With stopAtDot the first '.' ends the walk
// (detail replies hold one record); otherwise a '.' is skipped.
int DecodeEntries(const char* reply, int length, void* record, const DetailField* fields,
                  size_t count, ValueCoding coding, bool stopAtDot) {
    if (reply == nullptr || length <= 0 || record == nullptr) {
        return -1;
    }
    auto* bytes = static_cast<unsigned char*>(record);
    recordtext::EntryWalker walker(reply, static_cast<size_t>(length));
    recordtext::Entry entry;
    for (;;) {
        const recordtext::Step step = walker.Next(&entry);
        if (step == recordtext::Step::End || (step == recordtext::Step::RecordEnd && stopAtDot)) {
            break;
        }
        if (step == recordtext::Step::Entry) {
            if (const DetailField* field = FindField(fields, count, entry.tag)) {
                StoreValue(*field, entry.value, coding, bytes);
            }
        }
    }
    return 0;
}

template <size_t N>
int DecodeDetail(const char* reply, int length, void* record, const DetailField (&fields)[N]) {
    return DecodeEntries(reply, length, record, fields, N, ValueCoding::Hex, true);
}

} // namespace

int DecodePhotoInfo(const char* reply, int length, PhotoInfo* record) {
    return DecodeDetail(reply, length, record, kPhotoFields);
}

int DecodeMusicInfo(const char* reply, int length, MusicInfo* record) {
    return DecodeDetail(reply, length, record, kMusicFields);
}

int DecodeVideoInfo(const char* reply, int length, VideoInfo* record) {
    return DecodeDetail(reply, length, record, kVideoFields);
}

int DecodeAppInfo(const char* reply, int length, AppInfo* record) {
    return DecodeDetail(reply, length, record, kAppFields);
}

int DecodeStorageFigures(const char* reply, int length, DeviceInfoRecord* record) {
    return DecodeEntries(reply, length, record, kStorageFields, std::size(kStorageFields),
                         ValueCoding::Decimal, false);
}
