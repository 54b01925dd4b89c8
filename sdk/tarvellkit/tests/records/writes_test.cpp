// Command texts of the message, contact and call-log writes, the contact
// sequence, the default-messaging-app exports and the 4.4 test.
#include "fakes.h"
#include "messages_contacts.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using testtext::Hex;

namespace {

class WritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Call-log dates are read as local time.
        setenv("TZ", "UTC", 1);
        tzset();
        fakes::Reset();
    }
    void TearDown() override { fakes::Reset(); }

    static void ReplyToEverything(const std::string& reply) {
        fakes::SetCompanion([reply](const std::string&, const std::string&) {
            return std::optional<std::string>(reply);
        });
    }
};

int SendSms(const char* address, const char* body, const char* date, const char* read,
            const char* type) {
    SmsRecord sms{};
    sms.address = const_cast<char*>(address);
    sms.body = const_cast<char*>(body);
    sms.date = const_cast<char*>(date);
    sms.read = const_cast<char*>(read);
    sms.type = const_cast<char*>(type);
    return Tarvell_SendSMS(&sms);
}

int AddCall(const char* number, const char* date, const char* type, const char* duration) {
    CallLogRecord call{};
    call.number = const_cast<char*>(number);
    call.date = const_cast<char*>(date);
    call.type = const_cast<char*>(type);
    call.duration = const_cast<char*>(duration);
    return Tarvell_AddCallHistory(&call);
}

// Each write sends one command and passes the phone's reply on.
TEST_F(WritesTest, CommandTextsAndReplies) {
    struct Case {
        const char* name;
        std::function<int64_t()> call;
        std::string reply;
        int64_t result;
        std::string command;
    };
    const std::string i7 = fakes::Int32Reply(7);
    const Case cases[] = {
        {"message", [] { return SendSms("555", "Hi", "2020-01-02 03:04:05", "1", "2"); }, i7, 7,
         "SendSMS:" + Hex("555") + "-" + Hex("Hi") + "-" + Hex("2020-01-02 03:04:05") + "-" +
             Hex("1") + "-2D31-" + Hex("2") + ";"},
        {"message with an empty body", [] { return SendSms("555", "", "d", "0", "1"); }, i7, 7,
         "SendSMS:" + Hex("555") + "--" + Hex("d") + "-" + Hex("0") + "-2D31-" + Hex("1") + ";"},
        {"message without fields",
         [] { return SendSms(nullptr, nullptr, nullptr, nullptr, nullptr); }, i7, 7,
         "SendSMS:----2D31-;"},
        {"message separators go out as hex", [] { return SendSms("a:b;c", "x-y", "", "", ""); }, i7,
         7, "SendSMS:" + Hex("a:b;c") + "-" + Hex("x-y") + "---2D31-;"},
        {"call", [] { return AddCall("555", "2020-01-02 03:04:05", "1", "61"); }, i7, 7,
         "AddCallHistory:" + Hex("555") + "-" + Hex("1577934245") + "-" + Hex("1") + "-" +
             Hex("61") + ";"},
        {"call without a date", [] { return AddCall("555", "", "3", "0"); }, i7, 7,
         "AddCallHistory:" + Hex("555") + "--" + Hex("3") + "-" + Hex("0") + ";"},
        {"call without fields", [] { return AddCall(nullptr, nullptr, nullptr, nullptr); }, i7, 7,
         "AddCallHistory:---;"},
        {"contact: an eight-byte id", [] { return Tarvell_AddPerson("Ann", "555"); },
         fakes::Int64Reply(0x100000002LL), 0x100000002LL,
         "AddPerson:" + Hex("Ann") + ":" + Hex("555") + ";"},
        {"contact without texts", [] { return Tarvell_AddPerson(nullptr, ""); },
         fakes::Int64Reply(9), 9, "AddPerson::;"},
        {"clear messages", Tarvell_ClearSMS, fakes::Int32Reply(-5), -5, "ClearSMS;"},
        {"clear contacts", Tarvell_ClearPerson, fakes::Int32Reply(-5), -5, "ClearPerson;"},
        {"clear calls", Tarvell_ClearCallHistory, fakes::Int32Reply(-5), -5, "ClearCallHistory;"},
    };
    for (const Case& c : cases) {
        fakes::Reset();
        ReplyToEverything(c.reply);
        EXPECT_EQ(c.call(), c.result) << c.name;
        EXPECT_EQ(fakes::Commands(), std::vector<std::string>{c.command}) << c.name;
    }
    EXPECT_EQ(Tarvell_SendSMS(nullptr), -1);
    EXPECT_EQ(Tarvell_AddCallHistory(nullptr), -1);

    // An empty reply or a failed exchange reads as 0.
    for (int (*clear)() : {Tarvell_ClearSMS, Tarvell_ClearPerson, Tarvell_ClearCallHistory}) {
        fakes::Reset();
        EXPECT_EQ(clear(), 0);
        fakes::SetCompanion(
            [](const std::string&, const std::string&) { return std::optional<std::string>(); });
        EXPECT_EQ(clear(), 0);
    }
}

