#include "records.h"

#include "util.h"

namespace phonesim {

const std::vector<const char*>& RecordTags(RecordKind kind) {
    static const std::vector<const char*> sms = {"ID",   "THREAD_ID", "ADDRESS", "DATE", "PROTOCOL",
                                                 "READ", "STATUS",    "BODY",    "TYPE", "PERSON"};
    static const std::vector<const char*> contact = {
        "CONTACTID",     "NAME",         "PHONE_PHONE", "PHONE_HOME", "PHONE_WORK", "PHONE_HOMEFAX",
        "PHONE_WORKFAX", "EMAIL_HOME",   "EMAIL_WORK",  "NOTE",       "WEBSITE",    "NICKNAME",
        "ADDRESS_HOME",  "ADDRESS_WORK", "BIRTHDAY",    "ORG_NAME",   "ORG_TITLE"};
    static const std::vector<const char*> calllog = {"ID",   "NAME",     "NUMBER",
                                                     "TYPE", "DURATION", "DATE"};
    static const std::vector<const char*> app = {
        "PKG",       "CLS",         "APPNAME",        "VERSION",    "VERSIONCODE",
        "SYSTEMAPP", "SDCARDAPP",   "CACHSEZE",       "DATASIZE",   "CODESIZE",
        "TOTALSIZE", "INSTALLTIME", "LASTUPDATETIME", "PERMISSIONS"};
    switch (kind) {
    case RecordKind::Sms:
        return sms;
    case RecordKind::Contact:
        return contact;
    case RecordKind::CallLog:
        return calllog;
    case RecordKind::App:
        return app;
    }
    return sms;
}

static std::string Lower(const char* tag) {
    std::string s = tag;
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> RecordKeys(RecordKind kind) {
    std::vector<std::string> keys;
    const auto& tags = RecordTags(kind);
    // Apps have no id tag: the package name is their key.
    for (size_t i = kind == RecordKind::App ? 0 : 1; i < tags.size(); ++i)
        keys.push_back(Lower(tags[i]));
    return keys;
}

void AppendEntry(std::string& out, const char* tag, std::string_view value) {
    out += tag;
    out += ':';
    out += HexEncode(value);
    out += ';';
}

void AppendRecord(std::string& out, RecordKind kind, const Record& r, bool close) {
    const auto& tags = RecordTags(kind);
    size_t first = 0;
    if (kind != RecordKind::App) {
        AppendEntry(out, tags[0], std::to_string(r.id));
        first = 1;
    }
    for (size_t i = first; i < tags.size(); ++i) {
        if (const std::string* v = r.Get(Lower(tags[i])))
            AppendEntry(out, tags[i], *v);
    }
    if (close)
        out += '.';
}

std::string MediaRecord(const MediaItem& m, const std::string& path, int64_t size, int64_t mtime) {
    std::string out;
    AppendEntry(out, "ID", std::to_string(m.id));
    if (m.kind == MediaKind::Music)
        AppendEntry(out, "ALBUMID", std::to_string(m.album_id));
    AppendEntry(out, "TILTE", m.title);
    if (m.kind == MediaKind::Music) {
        AppendEntry(out, "ALBUM", m.album);
        AppendEntry(out, "ARTIST", m.artist);
    }
    if (m.kind == MediaKind::Video)
        AppendEntry(out, "DISPLAYNAME", m.display_name);
    AppendEntry(out, "PATH", path);
    if (m.kind != MediaKind::Photo)
        AppendEntry(out, "DURATION", std::to_string(m.duration));
    AppendEntry(out, "SIZE", std::to_string(size));
    AppendEntry(out, "MODIFTIME", std::to_string(mtime));
    AppendEntry(out, "CREATETIME", std::to_string(m.created));
    return out;
}

std::string StorageReply(const PhoneConfig& cfg) {
    std::string out;
    for (const auto& [k, v] : cfg.storage)
        out += k + ":" + std::to_string(v) + ";";
    return out;
}

} // namespace phonesim
