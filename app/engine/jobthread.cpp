#include "jobthread.h"

#include "appsupport.h"
#include "catalogue.h"
#include "checksums.h"
#include "counters.h"
#include "entries.h"
#include "exports.h"
#include "fileroutines.h"
#include "naming.h"
#include "progress.h"
#include "safenames.h"
#include "thumbnail.h"
#include "uilog.h"
#include "workqueue.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <functional>

namespace tarvell {

namespace {

constexpr int kDefaultSmsCountdown = 60;

template <size_t N> QByteArray FieldBytes(const char (&field)[N]) {
    return QByteArray(field, int(qstrnlen(field, N)));
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
    if (kKindFiles[kind].grouped) {
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

// The records of a list the phone loaded (count from its reader; the head
// means nothing when the count is not positive).
template <typename Record>
void AddHeld(RecordTally& tally, int count, const Record* head, QByteArray (*key)(const Record&)) {
    for (const Record* r = count > 0 ? head : nullptr; r != nullptr; r = r->next) {
        tally.addHeld(key(*r));
    }
}

int CountGroupedEntries(const cJSON* root) {
    int count = 0;
    ForEachGroupedEntry(root, [&](const cJSON*, bool) {
        ++count;
        return true;
    });
    return count;
}

} // namespace

int SmsCountdownSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TARVELL_TEST_SMS_COUNTDOWN", &ok);
    return (ok && seconds >= 0 && seconds <= kDefaultSmsCountdown) ? seconds : kDefaultSmsCountdown;
}

GetBackupDataThread::GetBackupDataThread(Phone& phone, int secondMs)
    : QThread(nullptr), m_Phone(phone), m_SecondMs(secondMs) {
    for (auto& unchanged : m_UnchangedCount) {
        unchanged = -1;
    }
}

GetBackupDataThread::~GetBackupDataThread() = default;

void GetBackupDataThread::setUpBackup(const bool selected[kContentKindCount],
                                      const QString& outputFolder, const QString& catalogLabel) {
    setUpRestore(selected, {}, false);
    m_RestoreMode = 0;
    m_OutputFolder = outputFolder;
    m_CatalogLabel = catalogLabel;
}

void GetBackupDataThread::setUpRestore(const bool selected[kContentKindCount],
                                       const QStringList& folders, bool clearBeforeCopy) {
    m_RestoreMode = 1;
    m_RestoreFolders = folders;
    m_ClearBeforeCopy = clearBeforeCopy;
    m_ForceRestore = false;
    m_Incremental = false;
    m_KeepDuplicates = false;
    m_OutputFolder.clear();
    m_CatalogLabel.clear();
    for (int k = 0; k < kContentKindCount; ++k) {
        m_Selected[k] = selected[k];
        m_DoneCount[k] = -1;
        m_TotalCount[k] = -1;
        m_UnchangedCount[k] = -1;
    }
}

JobSnapshot GetBackupDataThread::snapshot() const {
    JobSnapshot s;
    s.restoreMode = m_RestoreMode != 0;
    s.currentStep = m_CurrentStep;
    for (int k = 0; k < kContentKindCount; ++k) {
        s.selected[k] = m_Selected[k];
        s.done[k] = m_DoneCount[k];
        s.total[k] = m_TotalCount[k];
        s.failed[k] = m_FailedCount[k];
    }
    s.videoBytesDone = m_VideoBytesDone;
    s.videoBytesTotal = m_VideoBytesTotal;
    s.musicBytesDone = m_MusicBytesDone;
    s.musicBytesTotal = m_MusicBytesTotal;
    s.percent = m_Percent;
    s.smsCountdown = m_SmsCountdown;
    s.cancelRequested = m_Abort;
    s.currentFile = currentFile();
    return s;
}

void GetBackupDataThread::requestCancel() {
    m_Abort = true;
    m_Phone.abortLongCalls();
}

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

std::atomic<int64_t>* GetBackupDataThread::bytesDone(ContentKind kind) {
    return kind == Videos ? &m_VideoBytesDone : kind == Musics ? &m_MusicBytesDone : nullptr;
}

std::atomic<int64_t>* GetBackupDataThread::bytesTotal(ContentKind kind) {
    return kind == Videos ? &m_VideoBytesTotal : kind == Musics ? &m_MusicBytesTotal : nullptr;
}

void GetBackupDataThread::countUnanswered(ContentKind kind, int failedCommandsBefore) {
    if (m_Phone.failedCommandCount() == failedCommandsBefore || m_Abort) {
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
        m_UnchangedCount[k] = -1;
        m_SkippedCount[k] = 0;
    }
    m_Percent = 0;
    m_VideoBytesDone = 0;
    m_VideoBytesTotal = 0;
    m_MusicBytesDone = 0;
    m_MusicBytesTotal = 0;
    m_Phone.resetAbort();
    m_Abort = false;
    m_CurrentStep = 0;
    m_Notes.clear();
    m_Refused.clear();
    m_ClearMessagesWithRole = false;
    if (m_RestoreMode == 0) {
        runBackup();
    } else {
        runRestore();
    }
    setCurrentFile(QString());
}

// ---- Backup ----------------------------------------------------------------------

const GetBackupDataThread::KindSteps GetBackupDataThread::kSteps[kContentKindCount] = {
    {&GetBackupDataThread::CollectContacts, &GetBackupDataThread::RestoreContacts},
    {&GetBackupDataThread::CollectMessages, &GetBackupDataThread::RestoreMessages},
    {&GetBackupDataThread::CollectCallHistory, &GetBackupDataThread::RestoreCallHistory},
    {&GetBackupDataThread::CollectMedia, &GetBackupDataThread::RestoreMedia},
    {&GetBackupDataThread::CollectMedia, &GetBackupDataThread::RestoreMedia},
    {&GetBackupDataThread::CollectMedia, &GetBackupDataThread::RestoreMedia},
    {&GetBackupDataThread::CollectApps, &GetBackupDataThread::RestoreApps},
};

bool GetBackupDataThread::runKinds(const std::function<void(ContentKind)>& step) {
    for (int k = 0; k < kContentKindCount; ++k) {
        const auto kind = ContentKind(k);
        const bool records = kKindFiles[k].shape == KindShape::Records;
        if (m_Selected[k]) {
            if (m_Abort) {
                return false;
            }
            if (records) {
                m_Percent = 0;
            }
            const int unanswered = m_Phone.failedCommandCount();
            step(kind);
            countUnanswered(kind, unanswered);
            if (records) {
                m_Percent = 100;
                // The record kinds are tested again at once: a cancel during
                // the last of them writes no device facts.
                if (m_Abort) {
                    return false;
                }
            }
        }
        // The step after apps is the end of the job's.
        if (kind != Apps) {
            ++m_CurrentStep;
        }
    }
    return true;
}

struct GetBackupDataThread::BackupAhead {
    explicit BackupAhead(const QString& backup) : hashed(backup) {}
    HashedAhead hashed;
    MadeExport exports[kContentKindCount];
    // The record kinds' files, prints and exports, one after another in kind
    // order, as each needs a whole kind in memory: one worker.
    WorkQueue records{1};
    // Thumbnails and digests. The queues come last, so that they are drained
    // and joined before what their tasks use goes.
    WorkQueue workers;
};

void GetBackupDataThread::handOff(std::function<void()> task, int64_t weight) {
    m_Ahead->workers.post(
        [this, task = std::move(task)] {
            if (!m_Abort) {
                task();
            }
        },
        std::max<int64_t>(weight, 0));
}

void GetBackupDataThread::writeRecordsAhead(std::function<void()> task) {
    // Run even after a cancel, like the record kinds' writing always did.
    m_Ahead->records.post(std::move(task));
}

void GetBackupDataThread::hashAhead(const QString& backup, const QString& path, int64_t size) {
    const QString relative = path.mid(backup.size() + 1);
    handOff([this, relative] { m_Ahead->hashed.hash(relative); }, size);
}

void GetBackupDataThread::runBackup() {
    const QString backup = m_OutputFolder;
    // What the folder held before (normally nothing: it is new), so that
    // SHA256SUMS vouches only for what this job wrote.
    QHash<QString, FileStamp> before;
    for (const QString& file : ListFilesUnder(backup)) {
        const QFileInfo info(backup + u'/' + file);
        before.insert(file, {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    bool viewerKinds = false;
    for (int k = 0; k < kContentKindCount; ++k) {
        viewerKinds = viewerKinds || (m_Selected[k] && kKindFiles[k].viewerPage != nullptr);
    }
    if (viewerKinds) {
        CopyViewerScripts(backup);
    }
    m_Earlier.reset();
    if (m_Incremental) {
        Catalogue catalogue;
        catalogue.load();
        m_Earlier = std::make_unique<EarlierBackups>(
            catalogue.paths(),
            [this] {
                DeviceInfoRecord info{};
                m_Phone.deviceInfo(info);
                return IdentityOf(info);
            },
            backup, &m_Abort);
    }
    BackupAhead ahead(backup);
    m_Ahead = &ahead;
    // The exports read only the .js files of the record kinds: they are made
    // on the records' worker after those files, beside the media kinds.
    bool exportsHandedOff = false;
    const auto handOffExports = [&] {
        if (exportsHandedOff) {
            return;
        }
        exportsHandedOff = true;
        writeRecordsAhead([this, &ahead, backup] {
            for (int k = 0; k < kContentKindCount; ++k) {
                if (m_Selected[k] && kKindFiles[k].exportFile != nullptr && !m_Abort) {
                    ahead.exports[k] = MakeStandardExport(backup, ContentKind(k));
                }
            }
        });
    };
    const bool complete = runKinds([&](ContentKind kind) {
        if (kKindFiles[kind].shape != KindShape::Records) {
            handOffExports();
        }
        m_Phone.refresh(kind);
        const bool files = kKindFiles[kind].shape != KindShape::Records;
        m_UnchangedCount[kind] =
            files && m_Earlier && !m_Earlier->folderFor(kind).isEmpty() ? 0 : -1;
        (this->*kSteps[kind].collect)(kind, backup);
    });
    if (complete) {
        handOffExports();
        CollectDeviceInfo(backup);
        WriteExportsAndSums(backup, before);
        ++m_CurrentStep;
    }
    // A cancelled backup keeps the record kinds' files it began, and no
    // thumbnail or digest more.
    ahead.records.join();
    ahead.workers.drain();
    m_Ahead = nullptr;
    m_Earlier.reset();
}

void GetBackupDataThread::WriteExportsAndSums(const QString& backup,
                                              const QHash<QString, FileStamp>& before) {
    // A cancel, even one during the last kind, leaves both out.
    if (m_Abort) {
        return;
    }
    // Record files, prints, exports, thumbnails and digests still on their way.
    m_Ahead->records.join();
    m_Ahead->workers.join();
    if (m_Abort) {
        return;
    }
    ExportResult exports;
    for (int k = 0; k < kContentKindCount; ++k) {
        if (m_Selected[k]) {
            SaveStandardExport(backup, ContentKind(k), m_Ahead->exports[k], exports);
        }
    }
    for (const QString& problem : exports.problems) {
        UiLog("error: export %s\n", qUtf8Printable(problem));
        m_Notes << QStringLiteral("An export could not be written: %1.").arg(problem);
    }
    if (m_Abort) {
        return;
    }
    QStringList written;
    for (const QString& file : ListFilesUnder(backup)) {
        const auto old = before.constFind(file);
        if (old != before.constEnd()) {
            const QFileInfo info(backup + u'/' + file);
            if (info.size() == old->size &&
                info.lastModified().toMSecsSinceEpoch() == old->modified) {
                continue;
            }
        }
        written << file;
    }
    // Files taken from an earlier backup were checked against its sums as
    // they were taken; their digests stand while the files are unchanged.
    if (m_Earlier) {
        const QHash<QString, KnownDigest>& taken = m_Earlier->digests();
        for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
            m_Ahead->hashed.adopt(it.key(), it.value());
        }
    }
    // The bar shows the hashing, which on a large phone takes a while.
    m_Percent = 0;
    const ChecksumWrite sums = WriteChecksums(
        backup, written,
        [this](qint64 done, qint64 total) {
            const int percent = int(done * 100 / std::max<qint64>(total, 1));
            if (percent != m_Percent.load(std::memory_order_relaxed)) {
                m_Percent = percent;
            }
        },
        &m_Abort, &m_Ahead->hashed);
    for (const QString& skipped : sums.skipped) {
        UiLog("error: not in %s: %s\n", kChecksumFileName, qUtf8Printable(skipped));
    }
    if (!sums.written && !m_Abort) {
        UiLog("error: %s not written: %s\n", kChecksumFileName, qUtf8Printable(sums.error));
        m_Notes << QStringLiteral("The checksum file %1 could not be written (%2); the backup "
                                  "cannot be verified. Check the free space and rights of the "
                                  "backup folder.")
                       .arg(QLatin1String(kChecksumFileName), sums.error);
    } else if (sums.written) {
        UiLog("%s: %d files, %lld bytes\n", kChecksumFileName, sums.files,
              static_cast<long long>(sums.bytes));
    }
}

namespace {

// Writes the .js file of a record kind with the entries fill adds, then its
// viewer page. False when the file could not be written.
bool WriteRecordsFile(ContentKind kind, const QString& backup,
                      const std::function<void(cJSON* root)>& fill) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, kind)) {
        return false;
    }
    fill(writer.root());
    const bool written = writer.commit();
    const QString page = QLatin1String(kKindFiles[kind].viewerPage);
    EnsureSubfolder(backup, page);
    CopyViewerPage(backup, page);
    return written;
}

JsonPtr EntryOf(const PhotoInfo& info, const QString& name) {
    return PhotoEntry(info, name);
}
JsonPtr EntryOf(const VideoInfo& info, const QString& name) {
    return VideoEntry(info, name);
}
JsonPtr EntryOf(const MusicInfo& info, const QString& name) {
    return MusicEntry(info, name);
}

// Creates every folder of the relative path inside backup.
void EnsureSubfolders(const QString& backup, const QString& relative) {
    QString path;
    for (const QString& part : relative.split(u'/')) {
        path += (path.isEmpty() ? QString() : QStringLiteral("/")) + part;
        EnsureSubfolder(backup, path);
    }
}

} // namespace

// The record kinds take their lists from the phone here and write them (the
// .js file and the prints) on the records' worker, while the job goes on with
// the next kind. The lists stay valid until the kind is loaded again, which
// happens once a backup.
void GetBackupDataThread::CollectContacts(ContentKind, const QString& backup) {
    ContactRecord* head = nullptr;
    m_TotalCount[Contacts] = m_Phone.contacts(&head);
    int count = 0;
    for (const ContactRecord* r = head; r != nullptr; r = r->next) {
        ++count;
    }
    if (count > 0) {
        const int done = m_DoneCount[Contacts] += count;
        const int total = std::max(m_TotalCount[Contacts].load(), 1);
        m_TotalCount[Contacts] = total;
        raisePercent(done, total);
    }
    writeRecordsAhead([this, head, backup] {
        const QString images = ImagesFolderOf(backup);
        const bool written = WriteRecordsFile(Contacts, backup, [&](cJSON* root) {
            int number = 0;
            for (const ContactRecord* r = head; r != nullptr; r = r->next) {
                AddNumbered(root, ++number, ContactEntry(*r, images));
            }
        });
        if (!written) {
            countFailed(Contacts);
        }
        PrintContactsCsv(head, backup, &m_Abort);
        PrintContactsTxt(head, backup, &m_Abort);
    });
}

void GetBackupDataThread::CollectMessages(ContentKind, const QString& backup) {
    SmsRecord* head = nullptr;
    m_TotalCount[SMS] = m_Phone.messages(&head);
    const SmsTempGroup* groups = m_Phone.messageGroups();
    writeRecordsAhead([this, head, groups, backup] {
        NameLoans loans;
        const bool written = WriteRecordsFile(SMS, backup, [&](cJSON* root) {
            AddMessageGroups(root, groups, ImagesFolderOf(backup), &loans);
        });
        if (!written) {
            countFailed(SMS);
        }
        PrintMessagesCsv(head, backup, &m_Abort, &loans);
        PrintMessagesTxt(head, backup, &loans);
    });
}

void GetBackupDataThread::CollectCallHistory(ContentKind, const QString& backup) {
    CallLogRecord* head = nullptr;
    m_TotalCount[CallHistory] = m_Phone.calls(&head);
    const CallLogTempGroup* groups = m_Phone.callGroups();
    writeRecordsAhead([this, head, groups, backup] {
        const bool written = WriteRecordsFile(CallHistory, backup, [&](cJSON* root) {
            AddCallLogGroups(root, groups, ImagesFolderOf(backup));
        });
        if (!written) {
            countFailed(CallHistory);
        }
        PrintCallsCsv(head, backup);
        PrintCallsTxt(head, backup);
    });
}

// Photos, videos and music. Every item: stop when cancelled, then count it;
// an item the phone does not describe, whose path does not fit the library
// or whose copy does not arrive whole counts as failed and the next follows.
// An empty record is counted but stands for nothing. The entry stays in the
// file whether or not the copy worked.
void GetBackupDataThread::CollectMedia(ContentKind kind, const QString& backup) {
    const KindFiles& row = kKindFiles[kind];
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, kind)) {
        countFailed(kind);
        return;
    }
    const QString folder = backup + u'/' + QLatin1String(row.fileFolder) + u'/';
    EnsureSubfolders(backup, QLatin1String(row.fileFolder));
    const QString thumbs = backup + u'/' + QLatin1String(kThumbFolder) + u'/';
    if (row.thumbnails) {
        EnsureSubfolder(backup, QLatin1String(kThumbFolder));
    }
    const QString defaultImage = row.thumbnails ? DefaultImagePath() : QString();
    std::atomic<int64_t>* const doneBytes = bytesDone(kind);
    std::atomic<int64_t>* const totalBytes = bytesTotal(kind);

    const int count = std::max(m_Phone.count(kind), 0);
    m_TotalCount[kind] = count;
    m_DoneCount[kind] = 0;
    for (int i = 0; totalBytes != nullptr && i < count && !m_Abort; ++i) {
        MediaRecord record;
        if (m_Phone.mediaInfo(kind, i, record)) {
            *totalBytes += FactsOf(record).size;
        }
    }
    for (int j = 0; j < count && !m_Abort; ++j) {
        const int done = ++m_DoneCount[kind];
        MediaRecord record;
        if (!m_Phone.mediaInfo(kind, j, record)) {
            UiLog("error: the phone did not describe %s %d\n", row.itemWord, j);
            countFailed(kind);
            continue;
        }
        const MediaFacts item = FactsOf(record);
        if (IsEmptyRecord(item)) {
            continue;
        }
        const QString name = MediaLocalName(item.id, item.path);
        JsonPtr entry = std::visit([&](const auto& info) { return EntryOf(info, name); }, record);
        const cJSON* const added = entry.get();
        AddNumbered(writer.root(), done, std::move(entry));
        const QString destination = folder + name;
        if (!FitsLibraryPath(destination)) {
            countFailed(kind);
        } else {
            if (doneBytes != nullptr) {
                setCurrentFile(destination);
            }
            const bool unchanged = TakeUnchanged(kind, added, destination);
            const bool copied = unchanged || CopyFromPhone(kind, item.id, destination, item.size);
            if (!copied) {
                countFailed(kind);
            } else if (!row.thumbnails && !unchanged) {
                hashAhead(backup, destination, item.size);
            }
            const QString thumb = thumbs + name;
            if (row.thumbnails && !(unchanged && m_Earlier->takeThumbnail(name, thumb))) {
                // Thumbnails are made beside the copying and the later kinds;
                // a photo from the phone is hashed while it is read anyway.
                const bool hashPhoto = copied && !unchanged;
                const qsizetype from = backup.size() + 1;
                handOff(
                    [this, destination, thumb, defaultImage, hashPhoto, from] {
                        MakeThumbnail(destination, thumb, defaultImage);
                        m_Ahead->hashed.hash(thumb.mid(from));
                        if (hashPhoto) {
                            m_Ahead->hashed.hash(destination.mid(from));
                        }
                    },
                    item.size);
            }
        }
        if (doneBytes != nullptr) {
            *doneBytes += item.size;
            setCurrentFile(QString());
        }
    }
    if (!writer.commit()) {
        countFailed(kind);
    }
    if (row.viewerPage != nullptr) {
        CopyViewerPage(backup, QLatin1String(row.viewerPage));
    }
}

