// The entry walker and list decoding into the stores, over hand-written
// reply texts.
#include "convert.h"
#include "record_text.h"
#include "store_arena.h"
#include "stores.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using recordtext::Entry;
using recordtext::EntryWalker;
using recordtext::Step;
using testtext::Hex;
using testtext::Record;

namespace {

// The walk as text: "TAG=VALUE" per entry, "." per record end.
std::string Walk(const char* text, size_t length) {
    EntryWalker walker(text, length);
    Entry entry;
    std::string out;
    for (int guard = 0; guard < 1000; ++guard) {
        const Step step = walker.Next(&entry);
        if (step == Step::End) {
            return out;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += step == Step::RecordEnd ? std::string(".")
                                       : std::string(entry.tag) + "=" + std::string(entry.value);
    }
    return "endless walk";
}

TEST(Walker, WalksEntriesWithinTheLength) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"example", "ID:3132;BODY:4869;.", "ID=3132 BODY=4869 ."},
        {"two records", "ID:31;.ID:32;.", "ID=31 . ID=32 ."},
        {"no closing dot", "ID:3132;", "ID=3132"},
        {"empty value", "BODY:;.", "BODY= ."},
        {"missing semicolon ends", "ID:31;BODY:48", "ID=31"},
        {"entry without colon skipped", "JUNK;ID:31;.", "ID=31 ."},
        {"second colon stays in value", "ID:31:32;.", "ID=31:32 ."},
        {"empty text", "", ""},
        {"lone dots", "..", ". ."},
        {"NUL ends the text", std::string("ID:31;\0ID:32;.", 14), "ID=31"},
        {"dot only at entry start", "ID:3.1;.", "ID=3.1 ."},
    };
    for (const Case& c : cases) {
        // An exactly-sized heap copy without terminator: any read past the
        // length shows under the sanitizer or valgrind.
        std::unique_ptr<char[]> exact(new char[c.text.size() + 1]);
        std::memcpy(exact.get(), c.text.data(), c.text.size());
        EXPECT_EQ(Walk(exact.get(), c.text.size()), c.expected) << c.name;
    }
    const char text[] = "ID:31;NAME:32;.";
    EXPECT_EQ(Walk(text, 6), "ID=31");
    EXPECT_EQ(Walk(text, 5), "");
    EXPECT_EQ(Walk(nullptr, 0), "");
}

struct ValueCase {
    const char* hex;
    std::string expected;
};

TEST(DecodeValue, OddNonHexAndLongValuesStayInBounds) {
    const ValueCase cases[] = {
        {"4869", "Hi"},
        {"", ""},
        {"313", std::string("1\x30", 2)}, // the odd digit is a high half
        {"E4BDA0E5A5BD", "\xE4\xBD\xA0\xE5\xA5\xBD"},
    };
    for (const auto& c : cases) {
        std::vector<char> out(static_cast<size_t>(recordtext::DecodedLength(c.hex)) + 1, 'x');
        const int n = recordtext::DecodeValue(c.hex, out.data());
        EXPECT_EQ(std::string(out.data(), static_cast<size_t>(n)), c.expected) << c.hex;
        EXPECT_EQ(out[static_cast<size_t>(n)], '\0');
    }
    // Characters that are no hex digits decode to something, within the buffer.
    std::vector<char> out(static_cast<size_t>(recordtext::DecodedLength("zz!~")) + 1);
    EXPECT_EQ(recordtext::DecodeValue("zz!~", out.data()), 2);

    const std::string longHex(5000, 'A');
    EXPECT_EQ(recordtext::DecodedLength(longHex), 1023);
    std::vector<char> big(1024);
    EXPECT_EQ(recordtext::DecodeValue(longHex, big.data()), 1023);
    EXPECT_EQ(big[1023], '\0');
}

