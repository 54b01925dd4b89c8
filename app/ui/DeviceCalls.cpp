#include "DeviceCalls.h"

#include "session.h"

#include <tarvellkit/tarvellkit.h>

namespace kit {
namespace {

int CountDevices() {
    return Tarvell_CheckConnectDeviceToPC_Count();
}

// The library serves one phone: the index is always 0.
int CheckDetected(int) {
    return tarvell::ProgramSession().phone().detect();
}

int ReadyTodoing(int) {
    return tarvell::ProgramSession().preparePhone();
}

QString DeviceLabel() {
    return tarvell::ProgramSession().phoneLabel();
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