bool GetBackupDataThread::TakeUnchanged(ContentKind kind, const cJSON* entry,
                                        const QString& destination) {
    if (!m_Earlier || !m_Earlier->take(kind, entry, destination)) {
        return false;
    }
    ++m_UnchangedCount[kind];
    return true;
}

// Through adb first, then, when that did not bring the whole file (adb cannot
// pass every name the phone may hold, such as one with a double quote),
// streamed over the command channel. A part of a file under the final name
// would pass for the whole one (a cut photo, a song that stops): it goes.
bool GetBackupDataThread::CopyFromPhone(ContentKind kind, int32_t id, const QString& destination,
                                        int64_t size) {
    const QByteArray path = destination.toUtf8();
    m_Phone.copyFromPhone(kind, id, path, size, false);
    if (!CopiedFileIsWhole(destination, size) && !m_Abort) {
        m_Phone.copyFromPhone(kind, id, path, size, true);
    }
    if (CopiedFileIsWhole(destination, size)) {
        return true;
    }
    if (QFileInfo::exists(destination)) {
        UiLog("error: incomplete copy titeminfo.ID = %d, %s (%lld of %lld bytes)\n", id,
              path.constData(), static_cast<long long>(QFileInfo(destination).size()),
              static_cast<long long>(size));
        QFile::remove(destination);
    } else {
        UiLog("error: %stiteminfo.ID = %d, %s \n", kKindFiles[kind].copyTag, id, path.constData());
    }
    return false;
}

