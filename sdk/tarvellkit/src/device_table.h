// The adb device table: 10 rows of AdbDeviceEntry filled from "adb devices".
// Row 0 is the phone the whole library works with. Every rebuild and every
// read holds the table's lock.
#pragma once

#include "adb_output.h"
#include "tarvellkit/tarvellkit.h"

#include <cstddef>
#include <string>

constexpr int kDeviceTableRows = 10;

// Fills the table from the text of "adb devices" (cleared first).
void ParseAdbDevices(const char* text);

// True when row 0 of the listing text is a phone in state "device".
bool ListingShowsReadyPhone(const char* text);

// "adb devices" of a freshly started server, which finds the phones only
// after it has started: listed again, at growing intervals, until row 0 is a
// ready phone or boundMs have passed. The last listing is the result; a
// phone that never turns ready is listed last no sooner than boundMs after
// the start.
AdbOutputStatus ListDevicesWhenReady(int boundMs, size_t limit, std::string* out);

// 0 when row 0 is in state "device" after a fresh listing, else -1.
// restart = 1 ends every adb and restarts the server first.
int RefreshAdbDevices(int restart);

int DeviceTableRowCount();
void DeviceTableSetRowCount(int count);

// Copy of a row; false (and a zeroed row) when index is out of range.
bool DeviceTableRow(int index, AdbDeviceEntry* out);

// Serial of row 0 ("" when the table is empty).
std::string SelectedSerial();

// Fills the property fields of row 0 through getprop (ReadDeviceProperties).
int ReadDeviceProperties();
