// USB device identifiers to the USB list: known models, the adb-interface
// flag, malformed identifiers.
#include "CheckUSBDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    int vendorId;
    int productId;
    std::string model;
    int flag;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << std::hex << r.vendorId << ":" << r.productId << " " << r.model << " " << std::dec
              << r.flag;
}

std::vector<Row> Record(const std::vector<std::string>& identifiers) {
    UsbSetCount(0);
    for (const std::string& id : identifiers) {
        RecordUsbDevice(id.c_str());
    }
    std::vector<Row> rows;
    for (int i = 0; i < UsbDeviceCount(); ++i) {
        UsbDeviceEntry e{};
        EXPECT_TRUE(UsbDeviceRow(i, &e));
        rows.push_back({e.vendorId, e.productId, e.modelName, e.debugFlag});
    }
    return rows;
}

struct Case {
    const char* name;
    std::vector<std::string> identifiers;
    std::vector<Row> rows;
};

TEST(RecordUsbDevice, IdentifiersBecomeRows) {
    const std::string s3 = "USB\\VID_04E8&PID_6860\\R32C801ABCD";
    const std::string s3Adb = "USB\\VID_04E8&PID_6860&ADB\\R32C801ABCD";
    const Case cases[] = {
        {"known model", {s3}, {{0x04E8, 0x6860, "Samsung Galaxy S3", -1}}},
        {"adb interface after the device", {s3, s3Adb}, {{0x04E8, 0x6860, "Samsung Galaxy S3", 0}}},
        {"adb interface first", {s3Adb, s3}, {{0x04E8, 0x6860, "Samsung Galaxy S3", 0}}},
        {"lowercase hex",
         {"USB\\VID_04e8&PID_6860\\x123"},
         {{0x04E8, 0x6860, "Samsung Galaxy S3", -1}}},
        {"unlisted Samsung product",
         {"USB\\VID_04E8&PID_1234\\serial"},
         {{0x04E8, 0x1234, "Samsung Epic 4G", -1}}},
        {"unlisted 0BB4 product",
         {"USB\\VID_0BB4&PID_0001\\serial"},
         {{0x0BB4, 0x0001, "Nexus One", -1}}},
        {"unlisted 18D1 product",
         {"USB\\VID_18D1&PID_4EE2\\serial"},
         {{0x18D1, 0x4EE2, "Samsung Nexus S", -1}}},
        {"duplicate product listed twice: last row",
         {"USB\\VID_0BB4&PID_4E11\\a123"},
         {{0x0BB4, 0x4E11, "Nexus One", -1}}},
        {"unknown vendor", {"USB\\VID_2717&PID_FF48\\serial"}, {}},
        {"vendor 0000 is no phone", {"USB\\VID_0000&PID_0000\\serial"}, {}},
        {"exactly 21 characters", {"USB\\VID_04E8&PID_6860"}, {}},
        {"24 characters", {"USB\\VID_04E8&PID_6860\\ab"}, {}},
        {"25 characters",
         {"USB\\VID_04E8&PID_6860\\abc"},
         {{0x04E8, 0x6860, "Samsung Galaxy S3", -1}}},
        {"not USB", {"PCI\\VID_04E8&PID_6860\\serial"}, {}},
        {"wrong markers", {"USB\\VEN_04E8&DEV_6860\\serial"}, {}},
        {"not hex digits",
         {"USB\\VID_04G8&PID_6860\\serial", "USB\\VID_04E8&PID_68 0\\serial"},
         {}},
        {"empty and garbage",
         {"", "USB", std::string(300, '\\'), std::string("USB\\VID_\0\0", 10)},
         {}},
        {"same product, other serial: one row",
         {"USB\\VID_04E8&PID_6860\\one", "USB\\VID_04E8&PID_6860\\two"},
         {{0x04E8, 0x6860, "Samsung Galaxy S3", -1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Record(c.identifiers), c.rows) << c.name;
    }
}

TEST(RecordUsbDevice, ElevenPhonesFillTenRows) {
    std::vector<std::string> ids;
    for (int i = 0; i < 11; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "USB\\VID_04E8&PID_%04X\\serial%d", 0x7000 + i, i);
        ids.push_back(id);
    }
    const auto rows = Record(ids);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.back().productId, 0x7009);
    RecordUsbDevice(nullptr);
    EXPECT_EQ(UsbDeviceCount(), 10);
    UsbSetCount(0);
}

} // namespace