void GetBackupDataThread::CollectApps(ContentKind, const QString& backup) {
    JsFileWriter writer;
    if (!OpenKindFile(writer, backup, Apps)) {
        countFailed(Apps);
        return;
    }
    EnsureSubfolder(backup, QStringLiteral("Apps"));
    const int count = std::max(m_Phone.count(Apps), 0);
    m_TotalCount[Apps] = count;
    m_DoneCount[Apps] = 0;
    for (int j = 0; j < count && !m_Abort; ++j) {
        const int done = ++m_DoneCount[Apps];
        m_Percent = 0;
        AppInfo info{};
        if (!m_Phone.appInfo(j, info) || info.packageName[0] == '\0') {
            UiLog("error: the phone did not describe app %d\n", j);
            countFailed(Apps);
            m_Percent = 100;
            continue;
        }
        const QByteArray package = FieldBytes(info.packageName);
        const QString name = AppLocalName(package);
        JsonPtr entry = AppEntry(info, name);
        const cJSON* const added = entry.get();
        AddNumbered(writer.root(), done, std::move(entry));
        const QString destination = backup + QStringLiteral("/Apps/") + name;
        if (!FitsLibraryPath(destination)) {
            countFailed(Apps);
        } else if (!TakeUnchanged(Apps, added, destination)) {
            const int result = m_Phone.exportApp(package, destination.toUtf8());
            if (result != 0 || !CopiedFileIsWhole(destination, -1)) {
                UiLog("error: ExportApp %s, %s \n", package.constData(),
                      destination.toUtf8().constData());
                countFailed(Apps);
            } else {
                hashAhead(backup, destination, QFileInfo(destination).size());
            }
        }
        m_Percent = 100;
    }
    if (!writer.commit()) {
        countFailed(Apps);
    }
}

