// One use of the phone by a front end, the same for the desktop program and
// tarvell-cli: find the phone, prepare it, set up and finish one job at a
// time, and remove the companion service at the end. The front ends keep
// only their arguments or widgets, the progress display and how they report
// the outcome.
#pragma once

#include "jobcontrol.h"
#include "phone.h"

#include <QString>
#include <atomic>
#include <optional>

namespace tarvell {

class Session {
public:
    explicit Session(Phone& phone = LibraryPhone());

    Phone& phone() { return m_Phone; }

    enum class Found {
        Ready,
        NotAllowed, // the phone has not allowed this computer yet
        Missing,
    };
    Found findPhone();
    // Installs and starts the companion service; blocks for seconds. The
    // library's result (0 when the companion answers). From the first call on
    // end() removes the companion, which a failed preparation may have left.
    int preparePhone();
    // Progress of a running preparePhone(), 0..100. Any thread.
    int prepareProgress();
    // The attached phone's label (model, else maker, else serial).
    QString phoneLabel();

    // Creates a new backup folder in outputFolder, named after deviceLabel and
    // the time (the next free second when that folder exists, up to five),
    // and fills the job fields of a backup into it. Nothing, and *error says
    // why, when no folder could be created. Incremental unless full (see
    // GetBackupDataThread::setIncremental).
    std::optional<NewBackup> setUpBackup(GetBackupDataThread& job,
                                         const bool selected[kContentKindCount],
                                         const QString& outputFolder, const QString& deviceLabel,
                                         QString* error, bool full = false);
    // force: restore kinds whose files do not match their folder's
    // SHA256SUMS too (see GetBackupDataThread::setForceRestore).
    // keepDuplicates: write records the phone holds already too (see
    // GetBackupDataThread::setKeepDuplicates).
    void setUpRestore(GetBackupDataThread& job, const bool selected[kContentKindCount],
                      const QStringList& folders, bool clearBeforeCopy, bool force = false,
                      bool keepDuplicates = false);

    // What a finished job leaves for the front end to report.
    struct Outcome {
        bool cancelled = false;
        // A backup that finished is in the catalogue; false when the
        // catalogue could not be written (logged).
        bool catalogued = false;
        QString failures;       // FailedItemsSentence, empty when none failed
        QString unchanged;      // a backup's UnchangedItemsSentence
        QString unchangedBrief; // the same, brief
        // SkippedItemsSentence: records a restore found on the phone already
        // (not a failure), empty when none.
        QString skipped;
        // Sentences to show beside it (GetBackupDataThread::notes): kinds a
        // restore left out or forced, a backup's exports or SHA256SUMS that
        // could not be written. A backup with notes is not complete.
        QStringList notes;
    };
    // Once the job has finished: records a backup (a job the front end
    // started as one) that was not cancelled in the catalogue.
    Outcome finishJob(const GetBackupDataThread& job, bool backup);

    // Removes the companion service when this session prepared the phone,
    // unless keepCompanion, and waits for adb. Once.
    void end(bool keepCompanion = false);

private:
    Phone& m_Phone;
    std::atomic<bool> m_Prepared{false};
    bool m_Ended = false;
};

// The program's session on the device library.
Session& ProgramSession();

} // namespace tarvell
