// Word mappings, CSV quoting, skip and stop rules of the prints.
#include "prints.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

// An RFC 4180 reader: rows of fields. Fails the test on malformed input.
std::vector<std::vector<QByteArray>> ParseCsv(const QByteArray& text) {
    std::vector<std::vector<QByteArray>> rows;
    std::vector<QByteArray> row;
    QByteArray field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                    const char next = i + 1 < text.size() ? text[i + 1] : '\n';
                    EXPECT_TRUE(next == ',' || next == '\n') << "text after closing quote";
                }
            } else {
                field += c;
            }
        } else if (c == '"') {
            EXPECT_FALSE(fieldStarted) << "quote inside an unquoted field";
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted field";
    EXPECT_TRUE(row.empty() && field.isEmpty()) << "last row without line end";
    return rows;
}

TEST(PrintWords, DirectionAndCallWords) {
    struct Case {
        const char* type;
        const char* direction;
        const char* call;
    };
    const Case cases[] = {
        {"1", "From", "Call In"}, {"2", "To", "Call Out"}, {"3", "From", "Unknown"},
        {"4", "From", ""},        {"5", "From", ""},       {"", "From", ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type ? c.type : "<null>");
        EXPECT_STREQ(DirectionWord(c.type), c.direction);
        EXPECT_STREQ(CallWord(c.type), c.call);
    }
}

class Prints : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Dir.isValid()); }
    QByteArray read(const char* rel) const { return test::ReadAll(m_Dir.path() + "/" + rel); }
    QTemporaryDir m_Dir;
    test::TextPool t;
};

// All six prints into folder b; false when one failed.
bool PrintAll(SmsRecord* sms, ContactRecord* contacts, CallLogRecord* calls, const QString& b,
              AbortFlag* abort) {
    return PrintMessagesCsv(sms, b, abort) && PrintMessagesTxt(sms, b) &&
           PrintContactsCsv(contacts, b, abort) && PrintContactsTxt(contacts, b, abort) &&
           PrintCallsCsv(calls, b) && PrintCallsTxt(calls, b);
}

const char* const kHostileValues[] = {"",
                                      "plain",
                                      "comma, inside",
                                      "quote \" inside",
                                      "\"\"",
                                      "line\nbreak",
                                      "crlf\r\nend",
                                      "\xE4\xBD\xA0\xE5\xA5\xBD",
                                      "trailing quote\"",
                                      ",\",\n"};

TEST_F(Prints, EveryCsvIsValidAndItsRowsMatchTheHeader) {
    std::vector<SmsRecord> sms;
    std::vector<ContactRecord> contacts;
    std::vector<CallLogRecord> calls;
    for (const char* v : kHostileValues) {
        SmsRecord m{};
        m.personName = t(v);
        m.address = t(v);
        m.date = t(v);
        m.body = t(v);
        m.type = t("2");
        sms.push_back(m);
        ContactRecord c{};
        for (char* ContactRecord::*f :
             {&ContactRecord::name, &ContactRecord::lastName, &ContactRecord::note,
              &ContactRecord::homeAddress, &ContactRecord::workEmail, &ContactRecord::birthday}) {
            c.*f = t(v);
        }
        contacts.push_back(c);
        CallLogRecord call{};
        call.name = t(v);
        call.number = t(v);
        call.duration = t(v);
        call.type = t("1");
        calls.push_back(call);
    }
    ASSERT_TRUE(
        PrintAll(test::Link(sms), test::Link(contacts), test::Link(calls), m_Dir.path(), nullptr));

    struct File {
        const char* path;
        size_t columns;
        int valueColumn; // a column that holds the hostile value
    };
    const File files[] = {{"SMS/SMS.csv", 5, 4},
                          {"Contacts/Contacts.csv", 16, 7},
                          {"CallHistory/CallHistory.csv", 5, 1}};
    for (const File& f : files) {
        const auto rows = ParseCsv(read(f.path));
        ASSERT_EQ(rows.size(), std::size(kHostileValues) + 1) << f.path;
        for (const auto& row : rows) {
            EXPECT_EQ(row.size(), f.columns) << f.path;
        }
        for (size_t i = 0; i < std::size(kHostileValues); ++i) {
            EXPECT_EQ(rows[i + 1][size_t(f.valueColumn)], QByteArray(kHostileValues[i])) << f.path;
        }
    }
    // Name and last name run together in the first contact column.
    const auto contactRows = ParseCsv(read("Contacts/Contacts.csv"));
    EXPECT_EQ(contactRows[3][0], QByteArray("comma, insidecomma, inside"));
}

