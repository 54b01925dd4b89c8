// What a front end does around a job: the new backup folder, the failed-items
// sentence and the test-only countdown length.
#include "jobcontrol.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

const QDateTime kWhen(QDate(2024, 3, 9), QTime(7, 5, 4, 21));

TEST(CreateBackupFolder, NamesAndCreatesTheFolderAndLabel) {
    QTemporaryDir dir;
    const QString out = dir.path() + QStringLiteral("/not/yet/there");
    QString error;
    const auto backup = CreateBackupFolder(out, QStringLiteral("Pixel 7"), kWhen, &error);
    ASSERT_TRUE(backup) << error.toStdString();
    EXPECT_EQ(backup->folder, out + QStringLiteral("/Pixel 7-03-09-2024-07-05-04"));
    EXPECT_EQ(backup->catalogLabel, QStringLiteral("09.03.2024 07:05:04.021-Pixel 7"));
    EXPECT_TRUE(QFileInfo(backup->folder).isDir());
}

TEST(CreateBackupFolder, RefusesWithoutTouchingAnything) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QString output;
        QString label;
        const char* errorPart;
    };
    const QString longOutput = dir.path() + u'/' + QString(200, u'a') + u'/' + QString(200, u'b') +
                               u'/' + QString(200, u'c') + u'/' + QString(200, u'd') + u'/' +
                               QString(200, u'e');
    const Case cases[] = {
        {"existing folder", dir.path(), QStringLiteral("Twice"), "exists already"},
        {"path over the library's limit", longOutput, QStringLiteral("Long"), "too long"},
    };
    ASSERT_TRUE(CreateBackupFolder(dir.path(), QStringLiteral("Twice"), kWhen, nullptr));
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(CreateBackupFolder(c.output, c.label, kWhen, &error)) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.errorPart)))
            << c.name << ": " << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(longOutput + QStringLiteral("/Long-03-09-2024-07-05-04")));
}

TEST(CreateBackupFolder, ALabelWithSlashesStaysOneFolder) {
    QTemporaryDir dir;
    const auto backup = CreateBackupFolder(dir.path(), QStringLiteral("../A/B"), kWhen, nullptr);
    ASSERT_TRUE(backup);
    EXPECT_EQ(QFileInfo(backup->folder).absolutePath(), QDir(dir.path()).absolutePath());
}

TEST(FailedItemsSentence, NamesCountsPerKind) {
    GetBackupDataThread job;
    EXPECT_EQ(FailedItemsSentence(job), QString());
    JobTestPeer::setFailedCount(job, Photos, 2);
    JobTestPeer::setFailedCount(job, Musics, 1);
    EXPECT_EQ(
        FailedItemsSentence(job),
        QStringLiteral("3 items could not be copied (2 Photos, 1 Musics); see tarvellui.log."));
    EXPECT_EQ(job.failedItems(), 3);
}

TEST(SmsCountdownSeconds, OnlyAValidTestSettingShortensIt) {
    struct Case {
        const char* value; // null: unset
        int seconds;
    };
    const Case cases[] = {{nullptr, 60}, {"2", 2},   {"0", 0},     {"60", 60},
                          {"61", 60},    {"-1", 60}, {"soon", 60}, {"", 60}};
    for (const Case& c : cases) {
        if (c.value == nullptr) {
            unsetenv("TARVELL_TEST_SMS_COUNTDOWN");
        } else {
            setenv("TARVELL_TEST_SMS_COUNTDOWN", c.value, 1);
        }
        EXPECT_EQ(SmsCountdownSeconds(), c.seconds) << (c.value ? c.value : "(unset)");
    }
    unsetenv("TARVELL_TEST_SMS_COUNTDOWN");
}

TEST(PrepareJob, StartsEveryCountUnknown) {
    GetBackupDataThread job;
    const bool selected[kContentKindCount] = {true, false, true, false, false, false, true};
    PrepareRestoreJob(job, selected, {QStringLiteral("/b1"), QStringLiteral("/b2")}, true);
    const JobSnapshot before = job.snapshot();
    EXPECT_TRUE(before.restoreMode);
    EXPECT_TRUE(job.clearBeforeCopy());
    EXPECT_EQ(job.restoreFolders().size(), 2);
    for (int k = 0; k < kContentKindCount; ++k) {
        EXPECT_EQ(before.selected[k], selected[k]);
        EXPECT_EQ(before.done[k], -1);
        EXPECT_EQ(before.total[k], -1);
    }
    // A restore poll shows unknown totals as bare names; the display keeps its
    // own percent and writes nothing into the job.
    ProgressTracker tracker;
    const ProgressView view = PollProgress(job, tracker);
    EXPECT_EQ(view.rows[0].name, QStringLiteral("Contacts"));
    EXPECT_EQ(view.rows[1].name, QStringLiteral("Call Logs"));
    EXPECT_EQ(view.rows[2].name, QStringLiteral("Apps"));
    EXPECT_EQ(view.rows[3].status, RowStatus::Empty);
    EXPECT_EQ(PollProgress(job, tracker).percent, 2);
    const JobSnapshot after = job.snapshot();
    EXPECT_EQ(after.total[Contacts], -1);
    EXPECT_EQ(after.percent, 0);
}

} // namespace
} // namespace tarvell
