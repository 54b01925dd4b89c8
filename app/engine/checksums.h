// SHA256SUMS: the checksum file at the root of a backup folder, in the format
// that `sha256sum -c` reads, so that a folder can be checked with standard
// tools as well as with `tarvell-cli verify`.
//
// Line format (as coreutils writes it): 64 lower-case hex digits, two spaces,
// the path relative to the folder with "/" separators, "\n". A path holding
// "\", a line feed or a carriage return is written with a "\" before the line
// and those characters as "\\", "\n", "\r". Reading also takes the binary
// marker ("hex *path").
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace tarvell {

inline constexpr char kChecksumFileName[] = "SHA256SUMS";

// Progress of a long hashing run: bytes hashed so far, of total.
using HashProgress = std::function<void(qint64 done, qint64 total)>;

// SHA-256 of a whole file as 64 lower-case hex digits, read in large blocks.
// Nothing (and why in error) when the file cannot be opened or read, or abort
// was set while it was read. progress, when given, receives the size of
// every block as it is hashed.
std::optional<QByteArray> Sha256OfFile(const QString& path, QString* error = nullptr,
                                       const std::function<void(qint64 bytes)>& progress = {},
                                       const std::atomic<bool>* abort = nullptr);

// Why relativePath cannot be a path of SHA256SUMS (empty when it can): it
// must be relative, use "/" separators with no empty, "." or ".." part, and
// hold no NUL. A leading "./" is allowed and ignored by the callers.
QString ChecksumPathProblem(const QString& relativePath);

// One line for path, with coreutils' escaping when path needs it.
QByteArray ChecksumLine(const QByteArray& hexDigest, const QString& relativePath);

// One parsed line of SHA256SUMS.
struct ChecksumEntry {
    QByteArray digest; // 64 lower-case hex digits
    QString path;      // relative, "./" removed
    int line = 0;      // 1-based line number
};
struct ParsedChecksums {
    std::vector<ChecksumEntry> entries;
    // "line N: why": malformed lines, paths that are absolute or leave the
    // folder, paths listed twice. Such lines are never used.
    QStringList problems;
};
ParsedChecksums ParseChecksums(const QByteArray& text);

// A digest already taken of a file, with what identifies the file it was
// taken of: it stands for the file only while all of these still hold.
struct KnownDigest {
    QByteArray digest; // 64 lower-case hex digits
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
};
// The identity of path as KnownDigest records it; nothing when it is not a
// plain file.
std::optional<KnownDigest> StampOfFile(const QString& path, const QByteArray& digest);

// Digests of a folder's files taken ahead of WriteChecksums, on any thread,
// while the files are fresh in the page cache. Each is kept with the file's
// identity, size and times, and used only for a file that still has them.
class HashedAhead {
public:
    explicit HashedAhead(const QString& folder) : m_Folder(folder) {}
    // Hashes the file now; a file that cannot be read is left to
    // WriteChecksums. Any thread.
    void hash(const QString& relativePath);
    // Takes known's digest for the file at relativePath when the file is
    // still the one known describes (a file taken from an earlier backup
    // whose digest was checked there). Any thread.
    void adopt(const QString& relativePath, const KnownDigest& known);
    // The digest taken of the file open as fd, if it has not changed since.
    std::optional<QByteArray> digestOf(const QString& relativePath, int fd) const;
    QString folder() const { return m_Folder; }

private:
    struct Stamp {
        quint64 device = 0, inode = 0;
        qint64 size = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> StampOf(int fd);
    const QString m_Folder;
    mutable std::mutex m_Lock;
    std::map<QString, std::pair<Stamp, QByteArray>> m_Digests;
};

// Writes folder/SHA256SUMS over relativePaths (each hashed now unless ahead
// holds its digest; sorted, each once), atomically: the file is either the
// old one or complete. Paths that ChecksumPathProblem refuses, SHA256SUMS
// itself, and files that cannot be read are left out and named in skipped
// ("path: why"). False (why in error) when the file cannot be written or
// abort was set; the old file then stays.
struct ChecksumWrite {
    bool written = false;
    QString error;
    QStringList skipped;
    int files = 0;
    qint64 bytes = 0;
};
ChecksumWrite WriteChecksums(const QString& folder, const QStringList& relativePaths,
                             const HashProgress& progress = {},
                             const std::atomic<bool>* abort = nullptr,
                             const HashedAhead* ahead = nullptr);

// Every file under folder, relative with "/" separators, sorted; links are
// listed (as files) but not followed; SHA256SUMS at the top is left out.
QStringList ListFilesUnder(const QString& folder);

// ---- Verifying ---------------------------------------------------------------------

enum class FindingKind {
    Missing,    // listed, not there
    Changed,    // listed, different content
    Unreadable, // listed, cannot be read (or not a plain file)
    Unlisted,   // there, not listed (added after the sums were written)
    BadLine,    // a line of SHA256SUMS that is malformed or names a path outside
};
struct Finding {
    FindingKind kind;
    QString path;   // relative path; for BadLine the text of the problem
    QString detail; // why, for Unreadable and BadLine
};
// The word a report shows for a finding ("MISSING", "CHANGED", ...).
const char* FindingWord(FindingKind kind);
// A finding that makes the folder damaged (all but Unlisted).
inline bool IsDamage(FindingKind kind) {
    return kind != FindingKind::Unlisted;
}

struct VerifyOptions {
    // Only listed paths for which this gives true are checked, and only files
    // for which it gives true can be unlisted. All when empty.
    std::function<bool(const QString& path)> select;
    bool reportUnlisted = true;
    std::function<void(const Finding&)> onFinding; // as each one is found
    HashProgress progress;
    const std::atomic<bool>* abort = nullptr;
};
struct VerifyReport {
    bool hasSums = false; // SHA256SUMS exists
    QString sumsError;    // SHA256SUMS exists but cannot be read
    bool aborted = false;
    int checked = 0;  // listed files compared
    qint64 bytes = 0; // bytes hashed
    std::vector<Finding> findings;
    int count(FindingKind kind) const;
    int damage() const; // findings that make the folder damaged
    bool whole() const { return hasSums && sumsError.isEmpty() && !aborted && damage() == 0; }
};
VerifyReport VerifyFolder(const QString& folder, const VerifyOptions& options = {});

// Before a restore reads a kind of a folder: the folder's own sums over the
// kind's files (its .js file and its copied files). ok when the folder has no
// SHA256SUMS (older backups) or every one of those files is whole; otherwise
// message says what is wrong, to show the user. An unlisted .js file of the
// kind counts as damage: nothing vouches for it.
struct KindCheck {
    bool ok = true;
    bool hasSums = false;
    QString message;
    std::vector<Finding> findings;
};
// progress and abort as in VerifyOptions (the copied files of a kind can be
// many gigabytes); an aborted check is not ok and has an empty message.
KindCheck CheckKindBeforeRestore(const QString& folder, int contentKind,
                                 const HashProgress& progress = {},
                                 const std::atomic<bool>* abort = nullptr);

} // namespace tarvell
