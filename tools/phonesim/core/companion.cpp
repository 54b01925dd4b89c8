#include "companion.h"

#include "framing.h"
#include "png.h"
#include "util.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace phonesim {

namespace {

constexpr int kPageSize = 5;
constexpr int64_t kMaxChunk = 16 << 20;
constexpr size_t kOversize = 6 << 20;

enum MediaOp {
    kFlush,
    kCount,
    kInfo,
    kThumb,
    kDelete,
    kClear,
    kCheck,
    kAnnounce,
    kAbort,
    kOpen,
    kWrite,
    kClose,
    kPath,
    kData,
    kOpCount
};

// Command names of the three media kinds by operation.
const char* const kMediaCommands[3][kOpCount] = {
    {"flushphotolist", "getdcimcount", "getdcimindexinfo", "getdcimthumb", "deletephoto",
     "ClearPhotos", "checkFileisExist", "addphototodevice", "addphototodevice_abort",
     "open_photofile", "write_photofile", "close_photofile", "getfilepathForid", "getdcimdata"},
    {"flushmusiclist", "getmusiccount", "getmusicindexinfo", "getmusicthumb", "deletemusic",
     "ClearMusic", "checkMusicFileisExist", "addmusictodevice", "addmusictodevice_abort",
     "open_Musicfile", "write_musicfile", "close_Musicfile", "GetMusicPathById",
     "exportfilefromdevice_music"},
    {"flushvideolist", "getvideocount", "getvideoindexinfo", nullptr, "deletevideofromdevice",
     "ClearVideos", "checkVideoFileisExist", "addvideotodevice", "addvideotodevice_abort",
     "open_videofile", "write_videofile", "close_videofile", "GetVideoPathById",
     "exportfilefromdevice_video"},
};

const std::pair<const char*, const char*> kContactKeys[] = {
    {"FIRSTNAME", "name"},
    {"LASTNAME", "last_name"},
    {"NICKNAME", "nickname"},
    {"MOBILE", "phone_phone"},
    {"HOMENUMBER", "phone_home"},
    {"WORKNUMBER", "phone_work"},
    {"HOMEPAGE", "website"},
    {"HOMEEMAIL", "email_home"},
    {"BIRTHDAY", "birthday"},
    {"GROUP", "group"},
    {"NOTE", "note"},
    {"ORGANZATION", "org_name"},
    {"DEPARTMENT", "org_title"},
    {"HOMEADDRESS", "address_home"},
    {"WORKADDRESS", "address_work"},
    {"HOMEFAX", "phone_homefax"},
    {"WORKFAX", "phone_workfax"},
    {"WORKEMAIL", "email_work"},
};

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    for (;;) {
        size_t next = s.find(sep, pos);
        if (next == std::string_view::npos) {
            out.push_back(s.substr(pos));
            return out;
        }
        out.push_back(s.substr(pos, next - pos));
        pos = next + 1;
    }
}

std::optional<int64_t> Int(std::string_view s) {
    return ParseInt(s);
}

// A file name the phone accepts in a media folder: no folder parts.
bool SafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string Digits(const std::string& number) {
    std::string d;
    for (char c : number)
        if (c >= '0' && c <= '9')
            d += c;
    return d;
}

