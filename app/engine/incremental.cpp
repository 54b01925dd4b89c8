#include "incremental.h"

#include "entries.h"
#include "safenames.h"
#include "uilog.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvell {

namespace {

constexpr qint64 kMaxSumsFileSize = qint64(256) << 20;
constexpr size_t kBlockSize = size_t(1) << 20;
// Beside the final name while a file is taken (one at a time per folder,
// and short: a final name may be as long as the file system allows). A
// media file's name starts with its id and a package's with its name, so
// none begins with a dot.
constexpr char kTemporaryName[] = ".incr-taking";

// The keys of an app entry that say the package file is the same one: the
// sizes of cache and data change all the time and do not touch it.
constexpr const char* kAppFileKeys[] = {"Packagename", "Filename",       "Version",
                                        "Installtime", "Lastupdatetime", "Codesize"};

class Fd {
public:
    explicit Fd(int fd) : m_Fd(fd) {}
    ~Fd() {
        if (m_Fd >= 0) {
            ::close(m_Fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_Fd; }
    bool close() {
        const int fd = m_Fd;
        m_Fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_Fd;
};

struct EvpDeleter {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool Cancelled(const std::atomic<bool>* abort) {
    return abort != nullptr && abort->load(std::memory_order_relaxed);
}

// Copies the open file in to the new file out, hashing what it copies. The
// digest as 64 hex digits; nothing (and why) on a read or write error or a
// cancel.
std::optional<QByteArray> CopyHashing(int in, int out, QString* why,
                                      const std::atomic<bool>* abort) {
    std::unique_ptr<EVP_MD_CTX, EvpDeleter> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) {
        *why = QStringLiteral("SHA-256 is not available");
        return std::nullopt;
    }
    thread_local std::unique_ptr<char[]> block(new char[kBlockSize]);
    for (;;) {
        if (Cancelled(abort)) {
            *why = QStringLiteral("cancelled");
            return std::nullopt;
        }
        const ssize_t n = ::read(in, block.get(), kBlockSize);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *why = ErrnoText();
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        EVP_DigestUpdate(ctx.get(), block.get(), size_t(n));
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, block.get() + written, size_t(n - written));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                *why = ErrnoText();
                return std::nullopt;
            }
            written += w;
        }
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) {
        *why = QStringLiteral("SHA-256 failed");
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

QByteArray Sha256Of(const QByteArray& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, EVP_sha256(),
                   nullptr) != 1) {
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

// A small file of folder read whole, when it is a plain file inside it.
std::optional<QByteArray> ReadInside(const QString& folder, const QString& relative,
                                     qint64 maxSize) {
    const QString path = folder + u'/' + relative;
    const QFileInfo info(path);
    if (!info.exists() || !ResolvesInside(folder, path) || !info.isFile() ||
        info.size() > maxSize) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool SameText(const char* a, const char* b) {
    return (a == nullptr && b == nullptr) ||
           (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

bool SameItem(ContentKind kind, const cJSON* earlier, const cJSON* now) {
    if (kind != Apps) {
        // Name (id and file name on the phone), size, times and title.
        return cJSON_Compare(earlier, now, true) != 0;
    }
    return std::all_of(std::begin(kAppFileKeys), std::end(kAppFileKeys), [&](const char* key) {
        return SameText(EntryText(earlier, key), EntryText(now, key));
    });
}

QString KindFolderOf(ContentKind kind) {
    return QLatin1String(kKindFiles[kind].fileFolder);
}

} // namespace

PhoneIdentity IdentityOf(const DeviceInfoRecord& info) {
    // As Deviceinfo.js writes them, so that the two compare.
    const JsonPtr root = DeviceInfoRoot(info);
    const cJSON* device = cJSON_GetObjectItem(root.get(), "DeviceInfo");
    return {EntryText(device, "Serial_Number"), EntryText(device, "ProductMD5")};
}

PhoneIdentity IdentityOfFolder(const QString& folder) {
    const std::optional<QByteArray> bytes =
        ReadInside(folder, QLatin1String(kDeviceInfoFile), kMaxJsFileSize);
    if (!bytes || bytes->size() <= 12) {
        return {};
    }
    QByteArray text = bytes->mid(12);
    if (text.endsWith(';')) {
        text.chop(1);
    }
    const JsonPtr root(cJSON_ParseWithLength(text.constData(), size_t(text.size())));
    const cJSON* device = cJSON_GetObjectItem(root.get(), "DeviceInfo");
    return {EntryText(device, "Serial_Number"), EntryText(device, "ProductMD5")};
}

TakenFile TakeEarlierFile(const QString& earlierFolder, const QString& relative,
                          const QString& destination, qint64 size, const QByteArray& digest,
                          const std::atomic<bool>* abort) {
    TakenFile result;
    const auto fail = [&](const QString& why) {
        result.why = why;
        return result;
    };
    const QString source = earlierFolder + u'/' + relative;
    if (!QFileInfo(source).isSymLink() && !QFileInfo::exists(source)) {
        return fail(QStringLiteral("no longer in the earlier backup"));
    }
    if (!ResolvesInside(earlierFolder, source)) {
        return fail(QStringLiteral("leads outside the earlier backup"));
    }
    Fd in(::open(QFile::encodeName(source).constData(),
                 O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0) {
        return fail(errno == ENOENT  ? QStringLiteral("no longer in the earlier backup")
                    : errno == ELOOP ? QStringLiteral("a link, not a file")
                                     : ErrnoText());
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return fail(QStringLiteral("not a plain file"));
    }
    if (size >= 0 && st.st_size != size) {
        return fail(
            QStringLiteral("damaged: %1 bytes where %2 are due").arg(qint64(st.st_size)).arg(size));
    }
    // The file opened must be the one checked: a folder on the way that was
    // swapped for a link since would lead elsewhere.
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(in.get());
    const QString opened = QFile::symLinkTarget(QString::fromLatin1(procPath));
    const QString root = QFileInfo(earlierFolder).canonicalFilePath();
    if (!opened.isEmpty() && !root.isEmpty() && !opened.startsWith(root + u'/')) {
        return fail(QStringLiteral("leads outside the earlier backup"));
    }

    const QFileInfo target(destination);
    const QString temporary = target.absolutePath() + u'/' + QLatin1String(kTemporaryName);
    const QByteArray tmp = QFile::encodeName(temporary);
    ::unlink(tmp.constData());
    const auto failRemoving = [&](const QString& why) {
        ::unlink(tmp.constData());
        return fail(why);
    };

    std::optional<QByteArray> taken;
    QString why;
    result.linked =
        ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, tmp.constData(), AT_SYMLINK_FOLLOW) == 0;
    if (!result.linked && errno == ENOENT) {
        // No /proc: by path (its content is checked below all the same).
        result.linked = ::link(QFile::encodeName(source).constData(), tmp.constData()) == 0;
        if (!result.linked && errno == ENOENT) {
            return fail(QStringLiteral("no longer in the earlier backup"));
        }
    }
    if (result.linked) {
        taken = Sha256OfFile(temporary, &why, {}, abort);
    } else {
        // Another file system, or one without hard links: a local copy.
        Fd out(::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (out.get() < 0) {
            return fail(ErrnoText());
        }
        taken = CopyHashing(in.get(), out.get(), &why, abort);
        if (!out.close() && taken) {
            why = ErrnoText();
            taken.reset();
        }
    }
    if (Cancelled(abort)) {
        return failRemoving(QStringLiteral("cancelled"));
    }
    if (!taken) {
        return failRemoving(why);
    }
    if (taken->toLower() != digest.toLower()) {
        return failRemoving(
            QStringLiteral("damaged: its checksum differs from the earlier SHA256SUMS"));
    }
    if (::rename(tmp.constData(), QFile::encodeName(destination).constData()) != 0) {
        return failRemoving(ErrnoText());
    }
    result.stamp = StampOfFile(destination, digest.toLower());
    result.ok = true;
    return result;
}

// ---- EarlierBackups ---------------------------------------------------------------------

struct EarlierBackups::Folder {
    QString path;
    qint64 sumsTime = 0; // when its SHA256SUMS was written
    bool sumsRead = false;
    QHash<QString, QByteArray> sums; // relative path -> digest
};

struct EarlierBackups::Kind {
    Folder* folder = nullptr;
    JsonPtr root;
    QHash<QString, const cJSON*> byName; // Filename -> entry
};

EarlierBackups::EarlierBackups(const QStringList& candidates, std::function<PhoneIdentity()> phone,
                               const QString& newFolder, const std::atomic<bool>* abort)
    : m_Candidates(candidates), m_PhoneQuery(std::move(phone)), m_NewFolder(newFolder),
      m_Abort(abort) {}

EarlierBackups::~EarlierBackups() = default;

EarlierBackups::Folder* EarlierBackups::folderState(const QString& path) {
    for (const auto& folder : m_Folders) {
        if (folder->path == path) {
            return folder.get();
        }
    }
    return nullptr;
}

EarlierBackups::Kind* EarlierBackups::kindState(ContentKind kind) {
    if (m_KindLooked[kind]) {
        return m_Kinds[kind].get();
    }
    m_KindLooked[kind] = true;
    if (!m_Phone) {
        // The folders of this phone that vouch for their files, newest first.
        m_Phone = m_PhoneQuery();
        if (!m_Phone->known()) {
            UiLog("incremental: the phone names no serial; every file comes from the phone\n");
            return nullptr;
        }
        const QString self = QFileInfo(m_NewFolder).canonicalFilePath();
        for (const QString& path : m_Candidates) {
            const QFileInfo sums(path + u'/' + QLatin1String(kChecksumFileName));
            if (QFileInfo(path).canonicalFilePath() == self || !sums.isFile() ||
                IdentityOfFolder(path) != *m_Phone) {
                continue;
            }
            auto folder = std::make_unique<Folder>();
            folder->path = path;
            folder->sumsTime = sums.lastModified().toMSecsSinceEpoch();
            m_Folders.push_back(std::move(folder));
        }
        std::stable_sort(m_Folders.begin(), m_Folders.end(),
                         [](const auto& a, const auto& b) { return a->sumsTime > b->sumsTime; });
    }
    const QString jsRelative = QLatin1String(kKindFiles[kind].jsFile);
    for (const auto& folder : m_Folders) {
        if (!folder->sumsRead) {
            folder->sumsRead = true;
            if (const auto text =
                    ReadInside(folder->path, QLatin1String(kChecksumFileName), kMaxSumsFileSize)) {
                for (const ChecksumEntry& entry : ParseChecksums(*text).entries) {
                    folder->sums.insert(entry.path, entry.digest);
                }
            }
        }
        const QByteArray listed = folder->sums.value(jsRelative);
        if (listed.isEmpty()) {
            continue;
        }
        // The .js file is read once and vouched for by its own line.
        const std::optional<QByteArray> bytes =
            ReadInside(folder->path, jsRelative, kMaxJsFileSize);
        if (!bytes || Sha256Of(*bytes) != listed) {
            UiLog("incremental: %s of %s does not match its SHA256SUMS; not used\n",
                  qUtf8Printable(jsRelative), qUtf8Printable(folder->path));
            continue;
        }
        QByteArray text = bytes->mid(12);
        if (text.endsWith(';')) {
            text.chop(1);
        }
        auto state = std::make_unique<Kind>();
        state->root = ParseJsText(text, folder->path + u'/' + jsRelative);
        if (!state->root) {
            continue;
        }
        state->folder = folder.get();
        ForEachEntry(state->root.get(), [&](const cJSON* entry) {
            if (const char* name = EntryText(entry, "Filename")) {
                state->byName.insert(QString::fromUtf8(name), entry);
            }
            return true;
        });
        UiLog("incremental: unchanged %s are taken from %s\n", kKindFiles[kind].name,
              qUtf8Printable(folder->path));
        m_Kinds[kind] = std::move(state);
        break;
    }
    return m_Kinds[kind].get();
}

QString EarlierBackups::folderFor(ContentKind kind) {
    const Kind* state = kindState(kind);
    return state != nullptr ? state->folder->path : QString();
}

bool EarlierBackups::takeInto(Folder& folder, const QString& relative, const QString& destination,
                              qint64 size) {
    const QByteArray digest = folder.sums.value(relative);
    if (digest.isEmpty()) {
        UiLog("incremental: %s is not in the SHA256SUMS of %s; taken from the phone\n",
              qUtf8Printable(relative), qUtf8Printable(folder.path));
        return false;
    }
    const TakenFile taken =
        TakeEarlierFile(folder.path, relative, destination, size, digest, m_Abort);
    if (!taken.ok) {
        if (!Cancelled(m_Abort)) {
            UiLog("incremental: %s of %s not used (%s); taken from the phone\n",
                  qUtf8Printable(relative), qUtf8Printable(folder.path), qUtf8Printable(taken.why));
        }
        return false;
    }
    if (taken.stamp) {
        m_Digests.insert(relative, *taken.stamp);
    }
    return true;
}

bool EarlierBackups::take(ContentKind kind, const cJSON* entry, const QString& destination) {
    if (kKindFiles[kind].fileFolder == nullptr || Cancelled(m_Abort)) {
        return false;
    }
    Kind* state = kindState(kind);
    const char* name = EntryText(entry, "Filename");
    if (state == nullptr || name == nullptr) {
        return false;
    }
    const QString filename = QString::fromUtf8(name);
    const cJSON* earlier = state->byName.value(filename);
    if (earlier == nullptr || !SameItem(kind, earlier, entry)) {
        return false;
    }
    qint64 size = -1;
    if (kind != Apps) {
        bool ok = false;
        const char* text = EntryText(entry, "Filesize");
        size = text != nullptr ? QByteArray(text).toLongLong(&ok) : -1;
        if (!ok) {
            return false;
        }
    }
    if (!takeInto(*state->folder, KindFolderOf(kind) + u'/' + filename, destination, size)) {
        return false;
    }
    if (kind == Photos) {
        m_LastPhotoFolder = state->folder->path;
    }
    return true;
}

bool EarlierBackups::takeThumbnail(const QString& name, const QString& destination) {
    Folder* folder = folderState(m_LastPhotoFolder);
    if (folder == nullptr || Cancelled(m_Abort)) {
        return false;
    }
    return takeInto(*folder, QLatin1String(kThumbFolder) + u'/' + name, destination, -1);
}

} // namespace tarvell
