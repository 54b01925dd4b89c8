// tarvell-cli: backups and restores of the attached phone from a terminal.
// It drives the library and GetBackupDataThread as the desktop program's
// content screen does; only the display differs.
#include "appsupport.h"
#include "catalogue.h"
#include "folder_commands.h"
#include "imports.h"
#include "jobcontrol.h"
#include "naming.h"
#include "session.h"
#include "uilog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

using namespace tarvell;

// Exit codes.
enum Exit : int {
    kSuccess = 0,
    kFailedItems = 1,
    kUsage = 2,
    kNoPhone = 3,
    kCancelled = 4,
};

constexpr char kMainHelp[] =
    "Usage: tarvell-cli COMMAND [OPTIONS]\n"
    "\n"
    "Backs up and restores the Android phone attached by USB (USB debugging on).\n"
    "\n"
    "Commands:\n"
    "  devices                               show the phone adb sees and its facts\n"
    "  backup [--kinds LIST] [--out DIR] [--full]\n"
    "                                        back the phone up into a new folder in DIR\n"
    "  restore DIR... [--kinds LIST] [--clear]\n"
    "                                        write backup folders back to the phone\n"
    "  list                                  list the finished backups\n"
    "  verify DIR...                         check backup folders against their SHA256SUMS\n"
    "  export DIR...                         write a folder's vCard and SMS/call XML files\n"
    "\n"
    "Run 'tarvell-cli COMMAND --help' for a command's options. --verbose also\n"
    "prints the program's and the library's log lines (they are always written to\n"
    "~/Documents/LogFiles).\n"
    "\n"
    "Exit codes: 0 success, 1 finished but some items failed, 2 usage error,\n"
    "3 no phone or phone not ready, 4 cancelled.\n";

constexpr char kDevicesHelp[] =
    "Usage: tarvell-cli devices\n"
    "\n"
    "Asks adb for the attached phone (this restarts the adb server) and prints\n"
    "its serial, maker, model and Android release.\n"
    "\n"
    "Exit codes: 0 a phone is ready, 2 usage error, 3 no phone or not allowed.\n";

constexpr char kBackupHelp[] =
    "Usage: tarvell-cli backup [--kinds LIST] [--out DIR] [--full] [--keep-companion]\n"
    "\n"
    "Prepares the phone and backs it up into a new folder\n"
    "DIR/<phone>-MM-dd-yyyy-HH-mm-ss, then records it in the backup list.\n"
    "Photos, videos, music and apps that have not changed since a listed backup\n"
    "of the same phone are taken from that backup (hard-linked on the same file\n"
    "system, else copied) after a check against its SHA256SUMS; the new folder\n"
    "is complete on its own.\n"
    "\n"
    "  --kinds LIST  comma-separated kinds: contacts, sms, calls, photos, videos,\n"
    "                music, apps, or all (default: all but apps)\n"
    "  --out DIR     output folder (default: the folder used last, else\n"
    "                ~/Documents/Tarvell); it is remembered for the next backup\n"
    "  --full        copy every file from the phone, none from earlier backups\n"
    "  --keep-companion  leave the Tarvell service on the phone afterwards (it is\n"
    "                removed by default, and installed again by the next run)\n"
    "\n"
    "Ctrl-C cancels (a second Ctrl-C ends at once); a cancelled backup keeps what\n"
    "it wrote but is not listed.\n"
    "Exit codes: 0 success, 1 some items failed, 2 usage error, 3 no phone or\n"
    "phone not ready, 4 cancelled.\n";

