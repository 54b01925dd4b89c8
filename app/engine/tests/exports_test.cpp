// Standard exports: the vCard and XML files parse with standard parsers
// (python3-vobject, xml.etree), hold the backup's values, survive hostile
// text, and leave the .js files and prints alone.
#include "backupfolder.h"
#include "exports.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <ctime>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

// What the standard parser read, or an error text.
struct Parsed {
    QJsonDocument doc;
    QString error;
};
Parsed ParseExport(const char* kind, const QString& path) {
    QProcess p;
    p.start(TARVELL_PYTHON3, {TARVELL_EXPORT_PARSER, kind, path});
    if (!p.waitForFinished(120000)) {
        return {{}, "the parser did not finish"};
    }
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitCode() != 0) {
        return {{}, QString::fromUtf8(p.readAllStandardError())};
    }
    return {QJsonDocument::fromJson(out), QString()};
}

// A backup folder holding the engine tests' fixed phone (golden .js files).
class ExportFolder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        for (const char* name : {"Contacts.js", "SMS.js", "CallHistory.js"}) {
            m_Js[name] = test::ReadAll(QStringLiteral(TARVELL_ENGINE_GOLDEN_DIR "/") + name);
            ASSERT_FALSE(m_Js[name].isEmpty()) << name;
            ASSERT_TRUE(test::WriteAll(path("Datajs/") + name, m_Js[name]));
        }
        ASSERT_TRUE(test::WriteAll(path("SMS/SMS.txt"), "print"));
    }
    QString path(const QString& rel) const { return m_Dir.path() + "/" + rel; }
    QTemporaryDir m_Dir;
    std::map<std::string, QByteArray> m_Js;
};

QString Value(const QJsonObject& card, const char* property, int index = 0) {
    return card.value(property).toArray().at(index).toObject().value("value").toString();
}
QStringList Types(const QJsonObject& card, const char* property, int index = 0) {
    QStringList types;
    for (const QJsonValue& t :
         card.value(property).toArray().at(index).toObject().value("types").toArray()) {
        types << t.toString();
    }
    return types;
}

