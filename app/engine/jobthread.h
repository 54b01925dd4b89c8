// The job thread: one backup or one restore of the attached phone, run off
// the caller's thread. The front end sets the job up, calls start(), reads
// snapshots for its display (see jobcontrol.h) and reacts to the signals.
#pragma once

#include "backupfolder.h"
#include "duplicates.h"
#include "incremental.h"
#include "phone.h"
#include "prints.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

// What the job has done so far, copied at one moment for a display.
struct JobSnapshot {
    bool restoreMode = false;
    int currentStep = 0; // kind in hand; 7 after a complete job
    bool selected[kContentKindCount] = {};
    int done[kContentKindCount] = {};
    int total[kContentKindCount] = {}; // negative: unknown
    int failed[kContentKindCount] = {};
    int64_t videoBytesDone = 0;
    int64_t videoBytesTotal = 0;
    int64_t musicBytesDone = 0;
    int64_t musicBytesTotal = 0;
    int percent = 0;      // of the kind in hand, 0..100
    int smsCountdown = 0; // seconds left to accept the messaging-app request
    bool cancelRequested = false;
    QString currentFile; // media file being copied out of the phone, else ""
};

class GetBackupDataThread : public QThread {
    Q_OBJECT

public:
    // The job asks everything of phone. secondMs is the length of one second
    // of the messaging-app countdown (tests shorten it).
    explicit GetBackupDataThread(Phone& phone = LibraryPhone(), int secondMs = 1000);
    ~GetBackupDataThread() override;
    GetBackupDataThread(const GetBackupDataThread&) = delete;
    GetBackupDataThread& operator=(const GetBackupDataThread&) = delete;

    // The job fields, set only while the thread is not running: the kinds
    // and the backup folder with its catalogue label, or the kinds, the
    // folders to restore in order and whether to clear each kind first.
    // Every count starts unknown.
    void setUpBackup(const bool selected[kContentKindCount], const QString& outputFolder,
                     const QString& catalogLabel);
    void setUpRestore(const bool selected[kContentKindCount], const QStringList& folders,
                      bool clearBeforeCopy);
    // A restore normally leaves out a kind of a folder whose files do not
    // match the folder's SHA256SUMS; forced, it restores them anyway and the
    // finding becomes a warning. Set after setUpRestore().
    void setForceRestore(bool force) { m_ForceRestore = force; }
    bool forceRestore() const { return m_ForceRestore; }
    // A backup normally copies every file from the phone; incremental, it
    // takes the unchanged ones from an earlier backup of the same phone in
    // the catalogue (see incremental.h). Set after setUpBackup().
    void setIncremental(bool incremental) { m_Incremental = incremental; }
    bool incremental() const { return m_Incremental; }
    // Items of kind taken from an earlier backup; -1 when the backup had no
    // earlier folder for the kind. Read once the job has finished.
    int unchangedCount(ContentKind kind) const { return m_UnchangedCount[kind]; }
    // A restore normally reads the contacts, messages and calls the phone
    // holds and leaves out the records of the folders already there (see
    // duplicates.h); kept, it writes every record. Set after setUpRestore().
    void setKeepDuplicates(bool keep) { m_KeepDuplicates = keep; }
    bool keepDuplicates() const { return m_KeepDuplicates; }
    bool restoreMode() const { return m_RestoreMode; }
    QString outputFolder() const { return m_OutputFolder; }
    QString catalogLabel() const { return m_CatalogLabel; }
    QStringList restoreFolders() const { return m_RestoreFolders; }
    bool clearBeforeCopy() const { return m_ClearBeforeCopy; }
    Phone& phone() const { return m_Phone; }

    // The progress as the job sees it now. Any thread.
    JobSnapshot snapshot() const;
    int currentStep() const { return m_CurrentStep; }
    int smsCountdown() const { return m_SmsCountdown; }
    // Items of kind that did not arrive whole (a copy that left no file or a
    // file of the wrong size, a path too long for the library, a record the
    // phone refused), and their sum.
    int failedCount(ContentKind kind) const { return m_FailedCount[kind]; }
    int failedItems() const;
    // Records of kind a restore left out because the phone held them already.
    int skippedCount(ContentKind kind) const { return m_SkippedCount[kind]; }
    // What the user should read after the job, one sentence each: a kind of
    // a folder the restore left out (or, forced, restored despite damage),
    // exports or SHA256SUMS the backup could not write. Read once the job
    // has finished.
    QStringList notes() const { return m_Notes; }

