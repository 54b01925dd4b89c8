// The grouped views over the message and call-log stores.
//
// Conversations: a message joins the most recently created group whose
// current first member has the same thread id or, failing that, the same
// address; joining puts it first in the group, so a group's keys follow its
// newest-joined member. Walking the group list for every message would be
// messages x groups string comparisons; instead each key maps to the groups
// that carried it, and an entry is checked against the group's current first
// member when it is read (a group that moved on to other keys is skipped).
#include "stores.h"

#include "convert.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace stores {
namespace {

struct Conversation {
    SmsTempGroup* group;
    const SmsRecord* first; // the record of the group's first member
};

// Key -> positions (creation order) of groups whose first member carried the
// key when it was pushed; kept as a max-heap so the newest group is on top.
using KeyIndex = std::unordered_map<std::string_view, std::vector<uint32_t>>;

void Push(KeyIndex& index, const char* key, uint32_t position) {
    if (key == nullptr) {
        return;
    }
    auto& heap = index[std::string_view(key)];
    heap.push_back(position);
    std::push_heap(heap.begin(), heap.end());
}

// The newest group whose first member still carries key, or -1.
template <typename KeyOf>
int64_t Newest(KeyIndex& index, const char* key, const std::vector<Conversation>& groups,
               KeyOf keyOf) {
    if (key == nullptr) {
        return -1;
    }
    auto it = index.find(std::string_view(key));
    if (it == index.end()) {
        return -1;
    }
    auto& heap = it->second;
    while (!heap.empty()) {
        const uint32_t top = heap.front();
        const char* current = keyOf(*groups[top].first);
        if (current != nullptr && std::strcmp(current, key) == 0) {
            return top;
        }
        std::pop_heap(heap.begin(), heap.end());
        heap.pop_back();
    }
    return -1;
}

int64_t MessageTime(const SmsRecord& message) {
    if (message.date == nullptr || message.date[0] == '\0') {
        return 0;
    }
    return ParseDateTime(message.date);
}

SmsTempGroup* g_smsGroups = nullptr;
CallLogTempGroup* g_callGroups = nullptr;

} // namespace

void FreeSmsGroups(SmsTempGroup* groups) {
    while (groups != nullptr) {
        SmsTempGroup* next = groups->next;
        for (TempGroupMember* m = groups->firstMember; m != nullptr;) {
            TempGroupMember* after = m->next;
            std::free(m);
            m = after;
        }
        std::free(groups);
        groups = next;
    }
}

SmsTempGroup* BuildSmsGroups(SmsRecord* messages) {
    std::vector<Conversation> groups;
    KeyIndex byThread;
    KeyIndex byAddress;
    // Pieces allocated but not yet linked into a group, freed on failure.
    TempGroupMember* pendingMember = nullptr;
    SmsTempGroup* pendingGroup = nullptr;
    bool ok = true;
    try {
        for (SmsRecord* message = messages; message != nullptr; message = message->next) {
            pendingMember = static_cast<TempGroupMember*>(std::calloc(1, sizeof(TempGroupMember)));
            if (pendingMember == nullptr) {
                ok = false;
                break;
            }
            TempGroupMember* member = pendingMember;
            member->record = message;
            const int64_t time = MessageTime(*message);
            auto threadOf = [](const SmsRecord& r) { return r.threadId; };
            auto addressOf = [](const SmsRecord& r) { return r.address; };
            const int64_t match = std::max(Newest(byThread, message->threadId, groups, threadOf),
                                           Newest(byAddress, message->address, groups, addressOf));
            if (match >= 0) {
                Conversation& c = groups[static_cast<size_t>(match)];
                member->next = c.group->firstMember;
                c.group->firstMember = member;
                pendingMember = nullptr;
                c.group->newestTime = std::max(c.group->newestTime, time);
                const SmsRecord* before = c.first;
                c.first = message;
                const auto position = static_cast<uint32_t>(match);
                if (message->threadId != nullptr &&
                    (before->threadId == nullptr ||
                     std::strcmp(before->threadId, message->threadId) != 0)) {
                    Push(byThread, message->threadId, position);
                }
                if (message->address != nullptr &&
                    (before->address == nullptr ||
                     std::strcmp(before->address, message->address) != 0)) {
                    Push(byAddress, message->address, position);
                }
                continue;
            }
            pendingGroup = static_cast<SmsTempGroup*>(std::calloc(1, sizeof(SmsTempGroup)));
            if (pendingGroup == nullptr) {
                ok = false;
                break;
            }
            SmsTempGroup* group = pendingGroup;
            group->firstMember = member;
            group->foundingMember = member;
            group->newestTime = time;
            const auto position = static_cast<uint32_t>(groups.size());
            groups.push_back({group, message});
            pendingMember = nullptr;
            pendingGroup = nullptr;
            Push(byThread, message->threadId, position);
            Push(byAddress, message->address, position);
        }
    } catch (...) {
        ok = false;
    }
    std::free(pendingMember);
    std::free(pendingGroup);

    // The list holds the newest-created group first.
    SmsTempGroup* head = nullptr;
    for (const Conversation& c : groups) {
        c.group->next = head;
        head = c.group;
    }
    if (!ok) {
        FreeSmsGroups(head);
        return nullptr;
    }

    // Newest conversation first; groups with equal times keep their order.
    // Only the times and first members move: each founding member stays with
    // the group it was created with.
    struct Slot {
        int64_t time;
        TempGroupMember* first;
    };
    std::vector<Slot> slots;
    try {
        slots.reserve(groups.size());
    } catch (...) {
        FreeSmsGroups(head);
        return nullptr;
    }
    for (SmsTempGroup* g = head; g != nullptr; g = g->next) {
        slots.push_back({g->newestTime, g->firstMember});
    }
    std::stable_sort(slots.begin(), slots.end(),
                     [](const Slot& a, const Slot& b) { return a.time > b.time; });
    size_t i = 0;
    for (SmsTempGroup* g = head; g != nullptr; g = g->next, ++i) {
        g->newestTime = slots[i].time;
        g->firstMember = slots[i].first;
    }
    return head;
}

