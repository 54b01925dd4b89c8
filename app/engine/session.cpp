#include "session.h"

#include "catalogue.h"
#include "naming.h"
#include "uilog.h"

#include <QDir>
#include <QFileInfo>

namespace tarvell {

Session::Session(Phone& phone) : m_Phone(phone) {}

Session::Found Session::findPhone() {
    const int detected = m_Phone.detect();
    return detected == 0 ? Found::Ready : detected == -2 ? Found::NotAllowed : Found::Missing;
}

int Session::preparePhone() {
    m_Prepared = true;
    return m_Phone.prepare();
}

int Session::prepareProgress() {
    return m_Phone.prepareProgress();
}

QString Session::phoneLabel() {
    DeviceInfoRecord info{};
    m_Phone.deviceInfo(info);
    return DeviceLabel(info);
}

std::optional<NewBackup> Session::setUpBackup(GetBackupDataThread& job,
                                              const bool selected[kContentKindCount],
                                              const QString& outputFolder,
                                              const QString& deviceLabel, QString* error,
                                              bool full) {
    // A backup started again within the same second (say right after a
    // cancel) takes the next free second rather than the earlier folder.
    QDateTime when = QDateTime::currentDateTime();
    const QString output = QDir(outputFolder).absolutePath();
    for (int i = 0;
         i < 5 && QFileInfo::exists(BackupFolderPath(output, BackupFolderName(deviceLabel, when)));
         ++i) {
        when = when.addSecs(1);
    }
    const auto backup = CreateBackupFolder(outputFolder, deviceLabel, when, error);
    if (backup) {
        PrepareBackupJob(job, selected, *backup);
        job.setIncremental(!full);
        UiLog("%s backup into %s.\n", full ? "Full" : "Incremental",
              qUtf8Printable(backup->folder));
    }
    return backup;
}

void Session::setUpRestore(GetBackupDataThread& job, const bool selected[kContentKindCount],
                           const QStringList& folders, bool clearBeforeCopy, bool force,
                           bool keepDuplicates) {
    PrepareRestoreJob(job, selected, folders, clearBeforeCopy);
    job.setForceRestore(force);
    job.setKeepDuplicates(keepDuplicates);
    UiLog("Restore of %d backup(s).\n", int(folders.size()));
}

Session::Outcome Session::finishJob(const GetBackupDataThread& job, bool backup) {
    Outcome outcome;
    outcome.cancelled = job.cancelRequested();
    outcome.notes = job.notes();
    UiLog("The job ended%s.\n", outcome.cancelled ? " early" : "");
    if (outcome.cancelled) {
        return outcome;
    }
    if (backup) {
        Catalogue catalogue;
        catalogue.load();
        catalogue.add(job.catalogLabel(), job.outputFolder());
        outcome.catalogued = catalogue.save();
        if (!outcome.catalogued) {
            UiLog("Cannot write the backup catalogue %s.\n", qUtf8Printable(CatalogPath()));
        }
    }
    outcome.failures = FailedItemsSentence(job);
    if (backup) {
        outcome.unchanged = UnchangedItemsSentence(job);
        outcome.unchangedBrief = UnchangedItemsSentence(job, true);
    }
    outcome.skipped = SkippedItemsSentence(job);
    return outcome;
}

void Session::end(bool keepCompanion) {
    if (m_Ended || !m_Prepared || keepCompanion) {
        return;
    }
    m_Ended = true;
    if (m_Phone.removeCompanion() != 0) {
        UiLog("the Tarvell service could not be removed from the phone\n");
    }
}

Session& ProgramSession() {
    static Session session;
    return session;
}

} // namespace tarvell
