#include "tarvellkit/tarvellkit.h"

#include "fakes.h"
#include "receive_buffer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

using mediatest::Hex;
using mediatest::PatternBytes;
using mediatest::ReadFile;
using mediatest::ScratchFolder;
using mediatest::WriteFile;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// What the three kinds differ in, as a test sees it.
struct KindCase {
    const char* name;
    int (*addAdb)(const char*, const char*);
    int (*addStreamed)(const char*, const char*);
    int (*exportAdb)(int, const char*, int64_t);
    int (*exportStreamed)(int, const char*, int64_t);
    int (*abort)();
    int (*progress)();
    std::string check, folder, announce, open, write, close, abortAnnounce, pathQuery, read;
    bool streamedAddReturnsReply;
};

const std::vector<KindCase>& Kinds() {
    static const std::vector<KindCase> kinds = {
        {"photo", Tarvell_addPhoto, Tarvell_addPhoto2, Tarvell_ExportPhotofromDevice,
         Tarvell_ExportPhotofromDevice2, Tarvell_PhotoAbort, Tarvell_GetPhotoProgress,
         "checkFileisExist:", "/sdcard/Images/",
         "addphototodevice:", "open_photofile:", "write_photofile:", "close_photofile;",
         "addphototodevice_abort:", "getfilepathForid:", "getdcimdata:", true},
        {"music", Tarvell_AddMusicToDevice, Tarvell_AddMusicToDevice2,
         Tarvell_ExportMusicfromDevice, Tarvell_ExportMusicfromDevice2, Tarvell_MusicAbort,
         Tarvell_GetMusicProgress, "checkMusicFileisExist:", "/sdcard/Music/",
         "addmusictodevice:", "open_Musicfile:", "write_musicfile:", "close_Musicfile;",
         "addmusictodevice_abort:", "GetMusicPathById:", "exportfilefromdevice_music:", true},
        {"video", Tarvell_AddVideoToDevice, Tarvell_AddVideoToDevice2,
         Tarvell_ExportVideofromDevice, Tarvell_ExportVideofromDevice2, Tarvell_VideoAbort,
         Tarvell_GetVideoProgress, "checkVideoFileisExist:", "/sdcard/Videos/",
         "addvideotodevice:", "open_videofile:", "write_videofile:", "close_videofile;",
         "addvideotodevice_abort:", "GetVideoPathById:", "exportfilefromdevice_video:", false},
    };
    return kinds;
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
        for (const KindCase& kind : Kinds()) {
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
    void SetUp() override {
        fakes::Reset();
        fakes::SetCompanion(
            [this](const std::string& c, const std::string& p) { return phone.Answer(c, p); });
    }
    void TearDown() override { fakes::Reset(); }

    std::vector<std::string> AdbArgs() const {
        std::vector<std::string> out;
        for (const auto& run : fakes::AdbRuns()) {
            out.push_back(run.how + " " + run.args);
        }
        return out;
    }

    FakeMediaPhone phone;
    ScratchFolder folder;
};

// ------------------------------------------------------------ simple commands

struct SimpleCase {
    const char* command;
    std::function<int()> call;
};

TEST_F(MediaTest, NumericCommandsPassTheReplyOn) {
    const std::vector<SimpleCase> cases = {
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
    };
    for (const SimpleCase& c : cases) {
        fakes::Reset();
        fakes::SetCompanion(
            [](const std::string&, const std::string&) { return fakes::Int32Reply(-123456); });
        EXPECT_EQ(c.call(), -123456) << c.command;
        EXPECT_EQ(fakes::Commands(), std::vector<std::string>{c.command});

        // A failed exchange reads as 0; so does a 2-byte reply's missing half.
        fakes::SetCompanion([](const std::string&, const std::string&) { return std::nullopt; });
        EXPECT_EQ(c.call(), 0) << c.command;
        fakes::SetCompanion(
            [](const std::string&, const std::string&) { return std::string("\x05\x01", 2); });
        EXPECT_EQ(c.call(), 0x0105) << c.command;
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

    // Nothing or an empty text: -1 and id 0.
    EXPECT_EQ(Tarvell_GetPhotoInfo(&photo, 9), -1);
    EXPECT_EQ(photo.id, 0);
    fakes::SetCompanion([](const std::string&, const std::string&) { return std::nullopt; });
    EXPECT_EQ(Tarvell_GetMusicInfo(&music, 0), -1);
    fakes::SetCompanion(
        [](const std::string&, const std::string&) { return std::string(6, '\0'); });
    EXPECT_EQ(Tarvell_GetVideoInfo(&video, 0), -1);
    EXPECT_EQ(Tarvell_GetPhotoInfo(nullptr, 0), -1);

    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"getdcimindexinfo:4;", "getmusicindexinfo:1;",
                                        "getvideoindexinfo:2;", "getdcimindexinfo:9;",
                                        "getmusicindexinfo:0;", "getvideoindexinfo:0;"}));
}