void FreeCallLogGroups(CallLogTempGroup* groups) {
    while (groups != nullptr) {
        CallLogTempGroup* next = groups->next;
        for (TempGroupMember* m = groups->firstMember; m != nullptr;) {
            TempGroupMember* after = m->next;
            std::free(m);
            m = after;
        }
        std::free(groups);
        groups = next;
    }
}

CallLogTempGroup* BuildCallLogGroups(CallLogRecord* calls) {
    // A group's first member never changes, so each number has one group.
    std::unordered_map<std::string_view, CallLogTempGroup*> byNumber;
    CallLogTempGroup* head = nullptr;
    for (CallLogRecord* call = calls; call != nullptr; call = call->next) {
        auto* member = static_cast<TempGroupMember*>(std::calloc(1, sizeof(TempGroupMember)));
        if (member == nullptr) {
            FreeCallLogGroups(head);
            return nullptr;
        }
        member->record = call;
        CallLogTempGroup* group = nullptr;
        if (call->number != nullptr) {
            auto it = byNumber.find(std::string_view(call->number));
            if (it != byNumber.end()) {
                group = it->second;
            }
        }
        if (group != nullptr) {
            group->lastMember->next = member;
            group->lastMember = member;
            continue;
        }
        group = static_cast<CallLogTempGroup*>(std::calloc(1, sizeof(CallLogTempGroup)));
        if (group == nullptr) {
            std::free(member);
            FreeCallLogGroups(head);
            return nullptr;
        }
        group->firstMember = member;
        group->lastMember = member;
        group->next = head;
        head = group;
        if (call->number != nullptr) {
            try {
                byNumber.emplace(std::string_view(call->number), group);
            } catch (...) {
                FreeCallLogGroups(head);
                return nullptr;
            }
        }
    }
    return head;
}

} // namespace stores

using namespace stores;

extern "C" {

TARVELL_API int Tarvell_GetSMSTempGroup(SmsTempGroup** first) {
    if (first == nullptr) {
        return -1;
    }
    return Guarded(-1, [first] {
        std::lock_guard lock(StoreMutex());
        FreeSmsGroups(g_smsGroups);
        g_smsGroups = nullptr;
        g_smsGroups = BuildSmsGroups(SmsHead());
        *first = g_smsGroups;
        return 0;
    });
}

TARVELL_API int Tarvell_GetCallLogTempGroup(CallLogTempGroup** first) {
    if (first == nullptr) {
        return -1;
    }
    return Guarded(-1, [first] {
        std::lock_guard lock(StoreMutex());
        FreeCallLogGroups(g_callGroups);
        g_callGroups = nullptr;
        g_callGroups = BuildCallLogGroups(CallLogHead());
        *first = g_callGroups;
        return 0;
    });
}

} // extern "C"
