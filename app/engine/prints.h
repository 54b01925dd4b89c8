// Text and CSV prints of messages, contacts and call log in a backup folder:
// SMS/SMS.txt|csv, Contacts/Contacts.txt|csv, CallHistory/CallHistory.txt|csv.
//
// Record texts are written as the library holds them (bytes). Files are
// written atomically: a print is either the previous file or the complete new
// one (an aborted print is complete up to the record where it stopped). CSV
// prints start with a header row and double every '"' inside a value.
#pragma once

#include "entries.h"

#include <QString>
#include <atomic>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

// The job's stop flag; null means "never stop".
using AbortFlag = std::atomic<bool>;

// Header rows of the CSV prints (they match the columns of the rows).
inline constexpr char kMessagesCsvHeader[] = "Direction,Name,Phone,Date,Text\n";
inline constexpr char kContactsCsvHeader[] =
    "Name,Mobile Number,Home Number,Work Number,Home Page,Email,Birthday,Note,Organzation,"
    "Department,Create Date,Home Address,Work Address,Home Fax,Work Fax,Work Email\n";
inline constexpr char kCallsCsvHeader[] = "Name,Phone,Call Date,Call Status,Duration\n";

// Message direction word: "2" gives "To", any other present type "From", null "".
const char* DirectionWord(const char* type);
// Call word: "1" "Call In", "2" "Call Out", "3" "Unknown", anything else "".
const char* CallWord(const char* type);
// One CSV field: the value between double quotes, inner quotes doubled.
QByteArray CsvField(const char* value);

// Messages: a record without address or type is left out. loans supplies the
// names lent by the group rule of the messages file (may be null). The CSV
// stops before the next record once abort is set; the TXT always runs to the
// end. Each writer gives false when its file could not be written.
bool PrintMessagesCsv(const SmsRecord* head, const QString& backupFolder, const AbortFlag* abort,
                      const NameLoans* loans = nullptr);
bool PrintMessagesTxt(const SmsRecord* head, const QString& backupFolder,
                      const NameLoans* loans = nullptr);

// Contacts: both prints stop before the next record once abort is set.
bool PrintContactsCsv(const ContactRecord* head, const QString& backupFolder,
                      const AbortFlag* abort);
bool PrintContactsTxt(const ContactRecord* head, const QString& backupFolder,
                      const AbortFlag* abort);

// Call log: every record is printed.
bool PrintCallsCsv(const CallLogRecord* head, const QString& backupFolder);
bool PrintCallsTxt(const CallLogRecord* head, const QString& backupFolder);

} // namespace tarvell