constexpr char kRestoreHelp[] =
    "Usage: tarvell-cli restore [DIR...] [--vcf FILE] [--sms-xml FILE] [--calls-xml FILE]\n"
    "                           [--kinds LIST] [--clear] [--force] [--duplicates]\n"
    "                           [--keep-companion]\n"
    "\n"
    "Prepares the phone and writes the backup folders DIR..., in order, back to it.\n"
    "\n"
    "  --kinds LIST  comma-separated kinds: contacts, sms, calls, photos, videos,\n"
    "                music, apps, or all (default: all but apps)\n"
    "  --clear       first delete the phone's data of each chosen kind; a kind is\n"
    "                only cleared when a folder holds something of it to put back\n"
    "  --vcf FILE, --sms-xml FILE, --calls-xml FILE\n"
    "                also restore the contacts of a vCard file, the messages or\n"
    "                the calls of an XML file as the standard exports of a backup\n"
    "                hold them (a restore of only such files needs no DIR)\n"
    "  --force       also restore a kind whose files do not match the folder's\n"
    "                SHA256SUMS (without it such a kind is left out and fails)\n"
    "  --duplicates  also write contacts, messages and calls the phone holds\n"
    "                already (without it they are left out and counted as\n"
    "                already on the phone)\n"
    "  --keep-companion  leave the Tarvell service on the phone afterwards\n"
    "\n"
    "Android 4.4 and later ask on the phone to make the Tarvell service the default\n"
    "messaging app while messages are written; accept within 60 seconds. The\n"
    "previous messaging app is set back afterwards.\n"
    "Exit codes: 0 success, 1 some items failed, 2 usage error, 3 no phone or\n"
    "phone not ready, 4 cancelled.\n";

constexpr char kListHelp[] = "Usage: tarvell-cli list\n"
                             "\n"
                             "Lists the finished backups, newest last: age, phone and folder.\n"
                             "\n"
                             "Exit codes: 0 success, 2 usage error.\n";

volatile std::sig_atomic_t g_Interrupted = 0;

// main leaves the companion service on the phone when asked to.
bool g_KeepCompanion = false;

// The first Ctrl-C asks the job to cancel; a second one ends the program at
// once.
void OnInterrupt(int signal) {
    if (g_Interrupted) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_Interrupted = 1;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void Out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// The program's messages go to the standard error the user sees; the logs
// that the engine and the library mirror to standard error go to /dev/null
// unless --verbose is given (they are in ~/Documents/LogFiles anyway).
FILE* g_Messages = stderr;

void QuietLogMirrors() {
    const int saved = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved < 0 || null < 0) {
        return;
    }
    ::fcntl(saved, F_SETFD, FD_CLOEXEC);
    if (FILE* messages = ::fdopen(saved, "w"); messages != nullptr) {
        g_Messages = messages;
        ::dup2(null, STDERR_FILENO);
    }
    ::close(null);
}

void Err(const QString& text) {
    std::fputs(("tarvell-cli: " + text + "\n").toUtf8().constData(), g_Messages);
    std::fflush(g_Messages);
}

int Usage(const QString& text) {
    Err(text);
    Err(QStringLiteral("run 'tarvell-cli --help' for usage"));
    return kUsage;
}

constexpr const char* kKindWords[kContentKindCount] = {"contacts", "sms",   "calls", "photos",
                                                       "videos",   "music", "apps"};

// Parses "contacts,sms,..." or "all". Nothing when a word is unknown.
std::optional<std::array<bool, kContentKindCount>> ParseKinds(const QString& list, QString* bad) {
    std::array<bool, kContentKindCount> kinds{};
    const QStringList words = list.split(u',', Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        *bad = list;
        return std::nullopt;
    }
    for (QString word : words) {
        word = word.trimmed().toLower();
        if (word == QLatin1String("all")) {
            kinds.fill(true);
            continue;
        }
        // A few other spellings people type.
        if (word == QLatin1String("messages"))
            word = QStringLiteral("sms");
        if (word == QLatin1String("calllog") || word == QLatin1String("calllogs"))
            word = QStringLiteral("calls");
        if (word == QLatin1String("musics"))
            word = QStringLiteral("music");
        const auto* it = std::find_if(std::begin(kKindWords), std::end(kKindWords),
                                      [&](const char* w) { return word == QLatin1String(w); });
        if (it == std::end(kKindWords)) {
            *bad = word;
            return std::nullopt;
        }
        kinds[size_t(it - std::begin(kKindWords))] = true;
    }
    return kinds;
}

std::array<bool, kContentKindCount> DefaultKinds() {
    // As the content screen: the first six kinds, not apps.
    std::array<bool, kContentKindCount> kinds{};
    kinds.fill(true);
    kinds[Apps] = false;
    return kinds;
}

