// A tiny fixed phone written as a backup folder: every .js file and print must
// match its golden file byte for byte. TARVELL_UPDATE_GOLDEN=1 rewrites the
// golden files. Reading records back is covered by the entry readers' tests
// and, through a real restore, by the end-to-end round trip.
#include "backupfolder.h"
#include "entries.h"
#include "exports.h"
#include "fileroutines.h"
#include "jsfile.h"
#include "naming.h"
#include "prints.h"
#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

using test::ReadAll;

// The fixed phone. Fields left out of the initializers are null or zero.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
struct Phone {
    test::TextPool t;
    // clang-format off
    std::vector<ContactRecord> contacts{
        {.contactId = t("1"), .name = t("Anna"), .mobilePhone = t("+44 20 7946 0000"),
         .homePhone = t(""), .note = t("Met at \"the\" fair, 2019"),
         .homeAddress = t("1 Long Road\nLeeds")},
        {.contactId = t("2"), .name = t("Bo"), .lastName = t("Ek"), .birthday = t("1990-01-01"),
         .organization = t("Acme"), .department = t("R&D"), .workEmail = t("bo@example.com")},
        {.mobilePhone = t("555")},
        {.contactId = t("4"), .name = t("Zo\xC3\xAB \xF0\x9F\x98\x80"),
         .homeEmail = t("zoe@example.org")}};
    std::vector<SmsRecord> messages{
        {.id = t("10"), .address = t("555-1234"), .body = t("Hi, \"there\"\nsecond line"),
         .date = t("2024-01-02 03:04:05"), .type = t("1"), .read = t("1"), .threadId = t("7"),
         .contactId = t("1")},
        {.id = t("11"), .personName = t(""), .address = t("555-1234"), .body = t("Sent one"),
         .date = t("2024-01-02 03:05:00"), .type = t("2"), .read = t("0"), .threadId = t("7")},
        {.id = t("12"), .personName = t("Carl"), .address = t("555-1234"), .body = t("Draft"),
         .date = t("2024-01-02 03:06:00"), .type = t("4"), .threadId = t("7")},
        {.id = t("13"), .personName = t("Dee"), .address = t("+1 (800) 555"),
         .body = t("\xE4\xBD\xA0\xE5\xA5\xBD"), .date = t("2023-12-31 23:59:59"), .type = t("2"),
         .read = t("1"), .threadId = t("-1"), .contactId = t("12345678901234567890")},
        {.id = t("14"), .body = t("no address"), .type = t("1")}};
    std::vector<CallLogRecord> calls{
        {.id = t("20"), .name = t("Anna"), .number = t("555-1234"),
         .date = t("2024-02-03 04:05:06"), .type = t("1"), .duration = t("65")},
        {.id = t("21"), .name = t(""), .number = t("555-1234"), .date = t("2024-02-03 05:00:00"),
         .type = t("2"), .duration = t("0")},
        {.id = t("22"), .number = t("999"), .date = t("2024-02-04 00:00:00"), .type = t("3"),
         .duration = t("5")},
        {.id = t("23"), .name = t("Eve, \"E\""), .number = t("777"), .type = t("5")}};
    MusicInfo music{.id = 5, .title = "Song", .album = "Album", .artist = "Artist",
                    .path = "/sdcard/Music/Song One.mp3", .duration = 3725, .size = 4096,
                    .modifiedTime = 1700000000, .createdTime = 0};
    VideoInfo video{.id = 6, .title = "Clip", .displayName = "clip.mp4",
                    .path = "/sdcard/DCIM/clip.mp4", .duration = 90000, .size = 123456789012LL,
                    .modifiedTime = 1600000000, .createdTime = 1600000000};
    PhotoInfo photo{.id = 7, .title = "IMG_1", .path = "/sdcard/DCIM/Camera/IMG_1.jpg",
                    .size = 2048, .modifiedTime = 1650000000, .createdTime = 1650000000};
    AppInfo app{.packageName = "com.example.app", .className = "com.example.app.Main",
                .appName = "Example", .version = "1.2.3", .cacheSize = 1, .dataSize = 2,
                .codeSize = 3, .totalSize = 6, .installTime = 1500000000,
                .lastUpdateTime = 1500000001};
    DeviceInfoRecord device{.manufacturer = "Acme\r\n", .serial = "SER123\n",
                            .model = "Phone X\r\n", .release = "13\n"};
    // clang-format on
    test::Grouping<SmsTempGroup> smsGroups;
    test::Grouping<CallLogTempGroup> callGroups;

    Phone() {
        test::Link(contacts);
        test::Link(messages);
        test::Link(calls);
        smsGroups.add({&messages[0], &messages[1], &messages[2]});
        smsGroups.add({&messages[3], nullptr});
        smsGroups.add({});
        callGroups.add({&calls[0], &calls[1]});
        callGroups.add({&calls[2], &calls[3]});
    }
};
#pragma GCC diagnostic pop

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
    ASSERT_TRUE(WriteStandardExports(backup).problems.isEmpty());
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
    {"Contacts/Contacts.vcf", "Contacts.vcf"},
    {"SMS/sms.xml", "sms.xml"},
    {"CallHistory/calls.xml", "calls.xml"},
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

TEST_F(GoldenBackup, FilesMatchTheGoldenFilesAndNothingElseIsLeft) {
    const bool update = qEnvironmentVariableIsSet("TARVELL_UPDATE_GOLDEN");
    QStringList want = {"Datajs/images/1.jpg"};
    for (const auto& [inBackup, golden] : kGoldenFiles) {
        const QByteArray written = ReadAll(m_Backup + "/" + inBackup);
        const QString goldenPath = QStringLiteral(TARVELL_ENGINE_GOLDEN_DIR "/") + golden;
        if (update) {
            ASSERT_TRUE(test::WriteAll(goldenPath, written));
        }
        EXPECT_EQ(written, ReadAll(goldenPath)) << inBackup;
        want << inBackup;
    }
    // No temporary or stray file is left beside them.
    QStringList files;
    QDirIterator it(m_Backup, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(m_Backup).relativeFilePath(it.next());
    }
    files.sort();
    want.sort();
    EXPECT_EQ(files, want);
}

} // namespace
} // namespace tarvell
