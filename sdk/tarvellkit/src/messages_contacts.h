// Command texts of the message, contact and call-log writes, and the
// Android release test (exposed for the unit tests).
#pragma once

#include "tarvellkit/tarvellkit.h"

#include <string>

namespace records {

// Appends the hex of text, cut to capacity hex digits at a character
// boundary; nothing for a null or empty text.
void AppendHex(std::string& command, const char* text, int capacity);

std::string SmsCommand(const SmsRecord& sms);
std::string CallLogCommand(const CallLogRecord& call);
std::string AddPersonCommand(const char* name, const char* phone);

// Missing, empty or the single character '"'.
bool IsEmptyContactField(const char* value);

// False (no command) for a missing or empty id, an empty value, a code
// without a key, or an id holding ':', ';' or '"'.
bool UpdatePersonCommand(const char* contactId, unsigned int fieldCode, const char* value,
                         std::string* command);

// major * 10 + minor > 43, reading digits of the first two dot-separated parts.
bool IsRelease44OrLater(const char* release);

} // namespace records
