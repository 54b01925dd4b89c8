#include "peers.h"

#include "CheckUSBDevice.h"
#include "device_table.h"
#include "runner.h"

#include <mutex>

namespace peers {
namespace {

std::mutex g_mutex;
std::vector<Call> g_calls;
std::function<int(const std::string&, const std::string&)> g_runResult;
std::function<int(int)> g_refreshResult;
int g_usbCount = 1;
std::string g_serial = "SER1";

void Record(const char* what, const std::string& args) {
    std::lock_guard lock(g_mutex);
    g_calls.push_back({what, args});
}

int Run(const char* what, const char* args) {
    std::string text = args ? args : "";
    Record(what, text);
    std::function<int(const std::string&, const std::string&)> result;
    {
        std::lock_guard lock(g_mutex);
        result = g_runResult;
    }
    return result ? result(what, text) : 0;
}

} // namespace

std::vector<Call> Calls() {
    std::lock_guard lock(g_mutex);
    return g_calls;
}

std::vector<std::string> ArgsOf(const std::string& what) {
    std::vector<std::string> out;
    for (const Call& c : Calls()) {
        if (c.what == what) {
            out.push_back(c.args);
        }
    }
    return out;
}

void SetRunResult(std::function<int(const std::string&, const std::string&)> result) {
    std::lock_guard lock(g_mutex);
    g_runResult = std::move(result);
}

void SetRefreshResult(std::function<int(int)> result) {
    std::lock_guard lock(g_mutex);
    g_refreshResult = std::move(result);
}

void SetUsbCount(int count) {
    std::lock_guard lock(g_mutex);
    g_usbCount = count;
}

void SetSerial(std::string serial) {
    std::lock_guard lock(g_mutex);
    g_serial = std::move(serial);
}

void Reset() {
    std::lock_guard lock(g_mutex);
    g_calls.clear();
    g_runResult = nullptr;
    g_refreshResult = nullptr;
    g_usbCount = 1;
    g_serial = "SER1";
}

} // namespace peers

using peers::Record;

int RunAdb(const char* args) {
    return peers::Run("RunAdb", args);
}

int RunAdbTimed(const char* args) {
    return peers::Run("RunAdbTimed", args);
}

int RefreshAdbDevices(int restart) {
    Record("RefreshAdbDevices", std::to_string(restart));
    std::function<int(int)> result;
    {
        std::lock_guard lock(peers::g_mutex);
        result = peers::g_refreshResult;
    }
    return result ? result(restart) : 0;
}

std::string SelectedSerial() {
    std::lock_guard lock(peers::g_mutex);
    return peers::g_serial;
}

int RescanUsbDevices() {
    Record("RescanUsbDevices", "");
    std::lock_guard lock(peers::g_mutex);
    return peers::g_usbCount;
}
