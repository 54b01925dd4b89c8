// The flush exports against a scripted companion: commands, paging, progress,
// abort, failures, readers, and sender names filled from the contacts.
#include "fakes.h"
#include "stores.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

using testtext::Record;

namespace {

// A phone whose companion pages its records by offset, five per page.
struct ScriptedPhone {
    std::vector<std::string> sms, contacts, calls;
    std::optional<int32_t> smsCount, contactCount, callCount; // overrides the real counts
    // Replaces the reply of one page (by command text); nullopt fails the exchange.
    std::function<std::optional<std::optional<std::string>>(const std::string&)> pageOverride;
    std::function<void(const std::string&)> onPage;

    static std::string Page(const std::vector<std::string>& records, int offset) {
        std::string out;
        for (size_t i = static_cast<size_t>(offset); i < records.size() && i < size_t(offset) + 5;
             ++i) {
            out += records[i];
        }
        return out;
    }

    void Install() {
        fakes::SetCompanion([this](const std::string& command,
                                   const std::string&) -> std::optional<std::string> {
            if (command == "getsmsCount;") {
                return fakes::Int32Reply(smsCount.value_or(static_cast<int32_t>(sms.size())));
            }
            if (command == "getcontactCount;") {
                return fakes::Int32Reply(
                    contactCount.value_or(static_cast<int32_t>(contacts.size())));
            }
            if (command == "getcalllogcount;") {
                return fakes::Int32Reply(callCount.value_or(static_cast<int32_t>(calls.size())));
            }
            if (onPage) {
                onPage(command);
            }
            if (pageOverride) {
                if (auto replaced = pageOverride(command)) {
                    return *replaced;
                }
            }
            int offset = 0;
            if (std::sscanf(command.c_str(), "getsmsPart10:%d;", &offset) == 1) {
                return Page(sms, offset);
            }
            if (std::sscanf(command.c_str(), "getcontactpart10:%d;", &offset) == 1) {
                return Page(contacts, offset);
            }
            if (std::sscanf(command.c_str(), "getcalllogpart10:%d;", &offset) == 1) {
                return Page(calls, offset);
            }
            return std::string();
        });
    }
};

std::string Sms(int id, const std::string& address = "", const char* person = nullptr) {
    testtext::Fields f = {{"ID", std::to_string(id)}, {"THREAD_ID", "1"}, {"TYPE", "1"}};
    if (!address.empty()) {
        f.push_back({"ADDRESS", address});
    }
    if (person != nullptr) {
        f.push_back({"PERSON", person});
    }
    return Record(f);
}

std::vector<std::string> Ids(const SmsRecord* m) {
    std::vector<std::string> out;
    for (; m != nullptr; m = m->next) {
        out.push_back(m->id ? m->id : "(null)");
    }
    return out;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        Tarvell_ResetFlushDBStatus();
    }
    void TearDown() override {
        fakes::Reset();
        Tarvell_ResetFlushDBStatus();
    }
    ScriptedPhone phone;
};

// Runs first in this program: the stores start unfilled.
TEST_F(StoreTest, ReadersReportNeverFlushedStores) {
    SmsRecord* sms = reinterpret_cast<SmsRecord*>(0x1);
    ContactRecord* contact = reinterpret_cast<ContactRecord*>(0x1);
    CallLogRecord* call = reinterpret_cast<CallLogRecord*>(0x1);
    EXPECT_EQ(Tarvell_GetSMS(&sms), -2);
    EXPECT_EQ(Tarvell_GetPerson(&contact), -2);
    EXPECT_EQ(Tarvell_GetCallHistory(&call), -2);
    EXPECT_EQ(sms, reinterpret_cast<SmsRecord*>(0x1));
    EXPECT_EQ(contact, reinterpret_cast<ContactRecord*>(0x1));
    EXPECT_EQ(call, reinterpret_cast<CallLogRecord*>(0x1));
}

TEST_F(StoreTest, EmptyPhoneFillsEmptyStores) {
    phone.Install();
    EXPECT_EQ(Tarvell_FlushSMS(), 0);
    EXPECT_EQ(Tarvell_FlushPerson(), 0);
    EXPECT_EQ(Tarvell_FlushCallHistory(), 0);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"getsmsCount;", "getcontactCount;", "getcalllogcount;"}));
    SmsRecord* sms = reinterpret_cast<SmsRecord*>(0x1);
    EXPECT_EQ(Tarvell_GetSMS(&sms), 0);
    EXPECT_EQ(sms, nullptr);
    ContactRecord* contact = nullptr;
    EXPECT_EQ(Tarvell_GetPerson(&contact), 0);
    CallLogRecord* call = nullptr;
    EXPECT_EQ(Tarvell_GetCallHistory(&call), 0);
    EXPECT_EQ(Tarvell_GetSMS(nullptr), -1);
}