// Takes the value of the --kinds at args[i] (i moves past it). Nothing on
// success, else the usage exit code after the message.
std::optional<int> TakeKinds(const QStringList& args, int& i,
                             std::array<bool, kContentKindCount>& kinds) {
    if (i + 1 >= args.size()) {
        return Usage(QStringLiteral("--kinds needs a value"));
    }
    QString bad;
    const auto parsed = ParseKinds(args[++i], &bad);
    if (!parsed) {
        return Usage(QStringLiteral("unknown kind '%1' (kinds: contacts, sms, calls, photos, "
                                    "videos, music, apps, all)")
                         .arg(bad));
    }
    kinds = *parsed;
    return std::nullopt;
}

bool WantsHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

// ---- The phone -----------------------------------------------------------------------

int DetectPhone() {
    switch (ProgramSession().findPhone()) {
    case Session::Found::Ready:
        return kSuccess;
    case Session::Found::NotAllowed:
        Err(QStringLiteral("the phone has not allowed this computer yet. Unlock it, accept the "
                           "\"Allow USB debugging\" prompt, then try again."));
        return kNoPhone;
    case Session::Found::Missing:
        break;
    }
    Err(QStringLiteral("no phone found. Connect the phone by USB, switch on USB debugging "
                       "(Settings > Developer options) and make sure 'adb devices' lists it."));
    return kNoPhone;
}

int PreparePhone(bool terminal) {
    if (const int detected = DetectPhone(); detected != kSuccess) {
        return detected;
    }
    Session& session = ProgramSession();
    std::atomic<bool> done{false};
    int result = -1;
    std::thread worker([&] {
        result = session.preparePhone();
        done = true;
    });
    int shown = -1;
    while (!done) {
        if (g_Interrupted) {
            Out(QStringLiteral("\nCancelled while preparing the phone.\n"));
            std::fflush(nullptr);
            _exit(kCancelled);
        }
        const int progress = session.prepareProgress();
        if (progress != shown) {
            shown = progress;
            Out(terminal ? QStringLiteral("\rPreparing the phone... %1%").arg(progress)
                         : QStringLiteral("Preparing the phone... %1%\n").arg(progress));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    worker.join();
    if (terminal) {
        Out(QStringLiteral("\rPreparing the phone... %1%\n").arg(session.prepareProgress()));
    }
    if (result != 0) {
        Err(QStringLiteral("the phone could not be prepared (stopped at %1%). Keep the phone "
                           "unlocked and connected, allow installs over USB if it asks, then "
                           "try again; tarvell.log in ~/Documents/LogFiles has the details.")
                .arg(session.prepareProgress()));
        return kNoPhone;
    }
    return kSuccess;
}

// ---- Progress display --------------------------------------------------------------------

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool terminal) : m_Terminal(terminal) {}

    void show(const ProgressView& view, int countdown, bool countdownShown, bool final = false) {
        QStringList lines;
        for (const ProgressRow& row : view.rows) {
            if (row.status == RowStatus::Empty) {
                continue;
            }
            lines << QStringLiteral("  %1 %2")
                         .arg(row.name, -28)
                         .arg(QLatin1String(ProgressStatusText(row.status)));
        }
        const int bar = std::clamp(view.barValue, 0, 100);
        if (m_Terminal) {
            const int width = 40;
            const int filled = bar * width / 100;
            lines << QStringLiteral("  [%1%2] %3%")
                         .arg(QString(filled, u'#'), QString(width - filled, u'.'))
                         .arg(bar, 3);
            lines << (countdownShown ? CountdownText(countdown) : QString());
            QString text;
            if (m_Lines > 0) {
                text += QStringLiteral("\x1b[%1A").arg(m_Lines);
            }
            for (const QString& line : lines) {
                text += QStringLiteral("\r\x1b[2K") + line + u'\n';
            }
            m_Lines = int(lines.size());
            Out(text);
            return;
        }
        // Plain lines: a row once it has finished (one poll after its status
        // turns to success, when its done count shows the total), the bar in
        // steps of 10, the countdown when it changes.
        for (int i = 0; i < kContentKindCount; ++i) {
            const ProgressRow& row = view.rows[i];
            if (row.status == RowStatus::Success && m_Status[i] != RowStatus::Success) {
                if (m_SeenSuccess[i] || final) {
                    m_Status[i] = row.status;
                    Out(lines.value(i).trimmed() + u'\n');
                }
                m_SeenSuccess[i] = true;
            }
        }
        if (bar / 10 != m_Bar / 10) {
            m_Bar = bar;
            Out(QStringLiteral("progress %1%\n").arg(bar));
        }
        if (countdownShown && countdown != m_Countdown) {
            m_Countdown = countdown;
            Out(CountdownText(countdown) + u'\n');
        }
    }

    static QString CountdownText(int seconds) {
        return QStringLiteral("Please click \"Yes\" on your destination phone, or the program "
                              "will skip copying SMS in %1 seconds.")
            .arg(seconds);
    }

private:
    bool m_Terminal;
    int m_Lines = 0;
    RowStatus m_Status[kContentKindCount] = {};
    bool m_SeenSuccess[kContentKindCount] = {};
    int m_Bar = -1;
    int m_Countdown = -1000;
};

