#include "entries.h"

#include "safenames.h"
#include "uilog.h"
#include "valuetext.h"

#include <QCryptographicHash>
#include <QFile>
#include <cstring>

namespace tarvell {

namespace {

void Add(cJSON* object, const char* key, const QByteArray& value) {
    cJSON_AddItemToObject(object, key, cJSON_CreateString(value.constData()));
}

void Add(cJSON* object, const char* key, const char* value) {
    cJSON_AddItemToObject(object, key, cJSON_CreateString(value == nullptr ? "" : value));
}

void Add(cJSON* object, const char* key, const QString& value) {
    Add(object, key, value.toUtf8());
}

QByteArray Decimal(long long value) {
    return QByteArray::number(value);
}

// "<name>.jpg" when that file is in imagesFolder. Ids with separators never
// name a file there.
QByteArray HeadImageIfPresent(const QByteArray& id, const QString& imagesFolder) {
    const QByteArray name = id + ".jpg";
    if (id.isEmpty() || !IsSafeFileName(QString::fromUtf8(id)) ||
        !QFile::exists(imagesFolder + QString::fromUtf8(name))) {
        return QByteArray();
    }
    return name;
}

} // namespace

QByteArray MessageFlags(const char* type) {
    if (type == nullptr) {
        return QByteArray();
    }
    if (std::strcmp(type, "2") == 0) {
        return "1";
    }
    if (std::strcmp(type, "1") == 0) {
        return "2";
    }
    return type;
}

QByteArray MessageRead(const char* read) {
    if (read == nullptr) {
        return QByteArray();
    }
    return std::strcmp(read, "1") == 0 ? "1" : "2";
}

QByteArray MessageHeadImage(const char* contactId, const QString& imagesFolder) {
    if (contactId == nullptr) {
        return QByteArray();
    }
    const size_t length = std::strlen(contactId);
    if (length < 1 || length > 19) {
        return QByteArray();
    }
    return HeadImageIfPresent(contactId, imagesFolder);
}

QByteArray ContactHeadImage(const char* contactId, const QString& imagesFolder) {
    return HeadImageIfPresent(OptionalText(contactId), imagesFolder);
}

QByteArray CallLogHeadImage(int32_t photoId, const QString& imagesFolder) {
    return HeadImageIfPresent(QByteArray::number(photoId), imagesFolder);
}

std::vector<const SmsRecord*> MessagesOf(const SmsTempGroup& group) {
    std::vector<const SmsRecord*> records;
    for (const TempGroupMember* link = group.firstMember; link != nullptr; link = link->next) {
        if (link->record != nullptr) {
            records.push_back(static_cast<const SmsRecord*>(link->record));
        }
    }
    return records;
}

const char* LentName(const std::vector<const SmsRecord*>& group) {
    if (group.empty()) {
        return nullptr;
    }
    const char* first = group.front()->personName;
    if (first != nullptr && first[0] != '\0') {
        return nullptr;
    }
    for (size_t i = 1; i < group.size(); ++i) {
        const char* name = group[i]->personName;
        if (name != nullptr && name[0] != '\0') {
            return name;
        }
    }
    return nullptr;
}

JsonPtr MessageEntry(const SmsRecord& r, const char* name, const QString& imagesFolder) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", r.id);
    Add(e, "Name", name != nullptr ? name : r.personName);
    Add(e, "Phone", r.address);
    Add(e, "Text", r.body);
    Add(e, "Date", r.date);
    Add(e, "flags", MessageFlags(r.type));
    Add(e, "read", MessageRead(r.read));
    Add(e, "guid", r.threadId);
    Add(e, "Type", "0");
    Add(e, "Headimg", MessageHeadImage(r.contactId, imagesFolder));
    Add(e, "isDelete", "0");
    return entry;
}

void AddNumbered(cJSON* parent, int number, JsonPtr entry) {
    cJSON_AddItemToObject(parent, Decimal(number).constData(), entry.release());
}

int AddMessageGroups(cJSON* root, const SmsTempGroup* firstGroup, const QString& imagesFolder,
                     NameLoans* loans) {
    int total = 0;
    int groupNumber = 0;
    for (const SmsTempGroup* group = firstGroup; group != nullptr; group = group->next) {
        ++groupNumber;
        const std::vector<const SmsRecord*> records = MessagesOf(*group);
        const char* lent = LentName(records);
        if (lent != nullptr && loans != nullptr) {
            (*loans)[records.front()] = lent;
        }
        cJSON* groupObject = cJSON_CreateObject();
        cJSON_AddItemToObject(root, ("Group_" + Decimal(groupNumber)).constData(), groupObject);
        int item = 0;
        for (const SmsRecord* record : records) {
            ++item;
            ++total;
            UiLog("sms tgroup_groupindex=%d,tgitem_index=%d num_callLog=%d\n", groupNumber, item,
                  total);
            const char* name = (item == 1) ? lent : nullptr;
            AddNumbered(groupObject, item, MessageEntry(*record, name, imagesFolder));
        }
    }
    return total;
}

JsonPtr ContactEntry(const ContactRecord& r, const QString& imagesFolder) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", r.contactId);
    Add(e, "FirstName", r.name);
    Add(e, "LastName", r.lastName);
    Add(e, "NickName", r.nickName);
    Add(e, "MobileNumber", r.mobilePhone);
    Add(e, "HomeNumber", r.homePhone);
    Add(e, "WorkNumber", r.workPhone);
    Add(e, "HomePage", r.homePage);
    Add(e, "Email", r.homeEmail);
    Add(e, "Birthday", r.birthday);
    Add(e, "Group", r.groupName);
    Add(e, "Note", r.note);
    Add(e, "Organzation", r.organization);
    Add(e, "Department", r.department);
    Add(e, "CreateDate", r.createDate);
    Add(e, "HomeAddress", r.homeAddress);
    Add(e, "WorkAddress", r.workAddress);
    Add(e, "HomeFax", r.homeFax);
    Add(e, "WorkFax", r.workFax);
    Add(e, "WorkEmail", r.workEmail);
    Add(e, "Headimg", ContactHeadImage(r.contactId, imagesFolder));
    Add(e, "isDelete", "0");
    return entry;
}

