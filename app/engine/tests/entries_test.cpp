// Value mappings, text formats, the name rule, head images and entry readers.
#include "entries.h"
#include "testsupport.h"
#include "valuetext.h"

#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

std::string S(const QByteArray& bytes) {
    return bytes.toStdString();
}
std::string S(const char* text) {
    return text == nullptr ? "<null>" : text;
}

TEST(ValueMappings, PhoneValuesToStoredFlagsAndBack) {
    // The value is read as the phone's message type by MessageFlags and
    // MessageRead, and as a stored value by DirectionFromFlags and ReadFromStored.
    struct Case {
        const char* in;
        const char* flags;
        const char* read;
        const char* direction;
        const char* readBack;
    };
    const Case cases[] = {
        {"2", "1", "2", "1", "0"},
        {"1", "2", "1", "0", "1"},
        {"4", "4", "2", "1", "0"},
        {"0", "0", "2", "1", "0"},
        {"12", "12", "2", "1", "0"},
        {"", "", "2", "<null>", "<null>"},
        {nullptr, "", "", "<null>", "<null>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(S(c.in));
        EXPECT_EQ(S(MessageFlags(c.in)), c.flags);
        EXPECT_EQ(S(MessageRead(c.in)), c.read);
        EXPECT_EQ(S(DirectionFromFlags(c.in)), c.direction);
        EXPECT_EQ(S(ReadFromStored(c.in)), c.readBack);
    }
}

TEST(ValueText, DateTextInLocalTime) {
    // The test runs with TZ=UTC.
    struct Case {
        int64_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "1970-01-01  00:00:00"},
        {1700000000, "2023-11-14  22:13:20"},
        {-1, "1969-12-31  23:59:59"},
        {951782400, "2000-02-29  00:00:00"},
        {253402300799, "9999-12-31  23:59:59"},
        {INT64_C(1) << 62, ""},
        {INT64_MIN, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S(DateText(c.seconds)), c.text) << c.seconds;
    }
}

TEST(ValueText, DurationHoursAreNotWrapped) {
    struct Case {
        int64_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"},
        {60, "00:01:00"},    {3599, "00:59:59"},
        {3725, "01:02:05"},  {86399, "23:59:59"},
        {90000, "25:00:00"}, {360000, "100:00:00"},
        {-5, "00:00:00"},    {INT64_C(36000000000), "10000000:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S(DurationText(c.seconds)), c.text) << c.seconds;
    }
}

TEST(ValueText, FixedFieldsAndLineEnds) {
    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(S(FixedText(unterminated)), "abcd");
    EXPECT_EQ(S(CutAtLineEnd("Pixel 7\r\n")), "Pixel 7");
    EXPECT_EQ(S(CutAtLineEnd("a\nb\rc")), "a");
    EXPECT_EQ(S(CutAtLineEnd("\nx")), "");
    EXPECT_EQ(S(CutAtLineEnd("plain")), "plain");
}

struct NameCase {
    std::vector<const char*> names;
    const char* lent;
};

TEST(NameRule, FirstMessageBorrowsTheFirstLaterName) {
    const NameCase cases[] = {
        {{nullptr, "", "Carl", "Dee"}, "Carl"},
        {{"", nullptr, "Dee"}, "Dee"},
        {{"Anna", "Carl"}, nullptr},
        {{nullptr, nullptr, ""}, nullptr},
        {{""}, nullptr},
        {{}, nullptr},
    };
    for (const NameCase& c : cases) {
        test::TextPool t;
        std::vector<SmsRecord> records(c.names.size());
        std::vector<const SmsRecord*> group;
        for (size_t i = 0; i < records.size(); ++i) {
            records[i].personName = t(c.names[i]);
            group.push_back(&records[i]);
        }
        EXPECT_EQ(S(LentName(group)), S(c.lent));
    }
}

class HeadImages : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        m_Images = m_Dir.path() + "/images/";
        for (const char* name :
             {"1.jpg", "0.jpg", "1234567890123456789.jpg", "12345678901234567890.jpg"}) {
            ASSERT_TRUE(test::WriteAll(m_Images + name, "x"));
        }
        ASSERT_TRUE(test::WriteAll(m_Dir.path() + "/secret.jpg", "x"));
    }
    QTemporaryDir m_Dir;
    QString m_Images;
};