bool SendAll(int fd, const char* data, size_t len) {
    while (len > 0) {
        ssize_t n = ::send(fd, data, len, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

bool Matches(const std::string& pattern, std::string_view name) {
    return !pattern.empty() && (pattern == "*" || name == pattern);
}

} // namespace

CompanionSession::CompanionSession(PhoneStore& store) : store_(store) {}

CompanionSession::~CompanionSession() {
    for (int k = 0; k < 3; ++k)
        DropUpload(k);
    for (auto& [id, fd] : read_fds_)
        ::close(fd);
}

void CompanionSession::CloseUpload(int kind) {
    if (upload_fd_[kind] >= 0)
        ::close(upload_fd_[kind]);
    upload_fd_[kind] = -1;
}

// An upload is written under a hidden name beside its final one and takes
// that name only when it is announced, so an aborted or cut upload never
// replaces a file the phone already had.
std::string CompanionSession::PendingUpload(int kind) const {
    const std::string& rel = upload_rel_[kind];
    const size_t slash = rel.rfind('/');
    return rel.substr(0, slash + 1) + ".upload-" + rel.substr(slash + 1);
}

void CompanionSession::DropUpload(int kind) {
    CloseUpload(kind);
    if (!upload_rel_[kind].empty())
        ::unlink((store_.SdcardRoot() + "/" + PendingUpload(kind)).c_str());
    upload_rel_[kind].clear();
}

std::string_view CompanionSession::NameOf(std::string_view command) {
    size_t end = command.find_first_of(":;");
    return command.substr(0, end);
}

int64_t CompanionSession::PayloadSize(std::string_view command) {
    std::string_view name = NameOf(command);
    for (const auto& kind : kMediaCommands) {
        if (name == kind[kWrite]) {
            if (command.size() < name.size() + 2 || command[name.size()] != ':' ||
                command.back() != ';')
                return -1;
            auto n = Int(command.substr(name.size() + 1, command.size() - name.size() - 2));
            if (!n || *n < 0 || *n > kMaxChunk)
                return -1;
            return *n;
        }
    }
    return 0;
}

std::string CompanionSession::Handle(std::string_view command, std::string_view payload) {
    std::string out;
    HandleInto(command, payload, out);
    return out;
}

void CompanionSession::HandleInto(std::string_view command, std::string_view payload,
                                  std::string& out, bool config_checked) {
    if (command.empty() || command.back() != ';')
        return;
    std::string_view name = NameOf(command);
    std::string_view raw_args;
    if (name.size() < command.size() - 1)
        raw_args = command.substr(name.size() + 1, command.size() - name.size() - 2);
    std::vector<std::string_view> args;
    if (command[name.size()] == ':')
        args = Split(raw_args, ':');
    std::lock_guard<std::mutex> lock(store_.Mutex());
    if (!config_checked)
        store_.Config();
    out_ = &out;
    std::string body = HandleLocked(name, args, raw_args, payload);
    out_ = nullptr;
    out += body;
}

void CompanionSession::DropReadFds() {
    for (auto& [id, fd] : read_fds_)
        ::close(fd);
    read_fds_.clear();
}

int CompanionSession::ReadFd(int64_t id, const std::string& path) {
    auto it = read_fds_.find(id);
    if (it != read_fds_.end())
        return it->second;
    if (read_fds_.size() >= 16)
        DropReadFds();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
        read_fds_[id] = fd;
    return fd;
}

std::string CompanionSession::HandleLocked(std::string_view name,
                                           const std::vector<std::string_view>& args,
                                           std::string_view raw_args, std::string_view payload) {
    const PhoneConfig& cfg = store_.CachedConfig();

    if (name == "hello-android")
        return cfg.faults.companion_greeting.value_or("HI-PC");
    if (name == "getBattery")
        return IntBody(cfg.battery);
    if (name == "GetandroidTempinfo")
        return StorageReply(cfg);
    if (name == "getExternalStoragePath")
        return cfg.external_storage;

    // Paged stores.
    struct Paged {
        const char* count;
        const char* page;
        RecordKind kind;
    };
    static const Paged kPaged[] = {{"getsmsCount", "getsmsPart10", RecordKind::Sms},
                                   {"getcontactCount", "getcontactpart10", RecordKind::Contact},
                                   {"getcalllogcount", "getcalllogpart10", RecordKind::CallLog}};
    for (const Paged& p : kPaged) {
        if (name == p.count)
            return IntBody(static_cast<int32_t>(store_.Records(p.kind).items.size()));
        if (name == p.page) {
            auto off = args.size() == 1 ? Int(args[0]) : std::nullopt;
            const auto& items = store_.Records(p.kind).items;
            if (!off || *off < 0 || *off >= static_cast<int64_t>(items.size()))
                return {};
            std::string out;
            size_t end = std::min(items.size(), static_cast<size_t>(*off) + kPageSize);
            for (size_t i = static_cast<size_t>(*off); i < end; ++i)
                AppendRecord(out, p.kind, items[i], true);
            return out;
        }
    }

    // Messages.
    const bool sms_allowed = !cfg.ReleaseAtLeast44() || cfg.default_sms_app == kCompanionPackage;
    if (name == "SendSMS") {
        auto parts = Split(raw_args, '-');
        if (args.empty() || parts.size() != 6 || !sms_allowed)
            return IntBody(-1);
        std::string f[6];
        for (int i = 0; i < 6; ++i) {
            auto d = HexDecode(parts[static_cast<size_t>(i)]);
            if (!d)
                return IntBody(-1);
            f[i] = std::move(*d);
        }
        RecordFile& sms = store_.Records(RecordKind::Sms);
        auto& ti = store_.threads;
        if (ti.generation != store_.Generation(RecordKind::Sms) || ti.seen > sms.items.size()) {
            ti = {};
            ti.generation = store_.Generation(RecordKind::Sms);
        }
        for (; ti.seen < sms.items.size(); ++ti.seen) {
            const Record& r = sms.items[ti.seen];
            const std::string* t = r.Get("thread_id");
            const std::string* a = r.Get("address");
            if (t)
                ti.max_thread = std::max(ti.max_thread, Int(*t).value_or(0));
            if (t && a)
                ti.by_address.emplace(*a, *t);
        }
        std::string thread;
        auto known = ti.by_address.find(f[0]);
        thread = known != ti.by_address.end() ? known->second : std::to_string(ti.max_thread + 1);
        Record r;
        r.Set("thread_id", thread);
        r.Set("address", f[0]);
        r.Set("date", f[2]);
        r.Set("protocol", "0");
        r.Set("read", f[3] == "1" ? "1" : "0");
        r.Set("status", "-1");
        r.Set("body", f[1]);
        r.Set("type", f[5] == "0" ? "2" : "1"); // direction 0 = sent by the user
        int64_t id = sms.Add(std::move(r));
        store_.MarkDirty(RecordKind::Sms);
        return IntBody(static_cast<int32_t>(id));
    }
    if (name == "ClearSMS") {
        if (!sms_allowed)
            return IntBody(-1);
        RecordFile& sms = store_.Records(RecordKind::Sms);
        auto n = static_cast<int32_t>(sms.items.size());
        sms.items.clear();
        store_.MarkDirty(RecordKind::Sms);
        store_.Changed(RecordKind::Sms);
        return IntBody(n);
    }
    if (name == "SetDefaultMessage") {
        store_.UpdateConfig([](PhoneConfig& c) {
            if (c.default_sms_app == kCompanionPackage)
                return;
            c.previous_default_sms_app = c.default_sms_app;
            c.default_sms_requested_at = static_cast<int64_t>(std::time(nullptr));
            if (c.faults.default_sms_accept_after == 0) {
                c.default_sms_app = kCompanionPackage;
                c.default_sms_requested_at = 0;
            }
        });
        return IntBody(1);
    }
    if (name == "GetDefaultMessage_pkgName") {
        if (cfg.default_sms_requested_at > 0 && cfg.faults.default_sms_accept_after >= 0 &&
            std::time(nullptr) >=
                cfg.default_sms_requested_at + cfg.faults.default_sms_accept_after) {
            store_.UpdateConfig([](PhoneConfig& c) {
                c.default_sms_app = kCompanionPackage;
                c.default_sms_requested_at = 0;
            });
        }
        return store_.Config().default_sms_app;
    }
    if (name == "ReSetDefaultMessage") {
        store_.UpdateConfig([](PhoneConfig& c) {
            c.default_sms_requested_at = 0;
            if (c.default_sms_app == kCompanionPackage)
                c.default_sms_app = c.previous_default_sms_app.empty()
                                        ? std::string("com.android.messaging")
                                        : c.previous_default_sms_app;
        });
        return IntBody(1);
    }

    // Contacts.
    if (name == "AddPerson") {
        if (args.size() != 2)
            return Int64Body(-1);
        auto nm = HexDecode(args[0]);
        auto ph = HexDecode(args[1]);
        if (!nm || !ph)
            return Int64Body(-1);
        Record r;
        if (!nm->empty())
            r.Set("name", *nm);
        if (!ph->empty())
            r.Set("phone_phone", *ph);
        int64_t id = store_.Records(RecordKind::Contact).Add(std::move(r));
        store_.MarkDirty(RecordKind::Contact);
        return Int64Body(id);
    }
    if (name == "UpdatePerson") {
        if (args.size() != 3)
            return IntBody(0);
        auto id = Int(args[0]);
        auto value = HexDecode(args[1]);
        const char* key = nullptr;
        for (const auto& [k, field] : kContactKeys)
            if (args[2] == k)
                key = field;
        if (!id || !value || !key)
            return IntBody(0);
        for (Record& r : store_.Records(RecordKind::Contact).items) {
            if (r.id == *id) {
                r.Set(key, *value);
                store_.MarkDirty(RecordKind::Contact);
                store_.Changed(RecordKind::Contact);
                return IntBody(1);
            }
        }
        return IntBody(0);
    }
    if (name == "ClearPerson") {
        RecordFile& c = store_.Records(RecordKind::Contact);
        auto n = static_cast<int32_t>(c.items.size());
        c.items.clear();
        store_.MarkDirty(RecordKind::Contact);
        store_.Changed(RecordKind::Contact);
        return IntBody(n);
    }

    // Call log.
    if (name == "AddCallHistory") {
        auto parts = Split(raw_args, '-');
        if (args.empty() || parts.size() != 4)
            return IntBody(-1);
        std::string f[4];
        for (int i = 0; i < 4; ++i) {
            auto d = HexDecode(parts[static_cast<size_t>(i)]);
            if (!d)
                return IntBody(-1);
            f[i] = std::move(*d);
        }
        Record r;
        // The call log keeps the name of the contact that has the number.
        std::string digits = Digits(f[0]);
        if (!digits.empty()) {
            const RecordFile& contacts = store_.Records(RecordKind::Contact);
            auto& ni = store_.numbers;
            if (ni.generation != store_.Generation(RecordKind::Contact) ||
                ni.seen > contacts.items.size()) {
                ni = {};
                ni.generation = store_.Generation(RecordKind::Contact);
            }
            for (; ni.seen < contacts.items.size(); ++ni.seen) {
                const Record& c = contacts.items[ni.seen];
                const std::string* nm = c.Get("name");
                if (!nm)
                    continue;
                for (const char* k : {"phone_phone", "phone_home", "phone_work"})
                    if (const std::string* v = c.Get(k))
                        if (std::string d = Digits(*v); !d.empty())
                            ni.name_by_digits.emplace(d, *nm);
            }
            auto hit = ni.name_by_digits.find(digits);
            if (hit != ni.name_by_digits.end())
                r.Set("name", hit->second);
        }
        r.Set("number", f[0]);
        r.Set("type", f[2]);
        r.Set("duration", f[3]);
        if (!f[1].empty()) {
            auto secs = Int(f[1]);
            if (!secs)
                return IntBody(-1);
            r.Set("date", LocalDateText(*secs));
        }
        store_.Records(RecordKind::CallLog).Add(std::move(r));
        store_.MarkDirty(RecordKind::CallLog);
        return IntBody(1);
    }
    if (name == "ClearCallHistory") {
        RecordFile& c = store_.Records(RecordKind::CallLog);
        auto n = static_cast<int32_t>(c.items.size());
        c.items.clear();
        store_.MarkDirty(RecordKind::CallLog);
        return IntBody(n);
    }

    // Apps.
    if (name == "flushapplist" || name == "getappcount" || name == "getappindexinfo") {
        auto& list = store_.AppList();
        RecordFile& apps = store_.Records(RecordKind::App);
        if (name == "flushapplist" || list.empty()) {
            list.clear();
            for (size_t i = 0; i < apps.items.size(); ++i) {
                const std::string* pkg = apps.items[i].Get("pkg");
                if (pkg && cfg.HasPackage(*pkg))
                    list.push_back(static_cast<int64_t>(i));
            }
        }
        if (name != "getappindexinfo")
            return IntBody(static_cast<int32_t>(list.size()));
        auto pos = args.size() == 1 ? Int(args[0]) : std::nullopt;
        if (!pos || *pos < 0 || *pos >= static_cast<int64_t>(list.size()) ||
            list[static_cast<size_t>(*pos)] >= static_cast<int64_t>(apps.items.size()))
            return {};
        std::string out;
        AppendRecord(out, RecordKind::App,
                     apps.items[static_cast<size_t>(list[static_cast<size_t>(*pos)])], false);
        return out;
    }

    // Media.
    for (int k = 0; k < 3; ++k)
        for (int op = 0; op < kOpCount; ++op)
            if (kMediaCommands[k][op] && name == kMediaCommands[k][op])
                return Media(k, op, args, payload);

    return {};
}

std::string CompanionSession::Media(int k, int op, const std::vector<std::string_view>& args,
                                    std::string_view payload) {
    const auto kind = static_cast<MediaKind>(k);
    if (op == kData && args.size() == 3) {
        // Fast path for the chunks of a file this session already reads.
        auto id = Int(args[0]);
        auto it = id ? read_fds_.find(*id) : read_fds_.end();
        if (it != read_fds_.end()) {
            auto off = Int(args[1]);
            auto len = Int(args[2]);
            if (!off || !len || *off < 0 || *len <= 0)
                return {};
            const size_t at = out_->size();
            out_->resize(at + static_cast<size_t>(std::min(*len, kMaxChunk)));
            ssize_t n =
                ::pread(it->second, out_->data() + at, out_->size() - at, static_cast<off_t>(*off));
            out_->resize(at + (n > 0 ? static_cast<size_t>(n) : 0));
            return {};
        }
    }
    const PhoneConfig& cfg = store_.CachedConfig();
    MediaIndex& index = store_.Media();
    auto& list = store_.List(kind);
    const std::string sdcard = store_.SdcardRoot();
    const std::string folder = MediaPushFolder(kind);

    auto rebuild = [&] {
        if (index.Scan(sdcard))
            store_.MarkMediaDirty();
        list.clear();
        for (const MediaItem& m : index.items)
            if (m.kind == kind)
                list.push_back(m.id);
        store_.ListBuilt(kind) = true;
    };
    auto arg_int = [&](size_t i) -> std::optional<int64_t> {
        return i < args.size() ? Int(args[i]) : std::nullopt;
    };
    auto at = [&](size_t i) -> MediaItem* {
        auto pos = arg_int(i);
        if (!pos || *pos < 0 || *pos >= static_cast<int64_t>(list.size()))
            return nullptr;
        return index.Find(list[static_cast<size_t>(*pos)]);
    };
    auto by_id = [&](size_t i) -> MediaItem* {
        auto id = arg_int(i);
        MediaItem* m = id ? index.Find(*id) : nullptr;
        return m && m->kind == kind ? m : nullptr;
    };
    auto name_arg = [&](bool hex) -> std::optional<std::string> {
        if (args.size() != 1)
            return std::nullopt;
        auto n = hex ? HexDecode(args[0]) : std::optional<std::string>(std::string(args[0]));
        if (!n || !SafeName(*n))
            return std::nullopt;
        return n;
    };

    if (!store_.ListBuilt(kind) && op != kFlush)
        rebuild();

    switch (op) {
    case kFlush:
        rebuild();
        return IntBody(static_cast<int32_t>(list.size()));
    case kCount:
        return IntBody(static_cast<int32_t>(list.size()));
    case kInfo: {
        MediaItem* m = at(0);
        struct stat st {};
        if (!m || ::stat((sdcard + "/" + m->rel).c_str(), &st) != 0)
            return {};
        return MediaRecord(*m, cfg.external_storage + "/" + m->rel, st.st_size, st.st_mtime);
    }
    case kThumb: {
        MediaItem* m = at(0);
        if (!m)
            return {};
        if (kind == MediaKind::Photo) {
            if (auto t = ReadFile(sdcard + "/DCIM/.thumbnails/" + std::to_string(m->id) + ".jpg"))
                return *t;
            return PatternPng(96, 96, Fnv1a64(m->rel));
        }
        return PatternPng(64, 64, static_cast<uint64_t>(m->album_id) * 2654435761U);
    }
    case kDelete: {
        MediaItem* m = at(0);
        if (!m)
            return IntBody(0);
        DropReadFds();
        ::unlink((sdcard + "/" + m->rel).c_str());
        int64_t id = m->id;
        index.items.erase(std::remove_if(index.items.begin(), index.items.end(),
                                         [&](const MediaItem& x) { return x.id == id; }),
                          index.items.end());
        store_.MarkMediaDirty();
        return IntBody(1);
    }
    case kClear: {
        DropReadFds();
        if (index.Scan(sdcard))
            store_.MarkMediaDirty();
        int32_t n = 0;
        for (const MediaItem& m : index.items)
            if (m.kind == kind && ::unlink((sdcard + "/" + m.rel).c_str()) == 0)
                ++n;
        index.items.erase(std::remove_if(index.items.begin(), index.items.end(),
                                         [&](const MediaItem& x) { return x.kind == kind; }),
                          index.items.end());
        list.clear();
        store_.MarkMediaDirty();
        return IntBody(n);
    }
    case kCheck: {
        auto n = name_arg(false);
        return IntBody(n && IsFile(sdcard + "/" + folder + "/" + *n) ? 1 : 0);
    }
    case kAnnounce: {
        auto n = name_arg(true);
        if (!n)
            return IntBody(-1);
        std::string rel = folder + "/" + *n;
        if (upload_rel_[k] == rel && upload_fd_[k] < 0) {
            // The streamed upload of this name takes its place now.
            if (::rename((sdcard + "/" + PendingUpload(k)).c_str(), (sdcard + "/" + rel).c_str()) !=
                0)
                ::unlink((sdcard + "/" + PendingUpload(k)).c_str());
            upload_rel_[k].clear();
        }
        if (!IsFile(sdcard + "/" + rel))
            return IntBody(0);
        index.Register(sdcard, rel, kind);
        store_.MarkMediaDirty();
        return IntBody(1);
    }
    case kAbort: {
        auto n = name_arg(true);
        if (!n)
            return IntBody(-1);
        std::string rel = folder + "/" + *n;
        if (upload_rel_[k] == rel) {
            // Only the upload goes; a file the phone had under this name stays.
            DropUpload(k);
            return IntBody(0);
        }
        ::unlink((sdcard + "/" + rel).c_str());
        size_t before = index.items.size();
        index.items.erase(std::remove_if(index.items.begin(), index.items.end(),
                                         [&](const MediaItem& x) { return x.rel == rel; }),
                          index.items.end());
        if (before != index.items.size())
            store_.MarkMediaDirty();
        return IntBody(0);
    }
    case kOpen: {
        DropUpload(k);
        auto n = name_arg(true);
        if (!n || !MakeDirs(sdcard + "/" + folder))
            return IntBody(-1);
        upload_rel_[k] = folder + "/" + *n;
        upload_fd_[k] = ::open((sdcard + "/" + PendingUpload(k)).c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return IntBody(upload_fd_[k] >= 0 ? 1 : -1);
    }
    case kWrite: {
        if (upload_fd_[k] < 0)
            return IntBody(-1);
        size_t done = 0;
        while (done < payload.size()) {
            ssize_t w = ::write(upload_fd_[k], payload.data() + done, payload.size() - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return IntBody(-1);
            done += static_cast<size_t>(w);
        }
        return IntBody(static_cast<int32_t>(done));
    }
    case kClose: {
        bool was_open = upload_fd_[k] >= 0;
        CloseUpload(k);
        return IntBody(was_open ? 1 : 0);
    }
    case kPath: {
        MediaItem* m = by_id(0);
        if (!m)
            return {};
        return cfg.external_storage + "/" + m->rel;
    }
    case kData: {
        MediaItem* m = by_id(0);
        auto off = arg_int(1);
        auto len = arg_int(2);
        if (!m || !off || !len || *off < 0 || *len <= 0)
            return {};
        int fd = ReadFd(m->id, sdcard + "/" + m->rel);
        if (fd < 0)
            return {};
        // Read straight into the answer buffer: chunks are the bulk of the
        // traffic and need no extra copy.
        const size_t at = out_->size();
        out_->resize(at + static_cast<size_t>(std::min(*len, kMaxChunk)));
        ssize_t n = ::pread(fd, out_->data() + at, out_->size() - at, static_cast<off_t>(*off));
        out_->resize(at + (n > 0 ? static_cast<size_t>(n) : 0));
        return {};
    }
    default:
        return {};
    }
}

static void ServeLoop(int fd, PhoneStore& store) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    CompanionSession session(store);
    std::string in;
    size_t start = 0;
    int answered = 0;
    std::string out;
    char buf[65536];

    auto fill = [&]() -> bool {
        ssize_t n;
        do {
            n = ::recv(fd, buf, sizeof buf, 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        in.append(buf, static_cast<size_t>(n));
        return true;
    };

    for (;;) {
        size_t semi = in.find(';', start);
        while (semi == std::string::npos) {
            if (in.size() - start > (1u << 20))
                return; // not a command stream
            if (start > 0) {
                in.erase(0, start);
                start = 0;
            }
            if (!fill())
                return;
            semi = in.find(';', start);
        }
        std::string command = in.substr(start, semi + 1 - start);
        start = semi + 1;
        int64_t need = CompanionSession::PayloadSize(command);
        if (need < 0)
            return;
        while (static_cast<int64_t>(in.size() - start) < need)
            if (!fill())
                return;
        std::string_view payload(in.data() + start, static_cast<size_t>(need));
        start += static_cast<size_t>(need);

        // The faults in force for this command, read with it.
        int drop_after, delay_ms;
        bool silent, truncate, oversize;
        std::string_view name = CompanionSession::NameOf(command);
        {
            std::lock_guard<std::mutex> lock(store.Mutex());
            const Faults& f = store.Config().faults;
            drop_after = f.companion_drop_after;
            delay_ms = f.companion_delay_ms;
            silent = f.companion_silent;
            truncate = Matches(f.companion_truncate, name);
            oversize = Matches(f.companion_oversize, name);
        }
        if (drop_after > 0 && answered >= drop_after)
            return;
        if (silent)
            continue;
        out.resize(4);
        session.HandleInto(command, payload, out, true);
        if (start == in.size()) {
            in.clear();
            start = 0;
        }
        if (delay_ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        if (oversize)
            out.resize(std::max(out.size(), kOversize + 4), '\0');
        const auto len = static_cast<uint32_t>(out.size() - 4);
        for (int i = 0; i < 4; ++i)
            out[static_cast<size_t>(i)] = static_cast<char>((len >> (8 * i)) & 0xFF);
        if (truncate) {
            SendAll(fd, out.data(), 4 + len / 2);
            return;
        }
        // Length and body in one write.
        if (!SendAll(fd, out.data(), out.size()))
            return;
        ++answered;
    }
}

void ServeCompanion(int fd, PhoneStore& store) {
    ServeLoop(fd, store);
    // What the session changed is written once it ends.
    std::lock_guard<std::mutex> lock(store.Mutex());
    store.Flush();
}

} // namespace phonesim
