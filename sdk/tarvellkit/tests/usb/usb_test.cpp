// USB detection with devices faked by umockdev (run under umockdev-wrapper).
#include "../common/test_files.h"
#include "CheckUSBDevice.h"
#include "tarvellkit/tarvellkit.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 10000;

class UsbTest : public ::testing::Test {
protected:
    void SetUp() override {
        testbed_ = umockdev_testbed_new();
        ASSERT_NE(testbed_, nullptr);
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run the test under umockdev-wrapper";
    }
    void TearDown() override {
        for (gchar* path : devices_) {
            g_free(path);
        }
        g_object_unref(testbed_);
        UsbSetCount(0);
    }

    // A usb_device; serial "" leaves the attribute out.
    std::string AddPhone(const std::string& name, const char* vendor, const char* product,
                         const std::string& serial, bool adbInterface) {
        gchar* device = serial.empty()
                            ? umockdev_testbed_add_device(testbed_, "usb", name.c_str(), nullptr,
                                                          "idVendor", vendor, "idProduct", product,
                                                          nullptr, "DEVTYPE", "usb_device", nullptr)
                            : umockdev_testbed_add_device(testbed_, "usb", name.c_str(), nullptr,
                                                          "idVendor", vendor, "idProduct", product,
                                                          "serial", serial.c_str(), nullptr,
                                                          "DEVTYPE", "usb_device", nullptr);
        EXPECT_NE(device, nullptr);
        devices_.push_back(device);
        // Every phone has a storage interface; a phone with USB debugging on
        // also has the adb one.
        AddInterface(device, name + ":1.0", "08", "06", "50");
        if (adbInterface) {
            AddInterface(device, name + ":1.1", "ff", "42", "01");
        }
        return device;
    }

    void AddInterface(const gchar* parent, const std::string& name, const char* cls,
                      const char* subclass, const char* protocol) {
        gchar* path = umockdev_testbed_add_device(
            testbed_, "usb", name.c_str(), parent, "bInterfaceClass", cls, "bInterfaceSubClass",
            subclass, "bInterfaceProtocol", protocol, nullptr, "DEVTYPE", "usb_interface", nullptr);
        EXPECT_NE(path, nullptr);
        devices_.push_back(path);
    }

    std::string AddVolume(const std::string& name) {
        gchar* path = umockdev_testbed_add_device(testbed_, "block", name.c_str(), nullptr, nullptr,
                                                  "DEVTYPE", "disk", nullptr);
        EXPECT_NE(path, nullptr);
        devices_.push_back(path);
        return path;
    }

    static UsbDeviceEntry Row(int index) {
        UsbDeviceEntry row{};
        EXPECT_TRUE(UsbDeviceRow(index, &row)) << index;
        return row;
    }

    UMockdevTestbed* testbed_ = nullptr;
    std::vector<gchar*> devices_;
};

TEST_F(UsbTest, PhoneWithoutItsAdbInterfaceIsFoundWithDebuggingOff) {
    AddPhone("1-1", "04e8", "6860", "R32C801ABCD", false);
    EXPECT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    ASSERT_EQ(UsbDeviceCount(), 1);
    const UsbDeviceEntry row = Row(0);
    EXPECT_EQ(row.vendorId, 0x04E8);
    EXPECT_EQ(row.productId, 0x6860);
    EXPECT_STREQ(row.modelName, "Samsung Galaxy S3");
    EXPECT_EQ(row.debugFlag, -1);
    EXPECT_EQ(Tarvell_CheckOpenDebugType(), 2);
}

TEST_F(UsbTest, PhoneWithItsAdbInterfaceHasDebuggingOn) {
    AddPhone("1-2", "18d1", "4ee2", "0123456789ABCDEF", true);
    EXPECT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    const UsbDeviceEntry row = Row(0);
    EXPECT_STREQ(row.modelName, "Samsung Nexus S");
    EXPECT_EQ(row.debugFlag, 0);
    // Debugging is on: answered from the list, no adb needed.
    EXPECT_EQ(Tarvell_CheckEnableUSBDebug(), 0);
    EXPECT_EQ(Tarvell_CheckOpenDebugType(), 1);
}

