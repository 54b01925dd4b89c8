#include "store.h"

#include "util.h"

#include <cstdio>
#include <sys/stat.h>

namespace phonesim {

PhoneStore::PhoneStore(std::string dir) : dir_(std::move(dir)) {}

PhoneStore::Stamp PhoneStore::StampOf(const std::string& path) {
    struct stat st {};
    Stamp s;
    if (::stat(path.c_str(), &st) == 0) {
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return s;
}

const PhoneConfig& PhoneStore::Config() {
    Stamp now = StampOf(dir_ + "/phone.json");
    if (!config_loaded_ || !(now == config_stamp_)) {
        std::string err;
        if (auto c = LoadConfig(dir_, &err)) {
            config_ = std::move(*c);
            config_loaded_ = true;
        } else if (!config_loaded_) {
            config_ = PhoneConfig{};
            config_loaded_ = true;
        }
        config_stamp_ = now;
    }
    return config_;
}

void PhoneStore::UpdateConfig(const std::function<void(PhoneConfig&)>& change) {
    FolderLock lock(dir_);
    PhoneConfig c = LoadConfig(dir_).value_or(PhoneConfig{});
    change(c);
    SaveConfig(dir_, c);
    config_ = std::move(c);
    config_loaded_ = true;
    config_stamp_ = StampOf(dir_ + "/phone.json");
}

std::string PhoneStore::PathOf(RecordKind kind) const {
    switch (kind) {
    case RecordKind::Sms:
        return dir_ + "/sms.json";
    case RecordKind::Contact:
        return dir_ + "/contacts.json";
    case RecordKind::CallLog:
        return dir_ + "/calllog.json";
    case RecordKind::App:
        return dir_ + "/apps.json";
    }
    return dir_;
}

RecordFile& PhoneStore::Records(RecordKind kind) {
    Slot& s = slots_[static_cast<int>(kind)];
    if (s.dirty)
        return s.data;
    std::string path = PathOf(kind);
    Stamp now = StampOf(path);
    if (!s.loaded || !(now == s.stamp)) {
        std::string err;
        if (auto f = LoadRecordFile(path, &err)) {
            s.data = std::move(*f);
        } else {
            std::fprintf(stderr, "phonesim: %s\n", err.c_str());
            if (!s.loaded)
                s.data = RecordFile{};
        }
        s.loaded = true;
        s.stamp = now;
        ++s.generation;
    }
    return s.data;
}

void PhoneStore::MarkDirty(RecordKind kind) {
    slots_[static_cast<int>(kind)].dirty = true;
    Touch();
}

MediaIndex& PhoneStore::Media() {
    if (media_.dirty)
        return media_.data;
    Stamp now = StampOf(dir_ + "/media.json");
    if (!media_.loaded || !(now == media_.stamp)) {
        std::string err;
        if (auto m = LoadMediaIndex(dir_, &err))
            media_.data = std::move(*m);
        else
            std::fprintf(stderr, "phonesim: %s\n", err.c_str());
        media_.loaded = true;
        media_.stamp = now;
    }
    return media_.data;
}

bool PhoneStore::Dirty() const {
    for (const Slot& s : slots_)
        if (s.dirty)
            return true;
    return media_.dirty;
}

bool PhoneStore::Flush() {
    if (!Dirty())
        return true;
    FolderLock lock(dir_);
    bool ok = true;
    for (int k = 0; k < 4; ++k) {
        Slot& s = slots_[k];
        if (!s.dirty)
            continue;
        std::string path = PathOf(static_cast<RecordKind>(k));
        if (SaveRecordFile(path, s.data)) {
            s.dirty = false;
            s.stamp = StampOf(path);
        } else {
            ok = false;
        }
    }
    if (media_.dirty) {
        if (SaveMediaIndex(dir_, media_.data)) {
            media_.dirty = false;
            media_.stamp = StampOf(dir_ + "/media.json");
        } else {
            ok = false;
        }
    }
    return ok;
}

} // namespace phonesim
