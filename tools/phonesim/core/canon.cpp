#include "canon.h"

#include "media.h"
#include "phone.h"
#include "records.h"
#include "util.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace phonesim {

std::string QuoteText(const std::string& s) {
    std::string out;
    AppendQuoted(out, s, QuoteStyle::Plain);
    return out;
}

std::string CanonItem::Line() const {
    std::string out = kind;
    for (const auto& [k, v] : fields)
        out += " " + k + "=" + QuoteText(v);
    return out;
}

namespace {

void AddRecords(const RecordFile& f, const char* kind, const std::vector<std::string>& ignore,
                const std::vector<std::string>& pair_keys, const CanonOptions& opt,
                std::vector<CanonItem>& out) {
    for (const Record& r : f.items) {
        CanonItem it;
        it.kind = kind;
        for (const auto& [k, v] : r.fields) {
            if (std::find(ignore.begin(), ignore.end(), k) != ignore.end())
                continue;
            if (v.empty() && !opt.strict)
                continue;
            it.fields.emplace_back(k, v);
        }
        std::sort(it.fields.begin(), it.fields.end());
        for (const auto& pk : pair_keys) {
            const std::string* v = r.Get(pk);
            it.pair_key += (v ? *v : std::string()) + '\x1f';
        }
        out.push_back(std::move(it));
    }
}

} // namespace

std::optional<std::vector<CanonItem>>
CanonicalContents(const std::string& dir, const CanonOptions& opt, std::string* error) {
    std::vector<CanonItem> out;
    struct Src {
        const char* file;
        const char* kind;
        std::vector<std::string> ignore;
        std::vector<std::string> pair;
    };
    const Src srcs[] = {
        {"contacts.json", "contact", {}, {"name"}},
        {"sms.json", "sms", {"thread_id"}, {"address", "date"}},
        {"calllog.json", "call", {}, {"number", "date"}},
        {"apps.json",
         "app",
         {"installtime", "lastupdatetime", "codesize", "totalsize", "datasize", "cachseze",
          "sdcardapp"},
         {"pkg"}},
    };
    for (const Src& s : srcs) {
        std::string err;
        auto f = LoadRecordFile(dir + "/" + s.file, &err);
        if (!f) {
            if (error)
                *error = err;
            return std::nullopt;
        }
        AddRecords(*f, s.kind, s.ignore, s.pair, opt, out);
    }
    // Package files of the apps.
    for (CanonItem& it : out) {
        if (it.kind != "app")
            continue;
        std::string pkg = it.pair_key.substr(0, it.pair_key.size() - 1);
        auto apk = ReadFile(dir + "/data/app/" + pkg + "-1.apk");
        char buf[32];
        std::snprintf(buf, sizeof buf, "%016llx",
                      static_cast<unsigned long long>(apk ? Fnv1a64(*apk) : 0));
        it.fields.emplace_back("apk", apk ? std::string(buf) : "missing");
        std::sort(it.fields.begin(), it.fields.end());
    }
    // Media: by file name and content, wherever the file lies.
    MediaIndex index;
    index.Scan(dir + "/sdcard");
    for (const MediaItem& m : index.items) {
        auto data = ReadFile(dir + "/sdcard/" + m.rel);
        if (!data)
            continue;
        CanonItem it;
        it.kind = MediaKindName(m.kind);
        std::string name = m.rel.substr(m.rel.rfind('/') + 1);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(Fnv1a64(*data)));
        it.fields = {{"content", buf}, {"name", name}, {"size", std::to_string(data->size())}};
        it.pair_key = name;
        out.push_back(std::move(it));
    }
    std::sort(out.begin(), out.end(), [](const CanonItem& x, const CanonItem& y) {
        return x.kind != y.kind ? x.kind < y.kind : x.Line() < y.Line();
    });
    return out;
}

std::vector<std::string> DiffContents(const std::vector<CanonItem>& a,
                                      const std::vector<CanonItem>& b) {
    std::vector<std::string> report;
    // Multiset difference by full line.
    std::map<std::string, std::vector<const CanonItem*>> in_b;
    for (const CanonItem& it : b)
        in_b[it.Line()].push_back(&it);
    std::vector<const CanonItem*> only_a;
    for (const CanonItem& it : a) {
        auto f = in_b.find(it.Line());
        if (f != in_b.end() && !f->second.empty())
            f->second.pop_back();
        else
            only_a.push_back(&it);
    }
    std::vector<const CanonItem*> only_b;
    for (auto& [line, v] : in_b)
        for (const CanonItem* it : v)
            only_b.push_back(it);
    std::sort(only_b.begin(), only_b.end(), [](const CanonItem* x, const CanonItem* y) {
        return x->kind != y->kind ? x->kind < y->kind : x->Line() < y->Line();
    });
    // Pair what changed.
    std::vector<bool> used(only_b.size(), false);
    for (const CanonItem* x : only_a) {
        size_t match = only_b.size();
        for (size_t j = 0; j < only_b.size(); ++j)
            if (!used[j] && only_b[j]->kind == x->kind && only_b[j]->pair_key == x->pair_key) {
                match = j;
                break;
            }
        if (match == only_b.size()) {
            report.push_back("only in A: " + x->Line());
            continue;
        }
        used[match] = true;
        const CanonItem* y = only_b[match];
        std::string label = x->pair_key;
        std::replace(label.begin(), label.end(), '\x1f', ' ');
        while (!label.empty() && label.back() == ' ')
            label.pop_back();
        std::map<std::string, std::pair<const std::string*, const std::string*>> fields;
        for (const auto& [k, v] : x->fields)
            fields[k].first = &v;
        for (const auto& [k, v] : y->fields)
            fields[k].second = &v;
        for (const auto& [k, pv] : fields) {
            if (pv.first && pv.second && *pv.first == *pv.second)
                continue;
            report.push_back("changed " + x->kind + " " + QuoteText(label) + ": " + k + ": " +
                             (pv.first ? QuoteText(*pv.first) : "(missing)") + " -> " +
                             (pv.second ? QuoteText(*pv.second) : "(missing)"));
        }
    }
    for (size_t j = 0; j < only_b.size(); ++j)
        if (!used[j])
            report.push_back("only in B: " + only_b[j]->Line());
    return report;
}

} // namespace phonesim