TEST_F(ExportFolder, ExportsOfTheFixedPhoneParseAndHoldItsValues) {
    // A contact without a last name is stored with a trailing blank; the
    // export names the contact without it, and a blank alone as unknown.
    QByteArray& stored = m_Js["SMS.js"];
    stored.replace("\"Name\":\t\"Carl\",", "\"Name\":\t\"Carl \",");
    stored.replace("\"Name\":\t\"\",", "\"Name\":\t\" \",");
    ASSERT_TRUE(test::WriteAll(path("Datajs/SMS.js"), stored));
    const ExportResult result = WriteStandardExports(m_Dir.path());
    EXPECT_TRUE(result.problems.isEmpty()) << qPrintable(result.problems.join("\n"));
    EXPECT_EQ(result.written, QStringList({kContactsVcfFile, kSmsXmlFile, kCallsXmlFile}));
    // Nothing else changed.
    for (const auto& [name, bytes] : m_Js) {
        EXPECT_EQ(test::ReadAll(path("Datajs/") + name.c_str()), bytes) << name;
    }
    EXPECT_EQ(test::ReadAll(path("SMS/SMS.txt")), "print");

    const Parsed vcf = ParseExport("vcf", path(kContactsVcfFile));
    ASSERT_TRUE(vcf.error.isEmpty()) << qPrintable(vcf.error);
    const QJsonArray cards = vcf.doc.array();
    ASSERT_EQ(cards.size(), 4);
    const QJsonObject anna = cards[0].toObject();
    EXPECT_EQ(Value(anna, "FN"), "Anna");
    EXPECT_EQ(Value(anna, "TEL"), "+44 20 7946 0000");
    EXPECT_EQ(Types(anna, "TEL"), QStringList({"CELL"}));
    EXPECT_EQ(Value(anna, "NOTE"), "Met at \"the\" fair, 2019");
    EXPECT_EQ(Value(anna, "ADR"), "1 Long Road\nLeeds");
    const QJsonObject bo = cards[1].toObject();
    EXPECT_EQ(Value(bo, "FN"), "Bo Ek");
    EXPECT_EQ(bo.value("N").toArray()[0].toObject().value("value").toArray(),
              QJsonArray({"Ek", "Bo"}));
    EXPECT_EQ(bo.value("ORG").toArray()[0].toObject().value("value").toArray(),
              QJsonArray({"Acme", "R&D"}));
    EXPECT_EQ(Value(bo, "EMAIL"), "bo@example.com");
    EXPECT_EQ(Types(bo, "EMAIL"), QStringList({"INTERNET", "WORK"}));
    EXPECT_EQ(Value(cards[3].toObject(), "FN"), "Zoë 😀");

    const Parsed sms = ParseExport("xml", path(kSmsXmlFile));
    ASSERT_TRUE(sms.error.isEmpty()) << qPrintable(sms.error);
    const QJsonObject smses = sms.doc.object();
    EXPECT_EQ(smses.value("tag").toString(), "smses");
    const QJsonArray messages = smses.value("items").toArray();
    EXPECT_EQ(smses.value("count").toString().toInt(), messages.size());
    ASSERT_EQ(messages.size(), 4);
    const QJsonObject first = messages[0].toObject();
    EXPECT_EQ(first.value("body").toString(), "Hi, \"there\"\nsecond line");
    EXPECT_EQ(first.value("date").toString(), "1704164645000"); // 2024-01-02 03:04:05 UTC
    EXPECT_EQ(first.value("type").toString(), "1");             // received (flags "2")
    EXPECT_EQ(first.value("read").toString(), "1");
    EXPECT_EQ(first.value("contact_name").toString(), "Carl");
    EXPECT_EQ(messages[1].toObject().value("type").toString(), "2"); // sent (flags "1")
    EXPECT_EQ(messages[1].toObject().value("contact_name").toString(), "(Unknown)");
    EXPECT_EQ(messages[2].toObject().value("type").toString(), "4");
    EXPECT_EQ(messages[3].toObject().value("body").toString(), "你好");
    for (const char* attribute : {"protocol", "address", "date", "type", "subject", "body", "toa",
                                  "sc_toa", "service_center", "read", "status", "locked",
                                  "date_sent", "readable_date", "contact_name"}) {
        EXPECT_TRUE(first.contains(attribute)) << attribute;
    }

    const Parsed calls = ParseExport("xml", path(kCallsXmlFile));
    ASSERT_TRUE(calls.error.isEmpty()) << qPrintable(calls.error);
    const QJsonArray callItems = calls.doc.object().value("items").toArray();
    EXPECT_EQ(calls.doc.object().value("tag").toString(), "calls");
    ASSERT_EQ(callItems.size(), 4);
    const QJsonObject call = callItems[0].toObject();
    EXPECT_EQ(call.value("number").toString(), "555-1234");
    EXPECT_EQ(call.value("duration").toString(), "65");
    EXPECT_EQ(call.value("type").toString(), "1");
    EXPECT_EQ(call.value("date").toString(), "1706933106000");
    EXPECT_EQ(call.value("contact_name").toString(), "Anna");
    for (const char* attribute :
         {"number", "duration", "date", "type", "presentation", "readable_date", "contact_name"}) {
        EXPECT_TRUE(call.contains(attribute)) << attribute;
    }
}

TEST_F(ExportFolder, AKindWithoutAReadableJsFileGetsNoExportAndIsNamed) {
    ASSERT_TRUE(QFile::remove(path("Datajs/Contacts.js")));
    ASSERT_TRUE(test::WriteAll(path("Datajs/SMS.js"), "var Conten1={broken"));
    const ExportResult result = WriteStandardExports(m_Dir.path());
    EXPECT_EQ(result.written, QStringList({kCallsXmlFile}));
    ASSERT_EQ(result.problems.size(), 1);
    EXPECT_TRUE(result.problems[0].startsWith(kSmsXmlFile));
    EXPECT_FALSE(QFile::exists(path(kContactsVcfFile)));
    EXPECT_FALSE(QFile::exists(path(kSmsXmlFile)));
}