TEST(DecodeValue, AgreesWithHexDecodeOnEveryPairOfCharacters) {
    for (int high = 0; high < 256; ++high) {
        for (int low = 0; low < 256; ++low) {
            const char pair[3] = {static_cast<char>(high), static_cast<char>(low), 'A'};
            for (size_t length : {size_t(2), size_t(3)}) {
                unsigned char expected[2] = {};
                int capacity = 2;
                HexDecode(pair, static_cast<int>(length), expected, &capacity);
                char got[3] = {};
                ASSERT_EQ(recordtext::DecodeValue(std::string_view(pair, length), got), capacity);
                ASSERT_EQ(std::memcmp(got, expected, static_cast<size_t>(capacity)), 0)
                    << high << " " << low << " " << length;
            }
        }
    }
}

TEST(StoreArena, AlignsRollsBackAndHoldsLargePieces) {
    StoreArena arena;
    auto* a = static_cast<char*>(arena.Allocate(3));
    ASSERT_NE(a, nullptr);
    const StoreArena::Mark mark = arena.GetMark();
    auto* b = static_cast<char*>(arena.Allocate(5));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(void*), 0u);
    EXPECT_GE(b - a, 3);
    arena.Rollback(mark);
    EXPECT_EQ(static_cast<char*>(arena.Allocate(5)), b);
    // A piece larger than a block, and small pieces after it in the old block.
    auto* big = static_cast<char*>(arena.Allocate(1 << 20));
    ASSERT_NE(big, nullptr);
    std::memset(big, 'x', 1 << 20);
    auto* c = static_cast<char*>(arena.Allocate(8));
    EXPECT_EQ(c, b + 8);
    // Filling many blocks, then freeing them all.
    for (int i = 0; i < 10000; ++i) {
        char* copy = arena.Copy("hello", 5);
        ASSERT_NE(copy, nullptr);
        ASSERT_STREQ(copy, "hello");
    }
    arena.Clear();
    EXPECT_NE(arena.Allocate(1), nullptr);
}

TEST(DecodeValue, IntoFieldCutsAtWidthMinusOne) {
    char field[8];
    std::memset(field, 'x', sizeof field);
    recordtext::DecodeValueInto(Hex("abcdefghijk"), field, sizeof field);
    EXPECT_STREQ(field, "abcdefg");
    recordtext::DecodeValueInto(Hex("ab"), field, sizeof field);
    EXPECT_STREQ(field, "ab");
}

