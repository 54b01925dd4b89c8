// The companion emulator driven by a raw client over a socket pair: every
// command, paging by offset, payload writes, chunked reads, the 8-byte id,
// the changes in the phone folder, and the companion faults.
#include "canon.h"
#include "companion.h"
#include "media.h"
#include "phone.h"
#include "store.h"
#include "support.h"
#include "util.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>

using namespace phonesim;
using pstest::RawClient;

namespace {

using Fields = std::map<std::string, std::string>;

// Decodes a list or detail reply into records of decoded fields.
std::vector<Fields> Decode(const std::string& text) {
    std::vector<Fields> out(1);
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '.') {
            out.emplace_back();
            ++pos;
            continue;
        }
        size_t colon = text.find(':', pos), semi = text.find(';', pos);
        if (colon == std::string::npos || semi == std::string::npos)
            break;
        out.back()[text.substr(pos, colon - pos)] =
            HexDecode(text.substr(colon + 1, semi - colon - 1)).value_or("(bad hex)");
        pos = semi + 1;
    }
    if (out.back().empty())
        out.pop_back();
    return out;
}

std::string H(const std::string& s) {
    return HexEncode(s);
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        phone_ = dir_.path() + "/phone";
        auto r = pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "tiny", "--seed", "3", phone_});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        store_ = std::make_unique<PhoneStore>(phone_);
        Connect();
    }
    void TearDown() override {
        client_.reset();
        for (auto& t : servers_)
            t.join();
    }
    void Connect() {
        int sv[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
        servers_.emplace_back([this, fd = sv[1]] {
            ServeCompanion(fd, *store_);
            ::close(fd);
        });
        client_ = std::make_unique<RawClient>(sv[0]);
    }
    void Fault(const std::string& key, const std::string& value) {
        auto r = pstest::Run({PHONESIM_EXE_PATH, "fault", phone_, key, value});
        ASSERT_EQ(r.exit_code, 0) << r.err;
    }
    void Flush() {
        std::lock_guard<std::mutex> lock(store_->Mutex());
        ASSERT_TRUE(store_->Flush());
    }
    RecordFile Load(const char* file) {
        Flush();
        return LoadRecordFile(phone_ + "/" + file).value();
    }
    // Every record of a paged store, fetched as the library does: offset
    // 0, 5, 10, ... while below the count.
    std::vector<Fields> FetchAll(const std::string& count_cmd, const std::string& page_cmd) {
        int64_t count = client_->AskInt(count_cmd);
        std::vector<Fields> all;
        for (int64_t off = 0; off < count; off += 5) {
            auto page = client_->Ask(page_cmd + ":" + std::to_string(off) + ";");
            EXPECT_TRUE(page);
            auto recs = Decode(page.value_or(""));
            EXPECT_LE(recs.size(), 5u);
            all.insert(all.end(), recs.begin(), recs.end());
        }
        EXPECT_EQ(static_cast<int64_t>(all.size()), count);
        return all;
    }
    void MakeDefaultSmsApp() { ASSERT_EQ(client_->AskInt("SetDefaultMessage;"), 1); }

    pstest::TempDir dir_;
    std::string phone_;
    std::unique_ptr<PhoneStore> store_;
    std::unique_ptr<RawClient> client_;
    std::vector<std::thread> servers_;
};

TEST_F(Companion, GreetsAndAnswersDeviceFacts) {
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    PhoneConfig cfg = LoadConfig(phone_).value();
    EXPECT_EQ(client_->AskInt("getBattery;"), cfg.battery);
    auto storage = client_->Ask("GetandroidTempinfo;").value();
    EXPECT_EQ(storage.rfind("MEMTOTAL:" + std::to_string(cfg.storage[0].second) + ";", 0), 0u);
    EXPECT_EQ(client_->Ask("getExternalStoragePath;"), "/storage/emulated/0");
    // Unknown commands get an empty answer, and the channel goes on.
    EXPECT_EQ(client_->Ask("nosuchcommand:1;"), "");
    EXPECT_EQ(client_->last_length(), 0);
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
}

