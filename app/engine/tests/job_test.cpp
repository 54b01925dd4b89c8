// The job against an in-process phone: cancel and failures at each kind,
// several restore folders, the messaging-app countdown, clearing.
#include "catalogue.h"
#include "checksums.h"
#include "counters.h"
#include "fakephone.h"
#include "jobcontrol.h"
#include "session.h"
#include "uilog.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

using test::FakePhone;

constexpr int kItems = 3;
constexpr int kSecondMs = 10;
const bool kAll[kContentKindCount] = {true, true, true, true, true, true, true};

// Runs a backup of phone into a new folder inside out.
QString RunBackup(GetBackupDataThread& job, const QString& out,
                  const bool selected[kContentKindCount]) {
    NewBackup backup;
    backup.folder = out + QStringLiteral("/backup");
    QDir().mkpath(backup.folder);
    PrepareBackupJob(job, selected, backup);
    job.start();
    job.wait();
    return backup.folder;
}

void RunRestore(GetBackupDataThread& job, const QStringList& folders,
                const bool selected[kContentKindCount], bool clear = false) {
    PrepareRestoreJob(job, selected, folders, clear);
    job.start();
    job.wait();
}

// A finished backup of a phone with n items of every kind.
QString MakeBackup(const QString& out, int n) {
    FakePhone phone(n);
    GetBackupDataThread job(phone, kSecondMs);
    return RunBackup(job, out, kAll);
}

int Entries(const QString& folder, ContentKind kind) {
    const QString path = JsPathOf(folder, kind);
    return kKindFiles[kind].grouped ? CountGroupedItems(path) : CountBackupItems(path);
}

TEST(JobBackup, CancelAtEachKindStopsThereAndCountsOnlyWhatItHandled) {
    for (int k = 0; k < kContentKindCount; ++k) {
        const auto kind = ContentKind(k);
        SCOPED_TRACE(kKindFiles[k].name);
        QTemporaryDir out;
        FakePhone phone(kItems);
        GetBackupDataThread job(phone, kSecondMs);
        phone.onItem = [&](ContentKind at) {
            if (at == kind) {
                CancelJob(job);
            }
        };
        const QString folder = RunBackup(job, out.path(), kAll);
        EXPECT_TRUE(job.cancelRequested());
        if (kKindFiles[k].shape != KindShape::Records) {
            // Stopped after the first item; the count is what was handled.
            EXPECT_EQ(Entries(folder, kind), 1);
            EXPECT_EQ(job.snapshot().done[k], 1);
        }
        for (int later = k + 1; later < kContentKindCount; ++later) {
            EXPECT_FALSE(QFileInfo::exists(JsPathOf(folder, ContentKind(later))))
                << kKindFiles[later].name;
        }
        // Only a cancel during the last kind leaves no test before the facts.
        EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/Datajs/Deviceinfo.js")),
                  kind == Apps);
    }
}

TEST(JobBackup, AFailedCopyOfEachKindIsCountedAndKeepsItsEntry) {
    for (ContentKind kind : {Photos, Videos, Musics, Apps}) {
        SCOPED_TRACE(kKindFiles[kind].name);
        QTemporaryDir out;
        FakePhone phone(kItems);
        phone.failing = {{kind, 1}};
        GetBackupDataThread job(phone, kSecondMs);
        const QString folder = RunBackup(job, out.path(), kAll);
        for (int k = 0; k < kContentKindCount; ++k) {
            EXPECT_EQ(job.snapshot().failed[k], k == kind ? 1 : 0) << kKindFiles[k].name;
            EXPECT_EQ(Entries(folder, ContentKind(k)), kItems) << kKindFiles[k].name;
            if (!kKindFiles[k].grouped) { // the display counts those
                EXPECT_EQ(job.snapshot().done[k], kItems) << kKindFiles[k].name;
            }
        }
        EXPECT_EQ(QDir(folder + u'/' + QLatin1String(kKindFiles[kind].fileFolder))
                      .entryList(QDir::Files)
                      .size(),
                  kItems - 1);
        EXPECT_EQ(job.currentStep(), 7);
    }
}