TEST_F(MediaTest, DetailReplyFillingTheWholeBufferStaysTerminated) {
    // 1024 bytes, the most a detail reply may hold, without a '.' or NUL.
    std::string reply = "ID:31;PATH:";
    reply += std::string(1024 - reply.size() - 1, '4') + ";";
    ASSERT_EQ(reply.size(), 1024u);
    fakes::SetCompanion([&](const std::string&, const std::string&) { return reply; });
    PhotoInfo photo{};
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

// ------------------------------------------------------------ adb copy to the phone

struct RenameCase {
    const char* requested;
    std::set<std::string> existing;
    std::vector<std::string> checked;
    std::string pushed;
};

TEST_F(MediaTest, AddThroughAdbFindsAFreeName) {
    std::set<std::string> allTen = {"p.jpg"};
    for (int i = 1; i <= 9; ++i) {
        allTen.insert("p(" + std::to_string(i) + ").jpg");
    }
    std::vector<std::string> allTenChecks(allTen.begin(), allTen.end());
    std::sort(allTenChecks.begin(), allTenChecks.end(), [](const auto& a, const auto& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    const std::vector<RenameCase> cases = {
        {"p.jpg", {}, {"p.jpg"}, "p.jpg"},
        {"p.jpg", {"p.jpg", "p(1).jpg"}, {"p.jpg", "p(1).jpg", "p(2).jpg"}, "p(2).jpg"},
        {"p.jpg", allTen, allTenChecks, "p(9).jpg"},
        {"notes", {"notes"}, {"notes", "notes(1)"}, "notes(1)"},
        {".nomedia", {".nomedia"}, {".nomedia", ".nomedia(1)"}, ".nomedia(1)"},
        {"a.b.tar.gz", {"a.b.tar.gz"}, {"a.b.tar.gz", "a.b.tar(1).gz"}, "a.b.tar(1).gz"},
        {"x.averyveryverylongextension",
         {"x.averyveryverylongextension"},
         {"x.averyveryverylongextension", "x(1).averyveryverylongextension"},
         "x(1).averyveryverylongextension"},
        {"Ünïcode фото.png", {}, {"Ünïcode фото.png"}, "Ünïcode фото.png"},
    };
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "jpeg bytes");
    for (const KindCase& kind : Kinds()) {
        for (const RenameCase& c : cases) {
            fakes::Reset();
            fakes::SetCompanion([this](const std::string& cmd, const std::string& p) {
                return phone.Answer(cmd, p);
            });
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

TEST_F(MediaTest, AddThroughAdbRefusesUnsafeOrMissingArguments) {
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "jpeg bytes");
    const std::string quoted = folder.file("q\"uote.jpg");
    WriteFile(quoted, "x");
    const std::string slashEnd = folder.file("back\\");
    WriteFile(slashEnd, "x");
    const std::string tooLong(480, 'n');
    struct Refusal {
        std::string path;
        const char* name;
    };
    const std::vector<Refusal> cases = {
        {quoted, "p.jpg"},
        {slashEnd, "p.jpg"},
        {source, "a\"b.jpg"},
        {source, "a:b.jpg"},
        {source, "a;b.jpg"},
        {source, "a\\"},
        {source, ""},
        {source, nullptr},
        {source, tooLong.c_str()},
        {"", "p.jpg"},
        {folder.file("missing.jpg"), "p.jpg"},
    };
    for (const KindCase& kind : Kinds()) {
        for (const Refusal& c : cases) {
            EXPECT_EQ(kind.addAdb(c.path.c_str(), c.name), -1)
                << kind.name << " " << c.path << " " << (c.name ? c.name : "(null)");
        }
        EXPECT_EQ(kind.addAdb(nullptr, "p.jpg"), -1);
    }
    EXPECT_TRUE(fakes::Commands().empty());
    EXPECT_TRUE(fakes::AdbRuns().empty());

    // The longest accepted name still goes through.
    const std::string longest(479, 'n');
    EXPECT_EQ(Tarvell_addPhoto(source.c_str(), longest.c_str()), 0);
}

TEST_F(MediaTest, AddThroughAdbDoesNotAnnounceWhenAdbCannotStart) {
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "x");
    fakes::SetRunResult(-1);
    EXPECT_EQ(Tarvell_addPhoto(source.c_str(), "p.jpg"), -1);
    EXPECT_EQ(fakes::Commands(), std::vector<std::string>{"checkFileisExist:p.jpg;"});
}

TEST_F(MediaTest, AddThroughAdbDoesNotPushWhenTheNameCheckFails) {
    const std::string source = folder.file("p.jpg");
    WriteFile(source, "x");
    // The first name is taken; the check of the next one gets no answer.
    fakes::SetCompanion([](const std::string& c, const std::string&) -> std::optional<std::string> {
        if (c == "checkFileisExist:p.jpg;") {
            return fakes::Int32Reply(1);
        }
        return std::nullopt;
    });
    EXPECT_EQ(Tarvell_addPhoto(source.c_str(), "p.jpg"), -1);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"checkFileisExist:p.jpg;", "checkFileisExist:p(1).jpg;"}));
    EXPECT_TRUE(fakes::AdbRuns().empty());
}