TEST_F(Companion, PagesHoldTheRecordsFromTheirOffset) {
    struct Store {
        const char* count;
        const char* page;
        const char* file;
        const char* id_tag;
    } stores[] = {{"getsmsCount;", "getsmsPart10", "sms.json", "ID"},
                  {"getcontactCount;", "getcontactpart10", "contacts.json", "CONTACTID"},
                  {"getcalllogcount;", "getcalllogpart10", "calllog.json", "ID"}};
    for (const auto& s : stores) {
        SCOPED_TRACE(s.file);
        RecordFile f = Load(s.file);
        ASSERT_GT(f.items.size(), 5u);
        auto all = FetchAll(s.count, s.page);
        ASSERT_EQ(all.size(), f.items.size());
        for (size_t i = 0; i < all.size(); ++i) {
            EXPECT_EQ(all[i][s.id_tag], std::to_string(f.items[i].id));
            for (const auto& [k, v] : f.items[i].fields) {
                std::string tag = k;
                for (char& c : tag)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                EXPECT_EQ(all[i][tag], v) << tag;
            }
        }
        // A page at any offset starts with that record; past the end is empty.
        auto mid = Decode(client_->Ask(std::string(s.page) + ":3;").value());
        ASSERT_FALSE(mid.empty());
        EXPECT_EQ(mid[0][s.id_tag], std::to_string(f.items[3].id));
        EXPECT_EQ(client_->Ask(std::string(s.page) + ":" + std::to_string(f.items.size()) + ";"),
                  "");
        EXPECT_EQ(client_->Ask(std::string(s.page) + ":-5;"), "");
        EXPECT_EQ(client_->Ask(std::string(s.page) + ":x;"), "");
    }
}

TEST_F(Companion, SentMessagesKeepTheirDirectionAndReadFlag) {
    MakeDefaultSmsApp();
    struct Case {
        const char* direction;
        const char* read;
        const char* type;
        const char* stored_read;
    } cases[] = {
        {"0", "1", "2", "1"}, {"1", "1", "1", "1"}, {"1", "0", "1", "0"}, {"0", "0", "2", "0"}};
    for (const auto& c : cases) {
        std::string cmd = "SendSMS:" + H("+86 138-0013-8000") + "-" + H("Body, \"quoted\"\n2") +
                          "-" + H("2020-01-02 03:04:05") + "-" + H(c.read) + "-2D31-" +
                          H(c.direction) + ";";
        EXPECT_GT(client_->AskInt(cmd), 0);
    }
    RecordFile sms = Load("sms.json");
    ASSERT_GE(sms.items.size(), 4u);
    std::string thread;
    for (size_t i = 0; i < 4; ++i) {
        const Record& r = sms.items[sms.items.size() - 4 + i];
        EXPECT_EQ(*r.Get("type"), cases[i].type);
        EXPECT_EQ(*r.Get("read"), cases[i].stored_read);
        EXPECT_EQ(*r.Get("body"), "Body, \"quoted\"\n2");
        EXPECT_EQ(*r.Get("date"), "2020-01-02 03:04:05");
        if (thread.empty())
            thread = *r.Get("thread_id");
        EXPECT_EQ(*r.Get("thread_id"), thread) << "one address, one conversation";
    }
    // An empty body travels as two '-' in a row.
    EXPECT_GT(
        client_->AskInt("SendSMS:" + H("10086") + "--" + H("2021-01-01 10:00:00") + "-31-2D31-30;"),
        0);
    EXPECT_EQ(*Load("sms.json").items.back().Get("body"), "");
    // Malformed commands are refused and change nothing.
    size_t before = Load("sms.json").items.size();
    for (const char* bad : {"SendSMS:31-32;", "SendSMS:ZZ-31-31-31-2D31-30;", "SendSMS;"})
        EXPECT_EQ(client_->AskInt(bad), -1) << bad;
    EXPECT_EQ(Load("sms.json").items.size(), before);
}

TEST_F(Companion, MessageWritesNeedTheDefaultMessagingAppFrom44On) {
    std::string cmd =
        "SendSMS:" + H("5") + "-" + H("x") + "-" + H("2020-01-02 03:04:05") + "-31-2D31-30;";
    size_t before = Load("sms.json").items.size();
    EXPECT_EQ(client_->AskInt(cmd), -1);
    EXPECT_EQ(client_->AskInt("ClearSMS;"), -1);
    EXPECT_EQ(Load("sms.json").items.size(), before);
    Fault("release", "4.3");
    EXPECT_GT(client_->AskInt(cmd), 0);
    EXPECT_EQ(client_->AskInt("ClearSMS;"), static_cast<int64_t>(before + 1));
    EXPECT_TRUE(Load("sms.json").items.empty());
}

