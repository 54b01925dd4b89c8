// RecordUsbDevice over arbitrary identifiers, one per input line, recorded
// into an emptied list: the list never grows past its rows and every row
// names a model text.
#include "CheckUSBDevice.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    UsbSetCount(0);
    const std::string all(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos) {
            end = all.size();
        }
        const std::string identifier = all.substr(start, end - start);
        RecordUsbDevice(identifier.c_str());
        const int count = UsbDeviceCount();
        FUZZ_CHECK(count >= 0 && count <= kUsbDeviceRows);
        start = end + 1;
    }
    const int count = UsbDeviceCount();
    for (int i = 0; i < count; ++i) {
        UsbDeviceEntry row{};
        FUZZ_CHECK(UsbDeviceRow(i, &row));
        FUZZ_CHECK(row.modelName != nullptr);
        FUZZ_CHECK(std::strlen(row.modelName) < 4096);
        FUZZ_CHECK(row.debugFlag == 0 || row.debugFlag == -1);
    }
    UsbDeviceEntry outside{};
    FUZZ_CHECK(!UsbDeviceRow(count, &outside));
    return 0;
}
