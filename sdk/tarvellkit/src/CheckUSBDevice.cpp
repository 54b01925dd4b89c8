#include "CheckUSBDevice.h"

#include "log.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libudev.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>

namespace {

struct KnownModel {
    int vendorId;
    int productId;
    const char* name;
};

// Known phones; the vendors in it are the vendors taken for phones at all.
// Searched from the end, so for an unlisted product of a listed vendor the
// last row of that vendor names it. The last row only ends the table.
constexpr KnownModel kKnownModels[] = {
    {0x04E8, 0x685E, "Samsung M250S"},
    {0x1782, 0x5D04, "Meiling SPHS"},
    {0x0BB4, 0x0C87, "HTC Desire"},
    {0x0BB4, 0x0C8D, "HTC EVO"},
    {0x0BB4, 0x0C96, "HTC MyTouch 4G"},
    {0x0FCE, 0x212E, "SonyEricsson X10i"},
    {0x0BB4, 0x0C01, "HTC Dream / T-Mobile G1 v1.0"},
    {0x0BB4, 0x0C02, "HTC Dream / T-Mobile G1 v1.6"},
    {0x22B8, 0x41DB, "Motorola Droid"},
    {0x0BB4, 0x0FF9, "Motorola Droid X"},
    {0x0BB4, 0x4E11, "Nexus One"},
    {0x0BB4, 0x4E12, "Nexus One"},
    {0x04E8, 0x6640, "Samsung Galaxy I7500"},
    {0x04E8, 0x6860, "Samsung Galaxy S3"},
    {0x04E8, 0x6877, "Samsung Galaxy S GT-I9000"},
    {0x18D1, 0x4E21, "Samsung Nexus S"},
    {0x04E8, 0x681D, "Samsung Epic 4G"},
    {0x0E79, 0x1357, "Archos 5 Internet Tablet"},
    {0x12D1, 0x1038, "Huawei U8150"},
    {0x0502, 0x3203, "Acer Liquid E"},
    {0x0502, 0x3317, "Acer Liquid Metal (S120)"},
    {0x0B05, 0x4E0F, "Asus Eee pad transformer (TF101)"},
    {0x1004, 0x618E, "LG G2x"},
    {0x0000, 0x0000, "End"},
};
// Rows that name phones: all but the closing "End" row, which must never
// match a device that reports vendor 0000.
constexpr int kKnownModelRows = static_cast<int>(std::size(kKnownModels)) - 1;

struct DebugType {
    int vendorId;
    int productId;
};
constexpr DebugType kDebugTypes[] = {
    {0x04E8, 0x6866}, // Samsung GT-N7100
    {0x04E8, 0x6860}, // Samsung GT-I9500
    {0x04E8, 0x6860}, // Samsung GT-I9300
    {0x04E8, 0x685D}, // Samsung Epic 4G
};

// The list and everything that rebuilds or reads it.
std::mutex g_listMutex;
UsbDeviceEntry g_rows[kUsbDeviceRows];
int g_count = 0;

std::mutex g_eventMutex;
// Never destroyed: the watcher thread may still signal while the process exits.
std::condition_variable& g_event = *new std::condition_variable;
int g_rescans = 0;
int g_watcherState = 0; // 0 starting, 1 listening, -1 gave up

const char* FindModel(int vendorId, int productId) {
    for (int i = kKnownModelRows - 1; i >= 0; --i) {
        if (kKnownModels[i].vendorId == vendorId && kKnownModels[i].productId == productId) {
            return kKnownModels[i].name;
        }
    }
    for (int i = kKnownModelRows - 1; i >= 0; --i) {
        if (kKnownModels[i].vendorId == vendorId) {
            return kKnownModels[i].name;
        }
    }
    return nullptr;
}

// Exactly four hex digits; -1 otherwise.
int ParseHex4(const char* text) {
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

// "USB?VID_vvvv?PID_pppp" then "&ADB" or more text: at least 25 characters.
void RecordLocked(const char* id) {
    if (id == nullptr || strnlen(id, 25) < 25) {
        return;
    }
    if (std::strncmp(id, "USB", 3) != 0 || std::strncmp(id + 4, "VID_", 4) != 0 ||
        std::strncmp(id + 13, "PID_", 4) != 0) {
        return;
    }
    const int vendorId = ParseHex4(id + 8);
    const int productId = ParseHex4(id + 17);
    if (vendorId < 0 || productId < 0) {
        return;
    }
    const signed char flag = std::strncmp(id + 21, "&ADB", 4) == 0 ? 0 : -1;

    for (int i = 0; i < g_count; ++i) {
        if (g_rows[i].vendorId == vendorId && g_rows[i].productId == productId) {
            if (flag == 0) {
                g_rows[i].debugFlag = 0;
            }
            return;
        }
    }
    const char* model = FindModel(vendorId, productId);
    if (model == nullptr || g_count >= kUsbDeviceRows) {
        return;
    }
    g_rows[g_count++] = UsbDeviceEntry{vendorId, productId, model, flag};
}

unsigned long SysattrHex(udev_device* device, const char* name, bool* ok) {
    const char* text = udev_device_get_sysattr_value(device, name);
    if (text == nullptr || *text == '\0') {
        *ok = false;
        return 0;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    *ok = end != text;
    return value;
}

// "USB\VID_vvvv&PID_pppp<suffix>\<serial>" of a usb_device, as the device
// manager names it; the serial is the syspath's last component when the
// device reports none.
bool DeviceIdentifier(udev_device* device, const char* suffix, char* out, size_t size) {
    bool vendorOk = false;
    bool productOk = false;
    const unsigned long vendorId = SysattrHex(device, "idVendor", &vendorOk);
    const unsigned long productId = SysattrHex(device, "idProduct", &productOk);
    if (!vendorOk || !productOk) {
        return false;
    }
    const char* serial = udev_device_get_sysattr_value(device, "serial");
    if (serial == nullptr || *serial == '\0') {
        serial = udev_device_get_sysname(device);
    }
    std::snprintf(out, size, "USB\\VID_%04lX&PID_%04lX%s\\%s", vendorId, productId, suffix,
                  serial != nullptr ? serial : "");
    return true;
}

bool IsAdbInterface(udev_device* interface) {
    bool a = false;
    bool b = false;
    bool c = false;
    return SysattrHex(interface, "bInterfaceClass", &a) == 0xFF && a &&
           SysattrHex(interface, "bInterfaceSubClass", &b) == 0x42 && b &&
           SysattrHex(interface, "bInterfaceProtocol", &c) == 0x01 && c;
}

bool IsDevType(udev_device* device, const char* type) {
    const char* devtype = udev_device_get_devtype(device);
    return devtype != nullptr && std::strcmp(devtype, type) == 0;
}

// Every USB device yields its identifier; every adb interface of a device
// yields the device's identifier with "&ADB" after the product number.
void EnumerateUsbDevicesLocked() {
    udev* context = udev_new();
    if (context == nullptr) {
        return;
    }
    udev_enumerate* scan = udev_enumerate_new(context);
    if (scan != nullptr && udev_enumerate_add_match_subsystem(scan, "usb") >= 0 &&
        udev_enumerate_scan_devices(scan) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan)) {
            udev_device* device =
                udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
            if (device == nullptr) {
                continue;
            }
            char identifier[261];
            if (IsDevType(device, "usb_device")) {
                if (DeviceIdentifier(device, "", identifier, sizeof identifier)) {
                    RecordLocked(identifier);
                }
            } else if (IsDevType(device, "usb_interface") && IsAdbInterface(device)) {
                // The parent belongs to device and is released with it.
                udev_device* parent =
                    udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
                if (parent != nullptr &&
                    DeviceIdentifier(parent, "&ADB", identifier, sizeof identifier)) {
                    RecordLocked(identifier);
                }
            }
            udev_device_unref(device);
        }
    }
    if (scan != nullptr) {
        udev_enumerate_unref(scan);
    }
    udev_unref(context);
}

void SetWatcherState(int state) {
    {
        std::lock_guard lock(g_eventMutex);
        g_watcherState = state;
    }
    g_event.notify_all();
}

std::atomic<bool> g_watcherRunning{false};

// Listens for udev events: a volume (block device) that comes or goes makes
// the list be rebuilt; a USB device that goes is logged.
void UsbWatcherLoop() {
    if (g_watcherRunning.exchange(true)) {
        return;
    }
    udev* context = udev_new();
    udev_monitor* monitor =
        context != nullptr ? udev_monitor_new_from_netlink(context, "udev") : nullptr;
    if (monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        LogWrite("USB watcher: no udev monitor, hot-plug refresh is off\n");
        if (monitor != nullptr) {
            udev_monitor_unref(monitor);
        }
        if (context != nullptr) {
            udev_unref(context);
        }
        g_watcherRunning.store(false);
        SetWatcherState(-1);
        return;
    }
    SetWatcherState(1);
    const int fd = udev_monitor_get_fd(monitor);
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int n = poll(&p, 1, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        udev_device* device = udev_monitor_receive_device(monitor);
        if (device == nullptr) {
            continue;
        }
        const char* action = udev_device_get_action(device);
        const char* subsystem = udev_device_get_subsystem(device);
        const bool added = action != nullptr && std::strcmp(action, "add") == 0;
        const bool removed = action != nullptr && std::strcmp(action, "remove") == 0;
        const bool volume = subsystem != nullptr && std::strcmp(subsystem, "block") == 0;
        const bool usb = subsystem != nullptr && std::strcmp(subsystem, "usb") == 0;
        udev_device_unref(device);

        if (removed && usb) {
            LogWrite("USB Remove 1 \n");
        }
        if (removed && volume) {
            LogWrite("USB Remove\n");
        }
        if ((added || removed) && volume) {
            RescanUsbDevices();
        }
    }
    udev_monitor_unref(monitor);
    udev_unref(context);
    g_watcherRunning.store(false);
    SetWatcherState(-1);
}

void UsbWatcherThread() noexcept {
    pthread_setname_np(pthread_self(), "tarvell-usb");
    try {
        UsbWatcherLoop();
    } catch (...) {
        // Out of memory: no more hot-plug refresh; the polling exports still work.
        g_watcherRunning.store(false);
        SetWatcherState(-1);
    }
}

} // namespace

