// ParseAdbDevices over arbitrary "adb devices" output: the table never holds
// more than its rows and every text field stays terminated inside its array.
#include "device_table.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {
template <size_t N> void CheckTerminated(const char (&field)[N]) {
    FUZZ_CHECK(std::memchr(field, '\0', N) != nullptr);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseAdbDevices(text.c_str());
    const int rows = DeviceTableRowCount();
    FUZZ_CHECK(rows >= 0 && rows <= kDeviceTableRows);
    for (int i = 0; i < rows; ++i) {
        AdbDeviceEntry row;
        FUZZ_CHECK(DeviceTableRow(i, &row));
        CheckTerminated(row.serial);
        CheckTerminated(row.state);
        CheckTerminated(row.manufacturer);
        CheckTerminated(row.model);
        CheckTerminated(row.release);
        CheckTerminated(row.releaseRead);
        CheckTerminated(row.pda);
    }
    AdbDeviceEntry outside;
    FUZZ_CHECK(!DeviceTableRow(rows, &outside));
    (void)SelectedSerial();
    return 0;
}
