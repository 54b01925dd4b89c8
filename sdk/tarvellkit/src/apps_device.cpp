// Apps (list, details, install, uninstall, package export), device facts and
// the screenshot.
#include "tarvellkit/tarvellkit.h"

#include "CheckUSBDevice.h"
#include "TCPConnect.h"
#include "companion_protocol.h"
#include "detail_records.h"
#include "device_table.h"
#include "log.h"
#include "media_common.h"
#include "runner.h"

#include <cstring>
#include <string>
#include <unistd.h>

using kitmedia::IntReply;
using kitmedia::IsQuotableAdbText;

namespace {

constexpr int kDetailReplySize = 1024;

// The serial of row 0, or empty when there is no phone or its serial could
// not be embedded in an adb argument text.
std::string UsableSerial() {
    std::string serial = SelectedSerial();
    if (serial.empty() || !IsSafeAdbText(serial.c_str()) ||
        serial.find_first_of(" \t") != std::string::npos) {
        return {};
    }
    return serial;
}

// Copies a device-table text into a record field, cut to the field and
// always terminated.
template <size_t To, size_t From> void CopyText(char (&to)[To], const char (&from)[From]) {
    const size_t n = strnlen(from, (From < To ? From : To) - 1);
    std::memcpy(to, from, n);
    to[n] = '\0';
}

void CopyRowTexts(DeviceInfoRecord* info) {
    AdbDeviceEntry row{};
    DeviceTableRow(0, &row);
    CopyText(info->manufacturer, row.manufacturer);
    CopyText(info->serial, row.serial);
    CopyText(info->model, row.model);
    CopyText(info->release, row.release);
}

// An unquoted path with a blank would reach adb as two arguments; such a
// path is quoted, any other stays as it is.
std::string AdbPathArgument(const char* path) {
    if (std::strpbrk(path, " \t") == nullptr) {
        return path;
    }
    return std::string("\"") + path + "\"";
}

} // namespace