TEST_F(StoreTest, PagesByFiveUntilTheTotal) {
    for (int i = 0; i < 12; ++i) {
        phone.sms.push_back(Sms(i));
    }
    // One message the filter drops.
    phone.sms[3] = Record({{"ID", "3"}, {"THREAD_ID", "-1"}, {"TYPE", "1"}});
    std::vector<int> indexSeen;
    phone.onPage = [&](const std::string&) { indexSeen.push_back(Tarvell_FlushSMS_Index()); };
    phone.Install();
    EXPECT_EQ(Tarvell_FlushSMS(), 0);
    EXPECT_EQ(fakes::Commands(), (std::vector<std::string>{"getsmsCount;", "getsmsPart10:0;",
                                                           "getsmsPart10:5;", "getsmsPart10:10;"}));
    EXPECT_EQ(indexSeen, (std::vector<int>{0, 5, 10}));
    EXPECT_EQ(Tarvell_FlushSMS_Count(), 12);
    SmsRecord* first = nullptr;
    EXPECT_EQ(Tarvell_GetSMS(&first), 11);
    EXPECT_EQ(Ids(first),
              (std::vector<std::string>{"0", "1", "2", "4", "5", "6", "7", "8", "9", "10", "11"}));
}

TEST_F(StoreTest, ContactsComeOutReversedAndCallsInOrder) {
    for (int i = 0; i < 7; ++i) {
        phone.contacts.push_back(Record({{"CONTACTID", std::to_string(i)}}));
        phone.calls.push_back(Record({{"ID", std::to_string(i)}, {"NUMBER", "1"}}));
    }
    phone.Install();
    EXPECT_EQ(Tarvell_FlushPerson(), 0);
    EXPECT_EQ(Tarvell_FlushCallHistory(), 0);
    EXPECT_EQ(fakes::Commands(),
              (std::vector<std::string>{"getcontactCount;", "getcontactpart10:0;",
                                        "getcontactpart10:5;", "getcalllogcount;",
                                        "getcalllogpart10:0;", "getcalllogpart10:5;"}));
    ContactRecord* contact = nullptr;
    ASSERT_EQ(Tarvell_GetPerson(&contact), 7);
    std::string order;
    for (; contact != nullptr; contact = contact->next) {
        order += contact->contactId;
    }
    EXPECT_EQ(order, "6543210");
    CallLogRecord* call = nullptr;
    ASSERT_EQ(Tarvell_GetCallHistory(&call), 7);
    order.clear();
    for (; call != nullptr; call = call->next) {
        order += call->id;
    }
    EXPECT_EQ(order, "0123456");
    EXPECT_EQ(Tarvell_FlushContact_Count(), 7);
    EXPECT_EQ(Tarvell_FlushContact_Index(), 5);
    EXPECT_EQ(Tarvell_FlushCallLog_Count(), 7);
    EXPECT_EQ(Tarvell_FlushCallLog_Index(), 5);
}

TEST_F(StoreTest, ReflushReplacesTheStore) {
    phone.calls = {Record({{"ID", "a"}}), Record({{"ID", "b"}})};
    phone.Install();
    Tarvell_FlushCallHistory();
    phone.calls = {Record({{"ID", "c"}})};
    Tarvell_FlushCallHistory();
    CallLogRecord* call = nullptr;
    ASSERT_EQ(Tarvell_GetCallHistory(&call), 1);
    EXPECT_STREQ(call->id, "c");
    EXPECT_EQ(call->next, nullptr);
    // A later flush that finds nothing empties the store but it stays filled.
    phone.calls.clear();
    Tarvell_FlushCallHistory();
    EXPECT_EQ(Tarvell_GetCallHistory(&call), 0);
    EXPECT_EQ(call, nullptr);
}