void GetBackupDataThread::CollectDeviceInfo(const QString& backup) {
    DeviceInfoRecord info{};
    m_Phone.deviceInfo(info);
    const JsonPtr root = DeviceInfoRoot(info);
    EnsureSubfolder(backup, QStringLiteral("Datajs"));
    if (root &&
        WriteJsFile(backup + u'/' + QLatin1String(kDeviceInfoFile), kPrefixContent, root.get())) {
        CopyViewerIndex(backup);
    }
}

// ---- Restore ---------------------------------------------------------------------

void GetBackupDataThread::CheckFoldersBeforeRestore(const QStringList& folders) {
    for (int k = 0; k < kContentKindCount && !m_Abort; ++k) {
        if (!m_Selected[k]) {
            continue;
        }
        const auto kind = ContentKind(k);
        for (const QString& folder : folders) {
            if (m_Abort) {
                return;
            }
            if (!QFileInfo::exists(JsPathOf(folder, kind))) {
                continue; // nothing of the kind there to restore
            }
            const KindCheck check = CheckKindBeforeRestore(folder, k, {}, &m_Abort);
            if (check.ok || m_Abort) {
                continue;
            }
            if (m_ForceRestore) {
                UiLog("warning: %s of %s restored although damaged: %s\n", ProgressKindName(kind),
                      qUtf8Printable(folder), qUtf8Printable(check.message));
                m_Notes << QStringLiteral("Warning: %1 restored although damaged: %2")
                               .arg(QLatin1String(ProgressKindName(kind)), check.message);
                continue;
            }
            UiLog("error: %s of %s not restored: %s\n", ProgressKindName(kind),
                  qUtf8Printable(folder), qUtf8Printable(check.message));
            m_Notes << QStringLiteral("%1 not restored: %2")
                           .arg(QLatin1String(ProgressKindName(kind)), check.message);
            m_Refused.insert(QString::number(k) + u':' + folder);
            countFailed(kind);
        }
    }
}

