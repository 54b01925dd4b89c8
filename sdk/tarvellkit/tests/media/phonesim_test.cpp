// Media and screenshots through the real library against the
// simulated phone: the adb stand-in in this program's folder and its
// companion emulator, one generated phone for the whole suite.
#include "tarvellkit/tarvellkit.h"

#include "media_kinds.h"
#include "runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using mediatest::FileExists;
using mediatest::Item;
using mediatest::Kinds;
using mediatest::MediaKind;
using mediatest::PatternBytes;
using mediatest::ReadFile;
using mediatest::RunAndWait;
using mediatest::ScratchFolder;
using mediatest::WriteFile;

namespace {

const std::string kExternal = "/storage/emulated/0";

class MediaPhonesim : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_scratch = std::make_unique<ScratchFolder>();
        s_phone = s_scratch->file("phone");
        ASSERT_EQ(
            RunAndWait({PHONESIM_EXE_PATH, "gen", "--preset", "tiny", "--seed", "21", s_phone}), 0);
        setenv("PHONESIM_HOME", s_phone.c_str(), 1);
        Tarvell_Init();
        ASSERT_EQ(Tarvell_CheckDeviceDetected(0), 0);
        ASSERT_EQ(Tarvell_ReadyTodoing(0), 0);
    }

    static void TearDownTestSuite() {
        RunAdbTimed("kill-server");
        s_scratch.reset();
    }

    void SetUp() override {
        if (s_phone.empty() || !FileExists(s_phone + "/phone.json")) {
            GTEST_SKIP() << "no simulated phone";
        }
    }

    // The shared storage as the companion names it: the simulated phone's
    // path, or the phone folder itself when the real companion app runs on
    // the host (PHONESIM_COMPANION=dex).
    static std::string External() {
        const char* mode = std::getenv("PHONESIM_COMPANION");
        return mode && std::string(mode) == "dex" ? s_phone + "/sdcard" : kExternal;
    }

    // The phone's copy of a file the companion names by its full path.
    static std::string PhoneFile(const std::string& phonePath) {
        return s_phone + "/sdcard" + phonePath.substr(External().size());
    }

    static void Fault(const char* key, const char* value) {
        ASSERT_EQ(RunAndWait({PHONESIM_EXE_PATH, "fault", s_phone, key, value}), 0);
    }

    static std::optional<std::pair<int, Item>> Find(const MediaKind& kind,
                                                    const std::string& suffix) {
        const int n = kind.flush();
        for (int position = 0; position < n; ++position) {
            std::optional<Item> item = kind.info(position);
            if (item && item->path.size() >= suffix.size() &&
                item->path.compare(item->path.size() - suffix.size(), suffix.size(), suffix) == 0) {
                return std::make_pair(position, *item);
            }
        }
        return std::nullopt;
    }

    // Waits until a transfer running on another thread has moved its first
    // chunk, then sets the abort switch. The kind's progress must stand at
    // 100 from a finished transfer before that one starts, so that only the
    // new transfer can bring it to 1-99.
    static void AbortOnceStarted(const MediaKind& kind, const std::atomic<bool>& finished) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            const int progress = kind.progress();
            if ((progress >= 1 && progress <= 99) || finished.load() ||
                std::chrono::steady_clock::now() > deadline) {
                break;
            }
            std::this_thread::yield();
        }
        kind.abort();
    }

    // A small complete streamed copy: leaves the kind's progress at 100.
    void FinishSmallTransfer(const MediaKind& kind) {
        const std::string source = local.file("small");
        WriteFile(source, "small");
        kind.addStreamed(source.c_str(), (std::string("small.") + kind.extension).c_str());
        ASSERT_EQ(kind.progress(), 100);
    }

    static std::unique_ptr<ScratchFolder> s_scratch;
    static std::string s_phone;
    ScratchFolder local;
};

std::unique_ptr<ScratchFolder> MediaPhonesim::s_scratch;
std::string MediaPhonesim::s_phone;

TEST_F(MediaPhonesim, EveryItemComesOffThePhoneBothWays) {
    for (const MediaKind& kind : Kinds()) {
        const int n = kind.flush();
        ASSERT_GT(n, 0) << kind.name;
        EXPECT_EQ(kind.count(), n) << kind.name;
        for (int position = 0; position < n; ++position) {
            std::optional<Item> item = kind.info(position);
            ASSERT_TRUE(item) << kind.name << position;
            ASSERT_EQ(item->path.compare(0, External().size(), External()), 0) << item->path;
            const std::string expected = ReadFile(PhoneFile(item->path));
            EXPECT_EQ(item->size, static_cast<int64_t>(expected.size())) << item->path;

            const std::string viaAdb = local.file("adb " + std::to_string(position));
            ASSERT_EQ(kind.exportAdb(item->id, viaAdb.c_str(), item->size), 0) << item->path;
            EXPECT_EQ(ReadFile(viaAdb), expected) << item->path;

            const std::string streamed = local.file("streamed " + std::to_string(position));
            ASSERT_EQ(kind.exportStreamed(item->id, streamed.c_str(), item->size), 0) << item->path;
            EXPECT_EQ(ReadFile(streamed), expected) << item->path;
            EXPECT_EQ(kind.progress(), 100);
        }
        EXPECT_FALSE(kind.info(n)) << kind.name;
    }
}