// Whatever goes wrong, the pages that arrived stay and the flush stops.
TEST_F(StoreTest, FlushFailuresKeepWhatArrivedAndStop) {
    struct Case {
        const char* name;
        std::optional<int32_t> count;
        std::optional<std::string> secondPage; // reply at offset 5; nullopt: failed exchange
        int stored;
        int pages;
    };
    const Case cases[] = {
        {"zero count", 0, std::string(), 0, 0},
        {"negative count", -3, std::string(), 0, 0},
        {"failed page", std::nullopt, std::nullopt, 5, 2},
        {"one-byte page", std::nullopt, std::string("."), 5, 2},
        {"page larger than the buffer", std::nullopt, std::string(0x500000, 'A'), 5, 2},
        {"reply of exactly the page capacity decodes", std::nullopt,
         std::string(0x4FFFFF - 8, 'A') + ";ID:31;.", 11, 3},
        {"count smaller than the records", 6, std::nullopt, 5, 2},
    };
    for (const Case& c : cases) {
        fakes::Reset();
        phone = ScriptedPhone{};
        for (int i = 0; i < 15; ++i) {
            phone.calls.push_back(Record({{"ID", std::to_string(i)}}));
        }
        phone.callCount = c.count;
        phone.pageOverride = [&](const std::string& command) {
            return command == "getcalllogpart10:5;"
                       ? std::optional<std::optional<std::string>>(c.secondPage)
                       : std::nullopt;
        };
        phone.Install();
        EXPECT_EQ(Tarvell_FlushCallHistory(), 0) << c.name;
        std::vector<std::string> commands = {"getcalllogcount;"};
        for (int page = 0; page < c.pages; ++page) {
            commands.push_back("getcalllogpart10:" + std::to_string(page * 5) + ";");
        }
        EXPECT_EQ(fakes::Commands(), commands) << c.name;
        CallLogRecord* call = nullptr;
        EXPECT_EQ(Tarvell_GetCallHistory(&call), c.stored) << c.name;
    }
}

TEST_F(StoreTest, AbortStopsAfterThePageAndStaysUntilReset) {
    for (int i = 0; i < 12; ++i) {
        phone.sms.push_back(Sms(i));
    }
    phone.onPage = [](const std::string& command) {
        if (command == "getsmsPart10:5;") {
            Tarvell_AbortFlushDB();
        }
    };
    phone.Install();
    Tarvell_FlushSMS();
    SmsRecord* first = nullptr;
    EXPECT_EQ(Tarvell_GetSMS(&first), 10);

    // The flag stays set: the next flush fetches only the page at offset 0.
    phone.onPage = nullptr;
    fakes::Reset();
    phone.Install();
    Tarvell_FlushSMS();
    EXPECT_EQ(fakes::Commands(), (std::vector<std::string>{"getsmsCount;", "getsmsPart10:0;"}));
    EXPECT_EQ(Tarvell_GetSMS(&first), 5);

    Tarvell_ResetFlushDBStatus();
    Tarvell_FlushSMS();
    EXPECT_EQ(Tarvell_GetSMS(&first), 12);
}

// ---- sender names ----

struct MatchCase {
    const char* a;
    const char* b;
    bool match;
};

TEST(NumbersMatch, Table) {
    const MatchCase cases[] = {
        {"+86 138-0013-8000", "13800138000", true}, // lengths 13 and 11, same end
        {"13800138000", "13800138000", true},
        {"1380013800099", "13800138000", true}, // same start
        {"12345", "123456789", true},           // gap of 4, same start
        {"1234", "123456789", false},           // gap of 5
        {"5678", "12345678", true},             // gap of 4, same end
        {"99999", "12345678", false},
        {"555-1234", "5551234", true},
        {"", "", false}, // empty never matches
        {"", "1234", false},
        {"1234", "", false},
        {"+-", "12", false}, // empty once normalised
        {nullptr, "1", false},
        {"1", nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stores::NumbersMatch(c.a, c.b), c.match)
            << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
    }
    char out[64];
    stores::NormaliseNumber("+1 (555) 123-4567", out);
    EXPECT_STREQ(out, "1(555)1234567");
    stores::NormaliseNumber(std::string(100, '7').c_str(), out);
    EXPECT_EQ(std::strlen(out), 63u);
}

