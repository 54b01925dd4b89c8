// Lifecycle exports and phone detection: the glue between the runner, the
// device table and the USB list.
#include "tarvellkit/tarvellkit.h"

#include "CheckUSBDevice.h"
#include "adb_output.h"
#include "command_line.h"
#include "device_table.h"
#include "log.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "runner.h"
#include "temp_folder.h"
#include "transfer_buffer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr char kCompanionPackage[] = "com.velmora.tarvell";
constexpr char kRecoveryPackage[] = "com.android.datarecovery";
constexpr char kDriverInstaller[] = "AdbDriverInstaller";
// A "devices" listing longer than this is not trusted.
constexpr size_t kDetectOutputLimit = 2048;
// How long a freshly started adb server may take to list a ready phone.
constexpr int kServerSettleMs = 2000;

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Ends every adb and starts a fresh server; the results do not matter, the
// listing that follows tells.
void RestartAdbServer() {
    EndEveryAdb();
    RunAdbTimed("kill-server");
    RunAdbTimed("start-server");
}

// No exception crosses the C interface: running out of memory in an export
// gives its failure result.
template <typename Body> int Guarded(int onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

int DetectResult(int result) {
    LogWrite("CheckDeviceDetected  return ret = %d", result);
    return result;
}

} // namespace

extern "C" {

TARVELL_API int Tarvell_Init(void) {
    return Guarded(0, [&]() -> int {
        TempFolder();
        StartUsbWatcher();
        TransferBufferAllocate();
        return 0;
    });
}

TARVELL_API int Tarvell_UnInit(void) {
    return Guarded(0, [&]() -> int {
        char args[256];
        std::snprintf(args, sizeof args, "uninstall %s", kCompanionPackage);
        RunAdbDetached(args);
        const std::string serial = SelectedSerial();
        // Without a phone there is nothing to remove; a serial that cannot be
        // embedded safely starts nothing.
        if (!serial.empty() && IsSafeAdbText(serial.c_str())) {
            const std::string command =
                "-s " + QuoteCommandLineArgument(serial) + " uninstall " + kRecoveryPackage;
            RunAdbDetached(command.c_str());
        }
        return 0;
    });
}

TARVELL_API int Tarvell_CheckConnectDeviceToPC_Count(void) {
    return Guarded(0, [&]() -> int {
        DeviceTableSetRowCount(0);
        return RescanUsbDevices() > 0 ? 1 : 0;
    });
}

TARVELL_API int Tarvell_CheckDeviceDetected(int deviceIndex) {
    return Guarded(-1, [&]() -> int {
        (void)deviceIndex; // the library always serves row 0
        LogCallFunction("Tarvell_CheckDeviceDetected");
        if (DeviceTableRowCount() > 0) {
            return 0;
        }
        RestartAdbServer();

        // The fresh server is given up to two seconds to find a ready phone;
        // the listing ends the wait as soon as it shows one.
        std::string output;
        if (ListDevicesWhenReady(kServerSettleMs, kDetectOutputLimit, &output) !=
            AdbOutputStatus::Ok) {
            return -1;
        }
        ParseAdbDevices(output.c_str());
        AdbDeviceEntry row0{};
        if (!DeviceTableRow(0, &row0)) {
            return DetectResult(-1);
        }
        if (std::strcmp(row0.state, "device") != 0) {
            return DetectResult(-2);
        }
        if (!IsSafeAdbText(row0.serial)) {
            // Every later command would have to embed this serial.
            LogWrite("CheckDeviceDetected  serial refused\n");
            DeviceTableSetRowCount(0);
            return DetectResult(-1);
        }
        ReadDeviceProperties();
        LogTracePoint("tarvellkit", 738);
        return 0;
    });
}

TARVELL_API int Tarvell_CheckEnableUSBDebug(void) {
    return Guarded(-1, [&]() -> int {
        LogCallFunction("Tarvell_CheckEnableUSBDebug");
        UsbDeviceEntry row0{};
        if (!UsbDeviceRow(0, &row0) || row0.debugFlag == 0) {
            return 0;
        }
        return Tarvell_CheckDeviceDetected(0);
    });
}

TARVELL_API int Tarvell_CheckOpenDebugType(void) {
    return Guarded(1, [&]() -> int {
        UsbDeviceEntry row0{};
        if (UsbDeviceRow(0, &row0) && IsDebugTypeDevice(row0.vendorId, row0.productId)) {
            return 2;
        }
        return 1;
    });
}

TARVELL_API int Tarvell_installAndroidDrivertoPC(void) {
    return Guarded(-1, [&]() -> int {
        LogCallFunction("Tarvell_installAndroidDrivertoPC");
        if (RescanUsbDevices() <= 0) {
            return -1;
        }
        if (Tarvell_CheckDeviceDetected(0) == -1) {
            SleepMs(2000);
            if (Tarvell_CheckDeviceDetected(0) == -1) {
                // Linux needs no driver; an installer is run only when one is shipped.
                const std::string folder = platform::ProgramFolder();
                if (!folder.empty() &&
                    platform::IsExecutableFile(folder + "/" + std::string(kDriverInstaller))) {
                    RunProgram(kDriverInstaller, nullptr);
                }
            }
        }
        return Tarvell_CheckDeviceDetected(0);
    });
}

} // extern "C"
