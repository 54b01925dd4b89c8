// A tiny fixed phone written as a backup folder: every .js file and print must
// match its golden file byte for byte, and reading the .js files back must
// give the records again. TARVELL_UPDATE_GOLDEN=1 rewrites the golden files.
#include "backupfolder.h"
#include "entries.h"
#include "fileroutines.h"
#include "jsfile.h"
#include "naming.h"
#include "prints.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

using test::ReadAll;
using test::SetText;

// The fixed phone.
struct Phone {
    test::TextPool t;
    std::vector<ContactRecord> contacts;
    std::vector<SmsRecord> messages;
    std::vector<CallLogRecord> calls;
    test::Grouping<SmsTempGroup> smsGroups;
    test::Grouping<CallLogTempGroup> callGroups;
    MusicInfo music{};
    VideoInfo video{};
    PhotoInfo photo{};
    AppInfo app{};
    DeviceInfoRecord device{};

    Phone() {
        contacts.resize(4);
        ContactRecord& anna = contacts[0];
        anna.contactId = t("1");
        anna.name = t("Anna");
        anna.mobilePhone = t("+44 20 7946 0000");
        anna.homePhone = t("");
        anna.note = t("Met at \"the\" fair, 2019");
        anna.homeAddress = t("1 Long Road\nLeeds");
        ContactRecord& bo = contacts[1];
        bo.contactId = t("2");
        bo.name = t("Bo");
        bo.lastName = t("Ek");
        bo.birthday = t("1990-01-01");
        bo.organization = t("Acme");
        bo.department = t("R&D");
        bo.workEmail = t("bo@example.com");
        ContactRecord& anonymous = contacts[2];
        anonymous.mobilePhone = t("555");
        ContactRecord& zoe = contacts[3];
        zoe.contactId = t("4");
        zoe.name = t("Zo\xC3\xAB \xF0\x9F\x98\x80");
        zoe.homeEmail = t("zoe@example.org");
        test::Link(contacts);

        messages.resize(5);
        SmsRecord& m1 = messages[0];
        m1.id = t("10");
        m1.address = t("555-1234");
        m1.body = t("Hi, \"there\"\nsecond line");
        m1.date = t("2024-01-02 03:04:05");
        m1.type = t("1");
        m1.read = t("1");
        m1.threadId = t("7");
        m1.contactId = t("1");
        SmsRecord& m2 = messages[1];
        m2.id = t("11");
        m2.personName = t("");
        m2.address = t("555-1234");
        m2.body = t("Sent one");
        m2.date = t("2024-01-02 03:05:00");
        m2.type = t("2");
        m2.read = t("0");
        m2.threadId = t("7");
        SmsRecord& m3 = messages[2];
        m3.id = t("12");
        m3.personName = t("Carl");
        m3.address = t("555-1234");
        m3.body = t("Draft");
        m3.date = t("2024-01-02 03:06:00");
        m3.type = t("4");
        m3.threadId = t("7");
        SmsRecord& m4 = messages[3];
        m4.id = t("13");
        m4.personName = t("Dee");
        m4.address = t("+1 (800) 555");
        m4.body = t("\xE4\xBD\xA0\xE5\xA5\xBD");
        m4.date = t("2023-12-31 23:59:59");
        m4.type = t("2");
        m4.read = t("1");
        m4.threadId = t("-1");
        m4.contactId = t("12345678901234567890");
        SmsRecord& m5 = messages[4];
        m5.id = t("14");
        m5.body = t("no address");
        m5.type = t("1");
        test::Link(messages);
        smsGroups.add({&m1, &m2, &m3});
        smsGroups.add({&m4, nullptr});
        smsGroups.add({});

        calls.resize(4);
        CallLogRecord& c1 = calls[0];
        c1.id = t("20");
        c1.name = t("Anna");
        c1.number = t("555-1234");
        c1.date = t("2024-02-03 04:05:06");
        c1.type = t("1");
        c1.duration = t("65");
        CallLogRecord& c2 = calls[1];
        c2.id = t("21");
        c2.name = t("");
        c2.number = t("555-1234");
        c2.date = t("2024-02-03 05:00:00");
        c2.type = t("2");
        c2.duration = t("0");
        CallLogRecord& c3 = calls[2];
        c3.id = t("22");
        c3.number = t("999");
        c3.date = t("2024-02-04 00:00:00");
        c3.type = t("3");
        c3.duration = t("5");
        CallLogRecord& c4 = calls[3];
        c4.id = t("23");
        c4.name = t("Eve, \"E\"");
        c4.number = t("777");
        c4.type = t("5");
        test::Link(calls);
        callGroups.add({&c1, &c2});
        callGroups.add({&c3, &c4});

        music.id = 5;
        SetText(music.title, "Song");
        SetText(music.album, "Album");
        SetText(music.artist, "Artist");
        SetText(music.path, "/sdcard/Music/Song One.mp3");
        music.duration = 3725;
        music.size = 4096;
        music.modifiedTime = 1700000000;
        music.createdTime = 0;

        video.id = 6;
        SetText(video.title, "Clip");
        SetText(video.displayName, "clip.mp4");
        SetText(video.path, "/sdcard/DCIM/clip.mp4");
        video.duration = 90000;
        video.size = 123456789012LL;
        video.modifiedTime = 1600000000;
        video.createdTime = 1600000000;

        photo.id = 7;
        SetText(photo.title, "IMG_1");
        SetText(photo.path, "/sdcard/DCIM/Camera/IMG_1.jpg");
        photo.size = 2048;
        photo.modifiedTime = 1650000000;
        photo.createdTime = 1650000000;

        SetText(app.packageName, "com.example.app");
        SetText(app.className, "com.example.app.Main");
        SetText(app.appName, "Example");
        SetText(app.version, "1.2.3");
        app.cacheSize = 1;
        app.dataSize = 2;
        app.codeSize = 3;
        app.totalSize = 6;
        app.installTime = 1500000000;
        app.lastUpdateTime = 1500000001;

        SetText(device.manufacturer, "Acme\r\n");
        SetText(device.serial, "SER123\n");
        SetText(device.model, "Phone X\r\n");
        SetText(device.release, "13\n");
    }
};

