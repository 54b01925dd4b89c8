#include "jobthread.h"

#include "appsupport.h"
#include "counters.h"
#include "entries.h"
#include "fileroutines.h"
#include "naming.h"
#include "progress.h"
#include "safenames.h"
#include "thumbnail.h"
#include "uilog.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSemaphore>
#include <QSet>
#include <QThreadPool>
#include <algorithm>
#include <cstring>

namespace tarvell {

namespace {

constexpr int kDefaultSmsCountdown = 60;

template <size_t N> QByteArray FieldBytes(const char (&field)[N]) {
    return QByteArray(field, int(qstrnlen(field, N)));
}

bool IsRecordKind(int kind) {
    return kind == Contacts || kind == SMS || kind == CallHistory;
}

// True when folder holds something of kind that a restore could put back:
// an entry for the record kinds, an entry whose file is readable for the
// file kinds.
bool HoldsSomethingToRestore(const QString& folder, ContentKind kind) {
    const JsonPtr root = ReadKindFile(folder, kind);
    if (!root) {
        return false;
    }
    bool found = false;
    if (kind == SMS || kind == CallHistory) {
        ForEachGroupedEntry(root.get(), [&](const cJSON*, bool) {
            found = true;
            return false;
        });
        return found;
    }
    ForEachEntry(root.get(), [&](const cJSON* entry) {
        if (kind == Contacts) {
            found = true;
        } else {
            const auto file =
                kind == Apps
                    ? ReadAppEntry(entry, folder)
                    : ReadMediaEntry(entry, folder, QLatin1String(kKindFiles[kind].fileFolder));
            found = file && QFileInfo(file->localPath).isReadable() &&
                    QFileInfo(file->localPath).isFile() && ResolvesInside(folder, file->localPath);
        }
        return !found;
    });
    return found;
}

int CountGroupedEntries(const cJSON* root) {
    int count = 0;
    ForEachGroupedEntry(root, [&](const cJSON*, bool) {
        ++count;
        return true;
    });
    return count;
}

// Logs a copy that arrived but not whole (a missing file has its own line).
void LogIncompleteCopy(int32_t id, const QString& destination, int64_t size) {
    if (QFileInfo::exists(destination)) {
        UiLog("error: incomplete copy titeminfo.ID = %d, %s (%lld of %lld bytes)\n", id,
              destination.toUtf8().constData(),
              static_cast<long long>(QFileInfo(destination).size()), static_cast<long long>(size));
    }
}

// Copies a media file of the phone to destination: through adb first, then,
// when that did not bring the whole file (adb cannot pass every name the
// phone may hold, such as one with a double quote), streamed over the
// command channel. True when the file arrived whole; a partial file is
// removed.
bool CopyFromPhone(ContentKind kind, int32_t id, const QString& destination, int64_t size,
                   const AbortFlag& abort) {
    const QByteArray path = destination.toUtf8();
    using Export = int (*)(int, const char*, int64_t);
    Export adb = &Tarvell_ExportPhotofromDevice;
    Export streamed = &Tarvell_ExportPhotofromDevice2;
    if (kind == Videos) {
        adb = &Tarvell_ExportVideofromDevice;
        streamed = &Tarvell_ExportVideofromDevice2;
    } else if (kind == Musics) {
        adb = &Tarvell_ExportMusicfromDevice;
        streamed = &Tarvell_ExportMusicfromDevice2;
    }
    adb(id, path.constData(), size);
    if (!CopiedFileIsWhole(destination, size) && !abort) {
        streamed(id, path.constData(), size);
    }
    if (CopiedFileIsWhole(destination, size)) {
        return true;
    }
    // A part of a file under the final name would pass for the whole one
    // (a cut photo, a song that stops): it goes, the entry stays listed and
    // the item counts as failed.
    LogIncompleteCopy(id, destination, size);
    QFile::remove(destination);
    return false;
}

// Pushes a file to the phone: through adb first, streamed when adb refused
// it. The library's result (negative: failed).
int PushToPhone(ContentKind kind, const QByteArray& local, const QByteArray& name,
                const AbortFlag& abort) {
    using Push = int (*)(const char*, const char*);
    Push adb = &Tarvell_addPhoto;
    Push streamed = &Tarvell_addPhoto2;
    if (kind == Videos) {
        adb = &Tarvell_AddVideoToDevice;
        streamed = &Tarvell_AddVideoToDevice2;
    } else if (kind == Musics) {
        adb = &Tarvell_AddMusicToDevice;
        streamed = &Tarvell_AddMusicToDevice2;
    }
    const int result = adb(local.constData(), name.constData());
    if (result >= 0 || abort) {
        return result;
    }
    return streamed(local.constData(), name.constData());
}

} // namespace

int SmsCountdownSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TARVELL_TEST_SMS_COUNTDOWN", &ok);
    return (ok && seconds >= 0 && seconds <= kDefaultSmsCountdown) ? seconds : kDefaultSmsCountdown;
}

