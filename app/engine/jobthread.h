// The job thread: one backup or one restore of the attached phone, run off
// the caller's thread. The front end fills the job fields, calls start(),
// polls the progress fields (see jobcontrol.h) and reacts to the signals.
#pragma once

#include "backupfolder.h"
#include "phone.h"
#include "prints.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

class GetBackupDataThread : public QThread {
    Q_OBJECT

public:
    // The job asks everything of phone. secondMs is the length of one second
    // of the messaging-app countdown (tests shorten it).
    explicit GetBackupDataThread(Phone& phone = LibraryPhone(), int secondMs = 1000);
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

    // Asks the job to stop, and the phone to end its long operations early.
    // Any thread.
    void requestCancel();

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

    // Runs step for each selected kind in order, between the tests for a
    // cancel, and moves m_CurrentStep on. False when the job was cancelled.
    bool runKinds(const std::function<void(ContentKind)>& step);

    // Collectors (into the backup folder) and restorers (from one folder to
    // restore), one of each per kind; the media kinds share theirs.
    struct KindSteps {
        void (GetBackupDataThread::*collect)(ContentKind, const QString& backup);
        void (GetBackupDataThread::*restore)(ContentKind, const QString& folder);
    };
    static const KindSteps kSteps[kContentKindCount];
    void CollectContacts(ContentKind, const QString& backup);
    void CollectMessages(ContentKind, const QString& backup);
    void CollectCallHistory(ContentKind, const QString& backup);
    void CollectMedia(ContentKind kind, const QString& backup);
    void CollectApps(ContentKind, const QString& backup);
    void CollectDeviceInfo(const QString& backup);
    // Copies one media file out of the phone; true when it arrived whole.
    bool CopyFromPhone(ContentKind kind, int32_t id, const QString& destination, int64_t size);
    void restoreEntries(ContentKind kind, const cJSON* root,
                        const std::function<bool(const cJSON*)>& write);
    void RestoreContacts(ContentKind, const QString& folder);
    void RestoreMessages(ContentKind, const QString& folder);
    void RestoreCallHistory(ContentKind, const QString& folder);
    void RestoreMedia(ContentKind kind, const QString& folder);
    void RestoreApps(ContentKind, const QString& folder);
    void countAppsMissingFromPhone(const QList<QByteArray>& packages);
    // Asks the phone to make the companion the default messaging app and
    // waits for the user; false when the user did not accept in time or the
    // job was cancelled (the request is then withdrawn).
    bool WaitForDefaultMessagingApp();

    // The byte counters of a kind that tracks bytes, else null.
    std::atomic<int64_t>* bytesDone(ContentKind kind);
    std::atomic<int64_t>* bytesTotal(ContentKind kind);
    void setCurrentFile(const QString& path);
    void raisePercent(int done, int total);
    void countFailed(ContentKind kind);
    // Counts kind as failed when the phone left a command unanswered since
    // the failed-command count was failedCommandsBefore (a list that could
    // not be read looks like an empty one) and nothing of the kind was
    // counted as failed yet.
    void countUnanswered(ContentKind kind, int failedCommandsBefore);

    Phone& m_Phone;
    const int m_SecondMs;
    mutable QMutex m_CurrentFileLock;
};

// Seconds the user has to accept the default-messaging-app request: 60, or
// the value of the environment variable TARVELL_TEST_SMS_COUNTDOWN (tests
// only; 0 to 60).
int SmsCountdownSeconds();

} // namespace tarvell
