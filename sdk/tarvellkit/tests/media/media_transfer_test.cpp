#include "tarvellkit/tarvellkit.h"

#include "fakes.h"
#include "media_kinds.h"
#include "receive_buffer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using mediatest::Hex;
using mediatest::Kinds;
using mediatest::MediaKind;
using mediatest::PatternBytes;
using mediatest::ReadFile;
using mediatest::ScratchFolder;
using mediatest::WriteFile;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A scripted companion holding the media state the transfers touch.
struct FakeMediaPhone {
    std::set<std::string> existing;   // names the check commands report as taken
    std::map<int, std::string> paths; // path-query reply bodies by id
    std::map<int, std::string> data;  // file bytes by id for streamed reads
    std::string written;              // payloads of the write commands, in order
    int32_t announceReply = 1;
    int failWriteAt = 0;              // the write that fails (1-based), 0 = none
    std::function<void(int)> onWrite; // after each write, with its number
    std::function<void(int)> onRead;  // before each read answer, with its number
    int writes = 0;
    int reads = 0;

    std::optional<std::string> Answer(const std::string& command, const std::string& payload) {
        if (command == "getExternalStoragePath;") {
            return std::string("/storage/emulated/0");
        }
        for (const MediaKind& kind : Kinds()) {
            if (StartsWith(command, kind.check)) {
                const std::string name =
                    command.substr(kind.check.size(), command.size() - kind.check.size() - 1);
                return fakes::Int32Reply(existing.count(name) ? 1 : 0);
            }
            if (StartsWith(command, kind.write)) {
                ++writes;
                if (writes == failWriteAt) {
                    return std::nullopt;
                }
                written += payload;
                if (onWrite) {
                    onWrite(writes);
                }
                return fakes::Int32Reply(0);
            }
            if (StartsWith(command, kind.pathQuery)) {
                const int id = std::stoi(command.substr(kind.pathQuery.size()));
                auto it = paths.find(id);
                return it != paths.end() ? it->second : std::string();
            }
            if (StartsWith(command, kind.read)) {
                int id = 0;
                long long offset = 0;
                int size = 0;
                std::sscanf(command.c_str() + kind.read.size(), "%d:%lld:%d;", &id, &offset, &size);
                ++reads;
                if (onRead) {
                    onRead(reads);
                }
                const std::string& bytes = data[id];
                if (offset >= static_cast<long long>(bytes.size())) {
                    return std::string();
                }
                return bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
            }
            if (StartsWith(command, kind.announce) || StartsWith(command, kind.abortAnnounce)) {
                return fakes::Int32Reply(announceReply);
            }
        }
        return fakes::Int32Reply(0);
    }
};

class MediaTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void TearDown() override { fakes::Reset(); }

    // Forgets every exchange and starts a new scripted phone.
    void Fresh() {
        fakes::Reset();
        phone = FakeMediaPhone{};
        fakes::SetCompanion(
            [this](const std::string& c, const std::string& p) { return phone.Answer(c, p); });
    }

    static std::vector<std::string> AdbArgs() {
        std::vector<std::string> out;
        for (const auto& run : fakes::AdbRuns()) {
            out.push_back(run.how + " " + run.args);
        }
        return out;
    }

    FakeMediaPhone phone;
    ScratchFolder folder;
};

using Companion = fakes::CompanionHandler;

Companion Always(std::optional<std::string> reply) {
    return [reply](const std::string&, const std::string&) { return reply; };
}

// ------------------------------------------------------------ simple commands

