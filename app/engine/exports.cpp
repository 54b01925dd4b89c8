#include "exports.h"

#include "backupfolder.h"
#include "entries.h"
#include "fileroutines.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTimeZone>

#include <cstring>
#include <optional>

namespace tarvell {

namespace {

// UTF-8 text made fit for XML 1.0: invalid sequences become U+FFFD, control
// characters other than tab, LF and CR their Control Pictures sign, U+FFFE
// and U+FFFF U+FFFD.
QString FitText(const QByteArray& utf8) {
    QString text = QString::fromUtf8(utf8);
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) {
            c = QChar(char16_t(0x2400 + u));
        } else if (u == 0xFFFE || u == 0xFFFF) {
            c = QChar(char16_t(0xFFFD));
        }
    }
    return text;
}

QByteArray Text(const cJSON* entry, const char* key) {
    const char* value = EntryText(entry, key);
    return value == nullptr ? QByteArray() : QByteArray(value);
}

// A number attribute: the value when it is a decimal number (an optional
// minus and at most 18 digits), else fallback.
QByteArray Number(const QByteArray& value, const char* fallback) {
    qsizetype i = value.startsWith('-') ? 1 : 0;
    if (value.size() <= i || value.size() - i > 18) {
        return fallback;
    }
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') {
            return fallback;
        }
    }
    return value;
}

QByteArray ReadableDate(int64_t millis) {
    if (millis == 0) {
        return QByteArray();
    }
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(millis);
    return QLocale::c().toString(when, QStringLiteral("MMM d, yyyy h:mm:ss AP")).toUtf8();
}

// The stored name is first and last name joined with a blank, which leaves a
// trailing blank when the last name is empty.
QByteArray ContactName(const QByteArray& name) {
    qsizetype end = name.size();
    while (end > 0 && name[end - 1] == ' ') {
        --end;
    }
    return end == 0 ? QByteArray("(Unknown)") : name.left(end);
}

void AddAttribute(QByteArray& out, const char* name, const QByteArray& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += XmlAttribute(value);
    out += '"';
}

