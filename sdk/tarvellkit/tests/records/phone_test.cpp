// The stores and writes against the simulated phone: the real channel,
// runner and device table, the stand-in adb beside this program, and a
// generated phone whose own record files are the expected contents. Paging,
// abort and failures are covered against scripted peers in store_test.cpp.
#include "../common/test_files.h"
#include "TCPConnect.h"
#include "device_table.h"
#include "phone.h"
#include "platform/paths.h"
#include "runner.h"
#include "stores.h"
#include "tarvellkit/tarvellkit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs the phonesim tool; its exit status.
int Phonesim(std::vector<std::string> args) {
    args.insert(args.begin(), PHONESIM_EXE);
    return testfiles::RunAndWait(std::move(args));
}

// A field as the library stores it: missing stays missing, values are cut
// at 1023 bytes.
std::optional<std::string> Stored(const phonesim::Record& r, const char* key) {
    const std::string* v = r.Get(key);
    if (v == nullptr) {
        return std::nullopt;
    }
    return v->substr(0, 1023);
}

std::optional<std::string> StoredType(const phonesim::Record& r) {
    std::optional<std::string> type = Stored(r, "type");
    if (type && std::atoi(type->c_str()) > 4) {
        return "4";
    }
    return type;
}

std::optional<std::string> Text(const char* field) {
    return field != nullptr ? std::optional<std::string>(field) : std::nullopt;
}

class RecordsPhoneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Call-log dates cross as seconds read and written as local time.
        setenv("TZ", "UTC", 1);
        tzset();
        s_phone = fs::path(platform::ProgramFolder()) / "phones" / "records";
        fs::remove_all(s_phone);
        fs::create_directories(s_phone.parent_path());
        s_ready = Phonesim({"gen", "--preset", "small", "--seed", "5", s_phone.string()}) == 0;
        setenv("PHONESIM_HOME", s_phone.c_str(), 1);
        DeviceTableSetRowCount(0);
        DiscardSharedChannel();
        s_ready = s_ready && Tarvell_CheckDeviceDetected(0) == 0 && Tarvell_ReadyTodoing(0) == 0;
    }

    static void TearDownTestSuite() {
        DiscardSharedChannel();
        RunAdbTimed("kill-server");
    }

    void SetUp() override {
        ASSERT_TRUE(s_ready) << "the simulated phone could not be generated or prepared";
        Tarvell_ResetFlushDBStatus();
    }

    static phonesim::RecordFile Load(const char* file) {
        EXPECT_EQ(Phonesim({"sync", s_phone.string()}), 0);
        auto records = phonesim::LoadRecordFile((s_phone / file).string());
        EXPECT_TRUE(records.has_value()) << file;
        return records.value_or(phonesim::RecordFile{});
    }

    static void ExpectContact(const ContactRecord& c, const phonesim::Record& r) {
        EXPECT_EQ(Text(c.contactId), std::to_string(r.id));
        EXPECT_EQ(Text(c.name), Stored(r, "name")) << r.id;
        EXPECT_EQ(Text(c.mobilePhone), Stored(r, "phone_phone")) << r.id;
        EXPECT_EQ(Text(c.homePhone), Stored(r, "phone_home")) << r.id;
        EXPECT_EQ(Text(c.workPhone), Stored(r, "phone_work")) << r.id;
        EXPECT_EQ(Text(c.homeFax), Stored(r, "phone_homefax")) << r.id;
        EXPECT_EQ(Text(c.workFax), Stored(r, "phone_workfax")) << r.id;
        EXPECT_EQ(Text(c.homeEmail), Stored(r, "email_home")) << r.id;
        EXPECT_EQ(Text(c.workEmail), Stored(r, "email_work")) << r.id;
        EXPECT_EQ(Text(c.note), Stored(r, "note")) << r.id;
        EXPECT_EQ(Text(c.homePage), Stored(r, "website")) << r.id;
        EXPECT_EQ(Text(c.nickName), Stored(r, "nickname")) << r.id;
        EXPECT_EQ(Text(c.homeAddress), Stored(r, "address_home")) << r.id;
        EXPECT_EQ(Text(c.workAddress), Stored(r, "address_work")) << r.id;
        EXPECT_EQ(Text(c.birthday), Stored(r, "birthday")) << r.id;
        EXPECT_EQ(Text(c.organization), Stored(r, "org_name")) << r.id;
        EXPECT_EQ(Text(c.department), Stored(r, "org_title")) << r.id;
        EXPECT_EQ(c.lastName, nullptr);
        EXPECT_EQ(c.groupName, nullptr);
        EXPECT_EQ(c.createDate, nullptr);
        EXPECT_EQ(c.reserved, nullptr);
    }

    // The messages the store keeps, in phone order.
    static std::vector<const phonesim::Record*> KeptMessages(const phonesim::RecordFile& sms) {
        std::vector<const phonesim::Record*> kept;
        for (const phonesim::Record& r : sms.items) {
            const std::string* thread = r.Get("thread_id");
            std::optional<std::string> type = StoredType(r);
            if (thread != nullptr && type && *thread != "-1" && *type != "3") {
                kept.push_back(&r);
            }
        }
        return kept;
    }

    static fs::path s_phone;
    static bool s_ready;
};

