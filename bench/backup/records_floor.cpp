// Floor of the record part of a backup: the library fetching the contact,
// message and call-log pages from the phone, with nothing written. Prints
// one line per store: "<name> <records> <seconds>".
#include <tarvellkit/tarvellkit.h>

#include <chrono>
#include <cstdio>

namespace {

template <typename Flush, typename Get> void Measure(const char* name, Flush flush, Get get) {
    const auto start = std::chrono::steady_clock::now();
    flush();
    const int count = get();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%s %d %.3f\n", name, count, took.count());
}

} // namespace

int main() {
    Tarvell_Init();
    if (Tarvell_CheckDeviceDetected(0) != 0 || Tarvell_ReadyTodoing(0) != 0) {
        std::fprintf(stderr, "records_floor: no prepared phone\n");
        return 3;
    }
    Measure("contacts", Tarvell_FlushPerson, [] {
        ContactRecord* head = nullptr;
        return Tarvell_GetPerson(&head);
    });
    Measure("sms", Tarvell_FlushSMS, [] {
        SmsRecord* head = nullptr;
        return Tarvell_GetSMS(&head);
    });
    Measure("calls", Tarvell_FlushCallHistory, [] {
        CallLogRecord* head = nullptr;
        return Tarvell_GetCallHistory(&head);
    });
    Tarvell_UnInit();
    return 0;
}
