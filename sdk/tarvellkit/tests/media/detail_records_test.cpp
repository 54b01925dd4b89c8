#include "detail_records.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using mediatest::EdgeBuffer;
using mediatest::Hex;

namespace {

// TAG:HEX(value);
std::string E(const std::string& tag, const std::string& value) {
    return tag + ":" + Hex(value) + ";";
}

int Decode(const std::string& reply, PhotoInfo* info) {
    return DecodePhotoInfo(reply.data(), static_cast<int>(reply.size()), info);
}

struct PhotoCase {
    const char* what;
    std::string reply;
    int32_t id;
    std::string title;
    std::string path;
    int64_t size;
    int64_t modified;
    int64_t created;
};

// How entries are found (';', ':', NUL, length) is the shared walker's,
// covered in records/decoder_test.cpp; these rows cover what the detail
// decoders add on top of it.
TEST(DetailDecode, PhotoFieldsByTag) {
    const std::string kLongTitle(600, 'T');
    const std::string kLongPath(1500, 'p');
    const PhotoCase cases[] = {
        PhotoCase{"every field",
                  E("ID", "12") + E("TILTE", "Beach") + E("PATH", "/sdcard/DCIM/b.jpg") +
                      E("SIZE", "5000000000") + E("MODIFTIME", "1700000000123") +
                      E("CREATETIME", "1600000000"),
                  12, "Beach", "/sdcard/DCIM/b.jpg", 5000000000LL, 1700000000123LL, 1600000000},
        PhotoCase{"order does not matter, unknown tags are skipped",
                  E("WIDTH", "640") + E("PATH", "/p") + E("BOGUS", "") + E("ID", "7"), 7, "", "/p",
                  0, 0, 0},
        PhotoCase{"a dot ends the record", E("ID", "3") + "." + E("TILTE", "after"), 3, "", "", 0,
                  0, 0},
        PhotoCase{"an empty value gives an empty text and 0", "TILTE:;ID:;" + E("PATH", "/x"), 0,
                  "", "/x", 0, 0, 0},
        PhotoCase{"a later entry of a tag wins", E("ID", "1") + E("ID", "2"), 2, "", "", 0, 0, 0},
        PhotoCase{"an odd-length value keeps its last digit as a high nibble", "TILTE:414;", 0,
                  "A@", "", 0, 0, 0},
        PhotoCase{"a decoded NUL ends the text", "TILTE:41004243;", 0, "A", "", 0, 0, 0},
        PhotoCase{"text is cut to the field", E("TILTE", kLongTitle) + E("PATH", kLongPath), 0,
                  kLongTitle.substr(0, 255), kLongPath.substr(0, 1023), 0, 0, 0},
        PhotoCase{"integers read like atoi", E("ID", " 42abc") + E("SIZE", "-17kb"), 42, "", "",
                  -17, 0, 0},
        PhotoCase{"integers saturate instead of overflowing",
                  E("ID", "99999999999") + E("SIZE", "99999999999999999999999") +
                      E("MODIFTIME", "-9223372036854775809") +
                      E("CREATETIME", "9223372036854775807"),
                  std::numeric_limits<int32_t>::max(), "", "", std::numeric_limits<int64_t>::max(),
                  std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()},
        PhotoCase{"the most negative 32-bit value", E("ID", "-2147483648"),
                  std::numeric_limits<int32_t>::min(), "", "", 0, 0, 0}};
    for (const PhotoCase& c : cases) {
        PhotoInfo info{};
        ASSERT_EQ(Decode(c.reply, &info), 0) << c.what;
        EXPECT_EQ(info.id, c.id) << c.what;
        EXPECT_EQ(std::string(info.title), c.title) << c.what;
        EXPECT_EQ(std::string(info.path), c.path) << c.what;
        EXPECT_EQ(int64_t{info.size}, c.size) << c.what;
        EXPECT_EQ(int64_t{info.modifiedTime}, c.modified) << c.what;
        EXPECT_EQ(int64_t{info.createdTime}, c.created) << c.what;
    }
}

TEST(DetailDecode, MissingReplyIsRefused) {
    PhotoInfo info{};
    EXPECT_EQ(DecodePhotoInfo(nullptr, 10, &info), -1);
    EXPECT_EQ(DecodePhotoInfo("ID:31;", 0, &info), -1);
    EXPECT_EQ(DecodePhotoInfo("ID:31;", 6, nullptr), -1);
    MusicInfo music{};
    EXPECT_EQ(DecodeMusicInfo(nullptr, 1, &music), -1);
    VideoInfo video{};
    EXPECT_EQ(DecodeVideoInfo("", -1, &video), -1);
    AppInfo app{};
    EXPECT_EQ(DecodeAppInfo(nullptr, 1, &app), -1);
    DeviceInfoRecord device{};
    EXPECT_EQ(DecodeStorageFigures(nullptr, 5, &device), -1);
}

// The values joined by blanks (packed 64-bit fields are passed by value).
template <typename... Values> std::string Line(const Values&... values) {
    std::ostringstream out;
    ((out << values << ' '), ...);
    return out.str();
}

// Every tag reaches its own field: each carries a distinct value.
TEST(DetailDecode, MusicVideoAndAppFields) {
    const std::string m = E("ID", "5") + E("ALBUMID", "77") + E("TILTE", "Song") +
                          E("ALBUM", "Album") + E("ARTIST", "Artist") + E("PATH", "/m.mp3") +
                          E("DURATION", "215") + E("SIZE", "4096") + E("MODIFTIME", "11") +
                          E("CREATETIME", "22");
    MusicInfo s{};
    ASSERT_EQ(DecodeMusicInfo(m.data(), static_cast<int>(m.size()), &s), 0);
    EXPECT_EQ(Line(s.id, s.albumId, s.title, s.album, s.artist, s.path, int64_t{s.duration},
                   int64_t{s.size}, int64_t{s.modifiedTime}, int64_t{s.createdTime}),
              "5 77 Song Album Artist /m.mp3 215 4096 11 22 ");

    const std::string v = E("ID", "8") + E("TILTE", "Clip") + E("DISPLAYNAME", "clip.mp4") +
                          E("PATH", "/v/clip.mp4") + E("DURATION", "60") + E("SIZE", "123") +
                          E("MODIFTIME", "3") + E("CREATETIME", "4");
    VideoInfo w{};
    ASSERT_EQ(DecodeVideoInfo(v.data(), static_cast<int>(v.size()), &w), 0);
    EXPECT_EQ(Line(w.id, w.title, w.displayName, w.path, int64_t{w.duration}, int64_t{w.size},
                   int64_t{w.modifiedTime}, int64_t{w.createdTime}),
              "8 Clip clip.mp4 /v/clip.mp4 60 123 3 4 ");

    const std::string perms(300, 'P');
    const std::string a = E("PKG", "com.example.app") + E("CLS", "com.example.Main") +
                          E("APPNAME", "Example \xE2\x9C\x93") + E("VERSION", "1.2.3") +
                          E("VERSIONCODE", "123") + E("SYSTEMAPP", "1") + E("SDCARDAPP", "0") +
                          E("CACHSEZE", "10") + E("DATASIZE", "20") + E("CODESIZE", "30") +
                          E("TOTALSIZE", "60") + E("PERMISSIONS", perms) +
                          E("INSTALLTIME", "1700000000000") + E("LASTUPDATETIME", "1700000000001");
    AppInfo p{};
    ASSERT_EQ(DecodeAppInfo(a.data(), static_cast<int>(a.size()), &p), 0);
    EXPECT_EQ(Line(p.reserved, p.packageName, p.className, p.appName, p.version, p.versionCode,
                   p.systemApp, p.sdcardApp, p.cacheSize, p.dataSize, p.codeSize, p.totalSize,
                   int64_t{p.installTime}, int64_t{p.lastUpdateTime}),
              "0 com.example.app com.example.Main Example \xE2\x9C\x93 1.2.3 123 1 0 10 20 30 60 "
              "1700000000000 1700000000001 ");
    EXPECT_EQ(std::string(p.permissions), perms.substr(0, 127)); // cut to its field
}

// Each decoder runs over replies that end exactly at an unreadable page and
// writes into a record framed by guard bytes: any read or write outside its
// buffers faults or shows in the guards.
TEST(DetailDecode, StaysInsideItsBuffers) {
    const std::vector<std::string> replies = {
        E("TILTE", std::string(2000, 'x')), // longer than any field and the value buffer
        "TILTE:" + std::string(3001, 'A'),  // no ';', odd length, to the end
        "PATH:ZZ!?;ID:-;SIZE:4",            // non-hex digits, cut entry
        "PERMISSIONS:" + std::string(5000, '7') + ";",
        E("PKG", std::string(255, 'k')) + E("ALBUM", std::string(255, 'a')) + "DISPLAYNAME:",
        "MEMTOTAL:" + std::string(2000, '9') + ";SDAVAIL:12",
        ":;;:.;.:",
        ".",
        "I",
    };
    constexpr unsigned char kGuard = 0xA5;
    for (const std::string& text : replies) {
        EdgeBuffer reply(text);
        struct Framed {
            unsigned char before[64];
            unsigned char record[2048];
            unsigned char after[64];
        } framed;
        std::memset(&framed, kGuard, sizeof framed);
        std::memset(framed.record, 0, sizeof framed.record);
        EXPECT_EQ(DecodePhotoInfo(reply.data(), reply.size(),
                                  reinterpret_cast<PhotoInfo*>(framed.record)),
                  0);
        EXPECT_EQ(DecodeMusicInfo(reply.data(), reply.size(),
                                  reinterpret_cast<MusicInfo*>(framed.record)),
                  0);
        EXPECT_EQ(DecodeVideoInfo(reply.data(), reply.size(),
                                  reinterpret_cast<VideoInfo*>(framed.record)),
                  0);
        EXPECT_EQ(
            DecodeAppInfo(reply.data(), reply.size(), reinterpret_cast<AppInfo*>(framed.record)),
            0);
        EXPECT_EQ(DecodeStorageFigures(reply.data(), reply.size(),
                                       reinterpret_cast<DeviceInfoRecord*>(framed.record)),
                  0);
        for (unsigned char b : framed.before) {
            ASSERT_EQ(b, kGuard) << text.substr(0, 40);
        }
        for (unsigned char b : framed.after) {
            ASSERT_EQ(b, kGuard) << text.substr(0, 40);
        }
        // Bytes past the largest record stay untouched too.
        for (size_t i = sizeof(MusicInfo); i < sizeof framed.record; ++i) {
            ASSERT_EQ(framed.record[i], 0) << text.substr(0, 40);
        }
        const auto* photo = reinterpret_cast<const PhotoInfo*>(framed.record);
        EXPECT_LT(strnlen(photo->title, sizeof photo->title), sizeof photo->title);
    }
}

struct StorageCase {
    const char* what;
    std::string reply;
    int64_t memTotal, memAvail, sdTotal, sdAvail, phoneTotal, phoneAvail;
};

TEST(DetailDecode, StorageFiguresArePlainDecimal) {
    const StorageCase cases[] = {
        StorageCase{"every figure",
                    "MEMTOTAL:3900000000;MEMAVAIL:1200000000;SDTOTAL:64000000000;SDAVAIL:"
                    "1000;PHONETOTAL:128000000000;PHONEAVAIL:7;",
                    3900000000LL, 1200000000LL, 64000000000LL, 1000, 128000000000LL, 7},
        StorageCase{"only some entries", "MEMTOTAL:1024;SDTOTAL:0;", 1024, 0, 0, 0, 0, 0},
        StorageCase{"dots between entries are skipped", ".MEMTOTAL:1;..SDAVAIL:2;.PHONEAVAIL:3;", 1,
                    0, 0, 2, 0, 3},
        StorageCase{"unknown tags skipped, cut entry ends", "BATTERY:9;MEMAVAIL:5;SDTOTAL:77", 0, 5,
                    0, 0, 0, 0},
        StorageCase{"values are decimal, not hex", "PHONETOTAL:3130;", 0, 0, 0, 0, 3130, 0}};
    for (const StorageCase& c : cases) {
        DeviceInfoRecord info{};
        std::strcpy(info.model, "kept");
        info.battery = 55;
        ASSERT_EQ(DecodeStorageFigures(c.reply.data(), static_cast<int>(c.reply.size()), &info), 0);
        EXPECT_EQ(int64_t{info.memTotal}, c.memTotal) << c.what;
        EXPECT_EQ(int64_t{info.memAvail}, c.memAvail) << c.what;
        EXPECT_EQ(int64_t{info.sdTotal}, c.sdTotal) << c.what;
        EXPECT_EQ(int64_t{info.sdAvail}, c.sdAvail) << c.what;
        EXPECT_EQ(int64_t{info.phoneTotal}, c.phoneTotal) << c.what;
        EXPECT_EQ(int64_t{info.phoneAvail}, c.phoneAvail) << c.what;
        EXPECT_STREQ(info.model, "kept") << c.what;
        EXPECT_EQ(info.battery, 55) << c.what;
    }
}

} // namespace
