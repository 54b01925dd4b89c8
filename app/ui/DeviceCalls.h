// The device-library calls of the connection and content screens, reached
// through replaceable function pointers so that tests and the screenshot
// tool can play a phone without the library's adb work.
#pragma once

#include <QString>

namespace kit {

struct DeviceCalls {
    int (*countDevices)();     // Tarvell_CheckConnectDeviceToPC_Count
    int (*checkDetected)(int); // Tarvell_CheckDeviceDetected
    int (*readyTodoing)(int);  // Tarvell_ReadyTodoing
    QString (*deviceLabel)();  // the attached phone's label (device facts)
};

// The functions the screens call; a test may replace them and must put back
// the previous values when done. Called from the GUI thread and the
// connection screen's worker threads.
DeviceCalls& deviceCalls();

// Calls that find no phone attached and never reach the library, the
// label coming from label: the screens played without a phone.
DeviceCalls noPhoneCalls(QString (*label)());

} // namespace kit
