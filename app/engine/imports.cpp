#include "imports.h"

#include "backupfolder.h"
#include "entries.h"
#include "exports.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <array>
#include <map>
#include <optional>

namespace tarvell {

namespace {

// ---- Shared ---------------------------------------------------------------------

// Text as the .js files hold it: valid UTF-8 (invalid sequences become
// U+FFFD) without NUL, which no record field can carry.
QByteArray CleanUtf8(const QByteArray& bytes) {
    QByteArray out = QString::fromUtf8(bytes).toUtf8();
    out.replace('\0', QByteArray());
    return out;
}

void Put(cJSON* entry, const char* key, const QByteArray& value) {
    cJSON_AddItemToObject(entry, key, cJSON_CreateString(value.constData()));
}

bool IsDigits(const QByteArray& text) {
    return !text.isEmpty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<QByteArray> ReadLimited(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxJsFileSize) {
        *error = QStringLiteral("%1 is larger than %2 bytes; split it first")
                     .arg(path)
                     .arg(kMaxJsFileSize);
        return std::nullopt;
    }
    return file.readAll();
}

ImportResult FromFile(const QString& path, ImportResult (*parse)(const QByteArray&)) {
    ImportResult result;
    const std::optional<QByteArray> bytes = ReadLimited(path, &result.error);
    if (!bytes) {
        return result;
    }
    result = parse(*bytes);
    if (!result.error.isEmpty()) {
        result.error = path + QStringLiteral(": ") + result.error;
    }
    return result;
}

// Groups entries by a key (address, number) in order of first appearance,
// as "Group_1", "Group_2", ... with members "1", "2", ...
class Grouper {
public:
    Grouper() : m_Root(NewJsRoot()) {}
    // The group number of key (1-based), creating the group.
    int groupOf(const QByteArray& key) {
        auto it = m_Groups.find(key);
        if (it == m_Groups.end()) {
            cJSON* group = cJSON_CreateObject();
            const int number = int(m_Groups.size()) + 1;
            cJSON_AddItemToObject(m_Root.get(), ("Group_" + QByteArray::number(number)).constData(),
                                  group);
            it = m_Groups.insert(key, {number, group, 0});
        }
        return it->number;
    }
    void add(const QByteArray& key, cJSON* entry) {
        groupOf(key);
        Slot& slot = m_Groups[key];
        cJSON_AddItemToObject(slot.group, QByteArray::number(++slot.members).constData(), entry);
    }
    JsonPtr take() { return std::move(m_Root); }

private:
    struct Slot {
        int number = 0;
        cJSON* group = nullptr;
        int members = 0;
    };
    JsonPtr m_Root;
    QHash<QByteArray, Slot> m_Groups;
};

// ---- XML ----------------------------------------------------------------------------

bool ForbiddenInXml(uint code) {
    return (code < 0x20 && code != 0x09 && code != 0x0A && code != 0x0D) ||
           (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF ||
           code > 0x10FFFF;
}

QString Substitute(uint code) {
    return code < 0x20 ? QString(QChar(char16_t(0x2400 + code))) : QString(QChar(0xFFFD));
}

// Files of other tools are not always well-formed: control characters as raw
// bytes or as character references (which XML 1.0 forbids either way), and
// broken UTF-8. They are repaired the way the exports write them, so the
// file parses; a file that declares another encoding is left to the parser.
QByteArray RepairXml(const QByteArray& bytes) {
    static const QRegularExpression kDeclaredEncoding(
        QStringLiteral(R"(^\s*<\?xml[^>]*encoding\s*=\s*['"]([^'"]*)['"])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch declared =
        kDeclaredEncoding.match(QString::fromLatin1(bytes.left(200)));
    if (declared.hasMatch()) {
        const QString name = declared.captured(1).toLower();
        if (name != QLatin1String("utf-8") && name != QLatin1String("utf8")) {
            return bytes;
        }
    }
    QString text = QString::fromUtf8(bytes);
    for (QChar& c : text) {
        if (ForbiddenInXml(c.unicode()) && !c.isSurrogate()) {
            c = Substitute(c.unicode()).at(0);
        }
    }
    static const QRegularExpression kReference(
        QStringLiteral("&#(x[0-9a-fA-F]{1,8}|[0-9]{1,10});"));
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (auto it = kReference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString digits = m.captured(1);
        bool ok = false;
        const qulonglong code = digits.startsWith(u'x') ? digits.mid(1).toULongLong(&ok, 16)
                                                        : digits.toULongLong(&ok, 10);
        if (!ok || !ForbiddenInXml(uint(std::min<qulonglong>(code, 0x110000)))) {
            continue;
        }
        out += QStringView(text).mid(from, m.capturedStart() - from);
        out += Substitute(uint(std::min<qulonglong>(code, 0x110000)));
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out.toUtf8();
}

QByteArray Attribute(const QXmlStreamAttributes& attributes, const char* name) {
    return CleanUtf8(attributes.value(QLatin1String(name)).toString().toUtf8());
}

QByteArray NameFrom(const QByteArray& contactName) {
    return (contactName == "(Unknown)" || contactName == "null") ? QByteArray() : contactName;
}

QByteArray DateFrom(const QByteArray& millis) {
    bool ok = false;
    const qlonglong value = millis.toLongLong(&ok);
    return ok ? DateTextFromMillis(value) : QByteArray();
}

// Walks the elements named element inside the root element named rootName.
ImportResult
ParseRecordsXml(const QByteArray& bytes, const char* rootName, const char* element,
                const std::function<void(const QXmlStreamAttributes&, Grouper&, int)>& add) {
    ImportResult result;
    QXmlStreamReader xml(RepairXml(bytes));
    Grouper grouper;
    bool sawRoot = false;
    QHash<QString, int> ignored;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (!sawRoot) {
            if (xml.name() != QLatin1String(rootName)) {
                result.error = QStringLiteral("not a %1 file: it starts with <%2>, not <%1>")
                                   .arg(QLatin1String(rootName), xml.name().toString());
                return result;
            }
            sawRoot = true;
            continue;
        }
        if (xml.name() == QLatin1String(element)) {
            add(xml.attributes(), grouper, ++result.records);
        } else {
            ++ignored[xml.name().toString()];
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError()) {
        result.error = QStringLiteral("malformed XML at line %1, column %2: %3")
                           .arg(xml.lineNumber())
                           .arg(xml.columnNumber())
                           .arg(xml.errorString());
        result.records = 0;
        return result;
    }
    if (!sawRoot) {
        result.error =
            QStringLiteral("not a %1 file: no <%1> element").arg(QLatin1String(rootName));
        return result;
    }
    for (auto it = ignored.cbegin(); it != ignored.cend(); ++it) {
        result.warnings
            << QStringLiteral("%1 <%2> element(s) not imported").arg(it.value()).arg(it.key());
    }
    result.root = grouper.take();
    return result;
}

// ---- vCard --------------------------------------------------------------------------

// The .js contact keys, in their stored order.
constexpr std::array<const char*, 20> kContactKeys = {
    "SessionID",   "FirstName",   "LastName",    "NickName",   "MobileNumber",
    "HomeNumber",  "WorkNumber",  "HomePage",    "Email",      "Birthday",
    "Group",       "Note",        "Organzation", "Department", "CreateDate",
    "HomeAddress", "WorkAddress", "HomeFax",     "WorkFax",    "WorkEmail"};

struct Property {
    QByteArray name;         // upper case, without group
    QList<QByteArray> types; // upper case
    QByteArray encoding;     // upper case
    QByteArray charset;      // upper case
    QByteArray value;        // raw value (escapes still in)
};

QList<QByteArray> SplitUnquoted(const QByteArray& text, char separator) {
    QList<QByteArray> parts;
    QByteArray current;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            parts << current;
            current.clear();
            continue;
        }
        current += c;
    }
    parts << current;
    return parts;
}

std::optional<Property> ParseContentLine(const QByteArray& line) {
    // The name part ends at the first ":" outside quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0) {
        return std::nullopt;
    }
    Property p;
    p.value = line.mid(colon + 1);
    const QList<QByteArray> parts = SplitUnquoted(line.left(colon), ';');
    p.name = parts.first().trimmed().toUpper();
    if (const qsizetype dot = p.name.lastIndexOf('.'); dot >= 0) {
        p.name = p.name.mid(dot + 1);
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray param = parts[i].trimmed();
        const qsizetype eq = param.indexOf('=');
        QByteArray key = eq < 0 ? QByteArray("TYPE") : param.left(eq).trimmed().toUpper();
        QByteArray value = (eq < 0 ? param : param.mid(eq + 1)).toUpper();
        value.replace('"', QByteArray());
        if (eq < 0 && (value == "QUOTED-PRINTABLE" || value == "BASE64" || value == "B")) {
            key = "ENCODING";
        }
        if (key == "TYPE") {
            for (const QByteArray& t : value.split(',')) {
                p.types << t.trimmed();
            }
        } else if (key == "ENCODING") {
            p.encoding = value;
        } else if (key == "CHARSET") {
            p.charset = value;
        }
    }
    return p;
}

QByteArray DecodeQuotedPrintable(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Splits a structured value at ";" that are not escaped.
QList<QByteArray> Components(const QByteArray& value) {
    QList<QByteArray> parts;
    QByteArray current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            current += value[i];
            current += value[++i];
        } else if (value[i] == ';') {
            parts << current;
            current.clear();
        } else {
            current += value[i];
        }
    }
    parts << current;
    return parts;
}

QByteArray Unescape(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 >= value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[i + 1];
        if (next == 'n' || next == 'N') {
            out += '\n';
        } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
            out += next;
        } else {
            out += '\\';
            out += next;
        }
        ++i;
    }
    return out;
}

// The value's bytes as UTF-8, decoded from its transfer encoding and
// character set; nothing for binary values (photos, sounds).
std::optional<QByteArray> DecodedValue(const Property& p) {
    if (p.encoding == "B" || p.encoding == "BASE64") {
        return std::nullopt;
    }
    QByteArray bytes = p.encoding == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(p.value) : p.value;
    if (p.charset == "ISO-8859-1" || p.charset == "LATIN1" || p.charset == "WINDOWS-1252" ||
        p.charset == "US-ASCII") {
        bytes = QString::fromLatin1(bytes).toUtf8();
    }
    return bytes;
}

QByteArray JoinNonEmpty(const QList<QByteArray>& parts, const char* separator) {
    QByteArray out;
    for (const QByteArray& part : parts) {
        if (part.trimmed().isEmpty()) {
            continue;
        }
        if (!out.isEmpty()) {
            out += separator;
        }
        out += part.trimmed();
    }
    return out;
}

class Card {
public:
    void add(const Property& p, QStringList& warnings) {
        const std::optional<QByteArray> decoded = DecodedValue(p);
        if (!decoded) {
            return;
        }
        const QByteArray& value = *decoded;
        auto has = [&](const char* type) { return p.types.contains(QByteArray(type)); };
        if (p.name == "FN") {
            m_FullName = text(value);
        } else if (p.name == "N") {
            QList<QByteArray> parts;
            for (const QByteArray& part : Components(value)) {
                parts << text(part);
            }
            parts.resize(5);
            // prefix, given, additional, family, suffix
            m_StructuredName =
                JoinNonEmpty({parts[3], parts[1], parts[2], parts[0], parts[4]}, " ");
        } else if (p.name == "NICKNAME") {
            setFirst("NickName", text(value));
        } else if (p.name == "TEL") {
            const QByteArray number = text(value).trimmed();
            if (has("FAX")) {
                place(number,
                      has("WORK") ? std::vector<const char*>{"WorkFax", "HomeFax"}
                                  : std::vector<const char*>{"HomeFax", "WorkFax"},
                      warnings);
            } else if (has("CELL") || has("MOBILE") || has("IPHONE")) {
                place(number, {"MobileNumber", "HomeNumber", "WorkNumber"}, warnings);
            } else if (has("HOME")) {
                place(number, {"HomeNumber", "MobileNumber", "WorkNumber"}, warnings);
            } else if (has("WORK")) {
                place(number, {"WorkNumber", "MobileNumber", "HomeNumber"}, warnings);
            } else {
                place(number, {"MobileNumber", "HomeNumber", "WorkNumber"}, warnings);
            }
        } else if (p.name == "EMAIL") {
            const QByteArray address = text(value).trimmed();
            place(address,
                  has("WORK") ? std::vector<const char*>{"WorkEmail", "Email"}
                              : std::vector<const char*>{"Email", "WorkEmail"},
                  warnings);
        } else if (p.name == "ADR") {
            QList<QByteArray> parts;
            for (const QByteArray& part : Components(value)) {
                parts << text(part);
            }
            const QByteArray address = JoinNonEmpty(parts, "\n");
            place(address,
                  has("WORK") ? std::vector<const char*>{"WorkAddress", "HomeAddress"}
                              : std::vector<const char*>{"HomeAddress", "WorkAddress"},
                  warnings);
        } else if (p.name == "ORG") {
            const QList<QByteArray> parts = Components(value);
            setFirst("Organzation", text(parts.value(0)));
            QList<QByteArray> units;
            for (qsizetype i = 1; i < parts.size(); ++i) {
                units << text(parts[i]);
            }
            setFirst("Department", JoinNonEmpty(units, ", "));
        } else if (p.name == "URL") {
            setFirst("HomePage", text(value));
        } else if (p.name == "BDAY") {
            setFirst("Birthday", text(value));
        } else if (p.name == "CATEGORIES") {
            setFirst("Group", text(value));
        } else if (p.name == "NOTE") {
            const QByteArray note = text(value);
            QByteArray& field = m_Fields["Note"];
            field = field.isEmpty() ? note : field + '\n' + note;
        }
    }