// Writes the fixed phone into backup the way the collectors and prints do.
void WriteBackup(Phone& phone, const QString& backup, NameLoans& loans) {
    const QString images = ImagesFolderOf(backup);
    ASSERT_TRUE(test::WriteAll(images + "1.jpg", "jpeg"));

    JsFileWriter contacts;
    ASSERT_TRUE(OpenKindFile(contacts, backup, Contacts));
    int k = 0;
    for (const ContactRecord* r = &phone.contacts.front(); r != nullptr; r = r->next) {
        AddNumbered(contacts.root(), ++k, ContactEntry(*r, images));
    }
    ASSERT_TRUE(contacts.commit());

    JsFileWriter sms;
    ASSERT_TRUE(OpenKindFile(sms, backup, SMS));
    EXPECT_EQ(AddMessageGroups(sms.root(), phone.smsGroups.head(), images, &loans), 4);
    ASSERT_TRUE(sms.commit());

    JsFileWriter calls;
    ASSERT_TRUE(OpenKindFile(calls, backup, CallHistory));
    EXPECT_EQ(AddCallLogGroups(calls.root(), phone.callGroups.head(), images), 4);
    ASSERT_TRUE(calls.commit());

    const auto writeOne = [&](ContentKind kind, JsonPtr entry) {
        JsFileWriter writer;
        ASSERT_TRUE(OpenKindFile(writer, backup, kind));
        AddNumbered(writer.root(), 1, std::move(entry));
        ASSERT_TRUE(writer.commit());
    };
    writeOne(Musics, MusicEntry(phone.music, MediaLocalName(phone.music.id, phone.music.path)));
    writeOne(Videos, VideoEntry(phone.video, MediaLocalName(phone.video.id, phone.video.path)));
    writeOne(Photos, PhotoEntry(phone.photo, MediaLocalName(phone.photo.id, phone.photo.path)));
    writeOne(Apps, AppEntry(phone.app, AppLocalName(phone.app.packageName)));

    const JsonPtr device = DeviceInfoRoot(phone.device);
    ASSERT_TRUE(WriteJsFile(backup + "/" + kDeviceInfoFile, kPrefixContent, device.get()));

    ASSERT_TRUE(PrintContactsCsv(&phone.contacts.front(), backup, nullptr));
    ASSERT_TRUE(PrintContactsTxt(&phone.contacts.front(), backup, nullptr));
    ASSERT_TRUE(PrintMessagesCsv(&phone.messages.front(), backup, nullptr, &loans));
    ASSERT_TRUE(PrintMessagesTxt(&phone.messages.front(), backup, &loans));
    ASSERT_TRUE(PrintCallsCsv(&phone.calls.front(), backup));
    ASSERT_TRUE(PrintCallsTxt(&phone.calls.front(), backup));
}

// Backup file -> golden file name.
const std::pair<const char*, const char*> kGoldenFiles[] = {
    {"Datajs/Contacts.js", "Contacts.js"},
    {"Datajs/SMS.js", "SMS.js"},
    {"Datajs/CallHistory.js", "CallHistory.js"},
    {"Datajs/Musics.js", "Musics.js"},
    {"Datajs/Videos.js", "Videos.js"},
    {"Datajs/Photos.js", "Photos.js"},
    {"Datajs/Apps.js", "Apps.js"},
    {"Datajs/Deviceinfo.js", "Deviceinfo.js"},
    {"Contacts/Contacts.csv", "Contacts.csv"},
    {"Contacts/Contacts.txt", "Contacts.txt"},
    {"SMS/SMS.csv", "SMS.csv"},
    {"SMS/SMS.txt", "SMS.txt"},
    {"CallHistory/CallHistory.csv", "CallHistory.csv"},
    {"CallHistory/CallHistory.txt", "CallHistory.txt"},
};

