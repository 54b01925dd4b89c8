// The conversation and number groupings, by hand-made cases and against a
// plain walk of the group list on random stores.
#include "convert.h"
#include "fakes.h"
#include "stores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

// Message lists built from short descriptions; strings live in the deque.
struct Messages {
    std::deque<std::string> texts;
    std::vector<SmsRecord> records;

    char* Text(const char* value) {
        if (value == nullptr) {
            return nullptr;
        }
        texts.emplace_back(value);
        return texts.back().data();
    }
    void Add(const char* id, const char* thread, const char* address, const char* date) {
        SmsRecord r{};
        r.id = Text(id);
        r.threadId = Text(thread);
        r.address = Text(address);
        r.date = Text(date);
        records.push_back(r);
    }
    SmsRecord* Link() {
        for (size_t i = 0; i < records.size(); ++i) {
            records[i].next = i + 1 < records.size() ? &records[i + 1] : nullptr;
        }
        return records.empty() ? nullptr : &records[0];
    }
};

// "founding:members time" per group, e.g. "a:c,b,a 1577934245".
std::vector<std::string> Describe(const SmsTempGroup* g) {
    std::vector<std::string> out;
    for (; g != nullptr; g = g->next) {
        std::string text = static_cast<const SmsRecord*>(g->foundingMember->record)->id;
        text += ':';
        for (const TempGroupMember* m = g->firstMember; m != nullptr; m = m->next) {
            text += static_cast<const SmsRecord*>(m->record)->id;
            text += m->next ? "," : "";
        }
        text += ' ' + std::to_string(g->newestTime);
        out.push_back(text);
    }
    return out;
}

