// Pure logic: the emulator's record text and frames against the shared
// vectors, phone paths, package stand-ins, fault settings, release numbers.
#include "framing.h"
#include "media.h"
#include "phone.h"
#include "records.h"
#include "util.h"
#include "vectors.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>

using namespace phonesim;

namespace {

const std::map<std::string, RecordKind> kRecordKinds = {{"sms", RecordKind::Sms},
                                                        {"contact", RecordKind::Contact},
                                                        {"calllog", RecordKind::CallLog},
                                                        {"app", RecordKind::App}};
const std::map<std::string, MediaKind> kMediaKinds = {
    {"photo", MediaKind::Photo}, {"music", MediaKind::Music}, {"video", MediaKind::Video}};

Record FromFields(const testvectors::Fields& f, RecordKind kind) {
    Record r;
    for (const auto& [tag, value] : f.items) {
        std::string key = tag;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (kind != RecordKind::App && tag == RecordTags(kind)[0])
            r.id = std::stoll(value);
        else
            r.Set(key, value);
    }
    return r;
}

} // namespace

TEST(RecordVectors, EmulatorWritesEveryVectorOfItsOwnExactly) {
    auto cases = testvectors::Load(VECTORS_DIR "/records.txt");
    int checked = 0;
    for (const auto& c : cases) {
        if (c.Get("origin") != "both")
            continue;
        SCOPED_TRACE(c.name);
        const std::string kind = c.Get("kind");
        std::string text;
        if (auto rk = kRecordKinds.find(kind); rk != kRecordKinds.end()) {
            bool list = c.Get("text").back() == '.';
            for (const auto& f : c.records)
                AppendRecord(text, rk->second, FromFields(f, rk->second), list);
        } else if (auto mk = kMediaKinds.find(kind); mk != kMediaKinds.end()) {
            ASSERT_EQ(c.records.size(), 1u);
            const auto& f = c.records[0];
            MediaItem m;
            m.kind = mk->second;
            m.id = std::stoll(*f.Get("ID"));
            m.title = *f.Get("TILTE");
            if (f.Get("ALBUM")) {
                m.album = *f.Get("ALBUM");
                m.artist = *f.Get("ARTIST");
                m.album_id = std::stoll(*f.Get("ALBUMID"));
            }
            if (f.Get("DISPLAYNAME"))
                m.display_name = *f.Get("DISPLAYNAME");
            if (f.Get("DURATION"))
                m.duration = std::stoll(*f.Get("DURATION"));
            m.created = std::stoll(*f.Get("CREATETIME"));
            text = MediaRecord(m, *f.Get("PATH"), std::stoll(*f.Get("SIZE")),
                               std::stoll(*f.Get("MODIFTIME")));
        } else if (kind == "storage") {
            PhoneConfig cfg;
            for (const auto& [k, v] : c.records[0].items)
                cfg.storage.emplace_back(k, std::stoll(v));
            text = StorageReply(cfg);
        } else {
            FAIL() << "unknown kind " << kind;
        }
        EXPECT_EQ(text, c.Get("text"));
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

TEST(FramingVectors, FramesMatchTheVectors) {
    auto cases = testvectors::Load(VECTORS_DIR "/framing.txt");
    ASSERT_GE(cases.size(), 6u);
    for (const auto& c : cases) {
        if (c.Get("origin") != "both")
            continue;
        SCOPED_TRACE(c.name);
        std::string body = testvectors::Unhex(c.Get("body"));
        EXPECT_EQ(HexEncode(Frame(body)), c.Get("frame"));
        const std::string kind = c.Get("kind");
        if (kind == "int") {
            EXPECT_EQ(IntBody(static_cast<int32_t>(std::stoll(c.Get("value")))), body);
        } else if (kind == "int64") {
            EXPECT_EQ(Int64Body(std::stoll(c.Get("value"))), body);
        } else if (kind == "text") {
            EXPECT_EQ(c.Get("text"), body);
        }
    }
}

TEST(PhonePaths, MapIntoThePhoneFolderAndNeverOutOfIt) {
    PhoneConfig cfg;
    struct Case {
        const char* phone;
        const char* expect; // nullptr: refused
    } cases[] = {
        {"/sdcard/DCIM/x.jpg", "/P/sdcard/DCIM/x.jpg"},
        {"/storage/emulated/0/Music/a b.mp3", "/P/sdcard/Music/a b.mp3"},
        {"/sdcard", "/P/sdcard"},
        {"/sdcard//Images/./y.png", "/P/sdcard/Images/y.png"},
        {"/data/app/org.x-1.apk", "/P/data/app/org.x-1.apk"},
        {"/mnt/sdcard/z", "/P/sdcard/z"},
        {"/sdcard/../phone.json", nullptr},
        {"/sdcard/a/../../etc", nullptr},
        {"/etc/passwd", nullptr},
        {"/sdcardX/y", nullptr},
        {"relative/path", nullptr},
    };
    for (const auto& c : cases) {
        auto got = MapPhonePath("/P", cfg, c.phone);
        if (c.expect) {
            EXPECT_EQ(got.value_or("(refused)"), c.expect) << c.phone;
        } else {
            EXPECT_FALSE(got.has_value()) << c.phone << " -> " << got.value_or("");
        }
    }
}

TEST(PackageFiles, StandInsRoundTripAndOtherFilesAreRefused) {
    PackageFile p{"org.sample.notes", "Notes ☀", "1.2", "12"};
    auto back = ParsePackageFile(PackageFileText(p) + "# filler\n");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->package, p.package);
    EXPECT_EQ(back->label, p.label);
    EXPECT_EQ(back->version_code, "12");
    for (const char* bad : {"", "PK\x03\x04 a real zip", "PHONESIM-PACKAGE 1\nlabel=x\n",
                            "PHONESIM-PACKAGE 1\npackage=a/../b\n"})
        EXPECT_FALSE(ParsePackageFile(bad)) << bad;
}

// The values the companion tests set through "phonesim fault" are checked
// there by their effect; here what is refused.
TEST(FaultSettings, UnknownKeysAndBadValuesAreRefused) {
    Faults f;
    std::string err;
    EXPECT_FALSE(f.Set("companion_delay_ms", "soon", &err));
    EXPECT_TRUE(f.Set("companion_greeting", "off", &err));
    EXPECT_FALSE(f.companion_greeting);
    EXPECT_FALSE(f.Set("no_such_fault", "1", &err));
    EXPECT_NE(err.find("no_such_fault"), std::string::npos);
}

TEST(ReleaseCheck, PhonesFrom44OnNeedTheDefaultMessagingApp) {
    struct {
        const char* release;
        bool at_least;
    } cases[] = {{"4.4.2", true},  {"4.4", true},  {"5.0", true}, {"6", true},
                 {"4.3.1", false}, {"4.3", false}, {"", false},   {"11", true}};
    for (const auto& c : cases) {
        PhoneConfig cfg;
        cfg.release = c.release;
        EXPECT_EQ(cfg.ReleaseAtLeast44(), c.at_least) << c.release;
    }
}

TEST(RecordFiles, JsonKeepsBytesEmptyAndMissingFields) {
    RecordFile f;
    Record r;
    r.Set("body", std::string("a\"b\\c\nd\te\x01 😀"));
    r.Set("note", "");
    f.Add(r);
    f.Add(Record{});
    std::string err;
    auto back = ParseRecordFile(RecordFileToJson(f), &err);
    ASSERT_TRUE(back) << err;
    ASSERT_EQ(back->items.size(), 2u);
    EXPECT_EQ(*back->items[0].Get("body"), *r.Get("body"));
    ASSERT_TRUE(back->items[0].Get("note"));
    EXPECT_EQ(*back->items[0].Get("note"), "");
    EXPECT_FALSE(back->items[1].Get("note"));
    EXPECT_EQ(back->next_id, 3);
    EXPECT_FALSE(ParseRecordFile("[1,2", &err));
}