bool GetBackupDataThread::refused(const QString& folder, ContentKind kind) const {
    return m_Refused.contains(QString::number(int(kind)) + u':' + folder);
}

void GetBackupDataThread::runRestore() {
    const QStringList folders = m_RestoreFolders;
    // Nothing reaches the phone before every chosen kind was checked.
    CheckFoldersBeforeRestore(folders);
    // Each kind's total is the sum over the folders; a folder without a
    // readable file of the kind adds nothing, and when none has one the
    // total stays unknown.
    for (int k = 0; k < kContentKindCount; ++k) {
        int total = -1;
        for (const QString& folder : folders) {
            if (refused(folder, ContentKind(k))) {
                continue;
            }
            const QString path = JsPathOf(folder, ContentKind(k));
            const int items =
                kKindFiles[k].grouped ? CountGroupedItems(path) : CountBackupItems(path);
            if (items >= 0) {
                total = std::max(total, 0) + items;
            }
        }
        m_TotalCount[k] = total;
    }

    const bool complete = runKinds([&](ContentKind kind) {
        if (m_ClearBeforeCopy) {
            // A kind is cleared only when something of it can be put back.
            const bool refill = std::any_of(folders.begin(), folders.end(), [&](const QString& f) {
                return !refused(f, kind) && HoldsSomethingToRestore(f, kind);
            });
            if (refill && kind == SMS && m_Phone.needsMessagingRole()) {
                // Only the default messaging app may delete messages: the
                // clear waits for the role (RestoreMessages).
                m_ClearMessagesWithRole = true;
            } else if (refill) {
                m_Phone.clear(kind);
            } else {
                UiLog("restore: %s not cleared: no folder to restore holds a readable %s file\n",
                      ProgressKindName(kind), ProgressKindName(kind));
            }
        }
        const bool records = kKindFiles[kind].shape == KindShape::Records;
        if (records && !m_KeepDuplicates && m_TotalCount[kind] > 0 && !readPhoneHoldings(kind)) {
            return;
        }
        for (const QString& folder : folders) {
            if (!refused(folder, kind)) {
                m_Tally.startFolder();
                (this->*kSteps[kind].restore)(kind, folder);
            }
        }
        m_Tally.clear();
        if (m_SkippedCount[kind] > 0) {
            UiLog("restore: %d %s already on the phone, not written again\n",
                  m_SkippedCount[kind].load(), ProgressKindName(kind));
        }
    });
    if (complete) {
        ++m_CurrentStep;
    }
}