// Runs a prepared job to its end with the progress display. Returns the
// exit code.
int RunJob(GetBackupDataThread& job, bool terminal) {
    ProgressPrinter printer(terminal);
    ProgressTracker tracker;
    bool countdownShown = false;
    bool cancelled = false;
    QObject::connect(&job, &GetBackupDataThread::changeSMSShow, [&] { countdownShown = true; });
    QObject::connect(&job, &GetBackupDataThread::changeSMSHide, [&] { countdownShown = false; });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // Also repeated when the job cleared the flag as it started.
        if (g_Interrupted && !job.cancelRequested()) {
            CancelJob(job);
            if (!cancelled) {
                Out(QStringLiteral("Cancelling...\n"));
            }
            cancelled = true;
        }
        printer.show(PollProgress(job, tracker), job.smsCountdown(), countdownShown);
    });
    QObject::connect(&job, &QThread::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    StopRunningJob(job);
    job.start();
    timer.start(100);
    QCoreApplication::exec();
    timer.stop();
    if (!job.cancelRequested()) {
        // Twice: a finished kind shows its total from the poll after it ended.
        PollProgress(job, tracker);
        printer.show(PollProgress(job, tracker), 0, false, true);
    }
    return job.cancelRequested() ? kCancelled : job.failedItems() > 0 ? kFailedItems : kSuccess;
}

// True when folder holds the .js file of at least one kind (a backup made
// without the viewer still restores).
bool HoldsBackupData(const QString& folder) {
    for (int k = 0; k < kContentKindCount; ++k) {
        if (QFileInfo(JsPathOf(folder, ContentKind(k))).isFile()) {
            return true;
        }
    }
    return false;
}

// ---- Commands ---------------------------------------------------------------------------

int CmdDevices(const QStringList& args) {
    if (WantsHelp(args)) {
        Out(QLatin1String(kDevicesHelp));
        return kSuccess;
    }
    if (!args.isEmpty()) {
        return Usage(QStringLiteral("devices takes no arguments"));
    }
    if (const int detected = DetectPhone(); detected != kSuccess) {
        return detected;
    }
    DeviceInfoRecord info{};
    ProgramSession().phone().deviceInfo(info);
    const auto cut = [](const char* text, size_t size) {
        QByteArray bytes(text, int(qstrnlen(text, size)));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' || bytes[i] == '\n') {
                bytes.truncate(i);
                break;
            }
        }
        return QString::fromUtf8(bytes);
    };
    Out(QStringLiteral("Phone:        %1\n").arg(DeviceLabel(info)));
    Out(QStringLiteral("Serial:       %1\n").arg(cut(info.serial, sizeof info.serial)));
    Out(QStringLiteral("Manufacturer: %1\n").arg(cut(info.manufacturer, sizeof info.manufacturer)));
    Out(QStringLiteral("Model:        %1\n").arg(cut(info.model, sizeof info.model)));
    Out(QStringLiteral("Android:      %1\n").arg(cut(info.release, sizeof info.release)));
    return kSuccess;
}

