#include "generate.h"

#include "media.h"
#include "phone.h"
#include "png.h"
#include "util.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <sys/time.h>

namespace phonesim {

namespace {

struct Preset {
    int contacts, messages, conversations, calls, photos, music, videos, apps;
    bool big_photos;
};

bool PresetOf(const std::string& name, Preset* p) {
    if (name == "empty")
        *p = {0, 0, 0, 0, 0, 0, 0, 0, false};
    else if (name == "tiny")
        *p = {6, 14, 4, 8, 4, 2, 1, 2, false};
    else if (name == "small")
        *p = {200, 1200, 80, 300, 30, 8, 3, 10, false};
    else if (name == "large")
        *p = {10000, 50000, 3000, 10000, 2000, 300, 30, 80, true};
    else
        return false;
    return true;
}

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
    uint64_t Next() {
        // splitmix64: the same sequence on every platform.
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, size_t N> const T& Pick(const T (&a)[N]) { return a[Below(N)]; }

private:
    uint64_t s_;
};

const char* const kGiven[] = {
    "Anna", "José",   "Zoë",   "Łukasz", "Søren",   "François", "Mehmet", "Aoife", "Nguyễn", "伟",
    "芳",   "娜",     "Иван",  "Мария",  "Γιώργος", "محمد",     "فاطمة",  "अमित",  "さくら", "지민",
    "Olu",  "Ingrid", "Kwame", "Raúl",   "Chloé",   "Dmitri",   "Leïla",  "Björn"};
const char* const kFamily[] = {"Smith",  "García", "Müller",       "O'Brien", "Kowalski",
                               "Dubois", "Rossi",  "Tanaka",       "张",      "王",
                               "李",     "Петров", "Παπαδόπουλος", "الحسن",   "शर्मा",
                               "田中",   "김",     "van der Berg", "Núñez",   "Ødegård"};
// Names real phones hold and naive code mishandles.
const char* const kHostileNames[] = {
    "Smith, John", "\"Big\" Mike", "-rf",         "$(reboot)",  "..",
    "  padded  ",  "Line\nBreak",  "😀 Emoji Fan", "Ünïcödé Ça", "'; DROP TABLE contacts; --",
    "Tab\there",   "🙂",         "Mom ❤️",  "a,b,\"c\"",  "%s%n%d",
    "<b>bold</b>", "\\back\\slash"};
const char* const kBodies[] = {"Hi! Are we still on for tonight?",
                               "OK",
                               "On my way 🚗",
                               "好的，明天见。",
                               "Привет! Как дела?",
                               "Καλημέρα!",
                               "مرحبا، كيف حالك؟",
                               "नमस्ते, आप कैसे हैं?",
                               "了解です。よろしくお願いします。",
                               "Your code is 482913. Do not share it.",
                               "Meeting moved to 3pm, room \"B\", bring the slides, please",
                               "Line one\nLine two\nLine three",
                               "😂😂😂",
                               "👍",
                               "Call me when you can, it's urgent",
                               "Price: $19.99, 20% off; see https://example.org/deal?a=1&b=2",
                               "Tab\tseparated\tvalues",
                               "Quote: \"to be, or not to be\"",
                               "$(rm -rf /)",
                               "Ünïcödé everywhere: ñ ü ø å ß ç",
                               "Happy birthday!!! 🎂🎉🎈"};
const char* const kNotes[] = {"Met at the conference, 2019",
                              "Allergic to nuts; bring cake",
                              "Line1\nLine2",
                              "Says \"hello\" a lot",
                              "备注：老同学",
                              "Заметка",
                              "🎸 band mate",
                              ""};
const char* const kStreets[] = {"1 Main St, Springfield", "Rue de la Paix 12, 75002 Paris",
                                "北京市朝阳区建国路88号", "Flat 3, 22 \"Old\" Road\nLondon",
                                "ул. Ленина, д. 5"};

std::string Fmt(const char* f, int a, int b = 0, int c = 0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
}

// A phone number in one of the notations real phones hold; unique per index.
std::string Number(int style, int n) {
    switch (style % 7) {
    case 0:
        return Fmt("+86 138-%04d-%04d", 13 + n / 10000, n % 10000);
    case 1:
        return Fmt("(555) %03d-%04d", 10 + n / 10000, n % 10000);
    case 2:
        return Fmt("+44 20 79%02d %04d", 46 + n / 10000, n % 10000);
    case 3:
        return Fmt("0171 %03d%04d", 123 + n / 10000, n % 10000);
    case 4:
        return Fmt("+1-202-5%02d-%04d", 55 + n / 10000, n % 10000);
    case 5:
        return Fmt("+49 151 %02d %06d", 12 + n / 100000, n % 100000);
    default:
        return Fmt("+33 6 %02d %02d %04d", 12 + n / 1000000, (n / 10000) % 100, n % 10000);
    }
}

std::string DateText(Rng& r) {
    // 2016 .. 2023, daytime only so the text maps to one local time.
    int year = r.Range(2016, 2023), month = r.Range(1, 12), day = r.Range(1, 28);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                  r.Range(8, 21), r.Below(60), r.Below(60));
    return buf;
}

std::string DateTextAt(int64_t base_day, int64_t seconds) {
    // base_day: days since 2016-01-01; seconds within the day (daytime).
    struct tm tm {};
    tm.tm_year = 116;
    tm.tm_mon = 0;
    tm.tm_mday = 1 + static_cast<int>(base_day);
    tm.tm_hour = 12;
    timegm(&tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return buf;
}

bool WriteBytes(const std::string& path, const std::string& data, int64_t mtime,
                std::string* error) {
    if (!WriteFileAtomic(path, data)) {
        *error = "cannot write " + path;
        return false;
    }
    if (mtime > 0) {
        timeval tv[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
        ::utimes(path.c_str(), tv);
    }
    return true;
}

std::string Encode(const QImage& img, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format, quality);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QImage Picture(int w, int h, Rng& r) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor::fromHsv(r.Below(360), 120 + r.Below(100), 150 + r.Below(100)));
    g.setColorAt(1, QColor::fromHsv(r.Below(360), 80 + r.Below(100), 60 + r.Below(150)));
    p.fillRect(0, 0, w, h, g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor::fromHsv(r.Below(360), 180, 220, 160));
        int d = std::max(4, std::min(w, h) / r.Range(3, 8));
        p.drawEllipse(r.Below(std::max(1, w - d)), r.Below(std::max(1, h - d)), d, d);
    }
    p.end();
    return img;
}