    // Asks the job to stop, and the phone to end its long operations early.
    // Any thread; the job sees it at its next test.
    void requestCancel();
    bool cancelRequested() const { return m_Abort; }

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
    // The end of a backup that was not cancelled: the standard exports of
    // the kinds backed up, then SHA256SUMS over every file the job wrote
    // (present now and absent or different in before).
    struct FileStamp {
        qint64 size;
        qint64 modified;
    };
    void WriteExportsAndSums(const QString& backup, const QHash<QString, FileStamp>& before);
    // During a backup: the work handed off the job thread (thumbnails,
    // digests for SHA256SUMS, exports) and what it made. The end of the
    // backup waits for it; a cancel drops what has not begun.
    struct BackupAhead;
    BackupAhead* m_Ahead = nullptr;
    // Hands task to the backup's workers; weight is what it holds while it
    // waits (the bytes of the file it reads). Once the job is cancelled,
    // tasks not yet begun do nothing.
    void handOff(std::function<void()> task, int64_t weight);
    // Hands a record kind's writing to the records' worker.
    void writeRecordsAhead(std::function<void()> task);
    // Takes the SHA-256 of a file the job wrote, beside the job.
    void hashAhead(const QString& backup, const QString& path, int64_t size);
    // Before a restore touches the phone: every folder's chosen kinds
    // against the folder's SHA256SUMS. A kind of a folder that fails is left
    // out (m_Refused), counted as failed and noted, unless forced.
    void CheckFoldersBeforeRestore(const QStringList& folders);
    bool refused(const QString& folder, ContentKind kind) const;
    // Takes an item whose entry is unchanged since the earlier backup from
    // there; false when the phone must copy it.
    bool TakeUnchanged(ContentKind kind, const cJSON* entry, const QString& destination);
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
    // Reads what the phone holds of a record kind into m_Tally. False, with
    // the kind counted as failed and noted, when the phone's list could not
    // be read (nothing of the kind is then written), or on a cancel.
    bool readPhoneHoldings(ContentKind kind);
    // Writes one record unless the phone holds it already; key gives its
    // key, write writes it and gives false when the phone refused it.
    bool writeRecord(ContentKind kind, const std::function<QByteArray()>& key,
                     const std::function<bool()>& write);
    // Asks the phone to make the companion the default messaging app and
    // waits for the user; false when the user did not accept in time or the
    // job was cancelled (the request is then withdrawn).
    bool WaitForDefaultMessagingApp();

    // The byte counters of a kind that tracks bytes, else null.
    std::atomic<int64_t>* bytesDone(ContentKind kind);
    std::atomic<int64_t>* bytesTotal(ContentKind kind);
    void setCurrentFile(const QString& path);
    QString currentFile() const;
    void raisePercent(int done, int total);
    void countFailed(ContentKind kind);
    // Counts kind as failed when the phone left a command unanswered since
    // the failed-command count was failedCommandsBefore (a list that could
    // not be read looks like an empty one) and nothing of the kind was
    // counted as failed yet.
    void countUnanswered(ContentKind kind, int failedCommandsBefore);

    Phone& m_Phone;
    const int m_SecondMs;

    // Set up before start(), only while the thread is not running.
    int m_RestoreMode = 0;
    bool m_Selected[kContentKindCount] = {};
    QString m_OutputFolder;
    QString m_CatalogLabel;
    QStringList m_RestoreFolders;
    bool m_ClearBeforeCopy = false;
    bool m_ForceRestore = false;
    bool m_Incremental = false;
    std::unique_ptr<EarlierBackups> m_Earlier; // job thread only
    bool m_KeepDuplicates = false;
    // Job thread only; read by others after it has finished.
    QStringList m_Notes;
    QSet<QString> m_Refused; // kind number + ":" + folder
    RecordTally m_Tally;     // of the record kind being restored
    // Restore with clearing on a phone where only the default messaging app
    // may delete messages: the clear still to come, once the role is held.
    bool m_ClearMessagesWithRole = false;

    // Written by the job thread (m_Abort also by requestCancel()) and read by
    // any thread: atomics with relaxed order, display values and a stop
    // flag that need no ordering.
    std::atomic<int> m_CurrentStep{0}; // kind in hand; 7 after a complete job
    std::atomic<int> m_DoneCount[kContentKindCount] = {};
    std::atomic<int> m_TotalCount[kContentKindCount] = {}; // negative: unknown
    std::atomic<int64_t> m_VideoBytesDone{0};
    std::atomic<int64_t> m_VideoBytesTotal{0};
    std::atomic<int64_t> m_MusicBytesDone{0};
    std::atomic<int64_t> m_MusicBytesTotal{0};
    AbortFlag m_Abort{false};
    std::atomic<int> m_Percent{0};
    std::atomic<int> m_SmsCountdown{0};
    std::atomic<int> m_FailedCount[kContentKindCount] = {};
    std::atomic<int> m_UnchangedCount[kContentKindCount] = {};
    std::atomic<int> m_SkippedCount[kContentKindCount] = {};
    // The local path of the media file being copied out of the phone.
    QString m_CurrentFile;
    friend struct JobTestPeer;
    mutable QMutex m_CurrentFileLock;
};

// Seconds the user has to accept the default-messaging-app request: 60, or
// the value of the environment variable TARVELL_TEST_SMS_COUNTDOWN (tests
// only; 0 to 60).
int SmsCountdownSeconds();

// Lets a test give a job the results a display shows; nothing else writes
// into a job.
struct JobTestPeer {
    static void setFailedCount(GetBackupDataThread& job, ContentKind kind, int count) {
        job.m_FailedCount[kind] = count;
    }
};

} // namespace tarvell
