// Importers: a backup's own exports come back as the records the folder
// restores; other tools' files (vCard 2.1 and 3.0, sloppy XML) and hostile
// input give records or a clear error, never a crash.
#include "entries.h"
#include "exports.h"
#include "imports.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

QByteArray T(const char* text) {
    return text == nullptr ? QByteArray("<null>") : QByteArray(text);
}

// What the restore hands the library, per record, as text lines. Ids are
// left out: the importers number records afresh.
QList<QByteArray> ContactViews(const cJSON* root, bool joinLastName) {
    QList<QByteArray> views;
    ForEachEntry(root, [&](const cJSON* e) {
        const ContactRecord r = ReadContact(e);
        QByteArray name = T(r.name);
        if (joinLastName && r.lastName != nullptr) {
            name = r.name == nullptr ? T(r.lastName) : name + ' ' + r.lastName;
        }
        views << name + "|" + T(r.nickName) + "|" + T(r.mobilePhone) + "|" + T(r.homePhone) + "|" +
                     T(r.workPhone) + "|" + T(r.homePage) + "|" + T(r.homeEmail) + "|" +
                     T(r.birthday) + "|" + T(r.groupName) + "|" + T(r.note) + "|" +
                     T(r.organization) + "|" + T(r.department) + "|" + T(r.homeAddress) + "|" +
                     T(r.workAddress) + "|" + T(r.homeFax) + "|" + T(r.workFax) + "|" +
                     T(r.workEmail);
        return true;
    });
    return views;
}

QList<QByteArray> MessageViews(const cJSON* root, bool unknownReadIsUnread) {
    QList<QByteArray> views;
    ForEachGroupedEntry(root, [&](const cJSON* e, bool) {
        const SmsRecord r = ReadMessage(e);
        const char* read = r.read == nullptr && unknownReadIsUnread ? "0" : r.read;
        views << T(r.address) + "|" + T(r.body) + "|" + T(r.date) + "|" + T(r.type) + "|" +
                     T(read) + "|" + T(r.personName);
        return true;
    });
    return views;
}

QList<QByteArray> CallViews(const cJSON* root, bool noDurationIsZero) {
    QList<QByteArray> views;
    ForEachGroupedEntry(root, [&](const cJSON* e, bool) {
        const CallLogRecord r = ReadCallLog(e);
        const char* duration = r.duration == nullptr && noDurationIsZero ? "0" : r.duration;
        views << T(r.number) + "|" + T(r.date) + "|" + T(r.type) + "|" + T(duration) + "|" +
                     T(r.name);
        return true;
    });
    return views;
}

JsonPtr Golden(const char* name) {
    return ReadJsFile(QStringLiteral(TARVELL_ENGINE_GOLDEN_DIR "/") + name);
}

TEST(ImportRoundTrip, ExportsOfABackupComeBackAsTheRecordsTheFolderRestores) {
    const JsonPtr contacts = Golden("Contacts.js");
    const JsonPtr sms = Golden("SMS.js");
    const JsonPtr calls = Golden("CallHistory.js");
    ASSERT_TRUE(contacts && sms && calls);

    const ImportResult c = ParseVcf(ContactsVcf(contacts.get()));
    ASSERT_TRUE(c.error.isEmpty()) << qPrintable(c.error);
    EXPECT_TRUE(c.warnings.isEmpty()) << qPrintable(c.warnings.join("\n"));
    // The phone keeps one display name: a last name joins the first.
    EXPECT_EQ(ContactViews(c.root.get(), false), ContactViews(contacts.get(), true));

    const ImportResult m = ParseSmsXml(MessagesXml(sms.get()));
    ASSERT_TRUE(m.error.isEmpty()) << qPrintable(m.error);
    // The XML has no "unknown" read state: such a message comes back unread.
    EXPECT_EQ(MessageViews(m.root.get(), false), MessageViews(sms.get(), true));

    const ImportResult k = ParseCallsXml(CallsXml(calls.get()));
    ASSERT_TRUE(k.error.isEmpty()) << qPrintable(k.error);
    EXPECT_EQ(CallViews(k.root.get(), false), CallViews(calls.get(), true));

    // Every imported record passes the restorers' own tests for sending it.
    EXPECT_EQ(c.records, 4);
    ForEachEntry(c.root.get(), [](const cJSON* e) {
        EXPECT_NE(ReadContact(e).contactId, nullptr);
        return true;
    });
    EXPECT_EQ(m.records, 4);
    ForEachGroupedEntry(m.root.get(), [](const cJSON* e, bool) {
        const SmsRecord r = ReadMessage(e);
        EXPECT_TRUE(r.id != nullptr && r.threadId != nullptr && QByteArray(r.threadId) != "-1");
        return true;
    });
    // Messages and calls are grouped by address and number, in order.
    int groups = 0;
    ForEachGroupedEntry(m.root.get(), [&](const cJSON*, bool first) {
        groups += first ? 1 : 0;
        return true;
    });
    EXPECT_EQ(groups, 2); // 555-1234 and +1 (800) 555
}