TEST_F(MediaTest, NumericCommandsPassTheReplyOn) {
    const std::vector<std::pair<const char*, std::function<int()>>> cases = {
        {"flushphotolist;", [] { return Tarvell_FlushDevicesPhotos(); }},
        {"getdcimcount;", [] { return Tarvell_GetPhotoCount(); }},
        {"deletephoto:17;", [] { return Tarvell_DeletePhoto(17); }},
        {"ClearPhotos;", [] { return Tarvell_ClearPhoto(); }},
        {"flushmusiclist;", [] { return Tarvell_FlushDevicesMusic(); }},
        {"getmusiccount;", [] { return Tarvell_GetMusicCount(); }},
        {"deletemusic:-2;", [] { return Tarvell_DeleteMusic(-2); }},
        {"ClearMusic;", [] { return Tarvell_ClearMusic(); }},
        {"flushvideolist;", [] { return Tarvell_FlushDevicesVideo(); }},
        {"getvideocount;", [] { return Tarvell_GetVideoCount(); }},
        {"deletevideofromdevice:0;", [] { return Tarvell_DeleteVideofromDevice(0); }},
        {"ClearVideos;", [] { return Tarvell_ClearVideofromDevice(); }},
        {"flushapplist;", [] { return Tarvell_FlushDevicesApp(); }},
        {"getappcount;", [] { return Tarvell_GetAppCount(); }},
    };
    for (const auto& [command, call] : cases) {
        fakes::Reset();
        fakes::SetCompanion(Always(fakes::Int32Reply(-123456)));
        EXPECT_EQ(call(), -123456) << command;
        EXPECT_EQ(fakes::Commands(), std::vector<std::string>{command});
        // A failed exchange reads as 0; so does a 2-byte reply's missing half.
        fakes::SetCompanion(Always(std::nullopt));
        EXPECT_EQ(call(), 0) << command;
        fakes::SetCompanion(Always(std::string("\x05\x01", 2)));
        EXPECT_EQ(call(), 0x0105) << command;
    }
}

TEST_F(MediaTest, DetailsAreFetchedByPositionIntoAClearedRecord) {
    fakes::SetCompanion([](const std::string& c, const std::string&) -> std::optional<std::string> {
        if (c == "getdcimindexinfo:4;") {
            return "ID:3432;TILTE:" + Hex("Dog") + ";";
        }
        if (c == "getmusicindexinfo:1;") {
            return "ID:37;ARTIST:" + Hex("Band") + ";";
        }
        if (c == "getvideoindexinfo:2;") {
            return "DISPLAYNAME:" + Hex("v.mp4") + ";.";
        }
        if (c == "getappindexinfo:3;") {
            return "PKG:" + Hex("com.example") + ";VERSIONCODE:" + Hex("12") + ";.";
        }
        return std::string();
    });
    PhotoInfo photo;
    std::memset(&photo, 'x', sizeof photo);
    ASSERT_EQ(Tarvell_GetPhotoInfo(&photo, 4), 0);
    EXPECT_EQ(photo.id, 42);
    EXPECT_STREQ(photo.title, "Dog");
    EXPECT_STREQ(photo.path, "");
    EXPECT_EQ(int64_t{photo.size}, 0);
    MusicInfo music;
    std::memset(&music, 'x', sizeof music);
    ASSERT_EQ(Tarvell_GetMusicInfo(&music, 1), 0);
    EXPECT_EQ(music.id, 7);
    EXPECT_STREQ(music.artist, "Band");
    EXPECT_STREQ(music.title, "");
    VideoInfo video;
    std::memset(&video, 'x', sizeof video);
    ASSERT_EQ(Tarvell_GetVideoInfo(&video, 2), 0);
    EXPECT_STREQ(video.displayName, "v.mp4");
    EXPECT_EQ(video.id, 0);
    AppInfo app;
    std::memset(&app, 0x7F, sizeof app);
    ASSERT_EQ(Tarvell_GetAppInfo(&app, 3), 0);
    EXPECT_STREQ(app.packageName, "com.example");
    EXPECT_EQ(app.versionCode, 12);
    EXPECT_EQ(app.reserved, 0);
    EXPECT_STREQ(app.appName, "");

    // Nothing or an empty text: -1 and a record of zeros.
    std::memset(&app, 0x7F, sizeof app);
    EXPECT_EQ(Tarvell_GetAppInfo(&app, 4), -1);
    const AppInfo zero{};
    EXPECT_EQ(std::memcmp(&app, &zero, sizeof app), 0);
    EXPECT_EQ(Tarvell_GetAppInfo(nullptr, 4), -1);

    EXPECT_EQ(Tarvell_GetPhotoInfo(&photo, 9), -1);
    EXPECT_EQ(photo.id, 0);
    fakes::SetCompanion(Always(std::nullopt));
    EXPECT_EQ(Tarvell_GetMusicInfo(&music, 0), -1);
    fakes::SetCompanion(Always(std::string(6, '\0')));
    EXPECT_EQ(Tarvell_GetVideoInfo(&video, 0), -1);
    EXPECT_EQ(Tarvell_GetPhotoInfo(nullptr, 0), -1);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"getdcimindexinfo:4;", "getmusicindexinfo:1;",
                                        "getvideoindexinfo:2;", "getappindexinfo:3;",
                                        "getappindexinfo:4;", "getdcimindexinfo:9;",
                                        "getmusicindexinfo:0;", "getvideoindexinfo:0;"}));

    // A reply of 1024 bytes, the most a detail reply holds, with no '.' or
    // NUL: decoded within the reply buffer.
    std::string full = "ID:31;PATH:";
    full += std::string(1024 - full.size() - 1, '4') + ";";
    fakes::SetCompanion(Always(full));
    ASSERT_EQ(Tarvell_GetPhotoInfo(&photo, 0), 0);
    EXPECT_EQ(photo.id, 1);
    EXPECT_EQ(std::strlen(photo.path), (1024u - 12u) / 2);
}