TEST_F(Companion, DefaultMessagingAppIsGrantedAndHandedBack) {
    EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), "com.android.messaging");
    MakeDefaultSmsApp();
    EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), kCompanionPackage);
    EXPECT_EQ(LoadConfig(phone_)->default_sms_app, kCompanionPackage);
    EXPECT_EQ(client_->AskInt("ReSetDefaultMessage;"), 1);
    EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), "com.android.messaging");
}

TEST_F(Companion, UserWhoNeverAcceptsKeepsTheOldApp) {
    Fault("default_sms_accept_after", "never");
    MakeDefaultSmsApp();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), "com.android.messaging");
}

TEST_F(Companion, UserAcceptsAfterOneSecond_RealWait) {
    Fault("default_sms_accept_after", "1");
    MakeDefaultSmsApp();
    EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), "com.android.messaging");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), kCompanionPackage);
}

TEST_F(Companion, ContactsGetEightByteIdsAndFieldUpdates) {
    int64_t a =
        client_->AskInt64("AddPerson:" + H("Zoë O'Brien") + ":" + H("(555) 010-9999") + ";");
    int64_t b = client_->AskInt64("AddPerson::;");
    ASSERT_GT(a, 0);
    EXPECT_EQ(b, a + 1);
    struct Update {
        const char* key;
        const char* field;
    } updates[] = {{"NICKNAME", "nickname"},
                   {"MOBILE", "phone_phone"},
                   {"HOMENUMBER", "phone_home"},
                   {"WORKNUMBER", "phone_work"},
                   {"HOMEPAGE", "website"},
                   {"HOMEEMAIL", "email_home"},
                   {"BIRTHDAY", "birthday"},
                   {"GROUP", "group"},
                   {"NOTE", "note"},
                   {"ORGANZATION", "org_name"},
                   {"DEPARTMENT", "org_title"},
                   {"HOMEADDRESS", "address_home"},
                   {"WORKADDRESS", "address_work"},
                   {"HOMEFAX", "phone_homefax"},
                   {"WORKFAX", "phone_workfax"},
                   {"WORKEMAIL", "email_work"},
                   {"LASTNAME", "last_name"},
                   {"FIRSTNAME", "name"}};
    for (const auto& u : updates) {
        std::string value = std::string("v:") + u.key + ";\n,\"";
        EXPECT_EQ(client_->AskInt("UpdatePerson:" + std::to_string(a) + ":" + H(value) + ":" +
                                  u.key + ";"),
                  1)
            << u.key;
    }
    EXPECT_EQ(client_->AskInt("UpdatePerson:" + std::to_string(a) + ":" + H("x") + ":NOSUCHKEY;"),
              0);
    EXPECT_EQ(client_->AskInt("UpdatePerson:999999:" + H("x") + ":NOTE;"), 0);
    RecordFile c = Load("contacts.json");
    const Record* rec = nullptr;
    for (const Record& r : c.items)
        if (r.id == a)
            rec = &r;
    ASSERT_TRUE(rec);
    for (const auto& u : updates)
        EXPECT_EQ(*rec->Get(u.field), std::string("v:") + u.key + ";\n,\"") << u.key;
    EXPECT_EQ(client_->AskInt("ClearPerson;"), static_cast<int64_t>(c.items.size()));
    EXPECT_EQ(client_->AskInt("getcontactCount;"), 0);
    // Ids are never reused.
    EXPECT_GT(client_->AskInt64("AddPerson:" + H("New") + ":;"), b);
}

TEST_F(Companion, CallLogTakesSecondsAndNamesTheContact) {
    int64_t id = client_->AskInt64("AddPerson:" + H("Ana") + ":" + H("+49 151 12 345678") + ";");
    ASSERT_GT(id, 0);
    int64_t secs = ParseLocalDateText("2019-03-04 05:06:07").value();
    std::string cmd = "AddCallHistory:" + H("+4915112345678") + "-" + H(std::to_string(secs)) +
                      "-" + H("2") + "-" + H("61") + ";";
    EXPECT_EQ(client_->AskInt(cmd), 1);
    EXPECT_EQ(client_->AskInt("AddCallHistory:" + H("10086") + "--" + H("3") + "-" + H("0") + ";"),
              1);
    EXPECT_EQ(client_->AskInt("AddCallHistory:" + H("1") + "-" + H("soon") + "-31-31;"), -1);
    RecordFile calls = Load("calllog.json");
    const Record& r = calls.items[calls.items.size() - 2];
    EXPECT_EQ(*r.Get("date"), "2019-03-04 05:06:07");
    EXPECT_EQ(*r.Get("name"), "Ana");
    EXPECT_EQ(*r.Get("type"), "2");
    EXPECT_EQ(*r.Get("duration"), "61");
    EXPECT_FALSE(calls.items.back().Get("date"));
    EXPECT_FALSE(calls.items.back().Get("name"));
    EXPECT_EQ(client_->AskInt("ClearCallHistory;"), static_cast<int64_t>(calls.items.size()));
    EXPECT_TRUE(Load("calllog.json").items.empty());
}