    bool empty() const {
        return m_FullName.isEmpty() && m_StructuredName.isEmpty() &&
               std::all_of(m_Fields.begin(), m_Fields.end(),
                           [](const auto& f) { return f.second.isEmpty(); });
    }

    // The phone keeps one display name: the card's formatted name, else its
    // structured name in reading order.
    JsonPtr entry(int number) {
        m_Fields["SessionID"] = QByteArray::number(number);
        m_Fields["FirstName"] = m_FullName.isEmpty() ? m_StructuredName : m_FullName;
        JsonPtr e(cJSON_CreateObject());
        for (const char* key : kContactKeys) {
            Put(e.get(), key, m_Fields[key]);
        }
        Put(e.get(), "Headimg", "");
        Put(e.get(), "isDelete", "0");
        return e;
    }

    QByteArray label() const { return m_FullName.isEmpty() ? m_StructuredName : m_FullName; }

private:
    static QByteArray text(const QByteArray& raw) { return CleanUtf8(Unescape(raw)); }

    void setFirst(const char* key, const QByteArray& value) {
        QByteArray& field = m_Fields[key];
        if (field.isEmpty()) {
            field = value;
        }
    }

    // Into the first free field of keys; a value that finds none is reported.
    void place(const QByteArray& value, const std::vector<const char*>& keys,
               QStringList& warnings) {
        if (value.isEmpty()) {
            return;
        }
        for (const char* key : keys) {
            QByteArray& field = m_Fields[key];
            if (field.isEmpty()) {
                field = value;
                return;
            }
            if (field == value) {
                return;
            }
        }
        warnings << QStringLiteral("contact \"%1\": \"%2\" left out (the phone record has no "
                                   "free field for it)")
                        .arg(QString::fromUtf8(label()), QString::fromUtf8(value));
    }