namespace {

int FlushDevicesAppImpl() {
    return IntReply("flushapplist;");
}

int GetAppCountImpl() {
    return IntReply("getappcount;");
}

int GetAppInfoImpl(AppInfo* info, int position) {
    if (info == nullptr) {
        return -1;
    }
    std::memset(info, 0, sizeof *info);
    char reply[kDetailReplySize + 1] = {};
    const std::string command = "getappindexinfo:" + std::to_string(position) + ";";
    const int n = SendCommand(command.c_str(), reply, kDetailReplySize, nullptr, 0);
    if (n <= 0 || reply[0] == '\0') {
        return -1;
    }
    return DecodeAppInfo(reply, n, info);
}

int InstallAppToMemoryImpl(const char* packagePath, int mode) {
    const char* option = nullptr;
    switch (mode) {
    case 1:
        option = "-l ";
        break;
    case 2:
        option = "-r ";
        break;
    case 3:
        option = "-s ";
        break;
    case 4:
        option = "";
        break;
    case 5:
        option = "-r -s ";
        break;
    default:
        return -1;
    }
    const std::string serial = UsableSerial();
    if (packagePath == nullptr || *packagePath == '\0' || !IsQuotableAdbText(packagePath) ||
        serial.empty()) {
        LogWrite("InstallApp refused: path=%s\n", packagePath ? packagePath : "(null)");
        return -1;
    }
    const std::string args = "-s " + serial + " install " + option + "\"" + packagePath + "\"";
    return RunAdb(args.c_str());
}

int UnInstallAppImpl(const char* packageName, int mode) {
    const char* option = nullptr;
    switch (mode) {
    case 1:
        option = "";
        break;
    case 2:
        option = "-k ";
        break;
    default:
        return -1;
    }
    const std::string serial = UsableSerial();
    if (packageName == nullptr || *packageName == '\0' || !IsSafeAdbText(packageName) ||
        std::strpbrk(packageName, " \t") != nullptr || serial.empty()) {
        LogWrite("UnInstallApp refused: pkgname=%s\n", packageName ? packageName : "(null)");
        return -1;
    }
    const std::string args = "-s " + serial + " uninstall " + option + packageName;
    return RunAdb(args.c_str());
}

int ExportAppImpl(const char* packageName, const char* outputPath) {
    LogWrite("ExportApp pkgname=%s,outfilename=%s\n", packageName ? packageName : "(null)",
             outputPath ? outputPath : "(null)");
    const std::string serial = UsableSerial();
    if (packageName == nullptr || *packageName == '\0' || outputPath == nullptr ||
        *outputPath == '\0' || serial.empty() || !IsSafeAdbText(packageName) ||
        std::strpbrk(packageName, " \t/") != nullptr || !IsQuotableAdbText(outputPath)) {
        LogWrite("ExportApp refused\n");
        return -1;
    }
    const std::string args =
        "-s " + serial + " pull /data/app/" + packageName + "-1.apk " + AdbPathArgument(outputPath);
    const int result = RunAdb(args.c_str());
    if (result != 0) {
        return result;
    }
    // adb's own failure (no such package file) shows only as a missing file.
    if (access(outputPath, F_OK) != 0) {
        LogWrite("ExportApp: %s did not arrive\n", outputPath);
        return -1;
    }
    return 0;
}

int GetAndroidDevicesInfoImpl(DeviceInfoRecord* info) {
    LogCallFunction("Tarvell_GetAndroidDevicesInfo");
    if (info == nullptr) {
        return -1;
    }
    std::memset(info, 0, sizeof *info);
    if (RescanUsbDevices() < 0) {
        return -1;
    }
    CopyRowTexts(info);
    info->battery = IntReply("getBattery;");
    char reply[kDetailReplySize + 1] = {};
    const int n = SendCommand("GetandroidTempinfo;", reply, kDetailReplySize, nullptr, 0);
    if (n > 0) {
        DecodeStorageFigures(reply, n, info);
    }
    return 0;
}

int GetAndroidDevicesInfo2Impl(DeviceInfoRecord* info) {
    LogCallFunction("Tarvell_GetAndroidDevicesInfo2");
    if (info == nullptr) {
        return -1;
    }
    std::memset(info, 0, sizeof *info);
    if (RescanUsbDevices() < 0) {
        return -1;
    }
    LogTracePoint("tarvellkit", 835);
    ReadDeviceProperties();
    CopyRowTexts(info);
    return 0;
}

int GetAndroidDevicesScreenCapImpl(const char* outputPath, int row) {
    AdbDeviceEntry entry{};
    if (row < 0 || row >= kDeviceTableRows || !DeviceTableRow(row, &entry)) {
        LogWrite("ScreenCap refused: no device row %d\n", row);
        return -1;
    }
    const std::string serial(entry.serial, strnlen(entry.serial, sizeof entry.serial));
    if (serial.empty() || !IsSafeAdbText(serial.c_str()) ||
        serial.find_first_of(" \t") != std::string::npos || outputPath == nullptr ||
        *outputPath == '\0' || !IsQuotableAdbText(outputPath)) {
        LogWrite("ScreenCap refused: path=%s\n", outputPath ? outputPath : "(null)");
        return -1;
    }
    const std::string shot =
        "-s " + serial + " shell /system/bin/screencap -p /sdcard/screenshot.png";
    RunAdb(shot.c_str());
    const std::string pull =
        "-s " + serial + " pull /sdcard/screenshot.png \"" + outputPath + "\" ";
    RunAdb(pull.c_str());
    return 0;
}

} // namespace

extern "C" {

int Tarvell_FlushDevicesApp(void) {
    return kitmedia::Guarded(0, [&] { return FlushDevicesAppImpl(); });
}

int Tarvell_GetAppCount(void) {
    return kitmedia::Guarded(0, [&] { return GetAppCountImpl(); });
}

int Tarvell_GetAppInfo(AppInfo* info, int position) {
    return kitmedia::Guarded(-1, [&] { return GetAppInfoImpl(info, position); });
}

int Tarvell_InstallAppToMemory(const char* packagePath, int mode) {
    return kitmedia::Guarded(-1, [&] { return InstallAppToMemoryImpl(packagePath, mode); });
}

int Tarvell_UnInstallApp(const char* packageName, int mode) {
    return kitmedia::Guarded(-1, [&] { return UnInstallAppImpl(packageName, mode); });
}

int Tarvell_RemoveCompanion(void) {
    return kitmedia::Guarded(-1, [&] { return UnInstallAppImpl(companion::kPackage, 1); });
}

int Tarvell_ExportApp(const char* packageName, const char* outputPath) {
    return kitmedia::Guarded(-1, [&] { return ExportAppImpl(packageName, outputPath); });
}

int Tarvell_GetAndroidDevicesInfo(DeviceInfoRecord* info) {
    return kitmedia::Guarded(-1, [&] { return GetAndroidDevicesInfoImpl(info); });
}

int Tarvell_GetAndroidDevicesInfo2(DeviceInfoRecord* info) {
    return kitmedia::Guarded(-1, [&] { return GetAndroidDevicesInfo2Impl(info); });
}

int Tarvell_GetAndroidDevicesScreenCap(const char* outputPath, int row) {
    return kitmedia::Guarded(-1, [&] { return GetAndroidDevicesScreenCapImpl(outputPath, row); });
}

} // extern "C"