GetBackupDataThread::GetBackupDataThread() : QThread(nullptr) {
    for (int k = 0; k < kContentKindCount; ++k) {
        m_Selected[k] = false;
    }
}

GetBackupDataThread::~GetBackupDataThread() = default;

QString GetBackupDataThread::currentFile() const {
    QMutexLocker lock(&m_CurrentFileLock);
    return m_CurrentFile;
}

int GetBackupDataThread::failedItems() const {
    int sum = 0;
    for (const auto& failed : m_FailedCount) {
        sum += failed.load(std::memory_order_relaxed);
    }
    return sum;
}

void GetBackupDataThread::setCurrentFile(const QString& path) {
    QMutexLocker lock(&m_CurrentFileLock);
    m_CurrentFile = path;
}

void GetBackupDataThread::raisePercent(int done, int total) {
    const int value = done * 100 / std::max(total, 1);
    if (value > m_Percent.load(std::memory_order_relaxed)) {
        m_Percent = value;
    }
}

void GetBackupDataThread::countFailed(ContentKind kind) {
    m_FailedCount[kind].fetch_add(1, std::memory_order_relaxed);
}

void GetBackupDataThread::countUnanswered(ContentKind kind, int failedCommandsBefore) {
    if (Tarvell_GetFailedCommandCount() == failedCommandsBefore || m_Abort) {
        return;
    }
    UiLog("error: the phone left commands unanswered during %s; it may be incomplete\n",
          ProgressKindName(kind));
    if (m_FailedCount[kind].load(std::memory_order_relaxed) == 0) {
        countFailed(kind);
    }
}

void GetBackupDataThread::run() {
    for (int k = 0; k < kContentKindCount; ++k) {
        m_DoneCount[k] = 0;
        m_FailedCount[k] = 0;
    }
    m_Percent = 0;
    m_VideoBytesDone = 0;
    m_VideoBytesTotal = 0;
    m_MusicBytesDone = 0;
    m_MusicBytesTotal = 0;
    Tarvell_ResetFlushDBStatus();
    m_Abort = false;
    m_CurrentStep = 0;
    if (m_RestoreMode == 0) {
        runBackup();
    } else {
        runRestore();
    }
    setCurrentFile(QString());
}

// ---- Backup ----------------------------------------------------------------------

