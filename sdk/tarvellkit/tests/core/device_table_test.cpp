// The "adb devices" listing parser and the table it fills.
#include "device_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>; // serial, state

Rows TableRows() {
    Rows rows;
    const int count = DeviceTableRowCount();
    for (int i = 0; i < count; ++i) {
        AdbDeviceEntry row{};
        EXPECT_TRUE(DeviceTableRow(i, &row));
        rows.emplace_back(row.serial, row.state);
    }
    return rows;
}

std::string Phones(int count) {
    std::string text = "List of devices attached\n";
    for (int i = 1; i <= count; ++i) {
        text += "SER" + std::to_string(i) + "\tdevice\n";
    }
    return text;
}

Rows PhoneRows(int count) {
    Rows rows;
    for (int i = 1; i <= count; ++i) {
        rows.emplace_back("SER" + std::to_string(i), "device");
    }
    return rows;
}

struct ParseCase {
    const char* name;
    std::string text;
    Rows rows;
};

TEST(ParseAdbDevices, ListingsGiveTheirRows) {
    const std::string longSerial(100, 'S');
    const ParseCase cases[] = {
        {"two phones",
         "List of devices attached\nSER1\tdevice\nSER2\tdevice\n",
         {{"SER1", "device"}, {"SER2", "device"}}},
        {"heading with a blank", "List of devices attached \nSER1\tdevice\n", {{"SER1", "device"}}},
        {"unauthorized first",
         "List of devices attached\nSER1\tunauthorized\nSER2\tdevice\n",
         {{"SER1", "unauthorized"}, {"SER2", "device"}}},
        {"crlf line ends",
         "List of devices attached\r\nSER1\tdevice\r\n\r\n",
         {{"SER1", "device"}}},
        {"heading and empty line", "List of devices attached\n\n", {}},
        {"no final line feed", "List of devices attached\nSER1\tdevice", {}},
        {"last line without line feed",
         "List of devices attached\nSER1\tdevice\nSER2\tdevice",
         {{"SER1", "device"}}},
        {"short and tabless lines skipped",
         "List of devices attached\na\tb\nabcd\nno tab here\nSER1\tdevice\n",
         {{"SER1", "device"}}},
        {"empty serial skipped",
         "List of devices attached\n\tdevice\nSER1\tdevice\n",
         {{"SER1", "device"}}},
        {"serial with blanks",
         "List of devices attached\nmy phone 1\tdevice\n",
         {{"my phone 1", "device"}}},
        {"long fields cut at 63",
         "List of devices attached\n" + longSerial + "\t" + std::string(80, 'x') + "\n",
         {{std::string(63, 'S'), std::string(63, 'x')}}},
        {"eleven phones", Phones(11), PhoneRows(10)},
        {"banners before the heading",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"
         "List of devices attached\nSER1\tdevice\n",
         {{"SER1", "device"}}},
        {"no heading", "SER1\tdevice\n", {}},
        {"heading not at a line start", "xList of devices attached\nSER1\tdevice\n", {}},
        {"heading only, unterminated", "List of devices attached", {}},
        {"empty", "", {}},
        {"offline state",
         "List of devices attached\nemulator-5554\toffline\n",
         {{"emulator-5554", "offline"}}},
    };
    for (const auto& c : cases) {
        ParseAdbDevices(c.text.c_str());
        EXPECT_EQ(TableRows(), c.rows) << c.name;
    }
}

TEST(ParseAdbDevices, NewListingReplacesTheOldOneCompletely) {
    ParseAdbDevices("List of devices attached\nSER1\tdevice\nSER2\tdevice\n");
    ParseAdbDevices("List of devices attached\nX\t\n");
    // "X\t" is 2 characters: skipped; the old rows are gone, not shown through.
    EXPECT_EQ(DeviceTableRowCount(), 0);
    AdbDeviceEntry row{};
    EXPECT_FALSE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.serial, "");
    EXPECT_EQ(SelectedSerial(), "");
    ParseAdbDevices(nullptr);
    EXPECT_EQ(DeviceTableRowCount(), 0);
}

// Arbitrary bytes are the fuzz target fuzz_adb_devices (its replay runs in
// every build): the table never overflows and every field stays terminated.

TEST(DeviceTable, RowCountResetKeepsThePhoneUntilTheNextListing) {
    ParseAdbDevices(Phones(3).c_str());
    EXPECT_EQ(SelectedSerial(), "SER1");
    AdbDeviceEntry row{};
    EXPECT_FALSE(DeviceTableRow(3, &row));
    EXPECT_FALSE(DeviceTableRow(-1, &row));
    // The USB poll resets the count to force a fresh listing; commands issued
    // meanwhile still address the phone that was listed.
    DeviceTableSetRowCount(0);
    EXPECT_EQ(DeviceTableRowCount(), 0);
    EXPECT_EQ(SelectedSerial(), "SER1");
    EXPECT_TRUE(DeviceTableRow(0, &row));
    EXPECT_STREQ(row.serial, "SER1");
    EXPECT_FALSE(DeviceTableRow(0, nullptr));
    DeviceTableSetRowCount(99); // clamped to the table
    EXPECT_EQ(DeviceTableRowCount(), kDeviceTableRows);
    DeviceTableSetRowCount(0);
}

} // namespace