    QByteArray m_FullName;
    QByteArray m_StructuredName;
    std::map<std::string, QByteArray> m_Fields;
};

// Logical lines: folded lines joined (a line starting with a space or tab
// continues the previous one), and quoted-printable soft line breaks ("=" at
// the end) joined with the next line.
QList<QByteArray> LogicalLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    bool softBreak = false;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (!lines.isEmpty() && softBreak) {
            lines.last() += line;
        } else if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            lines.last() += line.mid(1);
        } else {
            lines << line;
        }
        QByteArray& last = lines.last();
        const qsizetype colon = last.indexOf(':');
        softBreak = last.endsWith('=') && colon > 0 &&
                    last.left(colon).toUpper().contains("QUOTED-PRINTABLE");
        if (softBreak) {
            last.chop(1);
        }
    }
    return lines;
}

} // namespace

ImportResult ParseVcf(const QByteArray& input) {
    ImportResult result;
    QByteArray bytes = input;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    JsonPtr root = NewJsRoot();
    std::optional<Card> card;
    int nested = 0;
    int cards = 0;
    for (const QByteArray& line : LogicalLines(bytes)) {
        const std::optional<Property> p = ParseContentLine(line);
        if (!p) {
            continue;
        }
        const QByteArray value = p->value.trimmed().toUpper();
        if (p->name == "BEGIN" && value == "VCARD") {
            if (card) {
                ++nested; // an embedded card (AGENT): its lines are not ours
            } else {
                card.emplace();
            }
            continue;
        }
        if (p->name == "END" && value == "VCARD") {
            if (nested > 0) {
                --nested;
            } else if (card) {
                ++cards;
                if (card->empty()) {
                    result.warnings << QStringLiteral("card %1 is empty: not imported").arg(cards);
                } else {
                    const int number = ++result.records;
                    AddNumbered(root.get(), number, card->entry(number));
                }
                card.reset();
            }
            continue;
        }
        if (card && nested == 0) {
            card->add(*p, result.warnings);
        }
    }
    if (card) {
        result.warnings << QStringLiteral("the last card has no END:VCARD: not imported");
    }
    if (cards == 0) {
        result.error = QStringLiteral("no vCard in it (no BEGIN:VCARD ... END:VCARD)");
        return result;
    }
    result.root = std::move(root);
    return result;
}