fs::path RecordsPhoneTest::s_phone;
bool RecordsPhoneTest::s_ready = false;

TEST_F(RecordsPhoneTest, FlushedStoresMatchThePhoneFiles) {
    const phonesim::RecordFile contacts = Load("contacts.json");
    const phonesim::RecordFile sms = Load("sms.json");
    const phonesim::RecordFile calls = Load("calllog.json");
    ASSERT_GT(contacts.items.size(), 5u);
    ASSERT_GT(sms.items.size(), 5u);
    ASSERT_GT(calls.items.size(), 5u);

    EXPECT_EQ(Tarvell_FlushPerson(), 0);
    EXPECT_EQ(Tarvell_FlushSMS(), 0);
    EXPECT_EQ(Tarvell_FlushCallHistory(), 0);

    // Contacts: the phone's order reversed.
    ContactRecord* contact = nullptr;
    ASSERT_EQ(Tarvell_GetPerson(&contact), static_cast<int>(contacts.items.size()));
    EXPECT_EQ(Tarvell_FlushContact_Count(), static_cast<int>(contacts.items.size()));
    std::vector<const ContactRecord*> contactOrder;
    for (size_t i = contacts.items.size(); i-- > 0; contact = contact->next) {
        ASSERT_NE(contact, nullptr);
        ExpectContact(*contact, contacts.items[i]);
        contactOrder.push_back(contact);
    }
    EXPECT_EQ(contact, nullptr);

    // Calls: the phone's order.
    CallLogRecord* call = nullptr;
    ASSERT_EQ(Tarvell_GetCallHistory(&call), static_cast<int>(calls.items.size()));
    for (const phonesim::Record& r : calls.items) {
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(Text(call->id), std::to_string(r.id));
        EXPECT_EQ(Text(call->name), Stored(r, "name")) << r.id;
        EXPECT_EQ(Text(call->number), Stored(r, "number")) << r.id;
        EXPECT_EQ(Text(call->date), Stored(r, "date")) << r.id;
        EXPECT_EQ(Text(call->type), StoredType(r)) << r.id;
        EXPECT_EQ(Text(call->duration), Stored(r, "duration")) << r.id;
        EXPECT_EQ(call->reserved, nullptr);
        call = call->next;
    }
    EXPECT_EQ(call, nullptr);

    // Messages: filtered, in the phone's order, sender names from the first
    // matching contact of the store.
    const auto kept = KeptMessages(sms);
    SmsRecord* m = nullptr;
    ASSERT_EQ(Tarvell_GetSMS(&m), static_cast<int>(kept.size()));
    EXPECT_EQ(Tarvell_FlushSMS_Count(), static_cast<int>(sms.items.size()));
    int named = 0;
    for (const phonesim::Record* r : kept) {
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(Text(m->id), std::to_string(r->id));
        EXPECT_EQ(Text(m->threadId), Stored(*r, "thread_id")) << r->id;
        EXPECT_EQ(Text(m->address), Stored(*r, "address")) << r->id;
        EXPECT_EQ(Text(m->body), Stored(*r, "body")) << r->id;
        EXPECT_EQ(Text(m->date), Stored(*r, "date")) << r->id;
        EXPECT_EQ(Text(m->read), Stored(*r, "read")) << r->id;
        EXPECT_EQ(Text(m->type), StoredType(*r)) << r->id;
        std::optional<std::string> person = Stored(*r, "person");
        std::optional<std::string> contactId;
        const std::string* address = r->Get("address");
        if (!person && address != nullptr) {
            for (const ContactRecord* c : contactOrder) {
                if (stores::NumbersMatch(address->c_str(), c->mobilePhone) ||
                    stores::NumbersMatch(address->c_str(), c->workPhone) ||
                    stores::NumbersMatch(address->c_str(), c->homePhone)) {
                    person = std::string(c->name ? c->name : " ").substr(0, 126) + " ";
                    contactId = Text(c->contactId);
                    ++named;
                    break;
                }
            }
        }
        EXPECT_EQ(Text(m->personName), person) << r->id;
        EXPECT_EQ(Text(m->contactId), contactId) << r->id;
        m = m->next;
    }
    EXPECT_EQ(m, nullptr);
    EXPECT_GT(named, 0) << "the generated phone should have senders among its contacts";
}

