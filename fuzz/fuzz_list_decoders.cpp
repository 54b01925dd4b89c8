// The list decoders of the message, contact and call-log stores over
// arbitrary page replies, then a walk over every stored record and the
// groupings built from them. Input: byte 0 chooses the list, the rest is the
// reply text (not terminated).
#include "fuzz_check.h"
#include "stores.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

using namespace stores;

namespace {

// Record fields are far shorter than the texts of the other targets.
void TouchShort(const char* text) {
    FuzzTouch(text, size_t{1} << 20);
}

// Every text a record holds must be a terminated string.
int WalkSms() {
    int n = 0;
    for (const SmsRecord* r = SmsHead(); r != nullptr; r = r->next, ++n) {
        for (const char* t : {r->id, r->personName, r->address, r->body, r->date, r->type, r->read,
                              r->threadId, r->contactId}) {
            TouchShort(t);
        }
    }
    return n;
}

int WalkContacts() {
    int n = 0;
    for (const ContactRecord* r = ContactHead(); r != nullptr; r = r->next, ++n) {
        for (const char* t :
             {r->contactId, r->name, r->lastName, r->nickName, r->mobilePhone, r->homePhone,
              r->workPhone, r->homePage, r->homeEmail, r->birthday, r->groupName, r->note,
              r->organization, r->department, r->createDate, r->reserved}) {
            TouchShort(t);
        }
    }
    return n;
}

int WalkCallLog() {
    int n = 0;
    for (const CallLogRecord* r = CallLogHead(); r != nullptr; r = r->next, ++n) {
        for (const char* t :
             {r->id, r->name, r->number, r->date, r->type, r->duration, r->reserved}) {
            TouchShort(t);
        }
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 17) {
        return 0;
    }
    // The decoders must not read past the length: an exact copy lets ASan see it.
    const size_t length = size - 1;
    std::unique_ptr<char[]> text(new char[length == 0 ? 1 : length]);
    std::memcpy(text.get(), data + 1, length);

    std::lock_guard lock(StoreMutex());
    switch (data[0] % 3) {
    case 0: {
        ClearSmsStore();
        DecodeSmsList(text.get(), length);
        FUZZ_CHECK(WalkSms() == SmsCount());
        SmsTempGroup* groups = BuildSmsGroups(SmsHead());
        FreeSmsGroups(groups);
        ClearSmsStore();
        break;
    }
    case 1:
        ClearContactStore();
        DecodeContactList(text.get(), length);
        FUZZ_CHECK(WalkContacts() == ContactCount());
        ClearContactStore();
        break;
    default: {
        ClearCallLogStore();
        DecodeCallLogList(text.get(), length);
        FUZZ_CHECK(WalkCallLog() == CallLogCount());
        CallLogTempGroup* groups = BuildCallLogGroups(CallLogHead());
        FreeCallLogGroups(groups);
        ClearCallLogStore();
        break;
    }
    }
    return 0;
}
