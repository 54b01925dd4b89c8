#include "appsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>

namespace tarvell {

namespace {

QMutex g_Mutex;
QString g_ApplicationDirectory;

} // namespace

QString ApplicationDirectory() {
    QMutexLocker lock(&g_Mutex);
    if (g_ApplicationDirectory.isEmpty()) {
        const QFileInfo exe(QStringLiteral("/proc/self/exe"));
        const QString target = exe.symLinkTarget();
        if (!target.isEmpty()) {
            g_ApplicationDirectory = QFileInfo(target).absolutePath();
        } else if (QCoreApplication::instance() != nullptr) {
            g_ApplicationDirectory = QCoreApplication::applicationDirPath();
        }
    }
    return g_ApplicationDirectory;
}

void SetApplicationDirectory(const QString& folder) {
    QMutexLocker lock(&g_Mutex);
    g_ApplicationDirectory = QDir::cleanPath(folder);
}

QString TemplateFolder() {
    return ApplicationDirectory() + QStringLiteral("/Template");
}

QString DefaultImagePath() {
    return ApplicationDirectory() + QStringLiteral("/DefImage.png");
}

QString DefaultOutputFolder() {
    QSettings settings{QString::fromLatin1(kSettingsOrganisation),
                       QString::fromLatin1(kSettingsApplication)};
    const QString saved = settings.value(QLatin1String(kOutputFolderKey)).toString();
    if (!saved.isEmpty() && QFileInfo(saved).isDir()) {
        return saved;
    }
    const QString home = QDir::homePath();
    QString base;
    if (QFileInfo(home + QStringLiteral("/Documents")).isDir()) {
        base = home + QStringLiteral("/Documents/");
    } else if (QFileInfo(home + QStringLiteral("/My Documents")).isDir()) {
        base = home + QStringLiteral("/My Documents/");
    } else {
        QDir(home).mkdir(QStringLiteral("Documents"));
        base = home + QStringLiteral("/Documents/");
    }
    QDir(base).mkdir(QStringLiteral("Tarvell"));
    return base + QStringLiteral("Tarvell");
}

void SaveOutputFolder(const QString& path) {
    QSettings settings{QString::fromLatin1(kSettingsOrganisation),
                       QString::fromLatin1(kSettingsApplication)};
    settings.setValue(QLatin1String(kOutputFolderKey), path);
    settings.sync();
}

} // namespace tarvell