void GetBackupDataThread::runBackup() {
    const QString backup = m_OutputFolder;
    if (m_Selected[Contacts] || m_Selected[SMS] || m_Selected[CallHistory] || m_Selected[Photos]) {
        CopyViewerScripts(backup);
    }

    if (m_Selected[Contacts]) {
        m_Percent = 0;
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushPerson();
        ContactRecord* head = nullptr;
        m_TotalCount[Contacts] = Tarvell_GetPerson(&head);
        countUnanswered(Contacts, unanswered);
        CollectContacts(head, backup);
        PrintContactsCsv(head, backup, &m_Abort);
        PrintContactsTxt(head, backup, &m_Abort);
        m_Percent = 100;
        if (m_Abort) {
            return;
        }
    }
    ++m_CurrentStep;

    if (m_Selected[SMS]) {
        m_Percent = 0;
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushSMS();
        SmsRecord* head = nullptr;
        m_TotalCount[SMS] = Tarvell_GetSMS(&head);
        countUnanswered(SMS, unanswered);
        const NameLoans loans = CollectMessages(backup);
        PrintMessagesCsv(head, backup, &m_Abort, &loans);
        PrintMessagesTxt(head, backup, &loans);
        m_Percent = 100;
        if (m_Abort) {
            return;
        }
    }
    ++m_CurrentStep;

    if (m_Selected[CallHistory]) {
        m_Percent = 0;
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushCallHistory();
        CallLogRecord* head = nullptr;
        m_TotalCount[CallHistory] = Tarvell_GetCallHistory(&head);
        countUnanswered(CallHistory, unanswered);
        CollectCallHistory(backup);
        PrintCallsCsv(head, backup);
        PrintCallsTxt(head, backup);
        m_Percent = 100;
        if (m_Abort) {
            return;
        }
    }
    ++m_CurrentStep;

    if (m_Selected[Photos]) {
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushDevicesPhotos();
        CollectPhotos(backup);
        countUnanswered(Photos, unanswered);
    }
    ++m_CurrentStep;
    if (m_Selected[Videos]) {
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushDevicesVideo();
        CollectVideos(backup);
        countUnanswered(Videos, unanswered);
    }
    ++m_CurrentStep;
    if (m_Selected[Musics]) {
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushDevicesMusic();
        CollectMusics(backup);
        countUnanswered(Musics, unanswered);
    }
    ++m_CurrentStep;
    if (m_Selected[Apps]) {
        if (m_Abort) {
            return;
        }
        const int unanswered = Tarvell_GetFailedCommandCount();
        Tarvell_FlushDevicesApp();
        CollectApps(backup);
        countUnanswered(Apps, unanswered);
    }

    CollectDeviceInfo(backup);
    ++m_CurrentStep;
}

void GetBackupDataThread::CollectContacts(const ContactRecord* head, const QString& backup) {
    const QString images = ImagesFolderOf(backup);
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Contacts)) {
        countFailed(Contacts);
        return;
    }
    int number = 0;
    for (const ContactRecord* r = head; r != nullptr; r = r->next) {
        const int done = ++m_DoneCount[Contacts];
        const int total = std::max(m_TotalCount[Contacts].load(), 1);
        m_TotalCount[Contacts] = total;
        raisePercent(done, total);
        AddNumbered(writer.root(), ++number, ContactEntry(*r, images));
    }
    if (!writer.commit()) {
        countFailed(Contacts);
    }
    EnsureSubfolder(backup, QStringLiteral("Contacts"));
    CopyViewerPage(backup, QStringLiteral("Contacts"));
}

NameLoans GetBackupDataThread::CollectMessages(const QString& backup) {
    NameLoans loans;
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, SMS)) {
        countFailed(SMS);
        return loans;
    }
    SmsTempGroup* groups = nullptr;
    Tarvell_GetSMSTempGroup(&groups);
    AddMessageGroups(writer.root(), groups, ImagesFolderOf(backup), &loans);
    if (!writer.commit()) {
        countFailed(SMS);
    }
    EnsureSubfolder(backup, QStringLiteral("SMS"));
    CopyViewerPage(backup, QStringLiteral("SMS"));
    return loans;
}

void GetBackupDataThread::CollectCallHistory(const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, CallHistory)) {
        countFailed(CallHistory);
        return;
    }
    CallLogTempGroup* groups = nullptr;
    Tarvell_GetCallLogTempGroup(&groups);
    AddCallLogGroups(writer.root(), groups, ImagesFolderOf(backup));
    if (!writer.commit()) {
        countFailed(CallHistory);
    }
    EnsureSubfolder(backup, QStringLiteral("CallHistory"));
    CopyViewerPage(backup, QStringLiteral("CallHistory"));
}

