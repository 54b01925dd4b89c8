#include "entries.h"

#include "naming.h"
#include "safenames.h"

#include <cstring>

namespace tarvell {

namespace {

// The library's record fields are char*; these two texts are never written.
char g_ZeroText[] = "0";
char g_OneText[] = "1";

char* Text(const cJSON* entry, const char* key) {
    return const_cast<char*>(EntryText(entry, key));
}

bool IsVersionMember(const cJSON* item) {
    return item->string != nullptr && std::strcmp(item->string, "Version") == 0;
}

} // namespace

const char* DirectionFromFlags(const char* flags) {
    if (flags == nullptr || flags[0] == '\0') {
        return nullptr;
    }
    return std::strcmp(flags, "1") == 0 ? g_ZeroText : g_OneText;
}

const char* ReadFromStored(const char* read) {
    if (read == nullptr || read[0] == '\0') {
        return nullptr;
    }
    return std::strcmp(read, "1") == 0 ? g_OneText : g_ZeroText;
}

const char* EntryText(const cJSON* entry, const char* key) {
    if (entry == nullptr || !cJSON_IsObject(entry)) {
        return nullptr;
    }
    const cJSON* item = cJSON_GetObjectItem(entry, key);
    if (!cJSON_IsString(item) || item->valuestring == nullptr || item->valuestring[0] == '\0') {
        return nullptr;
    }
    return item->valuestring;
}

void ForEachEntry(const cJSON* root, const std::function<bool(const cJSON* entry)>& visit) {
    if (root == nullptr || !cJSON_IsObject(root)) {
        return;
    }
    for (const cJSON* item = root->child; item != nullptr; item = item->next) {
        if (IsVersionMember(item)) {
            continue;
        }
        if (!visit(item)) {
            return;
        }
    }
}

void ForEachGroupedEntry(const cJSON* root,
                         const std::function<bool(const cJSON* entry, bool newGroup)>& visit) {
    if (root == nullptr || !cJSON_IsObject(root)) {
        return;
    }
    for (const cJSON* group = root->child; group != nullptr; group = group->next) {
        if (IsVersionMember(group) || !cJSON_IsObject(group)) {
            continue;
        }
        bool first = true;
        for (const cJSON* item = group->child; item != nullptr; item = item->next) {
            if (!visit(item, first)) {
                return;
            }
            first = false;
        }
    }
}

ContactRecord ReadContact(const cJSON* e) {
    ContactRecord r{};
    r.contactId = Text(e, "SessionID");
    r.name = Text(e, "FirstName");
    r.lastName = Text(e, "LastName");
    r.nickName = Text(e, "NickName");
    r.mobilePhone = Text(e, "MobileNumber");
    r.homePhone = Text(e, "HomeNumber");
    r.workPhone = Text(e, "WorkNumber");
    r.homePage = Text(e, "HomePage");
    r.homeEmail = Text(e, "Email");
    r.birthday = Text(e, "Birthday");
    r.groupName = Text(e, "Group");
    r.note = Text(e, "Note");
    r.organization = Text(e, "Organzation");
    r.department = Text(e, "Department");
    r.createDate = Text(e, "CreateDate");
    r.homeAddress = Text(e, "HomeAddress");
    r.workAddress = Text(e, "WorkAddress");
    r.homeFax = Text(e, "HomeFax");
    r.workFax = Text(e, "WorkFax");
    r.workEmail = Text(e, "WorkEmail");
    return r;
}

CallLogRecord ReadCallLog(const cJSON* e) {
    CallLogRecord r{};
    r.id = Text(e, "SessionID");
    r.name = Text(e, "Name");
    r.number = Text(e, "Phone");
    r.date = Text(e, "CallDate");
    r.type = Text(e, "CallStatus");
    r.duration = Text(e, "Duration");
    return r;
}

SmsRecord ReadMessage(const cJSON* e) {
    SmsRecord r{};
    r.id = Text(e, "SessionID");
    r.personName = Text(e, "Name");
    r.address = Text(e, "Phone");
    r.body = Text(e, "Text");
    r.date = Text(e, "Date");
    r.type = const_cast<char*>(DirectionFromFlags(EntryText(e, "flags")));
    r.read = const_cast<char*>(ReadFromStored(EntryText(e, "read")));
    r.threadId = Text(e, "guid");
    return r;
}

std::optional<RestoreFile> ReadMediaEntry(const cJSON* entry, const QString& backupFolder,
                                          const QString& kindFolder) {
    const char* filename = EntryText(entry, "Filename");
    if (filename == nullptr) {
        return std::nullopt;
    }
    const QString name = QString::fromUtf8(filename);
    const std::optional<QString> phoneName = PhoneNameOf(name);
    const QString folder = backupFolder + u'/' + kindFolder;
    if (!phoneName || !FilenameStaysInside(folder, name)) {
        return std::nullopt;
    }
    return RestoreFile{folder + u'/' + name, *phoneName};
}

std::optional<RestoreFile> ReadAppEntry(const cJSON* entry, const QString& backupFolder) {
    const char* filename = EntryText(entry, "Filename");
    if (filename == nullptr) {
        return std::nullopt;
    }
    const QString name = QString::fromUtf8(filename);
    const QString folder = backupFolder + QStringLiteral("/Apps");
    if (!FilenameStaysInside(folder, name)) {
        return std::nullopt;
    }
    return RestoreFile{folder + u'/' + name, QString()};
}

} // namespace tarvell