TEST_F(MediaTest, ThumbnailsLiveInTheSharedReceiveBuffer) {
    const std::string image = PatternBytes(70000, 3);
    fakes::SetCompanion(
        [&](const std::string& c, const std::string&) -> std::optional<std::string> {
            if (c == "getdcimthumb:12;" || c == "getmusicthumb:5:99;") {
                return image;
            }
            return std::string("\x01\x02\x03\x04", 4);
        });
    unsigned char* bytes = nullptr;
    ASSERT_EQ(Tarvell_GetPhotoThumb(&bytes, 12), 70000);
    EXPECT_EQ(bytes, ReceiveBuffer());
    EXPECT_EQ(std::memcmp(bytes, image.data(), image.size()), 0);
    bytes = nullptr;
    ASSERT_EQ(Tarvell_GetMusicThumb(&bytes, 5, 99), 70000);
    EXPECT_EQ(bytes, ReceiveBuffer());

    // Four bytes or fewer is no thumbnail; a missing out pointer sends nothing.
    bytes = nullptr;
    EXPECT_EQ(Tarvell_GetPhotoThumb(&bytes, 1), -1);
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(Tarvell_GetMusicThumb(nullptr, 1, 1), -1);
    EXPECT_EQ(
        fakes::Commands(),
        (std::vector<std::string>{"getdcimthumb:12;", "getmusicthumb:5:99;", "getdcimthumb:1;"}));
}

// ------------------------------------------------------------ arguments

// Every copy either way refuses what cannot be read, written or quoted for
// adb before it talks to the phone or starts adb.
TEST_F(MediaTest, UnusableArgumentsAreRefusedBeforeAnythingIsSent) {
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "jpeg bytes");
    const std::string quoted = folder.file("q\"uote.jpg");
    WriteFile(quoted, "x");
    const std::string slashEnd = folder.file("back\\");
    WriteFile(slashEnd, "x");
    const std::string tooLong(480, 'n');
    const std::string missing = folder.file("missing.jpg");
    struct Add {
        const char* path;
        const char* name;
        bool streamedToo; // the streamed copy refuses it as well
    };
    const std::vector<Add> adds = {
        {quoted.c_str(), "p.jpg", false},
        {slashEnd.c_str(), "p.jpg", false},
        {source.c_str(), "a\"b.jpg", false},
        {source.c_str(), "a:b.jpg", false},
        {source.c_str(), "a;b.jpg", false},
        {source.c_str(), "a\\", false},
        {source.c_str(), "", true},
        {source.c_str(), nullptr, true},
        {source.c_str(), tooLong.c_str(), true},
        {"", "p.jpg", true},
        {nullptr, "p.jpg", true},
        {missing.c_str(), "p.jpg", true},
    };
    const std::vector<const char*> exports = {nullptr, "", "/x/\"y.jpg"};
    for (const MediaKind& kind : Kinds()) {
        for (const Add& c : adds) {
            const std::string label = std::string(kind.name) + " " + (c.path ? c.path : "(null)") +
                                      " " + (c.name ? c.name : "(null)");
            EXPECT_EQ(kind.addAdb(c.path, c.name), -1) << label;
            if (c.streamedToo) {
                EXPECT_EQ(kind.addStreamed(c.path, c.name), -1) << label;
            }
        }
        for (const char* out : exports) {
            EXPECT_EQ(kind.exportAdb(3, out, 10), -1) << kind.name << (out ? out : "(null)");
        }
        EXPECT_EQ(kind.exportStreamed(3, nullptr, 10), -1) << kind.name;
        EXPECT_EQ(kind.exportStreamed(3, "", 10), -1) << kind.name;
        EXPECT_EQ(kind.exportStreamed(3, folder.file("no/such/folder/x").c_str(), 10), -1);
    }
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_TRUE(fakes::AdbRuns().empty());

    // The longest accepted name still goes through.
    EXPECT_EQ(Tarvell_addPhoto(source.c_str(), std::string(479, 'n').c_str()), 0);
}