TEST_F(Companion, MediaListsDetailsThumbnailsAndChunkedReads) {
    struct Kind {
        const char* flush;
        const char* count;
        const char* info;
        const char* thumb; // nullptr: none
        const char* path;
        const char* data;
    } kinds[] = {
        {"flushphotolist;", "getdcimcount;", "getdcimindexinfo", "getdcimthumb:%d;",
         "getfilepathForid", "getdcimdata"},
        {"flushmusiclist;", "getmusiccount;", "getmusicindexinfo", "getmusicthumb:%d:0;",
         "GetMusicPathById", "exportfilefromdevice_music"},
        {"flushvideolist;", "getvideocount;", "getvideoindexinfo", nullptr, "GetVideoPathById",
         "exportfilefromdevice_video"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.flush);
        int64_t n = client_->AskInt(k.flush);
        ASSERT_GT(n, 0);
        EXPECT_EQ(client_->AskInt(k.count), n);
        for (int64_t i = 0; i < n; ++i) {
            auto recs =
                Decode(client_->Ask(std::string(k.info) + ":" + std::to_string(i) + ";").value());
            ASSERT_EQ(recs.size(), 1u);
            Fields f = recs[0];
            const std::string path = f["PATH"];
            ASSERT_EQ(path.rfind("/storage/emulated/0/", 0), 0u) << path;
            std::string local = phone_ + "/sdcard/" + path.substr(20);
            auto content = ReadFile(local);
            ASSERT_TRUE(content) << local;
            EXPECT_EQ(f["SIZE"], std::to_string(content->size()));
            EXPECT_FALSE(f["MODIFTIME"].empty());
            EXPECT_EQ(client_->Ask(std::string(k.path) + ":" + f["ID"] + ";"), path);
            // The file in chunks of the library's size, by offset.
            std::string got;
            for (;;) {
                auto chunk = client_->Ask(std::string(k.data) + ":" + f["ID"] + ":" +
                                          std::to_string(got.size()) + ":10240;");
                ASSERT_TRUE(chunk);
                if (chunk->empty())
                    break;
                EXPECT_LE(chunk->size(), 10240u);
                got += *chunk;
            }
            EXPECT_TRUE(got == *content) << "chunked read differs for " << path;
            if (k.thumb) {
                char cmd[64];
                std::snprintf(cmd, sizeof cmd, k.thumb, static_cast<int>(i));
                auto t = client_->Ask(cmd).value();
                bool jpeg = t.rfind("\xFF\xD8\xFF", 0) == 0,
                     png = t.rfind("\x89PNG\r\n\x1A\n", 0) == 0;
                EXPECT_TRUE(jpeg || png) << "thumbnail is not an image";
            }
        }
        EXPECT_EQ(client_->Ask(std::string(k.info) + ":" + std::to_string(n) + ";"), "");
        EXPECT_EQ(client_->Ask(std::string(k.path) + ":999999;"), "");
        EXPECT_EQ(client_->Ask(std::string(k.data) + ":999999:0:10;"), "");
    }
}