// Hostile text: markup characters, quotes, control characters, invalid UTF-8,
// separators of the vCard format, long lines of multi-byte characters and a
// 5 MiB message body.
TEST_F(ExportFolder, HostileTextStillGivesFilesThatParse) {
    const QByteArray hostile = "<b>&amp; \"q\" 'a' \x01\x02\x1f\x7f \xff\xfe\xc3 "
                               "a\\b,c;d:e\r\nf\rg\th \xef\xbf\xbe";
    const QByteArray wide = QString(200, QChar(0x4F60)).toUtf8() + "😀😀😀";
    const QByteArray huge(5 << 20, 'x');
    auto entry = [](std::initializer_list<std::pair<const char*, QByteArray>> values) {
        cJSON* e = cJSON_CreateObject();
        for (const auto& [key, value] : values) {
            cJSON_AddItemToObject(e, key, cJSON_CreateString(value.constData()));
        }
        return e;
    };
    JsonPtr contacts = NewJsRoot();
    cJSON_AddItemToObject(contacts.get(), "1",
                          entry({{"SessionID", "1"},
                                 {"FirstName", hostile},
                                 {"LastName", wide},
                                 {"MobileNumber", hostile},
                                 {"Note", wide + hostile + wide},
                                 {"HomeAddress", hostile},
                                 {"Organzation", hostile},
                                 {"Department", hostile},
                                 {"Group", hostile}}));
    cJSON_AddItemToObject(contacts.get(), "2", entry({{"SessionID", "2"}, {"Note", huge}}));
    JsonPtr sms = NewJsRoot();
    cJSON* group = cJSON_CreateObject();
    cJSON_AddItemToObject(sms.get(), "Group_1", group);
    cJSON_AddItemToObject(group, "1",
                          entry({{"Name", hostile},
                                 {"Phone", hostile},
                                 {"Text", hostile},
                                 {"Date", "not a date"},
                                 {"flags", "<1>"}}));
    cJSON_AddItemToObject(group, "2", entry({{"Text", huge}, {"Date", "2024-01-02 03:04:05"}}));
    JsonPtr calls = NewJsRoot();
    group = cJSON_CreateObject();
    cJSON_AddItemToObject(calls.get(), "Group_1", group);
    cJSON_AddItemToObject(group, "1",
                          entry({{"Name", hostile},
                                 {"Phone", hostile},
                                 {"Duration", "\"99"},
                                 {"CallStatus", hostile}}));
    ASSERT_TRUE(WriteJsFile(path("Datajs/Contacts.js"), kPrefixConten2, contacts.get()));
    ASSERT_TRUE(WriteJsFile(path("Datajs/SMS.js"), kPrefixConten1, sms.get()));
    ASSERT_TRUE(WriteJsFile(path("Datajs/CallHistory.js"), kPrefixConten3, calls.get()));

    const ExportResult result = WriteStandardExports(m_Dir.path());
    ASSERT_EQ(result.written.size(), 3) << qPrintable(result.problems.join("\n"));
    // Control characters become their visible signs, invalid UTF-8 U+FFFD.
    const QString shown = QString::fromUtf8("<b>&amp; \"q\" 'a' ␁␂␟\x7f ��� "
                                            "a\\b,c;d:e\r\nf\rg\th \xef\xbf\xbd");

    const Parsed vcf = ParseExport("vcf", path(kContactsVcfFile));
    ASSERT_TRUE(vcf.error.isEmpty()) << qPrintable(vcf.error);
    const QJsonArray cards = vcf.doc.array();
    ASSERT_EQ(cards.size(), 2);
    const QJsonObject card = cards[0].toObject();
    QString lineBreaks = shown;
    lineBreaks.replace("\r\n", "\n").replace("\r", "\n");
    EXPECT_EQ(Value(card, "TEL"), lineBreaks);
    EXPECT_EQ(Value(card, "ADR"), lineBreaks);
    EXPECT_EQ(Value(card, "NOTE"), QString::fromUtf8(wide) + lineBreaks + QString::fromUtf8(wide));
    EXPECT_EQ(card.value("ORG").toArray()[0].toObject().value("value").toArray(),
              QJsonArray({lineBreaks, lineBreaks}));
    EXPECT_EQ(Value(cards[1].toObject(), "NOTE").size(), huge.size());

    const Parsed messages = ParseExport("xml", path(kSmsXmlFile));
    ASSERT_TRUE(messages.error.isEmpty()) << qPrintable(messages.error);
    const QJsonArray items = messages.doc.object().value("items").toArray();
    ASSERT_EQ(items.size(), 2);
    const QJsonObject m = items[0].toObject();
    EXPECT_EQ(m.value("body").toString(), shown);
    EXPECT_EQ(m.value("address").toString(), shown);
    EXPECT_EQ(m.value("contact_name").toString(), shown);
    EXPECT_EQ(m.value("date").toString(), "0");
    EXPECT_EQ(m.value("type").toString(), "0");
    EXPECT_EQ(items[1].toObject().value("body").toString().size(), huge.size());

    const Parsed callsParsed = ParseExport("xml", path(kCallsXmlFile));
    ASSERT_TRUE(callsParsed.error.isEmpty()) << qPrintable(callsParsed.error);
    const QJsonObject c = callsParsed.doc.object().value("items").toArray()[0].toObject();
    EXPECT_EQ(c.value("number").toString(), shown);
    EXPECT_EQ(c.value("duration").toString(), "0");
    EXPECT_EQ(c.value("type").toString(), "0");
}