bool GetBackupDataThread::readPhoneHoldings(ContentKind kind) {
    m_Tally.clear();
    const int unanswered = m_Phone.failedCommandCount();
    m_Phone.refresh(kind);
    if (m_Abort) {
        return false;
    }
    if (m_Phone.failedCommandCount() != unanswered) {
        // Writing anyway could put every record on the phone a second time.
        UiLog("error: the phone's %s could not be read; none restored\n", ProgressKindName(kind));
        m_Notes << QStringLiteral("%1 not restored: the phone's own list could not be read, and "
                                  "the restore needs it to leave out what is there already. "
                                  "Reconnect the phone and restore again.")
                       .arg(QLatin1String(ProgressKindName(kind)));
        m_FailedCount[kind] += std::max(m_TotalCount[kind].load(), 1);
        return false;
    }
    if (kind == Contacts) {
        ContactRecord* head = nullptr;
        const int count = m_Phone.contacts(&head);
        AddHeld(m_Tally, count, head, &ContactKey);
    } else if (kind == SMS) {
        SmsRecord* head = nullptr;
        const int count = m_Phone.messages(&head);
        AddHeld(m_Tally, count, head, &MessageKeyOnPhone);
    } else {
        CallLogRecord* head = nullptr;
        const int count = m_Phone.calls(&head);
        AddHeld(m_Tally, count, head, &CallKey);
    }
    m_Tally.reserve(std::max(m_TotalCount[kind].load(), 0));
    UiLog("restore: the phone holds %d %s\n", m_Tally.heldCount(), ProgressKindName(kind));
    return true;
}

