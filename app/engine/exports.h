// Standard exports of a backup folder, for other software: the contacts as a
// vCard 3.0 file, the messages and calls in the XML layout that Android SMS
// backup apps read and write. They are made from the folder's .js files, which
// (like the prints) are never changed.
//
//   Contacts/Contacts.vcf   vCard 3.0, UTF-8, CRLF, lines folded at 75 octets
//   SMS/sms.xml             <smses count=..><sms .../>...</smses>
//   CallHistory/calls.xml   <calls count=..><call .../>...</calls>
//
// Dates in the XML are milliseconds since 1970; the .js dates are local time.
// Text that XML 1.0 cannot carry (control characters other than tab, line
// feed and carriage return, U+FFFE, U+FFFF) is written as the matching sign of
// the Control Pictures block (U+2400 + code) or U+FFFD, and invalid UTF-8 as
// U+FFFD, so that every file parses.
#pragma once

#include "backupfolder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cjson/cJSON.h>
#include <cstdint>

namespace tarvell {

// The export files, as the kind table names them.
inline constexpr const char* kContactsVcfFile = kKindFiles[Contacts].exportFile;
inline constexpr const char* kSmsXmlFile = kKindFiles[SMS].exportFile;
inline constexpr const char* kCallsXmlFile = kKindFiles[CallHistory].exportFile;

// The three documents from the parsed roots of Contacts.js, SMS.js and
// CallHistory.js. count, when given, receives the number of records written.
QByteArray ContactsVcf(const cJSON* contactsRoot, int* count = nullptr);
QByteArray MessagesXml(const cJSON* smsRoot, int* count = nullptr);
QByteArray CallsXml(const cJSON* callsRoot, int* count = nullptr);

// Writes the exports of every kind whose .js file the folder holds, each file
// atomically (an old export stays until the new one is complete). A kind
// without a .js file, or whose .js file does not parse, gets no export and is
// named in the result; existing files are never touched otherwise.
struct ExportResult {
    QStringList written;  // relative paths of the files written
    QStringList problems; // "what: why", one per kind that could not be exported
    int records = 0;
};
// kinds, when given, limits the exports to the kinds it selects.
ExportResult WriteStandardExports(const QString& backupFolder,
                                  const bool kinds[kContentKindCount] = nullptr);

// The two halves of one kind's export, so that the export can be made on
// another thread as soon as the kind's .js file is complete and saved later.
struct MadeExport {
    bool wanted = false; // the kind has an export and the folder its .js file
    QByteArray bytes;
    int records = 0;
    QString problem; // "what: why" when the .js file could not be read
};
MadeExport MakeStandardExport(const QString& backupFolder, ContentKind kind);
// Saves what MakeStandardExport made and adds the outcome to result.
void SaveStandardExport(const QString& backupFolder, ContentKind kind, const MadeExport& made,
                        ExportResult& result);

// ---- Pieces, shared with the importers ------------------------------------------

// The .js date text ("YYYY-MM-DD HH:MM:SS", local time) as milliseconds
// since 1970; 0 when it is empty or not such a date.
int64_t MillisFromDateText(const char* text);
// Milliseconds since 1970 as .js date text (local time); "" for 0 or a value
// outside the years 1 to 9999.
QByteArray DateTextFromMillis(int64_t millis);

// text made fit for XML 1.0 and escaped for an attribute value in double
// quotes (also tab, line feed and carriage return, which attribute
// normalisation would turn into spaces).
QByteArray XmlAttribute(const QByteArray& text);

// A vCard 3.0 text value: "\" "," ";" and line breaks escaped, control
// characters as in the XML.
QByteArray VcardText(const QByteArray& text);
// One content line (without its CRLF) folded at 75 octets: continuation lines
// start with a space; a UTF-8 sequence or a backslash escape is never split.
QByteArray FoldVcardLine(const QByteArray& line);

} // namespace tarvell