TEST(ExportPieces, NulAndSeparatorsAreEscapedOrReplaced) {
    struct Case {
        QByteArray in, xml, vcard;
    };
    const Case cases[] = {
        {QByteArray("a\0b", 3),
         "a\xe2\x90\x80"
         "b",
         "a\xe2\x90\x80"
         "b"},
        {"<&>\"'", "&lt;&amp;&gt;&quot;&apos;", "<&>\"'"},
        {"a\\b,c;d", "a\\b,c;d", "a\\\\b\\,c\\;d"},
        {"1\r\n2\n3\r4", "1&#13;&#10;2&#10;3&#13;4", "1\\n2\\n3\\n4"},
        {"\xff", "\xef\xbf\xbd", "\xef\xbf\xbd"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XmlAttribute(c.in), c.xml) << c.in.toHex().constData();
        EXPECT_EQ(VcardText(c.in), c.vcard) << c.in.toHex().constData();
    }
}

TEST(ExportPieces, FoldingKeepsLinesWithin75OctetsAndSplitsNoCharacterOrEscape) {
    const QByteArray lines[] = {
        "NOTE:" + QByteArray(300, 'a'),
        "NOTE:" + QString(100, QChar(0x4F60)).toUtf8(),
        "NOTE:" + QByteArray("😀").repeated(60),
        "NOTE:" + QByteArray("\\n").repeated(100),
        "NOTE:a" + QByteArray("\\,").repeated(100),
        "FN:short",
    };
    for (const QByteArray& line : lines) {
        const QByteArray folded = FoldVcardLine(line);
        QByteArray unfolded;
        const QList<QByteArray> physical = folded.split('\n');
        for (qsizetype i = 0; i < physical.size(); ++i) {
            QByteArray part = physical[i];
            if (part.endsWith('\r')) {
                part.chop(1);
            }
            EXPECT_LE(part.size(), 75);
            EXPECT_TRUE(QString::fromUtf8(part).toUtf8() == part) << "split UTF-8";
            if (i > 0) {
                ASSERT_TRUE(part.startsWith(' '));
                part.remove(0, 1);
                // A continuation never starts in the middle of an escape.
                EXPECT_FALSE(physical[i - 1].endsWith("\\\r") &&
                             !physical[i - 1].endsWith("\\\\\r"));
            }
            unfolded += part;
        }
        EXPECT_EQ(unfolded, line);
    }
}

TEST(ExportPieces, DatesAreLocalTimeMilliseconds) {
    // The tests run with TZ=UTC.
    EXPECT_EQ(MillisFromDateText("2024-01-02 03:04:05"), 1704164645000LL);
    EXPECT_EQ(DateTextFromMillis(1704164645000LL), "2024-01-02 03:04:05");
    for (const char* bad : {"", "2024-13-02 03:04:05", "yesterday", "2024-01-02"}) {
        EXPECT_EQ(MillisFromDateText(bad), 0) << bad;
    }
    EXPECT_EQ(MillisFromDateText(nullptr), 0);
    EXPECT_EQ(DateTextFromMillis(0), "");
    EXPECT_EQ(DateTextFromMillis(INT64_MAX), "");
}

// The quick reading of date texts gives what Qt's parser gives, also in a
// zone with summer time: around both changes of the clocks, on odd days and
// on texts that only nearly have the shape.
TEST(ExportPieces, DateTextsReadAsQtReadsThem) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    ASSERT_EQ(MillisFromDateText("2024-01-02 03:04:05"), 1704164645000LL - 3600 * 1000);
    const char* texts[] = {"2024-03-31 01:59:59", "2024-03-31 02:00:00",  "2024-03-31 02:30:00",
                           "2024-03-31 03:00:00", "2024-10-27 02:30:00",  "2024-10-27 03:00:00",
                           "2024-02-29 12:00:00", "2023-02-29 12:00:00",  "0001-01-01 00:00:00",
                           "9999-12-31 23:59:59", "2024-01-02 24:00:00",  "2024-01-02 23:60:00",
                           "2024-1-02 03:04:05",  " 2024-01-02 03:04:05", "2024-01-02T03:04:05",
                           "2024-01-02 03:04:5x", "+024-01-02 03:04:05",  "1970-01-01 01:00:00"};
    for (const char* text : texts) {
        const QDateTime qt = QDateTime::fromString(QString::fromLatin1(text).trimmed(),
                                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        EXPECT_EQ(MillisFromDateText(text), qt.isValid() ? qt.toMSecsSinceEpoch() : 0) << text;
    }
    qputenv("TZ", zone);
    tzset();
}

} // namespace
} // namespace tarvell