// ------------------------------------------------------------ adb copy to the phone

TEST_F(MediaTest, AddThroughAdbFindsAFreeName) {
    struct Case {
        const char* requested;
        std::set<std::string> existing;
        std::vector<std::string> checked;
        std::string pushed;
    };
    std::set<std::string> allTen = {"p.jpg"};
    std::vector<std::string> allTenChecks = {"p.jpg"};
    for (int i = 1; i <= 9; ++i) {
        allTenChecks.push_back("p(" + std::to_string(i) + ").jpg");
        allTen.insert(allTenChecks.back());
    }
    const std::string longExt = "x.averyveryverylongextension";
    const std::vector<Case> cases = {
        {"p.jpg", {}, {"p.jpg"}, "p.jpg"},
        {"p.jpg", {"p.jpg", "p(1).jpg"}, {"p.jpg", "p(1).jpg", "p(2).jpg"}, "p(2).jpg"},
        {"p.jpg", allTen, allTenChecks, "p(9).jpg"}, // the last number is used even when taken
        {"notes", {"notes"}, {"notes", "notes(1)"}, "notes(1)"},
        {".nomedia", {".nomedia"}, {".nomedia", ".nomedia(1)"}, ".nomedia(1)"},
        {"a.b.tar.gz", {"a.b.tar.gz"}, {"a.b.tar.gz", "a.b.tar(1).gz"}, "a.b.tar(1).gz"},
        {longExt.c_str(),
         {longExt},
         {longExt, "x(1).averyveryverylongextension"},
         "x(1).averyveryverylongextension"},
        {"Ünïcode фото.png", {}, {"Ünïcode фото.png"}, "Ünïcode фото.png"},
    };
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "jpeg bytes");
    for (const MediaKind& kind : Kinds()) {
        for (const Case& c : cases) {
            Fresh();
            phone.existing = c.existing;
            ASSERT_EQ(kind.addAdb(source.c_str(), c.requested), 0) << kind.name << c.requested;
            std::vector<std::string> expected;
            for (const std::string& name : c.checked) {
                expected.push_back(kind.check + name + ";");
            }
            expected.push_back(kind.announce + Hex(c.pushed) + ";");
            EXPECT_EQ(fakes::Commands(), expected) << kind.name << c.requested;
            EXPECT_EQ(AdbArgs(), std::vector<std::string>{"RunAdb push \"" + source + "\" \"" +
                                                          kind.folder + c.pushed + "\" "})
                << kind.name << c.requested;
        }
    }
}

// A name check without an answer could hide a file the push would overwrite;
// an adb that cannot start must not be announced as added.
TEST_F(MediaTest, AddThroughAdbFailuresAnnounceNothing) {
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "x");
    struct Case {
        const char* what;
        Companion companion;
        int runResult;
        std::vector<std::string> commands;
        bool pushed;
    };
    const std::vector<Case> cases = {
        {"adb cannot start", Always(fakes::Int32Reply(0)), -1, {"checkFileisExist:p.jpg;"}, true},
        {"the second name check gets no answer",
         [](const std::string& c, const std::string&) -> std::optional<std::string> {
             if (c == "checkFileisExist:p.jpg;") {
                 return fakes::Int32Reply(1);
             }
             return std::nullopt;
         },
         0,
         {"checkFileisExist:p.jpg;", "checkFileisExist:p(1).jpg;"},
         false},
    };
    for (const Case& c : cases) {
        fakes::Reset();
        fakes::SetCompanion(c.companion);
        fakes::SetRunResult(c.runResult);
        EXPECT_EQ(Tarvell_addPhoto(source.c_str(), "p.jpg"), -1) << c.what;
        EXPECT_EQ(fakes::Commands(), c.commands) << c.what;
        EXPECT_EQ(!fakes::AdbRuns().empty(), c.pushed) << c.what;
    }
}

