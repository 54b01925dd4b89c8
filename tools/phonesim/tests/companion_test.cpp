// The companion emulator driven by a raw client over a socket pair: every
// command, paging by offset, payload writes, chunked reads, the 8-byte id,
// the changes in the phone folder, and the companion faults. Reading a phone
// and restoring it onto another is the end-to-end round trip's job.
#include "companion.h"
#include "phone.h"
#include "store.h"
#include "support.h"
#include "util.h"

#include <gtest/gtest.h>
#include <map>
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
    void MakeDefaultSmsApp() { ASSERT_EQ(client_->AskInt("SetDefaultMessage;"), 1); }

    pstest::TempDir dir_;
    std::string phone_;
    std::unique_ptr<PhoneStore> store_;
    std::unique_ptr<RawClient> client_;
    std::vector<std::thread> servers_;
};

// What the library reads through these commands (device facts, every page
// of every store, media lists and copies both ways, deletes and clears) is
// checked against the phone's files by the library's own tests against this
// emulator; here the answers the library never asks for on purpose.
TEST_F(Companion, UnknownCommandsAndPagesOutsideTheStoreGetEmptyAnswers) {
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    EXPECT_EQ(client_->Ask("nosuchcommand:1;"), "");
    for (const auto& [page, file] : {std::pair{"getsmsPart10", "sms.json"},
                                     {"getcontactpart10", "contacts.json"},
                                     {"getcalllogpart10", "calllog.json"}}) {
        RecordFile f = Load(file);
        ASSERT_GT(f.items.size(), 5u);
        // A page at any offset starts with that record; past the end is empty.
        auto mid = Decode(client_->Ask(std::string(page) + ":3;").value());
        ASSERT_FALSE(mid.empty());
        EXPECT_EQ(mid[0][file == std::string("contacts.json") ? "CONTACTID" : "ID"],
                  std::to_string(f.items[3].id));
        for (std::string off :
             {std::to_string(f.items.size()), std::string("-5"), std::string("x")})
            EXPECT_EQ(client_->Ask(std::string(page) + ":" + off + ";"), "") << page << off;
    }
    const struct {
        const char* flush;
        const char* info;
        const char* thumb; // nullptr: none
        const char* path;
        const char* data;
    } kinds[] = {
        {"flushphotolist;", "getdcimindexinfo", "getdcimthumb:0;", "getfilepathForid",
         "getdcimdata"},
        {"flushmusiclist;", "getmusicindexinfo", "getmusicthumb:0:0;", "GetMusicPathById",
         "exportfilefromdevice_music"},
        {"flushvideolist;", "getvideoindexinfo", nullptr, "GetVideoPathById",
         "exportfilefromdevice_video"},
    };
    for (const auto& k : kinds) {
        int64_t n = client_->AskInt(k.flush);
        ASSERT_GT(n, 0) << k.flush;
        EXPECT_EQ(client_->Ask(std::string(k.info) + ":" + std::to_string(n) + ";"), "");
        EXPECT_EQ(client_->Ask(std::string(k.path) + ":999999;"), "");
        EXPECT_EQ(client_->Ask(std::string(k.data) + ":999999:0:10;"), "");
        if (k.thumb) {
            auto t = client_->Ask(k.thumb).value();
            EXPECT_TRUE(t.rfind("\xFF\xD8\xFF", 0) == 0 || t.rfind("\x89PNG\r\n\x1A\n", 0) == 0)
                << k.thumb << " is not an image";
        }
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
    // A user who answers late, or never, keeps the old app meanwhile (the
    // late answer itself is the end-to-end countdown's case).
    for (const char* after : {"1", "never"}) {
        Fault("default_sms_accept_after", after);
        MakeDefaultSmsApp();
        EXPECT_EQ(client_->Ask("GetDefaultMessage_pkgName;"), "com.android.messaging") << after;
    }
}

TEST_F(Companion, ContactsGetEightByteIdsAndFieldUpdates) {
    int64_t a =
        client_->AskInt64("AddPerson:" + H("Zoë O'Brien") + ":" + H("(555) 010-9999") + ";");
    int64_t b = client_->AskInt64("AddPerson::;");
    ASSERT_GT(a, 0);
    EXPECT_EQ(b, a + 1);
    const std::pair<const char*, const char*> updates[] = {{"NICKNAME", "nickname"},
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
    for (const auto& [key, field] : updates) {
        std::string value = std::string("v:") + key + ";\n,\"";
        EXPECT_EQ(
            client_->AskInt("UpdatePerson:" + std::to_string(a) + ":" + H(value) + ":" + key + ";"),
            1)
            << key;
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
    for (const auto& [key, field] : updates)
        EXPECT_EQ(*rec->Get(field), std::string("v:") + key + ";\n,\"") << key;
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

TEST_F(Companion, NamesThatLeaveTheFolderAreRefused) {
    for (const char* name : {"../escape.jpg", "a/b.jpg", "..", ""}) {
        EXPECT_EQ(client_->AskInt(std::string("open_photofile:") + H(name) + ";"), -1) << name;
        EXPECT_EQ(client_->AskInt(std::string("addphototodevice:") + H(name) + ";"), -1) << name;
        EXPECT_EQ(client_->AskInt(std::string("checkFileisExist:") + name + ";"), 0) << name;
    }
    EXPECT_FALSE(IsFile(phone_ + "/sdcard/escape.jpg"));
    EXPECT_FALSE(IsFile(phone_ + "/escape.jpg"));
}

// A streamed upload takes its name only when announced: an abort or a cut
// connection leaves the phone's own file of that name as it was.
TEST_F(Companion, UploadsReplaceAFileOnlyWhenAnnounced) {
    const std::string path = phone_ + "/sdcard/Images/same.jpg";
    const struct {
        const char* ending;
        const char* kept;
    } rows[] = {{"addphototodevice:", "new"}, {"addphototodevice_abort:", "old"}, {"", "old"}};
    for (const auto& row : rows) {
        ASSERT_TRUE(MakeDirs(phone_ + "/sdcard/Images"));
        ASSERT_TRUE(WriteFileAtomic(path, "old"));
        ASSERT_EQ(client_->AskInt("open_photofile:" + H("same.jpg") + ";"), 1);
        ASSERT_EQ(client_->AskInt("write_photofile:3;", "new"), 3);
        ASSERT_EQ(client_->AskInt("close_photofile;"), 1);
        EXPECT_EQ(ReadFile(path).value_or("(none)"), "old") << row.ending;
        if (*row.ending) {
            client_->AskInt(row.ending + H("same.jpg") + ";");
        } else {
            client_.reset();
            servers_.back().join();
            servers_.pop_back();
            Connect();
        }
        EXPECT_EQ(ReadFile(path).value_or("(none)"), row.kept) << row.ending;
        EXPECT_FALSE(IsFile(phone_ + "/sdcard/Images/.upload-same.jpg")) << row.ending;
    }
}

// Faults. A greeting other than "HI-PC", every answer cut short and every
// answer oversized each make a fault row of the command-line program fail
// to prepare the phone; those rows pin them.

TEST_F(Companion, FaultDropsTheConnectionAfterNCommands) {
    Fault("companion_drop_after", "3");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    EXPECT_FALSE(client_->Ask("hello-android;"));
    EXPECT_TRUE(client_->Closed());
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
    // A write without an open file is refused, and its payload still read.
    EXPECT_EQ(client_->AskInt("write_photofile:2;", "zz"), -1);
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
    ASSERT_TRUE(client_->Send("write_photofile:-5;"));
    EXPECT_TRUE(client_->Closed());
    Connect();
    ASSERT_TRUE(client_->Send(std::string(1100000, 'A')));
    EXPECT_TRUE(client_->Closed());
    Connect();
    EXPECT_EQ(client_->Ask("hello-android;"), "HI-PC");
}

} // namespace
