// Names that come from the phone (file names, package names, the model) end up
// as file and folder names on the computer. These helpers keep them inside the
// backup folder.
#pragma once

#include <QString>

namespace tarvell {

// True when name can be used as one file name inside a folder as it is: it
// holds no "/", "\" or NUL and is not "." or "..". The empty name counts as
// safe (callers always add a prefix or suffix to it).
bool IsSafeFileName(const QString& name);

// name with every "/", "\" and NUL replaced by "_", and "." or ".." turned into
// underscores. A name that had to change is logged with what it became.
QString SafeFileName(const QString& name);

// Restore side: true when the entry's Filename names a file directly inside
// kindFolder (no separators, not "." or "..", not empty). Logs and gives false
// otherwise, so the caller skips the entry.
bool FilenameStaysInside(const QString& kindFolder, const QString& filename);

// Restore side: true when path, with every link in it followed, still lies
// inside backupFolder, or does not exist (nothing would be read). A backup
// folder may come from anyone: a link in it (a Gallery file that is a link
// to a system file, a kind folder or .js file that is a link to a folder
// elsewhere) must not hand a file from elsewhere on this computer to the
// phone. Logs and gives false otherwise.
bool ResolvesInside(const QString& backupFolder, const QString& path);

} // namespace tarvell