TEST_F(Companion, StreamedUploadsLandInTheKindsFolderAndRegister) {
    struct Kind {
        const char* open;
        const char* write;
        const char* close;
        const char* announce;
        const char* check;
        const char* flush;
        const char* folder;
        const char* name;
    } kinds[] = {
        {"open_photofile", "write_photofile", "close_photofile;", "addphototodevice",
         "checkFileisExist", "flushphotolist;", "Images", "new 'one' $(x).jpg"},
        {"open_Musicfile", "write_musicfile", "close_Musicfile;", "addmusictodevice",
         "checkMusicFileisExist", "flushmusiclist;", "Music", "Ünïcödé, song.mp3"},
        {"open_videofile", "write_videofile", "close_videofile;", "addvideotodevice",
         "checkVideoFileisExist", "flushvideolist;", "Videos", "-rf clip.mp4"},
    };
    std::string data;
    for (int i = 0; i < 250000; ++i)
        data += static_cast<char>((i * 7919) & 0xFF);
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.folder);
        int64_t before = client_->AskInt(k.flush);
        EXPECT_EQ(client_->AskInt(std::string(k.check) + ":" + k.name + ";"), 0);
        ASSERT_EQ(client_->AskInt(std::string(k.open) + ":" + H(k.name) + ";"), 1);
        for (size_t off = 0; off < data.size(); off += 102400) {
            std::string part = data.substr(off, 102400);
            EXPECT_EQ(client_->AskInt(
                          std::string(k.write) + ":" + std::to_string(part.size()) + ";", part),
                      static_cast<int64_t>(part.size()));
        }
        EXPECT_EQ(client_->AskInt(k.close), 1);
        EXPECT_EQ(client_->AskInt(std::string(k.announce) + ":" + H(k.name) + ";"), 1);
        EXPECT_EQ(ReadFile(phone_ + "/sdcard/" + k.folder + "/" + k.name), data);
        EXPECT_EQ(client_->AskInt(std::string(k.check) + ":" + k.name + ";"), 1);
        EXPECT_EQ(client_->AskInt(k.flush), before + 1);
        // An aborted upload leaves nothing behind.
        ASSERT_EQ(client_->AskInt(std::string(k.open) + ":" + H("partial.bin") + ";"), 1);
        EXPECT_EQ(client_->AskInt(std::string(k.write) + ":3;", "abc"), 3);
        EXPECT_EQ(client_->AskInt(k.close), 1);
        EXPECT_EQ(client_->AskInt(std::string(k.announce) + "_abort:" + H("partial.bin") + ";"), 0);
        EXPECT_FALSE(IsFile(phone_ + "/sdcard/" + k.folder + "/partial.bin"));
    }
    // A write without an open file is refused, and its payload still read.
    EXPECT_EQ(client_->AskInt("write_photofile:2;", "zz"), -1);
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
}

TEST_F(Companion, NamesThatLeaveTheFolderAreRefused) {
    for (const char* name : {"../escape.jpg", "a/b.jpg", "..", ""}) {
        EXPECT_EQ(client_->AskInt(std::string("open_photofile:") + H(name) + ";"), -1) << name;
        EXPECT_EQ(client_->AskInt(std::string("addphototodevice:") + H(name) + ";"), -1) << name;
        EXPECT_EQ(client_->AskInt(std::string("checkFileisExist:") + name + ";"), 0) << name;
    }
    EXPECT_FALSE(IsFile(phone_ + "/sdcard/escape.jpg"));
    EXPECT_FALSE(IsFile(phone_ + "/escape.jpg"));
}

TEST_F(Companion, DeleteAndClearRemoveFiles) {
    int64_t n = client_->AskInt("flushphotolist;");
    ASSERT_GE(n, 2);
    auto first = Decode(client_->Ask("getdcimindexinfo:0;").value())[0];
    std::string local = phone_ + "/sdcard/" + first["PATH"].substr(20);
    ASSERT_TRUE(IsFile(local));
    EXPECT_EQ(client_->AskInt("deletephoto:0;"), 1);
    EXPECT_FALSE(IsFile(local));
    EXPECT_EQ(client_->AskInt("deletephoto:0;"), 0);
    EXPECT_EQ(client_->AskInt("flushphotolist;"), n - 1);
    EXPECT_EQ(client_->AskInt("ClearPhotos;"), n - 1);
    EXPECT_EQ(client_->AskInt("flushphotolist;"), 0);
    EXPECT_GT(client_->AskInt("flushmusiclist;"), 0) << "clearing photos keeps music";
    EXPECT_GT(client_->AskInt("ClearVideos;"), 0);
    EXPECT_EQ(client_->AskInt("getvideocount;"), 0);
}