TEST_F(UsbTest, PhoneWithoutSerialIsNamedByItsDevicePath) {
    AddPhone("3-4", "0bb4", "0c87", "", true);
    EXPECT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_STREQ(Row(0).modelName, "HTC Desire");
    EXPECT_EQ(Row(0).debugFlag, 0);
}

TEST_F(UsbTest, UnknownVendorsAndOtherDevicesAreNoPhones) {
    AddPhone("1-3", "2717", "ff48", "unknownvendor123", true); // not a known maker
    AddPhone("1-4", "046d", "c52b", "receiver", false);        // a mouse receiver
    EXPECT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 0);
    EXPECT_EQ(UsbDeviceCount(), 0);
    EXPECT_EQ(Tarvell_CheckOpenDebugType(), 1);
    EXPECT_EQ(Tarvell_CheckEnableUSBDebug(), 0);
}

TEST_F(UsbTest, ElevenPhonesFillTheTenRows) {
    for (int i = 0; i < 11; ++i) {
        char product[8];
        std::snprintf(product, sizeof product, "%04x", 0x6000 + i);
        AddPhone("2-" + std::to_string(i + 1), "04e8", product, "serial" + std::to_string(i),
                 i % 2 == 0);
    }
    EXPECT_EQ(Tarvell_CheckConnectDeviceToPC_Count(), 1);
    EXPECT_EQ(UsbDeviceCount(), 10);
    // A new scan starts from an empty list.
    EXPECT_EQ(RescanUsbDevices(), 10);
}

int ThreadsNamed(const std::string& name) {
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* e = tasks ? readdir(tasks) : nullptr) {
        std::ifstream comm(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string text;
        std::getline(comm, text);
        count += text == name ? 1 : 0;
    }
    if (tasks) {
        closedir(tasks);
    }
    return count;
}

using testfiles::LogText;

TEST_F(UsbTest, WatcherRescansWhenAVolumeComesOrGoes) {
    ASSERT_EQ(Tarvell_Init(), 0);
    ASSERT_EQ(Tarvell_Init(), 0);
    ASSERT_TRUE(WaitForUsbWatcherListening(kWaitMs));
    EXPECT_EQ(ThreadsNamed("tarvell-usb"), 1) << "one watcher thread however often Init runs";

    // The phone arrives together with its storage volume (adding a device
    // to the testbed sends its "add" event).
    const int before = UsbRescanCount();
    const std::string phone = AddPhone("1-6", "04e8", "6860", "R32C801ABCD", true);
    const std::string volume = AddVolume("sdb");
    ASSERT_TRUE(WaitForUsbRescanCount(before + 1, kWaitMs));
    EXPECT_EQ(UsbDeviceCount(), 1);
    EXPECT_EQ(Row(0).debugFlag, 0);

    // Unplugged: the USB device goes, then its volume.
    umockdev_testbed_uevent(testbed_, phone.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, phone.c_str());
    umockdev_testbed_uevent(testbed_, volume.c_str(), "remove");
    ASSERT_TRUE(WaitForUsbRescanCount(before + 2, kWaitMs));
    EXPECT_EQ(UsbDeviceCount(), 0);
    // Events are handled in order, each logged before its rescan.
    const std::string log = LogText();
    const size_t usbRemoved = log.find("USB Remove 1 \n");
    const size_t volumeRemoved = log.find("USB Remove\n");
    ASSERT_NE(usbRemoved, std::string::npos) << log;
    ASSERT_NE(volumeRemoved, std::string::npos) << log;
    EXPECT_LT(usbRemoved, volumeRemoved);
    EXPECT_EQ(UsbRescanCount(), before + 2) << "a rescan for anything but a volume";
}

} // namespace