int RescanUsbDevices() {
    int found;
    {
        std::lock_guard lock(g_listMutex);
        g_count = 0;
        EnumerateUsbDevicesLocked();
        found = g_count;
    }
    {
        std::lock_guard lock(g_eventMutex);
        ++g_rescans;
    }
    g_event.notify_all();
    return found;
}

void RecordUsbDevice(const char* identifier) {
    std::lock_guard lock(g_listMutex);
    RecordLocked(identifier);
}

int StartUsbWatcher() {
    static std::once_flag once;
    bool firstCall = false;
    int result = 0;
    std::call_once(once, [&] {
        firstCall = true;
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                // Lives until the process ends; it holds no state that exit
                // would have to wait for.
                std::thread(UsbWatcherThread).detach();
                return;
            } catch (const std::exception&) {
            }
        }
        LogWriteAt("CheckUSBDevice", 153, "Faild(%d)  %s, %d\n", 0, "CheckUSBDevice", 153);
        result = -1;
    });
    return firstCall ? result : 0;
}

int UsbDeviceCount() {
    std::lock_guard lock(g_listMutex);
    return g_count;
}

void UsbSetCount(int count) {
    std::lock_guard lock(g_listMutex);
    g_count = count < 0 ? 0 : (count > g_count ? g_count : count);
}

bool UsbDeviceRow(int index, UsbDeviceEntry* out) {
    if (out == nullptr) {
        return false;
    }
    std::lock_guard lock(g_listMutex);
    if (index < 0 || index >= g_count) {
        *out = UsbDeviceEntry{0, 0, nullptr, -1};
        return false;
    }
    *out = g_rows[index];
    return true;
}

bool IsDebugTypeDevice(int vendorId, int productId) {
    for (const DebugType& type : kDebugTypes) {
        if (type.vendorId == vendorId && type.productId == productId) {
            return true;
        }
    }
    return false;
}

int UsbRescanCount() {
    std::lock_guard lock(g_eventMutex);
    return g_rescans;
}

bool WaitForUsbRescanCount(int atLeast, int timeoutMs) {
    std::unique_lock lock(g_eventMutex);
    return g_event.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return g_rescans >= atLeast; });
}

bool WaitForUsbWatcherListening(int timeoutMs) {
    std::unique_lock lock(g_eventMutex);
    return g_event.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [] { return g_watcherState == 1; });
}
