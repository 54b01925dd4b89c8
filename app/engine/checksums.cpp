#include "checksums.h"

#include "backupfolder.h"
#include "safenames.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <memory>
#include <openssl/evp.h>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarvell {

namespace {

// Large blocks: one read and one hash call per MiB keeps the run at the
// speed of the disk (or of the hash, for files in the page cache).
constexpr qint64 kBlockSize = qint64(1) << 20;

// SHA256SUMS itself is read whole; a larger one is not a checksum file.
constexpr qint64 kMaxSumsFileSize = qint64(256) << 20;

struct EvpDeleter {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

bool IsHexDigest(const QByteArray& text) {
    if (text.size() != 64) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

// The path without a leading "./" (as `sha256sum ./x` writes it).
QString WithoutDotSlash(QString path) {
    while (path.startsWith(QStringLiteral("./"))) {
        path.remove(0, 2);
    }
    return path;
}

// coreutils' unescaping of a path written after a leading "\": "\\" and "\n"
// (and "\r", which coreutils 9 writes). Nothing when another escape follows a
// backslash.
std::optional<QByteArray> Unescape(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            return std::nullopt;
        }
        const char next = text[++i];
        if (next == '\\') {
            out += '\\';
        } else if (next == 'n') {
            out += '\n';
        } else if (next == 'r') {
            out += '\r';
        } else {
            return std::nullopt;
        }
    }
    return out;
}

QString ShownLine(const QByteArray& line) {
    QString shown = QString::fromUtf8(line.left(120));
    for (QChar& c : shown) {
        if (c.unicode() < 0x20) {
            c = u'?';
        }
    }
    return line.size() > 120 ? shown + QStringLiteral("...") : shown;
}

} // namespace

