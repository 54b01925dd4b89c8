// RelativeAge: how long ago a catalogue date was, as "N days ago", "N hours
// ago", "N mins ago" or "N seconds ago".
#pragma once

#include <QDateTime>
#include <QString>

// The format of the dates written in the backup catalogue.
inline constexpr char kCatalogueDateFormat[] = "dd.MM.yyyy hh:mm:ss.zzz";

// Age of `dateText` (kCatalogueDateFormat, local time) at this moment. A text
// that does not parse gives an empty string; a date later than now reads
// "0 seconds ago".
QString RelativeAge(const QString& dateText);
// The same at a given moment.
QString RelativeAge(const QString& dateText, const QDateTime& now);