int CmdBackup(const QStringList& args, bool terminal) {
    if (WantsHelp(args)) {
        Out(QLatin1String(kBackupHelp));
        return kSuccess;
    }
    auto kinds = DefaultKinds();
    QString out;
    bool full = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--kinds")) {
            if (const auto usage = TakeKinds(args, i, kinds)) {
                return *usage;
            }
        } else if (a == QLatin1String("--out")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                return Usage(QStringLiteral("--out needs a folder"));
            }
            out = args[++i];
        } else if (a == QLatin1String("--keep-companion")) {
            g_KeepCompanion = true;
        } else if (a == QLatin1String("--full")) {
            full = true;
        } else {
            return Usage(QStringLiteral("unknown argument '%1' for backup").arg(a));
        }
    }
    if (out.isEmpty()) {
        out = DefaultOutputFolder();
    }
    out = QDir(out).absolutePath();

    if (const int prepared = PreparePhone(terminal); prepared != kSuccess) {
        return prepared;
    }
    Session& session = ProgramSession();
    GetBackupDataThread job;
    QString error;
    const auto backup =
        session.setUpBackup(job, kinds.data(), out, session.phoneLabel(), &error, full);
    if (!backup) {
        Err(error + QStringLiteral(". Choose another output folder with --out."));
        return kUsage;
    }
    SaveOutputFolder(out);
    Out(QStringLiteral("Backing up data into %1\n").arg(backup->folder));
    int result = RunJob(job, terminal);
    const Session::Outcome outcome = session.finishJob(job, true);
    for (const QString& note : outcome.notes) {
        Err(note);
    }
    if (!outcome.notes.isEmpty() && result == kSuccess) {
        result = kFailedItems;
    }
    if (outcome.cancelled) {
        Out(QStringLiteral("Backup cancelled. The files written so far stay in %1; the backup "
                           "is not listed.\n")
                .arg(backup->folder));
        return result;
    }
    if (!outcome.catalogued) {
        Err(QStringLiteral("the backup could not be added to the list %1").arg(CatalogPath()));
    }
    Out(outcome.failures.isEmpty() && outcome.notes.isEmpty()
            ? QStringLiteral("Backup completed.\n")
            : QStringLiteral("Backup finished. %1\n").arg(outcome.failures));
    if (!outcome.unchanged.isEmpty()) {
        Out(outcome.unchanged + u'\n');
    }
    Out(QStringLiteral("Backup folder: %1\n").arg(backup->folder));
    const QString index = backup->folder + QStringLiteral("/index.html");
    if (QFileInfo::exists(index)) {
        Out(QStringLiteral("Viewer: %1\n").arg(index));
    }
    return result;
}

int CmdRestore(const QStringList& args, bool terminal) {
    if (WantsHelp(args)) {
        Out(QLatin1String(kRestoreHelp));
        return kSuccess;
    }
    auto kinds = DefaultKinds();
    bool clear = false;
    bool force = false;
    bool keepDuplicates = false;
    QStringList folders;
    QString imports[kContentKindCount];
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--kinds")) {
            if (const auto usage = TakeKinds(args, i, kinds)) {
                return *usage;
            }
        } else if (a == QLatin1String("--clear")) {
            clear = true;
        } else if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("--duplicates")) {
            keepDuplicates = true;
        } else if (a == QLatin1String("--vcf") || a == QLatin1String("--sms-xml") ||
                   a == QLatin1String("--calls-xml")) {
            if (i + 1 >= args.size()) {
                return Usage(QStringLiteral("%1 needs a file").arg(a));
            }
            const ContentKind kind = a == QLatin1String("--vcf")       ? Contacts
                                     : a == QLatin1String("--sms-xml") ? SMS
                                                                       : CallHistory;
            imports[kind] = args[++i];
        } else if (a == QLatin1String("--keep-companion")) {
            g_KeepCompanion = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return Usage(QStringLiteral("unknown option '%1' for restore").arg(a));
        } else {
            const QString folder = QDir::cleanPath(QDir(a).absolutePath());
            if (!HoldsBackupData(folder)) {
                return Usage(QStringLiteral("'%1' is not a backup folder (no Datajs/*.js file "
                                            "of any kind in it)")
                                 .arg(a));
            }
            folders << folder;
        }
    }
    // Imported files become the .js files of a folder of their own, restored
    // after the backup folders like one of them.
    QTemporaryDir importFolder;
    if (std::any_of(std::begin(imports), std::end(imports),
                    [](const QString& f) { return !f.isEmpty(); })) {
        bool imported[kContentKindCount] = {};
        QStringList warnings;
        QString error;
        if (!importFolder.isValid() ||
            !WriteImportFolder(importFolder.path(), imports, imported, &warnings, &error)) {
            return Usage(error.isEmpty() ? QStringLiteral("no temporary folder for the imports")
                                         : error);
        }
        for (const QString& warning : warnings) {
            Err(QStringLiteral("warning: ") + warning);
        }
        for (int k = 0; k < kContentKindCount; ++k) {
            kinds[size_t(k)] = kinds[size_t(k)] || imported[k];
        }
        folders << importFolder.path();
    }
    if (folders.isEmpty()) {
        return Usage(QStringLiteral("restore needs at least one backup folder or file to "
                                    "import ('tarvell-cli list' shows the folders)"));
    }
    if (const int prepared = PreparePhone(terminal); prepared != kSuccess) {
        return prepared;
    }
    Out(QStringLiteral("Restoring %1 folder(s) to the phone\n").arg(folders.size()));
    Session& session = ProgramSession();
    GetBackupDataThread job;
    session.setUpRestore(job, kinds.data(), folders, clear, force, keepDuplicates);
    const int result = RunJob(job, terminal);
    const Session::Outcome outcome = session.finishJob(job, false);
    for (const QString& note : outcome.notes) {
        Err(note);
    }
    if (outcome.cancelled) {
        Out(QStringLiteral("Restore cancelled. What was written to the phone so far stays "
                           "there.\n"));
        return result;
    }
    Out(outcome.failures.isEmpty()
            ? QStringLiteral("Restore Completed.\n")
            : QStringLiteral("Restore finished. %1\n").arg(outcome.failures));
    if (!outcome.skipped.isEmpty()) {
        Out(outcome.skipped + u'\n');
    }
    return result;
}