ImportResult ParseSmsXml(const QByteArray& bytes) {
    return ParseRecordsXml(
        bytes, "smses", "sms", [](const QXmlStreamAttributes& a, Grouper& g, int number) {
            const QByteArray address = Attribute(a, "address");
            // The phone's type becomes the stored flags: 1 and 2 swap, 0 (none)
            // is no value.
            QByteArray type = Attribute(a, "type");
            QByteArray flags = !IsDigits(type) || type == "0" ? QByteArray() : type;
            if (flags == "1") {
                flags = "2";
            } else if (flags == "2") {
                flags = "1";
            }
            const QByteArray read = Attribute(a, "read");
            JsonPtr e(cJSON_CreateObject());
            const int group = g.groupOf(address);
            Put(e.get(), "SessionID", QByteArray::number(number));
            Put(e.get(), "Name", NameFrom(Attribute(a, "contact_name")));
            Put(e.get(), "Phone", address);
            Put(e.get(), "Text", Attribute(a, "body"));
            Put(e.get(), "Date", DateFrom(Attribute(a, "date")));
            Put(e.get(), "flags", flags);
            Put(e.get(), "read", read.isEmpty() ? QByteArray() : read == "1" ? "1" : "2");
            Put(e.get(), "guid", QByteArray::number(group));
            Put(e.get(), "Type", "0");
            Put(e.get(), "Headimg", "");
            Put(e.get(), "isDelete", "0");
            g.add(address, e.release());
        });
}

