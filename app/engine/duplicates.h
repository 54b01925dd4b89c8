// Leaving out, on restore, the contacts, messages and calls that the phone
// holds already.
//
// A record is keyed as the phone lists it after the restore has written it,
// which is not always the text of the backup: the library cuts what it sends
// (a message body at 1024 bytes, other texts at 512, never inside a UTF-8
// character) and what it reads back (1023 bytes); a message goes out with a
// direction and the phone stores a type (2 sent, 1 anything else); a call
// type above 4 is read back as 4; dates travel as moments ("YYYY-MM-DD
// HH:MM:SS" read as local time), whatever the separators. A missing text
// and an empty one are the same.
//
// Keys:
// - contact: display name (first name followed directly by the last name,
//   cut at 511 bytes, as the library joins them) and the set of its numbers
//   (mobile, home, work, home fax, work fax; order and repeats do not count);
// - message: address, date, type, body;
// - call: number, date, type, duration.
//
// The phone's list never shows drafts or messages without a conversation
// (the library drops them when it reads); the restore never writes either
// kind as such (a draft goes back as a received message, a message without
// a conversation is not sent), so nothing the restore writes is missed.
#pragma once

#include <QByteArray>
#include <QHash>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

QByteArray ContactKey(const ContactRecord& record);
// A message read from a backup (ReadMessage: type holds the direction).
QByteArray MessageKeyToWrite(const SmsRecord& record);
// A message as the phone lists it (type holds the phone's type).
QByteArray MessageKeyOnPhone(const SmsRecord& record);
QByteArray CallKey(const CallLogRecord& record);

// How many copies of each record the phone holds, and which of them the
// records of the folder being restored have matched. Two identical records
// of one folder are two records: the restore writes as many copies as the
// folder has, less those the phone holds already.
class RecordTally {
public:
    void clear();
    // Room for this many records of the folders, beside those held.
    void reserve(int records);
    // One copy of key on the phone.
    void addHeld(const QByteArray& key) { ++m_Held[key]; }
    // Before the records of the next folder.
    void startFolder() { m_Matched.clear(); }
    // A record of the folder: true when it matches a copy on the phone that
    // no earlier record of this folder matched (leave it out).
    bool matchHeld(const QByteArray& key);
    // The record was written: the phone holds one more copy.
    void written(const QByteArray& key) { ++m_Held[key]; }
    int heldCount() const;

private:
    QHash<QByteArray, int> m_Held;
    QHash<QByteArray, int> m_Matched;
};

} // namespace tarvell
