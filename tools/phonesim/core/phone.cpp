#include "phone.h"

#include "util.h"

#include <algorithm>
#include <cjson/cJSON.h>
#include <memory>

namespace phonesim {

namespace {

struct JsonDeleter {
    void operator()(cJSON* j) const { cJSON_Delete(j); }
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

std::string Str(const cJSON* obj, const char* key, const std::string& def) {
    const cJSON* v = cJSON_GetObjectItemCaseSensitive(obj, key);
    return cJSON_IsString(v) ? std::string(v->valuestring) : def;
}

int64_t Num(const cJSON* obj, const char* key, int64_t def) {
    const cJSON* v = cJSON_GetObjectItemCaseSensitive(obj, key);
    return cJSON_IsNumber(v) ? static_cast<int64_t>(v->valuedouble) : def;
}

std::vector<std::string> StrList(const cJSON* obj, const char* key) {
    std::vector<std::string> out;
    const cJSON* arr = cJSON_GetObjectItemCaseSensitive(obj, key);
    const cJSON* it = nullptr;
    cJSON_ArrayForEach(it, arr) {
        if (cJSON_IsString(it))
            out.emplace_back(it->valuestring);
    }
    return out;
}

std::string Print(cJSON* root) {
    char* text = cJSON_Print(root);
    std::string out = text ? text : "";
    cJSON_free(text);
    out += '\n';
    return out;
}

const char* const kStorageKeys[] = {"MEMTOTAL", "MEMAVAIL",   "SDTOTAL",
                                    "SDAVAIL",  "PHONETOTAL", "PHONEAVAIL"};

} // namespace

bool Faults::Set(const std::string& key, const std::string& value, std::string* error) {
    auto as_int = [&](int* out) {
        auto v = ParseInt(value);
        if (!v || *v < -1 || *v > 1000000000) {
            if (error)
                *error = "value of " + key + " must be a whole number";
            return false;
        }
        *out = static_cast<int>(*v);
        return true;
    };
    bool off = value == "off" || value.empty();
    if (key == "companion_silent") {
        companion_silent = value == "1" || value == "true" || value == "on";
        return true;
    }
    if (key == "companion_delay_ms")
        return off ? (companion_delay_ms = 0, true) : as_int(&companion_delay_ms);
    if (key == "companion_drop_after")
        return off ? (companion_drop_after = 0, true) : as_int(&companion_drop_after);
    if (key == "companion_truncate") {
        companion_truncate = off ? "" : value;
        return true;
    }
    if (key == "companion_oversize") {
        companion_oversize = off ? "" : value;
        return true;
    }
    if (key == "companion_greeting") {
        if (value == "off")
            companion_greeting.reset();
        else
            companion_greeting = value;
        return true;
    }
    if (key == "adb_delay_ms")
        return off ? (adb_delay_ms = 0, true) : as_int(&adb_delay_ms);
    if (key == "adb_hang") {
        adb_hang = off ? "" : value;
        return true;
    }
    if (key == "default_sms_accept_after") {
        if (value == "never") {
            default_sms_accept_after = -1;
            return true;
        }
        return off ? (default_sms_accept_after = 0, true) : as_int(&default_sms_accept_after);
    }
    if (key == "extra_phones")
        return off ? (extra_phones = 0, true) : as_int(&extra_phones);
    if (error)
        *error = "unknown fault: " + key;
    return false;
}

bool PhoneConfig::HasPackage(const std::string& p) const {
    return std::find(packages.begin(), packages.end(), p) != packages.end();
}

bool PhoneConfig::IsRunning(const std::string& p) const {
    return std::find(running.begin(), running.end(), p) != running.end();
}

std::string PhoneConfig::Property(const std::string& name) const {
    if (name == "ro.build.version.release")
        return release;
    if (name == "ro.product.model")
        return model;
    if (name == "ro.product.manufacturer")
        return manufacturer;
    if (name == "ro.build.PDA")
        return pda;
    if (name == "ro.serialno")
        return serial;
    return "";
}

bool PhoneConfig::ReleaseAtLeast44() const {
    int major = 0, minor = 0, part = 0;
    for (char c : release) {
        if (c == '.') {
            if (++part > 1)
                break;
        } else if (c >= '0' && c <= '9') {
            int& v = part == 0 ? major : minor;
            v = std::min(v * 10 + (c - '0'), 100000);
        }
    }
    return major * 10 + minor > 43;
}

std::string ConfigToJson(const PhoneConfig& c) {
    JsonPtr root(cJSON_CreateObject());
    cJSON* r = root.get();
    cJSON_AddStringToObject(r, "serial", c.serial.c_str());
    cJSON_AddStringToObject(r, "state", c.state.c_str());
    cJSON_AddBoolToObject(r, "plugged", c.plugged);
    cJSON* props = cJSON_AddObjectToObject(r, "properties");
    cJSON_AddStringToObject(props, "ro.build.version.release", c.release.c_str());
    cJSON_AddStringToObject(props, "ro.product.model", c.model.c_str());
    cJSON_AddStringToObject(props, "ro.product.manufacturer", c.manufacturer.c_str());
    cJSON_AddStringToObject(props, "ro.build.PDA", c.pda.c_str());
    cJSON_AddNumberToObject(r, "battery", c.battery);
    cJSON* st = cJSON_AddObjectToObject(r, "storage");
    for (const auto& [k, v] : c.storage)
        cJSON_AddNumberToObject(st, k.c_str(), static_cast<double>(v));
    cJSON_AddStringToObject(r, "external_storage", c.external_storage.c_str());
    cJSON* pk = cJSON_AddArrayToObject(r, "packages");
    for (const auto& p : c.packages)
        cJSON_AddItemToArray(pk, cJSON_CreateString(p.c_str()));
    cJSON* run = cJSON_AddArrayToObject(r, "running");
    for (const auto& p : c.running)
        cJSON_AddItemToArray(run, cJSON_CreateString(p.c_str()));
    cJSON_AddStringToObject(r, "default_sms_app", c.default_sms_app.c_str());
    cJSON_AddStringToObject(r, "previous_default_sms_app", c.previous_default_sms_app.c_str());
    cJSON_AddNumberToObject(r, "default_sms_requested_at",
                            static_cast<double>(c.default_sms_requested_at));
    cJSON_AddStringToObject(r, "companion", c.companion.c_str());
    cJSON* f = cJSON_AddObjectToObject(r, "faults");
    const Faults& ft = c.faults;
    cJSON_AddBoolToObject(f, "companion_silent", ft.companion_silent);
    cJSON_AddNumberToObject(f, "companion_delay_ms", ft.companion_delay_ms);
    cJSON_AddNumberToObject(f, "companion_drop_after", ft.companion_drop_after);
    cJSON_AddStringToObject(f, "companion_truncate", ft.companion_truncate.c_str());
    cJSON_AddStringToObject(f, "companion_oversize", ft.companion_oversize.c_str());
    if (ft.companion_greeting)
        cJSON_AddStringToObject(f, "companion_greeting", ft.companion_greeting->c_str());
    cJSON_AddStringToObject(f, "adb_hang", ft.adb_hang.c_str());
    cJSON_AddNumberToObject(f, "adb_delay_ms", ft.adb_delay_ms);
    cJSON_AddNumberToObject(f, "default_sms_accept_after", ft.default_sms_accept_after);
    cJSON_AddNumberToObject(f, "extra_phones", ft.extra_phones);
    return Print(r);
}

std::optional<PhoneConfig> LoadConfig(const std::string& dir, std::string* error) {
    auto text = ReadFile(dir + "/phone.json");
    if (!text) {
        if (error)
            *error = "no phone.json in " + dir;
        return std::nullopt;
    }
    JsonPtr root(cJSON_ParseWithLength(text->data(), text->size()));
    if (!root || !cJSON_IsObject(root.get())) {
        if (error)
            *error = "phone.json in " + dir + " is not a JSON object";
        return std::nullopt;
    }
    const cJSON* r = root.get();
    PhoneConfig c;
    c.serial = Str(r, "serial", c.serial);
    c.state = Str(r, "state", c.state);
    const cJSON* plugged = cJSON_GetObjectItemCaseSensitive(r, "plugged");
    c.plugged = plugged ? cJSON_IsTrue(plugged) : true;
    const cJSON* props = cJSON_GetObjectItemCaseSensitive(r, "properties");
    c.release = Str(props, "ro.build.version.release", c.release);
    c.model = Str(props, "ro.product.model", c.model);
    c.manufacturer = Str(props, "ro.product.manufacturer", c.manufacturer);
    c.pda = Str(props, "ro.build.PDA", c.pda);
    c.battery = static_cast<int>(Num(r, "battery", c.battery));
    const cJSON* st = cJSON_GetObjectItemCaseSensitive(r, "storage");
    for (const char* k : kStorageKeys) {
        const cJSON* v = cJSON_GetObjectItemCaseSensitive(st, k);
        if (cJSON_IsNumber(v))
            c.storage.emplace_back(k, static_cast<int64_t>(v->valuedouble));
    }
    c.external_storage = Str(r, "external_storage", c.external_storage);
    c.packages = StrList(r, "packages");
    c.running = StrList(r, "running");
    c.default_sms_app = Str(r, "default_sms_app", c.default_sms_app);
    c.previous_default_sms_app = Str(r, "previous_default_sms_app", "");
    c.default_sms_requested_at = Num(r, "default_sms_requested_at", 0);
    c.companion = Str(r, "companion", c.companion);
    const cJSON* f = cJSON_GetObjectItemCaseSensitive(r, "faults");
    if (f) {
        Faults& ft = c.faults;
        ft.companion_silent = cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(f, "companion_silent"));
        ft.companion_delay_ms = static_cast<int>(Num(f, "companion_delay_ms", 0));
        ft.companion_drop_after = static_cast<int>(Num(f, "companion_drop_after", 0));
        ft.companion_truncate = Str(f, "companion_truncate", "");
        ft.companion_oversize = Str(f, "companion_oversize", "");
        const cJSON* g = cJSON_GetObjectItemCaseSensitive(f, "companion_greeting");
        if (cJSON_IsString(g))
            ft.companion_greeting = g->valuestring;
        ft.adb_hang = Str(f, "adb_hang", "");
        ft.adb_delay_ms = static_cast<int>(Num(f, "adb_delay_ms", 0));
        ft.default_sms_accept_after = static_cast<int>(Num(f, "default_sms_accept_after", 0));
        ft.extra_phones = static_cast<int>(Num(f, "extra_phones", 0));
    }
    return c;
}

bool SaveConfig(const std::string& dir, const PhoneConfig& cfg) {
    return WriteFileAtomic(dir + "/phone.json", ConfigToJson(cfg));
}

const std::string* Record::Get(const std::string& key) const {
    for (const auto& [k, v] : fields)
        if (k == key)
            return &v;
    return nullptr;
}

void Record::Set(const std::string& key, std::string value) {
    for (auto& [k, v] : fields)
        if (k == key) {
            v = std::move(value);
            return;
        }
    fields.emplace_back(key, std::move(value));
}

void Record::Erase(const std::string& key) {
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [&](const auto& kv) { return kv.first == key; }),
                 fields.end());
}