// Marks one copy of a base picture so every photo file differs.
std::string Tagged(const std::string& base, bool png, const std::string& tag) {
    if (png) {
        std::string data = "Comment";
        data += '\0';
        data += tag;
        std::string chunk;
        auto put32 = [&](uint32_t v) {
            for (int s = 24; s >= 0; s -= 8)
                chunk += static_cast<char>((v >> s) & 0xFF);
        };
        put32(static_cast<uint32_t>(data.size()));
        std::string body = "tEXt" + data;
        chunk += body;
        put32(Crc32(body));
        return base.substr(0, 33) + chunk + base.substr(33);
    }
    std::string seg = "\xFF\xFE";
    size_t len = tag.size() + 2;
    seg += static_cast<char>(len >> 8);
    seg += static_cast<char>(len & 0xFF);
    seg += tag;
    return base.substr(0, 2) + seg + base.substr(2);
}

std::string Mp3(const std::string& title, const std::string& artist, const std::string& album,
                int seconds) {
    auto frame = [](const char* id, const std::string& text) {
        std::string f = id;
        uint32_t size = static_cast<uint32_t>(text.size() + 1);
        for (int s = 24; s >= 0; s -= 8)
            f += static_cast<char>((size >> s) & 0xFF);
        f += std::string("\0\0\x03", 3); // flags, UTF-8
        f += text;
        return f;
    };
    std::string tags = frame("TIT2", title) + frame("TPE1", artist) + frame("TALB", album);
    std::string out = "ID3";
    out += std::string("\x04\x00\x00", 3);
    uint32_t n = static_cast<uint32_t>(tags.size());
    for (int s = 21; s >= 0; s -= 7)
        out += static_cast<char>((n >> s) & 0x7F);
    out += tags;
    // MPEG-1 layer III, 32 kbit/s, 44.1 kHz, mono: 104-byte frames of silence.
    std::string fr(104, '\0');
    fr[0] = '\xFF';
    fr[1] = '\xFB';
    fr[2] = '\x10';
    fr[3] = '\xC0';
    int frames = seconds * 44100 / 1152;
    out.reserve(out.size() + static_cast<size_t>(frames) * 104);
    for (int i = 0; i < frames; ++i)
        out += fr;
    return out;
}