// ------------------------------------------------------------ adb copy from the phone

TEST_F(MediaTest, ExportThroughAdbPullsFromSdcard) {
    const std::string out = folder.file("out.jpg");
    fakes::SetAdbAction([&](const std::string&) { WriteFile(out, "pulled"); });
    for (const KindCase& kind : Kinds()) {
        fakes::Reset();
        fakes::SetCompanion(
            [this](const std::string& c, const std::string& p) { return phone.Answer(c, p); });
        fakes::SetAdbAction([&](const std::string&) { WriteFile(out, "pulled"); });
        std::remove(out.c_str());
        phone.paths[5] = "/storage/emulated/0/DCIM/Camera/a b.jpg";
        ASSERT_EQ(kind.exportAdb(5, out.c_str(), 1234), 0) << kind.name;
        EXPECT_EQ(AdbArgs(),
                  std::vector<std::string>{"RunAdb pull \"/sdcard/DCIM/Camera/a b.jpg\" \"" + out +
                                           "\" "})
            << kind.name;
        // The storage path is asked for once per process at most.
        const auto commands = fakes::Commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back(), kind.pathQuery + "5;");
        EXPECT_LE(commands.size(), 2u);
    }
}

TEST_F(MediaTest, ExportThroughAdbFailuresAndEmptyPath) {
    const std::string out = folder.file("out.jpg");
    struct Case {
        const char* what;
        std::string pathReply;
        bool createFile;
        int result;
        bool adbRuns;
    };
    const std::vector<Case> cases = {
        {"four bytes or fewer", "/sdc", true, -1, false},
        {"no reply", "", true, -1, false},
        {"an empty path text", std::string(8, '\0'), true, 0, false},
        {"a path holding a quote", "/storage/emulated/0/a\"b.jpg", true, -1, false},
        {"a path shorter than the storage prefix", "/short", true, -1, false},
        {"adb ran but nothing arrived", "/storage/emulated/0/DCIM/x.jpg", false, -1, true},
    };
    for (const KindCase& kind : Kinds()) {
        for (const Case& c : cases) {
            fakes::Reset();
            fakes::SetCompanion([this](const std::string& cmd, const std::string& p) {
                return phone.Answer(cmd, p);
            });
            std::remove(out.c_str());
            if (c.createFile) {
                fakes::SetAdbAction([&](const std::string&) { WriteFile(out, "x"); });
            }
            phone.paths[3] = c.pathReply;
            EXPECT_EQ(kind.exportAdb(3, out.c_str(), 10), c.result) << kind.name << c.what;
            EXPECT_EQ(!fakes::AdbRuns().empty(), c.adbRuns) << kind.name << c.what;
        }
        fakes::Reset();
        EXPECT_EQ(kind.exportAdb(3, "/x/\"y.jpg", 10), -1);
        EXPECT_EQ(kind.exportAdb(3, nullptr, 10), -1);
        EXPECT_EQ(kind.exportAdb(3, "", 10), -1);
        EXPECT_TRUE(fakes::Commands().empty());
    }
}

// ------------------------------------------------------------ streamed copy to the phone