TEST_F(Prints, MessagesWithoutAddressOrTypeAreLeftOut) {
    std::vector<SmsRecord> sms(4);
    sms[0].address = t("1");
    sms[0].type = t("1");
    sms[1].address = t("2");
    sms[2].type = t("2");
    sms[3].address = t("4");
    sms[3].type = t("9");
    sms[3].personName = t("");
    ASSERT_TRUE(PrintMessagesTxt(test::Link(sms), m_Dir.path()));
    EXPECT_EQ(read("SMS/SMS.txt"), "From:1\nDate:\nContent:\n\nFrom:4\nDate:\nContent:\n\n");
    ASSERT_TRUE(PrintMessagesCsv(&sms[0], m_Dir.path(), nullptr));
    EXPECT_EQ(ParseCsv(read("SMS/SMS.csv")).size(), 3u);
}

TEST_F(Prints, StopRulesFollowTheAbortFlag) {
    std::vector<SmsRecord> sms(2);
    std::vector<ContactRecord> contacts(2);
    std::vector<CallLogRecord> calls(2);
    for (int i = 0; i < 2; ++i) {
        sms[i].address = t("1");
        sms[i].type = t("1");
        contacts[i].name = t("N");
        calls[i].number = t("1");
    }
    AbortFlag abort{true};
    ASSERT_TRUE(
        PrintAll(test::Link(sms), test::Link(contacts), test::Link(calls), m_Dir.path(), &abort));
    // Stopped prints are complete files holding what was written (here: the
    // header only); the others ran to the end.
    EXPECT_EQ(read("SMS/SMS.csv"), kMessagesCsvHeader);
    EXPECT_EQ(read("Contacts/Contacts.csv"), kContactsCsvHeader);
    EXPECT_EQ(read("Contacts/Contacts.txt"), "");
    EXPECT_EQ(read("SMS/SMS.txt").count("From:"), 2);
    EXPECT_EQ(ParseCsv(read("CallHistory/CallHistory.csv")).size(), 3u);
    EXPECT_EQ(read("CallHistory/CallHistory.txt").count("Date:"), 2);
}

TEST_F(Prints, EmptyListsStillCreateTheFilesUnlessTheFolderIsUnwritable) {
    ASSERT_TRUE(PrintAll(nullptr, nullptr, nullptr, m_Dir.path(), nullptr));
    for (const char* kind : {"SMS/SMS", "Contacts/Contacts", "CallHistory/CallHistory"}) {
        EXPECT_TRUE(QFile::exists(m_Dir.path() + "/" + kind + ".txt")) << kind;
        EXPECT_EQ(read((QByteArray(kind) + ".txt").constData()), "") << kind;
        EXPECT_EQ(ParseCsv(read((QByteArray(kind) + ".csv").constData())).size(), 1u) << kind;
    }
    QTemporaryDir other;
    ASSERT_TRUE(test::WriteAll(other.path() + "/SMS", "a file where the folder should be"));
    EXPECT_FALSE(PrintMessagesCsv(nullptr, other.path(), nullptr));
    EXPECT_FALSE(PrintMessagesTxt(nullptr, other.path()));
}

} // namespace
} // namespace tarvell