int CmdList(const QStringList& args) {
    if (WantsHelp(args)) {
        Out(QLatin1String(kListHelp));
        return kSuccess;
    }
    if (!args.isEmpty()) {
        return Usage(QStringLiteral("list takes no arguments"));
    }
    Catalogue catalogue;
    catalogue.load();
    if (catalogue.size() == 0) {
        Out(QStringLiteral("No backups yet. Make one with 'tarvell-cli backup'.\n"));
        return kSuccess;
    }
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < catalogue.size(); ++i) {
        const CatalogueLabelParts parts = SplitCatalogueLabel(catalogue.labels()[i]);
        const QString age = RelativeAge(parts.time, now);
        Out(QStringLiteral("%1  %2  %3\n")
                .arg(age.isEmpty() ? parts.time : age, -16)
                .arg(parts.device, -20)
                .arg(catalogue.paths()[i]));
    }
    return kSuccess;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kMainHelp, stderr);
        return kUsage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        Out(QLatin1String(kMainHelp));
        return kSuccess;
    }
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    InstallInterruptHandler();
    if (args.removeAll(QStringLiteral("--verbose")) == 0) {
        QuietLogMirrors();
    }
    if (command == QLatin1String("list")) {
        return CmdList(args);
    }
    // Commands on backup folders alone (no phone, no library).
    if (command == QLatin1String("verify")) {
        return cli::CmdVerify(args, terminal, g_Messages);
    }
    if (command == QLatin1String("export")) {
        return cli::CmdExport(args, g_Messages);
    }
    if (command != QLatin1String("devices") && command != QLatin1String("backup") &&
        command != QLatin1String("restore")) {
        return Usage(QStringLiteral("unknown command '%1'").arg(command));
    }
    if (WantsHelp(args)) {
        return command == QLatin1String("devices")  ? CmdDevices(args)
               : command == QLatin1String("backup") ? CmdBackup(args, terminal)
                                                    : CmdRestore(args, terminal);
    }
    Tarvell_Init();
    UiLog("tarvell-cli %s\n", command.toUtf8().constData());
    int result = kUsage;
    if (command == QLatin1String("devices")) {
        result = CmdDevices(args);
    } else if (command == QLatin1String("backup")) {
        result = CmdBackup(args, terminal);
    } else {
        result = CmdRestore(args, terminal);
    }
    ProgramSession().end(g_KeepCompanion);
    return result;
}