TEST_F(WritesTest, LongFieldsAreCutAtCharacterBoundaries) {
    // A body of 1023 ASCII bytes and a 2-byte character: the character would
    // straddle the 1024-byte cut, so it is left out whole.
    const std::string body = std::string(1023, 'a') + "\xC3\xA9" + "tail";
    SmsRecord sms{};
    sms.body = const_cast<char*>(body.c_str());
    const std::string command = records::SmsCommand(sms);
    EXPECT_EQ(command, "SendSMS:-" + Hex(std::string(1023, 'a')) + "---2D31-;");

    // An address at its 512-byte capacity is cut there.
    const std::string address(600, '1');
    sms = SmsRecord{};
    sms.address = const_cast<char*>(address.c_str());
    EXPECT_EQ(records::SmsCommand(sms), "SendSMS:" + Hex(std::string(512, '1')) + "----2D31-;");

    // The longest command possible is composed whole.
    const std::string big(4000, 'z');
    sms.address = sms.body = sms.date = sms.read = sms.type = const_cast<char*>(big.c_str());
    EXPECT_EQ(records::SmsCommand(sms).size(), 6162u);
}

TEST_F(WritesTest, UpdatePersonKeysAndRefusals) {
    // The key of each field code; codes without one are refused.
    const char* const keys[] = {
        nullptr,       "FIRSTNAME",  "LASTNAME",  "NICKNAME", "MOBILE",      "HOMENUMBER",
        "WORKNUMBER",  "HOMEPAGE",   "HOMEEMAIL", "BIRTHDAY", "GROUP",       "NOTE",
        "ORGANZATION", "DEPARTMENT", nullptr,     nullptr,    "HOMEADDRESS", "WORKADDRESS",
        "HOMEFAX",     "WORKFAX",    "WORKEMAIL", nullptr};
    struct Case {
        const char* id;
        unsigned int code;
        const char* value;
        std::string command; // empty: refused, nothing sent
    };
    std::vector<Case> cases;
    for (unsigned int code = 0; code < std::size(keys); ++code) {
        cases.push_back({"12", code, "A",
                         keys[code] ? std::string("UpdatePerson:12:41:") + keys[code] + ";" : ""});
    }
    const std::vector<Case> refusals = {
        {"12", 0xFFFFFFFFu, "A", ""},
        {"12", 1, "", ""},
        {"12", 1, nullptr, ""},
        {"12", 1, "\"", ""},
        {"", 1, "A", ""},
        {nullptr, 1, "A", ""},
        {"1:2", 1, "A", ""},
        {"1;", 1, "A", ""},
        {"\"1", 1, "A", ""},
        {"12", 1, "\"\"", "UpdatePerson:12:2222:FIRSTNAME;"},
    };
    cases.insert(cases.end(), refusals.begin(), refusals.end());
    for (const auto& c : cases) {
        fakes::Reset();
        ReplyToEverything(fakes::Int32Reply(3));
        const int result = Tarvell_updatePerson(c.id, c.code, c.value);
        const std::string label = std::string(c.id ? c.id : "(null)") + "/" +
                                  std::to_string(c.code) + "/" + (c.value ? c.value : "(null)");
        EXPECT_EQ(result, c.command.empty() ? -1 : 3) << label;
        EXPECT_EQ(fakes::Commands(), c.command.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.command})
            << label;
    }
}