TEST(ImportRoundTrip, HostileTextSurvivesAsTheExportShowsIt) {
    const QByteArray hostile = "<&>\"' a\\b,c;d\nline\x01 \xff 😀";
    const QByteArray huge = QByteArray("y").repeated(5 << 20);
    JsonPtr contacts = NewJsRoot();
    cJSON* e = cJSON_CreateObject();
    for (const char* key : {"SessionID", "FirstName", "Note", "HomeAddress", "Organzation",
                            "MobileNumber", "Group"}) {
        cJSON_AddItemToObject(e, key, cJSON_CreateString(hostile.constData()));
    }
    cJSON_AddItemToObject(e, "WorkAddress", cJSON_CreateString(huge.constData()));
    cJSON_AddItemToObject(contacts.get(), "1", e);
    const ImportResult c = ParseVcf(ContactsVcf(contacts.get()));
    ASSERT_EQ(c.records, 1) << qPrintable(c.error);
    const ContactRecord r = ReadContact(cJSON_GetObjectItem(c.root.get(), "1"));
    const QByteArray shown = "<&>\"' a\\b,c;d\nline\xe2\x90\x81 \xef\xbf\xbd 😀";
    for (const char* field :
         {r.name, r.note, r.homeAddress, r.organization, r.mobilePhone, r.groupName}) {
        EXPECT_EQ(T(field), shown);
    }
    EXPECT_EQ(QByteArray(r.workAddress).size(), huge.size());

    JsonPtr sms = NewJsRoot();
    cJSON* group = cJSON_CreateObject();
    cJSON* m = cJSON_CreateObject();
    cJSON_AddItemToObject(m, "Text", cJSON_CreateString(huge.constData()));
    cJSON_AddItemToObject(m, "Phone", cJSON_CreateString(hostile.constData()));
    cJSON_AddItemToObject(group, "1", m);
    cJSON_AddItemToObject(sms.get(), "Group_1", group);
    const ImportResult s = ParseSmsXml(MessagesXml(sms.get()));
    ASSERT_EQ(s.records, 1) << qPrintable(s.error);
    EXPECT_EQ(MessageViews(s.root.get(), false).value(0).left(shown.size() + 1), shown + "|");
}

struct VcardCase {
    const char* name;
    QByteArray input;
    // Expected ContactViews lines, or (when error) a word of the error.
    QList<QByteArray> contacts;
    int warnings = 0;
    const char* error = nullptr;
};

TEST(ImportVcf, ReadsWhatPhonesAndAddressBooksWriteAndRefusesWhatIsNotAVcard) {
    const char* none = "<null>";
    auto view = [&](QByteArray name, QByteArray mobile, QByteArray home, QByteArray work,
                    QByteArray email, QByteArray extra = {}) {
        // name|nick|mobile|home|work|page|email|bday|group|note|org|dept|hadr|wadr|hfax|wfax|wemail
        QByteArray v = name + "|" + none + "|" + mobile + "|" + home + "|" + work + "|" + none +
                       "|" + email + "|" + none + "|" + none + "|" + none + "|" + none + "|" +
                       none + "|" + none + "|" + none;
        return v + (extra.isEmpty() ? QByteArray("|<null>|<null>|<null>") : extra);
    };
    const VcardCase cases[] = {
        {"vCard 2.1 with quoted-printable, bare types, groups and a photo",
         "BEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=89mile;Zo=C3=A9;;;\r\n"
         "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Zo=C3=A9 =\r\n=C3=89mile\r\n"
         "TEL;CELL;PREF:+1 555\r\nTEL;HOME:222\r\nTEL;WORK;FAX:333\r\n"
         "item1.EMAIL;TYPE=INTERNET:z@x.org\r\n"
         "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQ\r\n AAAA\r\n\r\nEND:VCARD\r\n",
         {view("Zoé Émile", "+1 555", "222", none, "z@x.org", "|<null>|333|<null>")}},
        {"vCard 3.0 folded, escaped, structured name only, LF line ends",
         "BEGIN:VCARD\nVERSION:3.0\nN:Smith;Ann;B.;Dr.;Jr.\nTEL;TYPE=\"work,voice\":1\n"
         "  2 3\nEMAIL;TYPE=WORK:a@w\nEND:VCARD\n",
         {view("Dr. Ann B. Smith Jr.", none, none, "1 2 3", none, "|<null>|<null>|a@w")}},
        {"more numbers than the record holds",
         "BEGIN:VCARD\nFN:Many\nTEL:1\nTEL:2\nTEL:3\nTEL:4\nTEL:2\nEND:VCARD\n",
         {view("Many", "1", "2", "3", none)},
         1},
        {"an embedded card is not a contact of its own",
         "BEGIN:VCARD\nFN:Boss\nAGENT:BEGIN:VCARD\nBEGIN:VCARD\nFN:Agent\nTEL:9\nEND:VCARD\n"
         "TEL:1\nEND:VCARD\n",
         {view("Boss", "1", none, none, none)}},
        {"NUL and invalid UTF-8 in values, Latin-1 by its charset",
         "BEGIN:VCARD\nFN:a" + QByteArray(1, '\0') +
             "b\xff\nTEL:5\nEND:VCARD\nBEGIN:VCARD\nFN;CHARSET=ISO-8859-1:J\xfcrgen\nEND:VCARD\n",
         {view("ab\xef\xbf\xbd", "5", none, none, none), view("Jürgen", none, none, none, none)}},
        {"an empty card and one without END are reported",
         "BEGIN:VCARD\nVERSION:3.0\nEND:VCARD\nBEGIN:VCARD\nFN:x\nTEL:1\nEND:VCARD\n"
         "BEGIN:VCARD\nFN:cut",
         {view("x", "1", none, none, none)},
         2},
        {"not a vCard", "hello\x00\x01\x02 world", {}, 0, "no vCard"},
        {"empty file", "", {}, 0, "no vCard"},
        {"only an unfinished card", "BEGIN:VCARD\nFN:x\n", {}, 1, "no vCard"},
    };
    for (const VcardCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult r = ParseVcf(c.input);
        if (c.error != nullptr) {
            EXPECT_TRUE(r.error.contains(QLatin1String(c.error))) << qPrintable(r.error);
            EXPECT_EQ(r.root, nullptr);
            continue;
        }
        ASSERT_TRUE(r.error.isEmpty()) << qPrintable(r.error);
        EXPECT_EQ(ContactViews(r.root.get(), false), c.contacts);
        EXPECT_EQ(r.warnings.size(), c.warnings) << qPrintable(r.warnings.join("\n"));
    }
}

