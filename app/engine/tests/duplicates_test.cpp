// Keys of the restore's duplicate check: a record of a backup and the same
// record as the phone lists it after the library carried it there have one
// key; records that differ in a compared field do not.
#include "duplicates.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <string>

namespace tarvell {
namespace {

char* C(std::string& s) {
    return s.data();
}

TEST(DuplicateKeys, MessagesMeetTheirCopyOnThePhone) {
    struct Case {
        const char* name;
        std::string address, date, direction, body;                // from the backup
        std::string phoneAddress, phoneDate, phoneType, phoneBody; // listed by the phone
        bool same;
    };
    const std::string a1022(1022, 'a');
    const std::string a1023(1023, 'a');
    const std::string x1100(1100, 'x');
    const Case cases[] = {
        {"sent", "555", "2024-01-02 03:04:05", "0", "hi", "555", "2024-01-02 03:04:05", "2", "hi",
         true},
        {"received", "555", "2024-01-02 03:04:05", "1", "hi", "555", "2024-01-02 03:04:05", "1",
         "hi", true},
        {"sent is not received", "555", "2024-01-02 03:04:05", "0", "hi", "555",
         "2024-01-02 03:04:05", "1", "hi", false},
        {"other separators, same moment", "555", "2024/01/02 03.04.05", "1", "hi", "555",
         "2024-01-02 03:04:05", "1", "hi", true},
        {"one second later", "555", "2024-01-02 03:04:05", "1", "hi", "555", "2024-01-02 03:04:06",
         "1", "hi", false},
        {"dates that are no dates stay texts", "555", "1700000000000", "1", "hi", "555",
         "1700100000000", "1", "hi", false},
        {"other address", "555", "2024-01-02 03:04:05", "1", "hi", "556", "2024-01-02 03:04:05",
         "1", "hi", false},
        {"other body", "555", "", "1", "hi", "555", "", "1", "ho", false},
        {"long body read back cut", "555", "", "1", x1100, "555", "", "1", x1100.substr(0, 1023),
         true},
        // Sent cut before the character that does not fit whole, read back at
        // 1023 bytes wherever that falls.
        {"character over the send cut", "555", "", "1", a1023 + "\xC3\xA9", "555", "", "1", a1023,
         true},
        {"character over the read cut", "555", "", "1", a1022 + "\xC3\xA9" + "b", "555", "", "1",
         a1022 + "\xC3", true},
    };
    for (Case c : cases) {
        SmsRecord backup{};
        backup.address = C(c.address);
        backup.date = c.date.empty() ? nullptr : C(c.date);
        backup.type = C(c.direction);
        backup.body = C(c.body);
        SmsRecord phone{};
        phone.address = C(c.phoneAddress);
        phone.date = c.phoneDate.empty() ? nullptr : C(c.phoneDate);
        phone.type = C(c.phoneType);
        phone.body = C(c.phoneBody);
        EXPECT_EQ(MessageKeyToWrite(backup) == MessageKeyOnPhone(phone), c.same) << c.name;
    }
}

TEST(DuplicateKeys, CallsAndContactsMeetTheirCopyOnThePhone) {
    struct CallCase {
        const char* name;
        std::string number, date, type, duration, phoneNumber, phoneDate, phoneType, phoneDuration;
        bool same;
    };
    const CallCase calls[] = {
        {"same", "555", "2024-01-02 03:04:05", "2", "30", "555", "2024-01-02 03:04:05", "2", "30",
         true},
        {"types above 4 read back as 4", "555", "2024-01-02 03:04:05", "7", "30", "555",
         "2024-01-02 03:04:05", "4", "30", true},
        {"other duration", "555", "2024-01-02 03:04:05", "2", "30", "555", "2024-01-02 03:04:05",
         "2", "31", false},
        {"other type", "555", "2024-01-02 03:04:05", "1", "30", "555", "2024-01-02 03:04:05", "2",
         "30", false},
        {"other day", "555", "2024-01-02 03:04:05", "2", "30", "555", "2024-01-03 03:04:05", "2",
         "30", false},
    };
    for (CallCase c : calls) {
        CallLogRecord backup{};
        backup.number = C(c.number);
        backup.date = C(c.date);
        backup.type = C(c.type);
        backup.duration = C(c.duration);
        CallLogRecord phone{};
        phone.number = C(c.phoneNumber);
        phone.date = C(c.phoneDate);
        phone.type = C(c.phoneType);
        phone.duration = C(c.phoneDuration);
        EXPECT_EQ(CallKey(backup) == CallKey(phone), c.same) << c.name;
    }

    struct ContactCase {
        const char* name;
        std::string first, last, mobile, home, work; // from the backup
        std::string phoneName, phoneMobile, phoneHome, phoneFax;
        bool same;
    };
    const std::string long600(600, 'n');
    const ContactCase contacts[] = {
        {"names joined without a blank", "Ann", "Lee", "1", "", "", "AnnLee", "1", "", "", true},
        {"numbers as a set", "Ann", "", "1", "2", "1", "Ann", "2", "1", "", true},
        {"a number in another field", "Ann", "", "1", "", "", "Ann", "", "", "1", true},
        {"a lone quote is no number", "Ann", "", "1", "\"", "", "Ann", "1", "", "", true},
        {"one number more", "Ann", "", "1", "2", "", "Ann", "1", "", "", false},
        {"other name", "Ann", "", "1", "", "", "Anne", "1", "", "", false},
        {"names cut at 511 bytes", long600, "Lee", "", "", "", long600.substr(0, 511), "", "", "",
         true},
    };
    const auto text = [](std::string& s) { return s.empty() ? nullptr : s.data(); };
    for (ContactCase c : contacts) {
        ContactRecord backup{};
        backup.name = text(c.first);
        backup.lastName = text(c.last);
        backup.mobilePhone = text(c.mobile);
        backup.homePhone = text(c.home);
        backup.workPhone = text(c.work);
        ContactRecord phone{};
        phone.name = text(c.phoneName);
        phone.mobilePhone = text(c.phoneMobile);
        phone.homePhone = text(c.phoneHome);
        phone.homeFax = text(c.phoneFax);
        EXPECT_EQ(ContactKey(backup) == ContactKey(phone), c.same) << c.name;
    }
}

TEST(DuplicateKeys, TheTallyLeavesOutOnlyAsManyCopiesAsThePhoneHolds) {
    RecordTally tally;
    tally.addHeld("m");
    tally.startFolder();
    // The folder holds "m" three times: one is on the phone, two are written.
    EXPECT_TRUE(tally.matchHeld("m"));
    EXPECT_FALSE(tally.matchHeld("m"));
    tally.written("m");
    EXPECT_FALSE(tally.matchHeld("m"));
    tally.written("m");
    // A second folder with "m" twice finds two of the three copies.
    tally.startFolder();
    EXPECT_TRUE(tally.matchHeld("m"));
    EXPECT_TRUE(tally.matchHeld("m"));
    EXPECT_EQ(tally.heldCount(), 3);
    // A write the phone refused leaves nothing to find.
    tally.startFolder();
    EXPECT_FALSE(tally.matchHeld("n"));
    EXPECT_FALSE(tally.matchHeld("n"));
}

} // namespace
} // namespace tarvell
