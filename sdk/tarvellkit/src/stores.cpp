// The three record stores, list decoding into them, the paged flushes with
// their progress and abort flag, and the store readers.
#include "stores.h"

#include "TCPConnect.h"
#include "log.h"
#include "receive_buffer.h"
#include "record_text.h"
#include "store_arena.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

namespace stores {
namespace {

using recordtext::Entry;
using recordtext::EntryWalker;
using recordtext::Step;

// A page reply is received into the shared buffer with one byte kept for the
// NUL put after it.
constexpr int kPageCapacity = kReceiveBufferSize - 1;

// How a decoded value reaches its field.
enum class Special { None, Type };

template <typename R> struct TagField {
    std::string_view tag;
    char* R::*field; // null: recognised and dropped
    Special special;
};

// Tags in the order the companion's fields are tested.
constexpr TagField<SmsRecord> kSmsTags[] = {
    {"ID", &SmsRecord::id, Special::None},
    {"THREAD_ID", &SmsRecord::threadId, Special::None},
    {"ADDRESS", &SmsRecord::address, Special::None},
    {"DATE", &SmsRecord::date, Special::None},
    {"PROTOCOL", nullptr, Special::None},
    {"READ", &SmsRecord::read, Special::None},
    {"STATUS", nullptr, Special::None},
    {"BODY", &SmsRecord::body, Special::None},
    {"TYPE", &SmsRecord::type, Special::Type},
    {"PERSON", &SmsRecord::personName, Special::None},
};

constexpr TagField<ContactRecord> kContactTags[] = {
    {"CONTACTID", &ContactRecord::contactId, Special::None},
    {"PHONE_PHONE", &ContactRecord::mobilePhone, Special::None},
    {"PHONE_HOME", &ContactRecord::homePhone, Special::None},
    {"PHONE_WORK", &ContactRecord::workPhone, Special::None},
    {"PHONE_HOMEFAX", &ContactRecord::homeFax, Special::None},
    {"PHONE_WORKFAX", &ContactRecord::workFax, Special::None},
    {"NAME", &ContactRecord::name, Special::None},
    {"EMAIL_HOME", &ContactRecord::homeEmail, Special::None},
    {"EMAIL_WORK", &ContactRecord::workEmail, Special::None},
    {"NOTE", &ContactRecord::note, Special::None},
    {"WEBSITE", &ContactRecord::homePage, Special::None},
    {"NICKNAME", &ContactRecord::nickName, Special::None},
    {"ADDRESS_HOME", &ContactRecord::homeAddress, Special::None},
    {"ADDRESS_WORK", &ContactRecord::workAddress, Special::None},
    {"BIRTHDAY", &ContactRecord::birthday, Special::None},
    {"ORG_NAME", &ContactRecord::organization, Special::None},
    {"ORG_TITLE", &ContactRecord::department, Special::None},
};

constexpr TagField<CallLogRecord> kCallLogTags[] = {
    {"ID", &CallLogRecord::id, Special::None},
    {"NAME", &CallLogRecord::name, Special::None},
    {"NUMBER", &CallLogRecord::number, Special::None},
    {"TYPE", &CallLogRecord::type, Special::Type},
    {"DURATION", &CallLogRecord::duration, Special::None},
    {"DATE", &CallLogRecord::date, Special::None},
};

template <typename R> struct Store {
    StoreArena arena; // the records and their strings
    std::atomic<R*> head{nullptr};
    R* tail = nullptr;
    std::atomic<int> count{0};
    std::atomic<bool> filled{false};
};

Store<SmsRecord> g_sms;
Store<ContactRecord> g_contacts;
Store<CallLogRecord> g_calls;

// Progress of the flush in progress or last run, polled from other threads.
std::atomic<int> g_smsTotal{0};
std::atomic<int> g_smsIndex{0};
std::atomic<int> g_contactTotal{0};
std::atomic<int> g_contactIndex{0};
std::atomic<int> g_callTotal{0};
std::atomic<int> g_callIndex{0};
std::atomic<int> g_abort{0};

template <typename R> void ClearStore(Store<R>& store) {
    store.head.store(nullptr, std::memory_order_relaxed);
    store.tail = nullptr;
    store.count.store(0, std::memory_order_relaxed);
    store.arena.Clear();
}

template <typename R> void Append(Store<R>& store, R* record) {
    record->next = nullptr;
    if (store.tail == nullptr) {
        store.head.store(record, std::memory_order_relaxed);
    } else {
        store.tail->next = record;
    }
    store.tail = record;
    store.count.fetch_add(1, std::memory_order_relaxed);
}

template <typename R> void Prepend(Store<R>& store, R* record) {
    record->next = store.head.load(std::memory_order_relaxed);
    store.head.store(record, std::memory_order_relaxed);
    if (store.tail == nullptr) {
        store.tail = record;
    }
    store.count.fetch_add(1, std::memory_order_relaxed);
}

// What a closed record becomes: stored (and counted), dropped uncounted, or
// counted although it was not stored (a contact that ran out of memory).
enum class Outcome { Stored, Dropped, CountedOnly };

Outcome Hand(SmsRecord* record, bool complete) {
    const bool keep = complete && record->threadId != nullptr && record->type != nullptr &&
                      std::strcmp(record->threadId, "-1") != 0 &&
                      std::strcmp(record->type, "3") != 0;
    if (!keep) {
        return Outcome::Dropped;
    }
    record->reserved1 = 0;
    Append(g_sms, record);
    return Outcome::Stored;
}

Outcome Hand(ContactRecord* record, bool complete) {
    if (!complete) {
        return Outcome::CountedOnly;
    }
    record->reserved1 = 0;
    Prepend(g_contacts, record);
    return Outcome::Stored;
}

Outcome Hand(CallLogRecord* record, bool complete) {
    if (!complete) {
        return Outcome::Dropped;
    }
    record->reserved1 = 0;
    Append(g_calls, record);
    return Outcome::Stored;
}

Store<SmsRecord>& StoreOf(SmsRecord*) {
    return g_sms;
}
Store<ContactRecord>& StoreOf(ContactRecord*) {
    return g_contacts;
}
Store<CallLogRecord>& StoreOf(CallLogRecord*) {
    return g_calls;
}

// An exactly-sized copy of one value in the store's arena, cut at 1023
// bytes; a TYPE above 4 becomes "4". Null when memory ran out.
char* DecodeField(StoreArena& arena, std::string_view hex, Special special) {
    if (special == Special::Type) {
        char text[recordtext::kMaxValueBytes + 1];
        const int length = recordtext::DecodeValue(hex, text);
        if (recordtext::ReadInt(text) > 4) {
            return arena.Copy("4", 1);
        }
        return arena.Copy(text, static_cast<size_t>(length));
    }
    auto* text =
        static_cast<char*>(arena.Allocate(static_cast<size_t>(recordtext::DecodedLength(hex)) + 1));
    if (text != nullptr) {
        recordtext::DecodeValue(hex, text);
    }
    return text;
}

// Records are built in place in the store's arena; a record that is not
// kept gives its memory back.
template <typename R, size_t N>
int DecodeList(const char* text, size_t length, const TagField<R> (&tags)[N]) {
    if (text == nullptr) {
        return 0;
    }
    StoreArena& arena = StoreOf(static_cast<R*>(nullptr)).arena;
    EntryWalker walker(text, length);
    Entry entry;
    int counted = 0;
    StoreArena::Mark mark = arena.GetMark();
    auto begin = [&](R** record) {
        mark = arena.GetMark();
        *record = static_cast<R*>(arena.Allocate(sizeof(R)));
        if (*record != nullptr) {
            std::memset(static_cast<void*>(*record), 0, sizeof(R));
        }
        return *record != nullptr;
    };
    R* current = nullptr;
    bool complete = begin(&current);
    for (;;) {
        const Step step = walker.Next(&entry);
        if (step == Step::End) {
            break;
        }
        if (step == Step::RecordEnd) {
            const Outcome outcome = current != nullptr ? Hand(current, complete)
                                                       : Hand(static_cast<R*>(nullptr), false);
            if (outcome != Outcome::Stored) {
                arena.Rollback(mark);
            }
            if (outcome != Outcome::Dropped) {
                ++counted;
            }
            complete = begin(&current);
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        for (const auto& tag : tags) {
            if (tag.tag != entry.tag) {
                continue;
            }
            if (tag.field != nullptr) {
                // A repeated tag replaces the value (the old one stays in the arena).
                current->*tag.field = DecodeField(arena, entry.value, tag.special);
                if (current->*tag.field == nullptr) {
                    complete = false;
                }
            }
            break;
        }
    }
    // A record not closed by '.' is dropped.
    arena.Rollback(mark);
    return counted;
}

struct FetchPlan {
    const char* countCommand;
    const char* pageFormat;
    std::atomic<int>& total;
    std::atomic<int>& index;
    bool resetIndex;
    int (*decode)(const char*, size_t);
    void (*logPage)(int total, int offset, int next, int handled);
    bool logError;
};

// The count, then pages of 5 records from offset 0 until the total is
// reached or the abort flag is set. -1 when the count or a page failed.
int PagedFetch(const FetchPlan& plan) {
    plan.total.store(0, std::memory_order_relaxed);
    if (plan.resetIndex) {
        plan.index.store(0, std::memory_order_relaxed);
    }
    int32_t count = 0;
    if (SendCommand(plan.countCommand, &count, sizeof count, nullptr, 0) < 0) {
        count = 0;
    }
    if (count <= 0) {
        return -1;
    }
    plan.total.store(count, std::memory_order_relaxed);
    unsigned char* buffer = ReceiveBuffer();
    if (buffer == nullptr) {
        return -1;
    }
    auto* text = reinterpret_cast<char*>(buffer);
    int offset = 0;
    do {
        plan.index.store(offset, std::memory_order_relaxed);
        char command[64];
        std::snprintf(command, sizeof command, plan.pageFormat, offset);
        const int length = SendCommand(command, buffer, kPageCapacity, nullptr, 0);
        if (length < 2 || length > kPageCapacity) {
            if (plan.logError) {
                LogWrite("error: ret = %d\n", length);
            }
            return -1;
        }
        text[length] = '\0';
        const int handled = plan.decode(text, static_cast<size_t>(length));
        const int page = offset;
        offset += 5;
        if (plan.logPage != nullptr) {
            plan.logPage(count, page, offset, handled);
        }
    } while (g_abort.load(std::memory_order_relaxed) != 1 && offset < count);
    return 0;
}

void LogSmsPage(int total, int offset, int next, int handled) {
    LogWrite("dataCount = %d,st_sms_index =%d, read_i = %d, prasecount = %d\n", total, offset, next,
             handled);
}

void LogContactPage(int, int offset, int, int handled) {
    LogWrite("st_Contact_index =%d, prasecount = %d\n", offset, handled);
}

template <typename R> int ReadStore(Store<R>& store, R** first, const char* exportName) {
    std::unique_lock lock(StoreMutex(), std::defer_lock);
    try {
        lock.lock();
    } catch (...) {
        return -1;
    }
    if (!store.filled.load(std::memory_order_relaxed)) {
        return -2;
    }
    LogCallFunction(exportName);
    if (first == nullptr) {
        return -1;
    }
    *first = store.head.load(std::memory_order_relaxed);
    return store.count.load(std::memory_order_relaxed);
}

} // namespace

std::mutex& StoreMutex() {
    static std::mutex mutex;
    return mutex;
}

int DecodeSmsList(const char* text, size_t length) {
    return DecodeList(text, length, kSmsTags);
}
int DecodeContactList(const char* text, size_t length) {
    return DecodeList(text, length, kContactTags);
}
int DecodeCallLogList(const char* text, size_t length) {
    return DecodeList(text, length, kCallLogTags);
}

void ClearSmsStore() {
    ClearStore(g_sms);
}
void ClearContactStore() {
    ClearStore(g_contacts);
}
void ClearCallLogStore() {
    ClearStore(g_calls);
}

SmsRecord* SmsHead() {
    return g_sms.head.load(std::memory_order_relaxed);
}
ContactRecord* ContactHead() {
    return g_contacts.head.load(std::memory_order_relaxed);
}
CallLogRecord* CallLogHead() {
    return g_calls.head.load(std::memory_order_relaxed);
}
int SmsCount() {
    return g_sms.count.load(std::memory_order_relaxed);
}
int ContactCount() {
    return g_contacts.count.load(std::memory_order_relaxed);
}
int CallLogCount() {
    return g_calls.count.load(std::memory_order_relaxed);
}

} // namespace stores

using namespace stores;

extern "C" {

TARVELL_API int Tarvell_FlushSMS(void) {
    LogCallFunction("Tarvell_FlushSMS");
    return Guarded(0, [] {
        std::lock_guard lock(StoreMutex());
        ClearStore(g_sms);
        // The contacts' numbers are indexed on another thread while the
        // pages arrive; the contact store cannot change under this lock.
        const ContactRecord* contacts = g_contacts.head.load(std::memory_order_relaxed);
        std::unique_ptr<SenderIndex> index;
        std::thread builder;
        if (contacts != nullptr) {
            try {
                builder = std::thread([&index, contacts] {
                    try {
                        index = std::make_unique<SenderIndex>(contacts);
                    } catch (...) {
                        index.reset();
                    }
                });
            } catch (...) {
                // No thread: the index is built below.
            }
        }
        PagedFetch({"getsmsCount;", "getsmsPart10:%d;", g_smsTotal, g_smsIndex, false,
                    DecodeSmsList, LogSmsPage, true});
        if (builder.joinable()) {
            builder.join();
        }
        // Running out of memory from here on leaves the messages without names.
        g_sms.filled.store(true, std::memory_order_relaxed);
        if (contacts != nullptr && index == nullptr) {
            index = std::make_unique<SenderIndex>(contacts);
        }
        if (index != nullptr) {
            index->Fill(
                g_sms.head.load(std::memory_order_relaxed),
                [](size_t bytes, void* arena) {
                    return static_cast<char*>(static_cast<StoreArena*>(arena)->Allocate(bytes));
                },
                &g_sms.arena);
        }
        return 0;
    });
}

TARVELL_API int Tarvell_FlushPerson(void) {
    LogCallFunction("Tarvell_FlushPerson");
    return Guarded(0, [] {
        std::lock_guard lock(StoreMutex());
        ClearStore(g_contacts);
        PagedFetch({"getcontactCount;", "getcontactpart10:%d;", g_contactTotal, g_contactIndex,
                    true, DecodeContactList, LogContactPage, false});
        g_contacts.filled.store(true, std::memory_order_relaxed);
        return 0;
    });
}

TARVELL_API int Tarvell_FlushCallHistory(void) {
    LogCallFunction("Tarvell_FlushCallHistory");
    return Guarded(0, [] {
        std::lock_guard lock(StoreMutex());
        ClearStore(g_calls);
        PagedFetch({"getcalllogcount;", "getcalllogpart10:%d;", g_callTotal, g_callIndex, true,
                    DecodeCallLogList, nullptr, false});
        g_calls.filled.store(true, std::memory_order_relaxed);
        return 0;
    });
}

TARVELL_API int Tarvell_GetSMS(SmsRecord** first) {
    return ReadStore(g_sms, first, "Tarvell_GetSMS");
}

TARVELL_API int Tarvell_GetPerson(ContactRecord** first) {
    return ReadStore(g_contacts, first, "Tarvell_GetPerson");
}

TARVELL_API int Tarvell_GetCallHistory(CallLogRecord** first) {
    return ReadStore(g_calls, first, "Tarvell_GetCallHistory");
}

TARVELL_API int Tarvell_FlushSMS_Count(void) {
    return g_smsTotal.load(std::memory_order_relaxed);
}
TARVELL_API int Tarvell_FlushCallLog_Count(void) {
    return g_callTotal.load(std::memory_order_relaxed);
}
TARVELL_API int Tarvell_FlushContact_Count(void) {
    return g_contactTotal.load(std::memory_order_relaxed);
}
TARVELL_API int Tarvell_FlushSMS_Index(void) {
    return g_smsIndex.load(std::memory_order_relaxed);
}
TARVELL_API int Tarvell_FlushCallLog_Index(void) {
    return g_callIndex.load(std::memory_order_relaxed);
}
TARVELL_API int Tarvell_FlushContact_Index(void) {
    return g_contactIndex.load(std::memory_order_relaxed);
}

TARVELL_API int Tarvell_AbortFlushDB(void) {
    g_abort.store(1, std::memory_order_relaxed);
    return 0;
}

TARVELL_API int Tarvell_ResetFlushDBStatus(void) {
    g_abort.store(0, std::memory_order_relaxed);
    return 0;
}

} // extern "C"