TEST_F(StoreTest, FlushFillsSenderNamesFromTheFirstMatchingContact) {
    // The phone sends Zed first, so it ends up last in the store.
    phone.contacts = {
        Record({{"CONTACTID", "9"}, {"NAME", "Zed"}, {"PHONE_PHONE", "13800138000"}}),
        Record({{"CONTACTID", "5"}, {"NAME", "Ann"}, {"PHONE_WORK", "138 0013 8000"}}),
        Record({{"CONTACTID", "6"}, {"NAME", "Empty"}, {"PHONE_PHONE", ""}}),
    };
    phone.sms = {
        Sms(1, "+86 138-0013-8000"),
        Sms(2, "13800138000", "Kept"),
        Sms(3, "0000"),
        Record({{"ID", "4"}, {"THREAD_ID", "1"}, {"TYPE", "1"}, {"ADDRESS", ""}}),
    };
    phone.Install();
    Tarvell_FlushPerson();
    Tarvell_FlushSMS();
    SmsRecord* m = nullptr;
    ASSERT_EQ(Tarvell_GetSMS(&m), 4);
    // Ann is first in the contact store; with no lastName the name ends in a blank.
    EXPECT_STREQ(m->personName, "Ann ");
    EXPECT_STREQ(m->contactId, "5");
    m = m->next;
    EXPECT_STREQ(m->personName, "Kept");
    EXPECT_EQ(m->contactId, nullptr);
    m = m->next;
    // A present but empty contact phone matches nothing, nor does an empty address.
    EXPECT_EQ(m->personName, nullptr);
    m = m->next;
    EXPECT_EQ(m->personName, nullptr);
    EXPECT_EQ(m->contactId, nullptr);
}

// The indexed fill against the plain rule: every contact, in order, against
// every still unnamed message.
TEST(FillSenderNames, AgreesWithComparingEveryPair) {
    std::mt19937 rng(1234);
    auto number = [&] {
        static const char kChars[] = "0123456789+- ";
        std::string out;
        const int length = static_cast<int>(rng() % 14);
        for (int i = 0; i < length; ++i) {
            // Few distinct digits so that near misses and matches are common.
            out += kChars[rng() % 2 == 0 ? rng() % 3 : rng() % 13];
        }
        return out;
    };
    int matched = 0;
    int unmatched = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<ContactRecord> contacts(40);
        std::vector<std::string> texts(40 * 4);
        for (size_t i = 0; i < contacts.size(); ++i) {
            ContactRecord& c = contacts[i];
            c = ContactRecord{};
            texts[i * 4] = "id" + std::to_string(i);
            c.contactId = texts[i * 4].data();
            char** phones[] = {&c.mobilePhone, &c.workPhone, &c.homePhone};
            for (int p = 0; p < 3; ++p) {
                if (rng() % 3 != 0) {
                    texts[i * 4 + 1 + static_cast<size_t>(p)] = number();
                    *phones[p] = texts[i * 4 + 1 + static_cast<size_t>(p)].data();
                }
            }
            c.next = i + 1 < contacts.size() ? &contacts[i + 1] : nullptr;
        }
        std::vector<SmsRecord> messages(200);
        std::vector<std::string> addresses(200);
        for (size_t i = 0; i < messages.size(); ++i) {
            messages[i] = SmsRecord{};
            addresses[i] = number();
            messages[i].address = rng() % 10 == 0 ? nullptr : addresses[i].data();
            messages[i].next = i + 1 < messages.size() ? &messages[i + 1] : nullptr;
        }
        std::vector<std::string> expected(messages.size());
        for (size_t i = 0; i < messages.size(); ++i) {
            for (const ContactRecord& c : contacts) {
                if (messages[i].address != nullptr &&
                    (stores::NumbersMatch(messages[i].address, c.mobilePhone) ||
                     stores::NumbersMatch(messages[i].address, c.workPhone) ||
                     stores::NumbersMatch(messages[i].address, c.homePhone))) {
                    expected[i] = c.contactId;
                    break;
                }
            }
        }
        ASSERT_TRUE(stores::FillSenderNames(
            &contacts[0], &messages[0],
            [](size_t bytes, void*) { return static_cast<char*>(std::malloc(bytes)); }, nullptr));
        for (const std::string& id : expected) {
            (id.empty() ? unmatched : matched) += 1;
        }
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].contactId ? std::string(messages[i].contactId) : "", expected[i])
                << "address " << (messages[i].address ? messages[i].address : "(null)");
            std::free(messages[i].personName);
            std::free(messages[i].contactId);
        }
    }
    // The data exercise both outcomes.
    EXPECT_GT(matched, 400);
    EXPECT_GT(unmatched, 400);
}

} // namespace