class GoldenBackup : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        m_Backup = m_Dir.path() + "/Phone X-01-02-2024-03-04-05";
        ASSERT_TRUE(QDir().mkpath(m_Backup));
        WriteBackup(m_Phone, m_Backup, m_Loans);
    }
    QTemporaryDir m_Dir;
    QString m_Backup;
    Phone m_Phone;
    NameLoans m_Loans;
};

TEST_F(GoldenBackup, FilesMatchTheGoldenFilesByteForByte) {
    const bool update = qEnvironmentVariableIsSet("TARVELL_UPDATE_GOLDEN");
    for (const auto& [inBackup, golden] : kGoldenFiles) {
        const QByteArray written = ReadAll(m_Backup + "/" + inBackup);
        const QString goldenPath = QStringLiteral(TARVELL_ENGINE_GOLDEN_DIR "/") + golden;
        if (update) {
            ASSERT_TRUE(test::WriteAll(goldenPath, written));
        }
        EXPECT_EQ(written, ReadAll(goldenPath)) << inBackup;
    }
}

TEST_F(GoldenBackup, FolderTreeHoldsExactlyTheWrittenFiles) {
    QStringList files;
    QDir root(m_Backup);
    std::function<void(const QString&)> walk = [&](const QString& rel) {
        const QDir dir(m_Backup + "/" + rel);
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString name = rel.isEmpty() ? info.fileName() : rel + "/" + info.fileName();
            if (info.isDir()) {
                files << name + "/";
                walk(name);
            } else {
                files << name;
            }
        }
    };
    walk(QString());
    EXPECT_EQ(files, QStringList({"CallHistory/",
                                  "CallHistory/CallHistory.csv",
                                  "CallHistory/CallHistory.txt",
                                  "Contacts/",
                                  "Contacts/Contacts.csv",
                                  "Contacts/Contacts.txt",
                                  "Datajs/",
                                  "Datajs/Apps.js",
                                  "Datajs/CallHistory.js",
                                  "Datajs/Contacts.js",
                                  "Datajs/Deviceinfo.js",
                                  "Datajs/Musics.js",
                                  "Datajs/Photos.js",
                                  "Datajs/SMS.js",
                                  "Datajs/Videos.js",
                                  "Datajs/images/",
                                  "Datajs/images/1.jpg",
                                  "SMS/",
                                  "SMS/SMS.csv",
                                  "SMS/SMS.txt"}));
}

bool SameText(const char* original, const char* readBack) {
    // An empty text is stored as "" and reads back as absent.
    if (original == nullptr || original[0] == '\0') {
        return readBack == nullptr;
    }
    return readBack != nullptr && std::strcmp(original, readBack) == 0;
}

TEST_F(GoldenBackup, ContactsReadBackAsTheSameRecords) {
    const JsonPtr root = ReadKindFile(m_Backup, Contacts);
    ASSERT_TRUE(root);
    size_t i = 0;
    ForEachEntry(root.get(), [&](const cJSON* entry) {
        EXPECT_LT(i, m_Phone.contacts.size());
        if (i >= m_Phone.contacts.size()) {
            return false;
        }
        const ContactRecord& want = m_Phone.contacts[i++];
        const ContactRecord got = ReadContact(entry);
        char* ContactRecord::*const fields[] = {
            &ContactRecord::contactId,    &ContactRecord::name,        &ContactRecord::lastName,
            &ContactRecord::nickName,     &ContactRecord::mobilePhone, &ContactRecord::homePhone,
            &ContactRecord::workPhone,    &ContactRecord::homePage,    &ContactRecord::homeEmail,
            &ContactRecord::birthday,     &ContactRecord::groupName,   &ContactRecord::note,
            &ContactRecord::organization, &ContactRecord::department,  &ContactRecord::createDate,
            &ContactRecord::homeAddress,  &ContactRecord::workAddress, &ContactRecord::homeFax,
            &ContactRecord::workFax,      &ContactRecord::workEmail};
        for (size_t f = 0; f < std::size(fields); ++f) {
            EXPECT_TRUE(SameText(want.*fields[f], got.*fields[f]))
                << "contact " << i << " field " << f;
        }
        EXPECT_EQ(got.reserved, nullptr);
        EXPECT_EQ(got.next, nullptr);
        return true;
    });
    EXPECT_EQ(i, m_Phone.contacts.size());
}

