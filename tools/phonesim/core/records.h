// The companion's record text: entries TAG:HEX; and a "." after each record
// of a list; the storage reply uses decimal values instead of hex.
#pragma once

#include "media.h"
#include "phone.h"

#include <string>
#include <vector>

namespace phonesim {

enum class RecordKind { Sms, Contact, CallLog, App };

// Tags of a record kind in the order they are written. The first is the id
// tag, filled from the record's id; every other tag is read from the field
// named by the tag in lower case.
const std::vector<const char*>& RecordTags(RecordKind kind);
// Field keys that belong to a kind (the tags in lower case, without the id).
std::vector<std::string> RecordKeys(RecordKind kind);

// Appends one record; a field that is missing writes no entry, an empty one
// an entry with an empty value. `close` adds the "." of a list record.
void AppendRecord(std::string& out, RecordKind kind, const Record& r, bool close);
void AppendEntry(std::string& out, const char* tag, std::string_view value);

// Detail record of a media item. `path` is the full phone path, `size` and
// `mtime` come from the file.
std::string MediaRecord(const MediaItem& m, const std::string& path, int64_t size, int64_t mtime);

// "MEMTOTAL:123;MEMAVAIL:45;..." with decimal values.
std::string StorageReply(const PhoneConfig& cfg);

} // namespace phonesim