TEST_F(Companion, AppsListedWithDetails) {
    int64_t n = client_->AskInt("flushapplist;");
    ASSERT_EQ(n, 2);
    EXPECT_EQ(client_->AskInt("getappcount;"), n);
    RecordFile apps = Load("apps.json");
    for (int64_t i = 0; i < n; ++i) {
        auto recs = Decode(client_->Ask("getappindexinfo:" + std::to_string(i) + ";").value());
        ASSERT_EQ(recs.size(), 1u);
        EXPECT_EQ(recs[0]["PKG"], *apps.items[static_cast<size_t>(i)].Get("pkg"));
        EXPECT_EQ(recs[0]["VERSION"], *apps.items[static_cast<size_t>(i)].Get("version"));
        EXPECT_EQ(recs[0]["SYSTEMAPP"], "0");
    }
    EXPECT_EQ(client_->Ask("getappindexinfo:2;"), "");
}

TEST_F(Companion, WritesSurviveInThePhoneFolder) {
    MakeDefaultSmsApp();
    ASSERT_GT(client_->AskInt("SendSMS:" + H("777") + "-" + H("persist") + "-" +
                              H("2022-02-02 10:00:00") + "-31-2D31-31;"),
              0);
    client_.reset(); // the session ends
    servers_.back().join();
    servers_.pop_back();
    // A fresh store (as after a server restart) reads it from disk.
    RecordFile sms = LoadRecordFile(phone_ + "/sms.json").value();
    EXPECT_EQ(*sms.items.back().Get("body"), "persist");
}

// Faults.

TEST_F(Companion, FaultGreetingOtherThanHiPc) {
    for (const char* g : {"HI-PC and more", "hi-pc", ""}) {
        Fault("companion_greeting", g);
        EXPECT_EQ(client_->Ask("hello-android;"), g);
    }
}

TEST_F(Companion, FaultDropsTheConnectionAfterNCommands) {
    Fault("companion_drop_after", "3");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    EXPECT_FALSE(client_->Ask("hello-android;"));
    EXPECT_TRUE(client_->Closed());
}

TEST_F(Companion, FaultTruncatedAnswerThenClose) {
    Fault("companion_truncate", "getsmsPart10");
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    ASSERT_TRUE(client_->Send("getsmsPart10:0;"));
    std::string head, body;
    ASSERT_TRUE(client_->ReadExact(&head, 4, 5000));
    int32_t len;
    std::memcpy(&len, head.data(), 4);
    EXPECT_GT(len, 10);
    EXPECT_FALSE(client_->ReadExact(&body, static_cast<size_t>(len), 5000));
    EXPECT_LT(body.size(), static_cast<size_t>(len));
    EXPECT_GT(body.size(), 0u);
}

TEST_F(Companion, FaultOversizedAnswer) {
    Fault("companion_oversize", "*");
    auto b = client_->Ask("getBattery;");
    ASSERT_TRUE(b);
    EXPECT_GT(b->size(), 5u * 1024 * 1024) << "larger than the library's biggest buffer";
}

TEST_F(Companion, FaultSlowAnswers) {
    Fault("companion_delay_ms", "300");
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(300));
}

TEST_F(Companion, FaultSilentCompanion_RealTimeout) {
    Fault("companion_silent", "1");
    ASSERT_TRUE(client_->Send("hello-android;"));
    EXPECT_FALSE(client_->Read(500));
    EXPECT_FALSE(client_->Closed(100)) << "silent, not closed";
}

TEST_F(Companion, GarbageEndsTheConnectionWithoutHarm) {
    ASSERT_TRUE(client_->Send("write_photofile:-5;"));
    EXPECT_TRUE(client_->Closed());
    Connect();
    ASSERT_TRUE(client_->Send(std::string(1100000, 'A')));
    EXPECT_TRUE(client_->Closed());
    Connect();
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
}

} // namespace

