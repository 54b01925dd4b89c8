// USB phone detection: the USB device list (10 rows) of known phone makers,
// the watcher thread that rescans on hot-plug events.
#pragma once

// Sets the USB count to 0 and enumerates USB devices; returns the count found.
int RescanUsbDevices();

// Parses one device identifier "USB\VID_vvvv&PID_pppp[&ADB]\serial" into the list.
void RecordUsbDevice(const char* identifier);

// Starts the watcher thread once; 0, or -1 when it could not be started.
int StartUsbWatcher();

// One row of the USB device list.
struct UsbDeviceEntry {
    int vendorId;
    int productId;
    const char* modelName; // from the known-model table, static text
    signed char debugFlag; // 0 once an "&ADB" identifier of the phone was seen, else -1
};

constexpr int kUsbDeviceRows = 10;

int UsbDeviceCount();
void UsbSetCount(int count); // 0 empties the list
// Copy of a row; false when index is outside the list.
bool UsbDeviceRow(int index, UsbDeviceEntry* out);
// True when vendor/product is in the debug-type table.
bool IsDebugTypeDevice(int vendorId, int productId);

// Test hooks: scans finished so far (by any thread, the watcher included),
// waiting for a number of them, and waiting for the watcher to listen.
int UsbRescanCount();
bool WaitForUsbRescanCount(int atLeast, int timeoutMs);
bool WaitForUsbWatcherListening(int timeoutMs);