TEST_F(MediaTest, StreamedAddSendsTheFileInChunks) {
    struct Case {
        size_t bytes;
        std::vector<std::string> writes; // sizes of the write commands
    };
    const Case cases[] = {{250000, {"102400", "102400", "45200"}}, {102400, {"102400"}}, {0, {}}};
    for (const Case& c : cases) {
        const std::string bytes = PatternBytes(c.bytes, 7);
        const std::string source = folder.file("clip.bin");
        WriteFile(source, bytes);
        for (const KindCase& kind : Kinds()) {
            SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(c.bytes) + " bytes");
            fakes::Reset();
            phone = FakeMediaPhone{};
            phone.announceReply = 7;
            fakes::SetCompanion([this](const std::string& cmd, const std::string& p) {
                return phone.Answer(cmd, p);
            });
            EXPECT_EQ(kind.addStreamed(source.c_str(), "clip é.bin"),
                      kind.streamedAddReturnsReply ? 7 : 0);
            EXPECT_EQ(phone.written, bytes);
            EXPECT_EQ(kind.progress(), 100);
            const std::string hexName = Hex("clip é.bin");
            std::vector<std::string> expected = {kind.open + hexName + ";"};
            for (const std::string& w : c.writes) {
                expected.push_back(kind.write + w + ";");
            }
            expected.push_back(kind.close);
            expected.push_back(kind.announce + hexName + ";");
            EXPECT_EQ(fakes::Commands(), expected);
            EXPECT_TRUE(fakes::AdbRuns().empty());
        }
    }
}

// An abort set during the second chunk, or a second chunk that cannot be
// sent: the phone gets two chunks, a close and the abort announcement.
TEST_F(MediaTest, StreamedAddStopsAfterTheSecondChunk) {
    const std::string bytes = PatternBytes(250000, 9);
    const std::string source = folder.file("big.bin");
    WriteFile(source, bytes);
    for (bool aborted : {true, false}) {
        for (const KindCase& kind : Kinds()) {
            SCOPED_TRACE(std::string(kind.name) + (aborted ? " aborted" : " failed send"));
            fakes::Reset();
            phone = FakeMediaPhone{};
            if (aborted) {
                phone.onWrite = [&](int n) {
                    if (n == 2) {
                        kind.abort();
                    }
                };
            } else {
                phone.failWriteAt = 2;
            }
            fakes::SetCompanion(
                [this](const std::string& c, const std::string& p) { return phone.Answer(c, p); });
            kind.abort(); // a switch left set from before is cleared at the start
            const int result = kind.addStreamed(source.c_str(), "big.bin");
            EXPECT_EQ(result, !aborted ? -1 : kind.streamedAddReturnsReply ? 1 : 0);
            EXPECT_EQ(phone.written, bytes.substr(0, aborted ? 204800 : 102400));
            if (aborted) {
                EXPECT_EQ(kind.progress(), 81);
            }
            const std::string hexName = Hex("big.bin");
            EXPECT_EQ(fakes::Commands(),
                      (std::vector<std::string>{kind.open + hexName + ";", kind.write + "102400;",
                                                kind.write + "102400;", kind.close,
                                                kind.abortAnnounce + hexName + ";"}));
        }
    }
}

// Holds the transfer thread inside one answer of the phone until the test
// has acted on another thread.
class Pause {
public:
    void Hold() {
        std::unique_lock lock(m_mutex);
        m_reached = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_released; });
    }
    // Runs act once the transfer is held, then lets it go on.
    void WhileHeld(const std::function<void()>& act) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_reached; });
        act();
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_reached = false;
    bool m_released = false;
};

// The abort switch set from another thread while the transfer waits on the
// phone's answer.
TEST_F(MediaTest, StreamedAddAbortFromAnotherThread) {
    const std::string source = folder.file("big.bin");
    WriteFile(source, PatternBytes(500000, 1));
    Pause pause;
    phone.onWrite = [&](int n) {
        if (n == 1) {
            pause.Hold();
        }
    };
    int result = -99;
    std::thread transfer([&] { result = Tarvell_AddMusicToDevice2(source.c_str(), "b.bin"); });
    pause.WhileHeld([] {
        EXPECT_EQ(Tarvell_GetMusicProgress(), 0);
        Tarvell_MusicAbort();
    });
    transfer.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(phone.writes, 1);
    EXPECT_EQ(fakes::Commands().back(), "addmusictodevice_abort:" + Hex("b.bin") + ";");
    EXPECT_EQ(Tarvell_GetMusicProgress(), 20);
}

TEST_F(MediaTest, StreamedAddRefusesMissingInput) {
    EXPECT_EQ(Tarvell_addPhoto2(folder.file("missing").c_str(), "a.jpg"), -1);
    EXPECT_EQ(Tarvell_addPhoto2(nullptr, "a.jpg"), -1);
    EXPECT_EQ(Tarvell_addPhoto2("", "a.jpg"), -1);
    const std::string source = folder.file("s");
    WriteFile(source, "s");
    EXPECT_EQ(Tarvell_addPhoto2(source.c_str(), nullptr), -1);
    EXPECT_EQ(Tarvell_addPhoto2(source.c_str(), std::string(480, 'n').c_str()), -1);
    EXPECT_TRUE(fakes::Commands().empty());
}

