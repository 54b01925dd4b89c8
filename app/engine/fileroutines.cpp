#include "fileroutines.h"

#include "appsupport.h"
#include "uilog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvell {

void EnsureSubfolder(const QString& parent, const QString& name) {
    QDir dir(parent);
    if (!dir.exists(name)) {
        dir.mkdir(name);
    }
}

QString ImagesFolderOf(const QString& backupFolder) {
    EnsureSubfolder(backupFolder, QStringLiteral("Datajs"));
    const QString datajs = backupFolder + QStringLiteral("/Datajs");
    EnsureSubfolder(datajs, QStringLiteral("images"));
    return datajs + QStringLiteral("/images/");
}

bool CopyFileIfMissing(const QString& source, const QString& destination, bool overwrite) {
    QString target = destination;
    target.replace(u'\\', u'/');
    if (source == target) {
        return true;
    }
    if (!QFile::exists(source)) {
        return false;
    }
    if (overwrite && QFile::exists(target)) {
        QFile::remove(target);
    }
    return QFile::copy(source, target);
}

bool CopyDirectory(const QString& source, const QString& destination, bool overwrite) {
    QDir target(destination);
    if (!target.exists() && !target.mkpath(target.absolutePath())) {
        return false;
    }
    const QDir from(source);
    const QFileInfoList entries =
        from.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString to = target.filePath(entry.fileName());
        if (entry.isDir() && !entry.isSymLink()) {
            if (!CopyDirectory(entry.filePath(), to, overwrite)) {
                return false;
            }
            continue;
        }
        if (overwrite && QFile::exists(to)) {
            QFile::remove(to);
        }
        if (!QFile::copy(entry.filePath(), to)) {
            return false;
        }
    }
    return true;
}

bool FitsLibraryPath(const QString& path) {
    const QByteArray bytes = path.toUtf8();
    if (bytes.size() <= kMaxLibraryPathBytes) {
        return true;
    }
    UiLog("error: path too long for the library (%d bytes): %s\n", int(bytes.size()),
          bytes.constData());
    return false;
}

bool CopiedFileIsWhole(const QString& path, qint64 expectedSize) {
    const QFileInfo info(path);
    return info.isFile() && (expectedSize < 0 || info.size() == expectedSize);
}

bool CopyViewerPage(const QString& backupFolder, const QString& kind) {
    EnsureSubfolder(backupFolder, kind);
    return CopyFileIfMissing(TemplateFolder() + u'/' + kind + QStringLiteral(".html"),
                             backupFolder + u'/' + kind + u'/' + kind + QStringLiteral(".html"),
                             false);
}

bool CopyViewerScripts(const QString& backupFolder) {
    return CopyDirectory(TemplateFolder() + QStringLiteral("/Script"),
                         backupFolder + QStringLiteral("/Script"), false);
}

bool CopyViewerIndex(const QString& backupFolder) {
    const QString from = TemplateFolder();
    const bool index = CopyFileIfMissing(from + QStringLiteral("/index.html"),
                                         backupFolder + QStringLiteral("/index.html"), false);
    const bool icon = CopyFileIfMissing(from + QStringLiteral("/favicon.ico"),
                                        backupFolder + QStringLiteral("/favicon.ico"), false);
    return index && icon;
}

} // namespace tarvell