std::string Mp4(Rng& r, size_t size) {
    std::string out("\0\0\0\x18"
                    "ftypisom\0\0\x02\0isomiso2",
                    24);
    size_t body = size > 32 ? size - 32 : 0;
    uint32_t box = static_cast<uint32_t>(body + 8);
    for (int s = 24; s >= 0; s -= 8)
        out += static_cast<char>((box >> s) & 0xFF);
    out += "mdat";
    out.reserve(size);
    while (out.size() < size) {
        uint64_t v = r.Next();
        out.append(reinterpret_cast<const char*>(&v), std::min<size_t>(8, size - out.size()));
    }
    return out;
}

bool DirEmptyOrMissing(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return true;
    bool empty = true;
    while (dirent* e = ::readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            empty = false;
    ::closedir(d);
    return empty;
}

} // namespace

std::string UmockdevDescription(const std::string& serial, const std::string& model) {
    const std::string dev = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
    return "P: " + dev +
           "\nN: bus/usb/001/002\nE: DEVNAME=/dev/bus/usb/001/002\nE: DEVTYPE=usb_device\n"
           "E: DRIVER=usb\nE: PRODUCT=18d1/4ee7/440\nE: TYPE=0/0/0\nE: BUSNUM=001\nE: DEVNUM=002\n"
           "E: MAJOR=189\nE: MINOR=1\nE: SUBSYSTEM=usb\nE: ID_SERIAL_SHORT=" +
           serial +
           "\nA: idVendor=18d1\nA: idProduct=4ee7\nA: bcdDevice=0440\nA: serial=" + serial +
           "\nA: manufacturer=Phonesim\nA: product=" + model +
           "\nA: bDeviceClass=00\nA: bNumInterfaces= 1\nA: busnum=1\nA: devnum=2\nA: speed=480\n\n"
           "P: " +
           dev +
           "/1-1:1.0\nE: DEVTYPE=usb_interface\nE: PRODUCT=18d1/4ee7/440\n"
           "E: TYPE=0/0/0\nE: INTERFACE=255/66/1\nE: SUBSYSTEM=usb\n"
           "A: bInterfaceClass=ff\nA: bInterfaceSubClass=42\nA: bInterfaceProtocol=01\n"
           "A: bInterfaceNumber=00\nA: bNumEndpoints=02\nA: interface=ADB Interface\n";
}

