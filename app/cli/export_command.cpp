// tarvell-cli export DIR...: the standard exports (vCard, SMS and call XML)
// for folders made before backups wrote them.
#include "backupfolder.h"
#include "exports.h"
#include "folder_commands.h"

#include <QDir>
#include <QFileInfo>

namespace tarvell::cli {

const char kExportHelp[] =
    "Usage: tarvell-cli export DIR...\n"
    "\n"
    "Writes the standard exports of backup folders, beside the files already\n"
    "there (which are not changed):\n"
    "  Contacts/Contacts.vcf   contacts as vCard 3.0, for address books and phones\n"
    "  SMS/sms.xml             messages, in the layout of Android SMS backup apps\n"
    "  CallHistory/calls.xml   call log, in the same layout\n"
    "Backups write these themselves; this command is for older folders. An\n"
    "existing export is replaced. The folder's SHA256SUMS is not changed, so\n"
    "'tarvell-cli verify' lists the new files as added after the backup.\n"
    "\n"
    "Exit codes: 0 success, 1 a kind could not be exported, 2 usage error.\n";

int CmdExport(const QStringList& args, FILE* messages) {
    auto message = [&](const QString& text) {
        std::fputs(("tarvell-cli: " + text + "\n").toUtf8().constData(), messages);
        std::fflush(messages);
    };
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kExportHelp, stdout);
        return 0;
    }
    QStringList folders;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--"))) {
            message(QStringLiteral("unknown option '%1' for export").arg(a));
            return 2;
        }
        const QString folder = QDir::cleanPath(QDir(a).absolutePath());
        bool holdsRecords = false;
        for (const ContentKind kind : {Contacts, SMS, CallHistory}) {
            holdsRecords = holdsRecords || QFileInfo(JsPathOf(folder, kind)).isFile();
        }
        if (!holdsRecords) {
            message(QStringLiteral("'%1' is not a backup folder with contacts, messages or "
                                   "calls (no Datajs/Contacts.js, SMS.js or CallHistory.js)")
                        .arg(a));
            return 2;
        }
        folders << folder;
    }
    if (folders.isEmpty()) {
        message(QStringLiteral("export needs a backup folder\nrun 'tarvell-cli export --help' "
                               "for usage"));
        return 2;
    }
    int result = 0;
    for (const QString& folder : folders) {
        const ExportResult exported = WriteStandardExports(folder);
        for (const QString& file : exported.written) {
            std::fputs(QStringLiteral("wrote %1\n")
                           .arg(QDir::toNativeSeparators(folder + u'/' + file))
                           .toUtf8()
                           .constData(),
                       stdout);
        }
        for (const QString& problem : exported.problems) {
            message(QStringLiteral("%1: %2").arg(folder, problem));
            result = 1;
        }
    }
    std::fflush(stdout);
    return result;
}

} // namespace tarvell::cli
