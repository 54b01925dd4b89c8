// Writing messages, contacts and call-log entries to the phone, clearing
// them, and the default-messaging-app switch that message writes need on
// Android 4.4 and later.
//
// Text arguments go out as uppercase hex of their bytes, each within a
// capacity in hex digits; a null or empty field contributes nothing but its
// separator is still written. Commands are composed to their full length:
// the longest (a message with every field at its capacity) is 6162
// characters.
#include "messages_contacts.h"

#include "TCPConnect.h"
#include "convert.h"
#include "device_table.h"
#include "log.h"
#include "stores.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

namespace records {
namespace {

constexpr char kCompanionPackage[] = "com.velmora.tarvell";

// Keys of the contact-field updates by field code; null: no key.
constexpr const char* kFieldKeys[] = {
    nullptr,    "FIRSTNAME", "LASTNAME",    "NICKNAME",    "MOBILE",  "HOMENUMBER",  "WORKNUMBER",
    "HOMEPAGE", "HOMEEMAIL", "BIRTHDAY",    "GROUP",       "NOTE",    "ORGANZATION", "DEPARTMENT",
    nullptr,    nullptr,     "HOMEADDRESS", "WORKADDRESS", "HOMEFAX", "WORKFAX",     "WORKEMAIL",
};

bool IsEmpty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

// One exchange whose reply is a little-endian integer of sizeof(T) bytes;
// 0 when no reply arrived.
template <typename T> T SendForInteger(const char* command) {
    unsigned char reply[sizeof(T)] = {};
    if (SendCommand(command, reply, static_cast<int>(sizeof reply), nullptr, 0) <= 0) {
        return 0;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<uint64_t>(reply[i]) << (8 * i);
    }
    return static_cast<T>(value);
}

int SendSimple(const char* command) {
    return SendForInteger<int32_t>(command);
}

// Release text of a device-table row; false when the row does not exist.
bool ReleaseOf(int deviceIndex, std::string* release) {
    AdbDeviceEntry row{};
    if (deviceIndex < 0 || deviceIndex >= kDeviceTableRows || !DeviceTableRow(deviceIndex, &row)) {
        return false;
    }
    release->assign(row.release, strnlen(row.release, sizeof row.release));
    return true;
}

// Sends command when the phone of the row runs 4.4 or later. -1 for a row
// that does not exist; 0 on older phones.
int SendWhenAt44(int deviceIndex, const char* command) {
    std::string release;
    if (!ReleaseOf(deviceIndex, &release)) {
        return -1;
    }
    if (!IsRelease44OrLater(release.c_str())) {
        return 0;
    }
    return SendSimple(command);
}

} // namespace

void AppendHex(std::string& command, const char* text, int capacity) {
    if (IsEmpty(text)) {
        return;
    }
    const size_t length = std::strlen(text);
    // Cut whole characters only: a UTF-8 sequence is not split at the capacity.
    size_t bytes = std::min(length, static_cast<size_t>(capacity / 2));
    if (bytes < length) {
        size_t back = bytes;
        while (back > 0 && bytes - back < 3 &&
               (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80) {
            --back;
        }
        if ((static_cast<unsigned char>(text[back]) & 0xC0) != 0x80) {
            bytes = back;
        }
        LogWrite("field cut from %zu to %zu bytes\n", length, bytes);
    }
    const size_t at = command.size();
    command.resize(at + 2 * bytes + 1);
    int written = static_cast<int>(2 * bytes);
    HexEncode(text, static_cast<int>(bytes), command.data() + at, &written);
    command.resize(at + static_cast<size_t>(written));
}

std::string SmsCommand(const SmsRecord& sms) {
    std::string command = "SendSMS:";
    AppendHex(command, sms.address, 1024);
    command += '-';
    AppendHex(command, sms.body, 2048);
    command += '-';
    AppendHex(command, sms.date, 1024);
    command += '-';
    AppendHex(command, sms.read, 1024);
    command += '-';
    AppendHex(command, "-1", 1024);
    command += '-';
    AppendHex(command, sms.type, 1024);
    command += ';';
    return command;
}

std::string CallLogCommand(const CallLogRecord& call) {
    std::string command = "AddCallHistory:";
    AppendHex(command, call.number, 1024);
    command += '-';
    if (!IsEmpty(call.date)) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%" PRId64, ParseDateTime(call.date));
        AppendHex(command, seconds, 1024);
    }
    command += '-';
    AppendHex(command, call.type, 1024);
    command += '-';
    AppendHex(command, call.duration, 1024);
    command += ';';
    return command;
}

std::string AddPersonCommand(const char* name, const char* phone) {
    std::string command = "AddPerson:";
    AppendHex(command, name, 1024);
    command += ':';
    AppendHex(command, phone, 1024);
    command += ';';
    return command;
}

bool IsEmptyContactField(const char* value) {
    return IsEmpty(value) || std::strcmp(value, "\"") == 0;
}

bool UpdatePersonCommand(const char* contactId, unsigned int fieldCode, const char* value,
                         std::string* command) {
    if (IsEmpty(contactId) || IsEmptyContactField(value) ||
        fieldCode >= sizeof kFieldKeys / sizeof kFieldKeys[0] || kFieldKeys[fieldCode] == nullptr) {
        return false;
    }
    // The id goes out as plain text: a ':' or ';' would end it early, a '"'
    // is never a contact id.
    if (std::strpbrk(contactId, ":;\"") != nullptr) {
        LogWrite("UpdatePerson: contact id refused: %s\n", contactId);
        return false;
    }
    *command = "UpdatePerson:";
    *command += contactId;
    *command += ':';
    AppendHex(*command, value, 1024);
    *command += ':';
    *command += kFieldKeys[fieldCode];
    *command += ';';
    return true;
}

bool IsRelease44OrLater(const char* release) {
    if (release == nullptr) {
        return false;
    }
    int64_t parts[2] = {0, 0};
    int digits[2] = {0, 0};
    int part = 0;
    for (const char* p = release; *p != '\0'; ++p) {
        if (*p == '.') {
            if (++part == 2) {
                break;
            }
            continue;
        }
        if (*p >= '0' && *p <= '9' && digits[part] < 11) {
            parts[part] = parts[part] * 10 + (*p - '0');
            ++digits[part];
        }
    }
    return parts[0] * 10 + parts[1] > 43;
}

} // namespace records

