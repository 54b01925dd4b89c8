// tarvell-cli verify DIR...: recomputes every checksum of SHA256SUMS and
// reports missing, changed and unlisted files, one line each.
#include "checksums.h"
#include "folder_commands.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <csignal>

namespace tarvell::cli {

const char kVerifyHelp[] =
    "Usage: tarvell-cli verify DIR...\n"
    "\n"
    "Checks backup folders against the SHA256SUMS file that every backup writes\n"
    "last: each file is read and its SHA-256 compared. One line per finding:\n"
    "  MISSING    a file of the backup is gone\n"
    "  CHANGED    a file of the backup has other content\n"
    "  UNREADABLE a file of the backup cannot be read\n"
    "  BAD LINE   a line of SHA256SUMS is malformed or names a path outside the\n"
    "             folder (such a path is never read)\n"
    "  UNLISTED   a file added after the backup (reported, not damage)\n"
    "then a summary per folder. `sha256sum -c SHA256SUMS` inside a folder checks\n"
    "the same sums.\n"
    "\n"
    "Exit codes: 0 every folder whole, 1 a folder is damaged or has no\n"
    "SHA256SUMS, 2 usage error, 4 cancelled.\n";

namespace {

enum Exit : int { kWhole = 0, kDamaged = 1, kUsage = 2, kCancelled = 4 };

std::atomic<bool> g_Cancel{false};

void OnInterrupt(int) {
    g_Cancel.store(true, std::memory_order_relaxed);
}

void Out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString Size(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// A path as the user can read it: control characters (a line feed in a file
// name) shown escaped, so that one finding stays one line.
QString Shown(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\r"));
    for (QChar& c : text) {
        if (c.unicode() < 0x20) {
            c = u'?';
        }
    }
    return text;
}

// The live bar on a terminal; otherwise plain lines in steps of 10% for
// folders of kPlainProgressBytes or more.
constexpr qint64 kPlainProgressBytes = qint64(256) << 20;
class Progress {
public:
    Progress(bool terminal, QString label) : m_Terminal(terminal), m_Label(std::move(label)) {
        m_Timer.start();
    }
    void update(qint64 done, qint64 total) {
        const int percent = total > 0 ? int(std::min<qint64>(100, done * 100 / total)) : 100;
        if (!m_Terminal) {
            // Plain lines only for runs long enough to need them.
            if (total >= kPlainProgressBytes && percent / 10 != m_Percent / 10 && percent < 100) {
                Out(QStringLiteral("progress %1%\n").arg(percent / 10 * 10));
            }
            m_Percent = percent;
            return;
        }
        m_Percent = percent;
        m_Done = done;
        m_Total = total;
        if (m_Timer.elapsed() >= 100 || !m_Shown) {
            m_Timer.restart();
            draw();
        }
    }
    // A finding line above the bar.
    void line(const QString& text) {
        if (m_Terminal && m_Shown) {
            Out(QStringLiteral("\r\x1b[2K") + text + u'\n');
            draw();
            return;
        }
        Out(text + u'\n');
    }
    void clear() {
        if (m_Terminal && m_Shown) {
            Out(QStringLiteral("\r\x1b[2K"));
            m_Shown = false;
        }
    }

private:
    void draw() {
        const int width = 30;
        const int filled = m_Percent * width / 100;
        Out(QStringLiteral("\r\x1b[2K[%1%2] %3%  %4 of %5  %6")
                .arg(QString(filled, u'#'), QString(width - filled, u'.'))
                .arg(m_Percent, 3)
                .arg(Size(m_Done), Size(m_Total), m_Label));
        m_Shown = true;
    }
    bool m_Terminal;
    QString m_Label;
    QElapsedTimer m_Timer;
    int m_Percent = -1;
    qint64 m_Done = 0;
    qint64 m_Total = 0;
    bool m_Shown = false;
};

// Verifies one folder; returns its exit code.
int VerifyOne(const QString& given, const QString& folder, bool terminal) {
    Progress progress(terminal, given);
    VerifyOptions options;
    options.abort = &g_Cancel;
    options.progress = [&](qint64 done, qint64 total) { progress.update(done, total); };
    options.onFinding = [&](const Finding& f) {
        QString text = QStringLiteral("%1 ").arg(QLatin1String(FindingWord(f.kind)), -10);
        if (f.kind == FindingKind::BadLine) {
            text += QDir(given).filePath(QLatin1String(kChecksumFileName)) + u' ' + Shown(f.path);
        } else {
            text += QDir(given).filePath(Shown(f.path));
        }
        if (!f.detail.isEmpty()) {
            text += QStringLiteral(" (%1)").arg(f.detail);
        }
        progress.line(text);
    };
    const VerifyReport report = VerifyFolder(folder, options);
    progress.clear();
    if (report.aborted) {
        return kCancelled;
    }
    if (!report.hasSums) {
        Out(QStringLiteral("%1: cannot be verified: it has no %2 (backups made before "
                           "checksums were added have none)\n")
                .arg(given, QLatin1String(kChecksumFileName)));
        return kDamaged;
    }
    if (!report.sumsError.isEmpty()) {
        Out(QStringLiteral("%1: cannot be verified: %2\n").arg(given, report.sumsError));
        return kDamaged;
    }
    const int unlisted = report.count(FindingKind::Unlisted);
    const QString extra =
        unlisted == 0
            ? QString()
            : QStringLiteral("; %1 file(s) added after the backup, not checked").arg(unlisted);
    if (report.whole()) {
        Out(QStringLiteral("%1: whole: %2 files, %3 checked%4\n")
                .arg(given)
                .arg(report.checked)
                .arg(Size(report.bytes), extra));
        return kWhole;
    }
    QStringList parts;
    for (const FindingKind kind : {FindingKind::Changed, FindingKind::Missing,
                                   FindingKind::Unreadable, FindingKind::BadLine}) {
        if (const int n = report.count(kind); n > 0) {
            parts << QStringLiteral("%1 %2").arg(n).arg(
                QString::fromLatin1(FindingWord(kind)).toLower());
        }
    }
    Out(QStringLiteral("%1: DAMAGED: %2 of %3 files listed%4\n")
            .arg(given, parts.join(QStringLiteral(", ")))
            .arg(report.checked)
            .arg(extra));
    return kDamaged;
}

} // namespace

int CmdVerify(const QStringList& args, bool terminal, FILE* messages) {
    auto usage = [&](const QString& text) {
        std::fputs(("tarvell-cli: " + text + "\nrun 'tarvell-cli verify --help' for usage\n")
                       .toUtf8()
                       .constData(),
                   messages);
        return int(kUsage);
    };
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        Out(QLatin1String(kVerifyHelp));
        return kWhole;
    }
    QStringList folders;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option '%1' for verify").arg(a));
        }
        if (!QFileInfo(a).isDir()) {
            return usage(QStringLiteral("'%1' is not a folder").arg(a));
        }
        folders << a;
    }
    if (folders.isEmpty()) {
        return usage(QStringLiteral("verify needs at least one backup folder"));
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    int result = kWhole;
    for (const QString& given : folders) {
        const int one = VerifyOne(given, QDir::cleanPath(QDir(given).absolutePath()), terminal);
        if (one == kCancelled) {
            Out(QStringLiteral("Cancelled.\n"));
            return kCancelled;
        }
        result = std::max(result, one);
    }
    if (folders.size() > 1) {
        Out(result == kWhole ? QStringLiteral("All %1 folders are whole.\n").arg(folders.size())
                             : QStringLiteral("Not every folder is whole.\n"));
    }
    return result;
}

} // namespace tarvell::cli
