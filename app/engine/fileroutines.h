// Small file routines shared by the collectors, restorers and prints. Paths
// use forward slashes.
#pragma once

#include <QString>

namespace tarvell {

// Creates the folder name inside parent when it does not exist yet.
void EnsureSubfolder(const QString& parent, const QString& name);

// backupFolder + "/Datajs/images/" (with the trailing slash), creating the
// images folder (and Datajs) when missing.
QString ImagesFolderOf(const QString& backupFolder);

// Copies source to destination (backslashes in it become slashes). True at
// once when both are equal; false when the source does not exist. With
// overwrite an existing destination is removed first; without it an existing
// destination is kept and the result is false.
bool CopyFileIfMissing(const QString& source, const QString& destination, bool overwrite);

// Copies the folder source into destination recursively, creating the
// destination when missing. Stops with false at the first entry that cannot be
// copied; without overwrite an existing destination file counts as such.
bool CopyDirectory(const QString& source, const QString& destination, bool overwrite);

} // namespace tarvell