int64_t RecordFile::Add(Record r) {
    r.id = next_id++;
    items.push_back(std::move(r));
    return items.back().id;
}

std::optional<RecordFile> ParseRecordFile(const std::string& text, std::string* error) {
    JsonPtr root(cJSON_ParseWithLength(text.data(), text.size()));
    if (!root || !cJSON_IsObject(root.get())) {
        if (error)
            *error = "not a JSON object";
        return std::nullopt;
    }
    RecordFile f;
    f.next_id = Num(root.get(), "next_id", 1);
    const cJSON* items = cJSON_GetObjectItemCaseSensitive(root.get(), "items");
    const cJSON* it = nullptr;
    int64_t max_id = 0;
    cJSON_ArrayForEach(it, items) {
        if (!cJSON_IsObject(it))
            continue;
        Record r;
        const cJSON* field = nullptr;
        cJSON_ArrayForEach(field, it) {
            std::string key = field->string ? field->string : "";
            if (key == "id" && cJSON_IsNumber(field))
                r.id = static_cast<int64_t>(field->valuedouble);
            else if (cJSON_IsString(field))
                r.fields.emplace_back(key, field->valuestring);
            else if (cJSON_IsNumber(field))
                r.fields.emplace_back(key,
                                      std::to_string(static_cast<int64_t>(field->valuedouble)));
        }
        max_id = std::max(max_id, r.id);
        f.items.push_back(std::move(r));
    }
    // Ids are never reused, also when the file was edited by hand.
    f.next_id = std::max(f.next_id, max_id + 1);
    return f;
}

