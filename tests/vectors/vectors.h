// Reader of the shared test vectors (framing.txt, records.txt): the
// companion's wire format as the emulator writes it and the library reads it.
// Header-only, no dependencies beyond the standard library.
//
//   auto cases = testvectors::Load(TARVELL_VECTORS_DIR "/records.txt");
//   for (const auto& c : cases) { c.Get("text"); c.records[0].Get("ID"); }
//
// Quoted values use C escapes (\n \t \\ \" \xNN) and are returned as raw
// bytes; "body" and "frame" are returned as hex text (see Unhex).
#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace testvectors {

struct Fields {
    std::vector<std::pair<std::string, std::string>> items; // in file order
    const std::string* Get(const std::string& key) const {
        for (const auto& kv : items)
            if (kv.first == key)
                return &kv.second;
        return nullptr;
    }
};

struct Case {
    std::string name;
    Fields attrs;                // kind, origin, text, body, frame, value, records
    std::vector<Fields> records; // decoded records, fields by tag
    std::string Get(const std::string& key) const {
        const std::string* v = attrs.Get(key);
        return v ? *v : std::string();
    }
};

inline std::string Unquote(const std::string& q) {
    if (q.size() < 2 || q.front() != '"' || q.back() != '"')
        return q;
    std::string out;
    for (size_t i = 1; i + 1 < q.size(); ++i) {
        char c = q[i];
        if (c != '\\' || i + 2 >= q.size()) {
            out += c;
            continue;
        }
        char e = q[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x':
            if (i + 2 < q.size()) {
                out += static_cast<char>(std::stoi(q.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
            break;
        default:
            out += e;
            break;
        }
    }
    return out;
}

inline std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline std::vector<Case> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open test vectors " + path);
    std::vector<Case> out;
    std::optional<Case> cur;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t sp = line.find(' ');
        std::string key = line.substr(0, sp);
        std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        if (key == "case") {
            cur = Case{};
            cur->name = rest;
        } else if (!cur) {
            throw std::runtime_error("test vectors: line outside a case: " + line);
        } else if (key == "end") {
            out.push_back(std::move(*cur));
            cur.reset();
        } else if (key == "record") {
            cur->records.emplace_back();
        } else if (key == "field") {
            size_t sp2 = rest.find(' ');
            if (cur->records.empty() || sp2 == std::string::npos)
                throw std::runtime_error("test vectors: bad field line: " + line);
            cur->records.back().items.emplace_back(rest.substr(0, sp2),
                                                   Unquote(rest.substr(sp2 + 1)));
        } else {
            cur->attrs.items.emplace_back(key, Unquote(rest));
        }
    }
    return out;
}

} // namespace testvectors