TEST_F(MediaPhonesim, FilesGoOntoThePhoneBothWays) {
    for (const MediaKind& kind : Kinds()) {
        const int before = kind.flush();
        const std::string bytes = PatternBytes(250001, static_cast<unsigned>(before) + 3);
        const std::string source = local.file(std::string("source ") + kind.name);
        WriteFile(source, bytes);

        const std::string adbName =
            std::string("new 'one' $(x) -rf ") + kind.name + "." + kind.extension;
        ASSERT_EQ(kind.addAdb(source.c_str(), adbName.c_str()), 0) << kind.name;
        EXPECT_EQ(ReadFile(s_phone + kind.folder + adbName), bytes);

        const std::string streamedName = std::string("流 ") + kind.name + "." + kind.extension;
        EXPECT_EQ(kind.addStreamed(source.c_str(), streamedName.c_str()),
                  (kind.streamedAddReturnsReply ? 1 : 0))
            << kind.name;
        EXPECT_EQ(ReadFile(s_phone + kind.folder + streamedName), bytes);
        EXPECT_EQ(kind.progress(), 100);

        // Both were registered with the phone's list, and read back whole.
        EXPECT_EQ(kind.flush(), before + 2) << kind.name;
        for (const std::string& name : {adbName, streamedName}) {
            auto found = Find(kind, "/" + name);
            ASSERT_TRUE(found) << name;
            const std::string back = local.file("back " + name);
            ASSERT_EQ(kind.exportStreamed(found->second.id, back.c_str(), found->second.size), 0);
            EXPECT_EQ(ReadFile(back), bytes) << name;
        }
    }
}

// A streamed copy either way, aborted from this thread once the transfer
// thread has moved its first chunk: the copy to the phone leaves no file
// there, the copy from the phone keeps a true prefix of the file.
TEST_F(MediaPhonesim, AbortingAStreamedCopyEitherWay) {
    const std::string bytes = PatternBytes(4 << 20, 12);
    const std::string source = local.file("big");
    WriteFile(source, bytes);
    // Copied and announced as a restore does, so that the phone lists them.
    for (const MediaKind& kind : Kinds()) {
        const std::string name = std::string("big.") + kind.extension;
        ASSERT_EQ(kind.addAdb(source.c_str(), name.c_str()), 0) << kind.name;
    }
    Fault("companion_delay_ms", "2");
    for (bool toPhone : {true, false}) {
        for (size_t k = 0; k < Kinds().size(); ++k) {
            const MediaKind& kind = Kinds()[k];
            SCOPED_TRACE(std::string(kind.name) + (toPhone ? " to the phone" : " from the phone"));
            const std::string name = std::string("aborted.") + kind.extension;
            auto found = Find(kind, std::string("/big.") + kind.extension);
            ASSERT_TRUE(found);
            const std::string out = local.file("partial");
            FinishSmallTransfer(kind);
            std::atomic<bool> finished{false};
            int result = -99;
            std::thread transfer([&] {
                result = toPhone ? kind.addStreamed(source.c_str(), name.c_str())
                                 : kind.exportStreamed(found->second.id, out.c_str(),
                                                       found->second.size);
                finished = true;
            });
            AbortOnceStarted(kind, finished);
            transfer.join();
            EXPECT_EQ(result, 0); // the phone answers an abort with 0
            if (toPhone) {
                EXPECT_LT(kind.progress(), 100);
                EXPECT_FALSE(FileExists(s_phone + kind.folder + name));
            } else {
                const std::string partial = ReadFile(out);
                EXPECT_GT(partial.size(), 0u);
                EXPECT_LT(partial.size(), bytes.size());
                EXPECT_EQ(partial, bytes.substr(0, partial.size()));
                EXPECT_EQ(kind.progress(), 100);
            }
        }
    }
    Fault("companion_delay_ms", "0");
}

TEST_F(MediaPhonesim, DeleteAndClear) {
    for (const MediaKind& kind : Kinds()) {
        const std::string source = local.file("gone");
        WriteFile(source, "bytes");
        const std::string name = std::string("gone.") + kind.extension;
        ASSERT_EQ(kind.addAdb(source.c_str(), name.c_str()), 0);
        auto found = Find(kind, "/" + name);
        ASSERT_TRUE(found) << kind.name;
        const int before = kind.flush();
        EXPECT_EQ(kind.remove(found->first), 1) << kind.name;
        EXPECT_FALSE(FileExists(s_phone + kind.folder + name));
        EXPECT_EQ(kind.flush(), before - 1) << kind.name;

        EXPECT_EQ(kind.clear(), before - 1) << kind.name;
        EXPECT_EQ(kind.flush(), 0) << kind.name;
        EXPECT_EQ(kind.count(), 0) << kind.name;
    }
}

TEST_F(MediaPhonesim, Screenshot) {
    const std::string out = local.file("screen shot.png");
    ASSERT_EQ(Tarvell_GetAndroidDevicesScreenCap(out.c_str(), 0), 0);
    const std::string png = ReadFile(out);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(0, 4), "\x89PNG");
    EXPECT_TRUE(FileExists(s_phone + "/sdcard/screenshot.png"));
}

} // namespace