struct XmlCase {
    const char* name;
    QByteArray input;
    QList<QByteArray> messages;
    int warnings = 0;
    const char* error = nullptr;
};

TEST(ImportXml, RepairsWhatOtherToolsGetWrongAndRefusesWhatIsNotTheirFormat) {
    auto sms = [](const QByteArray& attributes) {
        return "<?xml version='1.0' encoding='UTF-8'?>\n<smses count=\"1\">" + attributes +
               "</smses>";
    };
    const XmlCase cases[] = {
        {"a received and a sent message, a multimedia one skipped",
         sms("<sms address=\"1\" date=\"1704164645000\" type=\"1\" body=\"a&amp;b\" read=\"1\" "
             "contact_name=\"(Unknown)\"/><mms address=\"1\"/>"
             "<sms address=\"1\" date=\"x\" type=\"2\" body=\"c\" read=\"0\" "
             "contact_name=\"Al\"/>"),
         {"1|a&b|2024-01-02 03:04:05|1|1|<null>", "1|c|<null>|0|0|Al"},
         1},
        {"control characters as references and as raw bytes, broken UTF-8",
         sms(QByteArray("<sms address=\"2\" body=\"a&#1;b&#x0;c\x02\xff\" type=\"1\"/>")),
         {"2|a\xe2\x90\x81"
          "b\xe2\x90\x80"
          "c\xe2\x90\x82\xef\xbf\xbd|<null>|1|<null>|<null>"}},
        {"not XML", "hello world", {}, 0, "malformed"},
        {"another root element", "<calls count=\"0\"></calls>", {}, 0, "not a smses file"},
        {"cut off in the middle",
         sms("<sms address=\"1\" body=\"a\"/>").left(60),
         {},
         0,
         "malformed"},
        {"entity expansion bomb",
         "<?xml version=\"1.0\"?><!DOCTYPE smses [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
         "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
         "<smses><sms body=\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"/></smses>",
         {},
         0,
         "malformed"},
    };
    for (const XmlCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult r = ParseSmsXml(c.input);
        if (c.error != nullptr) {
            EXPECT_TRUE(r.error.contains(QLatin1String(c.error))) << qPrintable(r.error);
            EXPECT_EQ(r.root, nullptr);
            continue;
        }
        ASSERT_TRUE(r.error.isEmpty()) << qPrintable(r.error);
        EXPECT_EQ(MessageViews(r.root.get(), false), c.messages);
        EXPECT_EQ(r.warnings.size(), c.warnings) << qPrintable(r.warnings.join("\n"));
    }
    // Calls: the same reader with its own element and attributes.
    const ImportResult calls = ParseCallsXml(
        "<calls count=\"2\"><call number=\"5\" duration=\"12\" date=\"1704164645000\" type=\"3\" "
        "contact_name=\"Bo\"/><call number=\"6\" duration=\"-\" type=\"0\"/></calls>");
    ASSERT_TRUE(calls.error.isEmpty()) << qPrintable(calls.error);
    EXPECT_EQ(CallViews(calls.root.get(), false),
              QList<QByteArray>({"5|2024-01-02 03:04:05|3|12|Bo", "6|<null>|<null>|0|<null>"}));
}