void GetBackupDataThread::CollectPhotos(const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Photos)) {
        countFailed(Photos);
        return;
    }
    EnsureSubfolder(backup, QStringLiteral("Photos"));
    EnsureSubfolder(backup, QStringLiteral("Photos/Gallery"));
    EnsureSubfolder(backup, QLatin1String(kThumbFolder));
    const QString defaultImage = DefaultImagePath();
    QThreadPool thumbnails;
    thumbnails.setMaxThreadCount(std::max(QThread::idealThreadCount(), 1));
    QSemaphore pending(16);
    const int count = std::max(Tarvell_GetPhotoCount(), 0);
    m_TotalCount[Photos] = count;
    m_DoneCount[Photos] = 0;
    for (int j = 0; j < count; ++j) {
        const int done = ++m_DoneCount[Photos];
        if (m_Abort) {
            break;
        }
        PhotoInfo info{};
        if (Tarvell_GetPhotoInfo(&info, j) != 0) {
            // No facts of the photo, so no name to store it under.
            UiLog("error: the phone did not describe photo %d\n", j);
            countFailed(Photos);
            continue;
        }
        const QString name = MediaLocalName(info.id, FieldBytes(info.path));
        AddNumbered(writer.root(), done, PhotoEntry(info, name));
        const QString destination = backup + QStringLiteral("/Photos/Gallery/") + name;
        if (!FitsLibraryPath(destination)) {
            countFailed(Photos);
            continue;
        }
        if (!CopyFromPhone(Photos, info.id, destination, info.size, m_Abort)) {
            LogIncompleteCopy(info.id, destination, info.size);
            if (!QFileInfo::exists(destination)) {
                UiLog("error: ExportPhotofromDevice titeminfo.ID = %d, %s \n", info.id,
                      destination.toUtf8().constData());
            }
            countFailed(Photos);
        }
        // Thumbnails are made beside the copying, a few photos behind it.
        const QString thumb = backup + u'/' + QLatin1String(kThumbFolder) + u'/' + name;
        pending.acquire();
        thumbnails.start([destination, thumb, defaultImage, &pending] {
            MakeThumbnail(destination, thumb, defaultImage);
            pending.release();
        });
    }
    thumbnails.waitForDone();
    if (!writer.commit()) {
        countFailed(Photos);
    }
    CopyViewerPage(backup, QStringLiteral("Photos"));
}

void GetBackupDataThread::CollectVideos(const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Videos)) {
        countFailed(Videos);
        return;
    }
    EnsureSubfolder(backup, QStringLiteral("Videos"));
    const int count = std::max(Tarvell_GetVideoCount(), 0);
    m_TotalCount[Videos] = count;
    m_DoneCount[Videos] = 0;
    for (int i = 0; i < count && !m_Abort; ++i) {
        VideoInfo info{};
        Tarvell_GetVideoInfo(&info, i);
        if (info.id != 0 || info.path[0] != '\0') {
            m_VideoBytesTotal += info.size;
        }
    }
    for (int j = 0; j < count; ++j) {
        if (m_Abort) {
            break;
        }
        const int done = ++m_DoneCount[Videos];
        VideoInfo info{};
        if (Tarvell_GetVideoInfo(&info, j) != 0) {
            UiLog("error: the phone did not describe video %d\n", j);
            countFailed(Videos);
            continue;
        }
        if (info.id == 0 && info.path[0] == '\0') {
            continue;
        }
        const QString name = MediaLocalName(info.id, FieldBytes(info.path));
        AddNumbered(writer.root(), done, VideoEntry(info, name));
        const QString destination = backup + QStringLiteral("/Videos/") + name;
        if (FitsLibraryPath(destination)) {
            setCurrentFile(destination);
            if (!CopyFromPhone(Videos, info.id, destination, info.size, m_Abort)) {
                UiLog("error: ExportVideofromDevice titeminfo.ID = %d, %s \n", info.id,
                      destination.toUtf8().constData());
                countFailed(Videos);
            }
        } else {
            countFailed(Videos);
        }
        m_VideoBytesDone += info.size;
        setCurrentFile(QString());
    }
    if (!writer.commit()) {
        countFailed(Videos);
    }
}