bool GeneratePhone(const std::string& preset_name, uint64_t seed, const std::string& dir,
                   std::string* error) {
    Preset p{};
    if (!PresetOf(preset_name, &p)) {
        *error = "unknown preset '" + preset_name + "' (empty, tiny, small or large)";
        return false;
    }
    if (!DirEmptyOrMissing(dir)) {
        *error = dir + " is not empty";
        return false;
    }
    const std::string sd = dir + "/sdcard";
    for (const char* sub : {"", "/DCIM/Camera", "/DCIM/.thumbnails", "/Pictures/Screenshots",
                            "/Download", "/Music", "/Movies", "/Images", "/Videos"})
        if (!MakeDirs(sd + sub)) {
            *error = "cannot create " + sd + sub;
            return false;
        }
    if (!MakeDirs(dir + "/data/app")) {
        *error = "cannot create " + dir + "/data/app";
        return false;
    }
    Rng r(seed);

    PhoneConfig cfg;
    char serial[32];
    std::snprintf(serial, sizeof serial, "PSIM%08llX",
                  static_cast<unsigned long long>(Fnv1a64(std::to_string(seed)) & 0xFFFFFFFFULL));
    cfg.serial = serial;
    cfg.release = preset_name == "tiny" ? "4.4.2" : "11";
    cfg.model = "Simulated " + preset_name;
    cfg.battery = r.Range(15, 100);
    int64_t gib = 1LL << 30;
    cfg.storage = {{"MEMTOTAL", 4 * gib},    {"MEMAVAIL", gib + r.Below(1 << 30)},
                   {"SDTOTAL", 64 * gib},    {"SDAVAIL", 20 * gib},
                   {"PHONETOTAL", 32 * gib}, {"PHONEAVAIL", 9 * gib}};
    cfg.packages = {"android",
                    "com.android.phone",
                    "com.android.messaging",
                    "com.android.settings",
                    "com.android.systemui",
                    "com.android.providers.telephony"};

    // Contacts.
    RecordFile contacts;
    std::vector<std::pair<std::string, std::string>> known; // number, name
    for (int i = 0; i < p.contacts; ++i) {
        Record c;
        std::string name;
        if (i % 23 == 5)
            name = r.Pick(kHostileNames);
        else
            name = std::string(r.Pick(kGiven)) + " " + r.Pick(kFamily);
        if (i % 41 == 7)
            name.clear(); // empty name
        if (i % 43 != 11)
            c.Set("name", name); // else: missing name
        std::string mobile = Number(i, 100000 + i);
        c.Set("phone_phone", mobile);
        if (r.Chance(30))
            c.Set("phone_home", Number(i + 3, 300000 + i));
        if (r.Chance(20))
            c.Set("phone_work", Number(i + 5, 500000 + i));
        if (r.Chance(5))
            c.Set("phone_homefax", Number(i + 1, 700000 + i));
        if (r.Chance(3))
            c.Set("phone_workfax", Number(i + 2, 800000 + i));
        if (r.Chance(35))
            c.Set("email_home", Fmt("user%d@example.org", i));
        if (r.Chance(10))
            c.Set("email_work", Fmt("u%d@corp.example.com", i));
        if (r.Chance(15))
            c.Set("note", r.Pick(kNotes));
        if (r.Chance(8))
            c.Set("website", Fmt("https://example.net/~u%d", i));
        if (r.Chance(10))
            c.Set("nickname", r.Pick(kGiven));
        if (r.Chance(10))
            c.Set("address_home", r.Pick(kStreets));
        if (r.Chance(5))
            c.Set("address_work", r.Pick(kStreets));
        if (r.Chance(12))
            c.Set("birthday",
                  Fmt("%04d-%02d-%02d", r.Range(1950, 2010), r.Range(1, 12), r.Range(1, 28)));
        if (r.Chance(12))
            c.Set("org_name", i % 2 ? "Acme, Inc." : "株式会社サンプル");
        if (r.Chance(8))
            c.Set("org_title", i % 2 ? "Engineer \"Senior\"" : "Директор");
        if (const std::string* n = c.Get("name"); n && !n->empty())
            known.emplace_back(mobile, *n);
        contacts.Add(std::move(c));
    }

    // Messages, in conversations.
    RecordFile sms;
    const char* const kShortCodes[] = {"10086", "95588", "22395", "7726", "40404"};
    for (int conv = 0; conv < p.conversations; ++conv) {
        int count = p.messages / p.conversations + (conv < p.messages % p.conversations ? 1 : 0);
        std::string address;
        int pick = r.Below(10);
        if (pick < 6 && !known.empty())
            address = known[static_cast<size_t>(r.Below(static_cast<int>(known.size())))].first;
        else if (pick < 8)
            address = r.Pick(kShortCodes);
        else
            address = Number(conv + 4, 900000 + conv);
        int64_t day = r.Below(2500);
        int64_t sec = 8 * 3600;
        for (int m = 0; m < count; ++m) {
            Record s;
            s.Set("thread_id", std::to_string(conv + 1));
            s.Set("address", address);
            sec += r.Range(20, 1800);
            if (sec > 21 * 3600) {
                day += 1 + r.Below(20);
                sec = 8 * 3600 + r.Below(3600);
            }
            s.Set("date", DateTextAt(day, sec));
            s.Set("protocol", "0");
            bool sent = r.Chance(45);
            s.Set("read", sent || r.Chance(85) ? "1" : "0");
            s.Set("status", "-1");
            std::string body = r.Pick(kBodies);
            if (r.Chance(3))
                body.clear();
            else if (r.Chance(4))
                for (int k = 0; k < 6; ++k)
                    body += std::string(" ") + r.Pick(kBodies);
            s.Set("body", body);
            s.Set("type", sent ? "2" : "1");
            sms.Add(std::move(s));
        }
    }

    // Call log.
    RecordFile calls;
    for (int i = 0; i < p.calls; ++i) {
        Record c;
        std::string number, name;
        if (r.Chance(65) && !known.empty()) {
            const auto& k = known[static_cast<size_t>(r.Below(static_cast<int>(known.size())))];
            number = k.first;
            name = k.second;
        } else {
            number =
                r.Chance(20) ? std::string(r.Pick(kShortCodes)) : Number(i + 2, 950000 + i % 40000);
        }
        if (!name.empty())
            c.Set("name", name);
        c.Set("number", number);
        int type = r.Range(1, 3);
        c.Set("type", std::to_string(type));
        c.Set("duration", std::to_string(type == 3 ? 0 : r.Range(1, 3600)));
        c.Set("date", DateText(r));
        calls.Add(std::move(c));
    }

    // Photos: a few rendered pictures, each copy marked so every file differs.
    MediaIndex media;
    struct Base {
        std::string bytes, thumb;
        bool png;
    };
    std::vector<Base> bases;
    const char* const kHostileFiles[] = {
        "-rf",      "a..b",      "it's me", "$(reboot)",
        "my photo", "照片 2019", "🎉 party", "comma, and \"quote\""};
    for (int i = 0; i < p.photos; ++i) {
        if (bases.size() < 12 && static_cast<int>(bases.size()) <= i) {
            int w, h;
            if (p.big_photos) {
                int mp = 1 + static_cast<int>(bases.size()) % 12; // 1 .. 12 MP
                w = static_cast<int>(std::sqrt(mp * 1e6 * 4 / 3));
                h = w * 3 / 4;
                if (bases.size() % 3 == 1)
                    std::swap(w, h);
            } else {
                w = r.Range(16, 1600);
                h = r.Range(16, 1200);
            }
            bool png = bases.size() % 4 == 3 && static_cast<int64_t>(w) * h <= 1200 * 900;
            QImage img = Picture(w, h, r);
            bases.push_back({Encode(img, png ? "PNG" : "JPEG", png ? -1 : 60),
                             Encode(img.scaled(128, 128, Qt::KeepAspectRatio), "JPEG", 80), png});
        }
        const Base& b = bases[static_cast<size_t>(i) % bases.size()];
        std::string date = DateText(r);
        std::string stem;
        if (i % 17 == 3)
            stem = std::string(kHostileFiles[(i / 17) % 8]) + " " + std::to_string(i);
        else
            stem = "IMG_" + date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2) + "_" +
                   date.substr(11, 2) + date.substr(14, 2) + date.substr(17, 2) + "_" +
                   std::to_string(i);
        const char* folder =
            i % 10 == 9 ? "Pictures/Screenshots" : (i % 10 == 8 ? "Download" : "DCIM/Camera");
        std::string rel = std::string(folder) + "/" + stem + (b.png ? ".png" : ".jpg");
        int64_t mtime = ParseLocalDateText(date).value_or(1500000000);
        if (!WriteBytes(sd + "/" + rel,
                        Tagged(b.bytes, b.png, "phonesim photo " + std::to_string(i)), mtime,
                        error))
            return false;
        MediaItem& m = media.Register(sd, rel, MediaKind::Photo);
        m.created = mtime;
        if (!WriteBytes(sd + "/DCIM/.thumbnails/" + std::to_string(m.id) + ".jpg", b.thumb, 0,
                        error))
            return false;
    }

    const char* const kArtists[] = {"The Examples",       "Анна Петрова",  "周杰",
                                    "Los Ñandúes",        "AC/DC Tribute", "Björk-ish",
                                    "\"Weird\" Al Sample"};
    const char* const kAlbums[] = {"Greatest Hits", "夜曲", "Live, Loud & Proud", "Unplugged",
                                   "Best Of 😎"};
    for (int i = 0; i < p.music; ++i) {
        int seconds = p.big_photos ? r.Range(30, 180) : r.Range(3, 20);
        std::string artist = r.Pick(kArtists), album = r.Pick(kAlbums);
        std::string title = i % 11 == 4 ? std::string(kHostileFiles[(i / 11) % 8])
                                        : "Track " + std::to_string(i + 1) + " " + r.Pick(kGiven);
        std::string rel = "Music/" + title + " - " + std::to_string(i) + ".mp3";
        std::replace(rel.begin() + 6, rel.end(), '/', '_');
        int64_t mtime = ParseLocalDateText(DateText(r)).value_or(1500000000);
        if (!WriteBytes(sd + "/" + rel, Mp3(title, artist, album, seconds), mtime, error))
            return false;
        MediaItem& m = media.Register(sd, rel, MediaKind::Music);
        m.created = mtime;
        m.title = title;
        m.artist = artist;
        m.album = album;
        m.album_id = 1 + static_cast<int64_t>(Fnv1a64(album) % 1000);
        m.duration = seconds;
    }
    for (int i = 0; i < p.videos; ++i) {
        size_t size = p.big_photos ? static_cast<size_t>(r.Range(500, 3000)) * 1024
                                   : static_cast<size_t>(r.Range(20, 120)) * 1024;
        std::string stem = i % 7 == 2 ? std::string(kHostileFiles[(i / 7) % 8]) + " clip"
                                      : "VID_" + std::to_string(20200000 + i);
        std::string rel = (i % 2 ? "Movies/" : "DCIM/Camera/") + stem + ".mp4";
        int64_t mtime = ParseLocalDateText(DateText(r)).value_or(1500000000);
        if (!WriteBytes(sd + "/" + rel, Mp4(r, size), mtime, error))
            return false;
        MediaItem& m = media.Register(sd, rel, MediaKind::Video);
        m.created = mtime;
        m.duration = r.Range(2, 600);
    }

    // Apps.
    RecordFile apps;
    const char* const kWords[] = {"notes",   "weather", "chess",  "radio",  "maps",    "budget",
                                  "recipes", "tasks",   "camera", "reader", "fitness", "translate"};
    const char* const kLabels[] = {"Notes",         "Wetter ☀",       "国际象棋", "Радио",
                                   "Maps & Routes", "Budget \"Pro\"", "Recettes", "Tasks, Lists"};
    for (int i = 0; i < p.apps; ++i) {
        std::string pkg = std::string(i % 2 ? "org.sample." : "net.demo.") + kWords[i % 12] +
                          (i >= 12 ? std::to_string(i) : "");
        PackageFile pf{pkg, kLabels[i % 8],
                       Fmt("%d.%d.%d", r.Range(1, 9), r.Below(20), r.Below(100)),
                       std::to_string(r.Range(1, 900000))};
        std::string apk = PackageFileText(pf);
        size_t pad = static_cast<size_t>(r.Range(2, 64)) * 1024;
        while (apk.size() < pad)
            apk += "# filler " + std::to_string(r.Next()) + "\n";
        if (!WriteBytes(dir + "/data/app/" + pkg + "-1.apk", apk, 0, error))
            return false;
        Record a;
        std::string t = std::to_string(1500000000 + r.Below(200000000));
        a.Set("pkg", pkg);
        a.Set("cls", pkg + ".MainActivity");
        a.Set("appname", pf.label);
        a.Set("version", pf.version);
        a.Set("versioncode", pf.version_code);
        a.Set("systemapp", "0");
        a.Set("sdcardapp", "0");
        a.Set("cachseze", std::to_string(r.Below(1 << 20)));
        a.Set("datasize", std::to_string(r.Below(1 << 24)));
        a.Set("codesize", std::to_string(apk.size()));
        a.Set("totalsize", std::to_string(apk.size()));
        a.Set("installtime", t);
        a.Set("lastupdatetime", t);
        a.Set("permissions", i % 3 ? "android.permission.INTERNET" : "");
        apps.Add(std::move(a));
        cfg.packages.push_back(pkg);
    }

    if (!SaveRecordFile(dir + "/contacts.json", contacts) ||
        !SaveRecordFile(dir + "/sms.json", sms) || !SaveRecordFile(dir + "/calllog.json", calls) ||
        !SaveRecordFile(dir + "/apps.json", apps) || !SaveMediaIndex(dir, media) ||
        !SaveConfig(dir, cfg)) {
        *error = "cannot write the phone files in " + dir;
        return false;
    }
    return true;
}

} // namespace phonesim
