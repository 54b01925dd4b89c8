// The backup catalogue "list.ini": which backup folders exist, under which
// label. An INI file without groups, one key per backup: label = folder path.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvell {

// <generic data folder>/Tarvell/list.ini (~/.local/share/Tarvell/list.ini),
// creating the Tarvell folder when missing. Tests redirect it with
// QStandardPaths::setTestModeEnabled(true).
QString CatalogPath();

// The catalogue in memory: two parallel lists in file order.
class Catalogue {
public:
    // Replaces the lists with the file's entries: values that are empty or
    // "NULL", paths already loaded and folders that fail IsBackupFolder are
    // left out. False when the file cannot be read as INI (lists stay empty).
    bool load(const QString& file = CatalogPath());

    // Ignores an empty path; a listed path keeps its place and takes the new
    // label; a new path is appended.
    void add(const QString& label, const QString& path);

    // Rewrites the file with exactly the lists, in list order. Does nothing and
    // gives false when the existing file cannot be read as INI.
    bool save(const QString& file = CatalogPath()) const;

    const QStringList& paths() const { return m_Paths; }
    const QStringList& labels() const { return m_Labels; }
    int size() const { return int(m_Paths.size()); }

private:
    QStringList m_Paths;
    QStringList m_Labels;
};

} // namespace tarvell
