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

// What sets the kinds apart: names, files and the few ways in which the job
// treats them differently. The library calls of each kind are in phone.cpp.
enum class KindShape {
    Records, // contacts, messages, call log: one list loaded whole, printed
    Media,   // photos, videos, music: one file per item
    Apps,    // package files, installed on restore
};
struct KindFiles {
    const char* jsFile;     // relative to the backup folder
    const char* jsPrefix;   // 12 bytes
    const char* fileFolder; // folder of copied files, or null
    const char* viewerPage; // the kind's viewer page folder and name stem, or null
    const char* name;       // progress rows and messages: "Text Messages"
    const char* itemWord;   // one item in log lines: "photo"
    KindShape shape;
    bool grouped;        // entries grouped by conversation or number
    bool tracksBytes;    // copying shows byte counters and the current file
    bool thumbnails;     // photos: a thumbnail beside each copy
    const char* copyTag; // media: names the kind in the line of a copy that left no file
    // The standard export a backup writes beside the .js file (exports.h), or null.
    const char* exportFile;
};
inline constexpr KindFiles kKindFiles[kContentKindCount] = {
    {"Datajs/Contacts.js", "var Conten2=", nullptr, "Contacts", "Contacts", "contact",
     KindShape::Records, false, false, false, nullptr, "Contacts/Contacts.vcf"},
    {"Datajs/SMS.js", "var Conten1=", nullptr, "SMS", "Text Messages", "message",
     KindShape::Records, true, false, false, nullptr, "SMS/sms.xml"},
    {"Datajs/CallHistory.js", "var Conten3=", nullptr, "CallHistory", "Call Logs", "call",
     KindShape::Records, true, false, false, nullptr, "CallHistory/calls.xml"},
    {"Datajs/Photos.js", "var Content=", "Photos/Gallery", "Photos", "Photos", "photo",
     KindShape::Media, false, false, true, "ExportPhotofromDevice ", nullptr},
    {"Datajs/Videos.js", "var Content=", "Videos", nullptr, "Videos", "video", KindShape::Media,
     false, true, false, "ExportVideofromDevice ", nullptr},
    {"Datajs/Musics.js", "var Content=", "Musics", nullptr, "Musics", "music file",
     KindShape::Media, false, true, false, "", nullptr},
    {"Datajs/Apps.js", "var Content=", "Apps", nullptr, "Apps", "app", KindShape::Apps, false,
     false, false, nullptr, nullptr},
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