TEST(ReadInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(recordtext::ReadInt("7"), 7);
    EXPECT_EQ(recordtext::ReadInt("  -12x"), -12);
    EXPECT_EQ(recordtext::ReadInt("abc"), 0);
    EXPECT_EQ(recordtext::ReadInt("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(recordtext::ReadInt("-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(recordtext::ReadInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(recordtext::ReadInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(recordtext::ReadInt64(nullptr), 0);
}

// ---- list decoding into the stores ----

// The fields of a message as "id|address|body|type|thread|person", "~"
// standing for a field left NULL.
std::string Fields(const SmsRecord& m) {
    std::string out;
    for (const char* field : {m.id, m.address, m.body, m.type, m.threadId, m.personName}) {
        out += (out.empty() ? "" : "|") + std::string(field ? field : "~");
    }
    return out;
}

TEST(SmsDecode, KeepsAndFillsMessages) {
    const std::string t7 = "THREAD_ID:" + Hex("7") + ";";
    struct Case {
        const char* name;
        std::string reply;
        std::string first; // Fields() of the first kept message; empty: none kept
    };
    const Case cases[] = {
        {"example without thread and type is dropped", "ID:3132;BODY:4869;.", ""},
        {"complete message",
         Record({{"ID", "12"},
                 {"THREAD_ID", "7"},
                 {"ADDRESS", "+8613800138000"},
                 {"DATE", "2020-01-02 03:04:05"},
                 {"BODY", "Hi"},
                 {"TYPE", "1"},
                 {"PROTOCOL", "0"},
                 {"STATUS", "-1"}}),
         "12|+8613800138000|Hi|1|7|~"},
        {"type 3 is dropped", Record({{"THREAD_ID", "7"}, {"TYPE", "3"}}), ""},
        {"thread -1 is dropped", Record({{"THREAD_ID", "-1"}, {"TYPE", "1"}}), ""},
        {"missing type is dropped", Record({{"THREAD_ID", "7"}}), ""},
        {"missing thread is dropped", Record({{"TYPE", "1"}}), ""},
        {"type 7 becomes 4", Record({{"THREAD_ID", "7"}, {"TYPE", "7"}}), "~|~|~|4|7|~"},
        {"type 5 becomes 4", Record({{"THREAD_ID", "7"}, {"TYPE", "5"}}), "~|~|~|4|7|~"},
        {"type 12 becomes 4", Record({{"THREAD_ID", "7"}, {"TYPE", "12"}}), "~|~|~|4|7|~"},
        {"huge type becomes 4", Record({{"THREAD_ID", "7"}, {"TYPE", "99999999999999999999"}}),
         "~|~|~|4|7|~"},
        {"type 4 stays", Record({{"THREAD_ID", "7"}, {"TYPE", "4"}}), "~|~|~|4|7|~"},
        {"empty values are empty strings",
         Record({{"THREAD_ID", "7"}, {"TYPE", ""}, {"BODY", ""}, {"PERSON", ""}}), "~|~|||7|"},
        {"unknown tags are skipped", "COLOR:414243;" + t7 + "TYPE:31;WHO:;BODY:4869;.",
         "~|~|Hi|1|7|~"},
        {"record without closing dot is dropped", t7 + "TYPE:31;", ""},
        {"missing semicolon drops the record", t7 + "TYPE:31", ""},
        {"later duplicate wins", t7 + "TYPE:31;BODY:41;BODY:42;.", "~|~|B|1|7|~"},
        {"odd-length value", t7 + "TYPE:31;BODY:414;.", "~|~|A@|1|7|~"},
        {"person is kept", t7 + "TYPE:31;PERSON:416E6E;.", "~|~|~|1|7|Ann"},
    };
    for (const Case& c : cases) {
        stores::ClearSmsStore();
        const int kept = c.first.empty() ? 0 : 1;
        EXPECT_EQ(stores::DecodeSmsList(c.reply.c_str(), c.reply.size()), kept) << c.name;
        EXPECT_EQ(stores::SmsCount(), kept) << c.name;
        const SmsRecord* m = stores::SmsHead();
        EXPECT_EQ(m ? Fields(*m) : "", c.first) << c.name;
        EXPECT_EQ(m ? m->contactId : nullptr, nullptr) << c.name;
    }
    stores::ClearSmsStore();
}

TEST(SmsDecode, ManyRecordsKeepArrivalOrderAndLongValuesAreCut) {
    stores::ClearSmsStore();
    std::string reply;
    for (int i = 0; i < 7; ++i) {
        reply += Record({{"ID", std::to_string(i)}, {"THREAD_ID", "1"}, {"TYPE", "1"}});
    }
    reply += Record(
        {{"ID", "long"}, {"THREAD_ID", "1"}, {"TYPE", "2"}, {"BODY", std::string(3000, 'b')}});
    EXPECT_EQ(stores::DecodeSmsList(reply.c_str(), reply.size()), 8);
    int i = 0;
    const SmsRecord* last = nullptr;
    for (const SmsRecord* m = stores::SmsHead(); m != nullptr; m = m->next, ++i) {
        if (i < 7) {
            EXPECT_STREQ(m->id, std::to_string(i).c_str());
        }
        last = m;
    }
    EXPECT_EQ(i, 8);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(std::strlen(last->body), 1023u);
    stores::ClearSmsStore();
}

TEST(ContactDecode, EveryTagReachesItsFieldAndOrderIsReversed) {
    stores::ClearContactStore();
    const std::pair<const char*, char * ContactRecord::*> tags[] = {
        {"PHONE_PHONE", &ContactRecord::mobilePhone},
        {"PHONE_HOME", &ContactRecord::homePhone},
        {"PHONE_WORK", &ContactRecord::workPhone},
        {"PHONE_HOMEFAX", &ContactRecord::homeFax},
        {"PHONE_WORKFAX", &ContactRecord::workFax},
        {"NAME", &ContactRecord::name},
        {"EMAIL_HOME", &ContactRecord::homeEmail},
        {"EMAIL_WORK", &ContactRecord::workEmail},
        {"NOTE", &ContactRecord::note},
        {"WEBSITE", &ContactRecord::homePage},
        {"NICKNAME", &ContactRecord::nickName},
        {"ADDRESS_HOME", &ContactRecord::homeAddress},
        {"ADDRESS_WORK", &ContactRecord::workAddress},
        {"BIRTHDAY", &ContactRecord::birthday},
        {"ORG_NAME", &ContactRecord::organization},
        {"ORG_TITLE", &ContactRecord::department},
    };
    // Each field holds its own tag's name; tags the store has no field for
    // leave the others unset.
    testtext::Fields fields = {{"CONTACTID", "1"}, {"LASTNAME", "ignored"}};
    for (const auto& [tag, member] : tags) {
        fields.push_back({tag, tag});
    }
    const std::string reply = Record(fields) + Record({{"CONTACTID", "2"}}) + ".";
    EXPECT_EQ(stores::DecodeContactList(reply.c_str(), reply.size()), 3);
    EXPECT_EQ(stores::ContactCount(), 3);
    const ContactRecord* c = stores::ContactHead();
    ASSERT_NE(c, nullptr);
    // The bare '.' made an empty record, put first as the last to arrive.
    EXPECT_EQ(c->contactId, nullptr);
    c = c->next;
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->contactId, "2");
    c = c->next;
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->contactId, "1");
    for (const auto& [tag, member] : tags) {
        EXPECT_STREQ(c->*member, tag);
    }
    for (char* ContactRecord::*unset : {&ContactRecord::lastName, &ContactRecord::groupName,
                                        &ContactRecord::createDate, &ContactRecord::reserved}) {
        EXPECT_EQ(c->*unset, nullptr);
    }
    EXPECT_EQ(c->next, nullptr);
    stores::ClearContactStore();
    EXPECT_EQ(stores::ContactHead(), nullptr);
    EXPECT_EQ(stores::ContactCount(), 0);
}

TEST(CallLogDecode, FieldsTypeCapAndArrivalOrder) {
    stores::ClearCallLogStore();
    const std::string reply = Record({{"ID", "1"},
                                      {"NAME", "Bo"},
                                      {"NUMBER", "555"},
                                      {"TYPE", "9"},
                                      {"DURATION", "61"},
                                      {"DATE", "2021-05-06 07:08:09"}}) +
                              Record({{"ID", "2"}, {"TYPE", "2"}}) + "ID:33;";
    EXPECT_EQ(stores::DecodeCallLogList(reply.c_str(), reply.size()), 2);
    const CallLogRecord* c = stores::CallLogHead();
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->id, "1");
    EXPECT_STREQ(c->name, "Bo");
    EXPECT_STREQ(c->number, "555");
    EXPECT_STREQ(c->type, "4");
    EXPECT_STREQ(c->duration, "61");
    EXPECT_STREQ(c->date, "2021-05-06 07:08:09");
    EXPECT_EQ(c->reserved, nullptr);
    EXPECT_EQ(c->photoId, 0);
    ASSERT_NE(c->next, nullptr);
    EXPECT_STREQ(c->next->id, "2");
    EXPECT_STREQ(c->next->type, "2");
    EXPECT_EQ(c->next->name, nullptr);
    EXPECT_EQ(c->next->next, nullptr);
    stores::ClearCallLogStore();
}

} // namespace