// ------------------------------------------------------------ streamed copy from the phone

struct ExportCase {
    const char* what;
    size_t phoneBytes; // what the phone holds
    int64_t fileSize;  // what the caller says
    int result;
    size_t savedBytes; // what ends in the file
    std::vector<long long> offsets;
};

TEST_F(MediaTest, StreamedExportWritesWhatThePhoneSends) {
    const std::vector<ExportCase> cases = {
        {"whole file in 10 KiB requests", 25000, 25000, 0, 25000, {0, 10240, 20480}},
        {"exact multiple of the request", 20480, 20480, 0, 20480, {0, 10240}},
        {"a last chunk of 3 bytes is data", 10243, 10243, 0, 10243, {0, 10240}},
        {"the phone stops early: partial file, -1", 15000, 30000, -1, 15000, {0, 10240, 15000}},
        {"a first reply under 5 bytes: empty file, -1", 0, 100, -1, 0, {0}},
        {"size 0: whatever the first chunk holds", 0, 0, 0, 0, {0}},
        {"size 0 with data: one chunk", 30000, 0, 0, 10240, {0}},
    };
    const std::string out = folder.file("export.bin");
    for (const KindCase& kind : Kinds()) {
        for (const ExportCase& c : cases) {
            fakes::Reset();
            phone = FakeMediaPhone{};
            phone.data[4] = PatternBytes(c.phoneBytes, 4);
            fakes::SetCompanion([this](const std::string& cmd, const std::string& p) {
                return phone.Answer(cmd, p);
            });
            WriteFile(out, "old content that must go");
            EXPECT_EQ(kind.exportStreamed(4, out.c_str(), c.fileSize), c.result)
                << kind.name << ": " << c.what;
            EXPECT_EQ(ReadFile(out), phone.data[4].substr(0, c.savedBytes))
                << kind.name << ": " << c.what;
            EXPECT_EQ(kind.progress(), 100) << kind.name << ": " << c.what;
            std::vector<std::string> expected;
            for (long long offset : c.offsets) {
                expected.push_back(kind.read + "4:" + std::to_string(offset) + ":10240;");
            }
            EXPECT_EQ(fakes::Commands(), expected) << kind.name << ": " << c.what;
        }
    }
}

TEST_F(MediaTest, StreamedExportAbortKeepsWhatArrived) {
    const std::string out = folder.file("export.bin");
    for (const KindCase& kind : Kinds()) {
        fakes::Reset();
        phone = FakeMediaPhone{};
        phone.data[9] = PatternBytes(100000, 5);
        phone.onRead = [&](int n) {
            if (n == 3) {
                kind.abort();
            }
        };
        fakes::SetCompanion(
            [this](const std::string& cmd, const std::string& p) { return phone.Answer(cmd, p); });
        EXPECT_EQ(kind.exportStreamed(9, out.c_str(), 100000), 0) << kind.name;
        EXPECT_EQ(ReadFile(out), phone.data[9].substr(0, 30720)) << kind.name;
        EXPECT_EQ(kind.progress(), 100) << kind.name;
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

TEST_F(MediaTest, StreamedExportAbortFromAnotherThread) {
    const std::string out = folder.file("export.bin");
    phone.data[2] = PatternBytes(50000, 8);
    Pause pause;
    phone.onRead = [&](int n) {
        if (n == 2) {
            pause.Hold();
        }
    };
    int result = -99;
    std::thread transfer([&] { result = Tarvell_ExportPhotofromDevice2(2, out.c_str(), 50000); });
    pause.WhileHeld([] {
        EXPECT_EQ(Tarvell_GetPhotoProgress(), 20);
        Tarvell_PhotoAbort();
    });
    transfer.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(out), phone.data[2].substr(0, 20480));
}

TEST_F(MediaTest, StreamedExportRefusesAnUnusablePath) {
    EXPECT_EQ(Tarvell_ExportMusicfromDevice2(1, nullptr, 10), -1);
    EXPECT_EQ(Tarvell_ExportMusicfromDevice2(1, "", 10), -1);
    EXPECT_EQ(Tarvell_ExportMusicfromDevice2(1, folder.file("no/such/folder/x").c_str(), 10), -1);
    EXPECT_TRUE(fakes::Commands().empty());
}

} // namespace
