// Where things live inside a backup folder.
#pragma once

#include "jsfile.h"

#include <QString>

namespace tarvell {

// The seven content kinds, in the order used everywhere (check boxes, progress
// rows, the job's per-kind arrays).
enum ContentKind : int {
    Contacts = 0,
    SMS = 1,
    CallHistory = 2,
    Photos = 3,
    Videos = 4,
    Musics = 5,
    Apps = 6,
};
inline constexpr int kContentKindCount = 7;

// The .js file of a kind inside the backup folder and its prefix.
struct KindFiles {
    const char* jsFile;     // relative to the backup folder
    const char* jsPrefix;   // 12 bytes
    const char* fileFolder; // folder of copied files, or null
    const char* viewerPage; // the kind's viewer page folder and name stem, or null
};
inline constexpr KindFiles kKindFiles[kContentKindCount] = {
    {"Datajs/Contacts.js", "var Conten2=", nullptr, "Contacts"},
    {"Datajs/SMS.js", "var Conten1=", nullptr, "SMS"},
    {"Datajs/CallHistory.js", "var Conten3=", nullptr, "CallHistory"},
    {"Datajs/Photos.js", "var Content=", "Photos/Gallery", "Photos"},
    {"Datajs/Videos.js", "var Content=", "Videos", nullptr},
    {"Datajs/Musics.js", "var Content=", "Musics", nullptr},
    {"Datajs/Apps.js", "var Content=", "Apps", nullptr},
};
inline constexpr char kDeviceInfoFile[] = "Datajs/Deviceinfo.js";
inline constexpr char kThumbFolder[] = "Datajs/thumb";

// backupFolder + "/" + the kind's .js file.
inline QString JsPathOf(const QString& backupFolder, ContentKind kind) {
    return backupFolder + u'/' + QLatin1String(kKindFiles[kind].jsFile);
}

// Creates Datajs and opens the kind's .js file with its prefix.
bool OpenKindFile(JsFileWriter& writer, const QString& backupFolder, ContentKind kind);

// Reads the kind's .js file of a backup folder (see ReadJsFile); null also
// when the file is a link that leads outside the folder (logged).
JsonPtr ReadKindFile(const QString& backupFolder, ContentKind kind);

// True when path holds index.html and at least one content .js file
// (Deviceinfo.js does not count). False for an empty path.
bool IsBackupFolder(const QString& path);

} // namespace tarvell