bool GetBackupDataThread::writeRecord(ContentKind kind, const std::function<QByteArray()>& key,
                                      const std::function<bool()>& write) {
    if (m_KeepDuplicates) {
        return write();
    }
    const QByteArray k = key();
    if (m_Tally.matchHeld(k)) {
        ++m_SkippedCount[kind];
        return true;
    }
    const bool written = write();
    if (written) {
        m_Tally.written(k);
    }
    return written;
}

// Hands the entries of a record kind's file to the phone one by one until
// the job is cancelled; write gives false when the phone refused the entry.
// The done counts add up over the folders of the job, as the totals do.
void GetBackupDataThread::restoreEntries(ContentKind kind, const cJSON* root,
                                         const std::function<bool(const cJSON*)>& write) {
    const auto one = [&](const cJSON* entry) {
        if (m_Abort) {
            return false;
        }
        raisePercent(++m_DoneCount[kind], m_TotalCount[kind]);
        if (!write(entry)) {
            countFailed(kind);
        }
        return true;
    };
    if (kKindFiles[kind].grouped) {
        ForEachGroupedEntry(root, [&](const cJSON* entry, bool) { return one(entry); });
    } else {
        ForEachEntry(root, one);
    }
}

void GetBackupDataThread::RestoreContacts(ContentKind, const QString& folder) {
    if (const JsonPtr root = ReadKindFile(folder, Contacts)) {
        restoreEntries(Contacts, root.get(), [&](const cJSON* entry) {
            const ContactRecord record = ReadContact(entry);
            return record.contactId == nullptr ||
                   writeRecord(
                       Contacts, [&] { return ContactKey(record); },
                       [&] { return m_Phone.addContact(record) >= 0; });
        });
    }
}

void GetBackupDataThread::RestoreCallHistory(ContentKind, const QString& folder) {
    if (const JsonPtr root = ReadKindFile(folder, CallHistory)) {
        restoreEntries(CallHistory, root.get(), [&](const cJSON* entry) {
            const CallLogRecord record = ReadCallLog(entry);
            return record.number == nullptr || writeRecord(
                                                   CallHistory, [&] { return CallKey(record); },
                                                   [&] { return m_Phone.addCall(record) >= 0; });
        });
    }
}