TEST(JobBackup, ACutCopyIsLoggedAndRemoved) {
    for (ContentKind kind : {Photos, Videos, Musics}) {
        SCOPED_TRACE(kKindFiles[kind].name);
        QTemporaryDir out;
        FakePhone phone(kItems);
        phone.cut = {{kind, 0}};
        GetBackupDataThread job(phone, kSecondMs);
        const bool selected[kContentKindCount] = {
            false, false, false, kind == Photos, kind == Videos, kind == Musics, false};
        const QString folder = RunBackup(job, out.path(), selected);
        const QString cutFile = folder + u'/' + QLatin1String(kKindFiles[kind].fileFolder) +
                                QStringLiteral("/1-file1.bin");
        EXPECT_FALSE(QFileInfo::exists(cutFile));
        EXPECT_EQ(job.failedCount(kind), 1);
        EXPECT_TRUE(test::ReadAll(UiLogPath())
                        .contains(("error: incomplete copy titeminfo.ID = 1, " + cutFile +
                                   " (50 of 101 bytes)")
                                      .toUtf8()));
    }
}

// Thumbnails are made beside the later kinds; the end of the backup waits for
// them, and a cancel stops them between photos. Either way every file left
// under a final name is whole.
TEST(JobBackup, ThumbnailsAreWholeAndCompleteAtTheEndOrCutCleanlyByACancel) {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    constexpr int kPhotos = 40;
    for (const int cancelAt : {0, 5}) {
        SCOPED_TRACE(cancelAt ? "cancelled" : "complete");
        QTemporaryDir out;
        FakePhone phone(kPhotos);
        phone.setPhotoBytes(png);
        GetBackupDataThread job(phone, kSecondMs);
        int photos = 0;
        phone.onItem = [&](ContentKind at) {
            if (at == Photos && ++photos == cancelAt) {
                CancelJob(job);
            }
        };
        const QString folder = RunBackup(job, out.path(), kAll);
        const QStringList thumbs =
            QDir(folder + QStringLiteral("/Datajs/thumb")).entryList(QDir::Files | QDir::Hidden);
        for (const QString& thumb : thumbs) {
            EXPECT_EQ(QImage(folder + QStringLiteral("/Datajs/thumb/") + thumb).size(),
                      QSize(128, 85))
                << qPrintable(thumb);
        }
        if (cancelAt > 0) {
            EXPECT_LE(thumbs.size(), cancelAt);
            continue;
        }
        EXPECT_EQ(thumbs.size(), kPhotos);
        const VerifyReport report = VerifyFolder(folder);
        EXPECT_EQ(report.damage(), 0);
        EXPECT_EQ(report.count(FindingKind::Unlisted), 0);
    }
}

// Flips one byte in the middle of a file.
void FlipByte(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 at = file.size() / 2;
    file.seek(at);
    char c = 0;
    file.getChar(&c);
    file.seek(at);
    file.putChar(char(c ^ 1));
}

// A finished backup of every kind of phone in out/name, in the catalogue.
QString CataloguedBackup(FakePhone& phone, const QString& out, const QString& name,
                         bool incremental) {
    GetBackupDataThread job(phone, kSecondMs);
    NewBackup backup{out + u'/' + name, name};
    QDir().mkpath(backup.folder);
    PrepareBackupJob(job, kAll, backup);
    job.setIncremental(incremental);
    job.start();
    job.wait();
    test::WriteAll(backup.folder + QStringLiteral("/index.html"), "<html>");
    Catalogue catalogue;
    catalogue.load();
    catalogue.add(name, backup.folder);
    catalogue.save();
    return backup.folder;
}

