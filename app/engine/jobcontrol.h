// What a front end does around a job, shared by the desktop program and
// tarvell-cli: naming and creating the backup folder, filling the job fields,
// one progress poll, and cancelling.
#pragma once

#include "jobthread.h"
#include "progress.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace tarvell {

// A new backup folder inside outputFolder: "<label>-MM-dd-yyyy-HH-mm-ss" and
// its catalogue label "dd.MM.yyyy hh:mm:ss.zzz-<label>".
struct NewBackup {
    QString folder;
    QString catalogLabel;
};
// Creates the folder. Nothing (and *error says why) when the output folder
// cannot be created, the new folder exists already or cannot be created, or
// its path does not fit the library's path arguments.
std::optional<NewBackup> CreateBackupFolder(const QString& outputFolder, const QString& deviceLabel,
                                            const QDateTime& now, QString* error);

// Sets up a new job. The thread must not be running.
void PrepareBackupJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                      const NewBackup& backup);
void PrepareRestoreJob(GetBackupDataThread& job, const bool selected[kContentKindCount],
                       const QStringList& folders, bool clearBeforeCopy);

// One poll of the progress display: the job's snapshot (and, during the
// backup of contacts, messages and call log, the phone's refresh counters)
// through the display's tracker.
ProgressView PollProgress(const JobSnapshot& job, Phone& phone, ProgressTracker& tracker);
ProgressView PollProgress(const GetBackupDataThread& job, ProgressTracker& tracker);

// Cancel: asks the job to stop and the phone to end its long operations
// early. Any thread.
void CancelJob(GetBackupDataThread& job);

// Asks a running job to stop and waits until it has (200 ms steps).
void StopRunningJob(GetBackupDataThread& job);

// The second sentence of the completion text when items failed ("3 items
// could not be copied (2 Photos, 1 Musics); see tarvellui.log."), empty when
// none did.
QString FailedItemsSentence(const GetBackupDataThread& job);

// After an incremental backup, what it took from the earlier one: "1950 of
// 2000 photos, 3 of 30 videos unchanged since the last backup." for every
// kind that had an earlier folder; empty when none had. Brief, several
// kinds are summed up: "1953 of 2030 files unchanged since the last backup."
QString UnchangedItemsSentence(const GetBackupDataThread& job, bool brief = false);
// The sentence of the records a restore left out because the phone held
// them already ("412 already on the phone (12 Contacts, 400 Text
// Messages)."), empty when none were.
QString SkippedItemsSentence(const GetBackupDataThread& job);

} // namespace tarvell