// ------------------------------------------------------------ adb copy from the phone

TEST_F(MediaTest, ExportThroughAdbPullsFromSdcard) {
    const std::string out = folder.file("out.jpg");
    struct Case {
        const char* what;
        std::string pathReply;
        bool arrives; // adb leaves the file behind
        int result;
        std::string pulled; // the adb arguments, empty when adb must not run
    };
    const std::vector<Case> cases = {
        {"a path on the storage", "/storage/emulated/0/DCIM/Camera/a b.jpg", true, 0,
         "RunAdb pull \"/sdcard/DCIM/Camera/a b.jpg\" \"" + out + "\" "},
        {"four bytes or fewer", "/sdc", true, -1, ""},
        {"no reply", "", true, -1, ""},
        {"an empty path text", std::string(8, '\0'), true, 0, ""},
        {"a path holding a quote", "/storage/emulated/0/a\"b.jpg", true, -1, ""},
        {"a path shorter than the storage prefix", "/short", true, -1, ""},
        {"adb ran but nothing arrived", "/storage/emulated/0/DCIM/x.jpg", false, -1,
         "RunAdb pull \"/sdcard/DCIM/x.jpg\" \"" + out + "\" "},
    };
    for (const MediaKind& kind : Kinds()) {
        for (const Case& c : cases) {
            Fresh();
            std::remove(out.c_str());
            if (c.arrives) {
                fakes::SetAdbAction([&](const std::string&) { WriteFile(out, "pulled"); });
            }
            phone.paths[5] = c.pathReply;
            EXPECT_EQ(kind.exportAdb(5, out.c_str(), 1234), c.result) << kind.name << c.what;
            EXPECT_EQ(AdbArgs(), c.pulled.empty() ? std::vector<std::string>{}
                                                  : std::vector<std::string>{c.pulled})
                << kind.name << c.what;
            // The storage path is asked for once per process at most.
            const auto commands = fakes::Commands();
            ASSERT_FALSE(commands.empty());
            EXPECT_EQ(commands.back(), kind.pathQuery + "5;");
            EXPECT_LE(commands.size(), 2u);
        }
    }
}

// ------------------------------------------------------------ streamed copy to the phone

// The file goes in 100 KiB chunks between an open and a close, then is
// announced; an abort set during a chunk, or a chunk that cannot be sent,
// stops after that chunk and withdraws the copy.
TEST_F(MediaTest, StreamedAddSendsTheFileInChunks) {
    struct Case {
        const char* what;
        size_t bytes;
        int abortAtWrite;                // the write after which the caller aborts, 0 = none
        int failWriteAt;                 // the write that fails, 0 = none
        size_t sent;                     // bytes the phone keeps
        std::vector<std::string> writes; // sizes of the write commands
        int progress;                    // -1: not checked
    };
    const Case cases[] = {
        {"three chunks", 250000, 0, 0, 250000, {"102400", "102400", "45200"}, 100},
        {"one whole chunk", 102400, 0, 0, 102400, {"102400"}, 100},
        {"an empty file", 0, 0, 0, 0, {}, 100},
        {"aborted in the second chunk", 250000, 2, 0, 204800, {"102400", "102400"}, 81},
        {"the second chunk fails", 250000, 0, 2, 102400, {"102400", "102400"}, -1},
    };
    const std::string source = folder.file("clip.bin");
    const std::string hexName = Hex("clip é.bin");
    for (const Case& c : cases) {
        const std::string bytes = PatternBytes(c.bytes, 7);
        WriteFile(source, bytes);
        for (const MediaKind& kind : Kinds()) {
            SCOPED_TRACE(std::string(kind.name) + " " + c.what);
            Fresh();
            phone.announceReply = 7;
            phone.failWriteAt = c.failWriteAt;
            phone.onWrite = [&](int n) {
                if (n == c.abortAtWrite) {
                    kind.abort();
                }
            };
            kind.abort(); // a switch left set from before is cleared at the start
            const bool stopped = c.abortAtWrite != 0 || c.failWriteAt != 0;
            EXPECT_EQ(kind.addStreamed(source.c_str(), "clip é.bin"), c.failWriteAt != 0 ? -1
                                                                      : kind.streamedAddReturnsReply
                                                                          ? 7
                                                                          : 0);
            EXPECT_EQ(phone.written, bytes.substr(0, c.sent));
            if (c.progress >= 0) {
                EXPECT_EQ(kind.progress(), c.progress);
            }
            std::vector<std::string> expected = {kind.open + hexName + ";"};
            for (const std::string& w : c.writes) {
                expected.push_back(kind.write + w + ";");
            }
            expected.push_back(kind.close);
            expected.push_back((stopped ? kind.abortAnnounce : kind.announce) + hexName + ";");
            EXPECT_EQ(fakes::Commands(), expected);
            EXPECT_TRUE(fakes::AdbRuns().empty());
        }
    }
}

