#include "duplicates.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

namespace tarvell {

namespace {

// What the library reads back of one value at most.
constexpr size_t kReadBytes = 1023;
// What the library sends of one value at most: a message body, anything else.
constexpr size_t kBodyBytes = 1024;
constexpr size_t kTextBytes = 512;
// The library joins a contact's names into at most this many bytes.
constexpr size_t kNameBytes = 511;

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// text as the phone gives it back after the library sent at most sentBytes
// of it (cut before a UTF-8 character that does not fit whole, as the
// library does) and read back at most kReadBytes (cut where it falls).
QByteArray AsReadBack(const char* text, size_t sentBytes) {
    if (text == nullptr) {
        return {};
    }
    const size_t length = std::strlen(text);
    size_t bytes = std::min(length, sentBytes);
    if (bytes < length) {
        size_t back = bytes;
        while (back > 0 && bytes - back < 3 && IsContinuation(text[back])) {
            --back;
        }
        if (!IsContinuation(text[back])) {
            bytes = back;
        }
    }
    return QByteArray(text, int(std::min(bytes, kReadBytes)));
}

// A contact field the library does not send: missing, empty or a lone '"'.
bool IsUnsentContactField(const char* text) {
    return text == nullptr || text[0] == '\0' || std::strcmp(text, "\"") == 0;
}

int Slice(const char* text, size_t length, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count && i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            break;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// True when text starts with digits where "YYYY-MM-DD HH:MM:SS" has them.
bool HasDateShape(const char* text) {
    static constexpr size_t kDigits[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    if (std::strlen(text) < 19) {
        return false;
    }
    return std::all_of(std::begin(kDigits), std::end(kDigits),
                       [&](size_t i) { return text[i] >= '0' && text[i] <= '9'; });
}

// The moment a date text stands for, in seconds, read as the library reads
// it (fixed positions, local time); "" for a missing or empty date.
QByteArray Moment(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return {};
    }
    const size_t length = std::strlen(text);
    std::tm tm{};
    tm.tm_year = Slice(text, length, 0, 4) - 1900;
    tm.tm_mon = Slice(text, length, 5, 2) - 1;
    tm.tm_mday = Slice(text, length, 8, 2);
    tm.tm_hour = Slice(text, length, 11, 2);
    tm.tm_min = Slice(text, length, 14, 2);
    tm.tm_sec = Slice(text, length, 17, 2);
    tm.tm_isdst = -1;
    return QByteArray::number(static_cast<qint64>(std::mktime(&tm)));
}

// A message date: the phone may keep the text or the moment; a text that is
// no date at all stays itself, so that unlike texts never meet.
QByteArray MessageDate(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return {};
    }
    return HasDateShape(text) ? Moment(text) : AsReadBack(text, kTextBytes);
}

// The library reads a type above 4 as "4" (leading blanks, a sign, digits).
QByteArray ReadBackType(const char* text) {
    const QByteArray sent = AsReadBack(text, kTextBytes);
    const char* p = sent.constData();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9' && value <= INT_MAX; ++p) {
        value = value * 10 + (*p - '0');
    }
    return !negative && value > 4 ? QByteArray("4") : sent;
}

QByteArray Joined(std::initializer_list<QByteArray> parts) {
    QByteArray key;
    qsizetype size = 0;
    for (const QByteArray& part : parts) {
        size += part.size() + 1;
    }
    key.reserve(size);
    for (const QByteArray& part : parts) {
        key += part;
        key += '\0';
    }
    return key;
}

} // namespace

QByteArray ContactKey(const ContactRecord& record) {
    QByteArray name;
    if (!IsUnsentContactField(record.name)) {
        name += record.name;
    }
    if (!IsUnsentContactField(record.lastName)) {
        name += record.lastName;
    }
    name.truncate(int(kNameBytes));
    std::vector<QByteArray> numbers;
    for (const char* number :
         {record.mobilePhone, record.homePhone, record.workPhone, record.homeFax, record.workFax}) {
        if (!IsUnsentContactField(number)) {
            numbers.push_back(AsReadBack(number, kTextBytes));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QByteArray key = name;
    for (const QByteArray& number : numbers) {
        key += '\0';
        key += number;
    }
    return key;
}

QByteArray MessageKeyToWrite(const SmsRecord& record) {
    // The phone stores direction "0" as a sent message (2), any other as a
    // received one (1).
    const bool sent = record.type != nullptr && std::strcmp(record.type, "0") == 0;
    return Joined({AsReadBack(record.address, kTextBytes), MessageDate(record.date),
                   sent ? QByteArray("2") : QByteArray("1"), AsReadBack(record.body, kBodyBytes)});
}

QByteArray MessageKeyOnPhone(const SmsRecord& record) {
    return Joined({AsReadBack(record.address, kTextBytes), MessageDate(record.date),
                   ReadBackType(record.type), AsReadBack(record.body, kBodyBytes)});
}

QByteArray CallKey(const CallLogRecord& record) {
    return Joined({AsReadBack(record.number, kTextBytes), Moment(record.date),
                   ReadBackType(record.type), AsReadBack(record.duration, kTextBytes)});
}

void RecordTally::clear() {
    m_Held.clear();
    m_Matched.clear();
}

void RecordTally::reserve(int records) {
    m_Held.reserve(m_Held.size() + records);
    m_Matched.reserve(records);
}

bool RecordTally::matchHeld(const QByteArray& key) {
    // Every record counts, held or not: once written, a record is held, and
    // the next identical record of the folder must not match that copy.
    return ++m_Matched[key] <= m_Held.value(key);
}

int RecordTally::heldCount() const {
    int sum = 0;
    for (const int copies : m_Held) {
        sum += copies;
    }
    return sum;
}

} // namespace tarvell
