// Entry objects of the backup's .js files, built from the library's records
// (writing) and read back into records for the library (restoring).
//
// Every value is a string. Key names and key orders are part of the stored
// format and of what the viewer reads: do not reorder.
#pragma once

#include "jsfile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <tarvellkit/tarvellkit.h>
#include <unordered_map>
#include <vector>

namespace tarvell {

// ---- Value mappings ------------------------------------------------------

// Message type -> "flags": "2" gives "1", "1" gives "2", others unchanged;
// null gives "".
QByteArray MessageFlags(const char* type);
// Message read -> "read": "1" gives "1", any other value "2"; null gives "".
QByteArray MessageRead(const char* read);
// Stored "flags" -> the direction flag handed to the library: "1" gives "0",
// any other non-empty value "1"; null or "" gives null.
const char* DirectionFromFlags(const char* flags);
// Stored "read" -> the library's read flag: "1" gives "1", any other non-empty
// value "0"; null or "" gives null.
const char* ReadFromStored(const char* read);

// ---- Head images ------------------------------------------------------------

// "<id>.jpg" when id is 1 to 19 bytes long and that file exists in
// imagesFolder (which ends in "/"); else "".
QByteArray MessageHeadImage(const char* contactId, const QString& imagesFolder);
// "<id>.jpg" when that file exists in imagesFolder; else "" (also for a null id).
QByteArray ContactHeadImage(const char* contactId, const QString& imagesFolder);
// "<photoId>.jpg" when that file exists in imagesFolder; else "".
QByteArray CallLogHeadImage(int32_t photoId, const QString& imagesFolder);

// ---- Messages ---------------------------------------------------------------

// The records of a conversation group in link order (links without a record
// are left out).
std::vector<const SmsRecord*> MessagesOf(const SmsTempGroup& group);

// The name the first message of a group borrows: null when the first message
// has a name, else the first non-empty personName of a later message (null
// when there is none).
const char* LentName(const std::vector<const SmsRecord*>& group);

// Names lent to messages by the group rule, by record. The records themselves
// belong to the library and are not changed; the prints take the same table
// so that they show the names the .js file shows. The pointers point into the
// library's store and stay valid until its next refresh.
using NameLoans = std::unordered_map<const SmsRecord*, const char*>;
inline const char* NameOf(const SmsRecord& record, const NameLoans* loans) {
    if (loans != nullptr) {
        const auto it = loans->find(&record);
        if (it != loans->end()) {
            return it->second;
        }
    }
    return record.personName;
}

// One message entry. name replaces the record's personName when non-null.
JsonPtr MessageEntry(const SmsRecord& record, const char* name, const QString& imagesFolder);

// Adds "Group_1", "Group_2", ... with the messages of every group to root,
// applying the name rule, and logs one line per message. Loans, when given,
// receives the lent names. Returns the number of entries written.
int AddMessageGroups(cJSON* root, const SmsTempGroup* firstGroup, const QString& imagesFolder,
                     NameLoans* loans);

// ---- Contacts -------------------------------------------------------------------

JsonPtr ContactEntry(const ContactRecord& record, const QString& imagesFolder);

// ---- Call log -------------------------------------------------------------------

std::vector<const CallLogRecord*> CallsOf(const CallLogTempGroup& group);
JsonPtr CallLogEntry(const CallLogRecord& record, const QString& imagesFolder);
// Adds "Group_1", ... with the calls of every group. Returns the entry count.
int AddCallLogGroups(cJSON* root, const CallLogTempGroup* firstGroup, const QString& imagesFolder);

// ---- Media, apps, device ---------------------------------------------------------

// filename is the local name (MediaLocalName / AppLocalName).
JsonPtr MusicEntry(const MusicInfo& info, const QString& filename);
JsonPtr VideoEntry(const VideoInfo& info, const QString& filename);
JsonPtr PhotoEntry(const PhotoInfo& info, const QString& filename);
JsonPtr AppEntry(const AppInfo& info, const QString& filename);

// 32 upper-case hex digits: MD5 of "Tarvell:" + serial + model.
QByteArray ProductMD5(const QByteArray& serial, const QByteArray& model);
// The root of Deviceinfo.js: "Version" and "DeviceInfo" (texts cut at their
// first line end).
JsonPtr DeviceInfoRoot(const DeviceInfoRecord& info);

// Adds entry under the member name "<number>" (decimal). Takes ownership.
void AddNumbered(cJSON* parent, int number, JsonPtr entry);

// ---- Reading back ------------------------------------------------------------------

// A string member of entry (the key's letter case is ignored); null when the
// key is missing, not a string, or "" .
const char* EntryText(const cJSON* entry, const char* key);

// Calls visit for every member of root other than "Version", in file order.
void ForEachEntry(const cJSON* root, const std::function<bool(const cJSON* entry)>& visit);
// Calls visit for every member of every group (member of root other than
// "Version"), in file order. newGroup is true for the first entry of a group.
// visit returns false to stop the walk.
void ForEachGroupedEntry(const cJSON* root,
                         const std::function<bool(const cJSON* entry, bool newGroup)>& visit);

// Records for the library. Their texts point into the entry's tree, which must
// outlive them; fields whose key is missing or empty stay null.
ContactRecord ReadContact(const cJSON* entry);
CallLogRecord ReadCallLog(const cJSON* entry);
SmsRecord ReadMessage(const cJSON* entry);

// A media or app file of a backup, as a restorer hands it to the library.
struct RestoreFile {
    QString localPath; // <backup>/<kind folder>/<Filename>
    QString phoneName; // text after the first "-" of Filename (media only)
};
// kindFolder is "Musics", "Videos", "Photos/Gallery". Nothing when Filename is
// missing or empty, has no "-", or would leave the kind's folder (logged).
std::optional<RestoreFile> ReadMediaEntry(const cJSON* entry, const QString& backupFolder,
                                          const QString& kindFolder);
// Apps: the package file <backup>/Apps/<Filename>; nothing when Filename is
// missing or empty or would leave the Apps folder.
std::optional<RestoreFile> ReadAppEntry(const cJSON* entry, const QString& backupFolder);

} // namespace tarvell