TEST(JobBackup, TakesUnchangedFilesFromTheLastVerifiedBackupOfThePhone) {
    constexpr ContentKind kFileKinds[] = {Photos, Videos, Musics, Apps};
    struct Case {
        const char* name;
        std::function<void(const QString& earlier, FakePhone& phone)> arrange;
        int unchanged[4];            // photos, videos, music, apps; -1: no earlier folder
        const char* brief = nullptr; // the completion text's sentence, when checked
    };
    const auto none = [](const QString&, FakePhone&) {};
    const Case cases[] = {
        {"unchanged phone", none, {3, 3, 3, 3}, "12 of 12 files unchanged since the last backup."},
        {"a photo and a song changed",
         [](const QString&, FakePhone& p) {
             p.changed = {{Photos, 0}, {Musics, 2}};
         },
         {2, 3, 2, 3},
         "10 of 12 files unchanged since the last backup."},
        {"an earlier photo damaged",
         [](const QString& e, FakePhone&) {
             FlipByte(e + QStringLiteral("/Photos/Gallery/2-file2.bin"));
         },
         {2, 3, 3, 3}},
        {"an earlier package gone",
         [](const QString& e, FakePhone&) {
             QFile::remove(e + QStringLiteral("/Apps/org.example.app1-1.apk"));
         },
         {3, 3, 3, 2}},
        {"an earlier Photos.js damaged",
         [](const QString& e, FakePhone&) {
             FlipByte(e + u'/' + QLatin1String(kKindFiles[Photos].jsFile));
         },
         {-1, 3, 3, 3},
         "9 of 9 files unchanged since the last backup."},
        {"another phone",
         [](const QString&, FakePhone& p) { p.serial = "FAKE0002"; },
         {-1, -1, -1, -1}},
        {"no serial", [](const QString&, FakePhone& p) { p.serial = ""; }, {-1, -1, -1, -1}},
        {"an earlier folder without SHA256SUMS",
         [](const QString& e, FakePhone&) {
             QFile::remove(e + u'/' + QLatin1String(kChecksumFileName));
         },
         {-1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(CatalogPath());
        QTemporaryDir out;
        FakePhone phone(kItems);
        const QString earlier =
            CataloguedBackup(phone, out.path(), QStringLiteral("earlier"), false);
        c.arrange(earlier, phone);
        int copies[kContentKindCount] = {};
        phone.onItem = [&](ContentKind kind) { ++copies[kind]; };
        GetBackupDataThread job(phone, kSecondMs);
        NewBackup backup{out.path() + QStringLiteral("/new"), QStringLiteral("new")};
        QDir().mkpath(backup.folder);
        PrepareBackupJob(job, kAll, backup);
        job.setIncremental(true);
        job.start();
        job.wait();
        for (int i = 0; i < 4; ++i) {
            const ContentKind kind = kFileKinds[i];
            SCOPED_TRACE(kKindFiles[kind].name);
            EXPECT_EQ(job.unchangedCount(kind), c.unchanged[i]);
            // Whatever was not taken crossed the cable.
            EXPECT_EQ(copies[kind], kItems - std::max(c.unchanged[i], 0));
            EXPECT_EQ(job.failedCount(kind), 0);
            EXPECT_EQ(QDir(backup.folder + u'/' + QLatin1String(kKindFiles[kind].fileFolder))
                          .entryList(QDir::Files | QDir::Hidden)
                          .size(),
                      kItems);
        }
        if (c.brief != nullptr) {
            EXPECT_EQ(UnchangedItemsSentence(job, true), QLatin1String(c.brief));
        }
        // The new folder is whole on its own: every file listed and matching.
        const VerifyReport report = VerifyFolder(backup.folder);
        EXPECT_TRUE(report.whole());
        EXPECT_EQ(report.count(FindingKind::Unlisted), 0);
        EXPECT_EQ(test::ReadAll(backup.folder + QStringLiteral("/Photos/Gallery/2-file2.bin")),
                  QByteArray(102, 'x'));
    }
    QFile::remove(CatalogPath());
}

TEST(JobBackup, EndsWithTheExportsOfItsKindsAndSumsOverEveryFileItWrote) {
    struct Case {
        const char* name;
        bool contactsOnly;
        bool cancel;
    };
    const Case cases[] = {
        {"all kinds", false, false},
        {"contacts only", true, false},
        {"cancelled", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir out;
        const QString folder = out.path() + QStringLiteral("/backup");
        // A file the folder held before the job is not the job's.
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(test::WriteAll(folder + QStringLiteral("/mine.txt"), "mine"));
        FakePhone phone(kItems);
        GetBackupDataThread job(phone, kSecondMs);
        phone.onItem = [&](ContentKind at) {
            if (c.cancel && at == Apps) {
                CancelJob(job);
            }
        };
        bool selected[kContentKindCount] = {true, true, true, true, true, true, true};
        if (c.contactsOnly) {
            std::fill(selected + 1, selected + kContentKindCount, false);
        }
        RunBackup(job, out.path(), selected);
        for (int k = 0; k < kContentKindCount; ++k) {
            if (const char* exported = kKindFiles[k].exportFile) {
                EXPECT_EQ(QFileInfo::exists(folder + u'/' + QLatin1String(exported)),
                          selected[k] && !c.cancel)
                    << exported;
            }
        }
        const QString sumsPath = folder + u'/' + QLatin1String(kChecksumFileName);
        if (c.cancel) {
            EXPECT_FALSE(QFileInfo::exists(sumsPath));
            continue;
        }
        QFile sumsFile(sumsPath);
        ASSERT_TRUE(sumsFile.open(QIODevice::ReadOnly));
        const ParsedChecksums sums = ParseChecksums(sumsFile.readAll());
        EXPECT_TRUE(sums.problems.isEmpty());
        QStringList listed;
        for (const ChecksumEntry& entry : sums.entries) {
            listed << entry.path;
        }
        QStringList want = ListFilesUnder(folder);
        want.removeAll(QStringLiteral("mine.txt"));
        EXPECT_EQ(listed, want);
        EXPECT_TRUE(listed.contains(QLatin1String(kKindFiles[Contacts].jsFile)));
        const VerifyReport report = VerifyFolder(folder);
        EXPECT_EQ(report.damage(), 0);
        EXPECT_EQ(report.count(FindingKind::Unlisted), 1); // mine.txt
        EXPECT_TRUE(job.notes().isEmpty());
    }
}

TEST(JobRestore, LeavesOutADamagedKindOfAFolderUnlessForced) {
    struct Case {
        const char* name;
        ContentKind damaged;
        bool missingFile; // a copied file of the kind removed instead of a byte flipped
        bool noSums;      // an older backup: no SHA256SUMS
        bool force;
        bool refused;
    };
    const Case cases[] = {
        {"flipped byte in SMS.js", SMS, false, false, false, true},
        {"flipped byte in Contacts.js", Contacts, false, false, false, true},
        {"missing photo", Photos, true, false, false, true},
        {"flipped byte, forced", SMS, false, false, true, false},
        {"no SHA256SUMS", SMS, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir out;
        const QString backup = MakeBackup(out.path(), kItems);
        if (c.missingFile) {
            const QStringList photos =
                QDir(backup + QStringLiteral("/Photos/Gallery")).entryList(QDir::Files);
            ASSERT_FALSE(photos.isEmpty());
            ASSERT_TRUE(QFile::remove(backup + QStringLiteral("/Photos/Gallery/") + photos[0]));
        } else {
            FlipByte(JsPathOf(backup, c.damaged));
        }
        if (c.noSums) {
            ASSERT_TRUE(QFile::remove(backup + u'/' + QLatin1String(kChecksumFileName)));
        }
        FakePhone phone(kItems);
        GetBackupDataThread job(phone, kSecondMs);
        PrepareRestoreJob(job, kAll, {backup}, true);
        job.setForceRestore(c.force);
        job.start();
        job.wait();
        for (int k = 0; k < kContentKindCount; ++k) {
            const bool left = c.refused && k == c.damaged;
            // A damaged file may lose entries to the flip; what is there is written.
            if (left) {
                EXPECT_EQ(phone.written[k], 0) << kKindFiles[k].name;
            } else if (k != c.damaged) {
                EXPECT_EQ(phone.written[k], kItems) << kKindFiles[k].name;
            }
            EXPECT_EQ(job.snapshot().failed[k] > 0, left) << kKindFiles[k].name;
            // A kind left out is not cleared: nothing would refill it. (A
            // flipped byte may leave a forced kind nothing to refill too.)
            if (k == c.damaged && !left) {
                continue;
            }
            EXPECT_EQ(std::count(phone.cleared.begin(), phone.cleared.end(), ContentKind(k)),
                      left ? 0 : 1)
                << kKindFiles[k].name;
        }
        EXPECT_EQ(job.notes().size(), c.noSums ? 0 : 1);
        if (!c.noSums) {
            EXPECT_TRUE(job.notes()[0].contains(ProgressKindName(c.damaged)));
            EXPECT_EQ(job.notes()[0].startsWith(QStringLiteral("Warning")), c.force);
        }
    }
}

TEST(JobRestore, ADamagedFolderLeavesTheKindToTheOtherFolders) {
    QTemporaryDir out;
    const QString damaged = MakeBackup(out.path() + QStringLiteral("/a"), 2);
    const QString whole = MakeBackup(out.path() + QStringLiteral("/b"), 3);
    FlipByte(JsPathOf(damaged, CallHistory));
    FakePhone phone(0);
    GetBackupDataThread job(phone, kSecondMs);
    RunRestore(job, {damaged, whole}, kAll, true);
    EXPECT_EQ(phone.written[CallHistory], 3);
    EXPECT_EQ(job.snapshot().total[CallHistory], 3);
    EXPECT_EQ(job.snapshot().failed[CallHistory], 1);
    // The contacts of the smaller folder are among those of the larger.
    EXPECT_EQ(phone.written[Contacts], 3);
    EXPECT_EQ(std::count(phone.cleared.begin(), phone.cleared.end(), CallHistory), 1);
}

TEST(JobRestore, CancelAtEachKindStopsThere) {
    QTemporaryDir out;
    const QString backup = MakeBackup(out.path(), kItems);
    for (int k = 0; k < kContentKindCount; ++k) {
        const auto kind = ContentKind(k);
        SCOPED_TRACE(kKindFiles[k].name);
        FakePhone phone(0);
        phone.refreshIsItem = false; // the cancel comes with the first write
        GetBackupDataThread job(phone, kSecondMs);
        phone.onItem = [&](ContentKind at) {
            if (at == kind) {
                CancelJob(job);
            }
        };
        RunRestore(job, {backup}, kAll);
        for (int other = 0; other < kContentKindCount; ++other) {
            EXPECT_EQ(phone.written[other], other < k    ? kItems
                                            : other == k ? 1
                                                         : 0)
                << kKindFiles[other].name;
        }
        EXPECT_EQ(job.snapshot().done[k], 1);
    }
}

TEST(JobRestore, AFailedItemOfEachKindIsCountedAndTheRestFollow) {
    QTemporaryDir out;
    const QString backup = MakeBackup(out.path(), kItems);
    for (int k = 0; k < kContentKindCount; ++k) {
        SCOPED_TRACE(kKindFiles[k].name);
        FakePhone phone(kItems);
        phone.holdNoRecords();
        phone.failing = {{k, 1}};
        GetBackupDataThread job(phone, kSecondMs);
        RunRestore(job, {backup}, kAll);
        for (int other = 0; other < kContentKindCount; ++other) {
            EXPECT_EQ(phone.written[other], kItems) << kKindFiles[other].name;
            EXPECT_EQ(job.snapshot().failed[other], other == k ? 1 : 0) << kKindFiles[other].name;
        }
    }
}

TEST(JobRestore, SeveralFoldersAddUpTheirTotalsAndCounts) {
    QTemporaryDir out;
    // The records of the first folder are those of the second.
    const QString first = MakeBackup(out.path() + QStringLiteral("/a"), 2);
    const QString second = MakeBackup(out.path() + QStringLiteral("/b"), 3);
    FakePhone phone(0);
    GetBackupDataThread job(phone, kSecondMs);
    RunRestore(job, {first, second}, kAll);
    for (int k = 0; k < kContentKindCount; ++k) {
        const bool records = kKindFiles[k].shape == KindShape::Records;
        EXPECT_EQ(job.snapshot().total[k], 5) << kKindFiles[k].name;
        EXPECT_EQ(job.snapshot().done[k], 5) << kKindFiles[k].name;
        EXPECT_EQ(phone.written[k], records ? 3 : 5) << kKindFiles[k].name;
        EXPECT_EQ(job.skippedCount(ContentKind(k)), records ? 2 : 0) << kKindFiles[k].name;
    }
}

// Adds a second copy of every contact, message and call of a backup (the
// folder then no longer matches its SHA256SUMS, which goes).
void DoubleRecords(const QString& folder) {
    for (ContentKind kind : {Contacts, SMS, CallHistory}) {
        const JsonPtr root = ReadKindFile(folder, kind);
        ASSERT_TRUE(root);
        QList<cJSON*> parents;
        if (kKindFiles[kind].grouped) {
            for (cJSON* group = root->child; group != nullptr; group = group->next) {
                if (cJSON_IsObject(group)) {
                    parents << group;
                }
            }
        } else {
            parents << root.get();
        }
        for (cJSON* parent : parents) {
            QList<cJSON*> entries;
            for (cJSON* e = parent->child; e != nullptr; e = e->next) {
                if (cJSON_IsObject(e) && QByteArray(e->string) != "Version") {
                    entries << e;
                }
            }
            for (cJSON* e : entries) {
                cJSON_AddItemToObject(parent, (QByteArray(e->string) + "b").constData(),
                                      cJSON_Duplicate(e, true));
            }
        }
        ASSERT_TRUE(WriteJsFile(JsPathOf(folder, kind), kKindFiles[kind].jsPrefix, root.get()));
    }
    QFile::remove(folder + u'/' + QLatin1String(kChecksumFileName));
}

TEST(JobRestore, LeavesOutTheRecordsThePhoneHoldsAlready) {
    struct Case {
        const char* name;
        int onPhone;         // records of each kind the phone holds, those of the backup
        bool doubled;        // the folder holds every record twice
        bool keepDuplicates; // tarvell-cli restore --duplicates
        int runs;            // the same restore, one after the other
        int written;         // per kind, over all runs
        int skippedLastRun;
    };
    const Case cases[] = {
        {"phone empty", 0, false, false, 1, kItems, 0},
        {"phone holds all", kItems, false, false, 1, 0, kItems},
        {"phone holds some", 1, false, false, 1, kItems - 1, 1},
        {"folder holds each twice, phone empty", 0, true, false, 1, 2 * kItems, 0},
        {"folder holds each twice, phone one of each", kItems, true, false, 1, kItems, kItems},
        {"kept duplicates", kItems, false, true, 1, kItems, 0},
        {"restored twice", 0, false, false, 2, kItems, kItems},
    };
    QTemporaryDir out;
    const QString plain = MakeBackup(out.path() + QStringLiteral("/plain"), kItems);
    const QString doubled = MakeBackup(out.path() + QStringLiteral("/doubled"), kItems);
    DoubleRecords(doubled);
    const bool records[kContentKindCount] = {true, true, true, false, false, false, false};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePhone phone(c.onPhone);
        GetBackupDataThread job(phone, kSecondMs);
        for (int run = 0; run < c.runs; ++run) {
            PrepareRestoreJob(job, records, {c.doubled ? doubled : plain}, false);
            job.setKeepDuplicates(c.keepDuplicates);
            job.start();
            job.wait();
        }
        for (ContentKind kind : {Contacts, SMS, CallHistory}) {
            SCOPED_TRACE(kKindFiles[kind].name);
            EXPECT_EQ(phone.written[kind], c.written);
            EXPECT_EQ(job.skippedCount(kind), c.skippedLastRun);
            // Left out is done, not failed.
            EXPECT_EQ(job.snapshot().done[kind], job.snapshot().total[kind]);
            EXPECT_EQ(job.failedCount(kind), 0);
        }
        EXPECT_EQ(SkippedItemsSentence(job).isEmpty(), c.skippedLastRun == 0);
        EXPECT_TRUE(job.notes().isEmpty());
    }
}

TEST(JobRestore, APhoneListThatCannotBeReadLeavesItsKindOut) {
    QTemporaryDir out;
    const QString backup = MakeBackup(out.path(), kItems);
    FakePhone phone(kItems);
    phone.holdNoRecords();
    phone.unreadable = {SMS};
    GetBackupDataThread job(phone, kSecondMs);
    RunRestore(job, {backup}, kAll);
    for (int k = 0; k < kContentKindCount; ++k) {
        EXPECT_EQ(phone.written[k], k == SMS ? 0 : kItems) << kKindFiles[k].name;
        EXPECT_EQ(job.failedCount(ContentKind(k)), k == SMS ? kItems : 0) << kKindFiles[k].name;
    }
    ASSERT_EQ(job.notes().size(), 1);
    EXPECT_TRUE(job.notes()[0].startsWith(QStringLiteral("Text Messages not restored")));
    // With duplicates kept the list is not needed.
    FakePhone other(0);
    other.unreadable = {SMS};
    GetBackupDataThread kept(other, kSecondMs);
    PrepareRestoreJob(kept, kAll, {backup}, false);
    kept.setKeepDuplicates(true);
    kept.start();
    kept.wait();
    EXPECT_EQ(other.written[SMS], kItems);
}

TEST(JobRestore, TheMessagingAppCountdown) {
    struct Case {
        const char* name;
        int acceptAtCheck; // 0: never
        int sent;
        int failed;
    };
    // The countdown is 2: the first check comes before it starts, one check
    // follows each of the seconds that show 1 and 0.
    const Case cases[] = {
        {"accepted at once", 1, kItems, 0},
        {"accepted in the last second", 3, kItems, 0},
        {"never accepted", 0, 0, kItems},
    };
    QTemporaryDir out;
    const QString backup = MakeBackup(out.path(), kItems);
    setenv("TARVELL_TEST_SMS_COUNTDOWN", "2", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePhone phone(0);
        phone.needsRole = true;
        phone.acceptAtCheck = c.acceptAtCheck;
        GetBackupDataThread job(phone, kSecondMs);
        const bool selected[kContentKindCount] = {false, true, false, false, false, false, false};
        RunRestore(job, {backup}, selected);
        EXPECT_EQ(phone.written[SMS], c.sent);
        EXPECT_EQ(job.snapshot().failed[SMS], c.failed);
        EXPECT_EQ(phone.roleRequests, 1);
        // Granted or not, the user's own messaging app gets the role back.
        EXPECT_EQ(phone.roleReturns, 1);
    }
    unsetenv("TARVELL_TEST_SMS_COUNTDOWN");
}

TEST(JobRestore, ClearsMessagesOnceTheMessagingAppRoleIsHeld) {
    struct Case {
        const char* name;
        int acceptAtCheck; // 0: never
        bool cleared;
        int onPhone; // messages on the phone afterwards
    };
    const Case cases[] = {
        {"accepted", 1, true, kItems},
        // Nothing is written, so nothing is cleared: the phone keeps its own.
        {"never accepted", 0, false, kItems},
    };
    QTemporaryDir out;
    const QString backup = MakeBackup(out.path(), kItems);
    setenv("TARVELL_TEST_SMS_COUNTDOWN", "1", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePhone phone(kItems); // the backup's messages
        phone.needsRole = true;
        phone.acceptAtCheck = c.acceptAtCheck;
        GetBackupDataThread job(phone, kSecondMs);
        const bool sms[kContentKindCount] = {false, true, false, false, false, false, false};
        RunRestore(job, {backup}, sms, true);
        EXPECT_EQ(phone.cleared,
                  c.cleared ? std::vector<ContentKind>{SMS} : std::vector<ContentKind>{});
        // Cleared, the phone gets every message back; else it keeps its own.
        EXPECT_EQ(phone.written[SMS], c.cleared ? kItems : 0);
        EXPECT_EQ(job.skippedCount(SMS), 0);
        SmsRecord* head = nullptr;
        EXPECT_EQ(phone.messages(&head), c.onPhone);
    }
    unsetenv("TARVELL_TEST_SMS_COUNTDOWN");
}

TEST(JobRestore, ClearsOnlyKindsItCanRefill) {
    QTemporaryDir out;
    FakePhone source(kItems);
    GetBackupDataThread backupJob(source, kSecondMs);
    const bool contactsOnly[kContentKindCount] = {true, false, false, false, false, false, false};
    const QString backup = RunBackup(backupJob, out.path(), contactsOnly);
    FakePhone phone(kItems);
    GetBackupDataThread job(phone, kSecondMs);
    RunRestore(job, {backup}, kAll, true);
    EXPECT_EQ(phone.cleared, std::vector<ContentKind>{Contacts});
    EXPECT_EQ(phone.written[Contacts], kItems);
}

TEST(Session, RemovesTheCompanionOnceAndOnlyWhenItPreparedThePhone) {
    struct Case {
        const char* name;
        bool prepared;
        bool keep;
        int removals;
    };
    const Case cases[] = {
        {"prepared", true, false, 1},
        {"kept", true, true, 0},
        {"never prepared", false, false, 0},
    };
    for (const Case& c : cases) {
        FakePhone phone(0);
        Session session(phone);
        if (c.prepared) {
            EXPECT_EQ(session.preparePhone(), 0);
        }
        session.end(c.keep);
        session.end(c.keep);
        EXPECT_EQ(phone.removals, c.removals) << c.name;
    }
}

TEST(Session, CataloguesOnlyABackupThatFinished) {
    struct Case {
        const char* name;
        bool backup;
        bool cancel;
        bool listed;
    };
    const Case cases[] = {
        {"backup", true, false, true},
        {"cancelled backup", true, true, false},
        {"restore", false, false, false},
    };
    for (const Case& c : cases) {
        QTemporaryDir out;
        FakePhone phone(1);
        Session session(phone);
        GetBackupDataThread job(phone, kSecondMs);
        const bool contacts[kContentKindCount] = {true, false, false, false, false, false, false};
        QString error;
        const auto backup =
            session.setUpBackup(job, contacts, out.path(), QStringLiteral("Fake"), &error);
        ASSERT_TRUE(backup) << error.toStdString();
        if (!c.backup) {
            session.setUpRestore(job, contacts, {backup->folder}, false);
        }
        phone.onItem = [&](ContentKind) {
            if (c.cancel) {
                CancelJob(job);
            }
        };
        job.start();
        job.wait();
        // The catalogue lists only folders with the viewer's page.
        test::WriteAll(backup->folder + QStringLiteral("/index.html"), "<html>");
        const Session::Outcome outcome = session.finishJob(job, c.backup);
        EXPECT_EQ(outcome.catalogued, c.listed) << c.name;
        EXPECT_EQ(outcome.cancelled, c.cancel) << c.name;
        Catalogue catalogue;
        catalogue.load();
        EXPECT_EQ(catalogue.paths().contains(backup->folder), c.listed) << c.name;
    }
}

} // namespace
} // namespace tarvell