void GetBackupDataThread::CollectMusics(const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Musics)) {
        countFailed(Musics);
        return;
    }
    EnsureSubfolder(backup, QStringLiteral("Musics"));
    const int count = std::max(Tarvell_GetMusicCount(), 0);
    m_TotalCount[Musics] = count;
    m_DoneCount[Musics] = 0;
    for (int i = 0; i < count; ++i) {
        MusicInfo info{};
        Tarvell_GetMusicInfo(&info, i);
        m_MusicBytesTotal += info.size;
    }
    for (int j = 0; j < count; ++j) {
        const int done = ++m_DoneCount[Musics];
        if (m_Abort) {
            break;
        }
        MusicInfo info{};
        if (Tarvell_GetMusicInfo(&info, j) != 0) {
            UiLog("error: the phone did not describe music file %d\n", j);
            countFailed(Musics);
            m_MusicBytesDone += info.size;
            continue;
        }
        const QString name = MediaLocalName(info.id, FieldBytes(info.path));
        AddNumbered(writer.root(), done, MusicEntry(info, name));
        const QString destination = backup + QStringLiteral("/Musics/") + name;
        if (FitsLibraryPath(destination)) {
            setCurrentFile(destination);
            if (!CopyFromPhone(Musics, info.id, destination, info.size, m_Abort)) {
                LogIncompleteCopy(info.id, destination, info.size);
                if (!QFileInfo::exists(destination)) {
                    UiLog("error: titeminfo.ID = %d, %s \n", info.id,
                          destination.toUtf8().constData());
                }
                countFailed(Musics);
            }
        } else {
            countFailed(Musics);
        }
        m_MusicBytesDone += info.size;
        setCurrentFile(QString());
    }
    if (!writer.commit()) {
        countFailed(Musics);
    }
}

void GetBackupDataThread::CollectApps(const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Apps)) {
        countFailed(Apps);
        return;
    }
    EnsureSubfolder(backup, QStringLiteral("Apps"));
    const int count = std::max(Tarvell_GetAppCount(), 0);
    m_TotalCount[Apps] = count;
    m_DoneCount[Apps] = 0;
    for (int j = 0; j < count; ++j) {
        const int done = ++m_DoneCount[Apps];
        m_Percent = 0;
        if (m_Abort) {
            break;
        }
        AppInfo info{};
        if (Tarvell_GetAppInfo(&info, j) != 0 || info.packageName[0] == '\0') {
            UiLog("error: the phone did not describe app %d\n", j);
            countFailed(Apps);
            m_Percent = 100;
            continue;
        }
        const QString name = AppLocalName(FieldBytes(info.packageName));
        AddNumbered(writer.root(), done, AppEntry(info, name));
        const QString destination = backup + QStringLiteral("/Apps/") + name;
        if (FitsLibraryPath(destination)) {
            const int result = Tarvell_ExportApp(FieldBytes(info.packageName).constData(),
                                                 destination.toUtf8().constData());
            if (result != 0 || !CopiedFileIsWhole(destination, -1)) {
                UiLog("error: ExportApp %s, %s \n", FieldBytes(info.packageName).constData(),
                      destination.toUtf8().constData());
                countFailed(Apps);
            }
        } else {
            countFailed(Apps);
        }
        m_Percent = 100;
    }
    if (!writer.commit()) {
        countFailed(Apps);
    }
}

void GetBackupDataThread::CollectDeviceInfo(const QString& backup) {
    DeviceInfoRecord info{};
    Tarvell_GetAndroidDevicesInfo2(&info);
    const JsonPtr root = DeviceInfoRoot(info);
    EnsureSubfolder(backup, QStringLiteral("Datajs"));
    if (root &&
        WriteJsFile(backup + u'/' + QLatin1String(kDeviceInfoFile), kPrefixContent, root.get())) {
        CopyViewerIndex(backup);
    }
}