TEST_F(GoldenBackup, MessagesReadBackWithDirectionAndReadFlags) {
    const JsonPtr root = ReadJsFile(JsPathOf(m_Backup, SMS));
    ASSERT_TRUE(root);
    // Written order: m1, m2, m3 (group 1), m4 (group 2).
    const SmsRecord* const order[] = {&m_Phone.messages[0], &m_Phone.messages[1],
                                      &m_Phone.messages[2], &m_Phone.messages[3]};
    const char* const direction[] = {"1", "0", "1", "0"};
    const char* const read[] = {"1", "0", nullptr, "1"};
    const char* const names[] = {"Carl", nullptr, "Carl", "Dee"};
    const bool firstOfGroup[] = {true, false, false, true};
    size_t i = 0;
    ForEachGroupedEntry(root.get(), [&](const cJSON* entry, bool newGroup) {
        EXPECT_LT(i, std::size(order));
        if (i >= std::size(order)) {
            return false;
        }
        const SmsRecord& want = *order[i];
        const SmsRecord got = ReadMessage(entry);
        EXPECT_EQ(newGroup, firstOfGroup[i]);
        EXPECT_TRUE(SameText(want.id, got.id));
        EXPECT_TRUE(SameText(names[i], got.personName)) << i;
        EXPECT_TRUE(SameText(want.address, got.address));
        EXPECT_TRUE(SameText(want.body, got.body));
        EXPECT_TRUE(SameText(want.date, got.date));
        EXPECT_TRUE(SameText(direction[i], got.type)) << i;
        EXPECT_TRUE(SameText(read[i], got.read)) << i;
        EXPECT_TRUE(SameText(want.threadId, got.threadId));
        EXPECT_EQ(got.contactId, nullptr);
        ++i;
        return true;
    });
    EXPECT_EQ(i, std::size(order));
}

TEST_F(GoldenBackup, CallLogReadsBackAsTheSameRecords) {
    const JsonPtr root = ReadJsFile(JsPathOf(m_Backup, CallHistory));
    ASSERT_TRUE(root);
    size_t i = 0;
    ForEachGroupedEntry(root.get(), [&](const cJSON* entry, bool) {
        EXPECT_LT(i, m_Phone.calls.size());
        if (i >= m_Phone.calls.size()) {
            return false;
        }
        const CallLogRecord& want = m_Phone.calls[i++];
        const CallLogRecord got = ReadCallLog(entry);
        EXPECT_TRUE(SameText(want.id, got.id));
        EXPECT_TRUE(SameText(want.name, got.name));
        EXPECT_TRUE(SameText(want.number, got.number));
        EXPECT_TRUE(SameText(want.date, got.date));
        EXPECT_TRUE(SameText(want.type, got.type));
        EXPECT_TRUE(SameText(want.duration, got.duration));
        return true;
    });
    EXPECT_EQ(i, m_Phone.calls.size());
}

TEST_F(GoldenBackup, MediaAndAppEntriesNameTheirFilesAndPhoneNames) {
    struct Case {
        ContentKind kind;
        const char* folder;
        const char* localName;
        const char* phoneName;
    };
    const Case cases[] = {
        {Musics, "Musics", "5-Song One.mp3", "Song One.mp3"},
        {Videos, "Videos", "6-clip.mp4", "clip.mp4"},
        {Photos, "Photos/Gallery", "7-IMG_1.jpg", "IMG_1.jpg"},
    };
    for (const Case& c : cases) {
        const JsonPtr root = ReadJsFile(JsPathOf(m_Backup, c.kind));
        ASSERT_TRUE(root) << c.folder;
        int entries = 0;
        ForEachEntry(root.get(), [&](const cJSON* entry) {
            ++entries;
            const auto file = ReadMediaEntry(entry, m_Backup, c.folder);
            EXPECT_TRUE(file.has_value());
            if (file) {
                EXPECT_EQ(file->localPath, m_Backup + "/" + c.folder + "/" + c.localName);
                EXPECT_EQ(file->phoneName, QString::fromUtf8(c.phoneName));
            }
            return true;
        });
        EXPECT_EQ(entries, 1) << c.folder;
    }
    const JsonPtr apps = ReadJsFile(JsPathOf(m_Backup, Apps));
    ASSERT_TRUE(apps);
    ForEachEntry(apps.get(), [&](const cJSON* entry) {
        const auto file = ReadAppEntry(entry, m_Backup);
        EXPECT_TRUE(file.has_value());
        if (file) {
            EXPECT_EQ(file->localPath, m_Backup + "/Apps/com.example.app-1.apk");
        }
        return true;
    });
}

} // namespace
} // namespace tarvell