bool SaveWhole(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    // Flushed before commit, so that a full disk stops the rename.
    ok = ok && file.write(bytes) == bytes.size() && file.flush();
    if (!ok) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

namespace {

// The digits of text[from, from + count), or -1 when one is not a digit.
int DigitsAt(const char* text, int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The date texts of a backup as QDateTime's own parser reads them, without
// its cost (it was a tenth of a large phone's export time): exactly
// "yyyy-MM-dd HH:mm:ss", read as that local time. Anything else, and a time
// the clocks skip, is left to the parser.
std::optional<int64_t> FastMillisFromDateText(const char* text) {
    if (std::strlen(text) != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2);
    const int hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2);
    const int second = DigitsAt(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    const QDateTime when(date, time);
    if (!when.isValid() || when.time() != time || when.date() != date) {
        return std::nullopt;
    }
    return when.toMSecsSinceEpoch();
}

} // namespace

int64_t MillisFromDateText(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    if (const std::optional<int64_t> fast = FastMillisFromDateText(text)) {
        return *fast;
    }
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(text).trimmed(),
                                                 QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return when.isValid() ? when.toMSecsSinceEpoch() : 0;
}

QByteArray DateTextFromMillis(int64_t millis) {
    if (millis == 0) {
        return QByteArray();
    }
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(millis);
    if (!when.isValid() || when.date().year() < 1 || when.date().year() > 9999) {
        return QByteArray();
    }
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
}

QByteArray XmlAttribute(const QByteArray& text) {
    const QByteArray fit = FitText(text).toUtf8();
    QByteArray out;
    out.reserve(fit.size() + fit.size() / 8);
    for (const char c : fit) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray VcardText(const QByteArray& text) {
    const QByteArray fit = FitText(text).toUtf8();
    QByteArray out;
    out.reserve(fit.size() + 8);
    for (qsizetype i = 0; i < fit.size(); ++i) {
        const char c = fit[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            // CRLF and a lone CR are one line break each.
            if (i + 1 < fit.size() && fit[i + 1] == '\n') {
                ++i;
            }
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray FoldVcardLine(const QByteArray& line) {
    constexpr qsizetype kLimit = 75;
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3);
    qsizetype width = 0; // octets on the current physical line
    qsizetype i = 0;
    while (i < line.size()) {
        // One unit: a backslash escape, or one UTF-8 sequence.
        qsizetype n = 1;
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead == '\\' && i + 1 < line.size()) {
            n = 2;
        } else if (lead >= 0xC0) {
            while (i + n < line.size() && n < 4 &&
                   (static_cast<unsigned char>(line[i + n]) & 0xC0) == 0x80) {
                ++n;
            }
        }
        if (width + n > kLimit) {
            out += "\r\n ";
            width = 1;
        }
        out.append(line.constData() + i, n);
        width += n;
        i += n;
    }
    return out;
}

QByteArray ContactsVcf(const cJSON* root, int* count) {
    QByteArray out;
    int written = 0;
    auto line = [&](const QByteArray& text) {
        out += FoldVcardLine(text);
        out += "\r\n";
    };
    auto property = [&](const char* name, const QByteArray& value) {
        if (!value.isEmpty()) {
            line(QByteArray(name) + ':' + VcardText(value));
        }
    };
    ForEachEntry(root, [&](const cJSON* e) {
        if (!cJSON_IsObject(e)) {
            return true;
        }
        const QByteArray first = Text(e, "FirstName");
        const QByteArray last = Text(e, "LastName");
        QByteArray full = first;
        if (!last.isEmpty()) {
            full += (full.isEmpty() ? "" : " ") + last;
        }
        line("BEGIN:VCARD");
        line("VERSION:3.0");
        line("FN:" + VcardText(full));
        line("N:" + VcardText(last) + ';' + VcardText(first) + ";;;");
        property("NICKNAME", Text(e, "NickName"));
        property("TEL;TYPE=CELL", Text(e, "MobileNumber"));
        property("TEL;TYPE=HOME", Text(e, "HomeNumber"));
        property("TEL;TYPE=WORK", Text(e, "WorkNumber"));
        property("TEL;TYPE=HOME,FAX", Text(e, "HomeFax"));
        property("TEL;TYPE=WORK,FAX", Text(e, "WorkFax"));
        property("EMAIL;TYPE=INTERNET,HOME", Text(e, "Email"));
        property("EMAIL;TYPE=INTERNET,WORK", Text(e, "WorkEmail"));
        // The address is one text: it goes into the street part.
        for (const auto& [type, key] :
             {std::pair{"HOME", "HomeAddress"}, {"WORK", "WorkAddress"}}) {
            const QByteArray address = Text(e, key);
            if (!address.isEmpty()) {
                line(QByteArray("ADR;TYPE=") + type + ":;;" + VcardText(address) + ";;;;");
            }
        }
        const QByteArray org = Text(e, "Organzation");
        const QByteArray department = Text(e, "Department");
        if (!org.isEmpty() || !department.isEmpty()) {
            line("ORG:" + VcardText(org) +
                 (department.isEmpty() ? "" : ";" + VcardText(department)));
        }
        property("URL", Text(e, "HomePage"));
        property("BDAY", Text(e, "Birthday"));
        property("CATEGORIES", Text(e, "Group"));
        property("NOTE", Text(e, "Note"));
        line("END:VCARD");
        ++written;
        return true;
    });
    if (count != nullptr) {
        *count = written;
    }
    return out;
}

namespace {

// One XML list: the declaration, <list count="N">, a line <item ... /> for
// every entry object of root with the attributes add gives it, and </list>.
template <typename AddAttributes>
QByteArray XmlList(const cJSON* root, const char* list, const char* item, int* count,
                   AddAttributes add) {
    QByteArray body;
    int written = 0;
    ForEachGroupedEntry(root, [&](const cJSON* e, bool) {
        if (!cJSON_IsObject(e)) {
            return true;
        }
        body += "  <";
        body += item;
        add(body, e);
        body += " />\n";
        ++written;
        return true;
    });
    if (count != nullptr) {
        *count = written;
    }
    return "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<" + QByteArray(list) +
           " count=\"" + QByteArray::number(written) + "\">\n" + body + "</" + list + ">\n";
}

} // namespace

QByteArray MessagesXml(const cJSON* root, int* count) {
    return XmlList(root, "smses", "sms", count, [](QByteArray& body, const cJSON* e) {
        // Stored flags are the phone's type with 1 and 2 swapped.
        QByteArray type = Number(Text(e, "flags"), "0");
        if (type == "1") {
            type = "2";
        } else if (type == "2") {
            type = "1";
        }
        const int64_t millis = MillisFromDateText(EntryText(e, "Date"));
        AddAttribute(body, "protocol", "0");
        AddAttribute(body, "address", Text(e, "Phone"));
        AddAttribute(body, "date", QByteArray::number(qlonglong(millis)));
        AddAttribute(body, "type", type);
        AddAttribute(body, "subject", "null");
        AddAttribute(body, "body", Text(e, "Text"));
        AddAttribute(body, "toa", "null");
        AddAttribute(body, "sc_toa", "null");
        AddAttribute(body, "service_center", "null");
        AddAttribute(body, "read", Text(e, "read") == "1" ? "1" : "0");
        AddAttribute(body, "status", "-1");
        AddAttribute(body, "locked", "0");
        AddAttribute(body, "date_sent", "0");
        AddAttribute(body, "readable_date", ReadableDate(millis));
        AddAttribute(body, "contact_name", ContactName(Text(e, "Name")));
    });
}

QByteArray CallsXml(const cJSON* root, int* count) {
    return XmlList(root, "calls", "call", count, [](QByteArray& body, const cJSON* e) {
        const int64_t millis = MillisFromDateText(EntryText(e, "CallDate"));
        AddAttribute(body, "number", Text(e, "Phone"));
        AddAttribute(body, "duration", Number(Text(e, "Duration"), "0"));
        AddAttribute(body, "date", QByteArray::number(qlonglong(millis)));
        AddAttribute(body, "type", Number(Text(e, "CallStatus"), "0"));
        AddAttribute(body, "presentation", "1");
        AddAttribute(body, "readable_date", ReadableDate(millis));
        AddAttribute(body, "contact_name", ContactName(Text(e, "Name")));
    });
}

MadeExport MakeStandardExport(const QString& backupFolder, ContentKind kind) {
    // The makers of the kinds that have an export in the kind table.
    static QByteArray (*const kMake[kContentKindCount])(const cJSON*, int*) = {
        &ContactsVcf, &MessagesXml, &CallsXml, nullptr, nullptr, nullptr, nullptr};
    MadeExport made;
    const char* file = kKindFiles[kind].exportFile;
    if (file == nullptr || kMake[kind] == nullptr ||
        !QFileInfo::exists(JsPathOf(backupFolder, kind))) {
        return made;
    }
    made.wanted = true;
    const JsonPtr root = ReadKindFile(backupFolder, kind);
    if (!root) {
        made.problem = QStringLiteral("%1: %2 cannot be read or does not parse")
                           .arg(QLatin1String(file), QLatin1String(kKindFiles[kind].jsFile));
        return made;
    }
    made.bytes = kMake[kind](root.get(), &made.records);
    return made;
}

void SaveStandardExport(const QString& backupFolder, ContentKind kind, const MadeExport& made,
                        ExportResult& result) {
    if (!made.wanted) {
        return;
    }
    if (!made.problem.isEmpty()) {
        result.problems << made.problem;
        return;
    }
    const QString relative = QLatin1String(kKindFiles[kind].exportFile);
    EnsureSubfolder(backupFolder, relative.section(u'/', 0, 0));
    QString why;
    if (!SaveWhole(backupFolder + u'/' + relative, made.bytes, &why)) {
        result.problems << QStringLiteral("%1: %2").arg(relative, why);
        return;
    }
    result.written << relative;
    result.records += made.records;
}

ExportResult WriteStandardExports(const QString& backupFolder,
                                  const bool kinds[kContentKindCount]) {
    ExportResult result;
    for (int k = 0; k < kContentKindCount; ++k) {
        if (kinds == nullptr || kinds[k]) {
            const auto kind = ContentKind(k);
            SaveStandardExport(backupFolder, kind, MakeStandardExport(backupFolder, kind), result);
        }
    }
    return result;
}

} // namespace tarvell
