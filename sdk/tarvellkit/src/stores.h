// The message, contact and call-log stores: library-owned linked lists of
// records with exactly-sized heap strings, filled page by page from the
// companion by the flush exports, plus the groupings and sender names built
// over them.
#pragma once

#include "tarvellkit/tarvellkit.h"

#include <cstddef>
#include <memory>
#include <mutex>

namespace stores {

// No exception crosses the C interface: running out of memory (or a lock
// that cannot be taken) inside an export gives its failure result.
template <typename Body> int Guarded(int onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// Serialises flushes (which share the receive buffer and rebuild the
// stores), store reads and grouping builds.
std::mutex& StoreMutex();

// List decoding: walks one page reply and hands every record closed by '.'
// to its store. Returns what the page log counts: messages kept after
// filtering, contacts and call-log entries decoded.
int DecodeSmsList(const char* text, size_t length);
int DecodeContactList(const char* text, size_t length);
int DecodeCallLogList(const char* text, size_t length);

// Frees every record of a store and empties it (the filled flag stays).
void ClearSmsStore();
void ClearContactStore();
void ClearCallLogStore();

SmsRecord* SmsHead();
ContactRecord* ContactHead();
CallLogRecord* CallLogHead();
int SmsCount();
int ContactCount();
int CallLogCount();

// ---- sender names (sender_names.cpp) ----

// Removes blanks, '+' and '-'; keeps at most 63 characters. Null gives "".
void NormaliseNumber(const char* number, char out[64]);

// Whether two numbers name the same party: normalised, their lengths differ
// by at most 4 and the shorter one is the start or the end of the longer.
// An empty (or missing) number matches nothing.
bool NumbersMatch(const char* a, const char* b);

// For every message without personName whose address matches a phone of a
// contact (mobile, work, home), sets personName to the first matching
// contact's name + lastName (a missing part as one blank, at most 127
// bytes), contactId to a copy of the contact's id, reserved2 to 0.
// Contacts are tried in list order. The new texts come from allocate
// (bytes, context), which gives null when memory ran out. False when memory
// ran out (the messages already named keep their names).
using TextAllocator = char* (*)(size_t bytes, void* context);
bool FillSenderNames(const ContactRecord* contacts, SmsRecord* messages, TextAllocator allocate,
                     void* context);

// The same in two steps: the contacts' numbers indexed once (the contact
// list must not change while the index lives), then the names filled.
// Building may throw std::bad_alloc.
class SenderIndex {
public:
    explicit SenderIndex(const ContactRecord* contacts);
    ~SenderIndex();
    SenderIndex(const SenderIndex&) = delete;
    SenderIndex& operator=(const SenderIndex&) = delete;

    bool Fill(SmsRecord* messages, TextAllocator allocate, void* context) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// ---- groupings (groupings.cpp) ----

// Conversations of a message list, newest first; see Tarvell_GetSMSTempGroup.
// Null for an empty list or when memory ran out.
SmsTempGroup* BuildSmsGroups(SmsRecord* messages);
void FreeSmsGroups(SmsTempGroup* groups);

// Numbers of a call-log list; see Tarvell_GetCallLogTempGroup.
CallLogTempGroup* BuildCallLogGroups(CallLogRecord* calls);
void FreeCallLogGroups(CallLogTempGroup* groups);

} // namespace stores
