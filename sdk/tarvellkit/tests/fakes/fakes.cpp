#include "fakes.h"

#include "CheckUSBDevice.h"
#include "TCPConnect.h"
#include "device_table.h"
#include "runner.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace fakes {
namespace {

std::mutex g_mutex;
CompanionHandler g_companion;
std::vector<Exchange> g_exchanges;
std::vector<AdbRun> g_runs;
std::function<void(const std::string&)> g_adbAction;
int g_runResult = 0;
AdbDeviceEntry g_row0{};
int g_rowCount = 0;
int g_usbCount = 0;
int g_usbScans = 0;
std::atomic<int> g_tempCounter{0};

int Record(const char* how, const char* args) {
    std::lock_guard lock(g_mutex);
    g_runs.push_back({how, args ? args : ""});
    return g_runResult;
}

} // namespace

void SetCompanion(CompanionHandler handler) {
    std::lock_guard lock(g_mutex);
    g_companion = std::move(handler);
}

std::vector<Exchange> Exchanges() {
    std::lock_guard lock(g_mutex);
    return g_exchanges;
}

std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (const auto& e : Exchanges()) {
        out.push_back(e.command);
    }
    return out;
}

std::string Int32Reply(int32_t value) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) {
        s[static_cast<size_t>(i)] =
            static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    }
    return s;
}

std::string Int64Reply(int64_t value) {
    std::string s(8, '\0');
    for (int i = 0; i < 8; ++i) {
        s[static_cast<size_t>(i)] =
            static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
    }
    return s;
}

std::vector<AdbRun> AdbRuns() {
    std::lock_guard lock(g_mutex);
    return g_runs;
}

void SetRunResult(int result) {
    std::lock_guard lock(g_mutex);
    g_runResult = result;
}

void SetAdbAction(std::function<void(const std::string&)> action) {
    std::lock_guard lock(g_mutex);
    g_adbAction = std::move(action);
}

void SetDeviceRow0(const AdbDeviceEntry& row, int rowCount) {
    std::lock_guard lock(g_mutex);
    g_row0 = row;
    g_rowCount = rowCount;
}

void SetUsbCount(int count) {
    std::lock_guard lock(g_mutex);
    g_usbCount = count;
}

int UsbScanCount() {
    std::lock_guard lock(g_mutex);
    return g_usbScans;
}

void Reset() {
    std::lock_guard lock(g_mutex);
    g_companion = nullptr;
    g_exchanges.clear();
    g_runs.clear();
    g_adbAction = nullptr;
    g_runResult = 0;
    g_row0 = AdbDeviceEntry{};
    g_rowCount = 0;
    g_usbCount = 0;
    g_usbScans = 0;
}

} // namespace fakes

using namespace fakes;

// ---- channel ----
int SendCommand(const char* command, void* answer, int answerSize, const void* payload,
                int payloadLength) {
    if (command == nullptr) {
        return -1;
    }
    if (*command == '\0') {
        return 0;
    }
    CompanionHandler handler;
    {
        std::lock_guard lock(g_mutex);
        Exchange e{command, {}};
        if (payload != nullptr && payloadLength > 0) {
            e.payload.assign(static_cast<const char*>(payload), static_cast<size_t>(payloadLength));
        }
        g_exchanges.push_back(e);
        handler = g_companion;
    }
    std::optional<std::string> reply =
        handler ? handler(command, Exchanges().back().payload) : std::optional<std::string>("");
    if (!reply) {
        return -1;
    }
    // An answer longer than the buffer fails, as the real channel does after its retries.
    if (static_cast<int>(reply->size()) > answerSize) {
        return -1;
    }
    if (reply->empty()) {
        if (answer != nullptr && answerSize >= 4) {
            std::memset(answer, 0, 4);
        }
        return 0;
    }
    std::memcpy(answer, reply->data(), reply->size());
    return static_cast<int>(reply->size());
}

void DiscardSharedChannel() {}

// ---- runner ----
int RunAdb(const char* args) {
    int result = Record("RunAdb", args);
    std::function<void(const std::string&)> action;
    {
        std::lock_guard lock(g_mutex);
        action = g_adbAction;
    }
    if (action) {
        action(args ? args : "");
    }
    return result;
}
int RunAdbTimed(const char* args) {
    return Record("RunAdbTimed", args);
}
int RunAdbToFile(const char* args, const char* /*outPath*/) {
    return Record("RunAdbToFile", args);
}
int RunProgram(const char* program, const char* args) {
    std::string line = std::string(program ? program : "") + " " + (args ? args : "");
    return Record("RunProgram", line.c_str());
}
int RunAdbDetached(const char* args) {
    return Record("RunAdbDetached", args);
}
void NewTempFilePath(char* buffer) {
    std::snprintf(buffer, 1024, "/tmp/tarvell-fake-%d-sdlk%06d", static_cast<int>(getpid()),
                  g_tempCounter.fetch_add(1));
    std::remove(buffer);
}
void EndEveryAdb() {
    Record("EndEveryAdb", "");
}

// ---- device table ----
int DeviceTableRowCount() {
    std::lock_guard lock(g_mutex);
    return g_rowCount;
}
void DeviceTableSetRowCount(int count) {
    std::lock_guard lock(g_mutex);
    g_rowCount = count;
}
bool DeviceTableRow(int index, AdbDeviceEntry* out) {
    std::lock_guard lock(g_mutex);
    *out = AdbDeviceEntry{};
    if (index != 0 || g_rowCount <= 0) {
        return false;
    }
    *out = g_row0;
    return true;
}
std::string SelectedSerial() {
    std::lock_guard lock(g_mutex);
    return g_rowCount > 0 ? std::string(g_row0.serial) : std::string();
}
int RefreshAdbDevices(int restart) {
    Record(restart ? "RefreshAdbDevices(restart)" : "RefreshAdbDevices", "");
    std::lock_guard lock(g_mutex);
    return g_rowCount > 0 && std::strcmp(g_row0.state, "device") == 0 ? 0 : -1;
}
int ReadDeviceProperties() {
    Record("ReadDeviceProperties", "");
    return 0;
}
void ParseAdbDevices(const char*) {}

// ---- USB ----
int RescanUsbDevices() {
    std::lock_guard lock(g_mutex);
    ++g_usbScans;
    return g_usbCount;
}
void RecordUsbDevice(const char*) {}
int StartUsbWatcher() {
    return 0;
}