TEST_F(WritesTest, AddPerson2SendsTheContactFieldByField) {
    const char* values[] = {"id", "Ann", "Lee", "Nick", "m",    "h",  "w",  "web", "he", "b", "grp",
                            "n",  "org", "dep", "cd",   "resv", "ha", "wa", "hf",  "wf", "we"};
    ContactRecord c{};
    char** slots[] = {&c.contactId, &c.name,        &c.lastName,     &c.nickName,   &c.mobilePhone,
                      &c.homePhone, &c.workPhone,   &c.homePage,     &c.homeEmail,  &c.birthday,
                      &c.groupName, &c.note,        &c.organization, &c.department, &c.createDate,
                      &c.reserved,  &c.homeAddress, &c.workAddress,  &c.homeFax,    &c.workFax,
                      &c.workEmail};
    for (size_t i = 0; i < 21; ++i) {
        *slots[i] = const_cast<char*>(values[i]);
    }
    c.homePage = const_cast<char*>("\""); // counts as empty
    c.note = const_cast<char*>("");
    fakes::SetCompanion([](const std::string& command, const std::string&) {
        return std::optional<std::string>(
            command.rfind("AddPerson:", 0) == 0 ? fakes::Int64Reply(42) : fakes::Int32Reply(0));
    });
    EXPECT_EQ(Tarvell_AddPerson2(&c), 0);
    auto update = [](const char* value, const char* key) {
        return "UpdatePerson:42:" + Hex(value) + ":" + key + ";";
    };
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{
                  "AddPerson:" + Hex("AnnLee") + ":" + Hex("m") + ";", update("Nick", "NICKNAME"),
                  update("m", "MOBILE"), update("h", "HOMENUMBER"), update("w", "WORKNUMBER"),
                  update("he", "HOMEEMAIL"), update("b", "BIRTHDAY"), update("grp", "GROUP"),
                  update("org", "ORGANZATION"), update("dep", "DEPARTMENT"),
                  update("ha", "HOMEADDRESS"), update("wa", "WORKADDRESS"), update("hf", "HOMEFAX"),
                  update("wf", "WORKFAX"), update("we", "WORKEMAIL")}));
}

TEST_F(WritesTest, AddPerson2WithOnlyANameAndItsFailures) {
    ContactRecord c{};
    c.name = const_cast<char*>("Solo");
    ReplyToEverything(fakes::Int64Reply(7));
    EXPECT_EQ(Tarvell_AddPerson2(&c), 0);
    EXPECT_EQ(fakes::Commands(), std::vector<std::string>{"AddPerson:" + Hex("Solo") + ":;"});

    // No positive id: -1 and nothing more is sent.
    for (int64_t id : {0LL, -4LL}) {
        fakes::Reset();
        c.mobilePhone = const_cast<char*>("1");
        ReplyToEverything(fakes::Int64Reply(id));
        EXPECT_EQ(Tarvell_AddPerson2(&c), -1);
        EXPECT_EQ(fakes::Commands().size(), 1u);
    }
    EXPECT_EQ(Tarvell_AddPerson2(nullptr), -1);

    // The name is cut to 511 bytes together.
    fakes::Reset();
    const std::string first(400, 'f');
    const std::string last(400, 'l');
    c = ContactRecord{};
    c.name = const_cast<char*>(first.c_str());
    c.lastName = const_cast<char*>(last.c_str());
    ReplyToEverything(fakes::Int64Reply(7));
    Tarvell_AddPerson2(&c);
    EXPECT_EQ(fakes::Commands(),
              std::vector<std::string>{"AddPerson:" + Hex(first + std::string(111, 'l')) + ":;"});
}

