// USB phone detection: the USB device list (10 rows) of known phone makers,
// the watcher thread that rescans on hot-plug events.
#pragma once

// Sets the USB count to 0 and enumerates USB devices; returns the count found.
int RescanUsbDevices();

// Parses one device identifier "USB\VID_vvvv&PID_pppp[&ADB]\serial" into the list.
void RecordUsbDevice(const char* identifier);

// Starts the watcher thread once; 0, or -1 when it could not be started.
int StartUsbWatcher();