bool GetBackupDataThread::WaitForDefaultMessagingApp() {
    // The countdown is set before the dialog is asked for, so that it never
    // shows the value of an earlier wait.
    m_SmsCountdown = SmsCountdownSeconds();
    emit changeSMSShow();
    m_Phone.requestMessagingRole();
    // The countdown shows N, N-1, ..., 0; an answer seen in any of those
    // seconds counts, and only the step below 0 ends the wait.
    bool accepted = m_Phone.hasMessagingRole();
    while (!accepted && !m_Abort) {
        // One second, in slices, so that a cancel is seen quickly.
        for (int slice = 0; slice < 10 && !m_Abort; ++slice) {
            msleep(static_cast<unsigned long>(m_SecondMs / 10));
        }
        if (m_Abort || m_SmsCountdown.fetch_sub(1) <= 0) {
            break;
        }
        accepted = m_Phone.hasMessagingRole();
    }
    emit changeSMSHide();
    if (!accepted) {
        // Withdraw the request: the user's messaging app keeps receiving.
        m_Phone.returnMessagingRole();
        if (!m_Abort) {
            UiLog("restore: the default messaging app was not accepted in time; messages "
                  "skipped\n");
        }
    }
    return accepted;
}

void GetBackupDataThread::RestoreMessages(ContentKind, const QString& folder) {
    const QString path = JsPathOf(folder, SMS);
    if (!ResolvesInside(folder, path)) {
        return;
    }
    const std::optional<QByteArray> text = ReadJsText(path);
    if (!text) {
        return;
    }
    const bool needsRole = m_Phone.needsMessagingRole();
    if (needsRole && !WaitForDefaultMessagingApp()) {
        if (!m_Abort) {
            // Not accepted in time: the folder's messages did not reach the
            // phone, which the job reports.
            if (const JsonPtr skipped = ParseJsText(*text, path)) {
                m_FailedCount[SMS] += CountGroupedEntries(skipped.get());
            }
        }
        return;
    }
    if (m_ClearMessagesWithRole && !m_Abort) {
        m_ClearMessagesWithRole = false;
        m_Phone.clear(SMS);
        // What the phone holds now, which nothing of this job has added to.
        if (!m_KeepDuplicates && !readPhoneHoldings(SMS)) {
            m_Phone.returnMessagingRole();
            return;
        }
    }
    if (const JsonPtr root = ParseJsText(*text, path)) {
        restoreEntries(SMS, root.get(), [&](const cJSON* entry) {
            const SmsRecord record = ReadMessage(entry);
            return record.id == nullptr || record.threadId == nullptr ||
                   std::strcmp(record.threadId, "-1") == 0 ||
                   writeRecord(
                       SMS, [&] { return MessageKeyToWrite(record); },
                       [&] { return m_Phone.sendMessage(record) >= 0; });
        });
    }
    if (needsRole) {
        // Hand the role back so that the user's own app receives messages again.
        m_Phone.returnMessagingRole();
    }
}

// Photos, videos and music: through adb first, streamed when adb refused the
// file.
void GetBackupDataThread::RestoreMedia(ContentKind kind, const QString& folder) {
    const JsonPtr root = ReadKindFile(folder, kind);
    if (!root) {
        return;
    }
    const QString kindFolder = QLatin1String(kKindFiles[kind].fileFolder);
    std::atomic<int64_t>* const doneBytes = bytesDone(kind);
    std::atomic<int64_t>* const totalBytes = bytesTotal(kind);
    if (totalBytes != nullptr) {
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
                    *totalBytes += file.size();
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
        const QByteArray name = file->phoneName.toUtf8();
        int result = m_Phone.pushToPhone(kind, local, name, false);
        if (result < 0 && !m_Abort) {
            result = m_Phone.pushToPhone(kind, local, name, true);
        }
        if (result < 0) {
            UiLog("error: restore of %s failed\n", local.constData());
            countFailed(kind);
        }
        if (doneBytes != nullptr) {
            const QFileInfo info(file->localPath);
            *doneBytes += info.isFile() ? info.size() : 0;
        }
        return true;
    });
}

void GetBackupDataThread::RestoreApps(ContentKind, const QString& folder) {
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
            m_Phone.installApp(file->localPath.toUtf8()) < 0) {
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
    const int unanswered = m_Phone.failedCommandCount();
    m_Phone.refresh(Apps);
    if (m_Phone.failedCommandCount() != unanswered) {
        UiLog("error: the phone's app list could not be read; %d apps not confirmed as installed\n",
              int(packages.size()));
        m_FailedCount[Apps] += int(packages.size());
        return;
    }
    QSet<QByteArray> onPhone;
    const int count = std::max(m_Phone.count(Apps), 0);
    for (int j = 0; j < count; ++j) {
        AppInfo info{};
        if (m_Phone.appInfo(j, info)) {
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
