#include "jobcontrol.h"

#include "fileroutines.h"
#include "naming.h"

#include <QDir>
#include <QFileInfo>

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

namespace {

void PrepareCommon(GetBackupDataThread& job, int mode, const bool selected[kContentKindCount]) {
    job.m_RestoreMode = mode;
    for (int k = 0; k < kContentKindCount; ++k) {
        job.m_Selected[k] = selected[k];
        job.m_DoneCount[k] = -1;
        job.m_TotalCount[k] = -1;
    }
}

} // namespace

void PrepareBackupJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                      const NewBackup& backup) {
    job.m_OutputFolder = backup.folder;
    job.m_CatalogLabel = backup.catalogLabel;
    PrepareCommon(job, 0, selected);
}

void PrepareRestoreJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                       const QStringList& folders, bool clearBeforeCopy) {
    job.m_RestoreFolders = folders;
    job.m_ClearBeforeCopy = clearBeforeCopy;
    PrepareCommon(job, 1, selected);
}

ProgressView PollProgress(GetBackupDataThread& job) {
    ProgressInput in;
    in.restoreMode = job.m_RestoreMode != 0;
    in.currentStep = job.m_CurrentStep;
    for (int k = 0; k < kContentKindCount; ++k) {
        in.selected[k] = job.m_Selected[k];
        in.done[k] = job.m_DoneCount[k];
        in.total[k] = job.m_TotalCount[k];
    }
    in.videoBytesDone = job.m_VideoBytesDone;
    in.videoBytesTotal = job.m_VideoBytesTotal;
    in.musicBytesDone = job.m_MusicBytesDone;
    in.musicBytesTotal = job.m_MusicBytesTotal;
    in.percent = job.m_Percent;
    if (!in.restoreMode) {
        in.currentFileSize = CurrentFileSize(job.currentFile());
        switch (in.currentStep) {
        case Contacts:
            in.flushCount = Tarvell_FlushContact_Count();
            in.flushIndex = Tarvell_FlushContact_Index();
            break;
        case SMS:
            in.flushCount = Tarvell_FlushSMS_Count();
            in.flushIndex = Tarvell_FlushSMS_Index();
            break;
        case CallHistory:
            in.flushCount = Tarvell_FlushCallLog_Count();
            in.flushIndex = Tarvell_FlushCallLog_Index();
            break;
        default:
            break;
        }
    }
    const ProgressView view = ComputeProgress(in);
    // Write back only what the display changed, and only when the job did not
    // change it meanwhile.
    int expected = in.percent;
    job.m_Percent.compare_exchange_strong(expected, view.percent);
    for (int k = 0; k < kContentKindCount; ++k) {
        if (view.done[k] != in.done[k]) {
            int was = in.done[k];
            job.m_DoneCount[k].compare_exchange_strong(was, view.done[k]);
        }
        if (view.total[k] != in.total[k]) {
            int was = in.total[k];
            job.m_TotalCount[k].compare_exchange_strong(was, view.total[k]);
        }
    }
    return view;
}

void CancelJob(GetBackupDataThread& job) {
    job.requestCancel();
}

void StopRunningJob(GetBackupDataThread& job) {
    while (job.isRunning()) {
        job.m_Abort = true;
        job.wait(200);
    }
}

QString FailedItemsSentence(const GetBackupDataThread& job) {
    QStringList parts;
    int sum = 0;
    for (int k = 0; k < kContentKindCount; ++k) {
        const int failed = job.m_FailedCount[k];
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

} // namespace tarvell