// ------------------------------------------------------------ streamed copy from the phone

TEST_F(MediaTest, StreamedExportWritesWhatThePhoneSends) {
    struct Case {
        const char* what;
        size_t phoneBytes; // what the phone holds
        int64_t fileSize;  // what the caller says
        int abortAtRead;   // the read during which the caller aborts, 0 = none
        int result;
        size_t savedBytes; // what ends in the file
        std::vector<long long> offsets;
    };
    const std::vector<Case> cases = {
        {"whole file in 10 KiB requests", 25000, 25000, 0, 0, 25000, {0, 10240, 20480}},
        {"exact multiple of the request", 20480, 20480, 0, 0, 20480, {0, 10240}},
        {"a last chunk of 3 bytes is data", 10243, 10243, 0, 0, 10243, {0, 10240}},
        {"the phone stops early: partial file, -1", 15000, 30000, 0, -1, 15000, {0, 10240, 15000}},
        {"1 byte short of the size: -1", 25000, 25001, 0, -1, 25000, {0, 10240, 20480, 25000}},
        {"a first reply under 5 bytes: empty file, -1", 0, 100, 0, -1, 0, {0}},
        {"size 0: whatever the first chunk holds", 0, 0, 0, 0, 0, {0}},
        {"size 0 with data: one chunk", 30000, 0, 0, 0, 10240, {0}},
        {"an abort keeps what arrived", 100000, 100000, 3, 0, 30720, {0, 10240, 20480}},
    };
    const std::string out = folder.file("export.bin");
    for (const MediaKind& kind : Kinds()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind.name) + ": " + c.what);
            Fresh();
            phone.data[4] = PatternBytes(c.phoneBytes, 4);
            phone.onRead = [&](int n) {
                if (n == c.abortAtRead) {
                    kind.abort();
                }
            };
            WriteFile(out, "old content that must go");
            EXPECT_EQ(kind.exportStreamed(4, out.c_str(), c.fileSize), c.result);
            EXPECT_EQ(ReadFile(out), phone.data[4].substr(0, c.savedBytes));
            EXPECT_EQ(kind.progress(), 100);
            std::vector<std::string> expected;
            for (long long offset : c.offsets) {
                expected.push_back(kind.read + "4:" + std::to_string(offset) + ":10240;");
            }
            EXPECT_EQ(fakes::Commands(), expected);
        }
    }
}

TEST_F(MediaTest, StreamedExportProgressIsHeldBelow100UntilTheEnd) {
    const std::string out = folder.file("export.bin");
    phone.data[1] = PatternBytes(10240 * 100, 6);
    std::vector<int> seen;
    phone.onRead = [&](int) { seen.push_back(Tarvell_GetVideoProgress()); };
    ASSERT_EQ(Tarvell_ExportVideofromDevice2(1, out.c_str(), 10240 * 100), 0);
    ASSERT_EQ(seen.size(), 100u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], static_cast<int>(i)) << i;
    }
    EXPECT_EQ(Tarvell_GetVideoProgress(), 100);
}

} // namespace