namespace {

// Hashes the open file fd and closes it.
std::optional<QByteArray> HashOpenFile(int fd, QString* error,
                                       const std::function<void(qint64 bytes)>& progress,
                                       const std::atomic<bool>* abort) {
    auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        ::close(fd);
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return fail(QStringLiteral("not a plain file"));
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::unique_ptr<EVP_MD_CTX, EvpDeleter> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) {
        return fail(QStringLiteral("SHA-256 is not available"));
    }
    // One block per thread, kept: folders hold many small files.
    thread_local std::unique_ptr<unsigned char[]> block(new unsigned char[kBlockSize]);
    for (;;) {
        if (abort != nullptr && abort->load(std::memory_order_relaxed)) {
            return fail(QStringLiteral("cancelled"));
        }
        const ssize_t n = ::read(fd, block.get(), size_t(kBlockSize));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (n == 0) {
            break;
        }
        EVP_DigestUpdate(ctx.get(), block.get(), size_t(n));
        if (progress) {
            progress(qint64(n));
        }
    }
    ::close(fd);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) {
        if (error != nullptr) {
            *error = QStringLiteral("SHA-256 failed");
        }
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

// Non-blocking: a FIFO planted in a folder must not hang the run (it is
// refused as not a plain file). Reads of plain files ignore the flag.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// A file of a folder, opened only when its path, links followed, stays
// inside the folder.
class FolderFiles {
public:
    explicit FolderFiles(const QString& folder) : m_Folder(folder) {
        m_Root = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~FolderFiles() {
        if (m_Root >= 0) {
            ::close(m_Root);
        }
    }
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    enum class Opened { Ok, Missing, Outside, Failed };
    // fd receives the open file on Ok; why says what failed otherwise.
    Opened open(const QString& relative, int* fd, QString* why) {
        const QByteArray name = QFile::encodeName(relative);
        if (m_Root >= 0 && m_Beneath) {
            // The kernel resolves the path and refuses any step (a "..", an
            // absolute link, a link that climbs out) that leaves the folder.
            open_how how{};
            how.flags = kOpenFlags;
            how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
            const long result = ::syscall(SYS_openat2, m_Root, name.constData(), &how, sizeof how);
            if (result >= 0) {
                *fd = int(result);
                return Opened::Ok;
            }
            if (errno == ENOENT) {
                return Opened::Missing;
            }
            if (errno == EXDEV || errno == ELOOP) {
                *why = QStringLiteral("a link that leads outside the folder (not read)");
                return Opened::Outside;
            }
            if (errno != ENOSYS && errno != EPERM) {
                *why = QString::fromLocal8Bit(std::strerror(errno));
                return Opened::Failed;
            }
            m_Beneath = false; // older kernel or a filter: resolve it ourselves
        }
        const QString full = m_Folder + u'/' + relative;
        const QFileInfo info(full);
        if (!info.exists() && !info.isSymLink()) {
            return Opened::Missing;
        }
        if (!ResolvesInside(m_Folder, full)) {
            *why = QStringLiteral("a link that leads outside the folder (not read)");
            return Opened::Outside;
        }
        *fd = ::open(QFile::encodeName(full).constData(), kOpenFlags);
        if (*fd < 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            return errno == ENOENT ? Opened::Missing : Opened::Failed;
        }
        return Opened::Ok;
    }

private:
    QString m_Folder;
    int m_Root = -1;
    bool m_Beneath = true;
};

// Byte order of UTF-8, as `sort` in the C locale lists the same names.
QStringList SortedByUtf8(const QStringList& names) {
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (const QString& name : names) {
        keyed.emplace_back(name.toUtf8(), name);
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList sorted;
    sorted.reserve(names.size());
    for (auto& pair : keyed) {
        sorted << std::move(pair.second);
    }
    return sorted;
}

qint64 SizeOf(const QString& folder, const QString& relative) {
    return std::max<qint64>(QFileInfo(folder + u'/' + relative).size(), 0);
}

} // namespace

std::optional<QByteArray> Sha256OfFile(const QString& path, QString* error,
                                       const std::function<void(qint64 bytes)>& progress,
                                       const std::atomic<bool>* abort) {
    const int fd = ::open(QFile::encodeName(path).constData(), kOpenFlags);
    if (fd < 0) {
        if (error != nullptr) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
        }
        return std::nullopt;
    }
    return HashOpenFile(fd, error, progress, abort);
}

QString ChecksumPathProblem(const QString& relativePath) {
    if (relativePath.isEmpty()) {
        return QStringLiteral("empty path");
    }
    if (relativePath.contains(QChar(0))) {
        return QStringLiteral("path holds a NUL character");
    }
    if (relativePath.startsWith(u'/')) {
        return QStringLiteral("absolute path");
    }
    const QStringList parts = WithoutDotSlash(relativePath).split(u'/');
    for (const QString& part : parts) {
        if (part == QStringLiteral("..")) {
            return QStringLiteral("path leaves the folder");
        }
        if (part.isEmpty() || part == QStringLiteral(".")) {
            return QStringLiteral("path with an empty or \".\" part");
        }
    }
    return QString();
}

QByteArray ChecksumLine(const QByteArray& hexDigest, const QString& relativePath) {
    const QByteArray path = relativePath.toUtf8();
    const bool escape = path.contains('\\') || path.contains('\n') || path.contains('\r');
    QByteArray line;
    line.reserve(path.size() + 70);
    if (escape) {
        line += '\\';
    }
    line += hexDigest.toLower();
    line += "  ";
    if (escape) {
        for (const char c : path) {
            if (c == '\\') {
                line += "\\\\";
            } else if (c == '\n') {
                line += "\\n";
            } else if (c == '\r') {
                line += "\\r";
            } else {
                line += c;
            }
        }
    } else {
        line += path;
    }
    line += '\n';
    return line;
}

ParsedChecksums ParseChecksums(const QByteArray& text) {
    ParsedChecksums parsed;
    std::set<QString> seen;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        QByteArray line = lines[i];
        if (line.endsWith('\r')) {
            // Written on Windows: the name never ends in a carriage return
            // there (it would be escaped).
            line.chop(1);
        }
        if (line.isEmpty()) {
            continue;
        }
        auto problem = [&](const QString& why) {
            parsed.problems
                << QStringLiteral("line %1: %2: %3").arg(number).arg(why, ShownLine(line));
        };
        const bool escaped = line.startsWith('\\');
        const QByteArray body = escaped ? line.mid(1) : line;
        // "hex  path" or "hex *path".
        if (body.size() < 67 || !IsHexDigest(body.left(64)) || body[64] != ' ' ||
            (body[65] != ' ' && body[65] != '*')) {
            problem(QStringLiteral("not a SHA-256 checksum line"));
            continue;
        }
        QByteArray rawPath = body.mid(66);
        if (escaped) {
            const std::optional<QByteArray> unescaped = Unescape(rawPath);
            if (!unescaped) {
                problem(QStringLiteral("bad escape in the file name"));
                continue;
            }
            rawPath = *unescaped;
        }
        if (rawPath.contains('\0')) {
            problem(QStringLiteral("path holds a NUL character"));
            continue;
        }
        const QString path = QString::fromUtf8(rawPath);
        if (path.toUtf8() != rawPath) {
            problem(QStringLiteral("file name is not UTF-8"));
            continue;
        }
        if (const QString why = ChecksumPathProblem(path); !why.isEmpty()) {
            problem(why);
            continue;
        }
        const QString clean = WithoutDotSlash(path);
        if (!seen.insert(clean).second) {
            problem(QStringLiteral("file listed twice"));
            continue;
        }
        parsed.entries.push_back({body.left(64).toLower(), clean, number});
    }
    return parsed;
}