// ---- Restore ---------------------------------------------------------------------

void GetBackupDataThread::runRestore() {
    const QStringList folders = m_RestoreFolders;
    for (const QString& folder : folders) {
        for (int k = 0; k < kContentKindCount; ++k) {
            const QString path = JsPathOf(folder, ContentKind(k));
            m_TotalCount[k] =
                (k == SMS || k == CallHistory) ? CountGroupedItems(path) : CountBackupItems(path);
        }
    }

    using Restorer = void (GetBackupDataThread::*)(const QString&);
    static constexpr Restorer kRestorers[kContentKindCount] = {
        &GetBackupDataThread::RestoreContacts,    &GetBackupDataThread::RestoreMessages,
        &GetBackupDataThread::RestoreCallHistory, &GetBackupDataThread::RestorePhotos,
        &GetBackupDataThread::RestoreVideos,      &GetBackupDataThread::RestoreMusics,
        &GetBackupDataThread::RestoreApps};
    using Clear = int (*)();
    static constexpr Clear kClears[kContentKindCount] = {
        &Tarvell_ClearPerson,          &Tarvell_ClearSMS,
        &Tarvell_ClearCallHistory,     &Tarvell_ClearPhoto,
        &Tarvell_ClearVideofromDevice, &Tarvell_ClearMusic,
        &Tarvell_ClearAllApp};

    for (int k = 0; k < kContentKindCount; ++k) {
        const auto kind = ContentKind(k);
        if (m_Selected[k]) {
            if (m_Abort) {
                return;
            }
            if (IsRecordKind(k)) {
                m_Percent = 0;
            }
            const int unanswered = Tarvell_GetFailedCommandCount();
            if (m_ClearBeforeCopy) {
                // A kind is cleared only when something of it can be put back.
                const bool refill =
                    std::any_of(folders.begin(), folders.end(),
                                [&](const QString& f) { return HoldsSomethingToRestore(f, kind); });
                if (refill) {
                    kClears[k]();
                } else {
                    UiLog(
                        "restore: %s not cleared: no folder to restore holds a readable %s file\n",
                        ProgressKindName(kind), ProgressKindName(kind));
                }
            }
            for (const QString& folder : folders) {
                (this->*kRestorers[k])(folder);
            }
            countUnanswered(kind, unanswered);
            if (IsRecordKind(k)) {
                m_Percent = 100;
            }
        }
        ++m_CurrentStep;
    }
}

void GetBackupDataThread::RestoreContacts(const QString& folder) {
    const JsonPtr root = ReadKindFile(folder, Contacts);
    if (!root) {
        return;
    }
    ForEachEntry(root.get(), [&](const cJSON* entry) {
        const ContactRecord record = ReadContact(entry);
        const int done = ++m_DoneCount[Contacts];
        const int total = std::max(m_TotalCount[Contacts].load(), 1);
        m_TotalCount[Contacts] = total;
        raisePercent(done, total);
        if (record.contactId != nullptr && Tarvell_AddPerson2(&record) < 0) {
            countFailed(Contacts);
        }
        return !m_Abort;
    });
}

void GetBackupDataThread::RestoreCallHistory(const QString& folder) {
    const JsonPtr root = ReadKindFile(folder, CallHistory);
    // Judged by this folder's own entries: with several folders the counted
    // total is the last folder's, which says nothing about this one.
    if (!root || CountGroupedEntries(root.get()) <= 0) {
        return;
    }
    m_DoneCount[CallHistory] = 0;
    ForEachGroupedEntry(root.get(), [&](const cJSON* entry, bool) {
        if (m_Abort) {
            return false;
        }
        const CallLogRecord record = ReadCallLog(entry);
        const int done = ++m_DoneCount[CallHistory];
        raisePercent(done, m_TotalCount[CallHistory]);
        if (record.number != nullptr && Tarvell_AddCallHistory(&record) < 0) {
            countFailed(CallHistory);
        }
        return true;
    });
}

