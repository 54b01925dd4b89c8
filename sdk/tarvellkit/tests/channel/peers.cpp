#include "peers.h"

#include "CheckUSBDevice.h"
#include "device_table.h"
#include "runner.h"

#include <mutex>

namespace peers {
namespace {

std::mutex g_mutex; // the calls; several threads may run adb at once
std::vector<Call> g_calls;
Answers g_answers;

void Record(const char* what, const std::string& args) {
    std::lock_guard lock(g_mutex);
    g_calls.push_back({what, args});
}

int Run(const char* what, const char* args) {
    std::string text = args ? args : "";
    Record(what, text);
    return g_answers.run ? g_answers.run(what, text) : 0;
}

} // namespace

Answers& Answer() {
    return g_answers;
}

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

void Reset() {
    std::lock_guard lock(g_mutex);
    g_calls.clear();
    g_answers = Answers{};
}

} // namespace peers

int RunAdb(const char* args) {
    return peers::Run("RunAdb", args);
}

int RunAdbTimed(const char* args) {
    return peers::Run("RunAdbTimed", args);
}

int RefreshAdbDevices(int restart) {
    peers::Record("RefreshAdbDevices", std::to_string(restart));
    return peers::g_answers.refresh ? peers::g_answers.refresh(restart) : 0;
}

std::string SelectedSerial() {
    return peers::g_answers.serial;
}

int RescanUsbDevices() {
    peers::Record("RescanUsbDevices", "");
    return peers::g_answers.usbCount;
}
