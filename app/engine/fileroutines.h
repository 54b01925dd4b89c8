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

// The library takes paths of at most this many bytes (UTF-8, without the
// terminating NUL).
inline constexpr int kMaxLibraryPathBytes = 1023;

// True when path fits the library's path arguments. Logs "error: path too long
// for the library (%d bytes): %s" and gives false otherwise; the caller skips
// the item and counts it as failed.
bool FitsLibraryPath(const QString& path);

// True when a file copied from the phone arrived whole: it exists and has the
// size the phone reported (a negative size is not checked).
bool CopiedFileIsWhole(const QString& path, qint64 expectedSize);

// Viewer files from <program folder>/Template, never replacing existing files:
// CopyViewerPage copies <kind>.html into the backup's <kind> folder (kind is
// "SMS", "Contacts", "CallHistory" or "Photos"); CopyViewerScripts copies the
// Script folder; CopyViewerIndex copies index.html and favicon.ico to the top
// of the backup. Each gives false when something was not copied.
bool CopyViewerPage(const QString& backupFolder, const QString& kind);
bool CopyViewerScripts(const QString& backupFolder);
bool CopyViewerIndex(const QString& backupFolder);

} // namespace tarvell