bool GetBackupDataThread::WaitForDefaultMessagingApp() {
    // The countdown is set before the dialog is asked for, so that it never
    // shows the value of an earlier wait.
    m_SmsCountdown = SmsCountdownSeconds();
    emit changeSMSShow();
    Tarvell_SetDefaultMessage(0);
    if (Tarvell_CheckDefaultMessangeOK(0) != 0) {
        for (;;) {
            if (m_Abort) {
                break;
            }
            // One second, in slices, so that a cancel is seen quickly.
            for (int slice = 0; slice < 10 && !m_Abort; ++slice) {
                msleep(100);
            }
            if (m_Abort) {
                break;
            }
            const int v = m_SmsCountdown.fetch_sub(1);
            if (v <= 0) {
                Tarvell_ReSetDefaultMessage(0);
                break;
            }
            if (Tarvell_CheckDefaultMessangeOK(0) == 0) {
                break;
            }
        }
    }
    emit changeSMSHide();
    if (m_Abort) {
        // Withdraw the request: the user's messaging app keeps receiving.
        Tarvell_ReSetDefaultMessage(0);
        return false;
    }
    const int v = m_SmsCountdown.fetch_sub(1);
    if (v <= 0) {
        UiLog("restore: the default messaging app was not accepted in time; messages skipped\n");
        m_DoneCount[SMS] = 0;
        return false;
    }
    return true;
}

void GetBackupDataThread::RestoreMessages(const QString& folder) {
    const QString path = JsPathOf(folder, SMS);
    if (!ResolvesInside(folder, path)) {
        return;
    }
    const std::optional<QByteArray> text = ReadJsText(path);
    if (!text) {
        return;
    }
    bool switched = false;
    if (Tarvell_CheckAndroidVersionAt44(0) == 1) {
        if (!WaitForDefaultMessagingApp()) {
            if (!m_Abort) {
                // Not accepted in time: the folder's messages did not reach
                // the phone, which the job reports.
                if (const JsonPtr skipped = ParseJsText(*text, path)) {
                    m_FailedCount[SMS] += CountGroupedEntries(skipped.get());
                }
            }
            return;
        }
        switched = true;
    }
    const JsonPtr root = ParseJsText(*text, path);
    if (root) {
        m_DoneCount[SMS] = 0;
        ForEachGroupedEntry(root.get(), [&](const cJSON* entry, bool) {
            if (m_Abort) {
                return false;
            }
            const SmsRecord record = ReadMessage(entry);
            const int done = ++m_DoneCount[SMS];
            raisePercent(done, m_TotalCount[SMS]);
            if (record.id != nullptr && record.threadId != nullptr &&
                std::strcmp(record.threadId, "-1") != 0 && Tarvell_SendSMS(&record) < 0) {
                countFailed(SMS);
            }
            return true;
        });
    }
    if (switched) {
        // Hand the role back so that the user's own app receives messages again.
        Tarvell_ReSetDefaultMessage(0);
    }
}

