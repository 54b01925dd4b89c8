// Both detection levels of the library on one simulated phone: the USB list
// (what umockdev shows: the phone's own serial) and the adb listing (the
// real adb's 127.0.0.1:PORT). Prints one line for realadb.sh to check.
#include "tarvellkit/tarvellkit.h"

#include <cstdio>
#include <unistd.h>

int main() {
    Tarvell_Init();
    const int usb = Tarvell_CheckConnectDeviceToPC_Count();
    const int debug = Tarvell_CheckEnableUSBDebug();
    const int detected = Tarvell_CheckDeviceDetected(0);
    DeviceInfoRecord info{};
    const int facts = Tarvell_GetAndroidDevicesInfo2(&info);
    std::printf("usb=%d debug=%d detected=%d facts=%d serial=%s\n", usb, debug, detected, facts,
                info.serial);
    std::fflush(stdout);
    _exit(0); // the companion is not ours to remove here
}