ImportResult ParseCallsXml(const QByteArray& bytes) {
    return ParseRecordsXml(
        bytes, "calls", "call", [](const QXmlStreamAttributes& a, Grouper& g, int session) {
            const QByteArray number = Attribute(a, "number");
            const QByteArray type = Attribute(a, "type");
            const QByteArray duration = Attribute(a, "duration");
            JsonPtr e(cJSON_CreateObject());
            Put(e.get(), "SessionID", QByteArray::number(session));
            Put(e.get(), "Name", NameFrom(Attribute(a, "contact_name")));
            Put(e.get(), "Phone", number);
            Put(e.get(), "CallDate", DateFrom(Attribute(a, "date")));
            Put(e.get(), "CallStatus", !IsDigits(type) || type == "0" ? QByteArray() : type);
            Put(e.get(), "Duration", IsDigits(duration) ? duration : QByteArray("0"));
            Put(e.get(), "isDelete", "0");
            Put(e.get(), "Headimg", "");
            g.add(number, e.release());
        });
}

ImportResult ImportVcf(const QString& path) {
    return FromFile(path, &ParseVcf);
}

ImportResult ImportSmsXml(const QString& path) {
    return FromFile(path, &ParseSmsXml);
}

ImportResult ImportCallsXml(const QString& path) {
    return FromFile(path, &ParseCallsXml);
}

bool WriteImportFolder(const QString& folder, const QString files[kContentKindCount],
                       bool kinds[kContentKindCount], QStringList* warnings, QString* error) {
    static ImportResult (*const kImport[kContentKindCount])(const QString&) = {
        &ImportVcf, &ImportSmsXml, &ImportCallsXml, nullptr, nullptr, nullptr, nullptr};
    for (int k = 0; k < kContentKindCount; ++k) {
        kinds[k] = false;
    }
    for (int k = 0; k < kContentKindCount; ++k) {
        if (files[k].isEmpty()) {
            continue;
        }
        if (kImport[k] == nullptr) {
            *error = QStringLiteral("%1 cannot be imported").arg(QLatin1String(kKindFiles[k].name));
            return false;
        }
        ImportResult imported = kImport[k](files[k]);
        if (!imported.root) {
            *error = imported.error; // names the file
            return false;
        }
        for (const QString& warning : imported.warnings) {
            *warnings << QStringLiteral("%1: %2").arg(files[k], warning);
        }
        const QString path = JsPathOf(folder, ContentKind(k));
        // The folder itself too: a caller may name one that is not there yet.
        QDir().mkpath(folder + QStringLiteral("/Datajs"));
        if (!WriteJsFile(path, kKindFiles[k].jsPrefix, imported.root.get())) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        kinds[k] = true;
    }
    return true;
}

} // namespace tarvell