void GetBackupDataThread::RestoreMediaFiles(const QString& folder, ContentKind kind) {
    const JsonPtr root = ReadKindFile(folder, kind);
    if (!root) {
        return;
    }
    const QString kindFolder = QLatin1String(kKindFiles[kind].fileFolder);
    std::atomic<int64_t>* bytesDone = nullptr;
    std::atomic<int64_t>* bytesTotal = nullptr;
    if (kind == Musics) {
        bytesDone = &m_MusicBytesDone;
        bytesTotal = &m_MusicBytesTotal;
    } else if (kind == Videos) {
        bytesDone = &m_VideoBytesDone;
        bytesTotal = &m_VideoBytesTotal;
    }
    if (bytesTotal != nullptr) {
        ForEachEntry(root.get(), [&](const cJSON* entry) {
            if (m_Abort) {
                return false;
            }
            const char* filename = EntryText(entry, "Filename");
            if (filename != nullptr &&
                FilenameStaysInside(kindFolder, QString::fromUtf8(filename))) {
                const QFileInfo file(folder + u'/' + kindFolder + u'/' +
                                     QString::fromUtf8(filename));
                if (file.isFile() && !file.isSymLink()) {
                    *bytesTotal += file.size();
                }
            }
            return true;
        });
    }
    ForEachEntry(root.get(), [&](const cJSON* entry) {
        if (m_Abort) {
            return false;
        }
        const std::optional<RestoreFile> file = ReadMediaEntry(entry, folder, kindFolder);
        if (!file) {
            return true;
        }
        ++m_DoneCount[kind];
        if (!FitsLibraryPath(file->localPath) || !ResolvesInside(folder, file->localPath)) {
            countFailed(kind);
            return true;
        }
        const QByteArray local = file->localPath.toUtf8();
        const int result = PushToPhone(kind, local, file->phoneName.toUtf8(), m_Abort);
        if (result < 0) {
            UiLog("error: restore of %s failed\n", local.constData());
            countFailed(kind);
        }
        if (bytesDone != nullptr) {
            const QFileInfo info(file->localPath);
            *bytesDone += info.isFile() ? info.size() : 0;
        }
        return true;
    });
}

void GetBackupDataThread::RestorePhotos(const QString& folder) {
    RestoreMediaFiles(folder, Photos);
}

void GetBackupDataThread::RestoreVideos(const QString& folder) {
    RestoreMediaFiles(folder, Videos);
}

void GetBackupDataThread::RestoreMusics(const QString& folder) {
    RestoreMediaFiles(folder, Musics);
}

void GetBackupDataThread::RestoreApps(const QString& folder) {
    const JsonPtr root = ReadKindFile(folder, Apps);
    if (!root) {
        return;
    }
    QList<QByteArray> installed;
    ForEachEntry(root.get(), [&](const cJSON* entry) {
        if (m_Abort) {
            return false;
        }
        m_Percent = 0;
        const std::optional<RestoreFile> file = ReadAppEntry(entry, folder);
        if (!file) {
            return true;
        }
        ++m_DoneCount[Apps];
        if (!FitsLibraryPath(file->localPath) || !ResolvesInside(folder, file->localPath) ||
            Tarvell_InstallAppToMemory(file->localPath.toUtf8().constData(), 3) < 0) {
            countFailed(Apps);
        } else if (const char* package = EntryText(entry, "Packagename"); package && *package) {
            installed.append(QByteArray(package));
        }
        m_Percent = 100;
        return true;
    });
    if (!m_Abort) {
        countAppsMissingFromPhone(installed);
    }
}

// adb's install says nothing to its caller about the outcome, so the restore
// looks at the phone's own app list afterwards: an app that is not there
// (the phone was unplugged, its storage full, the package refused) failed.
// An app the phone already had counts as restored.
void GetBackupDataThread::countAppsMissingFromPhone(const QList<QByteArray>& packages) {
    if (packages.isEmpty()) {
        return;
    }
    const int unanswered = Tarvell_GetFailedCommandCount();
    Tarvell_FlushDevicesApp();
    if (Tarvell_GetFailedCommandCount() != unanswered) {
        UiLog("error: the phone's app list could not be read; %d apps not confirmed as installed\n",
              int(packages.size()));
        for (int i = 0; i < packages.size(); ++i) {
            countFailed(Apps);
        }
        return;
    }
    QSet<QByteArray> onPhone;
    const int count = std::max(Tarvell_GetAppCount(), 0);
    for (int j = 0; j < count; ++j) {
        AppInfo info{};
        if (Tarvell_GetAppInfo(&info, j) == 0) {
            onPhone.insert(FieldBytes(info.packageName));
        }
    }
    for (const QByteArray& package : packages) {
        if (!onPhone.contains(package)) {
            UiLog("error: app %s is not on the phone after its installation\n",
                  package.constData());
            countFailed(Apps);
        }
    }
}

} // namespace tarvell
