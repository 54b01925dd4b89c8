#include "device_table.h"

#include "adb_output.h"
#include "command_line.h"
#include "runner.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr char kHeading[] = "List of devices attached";
constexpr size_t kHeadingLength = sizeof kHeading - 1;
constexpr int kMinLineLength = 5;
// Ten phones need well under a kilobyte; anything this long is not a listing.
constexpr size_t kDevicesOutputLimit = 64 * 1024;
// getprop values of 64 bytes and more are not taken.
constexpr size_t kPropertyLimit = 63;
// A freshly restarted server (in a reconnection) is given this long to list
// a ready phone.
constexpr int kRestartSettleMs = 1000;
// Pauses between the listings of a server that has not found a ready phone
// yet: they start short and double up to the last value.
constexpr int kFirstListingPauseMs = 20;
constexpr int kLastListingPauseMs = 200;

std::mutex g_mutex;
AdbDeviceEntry g_rows[kDeviceTableRows];
int g_rowCount = 0;
// Rows the last listing found. The row count above is reset by the USB poll
// to force a fresh listing, but the rows themselves stay until the next
// listing replaces them: every "-s <serial>" command goes on addressing the
// phone of row 0 meanwhile.
int g_listedRows = 0;

template <size_t N> void CopyCut(char (&field)[N], const char* text, size_t length) {
    const size_t n = length < N - 1 ? length : N - 1;
    std::memcpy(field, text, n);
    field[n] = '\0';
}

void ClearLocked() {
    std::memset(g_rows, 0, sizeof g_rows);
    g_rowCount = 0;
    g_listedRows = 0;
}

// The listing starts after the heading line. adb prints the heading with or
// without a blank after it; older adb versions print their daemon start
// banner ("* daemon not running; starting now ...") on standard output
// before it, so the heading is looked for at the start of every line.
const char* FindListing(const char* text) {
    const char* line = text;
    while (std::strncmp(line, kHeading, kHeadingLength) != 0) {
        line = std::strchr(line, '\n');
        if (line == nullptr) {
            return nullptr;
        }
        ++line;
    }
    const char* end = std::strchr(line, '\n');
    return end != nullptr ? end + 1 : nullptr;
}

// A phone listed again keeps the facts read from it earlier: a relisting
// (every reconnection makes one) would otherwise leave its release empty,
// and a phone of 4.4 or later would then be taken for an older one.
void KeepFactsOf(const AdbDeviceEntry (&previous)[kDeviceTableRows], int previousCount) {
    for (int i = 0; i < g_rowCount; ++i) {
        for (int k = 0; k < previousCount; ++k) {
            if (std::strcmp(g_rows[i].serial, previous[k].serial) != 0) {
                continue;
            }
            std::memcpy(g_rows[i].manufacturer, previous[k].manufacturer,
                        sizeof g_rows[i].manufacturer);
            std::memcpy(g_rows[i].model, previous[k].model, sizeof g_rows[i].model);
            std::memcpy(g_rows[i].release, previous[k].release, sizeof g_rows[i].release);
            std::memcpy(g_rows[i].releaseRead, previous[k].releaseRead,
                        sizeof g_rows[i].releaseRead);
            std::memcpy(g_rows[i].pda, previous[k].pda, sizeof g_rows[i].pda);
            break;
        }
    }
}

// The rows of a listing, at most kDeviceTableRows, into rows (which the
// caller has zeroed); returns how many.
int ParseRows(const char* text, AdbDeviceEntry (&rows)[kDeviceTableRows]) {
    int count = 0;
    const char* line = text != nullptr ? FindListing(text) : nullptr;
    if (line == nullptr) {
        return 0;
    }
    // Only complete lines: text after the last line feed may be cut.
    while (count < kDeviceTableRows) {
        const char* end = std::strchr(line, '\n');
        if (end == nullptr) {
            break;
        }
        size_t length = static_cast<size_t>(end - line);
        if (length > 0 && line[length - 1] == '\r') {
            --length; // "\r\n" line ends: the state must still read "device"
        }
        if (length >= kMinLineLength) {
            const auto* tab = static_cast<const char*>(std::memchr(line, '\t', length));
            // A row without a serial could not be addressed with "-s".
            if (tab != nullptr && tab != line) {
                AdbDeviceEntry& row = rows[count];
                const size_t serialLength = static_cast<size_t>(tab - line);
                CopyCut(row.serial, line, serialLength);
                CopyCut(row.state, tab + 1, length - serialLength - 1);
                ++count;
            }
        }
        line = end + 1;
    }
    return count;
}

