#include "DeviceCalls.h"

#include "jobcontrol.h"

#include <tarvellkit/tarvellkit.h>

namespace kit {
namespace {

int CountDevices() {
    return Tarvell_CheckConnectDeviceToPC_Count();
}

int CheckDetected(int index) {
    return Tarvell_CheckDeviceDetected(index);
}

int ReadyTodoing(int index) {
    return Tarvell_ReadyTodoing(index);
}

QString DeviceLabel() {
    return tarvell::AttachedDeviceLabel();
}

int NoDevices() {
    return 0;
}

int NoDeviceAt(int) {
    return -1;
}

} // namespace

DeviceCalls& deviceCalls() {
    static DeviceCalls current{&CountDevices, &CheckDetected, &ReadyTodoing, &DeviceLabel};
    return current;
}

DeviceCalls noPhoneCalls(QString (*label)()) {
    return DeviceCalls{&NoDevices, &NoDeviceAt, &NoDeviceAt, label};
}

} // namespace kit