TEST_F(HeadImages, NamedOnlyWhenTheFileIsInTheImagesFolder) {
    struct Case {
        const char* id;
        const char* message;
        const char* contact;
    };
    const Case cases[] = {
        {"1", "1.jpg", "1.jpg"},
        {"2", "", ""},
        {"1234567890123456789", "1234567890123456789.jpg", "1234567890123456789.jpg"},
        // Message ids longer than 19 characters are not looked up.
        {"12345678901234567890", "", "12345678901234567890.jpg"},
        {"", "", ""},
        {nullptr, "", ""},
        {"../secret", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S(MessageHeadImage(c.id, m_Images)), c.message) << S(c.id);
        EXPECT_EQ(S(ContactHeadImage(c.id, m_Images)), c.contact) << S(c.id);
    }
    EXPECT_EQ(S(CallLogHeadImage(0, m_Images)), "0.jpg");
    EXPECT_EQ(S(CallLogHeadImage(3, m_Images)), "");
}

// Entry readers on entries written by hand: missing keys, wrong types, keys in
// other letter cases.
JsonPtr Parse(const char* json) {
    return JsonPtr(cJSON_Parse(json));
}

TEST(EntryReaders, HandWrittenEntriesReadSafely) {
    // Missing keys, wrong types and keys in other letter cases.
    const JsonPtr entry = Parse(R"({"SessionID": 5, "FirstName": "", "lastname": "Ek",
        "MobileNumber": null, "Note": ["x"], "Email": {"a": "b"}, "Organzation": "Acme"})");
    ASSERT_TRUE(entry);
    const ContactRecord c = ReadContact(entry.get());
    for (char* ContactRecord::*absent :
         {&ContactRecord::contactId, &ContactRecord::name, &ContactRecord::mobilePhone,
          &ContactRecord::note, &ContactRecord::homeEmail, &ContactRecord::reserved}) {
        EXPECT_EQ(c.*absent, nullptr);
    }
    EXPECT_EQ(S(c.lastName), "Ek");
    EXPECT_EQ(S(c.organization), "Acme");
    // Entries that are not objects give empty records and no file.
    for (const char* json : {R"("text")", "17", "[1,2]", "null", "true"}) {
        const JsonPtr other = Parse(json);
        ASSERT_TRUE(other) << json;
        EXPECT_EQ(ReadMessage(other.get()).id, nullptr);
        EXPECT_EQ(ReadCallLog(other.get()).number, nullptr);
        EXPECT_FALSE(ReadMediaEntry(other.get(), "/b", "Musics").has_value());
        EXPECT_FALSE(ReadAppEntry(other.get(), "/b").has_value());
    }
    EXPECT_EQ(ReadContact(nullptr).contactId, nullptr);
}

TEST(EntryReaders, FilenamesGiveLocalPathAndPhoneNameInsideTheirFolder) {
    struct Case {
        bool app;
        const char* filename;
        bool restored;
        const char* phoneName;
    };
    const Case cases[] = {
        {false, "12-song.mp3", true, "song.mp3"},
        {false, "12-my-song.mp3", true, "my-song.mp3"},
        {false, "-x", true, "x"},
        {false, "12-", true, ""},
        {false, "song.mp3", false, nullptr},
        {false, "12-../../etc/passwd", false, nullptr},
        {true, "com.a-1.apk", true, nullptr},
        {true, "plain.apk", true, nullptr}, // packages need no dash
        {true, "../x.apk", false, nullptr},
    };
    for (const Case& c : cases) {
        JsonPtr entry(cJSON_CreateObject());
        // The key is found in either letter case.
        cJSON_AddItemToObject(entry.get(), c.app ? "filename" : "Filename",
                              cJSON_CreateString(c.filename));
        const auto file = c.app ? ReadAppEntry(entry.get(), "/backup")
                                : ReadMediaEntry(entry.get(), "/backup", "Musics");
        ASSERT_EQ(file.has_value(), c.restored) << c.filename;
        if (file) {
            EXPECT_EQ(file->localPath,
                      QString(c.app ? "/backup/Apps/" : "/backup/Musics/") + c.filename);
            if (!c.app) {
                EXPECT_EQ(file->phoneName, QString::fromUtf8(c.phoneName));
            }
        }
    }
}

TEST(EntryWalk, VersionIsSkippedAndWalksStopOnRequest) {
    const JsonPtr root = Parse(R"({"Version": {"Current": "1.0.0"},
        "Group_1": {"1": {}, "2": {}}, "Group_2": "not a group", "Group_3": {"1": {}},
        "Group_4": {}})");
    ASSERT_TRUE(root);
    std::vector<bool> starts;
    ForEachGroupedEntry(root.get(), [&](const cJSON*, bool newGroup) {
        starts.push_back(newGroup);
        return true;
    });
    EXPECT_EQ(starts, std::vector<bool>({true, false, true}));
    int seen = 0;
    ForEachEntry(root.get(), [&](const cJSON*) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

} // namespace
} // namespace tarvell