bool SameText(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

int64_t TimeOf(const SmsRecord& r) {
    return r.date == nullptr || r.date[0] == '\0' ? 0 : ParseDateTime(r.date);
}

// The grouping rule walked literally: every message against every group.
std::vector<std::string> Reference(SmsRecord* messages) {
    struct Group {
        std::vector<const SmsRecord*> members; // first member first
        const SmsRecord* founding;
        int64_t time;
    };
    std::vector<Group> list; // list order: front is index 0
    for (const SmsRecord* m = messages; m != nullptr; m = m->next) {
        bool joined = false;
        for (Group& g : list) {
            const SmsRecord* first = g.members.front();
            if (SameText(first->threadId, m->threadId) || SameText(first->address, m->address)) {
                g.members.insert(g.members.begin(), m);
                g.time = std::max(g.time, TimeOf(*m));
                joined = true;
                break;
            }
        }
        if (!joined) {
            list.insert(list.begin(), Group{{m}, m, TimeOf(*m)});
        }
    }
    std::vector<std::pair<int64_t, std::vector<const SmsRecord*>>> slots;
    for (const Group& g : list) {
        slots.emplace_back(g.time, g.members);
    }
    std::stable_sort(slots.begin(), slots.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) {
        std::string text = list[i].founding->id;
        text += ':';
        for (size_t k = 0; k < slots[i].second.size(); ++k) {
            text += slots[i].second[k]->id;
            text += k + 1 < slots[i].second.size() ? "," : "";
        }
        text += ' ' + std::to_string(slots[i].first);
        out.push_back(text);
    }
    return out;
}

std::string T(const char* date) {
    return std::to_string(ParseDateTime(date));
}

struct SmsGroupCase {
    const char* name;
    std::vector<std::array<const char*, 4>> messages; // id, thread, address, date
    std::vector<std::string> groups;                  // as Describe() gives them
};

TEST(SmsGroups, HandMadeCases) {
    const std::string t0 = T("2020-01-01 00:00:00");
    const SmsGroupCase cases[] = {
        {"same address joins across threads",
         {{"a", "1", "555", "2020-01-01 00:00:00"}, {"b", "2", "555", "2020-01-02 00:00:00"}},
         {"a:b,a " + T("2020-01-02 00:00:00")}},
        // b joins by thread, so the first member now has address B; c no
        // longer matches A; d joins a's group through b's address.
        {"keys follow the newest member",
         {{"a", "1", "A", "2020-01-01 00:00:00"},
          {"b", "1", "B", "2020-01-01 00:00:00"},
          {"c", "2", "A", "2020-01-01 00:00:00"},
          {"d", "3", "B", "2020-01-01 00:00:00"}},
         {"c:c " + t0, "a:d,b,a " + t0}},
        // List before sorting: d, c, b, a(e). c moves first; b and a keep
        // their order; founding members stay where the groups were created.
        {"newest first, equal times keep order, founding members stay",
         {{"a", "1", "A", "2020-01-01 00:00:00"},
          {"b", "2", "B", "2020-01-01 00:00:00"},
          {"c", "3", "C", "2021-01-01 00:00:00"},
          {"d", "4", "D", nullptr},
          {"e", "1", "A", ""}},
         {"d:c " + T("2021-01-01 00:00:00"), "c:b " + t0, "b:e,a " + t0, "a:d 0"}},
        // Empty texts are present and equal; missing ones never match.
        {"missing keys never match",
         {{"a", nullptr, nullptr, nullptr},
          {"b", nullptr, nullptr, nullptr},
          {"c", "", "", nullptr},
          {"d", "", nullptr, nullptr}},
         {"c:d,c 0", "b:b 0", "a:a 0"}},
    };
    for (const SmsGroupCase& c : cases) {
        Messages m;
        for (const auto& [id, thread, address, date] : c.messages) {
            m.Add(id, thread, address, date);
        }
        SmsTempGroup* g = stores::BuildSmsGroups(m.Link());
        EXPECT_EQ(Describe(g), c.groups) << c.name;
        stores::FreeSmsGroups(g);
    }
    EXPECT_EQ(stores::BuildSmsGroups(nullptr), nullptr);
}

TEST(SmsGroups, AgreesWithWalkingTheGroupList) {
    std::mt19937 rng(99);
    for (int round = 0; round < 30; ++round) {
        Messages m;
        const int count = 1 + static_cast<int>(rng() % 300);
        for (int i = 0; i < count; ++i) {
            const std::string id = std::to_string(i);
            const std::string thread = std::to_string(rng() % 25);
            const std::string address = std::to_string(rng() % 25);
            char date[32];
            std::snprintf(date, sizeof date, "2020-0%lu-1%lu 10:00:00",
                          static_cast<unsigned long>(1 + rng() % 9),
                          static_cast<unsigned long>(rng() % 10));
            m.Add(id.c_str(), rng() % 10 ? thread.c_str() : nullptr,
                  rng() % 10 ? address.c_str() : nullptr, rng() % 8 ? date : nullptr);
        }
        SmsRecord* head = m.Link();
        SmsTempGroup* g = stores::BuildSmsGroups(head);
        EXPECT_EQ(Describe(g), Reference(head)) << "round " << round;
        stores::FreeSmsGroups(g);
    }
}

// ---- call-log numbers ----

std::vector<std::string> DescribeCalls(const CallLogTempGroup* g) {
    std::vector<std::string> out;
    for (; g != nullptr; g = g->next) {
        std::string text;
        for (const TempGroupMember* m = g->firstMember; m != nullptr; m = m->next) {
            text += static_cast<const CallLogRecord*>(m->record)->id;
            if (m->next == nullptr) {
                EXPECT_EQ(m, g->lastMember);
            }
        }
        out.push_back(text);
    }
    return out;
}

TEST(CallLogGroups, OneGroupPerNumberNewestCreatedFirst) {
    struct Call {
        const char* id;
        const char* number;
    };
    const Call calls[] = {{"a", "1"},     {"b", "2"}, {"c", "1"}, {"d", nullptr},
                          {"e", nullptr}, {"f", "2"}, {"g", ""},  {"h", ""}};
    std::vector<CallLogRecord> records;
    for (const Call& c : calls) {
        CallLogRecord r{};
        r.id = const_cast<char*>(c.id);
        r.number = const_cast<char*>(c.number);
        records.push_back(r);
    }
    for (size_t i = 0; i + 1 < records.size(); ++i) {
        records[i].next = &records[i + 1];
    }
    CallLogTempGroup* g = stores::BuildCallLogGroups(&records[0]);
    EXPECT_EQ(DescribeCalls(g), (std::vector<std::string>{"gh", "e", "d", "bf", "ac"}));
    stores::FreeCallLogGroups(g);
    EXPECT_EQ(stores::BuildCallLogGroups(nullptr), nullptr);
}

// ---- the exports over the stores ----

TEST(GroupingExports, BuildOverTheStoresAndReplaceThePreviousGrouping) {
    fakes::Reset();
    fakes::SetCompanion(
        [](const std::string& command, const std::string&) -> std::optional<std::string> {
            if (command == "getcalllogcount;" || command == "getsmsCount;") {
                return fakes::Int32Reply(3);
            }
            if (command == "getcalllogpart10:0;") {
                return std::string("ID:61;NUMBER:31;.ID:62;NUMBER:32;.ID:63;NUMBER:31;.");
            }
            if (command == "getsmsPart10:0;") {
                return std::string("ID:61;THREAD_ID:31;TYPE:31;.ID:62;THREAD_ID:32;TYPE:31;."
                                   "ID:63;THREAD_ID:31;TYPE:31;.");
            }
            return std::string();
        });
    Tarvell_FlushCallHistory();
    Tarvell_FlushSMS();
    CallLogTempGroup* calls = nullptr;
    EXPECT_EQ(Tarvell_GetCallLogTempGroup(&calls), 0);
    EXPECT_EQ(DescribeCalls(calls), (std::vector<std::string>{"b", "ac"}));
    EXPECT_EQ(Tarvell_GetCallLogTempGroup(&calls), 0);
    EXPECT_EQ(DescribeCalls(calls), (std::vector<std::string>{"b", "ac"}));
    SmsTempGroup* sms = nullptr;
    EXPECT_EQ(Tarvell_GetSMSTempGroup(&sms), 0);
    EXPECT_EQ(Describe(sms), (std::vector<std::string>{"b:b 0", "a:c,a 0"}));
    EXPECT_EQ(Tarvell_GetSMSTempGroup(nullptr), -1);
    fakes::Reset();
}

} // namespace