struct ReleaseCase {
    const char* release;
    bool at44;
};

TEST(Release44, ReadsMajorAndMinor) {
    const ReleaseCase cases[] = {
        {"4.4.2", true}, {"5.0", true},      {"4.3", false},
        {"6", true},     {"4.3.1", false},   {"4.4", true},
        {"", false},     {"4", false},       {"4.10", true},
        {"10", true},    {"abc", false},     {"4.x4", true},
        {"R4.3", false}, {"4.3.9.9", false}, {"99999999999999999999.0", true},
        {"0.44", true},  {"4..4", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(records::IsRelease44OrLater(c.release), c.at44) << c.release;
    }
    EXPECT_FALSE(records::IsRelease44OrLater(nullptr));
}

TEST_F(WritesTest, DefaultMessagingAppFollowsTheRelease) {
    AdbDeviceEntry row{};
    std::snprintf(row.release, sizeof row.release, "%s", "4.3.1");
    fakes::SetDeviceRow0(row);
    ReplyToEverything(fakes::Int32Reply(9));
    EXPECT_EQ(Tarvell_CheckAndroidVersionAt44(0), 0);
    EXPECT_EQ(Tarvell_SetDefaultMessage(0), 0);
    EXPECT_EQ(Tarvell_ReSetDefaultMessage(0), 0);
    EXPECT_EQ(Tarvell_CheckDefaultMessangeOK(0), 0);
    EXPECT_TRUE(fakes::Commands().empty());

    std::snprintf(row.release, sizeof row.release, "%s", "5.0");
    fakes::SetDeviceRow0(row);
    EXPECT_EQ(Tarvell_CheckAndroidVersionAt44(0), 1);
    EXPECT_EQ(Tarvell_SetDefaultMessage(0), 9);
    EXPECT_EQ(Tarvell_ReSetDefaultMessage(0), 9);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"SetDefaultMessage;", "ReSetDefaultMessage;"}));

    struct Reply {
        std::optional<std::string> text;
        int result;
    };
    const Reply replies[] = {{std::string("com.velmora.tarvell"), 0},
                             {std::string("com.velmora.tarvell2"), -1},
                             {std::string("com.android.mms"), -1},
                             {std::string(), -1},
                             {std::nullopt, -1}};
    for (const auto& r : replies) {
        fakes::Reset();
        fakes::SetDeviceRow0(row);
        fakes::SetCompanion([&r](const std::string&, const std::string&) { return r.text; });
        EXPECT_EQ(Tarvell_CheckDefaultMessangeOK(0), r.result) << r.text.value_or("(failed)");
        EXPECT_EQ(fakes::Commands(), std::vector<std::string>{"GetDefaultMessage_pkgName;"});
    }
}

TEST_F(WritesTest, MissingDeviceRowSendsNothing) {
    ReplyToEverything(fakes::Int32Reply(9));
    // No row in the table, and rows outside the table.
    for (int index : {0, -1, 10, 3}) {
        EXPECT_EQ(Tarvell_CheckAndroidVersionAt44(index), 0) << index;
        EXPECT_EQ(Tarvell_SetDefaultMessage(index), -1) << index;
        EXPECT_EQ(Tarvell_ReSetDefaultMessage(index), -1) << index;
        EXPECT_EQ(Tarvell_CheckDefaultMessangeOK(index), -1) << index;
    }
    EXPECT_TRUE(fakes::Commands().empty());
}

} // namespace