namespace {

// Reads a phone's messages, contacts and calls as the library does, writes
// them to an empty phone with the library's restore commands and mappings,
// and compares the two phones.
TEST(RoundTrip, RestoringWhatWasReadGivesTheSameContents) {
    pstest::TempDir dir;
    const std::string a = dir.path() + "/a", b = dir.path() + "/b";
    ASSERT_EQ(
        pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "small", "--seed", "21", a}).exit_code,
        0);
    ASSERT_EQ(
        pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "empty", "--seed", "1", b}).exit_code,
        0);
    PhoneStore sa(a), sb(b);
    auto serve = [](PhoneStore& s, int* client_fd) {
        int sv[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
        *client_fd = sv[0];
        return std::thread([&s, fd = sv[1]] {
            ServeCompanion(fd, s);
            ::close(fd);
        });
    };
    int fa, fb;
    std::thread ta = serve(sa, &fa), tb = serve(sb, &fb);
    {
        RawClient from(fa), to(fb);
        auto fetch = [&](const char* count, const char* page) {
            std::vector<Fields> all;
            int64_t n = from.AskInt(count);
            for (int64_t off = 0; off < n; off += 5) {
                auto recs =
                    Decode(from.Ask(std::string(page) + ":" + std::to_string(off) + ";").value());
                all.insert(all.end(), recs.begin(), recs.end());
            }
            return all;
        };
        auto text = [](Fields& f, const char* tag) {
            return f.count(tag) ? f[tag] : std::string();
        };

        // Contacts: AddPerson with name and mobile, then the field updates.
        const std::pair<const char*, const char*> updates[] = {
            {"NICKNAME", "NICKNAME"},        {"PHONE_PHONE", "MOBILE"},
            {"PHONE_HOME", "HOMENUMBER"},    {"PHONE_WORK", "WORKNUMBER"},
            {"WEBSITE", "HOMEPAGE"},         {"EMAIL_HOME", "HOMEEMAIL"},
            {"BIRTHDAY", "BIRTHDAY"},        {"NOTE", "NOTE"},
            {"ORG_NAME", "ORGANZATION"},     {"ORG_TITLE", "DEPARTMENT"},
            {"ADDRESS_HOME", "HOMEADDRESS"}, {"ADDRESS_WORK", "WORKADDRESS"},
            {"PHONE_HOMEFAX", "HOMEFAX"},    {"PHONE_WORKFAX", "WORKFAX"},
            {"EMAIL_WORK", "WORKEMAIL"}};
        for (Fields& c : fetch("getcontactCount;", "getcontactpart10")) {
            int64_t id = to.AskInt64("AddPerson:" + H(text(c, "NAME")) + ":" +
                                     H(text(c, "PHONE_PHONE")) + ";");
            ASSERT_GT(id, 0);
            for (const auto& [tag, key] : updates)
                if (!text(c, tag).empty() && text(c, tag) != "\"")
                    to.AskInt("UpdatePerson:" + std::to_string(id) + ":" + H(text(c, tag)) + ":" +
                              key + ";");
        }
        // Calls: the date as seconds since 1970.
        for (Fields& c : fetch("getcalllogcount;", "getcalllogpart10")) {
            auto secs = ParseLocalDateText(text(c, "DATE"));
            std::string date = secs ? std::to_string(*secs) : std::string();
            ASSERT_EQ(to.AskInt("AddCallHistory:" + H(text(c, "NUMBER")) + "-" + H(date) + "-" +
                                H(text(c, "TYPE")) + "-" + H(text(c, "DURATION")) + ";"),
                      1);
        }
        // Messages: phone type 2 -> backup flags 1 -> direction 0; type 1 ->
        // flags 2 -> direction 1. Read 1 stays 1, anything else becomes 0.
        ASSERT_EQ(to.AskInt("SetDefaultMessage;"), 1);
        for (Fields& m : fetch("getsmsCount;", "getsmsPart10")) {
            std::string type = text(m, "TYPE");
            std::string flags = type == "2" ? "1" : type == "1" ? "2" : type;
            std::string direction = flags == "1" ? "0" : "1";
            std::string read = text(m, "READ") == "1" ? "1" : "0";
            ASSERT_GT(to.AskInt("SendSMS:" + H(text(m, "ADDRESS")) + "-" + H(text(m, "BODY")) +
                                "-" + H(text(m, "DATE")) + "-" + H(read) + "-2D31-" + H(direction) +
                                ";"),
                      0);
        }
    }
    ta.join();
    tb.join();
    std::string err;
    auto ca = CanonicalContents(a, {}, &err), cb = CanonicalContents(b, {}, &err);
    ASSERT_TRUE(ca && cb) << err;
    auto records_only = [](std::vector<CanonItem> v) {
        std::erase_if(v, [](const CanonItem& i) {
            return i.kind != "contact" && i.kind != "sms" && i.kind != "call";
        });
        return v;
    };
    auto report = DiffContents(records_only(*ca), records_only(*cb));
    EXPECT_TRUE(report.empty()) << report.size() << " differences, first: " << report[0];
}

} // namespace
