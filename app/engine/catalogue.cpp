#include "catalogue.h"

#include "backupfolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace tarvell {

bool IsBackupFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QDir folder(path);
    bool anyContent = false;
    for (const KindFiles& files : kKindFiles) {
        if (QFile::exists(folder.filePath(QLatin1String(files.jsFile)))) {
            anyContent = true;
            break;
        }
    }
    return anyContent && QFile::exists(folder.filePath(QStringLiteral("index.html")));
}

QString CatalogPath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(base + QStringLiteral("/Tarvell"));
    return base + QStringLiteral("/Tarvell/list.ini");
}

bool Catalogue::load(const QString& file) {
    m_Paths.clear();
    m_Labels.clear();
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return false;
    }
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys) {
        // Labels are taken the way the file stores keys (no slash at either
        // end, none doubled), so that saving gives back the same entries: a
        // key of slashes only would be saved empty, and two keys that store
        // as one would keep only one path; such keys are skipped.
        const QString label =
            key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
        if (label.isEmpty() || m_Labels.contains(label)) {
            continue;
        }
        const QString path = settings.value(key, QStringLiteral("NULL")).toString();
        if (path.isEmpty() || path == QStringLiteral("NULL") || m_Paths.contains(path) ||
            !IsBackupFolder(path)) {
            continue;
        }
        add(label, path);
    }
    return true;
}

void Catalogue::add(const QString& label, const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const qsizetype at = m_Paths.indexOf(path);
    if (at >= 0) {
        m_Labels[at] = label;
        return;
    }
    m_Paths.append(path);
    m_Labels.append(label);
}

bool Catalogue::save(const QString& file) const {
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return false;
    }
    settings.clear();
    for (qsizetype i = 0; i < m_Paths.size(); ++i) {
        settings.setValue(m_Labels[i], m_Paths[i]);
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace tarvell
