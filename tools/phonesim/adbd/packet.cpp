#include "packet.h"

#include <cstring>

namespace phonesim::adbd {

namespace {

uint32_t Word(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}

void PutWord(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool KnownCommand(uint32_t c) {
    return c == kCnxn || c == kAuth || c == kOpen || c == kOkay || c == kClse || c == kWrte ||
           c == kStls;
}

std::string Clean(std::string s) {
    for (char& c : s)
        if (c == ';' || c == '=' || c == '\0')
            c = '_';
    return s;
}

} // namespace

const char* PacketErrorText(PacketError e) {
    switch (e) {
    case PacketError::None:
        return "none";
    case PacketError::BadMagic:
        return "bad magic";
    case PacketError::TooLong:
        return "payload over the negotiated maximum";
    case PacketError::BadChecksum:
        return "bad payload checksum";
    case PacketError::UnknownCommand:
        return "unknown command";
    }
    return "?";
}

uint32_t PayloadSum(std::string_view data) {
    uint32_t sum = 0;
    for (unsigned char c : data)
        sum += c;
    return sum;
}

std::string EncodePacket(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view data) {
    std::string out;
    out.reserve(kHeaderSize + data.size());
    PutWord(out, command);
    PutWord(out, arg0);
    PutWord(out, arg1);
    PutWord(out, static_cast<uint32_t>(data.size()));
    PutWord(out, PayloadSum(data));
    PutWord(out, command ^ 0xffffffffU);
    out.append(data);
    return out;
}

void PacketReader::Feed(std::string_view bytes) {
    if (error_ != PacketError::None)
        return;
    if (pos_ > 0 && pos_ == buf_.size()) {
        buf_.clear();
        pos_ = 0;
    } else if (pos_ > (1u << 16) && pos_ > buf_.size() / 2) {
        buf_.erase(0, pos_);
        pos_ = 0;
    }
    buf_.append(bytes);
}

std::optional<Packet> PacketReader::Next() {
    if (error_ != PacketError::None || buf_.size() - pos_ < kHeaderSize)
        return std::nullopt;
    const char* h = buf_.data() + pos_;
    const uint32_t command = Word(h);
    const uint32_t length = Word(h + 12);
    if (Word(h + 20) != (command ^ 0xffffffffU)) {
        error_ = PacketError::BadMagic;
        return std::nullopt;
    }
    if (!KnownCommand(command)) {
        error_ = PacketError::UnknownCommand;
        return std::nullopt;
    }
    if (length > max_payload_) {
        error_ = PacketError::TooLong;
        return std::nullopt;
    }
    if (buf_.size() - pos_ - kHeaderSize < length)
        return std::nullopt;
    Packet p;
    p.command = command;
    p.arg0 = Word(h + 4);
    p.arg1 = Word(h + 8);
    p.data.assign(h + kHeaderSize, length);
    if (check_sum_ && PayloadSum(p.data) != Word(h + 16)) {
        error_ = PacketError::BadChecksum;
        return std::nullopt;
    }
    pos_ += kHeaderSize + length;
    return p;
}

std::optional<Banner> ParseBanner(std::string_view text) {
    // "kind:serial:props", props "k=v;k=v;...", features a comma list.
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    size_t c1 = text.find(':');
    if (c1 == std::string_view::npos)
        return std::nullopt;
    size_t c2 = text.find(':', c1 + 1);
    if (c2 == std::string_view::npos)
        return std::nullopt;
    Banner b;
    b.kind = std::string(text.substr(0, c1));
    std::string_view rest = text.substr(c2 + 1);
    while (!rest.empty()) {
        size_t semi = rest.find(';');
        std::string_view field = rest.substr(0, semi);
        rest = semi == std::string_view::npos ? std::string_view{} : rest.substr(semi + 1);
        size_t eq = field.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string key(field.substr(0, eq)), value(field.substr(eq + 1));
        if (key == "features") {
            size_t start = 0;
            while (start <= value.size()) {
                size_t comma = value.find(',', start);
                if (comma == std::string::npos)
                    comma = value.size();
                if (comma > start)
                    b.features.push_back(value.substr(start, comma - start));
                start = comma + 1;
            }
        }
        b.props.emplace_back(std::move(key), std::move(value));
    }
    return b;
}

std::string DeviceBanner(const std::string& product, const std::string& model,
                         const std::string& device, const std::vector<std::string>& features) {
    std::string out = "device::ro.product.name=" + Clean(product) +
                      ";ro.product.model=" + Clean(model) + ";ro.product.device=" + Clean(device) +
                      ";features=";
    for (size_t i = 0; i < features.size(); ++i)
        out += (i ? "," : "") + features[i];
    return out;
}

std::string OpenDestination(std::string_view data) {
    size_t nul = data.find('\0');
    return std::string(data.substr(0, nul));
}

SyncHeader ParseSyncHeader(std::string_view eight_bytes) {
    SyncHeader h;
    if (eight_bytes.size() < 8)
        return h;
    h.id.assign(eight_bytes.data(), 4);
    h.length = Word(eight_bytes.data() + 4);
    return h;
}

std::string SyncMessage(const char* id, uint32_t value, std::string_view data) {
    std::string out(id, 4);
    PutWord(out, value);
    out.append(data);
    return out;
}

std::optional<std::pair<std::string, uint32_t>> ParseSendTarget(std::string_view text) {
    size_t comma = text.rfind(',');
    if (comma == std::string_view::npos || comma == 0 || comma + 1 >= text.size())
        return std::nullopt;
    uint64_t mode = 0;
    for (char c : text.substr(comma + 1)) {
        if (c < '0' || c > '9' || mode > 0xffffffffULL / 10)
            return std::nullopt;
        mode = mode * 10 + static_cast<uint64_t>(c - '0');
    }
    if (mode > 0xffffffffULL)
        return std::nullopt;
    return std::make_pair(std::string(text.substr(0, comma)), static_cast<uint32_t>(mode));
}

std::optional<std::vector<std::string>> ShellWords(std::string_view line) {
    std::vector<std::string> words;
    std::string cur;
    bool in_word = false;
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                cur += c;
            continue;
        }
        if (quote == '"') {
            if (c == '"')
                quote = 0;
            else if (c == '\\' && i + 1 < line.size() &&
                     std::strchr("\"\\$`", line[i + 1]) != nullptr)
                cur += line[++i];
            else
                cur += c;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (in_word)
                words.push_back(cur);
            cur.clear();
            in_word = false;
            continue;
        }
        in_word = true;
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == '\\' && i + 1 < line.size())
            cur += line[++i];
        else
            cur += c;
    }
    if (quote)
        return std::nullopt;
    if (in_word)
        words.push_back(cur);
    return words;
}

} // namespace phonesim::adbd
