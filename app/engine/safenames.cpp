#include "safenames.h"

#include "uilog.h"

#include <QDir>
#include <QFileInfo>

namespace tarvell {

bool IsSafeFileName(const QString& name) {
    if (name == QStringLiteral(".") || name == QStringLiteral("..")) {
        return false;
    }
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == QChar(0)) {
            return false;
        }
    }
    return true;
}

QString SafeFileName(const QString& name) {
    if (IsSafeFileName(name)) {
        return name;
    }
    QString safe = name;
    for (QChar& c : safe) {
        if (c == u'/' || c == u'\\' || c == QChar(0)) {
            c = u'_';
        }
    }
    if (safe == QStringLiteral(".") || safe == QStringLiteral("..")) {
        safe.fill(u'_');
    }
    QString shown = name;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    UiLog("warning: unsafe name from the phone \"%s\" stored as \"%s\"\n", qUtf8Printable(shown),
          qUtf8Printable(safe));
    return safe;
}

bool FilenameStaysInside(const QString& kindFolder, const QString& filename) {
    bool inside = !filename.isEmpty() && IsSafeFileName(filename);
    if (inside) {
        const QString folder = QDir::cleanPath(kindFolder);
        const QString full = QDir::cleanPath(folder + u'/' + filename);
        inside = full.startsWith(folder + u'/') && full.size() > folder.size() + 1;
    }
    if (!inside) {
        QString shown = filename;
        shown.replace(QChar(0), QStringLiteral("\\0"));
        UiLog("warning: skipped entry whose file name \"%s\" leaves %s\n", qUtf8Printable(shown),
              qUtf8Printable(kindFolder));
    }
    return inside;
}

bool ResolvesInside(const QString& backupFolder, const QString& path) {
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) {
        return true;
    }
    const QString root = QFileInfo(backupFolder).canonicalFilePath();
    const QString target = file.canonicalFilePath();
    if (!root.isEmpty() && !target.isEmpty() && target.startsWith(root + u'/')) {
        return true;
    }
    UiLog("warning: skipped %s: a link that leads outside the backup folder%s%s\n",
          qUtf8Printable(path), target.isEmpty() ? "" : " to ", qUtf8Printable(target));
    return false;
}

} // namespace tarvell