std::vector<const CallLogRecord*> CallsOf(const CallLogTempGroup& group) {
    std::vector<const CallLogRecord*> records;
    for (const TempGroupMember* link = group.firstMember; link != nullptr; link = link->next) {
        if (link->record != nullptr) {
            records.push_back(static_cast<const CallLogRecord*>(link->record));
        }
    }
    return records;
}

JsonPtr CallLogEntry(const CallLogRecord& r, const QString& imagesFolder) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", r.id);
    Add(e, "Name", r.name);
    Add(e, "Phone", r.number);
    Add(e, "CallDate", r.date);
    Add(e, "CallStatus", r.type);
    Add(e, "Duration", r.duration);
    Add(e, "isDelete", "0");
    Add(e, "Headimg", CallLogHeadImage(r.photoId, imagesFolder));
    return entry;
}

int AddCallLogGroups(cJSON* root, const CallLogTempGroup* firstGroup, const QString& imagesFolder) {
    int total = 0;
    int groupNumber = 0;
    for (const CallLogTempGroup* group = firstGroup; group != nullptr; group = group->next) {
        ++groupNumber;
        cJSON* groupObject = cJSON_CreateObject();
        cJSON_AddItemToObject(root, ("Group_" + Decimal(groupNumber)).constData(), groupObject);
        int item = 0;
        for (const CallLogRecord* record : CallsOf(*group)) {
            ++total;
            AddNumbered(groupObject, ++item, CallLogEntry(*record, imagesFolder));
        }
    }
    return total;
}

JsonPtr MusicEntry(const MusicInfo& m, const QString& filename) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", Decimal(m.id));
    Add(e, "Title", FixedText(m.title));
    Add(e, "Album", FixedText(m.album));
    Add(e, "Artist", FixedText(m.artist));
    Add(e, "Filename", filename);
    Add(e, "Duration", DurationText(m.duration));
    Add(e, "Filesize", Decimal(m.size));
    Add(e, "Modiftime", DateText(m.modifiedTime));
    Add(e, "Createtime", DateText(m.createdTime));
    Add(e, "isDelete", "0");
    return entry;
}

JsonPtr VideoEntry(const VideoInfo& v, const QString& filename) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", Decimal(v.id));
    Add(e, "Title", FixedText(v.title));
    Add(e, "Displayname", FixedText(v.displayName));
    Add(e, "Filename", filename);
    Add(e, "Duration", DurationText(v.duration));
    Add(e, "Filesize", Decimal(v.size));
    Add(e, "Modiftime", DateText(v.modifiedTime));
    Add(e, "Createtime", DateText(v.createdTime));
    Add(e, "isDelete", "0");
    return entry;
}

JsonPtr PhotoEntry(const PhotoInfo& p, const QString& filename) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", Decimal(p.id));
    Add(e, "Title", FixedText(p.title));
    Add(e, "Filename", filename);
    Add(e, "Filesize", Decimal(p.size));
    Add(e, "Modiftime", DateText(p.modifiedTime));
    Add(e, "Createtime", DateText(p.createdTime));
    Add(e, "isDelete", "0");
    return entry;
}

JsonPtr AppEntry(const AppInfo& a, const QString& filename) {
    JsonPtr entry(cJSON_CreateObject());
    cJSON* e = entry.get();
    Add(e, "SessionID", Decimal(a.reserved));
    Add(e, "Appname", FixedText(a.appName));
    Add(e, "Packagename", FixedText(a.packageName));
    Add(e, "Classname", FixedText(a.className));
    Add(e, "Filename", filename);
    Add(e, "Version", FixedText(a.version));
    Add(e, "Installtime", DateText(a.installTime));
    Add(e, "Lastupdatetime", DateText(a.lastUpdateTime));
    Add(e, "Cachesize", Decimal(a.cacheSize));
    Add(e, "Datasize", Decimal(a.dataSize));
    Add(e, "Codesize", Decimal(a.codeSize));
    Add(e, "Totalsize", Decimal(a.totalSize));
    Add(e, "isDelete", "0");
    return entry;
}

QByteArray ProductMD5(const QByteArray& serial, const QByteArray& model) {
    const QByteArray text = "Tarvell:" + serial + model;
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex().toUpper();
}

JsonPtr DeviceInfoRoot(const DeviceInfoRecord& info) {
    const QByteArray manufacturer = CutAtLineEnd(FixedText(info.manufacturer));
    const QByteArray serial = CutAtLineEnd(FixedText(info.serial));
    const QByteArray model = CutAtLineEnd(FixedText(info.model));
    const QByteArray release = CutAtLineEnd(FixedText(info.release));
    const QByteArray baseband = CutAtLineEnd(FixedText(info.baseband));
    JsonPtr root = NewJsRoot();
    cJSON* device = cJSON_CreateObject();
    Add(device, "Device_Name", manufacturer);
    Add(device, "Serial_Number", serial);
    Add(device, "Device_Mode", model);
    Add(device, "Andriod_Version", release);
    Add(device, "Device_baseband", baseband);
    Add(device, "ProductMD5", ProductMD5(serial, model));
    cJSON_AddItemToObject(root.get(), "DeviceInfo", device);
    return root;
}

} // namespace tarvell
