// Filling the sender names of messages from the contact store.
//
// A message address and a contact phone match when, after removing blanks,
// '+' and '-', their lengths differ by at most 4 and the shorter one is the
// start or the end of the longer one ("+86 138-0013-8000" matches
// "13800138000"). The first contact in store order with a matching phone
// names the message. Comparing every message with every contact would cost
// messages x contacts x 3 comparisons (billions for a full phone), so the
// phones are indexed by every text a matching address could have, and each
// address looks up the few texts a matching phone could have.
#include "stores.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace stores {
namespace {

constexpr size_t kMaxNumber = 63;
constexpr size_t kMaxName = 127;
constexpr size_t kMaxLengthGap = 4;

size_t Normalise(const char* number, char out[64]) {
    size_t length = 0;
    if (number != nullptr) {
        for (const char* p = number; *p != '\0' && length < kMaxNumber; ++p) {
            if (*p != ' ' && *p != '+' && *p != '-') {
                out[length++] = *p;
            }
        }
    }
    out[length] = '\0';
    return length;
}

// Text -> position of the first contact (in store order) it belongs to.
using Index = std::unordered_map<std::string, size_t>;

void Remember(Index& index, std::string_view key, size_t contact) {
    // Contacts are added in store order, so the first position stays.
    index.try_emplace(std::string(key), contact);
}

size_t Lookup(const Index& index, const std::string& key) {
    auto it = index.find(key);
    return it == index.end() ? SIZE_MAX : it->second;
}

char* ComposeName(const ContactRecord& contact, TextAllocator allocate, void* context) {
    std::string name = contact.name != nullptr ? contact.name : " ";
    name += contact.lastName != nullptr ? contact.lastName : " ";
    if (name.size() > kMaxName) {
        name.resize(kMaxName);
    }
    char* copy = allocate(name.size() + 1, context);
    if (copy != nullptr) {
        std::memcpy(copy, name.c_str(), name.size() + 1);
    }
    return copy;
}

char* CopyText(const char* text, TextAllocator allocate, void* context, bool* ok) {
    if (text == nullptr) {
        return nullptr;
    }
    const size_t length = std::strlen(text);
    char* copy = allocate(length + 1, context);
    if (copy == nullptr) {
        *ok = false;
        return nullptr;
    }
    std::memcpy(copy, text, length + 1);
    return copy;
}

} // namespace

void NormaliseNumber(const char* number, char out[64]) {
    Normalise(number, out);
}

bool NumbersMatch(const char* a, const char* b) {
    char na[64];
    char nb[64];
    const size_t la = Normalise(a, na);
    const size_t lb = Normalise(b, nb);
    if (la == 0 || lb == 0) {
        return false;
    }
    const size_t shorter = la < lb ? la : lb;
    const size_t gap = la < lb ? lb - la : la - lb;
    if (gap > kMaxLengthGap) {
        return false;
    }
    return std::memcmp(na + la - shorter, nb + lb - shorter, shorter) == 0 ||
           std::memcmp(na, nb, shorter) == 0;
}

bool FillSenderNames(const ContactRecord* contacts, SmsRecord* messages, TextAllocator allocate,
                     void* context) {
    bool anyUnnamed = false;
    for (const SmsRecord* m = messages; m != nullptr; m = m->next) {
        if (m->personName == nullptr && m->address != nullptr) {
            anyUnnamed = true;
            break;
        }
    }
    if (!anyUnnamed || contacts == nullptr) {
        return true;
    }

    // whole: each phone itself; parts: each phone and its starts and ends
    // that are up to 4 characters shorter.
    std::vector<const ContactRecord*> order;
    Index whole;
    Index parts;
    for (const ContactRecord* c = contacts; c != nullptr; c = c->next) {
        const size_t position = order.size();
        order.push_back(c);
        for (const char* phone : {c->mobilePhone, c->workPhone, c->homePhone}) {
            char normalised[64];
            const size_t length = Normalise(phone, normalised);
            if (length == 0) {
                continue;
            }
            const std::string_view text(normalised, length);
            Remember(whole, text, position);
            for (size_t cut = 0; cut <= kMaxLengthGap && cut < length; ++cut) {
                Remember(parts, text.substr(0, length - cut), position);
                Remember(parts, text.substr(cut), position);
            }
        }
    }

    bool ok = true;
    std::string key;
    for (SmsRecord* m = messages; m != nullptr; m = m->next) {
        if (m->personName != nullptr || m->address == nullptr) {
            continue;
        }
        char normalised[64];
        const size_t length = Normalise(m->address, normalised);
        if (length == 0) {
            continue;
        }
        // A phone as long as the address or longer has it as its start or end.
        key.assign(normalised, length);
        size_t best = Lookup(parts, key);
        // A shorter phone is a start or an end of the address.
        for (size_t cut = 1; cut <= kMaxLengthGap && cut < length; ++cut) {
            key.assign(normalised, length - cut);
            const size_t start = Lookup(whole, key);
            key.assign(normalised + cut, length - cut);
            const size_t end = Lookup(whole, key);
            best = std::min({best, start, end});
        }
        if (best == SIZE_MAX) {
            continue;
        }
        const ContactRecord& contact = *order[best];
        char* name = ComposeName(contact, allocate, context);
        if (name == nullptr) {
            ok = false;
            continue;
        }
        bool copied = true;
        char* contactId = CopyText(contact.contactId, allocate, context, &copied);
        if (!copied) {
            ok = false;
            continue;
        }
        m->personName = name;
        m->contactId = contactId;
        m->reserved2 = 0;
    }
    return ok;
}

} // namespace stores
