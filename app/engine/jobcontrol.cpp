#include "jobcontrol.h"

#include "fileroutines.h"
#include "naming.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tarvell {

std::optional<NewBackup> CreateBackupFolder(const QString& outputFolder, const QString& deviceLabel,
                                            const QDateTime& now, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<NewBackup> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    QDir output(outputFolder);
    if (!output.exists() && !QDir().mkpath(outputFolder)) {
        return fail(QStringLiteral("cannot create the output folder %1").arg(outputFolder));
    }
    NewBackup backup;
    backup.catalogLabel = CatalogueLabel(now, deviceLabel);
    const QString name = BackupFolderName(deviceLabel, now);
    backup.folder = BackupFolderPath(QDir(outputFolder).absolutePath(), name);
    if (!FitsLibraryPath(backup.folder + QStringLiteral("/Photos/Gallery/"))) {
        return fail(QStringLiteral("the output folder path is too long: %1").arg(outputFolder));
    }
    if (QFileInfo::exists(backup.folder)) {
        return fail(QStringLiteral("the backup folder exists already: %1").arg(backup.folder));
    }
    if (!output.mkdir(name)) {
        return fail(QStringLiteral("cannot create the backup folder %1").arg(backup.folder));
    }
    return backup;
}

void PrepareBackupJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                      const NewBackup& backup) {
    job.setUpBackup(selected, backup.folder, backup.catalogLabel);
}

void PrepareRestoreJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                       const QStringList& folders, bool clearBeforeCopy) {
    job.setUpRestore(selected, folders, clearBeforeCopy);
}

ProgressView PollProgress(const JobSnapshot& job, Phone& phone, ProgressTracker& tracker) {
    ProgressInput in;
    in.restoreMode = job.restoreMode;
    in.currentStep = job.currentStep;
    for (int k = 0; k < kContentKindCount; ++k) {
        in.selected[k] = job.selected[k];
        in.done[k] = job.done[k];
        in.total[k] = job.total[k];
    }
    in.videoBytesDone = job.videoBytesDone;
    in.videoBytesTotal = job.videoBytesTotal;
    in.musicBytesDone = job.musicBytesDone;
    in.musicBytesTotal = job.musicBytesTotal;
    in.percent = job.percent;
    if (!in.restoreMode) {
        in.currentFileSize = CurrentFileSize(job.currentFile);
        if (in.currentStep >= 0 && in.currentStep < kContentKindCount &&
            kKindFiles[in.currentStep].shape == KindShape::Records) {
            phone.refreshProgress(ContentKind(in.currentStep), &in.flushIndex, &in.flushCount);
        }
    }
    return tracker.poll(in);
}

ProgressView PollProgress(const GetBackupDataThread& job, ProgressTracker& tracker) {
    return PollProgress(job.snapshot(), job.phone(), tracker);
}

void CancelJob(GetBackupDataThread& job) {
    job.requestCancel();
}

void StopRunningJob(GetBackupDataThread& job) {
    while (job.isRunning()) {
        job.requestCancel();
        job.wait(200);
    }
}

QString SkippedItemsSentence(const GetBackupDataThread& job) {
    QStringList parts;
    int sum = 0;
    for (int k = 0; k < kContentKindCount; ++k) {
        const int skipped = job.skippedCount(ContentKind(k));
        if (skipped > 0) {
            sum += skipped;
            parts << QStringLiteral("%1 %2").arg(skipped).arg(
                QLatin1String(ProgressKindName(ContentKind(k))));
        }
    }
    if (sum == 0) {
        return QString();
    }
    return QStringLiteral("%1 already on the phone (%2).")
        .arg(sum)
        .arg(parts.join(QStringLiteral(", ")));
}

QString FailedItemsSentence(const GetBackupDataThread& job) {
    QStringList parts;
    int sum = 0;
    for (int k = 0; k < kContentKindCount; ++k) {
        const int failed = job.failedCount(ContentKind(k));
        if (failed > 0) {
            sum += failed;
            parts << QStringLiteral("%1 %2").arg(failed).arg(
                QLatin1String(ProgressKindName(ContentKind(k))));
        }
    }
    if (sum == 0) {
        return QString();
    }
    return QStringLiteral("%1 %2 could not be copied (%3); see tarvellui.log.")
        .arg(sum)
        .arg(sum == 1 ? QStringLiteral("item") : QStringLiteral("items"))
        .arg(parts.join(QStringLiteral(", ")));
}

QString UnchangedItemsSentence(const GetBackupDataThread& job, bool brief) {
    QStringList parts;
    int unchangedSum = 0;
    int totalSum = 0;
    for (int k = 0; k < kContentKindCount; ++k) {
        const int unchanged = job.unchangedCount(ContentKind(k));
        if (unchanged >= 0) {
            const int total = std::max(job.snapshot().total[k], unchanged);
            unchangedSum += unchanged;
            totalSum += total;
            parts << QStringLiteral("%1 of %2 %3s")
                         .arg(unchanged)
                         .arg(total)
                         .arg(QLatin1String(kKindFiles[k].itemWord));
        }
    }
    if (parts.isEmpty()) {
        return QString();
    }
    if (brief && parts.size() > 1) {
        parts = QStringList{QStringLiteral("%1 of %2 files").arg(unchangedSum).arg(totalSum)};
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" unchanged since the last backup.");
}

} // namespace tarvell
