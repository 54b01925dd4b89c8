// The stores against the simulated phone: the real channel,
// runner and device table, the stand-in adb beside this program, and a
// generated phone whose own record files are the expected contents. Paging,
// abort and failures are covered against scripted peers in store_test.cpp;
// writes are read back by the backup-and-restore rows of the end-to-end test.
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

    // Each field of a stored record against the phone's record.
    template <typename Kept>
    static void ExpectFields(const Kept& s, const phonesim::Record& r,
                             std::initializer_list<std::pair<char * Kept::*, const char*>> fields) {
        for (const auto& [member, key] : fields) {
            EXPECT_EQ(Text(s.*member), std::string(key) == "type" ? StoredType(r) : Stored(r, key))
                << r.id << " " << key;
        }
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
        const phonesim::Record& r = contacts.items[i];
        EXPECT_EQ(Text(contact->contactId), std::to_string(r.id));
        ExpectFields(*contact, r,
                     {{&ContactRecord::name, "name"},
                      {&ContactRecord::mobilePhone, "phone_phone"},
                      {&ContactRecord::homePhone, "phone_home"},
                      {&ContactRecord::workPhone, "phone_work"},
                      {&ContactRecord::homeFax, "phone_homefax"},
                      {&ContactRecord::workFax, "phone_workfax"},
                      {&ContactRecord::homeEmail, "email_home"},
                      {&ContactRecord::workEmail, "email_work"},
                      {&ContactRecord::note, "note"},
                      {&ContactRecord::homePage, "website"},
                      {&ContactRecord::nickName, "nickname"},
                      {&ContactRecord::homeAddress, "address_home"},
                      {&ContactRecord::workAddress, "address_work"},
                      {&ContactRecord::birthday, "birthday"},
                      {&ContactRecord::organization, "org_name"},
                      {&ContactRecord::department, "org_title"},
                      {&ContactRecord::lastName, "(none)"},
                      {&ContactRecord::groupName, "(none)"}});
        contactOrder.push_back(contact);
    }
    EXPECT_EQ(contact, nullptr);

    // Calls: the phone's order.
    CallLogRecord* call = nullptr;
    ASSERT_EQ(Tarvell_GetCallHistory(&call), static_cast<int>(calls.items.size()));
    for (const phonesim::Record& r : calls.items) {
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(Text(call->id), std::to_string(r.id));
        ExpectFields(*call, r,
                     {{&CallLogRecord::name, "name"},
                      {&CallLogRecord::number, "number"},
                      {&CallLogRecord::date, "date"},
                      {&CallLogRecord::type, "type"},
                      {&CallLogRecord::duration, "duration"}});
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
        ExpectFields(*m, *r,
                     {{&SmsRecord::threadId, "thread_id"},
                      {&SmsRecord::address, "address"},
                      {&SmsRecord::body, "body"},
                      {&SmsRecord::date, "date"},
                      {&SmsRecord::read, "read"},
                      {&SmsRecord::type, "type"}});
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

} // namespace