TEST_F(RecordsPhoneTest, WrittenRecordsReadBack) {
    ASSERT_EQ(Tarvell_CheckAndroidVersionAt44(0), 1);
    EXPECT_GE(Tarvell_SetDefaultMessage(0), 0);
    ASSERT_EQ(Tarvell_CheckDefaultMessangeOK(0), 0);
    EXPECT_GE(Tarvell_ClearSMS(), 0);
    EXPECT_GE(Tarvell_ClearPerson(), 0);
    EXPECT_GE(Tarvell_ClearCallHistory(), 0);

    ContactRecord contact{};
    contact.contactId = const_cast<char*>("77");
    contact.name = const_cast<char*>("Zo\xC3\xAB");
    contact.lastName = const_cast<char*>(" Brandt");
    contact.mobilePhone = const_cast<char*>("+49 170-555-0101");
    contact.homeEmail = const_cast<char*>("zoe@example.org");
    contact.note = const_cast<char*>("line one\nline two; with: separators \"quoted\"");
    contact.organization = const_cast<char*>("\"");
    contact.workAddress = const_cast<char*>("Hauptstra\xC3\x9F"
                                            "e 1");
    ASSERT_EQ(Tarvell_AddPerson2(&contact), 0);

    CallLogRecord call{};
    call.number = const_cast<char*>("+49 170-555-0101");
    call.date = const_cast<char*>("2021-03-04 05:06:07");
    call.type = const_cast<char*>("2");
    call.duration = const_cast<char*>("93");
    EXPECT_GE(Tarvell_AddCallHistory(&call), 0);

    SmsRecord sms{};
    sms.address = const_cast<char*>("+49 170-555-0101");
    sms.body = const_cast<char*>("Gr\xC3\xBC\xC3\x9F"
                                 "e \xF0\x9F\x98\x80 - ok;");
    sms.date = const_cast<char*>("2021-03-04 05:07:00");
    sms.read = const_cast<char*>("1");
    sms.type = const_cast<char*>("0");
    EXPECT_GT(Tarvell_SendSMS(&sms), 0);
    EXPECT_GE(Tarvell_ReSetDefaultMessage(0), 0);

    Tarvell_FlushPerson();
    Tarvell_FlushSMS();
    Tarvell_FlushCallHistory();

    ContactRecord* c = nullptr;
    ASSERT_EQ(Tarvell_GetPerson(&c), 1);
    EXPECT_STREQ(c->name, "Zo\xC3\xAB Brandt");
    EXPECT_STREQ(c->mobilePhone, "+49 170-555-0101");
    EXPECT_STREQ(c->homeEmail, "zoe@example.org");
    EXPECT_STREQ(c->note, contact.note);
    EXPECT_EQ(c->organization, nullptr); // a lone '"' is not sent
    EXPECT_STREQ(c->workAddress, contact.workAddress);

    CallLogRecord* got = nullptr;
    ASSERT_EQ(Tarvell_GetCallHistory(&got), 1);
    EXPECT_STREQ(got->number, call.number);
    EXPECT_STREQ(got->date, call.date);
    EXPECT_STREQ(got->type, "2");
    EXPECT_STREQ(got->duration, "93");

    SmsRecord* m = nullptr;
    ASSERT_EQ(Tarvell_GetSMS(&m), 1);
    EXPECT_STREQ(m->address, sms.address);
    EXPECT_STREQ(m->body, sms.body);
    EXPECT_STREQ(m->date, sms.date);
    EXPECT_STREQ(m->read, "1");
    EXPECT_STREQ(m->personName, "Zo\xC3\xAB Brandt ");
    EXPECT_STREQ(m->contactId, c->contactId);
}

} // namespace
