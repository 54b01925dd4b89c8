// The job thread: one backup or one restore of the attached phone, run off
// the caller's thread. The front end fills the job fields, calls start(),
// polls the progress fields (see jobcontrol.h) and reacts to the signals.
#pragma once

#include "backupfolder.h"
#include "prints.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

class GetBackupDataThread : public QThread {
    Q_OBJECT

public:
    GetBackupDataThread();
    ~GetBackupDataThread() override;
    GetBackupDataThread(const GetBackupDataThread&) = delete;
    GetBackupDataThread& operator=(const GetBackupDataThread&) = delete;

    // Fields read by another thread while the job runs are atomics with
    // relaxed order: display values and a stop flag, no ordering needed.
    std::atomic<int> m_CurrentStep{0}; // kind in hand; 7 after a complete job
    std::atomic<int> m_RestoreMode{0}; // 0 backup, 1 restore
    std::atomic<bool> m_Selected[kContentKindCount] = {};
    std::atomic<int> m_DoneCount[kContentKindCount] = {};
    std::atomic<int> m_TotalCount[kContentKindCount] = {}; // negative: unknown
    std::atomic<int64_t> m_VideoBytesDone{0};
    std::atomic<int64_t> m_VideoBytesTotal{0};
    std::atomic<int64_t> m_MusicBytesDone{0};
    std::atomic<int64_t> m_MusicBytesTotal{0};
    // Written by the job thread only; read it through currentFile().
    QString m_CurrentFile;
    // Written only while the thread is not running.
    QString m_OutputFolder;       // backup: the backup folder
    QString m_CatalogLabel;       // backup: its catalogue label
    QStringList m_RestoreFolders; // restore: folders in order
    bool m_ClearBeforeCopy = false;
    AbortFlag m_Abort{false};
    std::atomic<int> m_Percent{0};
    std::atomic<int> m_SmsCountdown{0};
    // Items of each kind that did not arrive whole: a copy that left no file
    // or a file of the wrong size, a destination path too long for the
    // library. Reset at the start of every job.
    std::atomic<int> m_FailedCount[kContentKindCount] = {};

    // m_CurrentFile, safe to call from any thread while the job runs.
    QString currentFile() const;
    // Sum of m_FailedCount.
    int failedItems() const;

signals:
    void changeSMSShow();
    void changeSMSHide();

protected:
    void run() override;

private:
    void runBackup();
    void runRestore();

    // Collectors.
    void CollectContacts(const ContactRecord* head, const QString& backup);
    // Returns the names lent by the group rule, for the prints.
    NameLoans CollectMessages(const QString& backup);
    void CollectCallHistory(const QString& backup);
    void CollectPhotos(const QString& backup);
    void CollectVideos(const QString& backup);
    void CollectMusics(const QString& backup);
    void CollectApps(const QString& backup);
    void CollectDeviceInfo(const QString& backup);

    // Restorers.
    void RestoreContacts(const QString& folder);
    void RestoreMessages(const QString& folder);
    void RestoreCallHistory(const QString& folder);
    void RestorePhotos(const QString& folder);
    void RestoreVideos(const QString& folder);
    void RestoreMusics(const QString& folder);
    void RestoreApps(const QString& folder);
    void countAppsMissingFromPhone(const QList<QByteArray>& packages);
    void RestoreMediaFiles(const QString& folder, ContentKind kind);
    // Asks the phone to make the companion the default messaging app and
    // waits for the user; false when the user did not accept in time.
    bool WaitForDefaultMessagingApp();

    void setCurrentFile(const QString& path);
    void raisePercent(int done, int total);
    void countFailed(ContentKind kind);
    // Counts kind as failed when the phone left a command unanswered since
    // the library's failed-command count was failedCommandsBefore (a list
    // that could not be read looks like an empty one) and nothing of the
    // kind was counted as failed yet.
    void countUnanswered(ContentKind kind, int failedCommandsBefore);

    mutable QMutex m_CurrentFileLock;
};

// Seconds the user has to accept the default-messaging-app request: 60, or
// the value of the environment variable TARVELL_TEST_SMS_COUNTDOWN (tests
// only; 0 to 60).
int SmsCountdownSeconds();

} // namespace tarvell