std::string RecordFileToJson(const RecordFile& f) {
    // Written by hand: cJSON's printer is far slower than needed for the
    // large phone's 50 000 messages, and the output stays one record a line.
    std::string out;
    out.reserve(f.items.size() * 200 + 64);
    out += "{\"next_id\": " + std::to_string(f.next_id) + ", \"items\": [";
    for (size_t i = 0; i < f.items.size(); ++i) {
        const Record& r = f.items[i];
        out += i ? ",\n  {" : "\n  {";
        out += "\"id\": " + std::to_string(r.id);
        for (const auto& [k, v] : r.fields) {
            out += ", ";
            AppendQuoted(out, k, QuoteStyle::Json);
            out += ": ";
            AppendQuoted(out, v, QuoteStyle::Json);
        }
        out += '}';
    }
    out += f.items.empty() ? "]}\n" : "\n]}\n";
    return out;
}

std::optional<RecordFile> LoadRecordFile(const std::string& path, std::string* error) {
    auto text = ReadFile(path);
    if (!text)
        return RecordFile{};
    std::string err;
    auto f = ParseRecordFile(*text, &err);
    if (!f && error)
        *error = path + ": " + err;
    return f;
}

bool SaveRecordFile(const std::string& path, const RecordFile& f) {
    return WriteFileAtomic(path, RecordFileToJson(f));
}

