// Reading other software's exports for a restore: a vCard file (2.1 or 3.0,
// as phones and address books write them) and the SMS and call-log XML files
// of Android SMS backup apps (the layout exports.h writes).
//
// Each importer builds the tree that the kind's .js file would hold (the same
// keys, "Group_N" groups for messages and calls), so the restore walks it
// exactly as it walks a backup folder: ForEachEntry + ReadContact, or
// ForEachGroupedEntry + ReadMessage / ReadCallLog.
#pragma once

#include "backupfolder.h"
#include "jsfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarvell {

struct ImportResult {
    // The .js-layout root; null when the file could not be read at all.
    JsonPtr root;
    int records = 0;
    // Why nothing was read (the file cannot be opened, is not such a file,
    // is malformed); empty on success.
    QString error;
    // What was read but could not be kept, one line each.
    QStringList warnings;
};

// From the text of a file.
ImportResult ParseVcf(const QByteArray& bytes);
ImportResult ParseSmsXml(const QByteArray& bytes);
ImportResult ParseCallsXml(const QByteArray& bytes);

// From a file (at most kMaxJsFileSize bytes); the error names the file.
ImportResult ImportVcf(const QString& path);
ImportResult ImportSmsXml(const QString& path);
ImportResult ImportCallsXml(const QString& path);

// For a restore from such files: writes the .js file of each kind that files
// names a file for (Contacts: vCard, SMS: messages XML, CallHistory: calls
// XML; empty: none) into folder/Datajs, so that the restore reads folder as
// it reads a backup folder. kinds receives the kinds written, warnings what
// the importers could not keep. False, and error naming the file, when a
// file cannot be read or its .js file cannot be written.
bool WriteImportFolder(const QString& folder, const QString files[kContentKindCount],
                       bool kinds[kContentKindCount], QStringList* warnings, QString* error);

} // namespace tarvell