using namespace records;

extern "C" {

TARVELL_API int Tarvell_SendSMS(const SmsRecord* sms) {
    LogCallFunction("Tarvell_SendSMS");
    return stores::Guarded(-1, [&]() -> int {
        if (sms == nullptr) {
            return -1;
        }
        return SendSimple(SmsCommand(*sms).c_str());
    });
}

TARVELL_API int Tarvell_ClearSMS(void) {
    LogCallFunction("Tarvell_ClearSMS");
    return SendSimple("ClearSMS;");
}

TARVELL_API int Tarvell_SetDefaultMessage(int deviceIndex) {
    LogCallFunction("Tarvell_SetDefaultMessage");
    return stores::Guarded(
        -1, [&]() -> int { return SendWhenAt44(deviceIndex, "SetDefaultMessage;"); });
}

TARVELL_API int Tarvell_ReSetDefaultMessage(int deviceIndex) {
    LogCallFunction("Tarvell_ReSetDefaultMessage");
    return stores::Guarded(
        -1, [&]() -> int { return SendWhenAt44(deviceIndex, "ReSetDefaultMessage;"); });
}

TARVELL_API int Tarvell_CheckDefaultMessangeOK(int deviceIndex) {
    LogCallFunction("Tarvell_CheckDefaultMessangeOK");
    return stores::Guarded(-1, [&]() -> int {
        std::string release;
        if (!ReleaseOf(deviceIndex, &release)) {
            return -1;
        }
        if (!IsRelease44OrLater(release.c_str())) {
            return 0;
        }
        char reply[1024] = {};
        const int length =
            SendCommand("GetDefaultMessage_pkgName;", reply, sizeof reply - 1, nullptr, 0);
        if (length <= 0) {
            return -1;
        }
        reply[length] = '\0';
        return std::strcmp(reply, kCompanionPackage) == 0 ? 0 : -1;
    });
}

TARVELL_API int Tarvell_CheckAndroidVersionAt44(int deviceIndex) {
    return stores::Guarded(0, [&]() -> int {
        std::string release;
        if (!ReleaseOf(deviceIndex, &release)) {
            return 0;
        }
        return IsRelease44OrLater(release.c_str()) ? 1 : 0;
    });
}

TARVELL_API int64_t Tarvell_AddPerson(const char* name, const char* phone) {
    LogCallFunction("Tarvell_AddPerson");
    try {
        return SendForInteger<int64_t>(AddPersonCommand(name, phone).c_str());
    } catch (...) {
        return 0;
    }
}

TARVELL_API int Tarvell_updatePerson(const char* contactId, unsigned int fieldCode,
                                     const char* value) {
    return stores::Guarded(-1, [&]() -> int {
        std::string command;
        if (!UpdatePersonCommand(contactId, fieldCode, value, &command)) {
            return -1;
        }
        return SendSimple(command.c_str());
    });
}

TARVELL_API int Tarvell_AddPerson2(const ContactRecord* contact) {
    return stores::Guarded(-1, [&]() -> int {
        if (contact == nullptr) {
            return -1;
        }
        std::string name;
        if (!IsEmptyContactField(contact->name)) {
            name += contact->name;
        }
        if (!IsEmptyContactField(contact->lastName)) {
            name += contact->lastName;
        }
        if (name.size() > 511) {
            name.resize(511);
        }
        const char* mobile =
            IsEmptyContactField(contact->mobilePhone) ? nullptr : contact->mobilePhone;
        const int64_t id = Tarvell_AddPerson(name.c_str(), mobile);
        if (id <= 0) {
            return -1;
        }
        char idText[32];
        std::snprintf(idText, sizeof idText, "%" PRId64, id);
        const struct {
            unsigned int code;
            const char* value;
        } updates[] = {
            {3, contact->nickName},      {4, contact->mobilePhone}, {5, contact->homePhone},
            {6, contact->workPhone},     {7, contact->homePage},    {8, contact->homeEmail},
            {9, contact->birthday},      {10, contact->groupName},  {11, contact->note},
            {12, contact->organization}, {13, contact->department}, {16, contact->homeAddress},
            {17, contact->workAddress},  {18, contact->homeFax},    {19, contact->workFax},
            {20, contact->workEmail},
        };
        for (const auto& update : updates) {
            // Fields that the update would refuse are skipped; replies are not examined.
            Tarvell_updatePerson(idText, update.code, update.value);
        }
        return 0;
    });
}

TARVELL_API int Tarvell_ClearPerson(void) {
    return SendSimple("ClearPerson;");
}

TARVELL_API int Tarvell_AddCallHistory(const CallLogRecord* call) {
    LogCallFunction("Tarvell_AddCallHistory");
    return stores::Guarded(-1, [&]() -> int {
        if (call == nullptr) {
            return -1;
        }
        return SendSimple(CallLogCommand(*call).c_str());
    });
}

TARVELL_API int Tarvell_ClearCallHistory(void) {
    return SendSimple("ClearCallHistory;");
}

// Operations the companion does not offer: fixed results, nothing is sent.
TARVELL_API int Tarvell_UpdateSMS(const SmsRecord*) {
    return 0;
}
TARVELL_API int Tarvell_DeleteSMS(const char*) {
    return 0;
}
TARVELL_API int Tarvell_DeletePerson(const char*) {
    return 0;
}
TARVELL_API int Tarvell_GetOnePersonInfo(const char*, ContactRecord*) {
    return 0;
}
TARVELL_API int Tarvell_GetPersonImage(const char*, const char*) {
    return 0;
}
TARVELL_API int Tarvell_UpdatePersonImage(const char*, const char*) {
    return 0;
}
TARVELL_API int Tarvell_DeletePersonImage(const char*) {
    return 0;
}
TARVELL_API int Tarvell_UpdateCallHistory(const CallLogRecord*) {
    return 0;
}
TARVELL_API int Tarvell_DeleteCallHistory(const char*) {
    return 0;
}
TARVELL_API int Tarvell_ClearAllApp(void) {
    return 0;
}
TARVELL_API int Tarvell_MoveAppToMemory(const char*) {
    return -1;
}
TARVELL_API int Tarvell_MoveAppToSdCard(const char*) {
    return -1;
}

} // extern "C"