void ParseLocked(const char* text) {
    AdbDeviceEntry previous[kDeviceTableRows];
    std::memcpy(previous, g_rows, sizeof previous);
    const int previousCount = g_listedRows;
    ClearLocked();
    g_rowCount = ParseRows(text, g_rows);
    g_listedRows = g_rowCount;
    KeepFactsOf(previous, previousCount);
}

int Row0ReadyLocked() {
    return g_rowCount > 0 && std::strcmp(g_rows[0].state, "device") == 0 ? 0 : -1;
}

} // namespace

void ParseAdbDevices(const char* text) {
    std::lock_guard lock(g_mutex);
    ParseLocked(text);
}

bool ListingShowsReadyPhone(const char* text) {
    AdbDeviceEntry rows[kDeviceTableRows]{};
    return ParseRows(text, rows) > 0 && std::strcmp(rows[0].state, "device") == 0;
}

AdbOutputStatus ListDevicesWhenReady(int boundMs, size_t limit, std::string* out) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    int pauseMs = kFirstListingPauseMs;
    for (;;) {
        const AdbOutputStatus status = ReadAdbOutput("devices", limit, out);
        if (status == AdbOutputStatus::Ok && ListingShowsReadyPhone(out->c_str())) {
            return status;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return status; // the last listing tells, as a single one after the wait would
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(left < pauseMs ? left : static_cast<long long>(pauseMs)));
        pauseMs = pauseMs * 2 < kLastListingPauseMs ? pauseMs * 2 : kLastListingPauseMs;
    }
}

int RefreshAdbDevices(int restart) {
    std::string output;
    AdbOutputStatus status;
    if (restart == 1) {
        EndEveryAdb();
        RunAdbTimed("kill-server");
        RunAdbTimed("start-server");
        // The fresh server needs up to a second to find the phones.
        status = ListDevicesWhenReady(kRestartSettleMs, kDevicesOutputLimit, &output);
    } else {
        status = ReadAdbOutput("devices", kDevicesOutputLimit, &output);
    }
    std::lock_guard lock(g_mutex);
    if (status != AdbOutputStatus::Ok) {
        ClearLocked();
        return -1;
    }
    ParseLocked(output.c_str());
    return Row0ReadyLocked();
}

int DeviceTableRowCount() {
    std::lock_guard lock(g_mutex);
    return g_rowCount;
}

void DeviceTableSetRowCount(int count) {
    std::lock_guard lock(g_mutex);
    g_rowCount = count < 0 ? 0 : (count > kDeviceTableRows ? kDeviceTableRows : count);
}

bool DeviceTableRow(int index, AdbDeviceEntry* out) {
    if (out == nullptr) {
        return false;
    }
    std::lock_guard lock(g_mutex);
    if (index < 0 || index >= g_listedRows) {
        *out = AdbDeviceEntry{};
        return false;
    }
    *out = g_rows[index];
    return true;
}

std::string SelectedSerial() {
    std::lock_guard lock(g_mutex);
    return g_listedRows > 0 ? std::string(g_rows[0].serial) : std::string();
}

namespace {

// One getprop value as adb printed it, line end included; "" when the
// output is missing or 64 bytes and longer.
std::string ReadProperty(const std::string& serial, const char* property) {
    // Quoted, so that a serial with blanks or backslashes stays one argument.
    const std::string args =
        " -s " + QuoteCommandLineArgument(serial) + " shell  getprop  " + property;
    std::string value;
    if (ReadAdbOutput(args.c_str(), kPropertyLimit, &value) != AdbOutputStatus::Ok) {
        value.clear();
    }
    return value;
}

} // namespace

int ReadDeviceProperties() {
    const std::string serial = SelectedSerial();
    // A serial that cannot be embedded safely (or fit) starts nothing.
    if (serial.empty() || !IsSafeAdbText(serial.c_str()) || serial.size() > 63) {
        return -1;
    }
    const std::string release = ReadProperty(serial, "ro.build.version.release");
    const std::string model = ReadProperty(serial, "ro.product.model");
    const std::string manufacturer = ReadProperty(serial, "ro.product.manufacturer");
    const std::string pda = ReadProperty(serial, "ro.build.PDA");

    std::lock_guard lock(g_mutex);
    // The table may have been rebuilt meanwhile: only the same phone is filled.
    if (g_listedRows == 0 || serial != g_rows[0].serial) {
        return -1;
    }
    AdbDeviceEntry& row = g_rows[0];
    CopyCut(row.releaseRead, release.data(), release.size());
    std::memcpy(row.release, row.releaseRead, sizeof row.release);
    CopyCut(row.model, model.data(), model.size());
    CopyCut(row.manufacturer, manufacturer.data(), manufacturer.size());
    CopyCut(row.pda, pda.data(), pda.size());
    return 0;
}
