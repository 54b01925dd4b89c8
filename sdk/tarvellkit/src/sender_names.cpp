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
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// Text -> position of the first contact (in store order) it belongs to: an
// open-addressing table over texts that outlive it (a few hundred thousand
// short keys; one heap node per key would cost more than the matching).
class TextIndex {
public:
    explicit TextIndex(size_t expected) {
        size_t capacity = 16;
        while (capacity < expected * 2) {
            capacity *= 2;
        }
        m_slots.resize(capacity);
        m_mask = capacity - 1;
    }

    // Keeps the first contact given for a text.
    void Remember(std::string_view key, uint32_t contact) {
        const uint64_t hash = Hash(key);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.text == nullptr) {
                slot = {hash, key.data(), static_cast<uint32_t>(key.size()), contact};
                return;
            }
            if (slot.hash == hash && Same(slot, key)) {
                return;
            }
        }
    }

    // The contact of the text, or UINT32_MAX.
    uint32_t Lookup(std::string_view key) const {
        const uint64_t hash = Hash(key);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.text == nullptr) {
                return UINT32_MAX;
            }
            if (slot.hash == hash && Same(slot, key)) {
                return slot.contact;
            }
        }
    }

private:
    struct Slot {
        uint64_t hash = 0;
        const char* text = nullptr; // null: empty slot
        uint32_t length = 0;
        uint32_t contact = 0;
    };

    static bool Same(const Slot& slot, std::string_view key) {
        return slot.length == key.size() && std::memcmp(slot.text, key.data(), key.size()) == 0;
    }

    static uint64_t Mix(uint64_t h, uint64_t word) {
        h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
        return h ^ (h >> 32);
    }

    static uint64_t Hash(std::string_view key) {
        uint64_t h = 0x9E3779B97F4A7C15ULL ^ key.size();
        size_t i = 0;
        for (; i + 8 <= key.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, key.data() + i, 8);
            h = Mix(h, word);
        }
        if (i < key.size()) {
            uint64_t word = 0;
            std::memcpy(&word, key.data() + i, key.size() - i);
            h = Mix(h, word);
        }
        h ^= h >> 29;
        h *= 0xC4CEB9FE1A85EC53ULL;
        return h ^ (h >> 32);
    }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// The first contact with a phone matching address, or UINT32_MAX.
uint32_t BestContact(const char* address, const TextIndex& whole, const TextIndex& parts) {
    char normalised[64];
    const size_t length = Normalise(address, normalised);
    if (length == 0) {
        return UINT32_MAX;
    }
    const std::string_view text(normalised, length);
    // A phone as long as the address or longer has it as its start or end.
    uint32_t best = parts.Lookup(text);
    // A shorter phone is a start or an end of the address.
    for (size_t cut = 1; cut <= kMaxLengthGap && cut < length; ++cut) {
        best = std::min(
            {best, whole.Lookup(text.substr(0, length - cut)), whole.Lookup(text.substr(cut))});
    }
    return best;
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

struct SenderIndex::Impl {
    // The normalised phones, kept in one buffer the index keys point into.
    std::vector<const ContactRecord*> order;
    std::string texts;
    // whole: each phone itself; parts: each phone and its starts and ends
    // that are up to 4 characters shorter.
    std::optional<TextIndex> whole;
    std::optional<TextIndex> parts;
};

SenderIndex::SenderIndex(const ContactRecord* contacts) : m_impl(std::make_unique<Impl>()) {
    struct Phone {
        size_t offset;
        size_t length;
        uint32_t contact;
    };
    std::vector<Phone> phones;
    for (const ContactRecord* c = contacts; c != nullptr; c = c->next) {
        const auto position = static_cast<uint32_t>(m_impl->order.size());
        m_impl->order.push_back(c);
        for (const char* phone : {c->mobilePhone, c->workPhone, c->homePhone}) {
            char normalised[64];
            const size_t length = Normalise(phone, normalised);
            if (length > 0) {
                phones.push_back({m_impl->texts.size(), length, position});
                m_impl->texts.append(normalised, length);
            }
        }
    }
    TextIndex& whole = m_impl->whole.emplace(phones.size());
    TextIndex& parts = m_impl->parts.emplace(phones.size() * (2 * kMaxLengthGap + 1));
    for (const Phone& phone : phones) {
        const std::string_view text(m_impl->texts.data() + phone.offset, phone.length);
        whole.Remember(text, phone.contact);
        for (size_t cut = 0; cut <= kMaxLengthGap && cut < phone.length; ++cut) {
            parts.Remember(text.substr(0, phone.length - cut), phone.contact);
            parts.Remember(text.substr(cut), phone.contact);
        }
    }
}

SenderIndex::~SenderIndex() = default;

bool SenderIndex::Fill(SmsRecord* messages, TextAllocator allocate, void* context) const {
    if (m_impl->order.empty()) {
        return true;
    }
    const TextIndex& whole = *m_impl->whole;
    const TextIndex& parts = *m_impl->parts;
    // Messages of one conversation share their address: each address text
    // is looked up once.
    size_t unnamed = 0;
    for (const SmsRecord* m = messages; m != nullptr; m = m->next) {
        unnamed += m->personName == nullptr && m->address != nullptr ? 1 : 0;
    }
    constexpr uint32_t kNoMatch = UINT32_MAX - 1;
    TextIndex seen(unnamed);

    bool ok = true;
    for (SmsRecord* m = messages; m != nullptr; m = m->next) {
        if (m->personName != nullptr || m->address == nullptr) {
            continue;
        }
        const std::string_view raw(m->address);
        uint32_t best = seen.Lookup(raw);
        if (best == UINT32_MAX) {
            best = BestContact(m->address, whole, parts);
            seen.Remember(raw, best == UINT32_MAX ? kNoMatch : best);
        }
        if (best >= kNoMatch) {
            continue;
        }
        const ContactRecord& contact = *m_impl->order[best];
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
    return SenderIndex(contacts).Fill(messages, allocate, context);
}

} // namespace stores