QStringList ListFilesUnder(const QString& folder) {
    QStringList files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (relative != QLatin1String(kChecksumFileName)) {
            files << relative;
        }
    }
    return SortedByUtf8(files);
}

namespace {

std::optional<KnownDigest> KnownDigestOf(const struct stat& st, const QByteArray& digest) {
    if (!S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return KnownDigest{digest, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                       qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace

std::optional<KnownDigest> StampOfFile(const QString& path, const QByteArray& digest) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        return std::nullopt;
    }
    return KnownDigestOf(st, digest);
}

std::optional<HashedAhead::Stamp> HashedAhead::StampOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    constexpr qint64 kNs = 1000000000;
    return Stamp{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                 qint64(st.st_mtim.tv_sec) * kNs + st.st_mtim.tv_nsec,
                 qint64(st.st_ctim.tv_sec) * kNs + st.st_ctim.tv_nsec};
}

void HashedAhead::adopt(const QString& relativePath, const KnownDigest& known) {
    FolderFiles files(m_Folder);
    int fd = -1;
    QString why;
    if (files.open(relativePath, &fd, &why) != FolderFiles::Opened::Ok) {
        return;
    }
    const std::optional<Stamp> now = StampOf(fd);
    ::close(fd);
    if (now && now->device == known.device && now->inode == known.inode &&
        now->size == known.size && now->modifiedNs == known.modifiedNs) {
        std::lock_guard lock(m_Lock);
        m_Digests[relativePath] = {*now, known.digest};
    }
}

void HashedAhead::hash(const QString& relativePath) {
    FolderFiles files(m_Folder);
    int fd = -1;
    QString why;
    if (files.open(relativePath, &fd, &why) != FolderFiles::Opened::Ok) {
        return;
    }
    const std::optional<Stamp> before = StampOf(fd);
    const int kept = ::dup(fd); // HashOpenFile closes fd
    std::optional<QByteArray> digest = HashOpenFile(fd, &why, {}, nullptr);
    std::optional<Stamp> after;
    if (kept >= 0) {
        after = StampOf(kept);
        ::close(kept);
    }
    // A file that changed while it was read is hashed again at the end.
    if (digest && before && before == after) {
        std::lock_guard lock(m_Lock);
        m_Digests[relativePath] = {*before, std::move(*digest)};
    }
}

std::optional<QByteArray> HashedAhead::digestOf(const QString& relativePath, int fd) const {
    const std::optional<Stamp> now = StampOf(fd);
    std::lock_guard lock(m_Lock);
    const auto found = m_Digests.find(relativePath);
    if (!now || found == m_Digests.end() || !(found->second.first == *now)) {
        return std::nullopt;
    }
    return found->second.second;
}

ChecksumWrite WriteChecksums(const QString& folder, const QStringList& relativePaths,
                             const HashProgress& progress, const std::atomic<bool>* abort,
                             const HashedAhead* ahead) {
    ChecksumWrite result;
    std::set<QByteArray> order; // UTF-8 byte order, each path once
    QStringList paths;
    for (const QString& given : relativePaths) {
        if (const QString why = ChecksumPathProblem(given); !why.isEmpty()) {
            result.skipped << QStringLiteral("%1: %2").arg(given, why);
            continue;
        }
        const QString path = WithoutDotSlash(given);
        if (path == QLatin1String(kChecksumFileName)) {
            continue;
        }
        if (order.insert(path.toUtf8()).second) {
            paths.push_back(path);
        }
    }
    paths = SortedByUtf8(paths);
    qint64 total = 0;
    if (progress) {
        for (const QString& path : paths) {
            total += SizeOf(folder, path);
        }
    }
    FolderFiles files(folder);
    QByteArray text;
    qint64 done = 0;
    for (const QString& path : paths) {
        QString why = QStringLiteral("no such file");
        std::optional<QByteArray> digest;
        int fd = -1;
        if (files.open(path, &fd, &why) == FolderFiles::Opened::Ok && ahead != nullptr &&
            ahead->folder() == folder) {
            digest = ahead->digestOf(path, fd);
            if (digest) {
                ::close(fd);
                done += SizeOf(folder, path);
                if (progress) {
                    progress(done, std::max(total, done));
                }
            }
        }
        if (fd >= 0 && !digest) {
            digest = HashOpenFile(
                fd, &why,
                [&](qint64 bytes) {
                    done += bytes;
                    if (progress) {
                        progress(done, std::max(total, done));
                    }
                },
                abort);
        }
        if (abort != nullptr && abort->load(std::memory_order_relaxed)) {
            result.error = QStringLiteral("cancelled");
            return result;
        }
        if (!digest) {
            result.skipped << QStringLiteral("%1: %2").arg(path, why);
            continue;
        }
        text += ChecksumLine(*digest, path);
        ++result.files;
    }
    result.bytes = done;
    const QString target = folder + u'/' + QLatin1String(kChecksumFileName);
    QSaveFile file(target);
    bool ok = file.open(QIODevice::WriteOnly);
    // Flushed before commit: a write error must stop the rename.
    ok = ok && file.write(text) == text.size() && file.flush();
    if (!ok) {
        result.error = QStringLiteral("cannot write %1: %2").arg(target, file.errorString());
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.error = QStringLiteral("cannot save %1: %2").arg(target, file.errorString());
        return result;
    }
    result.written = true;
    return result;
}

// ---- Verifying ---------------------------------------------------------------------

const char* FindingWord(FindingKind kind) {
    switch (kind) {
    case FindingKind::Missing:
        return "MISSING";
    case FindingKind::Changed:
        return "CHANGED";
    case FindingKind::Unreadable:
        return "UNREADABLE";
    case FindingKind::Unlisted:
        return "UNLISTED";
    case FindingKind::BadLine:
        return "BAD LINE";
    }
    return "";
}

int VerifyReport::count(FindingKind kind) const {
    return int(std::count_if(findings.begin(), findings.end(),
                             [kind](const Finding& f) { return f.kind == kind; }));
}

int VerifyReport::damage() const {
    return int(std::count_if(findings.begin(), findings.end(),
                             [](const Finding& f) { return IsDamage(f.kind); }));
}

VerifyReport VerifyFolder(const QString& folder, const VerifyOptions& options) {
    VerifyReport report;
    auto found = [&](FindingKind kind, const QString& path, const QString& detail = QString()) {
        report.findings.push_back({kind, path, detail});
        if (options.onFinding) {
            options.onFinding(report.findings.back());
        }
    };
    auto selected = [&](const QString& path) { return !options.select || options.select(path); };
    auto aborted = [&] {
        return options.abort != nullptr && options.abort->load(std::memory_order_relaxed);
    };

    const QString sumsPath = folder + u'/' + QLatin1String(kChecksumFileName);
    const QFileInfo sumsInfo(sumsPath);
    if (!sumsInfo.exists() && !sumsInfo.isSymLink()) {
        return report;
    }
    report.hasSums = true;
    QFile sums(sumsPath);
    if (!sumsInfo.isFile() || !ResolvesInside(folder, sumsPath)) {
        report.sumsError = QStringLiteral("%1 is not a plain file in the folder").arg(sumsPath);
        return report;
    }
    if (sumsInfo.size() > kMaxSumsFileSize) {
        report.sumsError = QStringLiteral("%1 is too large to be a checksum file").arg(sumsPath);
        return report;
    }
    if (!sums.open(QIODevice::ReadOnly)) {
        report.sumsError = QStringLiteral("cannot read %1: %2").arg(sumsPath, sums.errorString());
        return report;
    }
    const ParsedChecksums parsed = ParseChecksums(sums.readAll());
    for (const QString& problem : parsed.problems) {
        found(FindingKind::BadLine, problem);
    }

    std::vector<const ChecksumEntry*> todo;
    qint64 total = 0;
    for (const ChecksumEntry& entry : parsed.entries) {
        if (selected(entry.path)) {
            todo.push_back(&entry);
            if (options.progress) {
                total += SizeOf(folder, entry.path);
            }
        }
    }
    FolderFiles files(folder);
    qint64 done = 0;
    for (const ChecksumEntry* entry : todo) {
        if (aborted()) {
            report.aborted = true;
            return report;
        }
        ++report.checked;
        int fd = -1;
        QString why;
        const FolderFiles::Opened opened = files.open(entry->path, &fd, &why);
        if (opened == FolderFiles::Opened::Missing) {
            found(FindingKind::Missing, entry->path);
            continue;
        }
        if (opened != FolderFiles::Opened::Ok) {
            found(FindingKind::Unreadable, entry->path, why);
            continue;
        }
        const qint64 before = done;
        const std::optional<QByteArray> digest = HashOpenFile(
            fd, &why,
            [&](qint64 bytes) {
                done += bytes;
                if (options.progress) {
                    options.progress(done, std::max(total, done));
                }
            },
            options.abort);
        if (aborted()) {
            report.aborted = true;
            return report;
        }
        if (!digest) {
            found(FindingKind::Unreadable, entry->path, why);
        } else if (*digest != entry->digest) {
            found(FindingKind::Changed, entry->path);
        }
        report.bytes += done - before;
    }
    if (options.reportUnlisted) {
        std::set<QString> listed;
        for (const ChecksumEntry& entry : parsed.entries) {
            listed.insert(entry.path);
        }
        for (const QString& path : ListFilesUnder(folder)) {
            if (selected(path) && listed.count(path) == 0) {
                found(FindingKind::Unlisted, path);
            }
        }
    }
    return report;
}

KindCheck CheckKindBeforeRestore(const QString& folder, int contentKind,
                                 const HashProgress& progress, const std::atomic<bool>* abort) {
    KindCheck check;
    if (contentKind < 0 || contentKind >= kContentKindCount) {
        return check;
    }
    const KindFiles& files = kKindFiles[contentKind];
    const QString jsFile = QLatin1String(files.jsFile);
    const QString fileFolder =
        files.fileFolder == nullptr ? QString() : QLatin1String(files.fileFolder) + u'/';
    VerifyOptions options;
    options.select = [&](const QString& path) {
        return path == jsFile || (!fileFolder.isEmpty() && path.startsWith(fileFolder));
    };
    options.progress = progress;
    options.abort = abort;
    const VerifyReport report = VerifyFolder(folder, options);
    check.hasSums = report.hasSums;
    if (report.aborted) {
        check.ok = false;
        return check;
    }
    if (!report.hasSums) {
        return check;
    }
    if (!report.sumsError.isEmpty()) {
        check.ok = false;
        check.message = report.sumsError;
        return check;
    }
    for (const Finding& f : report.findings) {
        // Copied files added later are not read by the restore unless an
        // entry names them; only an unlisted .js file is suspect.
        if (IsDamage(f.kind) || (f.kind == FindingKind::Unlisted && f.path == jsFile)) {
            check.findings.push_back(f);
        }
    }
    if (check.findings.empty()) {
        return check;
    }
    check.ok = false;
    QStringList lines;
    for (const Finding& f : check.findings) {
        lines << QStringLiteral("%1 %2%3").arg(
            QLatin1String(FindingWord(f.kind)), f.path,
            f.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(f.detail));
    }
    check.message = QStringLiteral("%1 does not match its SHA256SUMS (%2 file(s)): %3. "
                                   "Restore this kind from another copy of the backup.")
                        .arg(QDir::toNativeSeparators(folder))
                        .arg(check.findings.size())
                        .arg(lines.mid(0, 5).join(QStringLiteral("; ")) +
                             (lines.size() > 5 ? QStringLiteral("; ...") : QString()));
    return check;
}

} // namespace tarvell