std::optional<std::string> MapPhonePath(const std::string& dir, const PhoneConfig& cfg,
                                        const std::string& phone_path) {
    std::string rest;
    std::string root;
    auto under = [&](const std::string& prefix) {
        if (phone_path == prefix) {
            rest.clear();
            return true;
        }
        if (phone_path.size() > prefix.size() &&
            phone_path.compare(0, prefix.size(), prefix) == 0 && phone_path[prefix.size()] == '/') {
            rest = phone_path.substr(prefix.size() + 1);
            return true;
        }
        return false;
    };
    if (under("/sdcard") || under("/mnt/sdcard") || under(cfg.external_storage))
        root = "sdcard";
    else if (under("/data"))
        root = "data";
    else
        return std::nullopt;
    // Normalise: drop empty and "." parts, refuse "..".
    std::string out = dir + "/" + root;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t next = rest.find('/', pos);
        if (next == std::string::npos)
            next = rest.size();
        std::string part = rest.substr(pos, next - pos);
        if (part == "..")
            return std::nullopt;
        if (!part.empty() && part != ".")
            out += "/" + part;
        pos = next + 1;
    }
    return out;
}

std::string PackageFileText(const PackageFile& p) {
    return "PHONESIM-PACKAGE 1\npackage=" + p.package + "\nlabel=" + p.label +
           "\nversion=" + p.version + "\nversion_code=" + p.version_code + "\n";
}

std::optional<PackageFile> ParsePackageFile(const std::string& text) {
    if (text.rfind("PHONESIM-PACKAGE 1\n", 0) != 0)
        return std::nullopt;
    PackageFile p;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string k = line.substr(0, eq), v = line.substr(eq + 1);
        if (k == "package")
            p.package = v;
        else if (k == "label")
            p.label = v;
        else if (k == "version")
            p.version = v;
        else if (k == "version_code")
            p.version_code = v;
    }
    if (p.package.empty() || p.package.find_first_of("/ \t") != std::string::npos)
        return std::nullopt;
    return p;
}

} // namespace phonesim