TEST(ImportFiles, AMissingOrOversizedFileIsAClearError) {
    QTemporaryDir dir;
    const ImportResult r = ImportVcf(dir.path() + "/none.vcf");
    EXPECT_TRUE(r.error.contains("cannot open")) << qPrintable(r.error);
    ASSERT_TRUE(test::WriteAll(dir.path() + "/a.xml", "<smses/>"));
    const ImportResult ok = ImportSmsXml(dir.path() + "/a.xml");
    EXPECT_TRUE(ok.error.isEmpty()) << qPrintable(ok.error);
    EXPECT_EQ(ok.records, 0);
    ASSERT_TRUE(test::WriteAll(dir.path() + "/b.xml", "<smses>"));
    EXPECT_TRUE(ImportCallsXml(dir.path() + "/b.xml").error.startsWith(dir.path() + "/b.xml: "));
}

TEST(ImportFolder, WritesTheFilesTheRestoreReadsOrNamesTheFileItCouldNotUse) {
    QTemporaryDir dir;
    const QString vcf = dir.path() + "/c.vcf";
    const QString sms = dir.path() + "/s.xml";
    const QString calls = dir.path() + "/k.xml";
    const QString notAFolder = dir.path() + "/file";
    ASSERT_TRUE(test::WriteAll(vcf, "BEGIN:VCARD\nFN:Ann \"A\" <x>\nTEL:5\nEND:VCARD\n"
                                    "BEGIN:VCARD\nFN:cut"));
    // Text a .js file must carry unchanged: quotes, a script end, control
    // characters and broken UTF-8.
    ASSERT_TRUE(test::WriteAll(sms,
                               "<smses><sms address=\"1\" type=\"1\" body=\"&quot;&lt;/script&gt;"
                               "&#1;\\\xff\"/></smses>"));
    ASSERT_TRUE(test::WriteAll(calls, "<calls><call number=\"5\" type=\"2\"/></calls>"));
    ASSERT_TRUE(test::WriteAll(notAFolder, "x"));
    struct Case {
        const char* name;
        QString folder;
        QString files[kContentKindCount];
        bool ok;
        const char* error; // start of the error: the file named
    };
    const Case cases[] = {
        {"all three", dir.path() + "/all", {vcf, sms, calls}, true, nullptr},
        {"messages only", dir.path() + "/sms", {{}, sms}, true, nullptr},
        {"a missing file", dir.path() + "/missing", {dir.path() + "/none.vcf"}, false, "/none.vcf"},
        {"a vCard given as messages", dir.path() + "/wrong", {{}, vcf}, false, "/c.vcf"},
        {"a kind without an importer", dir.path() + "/photos", {{}, {}, {}, vcf}, false, "Photos"},
        {"a folder that cannot be made", notAFolder, {vcf}, false, "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool kinds[kContentKindCount];
        QStringList warnings;
        QString error;
        EXPECT_EQ(WriteImportFolder(c.folder, c.files, kinds, &warnings, &error), c.ok);
        if (!c.ok) {
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << qPrintable(error);
            continue;
        }
        for (int k = 0; k < kContentKindCount; ++k) {
            EXPECT_EQ(kinds[k], !c.files[k].isEmpty()) << k;
            EXPECT_EQ(QFile::exists(JsPathOf(c.folder, ContentKind(k))), kinds[k]) << k;
        }
        // Read back as a restore reads a folder: what the importer made.
        const auto same = [&](ContentKind kind, auto parse, auto views) {
            const JsonPtr written = ReadKindFile(c.folder, kind);
            ASSERT_TRUE(written);
            EXPECT_EQ(views(written.get()), views(parse(test::ReadAll(c.files[kind])).root.get()));
        };
        same(SMS, &ParseSmsXml, [](const cJSON* r) { return MessageViews(r, false); });
        if (kinds[Contacts]) {
            same(Contacts, &ParseVcf, [](const cJSON* r) { return ContactViews(r, false); });
            same(CallHistory, &ParseCallsXml, [](const cJSON* r) { return CallViews(r, false); });
            // The unfinished card, reported under its file's name.
            ASSERT_EQ(warnings.size(), 1);
            EXPECT_TRUE(warnings[0].startsWith(vcf + ": ")) << qPrintable(warnings[0]);
        }
    }
}

} // namespace
} // namespace tarvell
