// Names of backup folders, catalogue labels and copied media files.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <tarvellkit/tarvellkit.h>

namespace tarvell {

// The phone's label: model, else manufacturer, else serial, each cut at its
// first carriage return or line feed (UTF-8).
QString DeviceLabel(const DeviceInfoRecord& info);

// "<label>-MM-dd-yyyy-HH-mm-ss". The label is made a safe single file name
// first, so a model such as "A/B" cannot create nested folders.
QString BackupFolderName(const QString& deviceLabel, const QDateTime& when);

// outputFolder + "/" + folderName with every "\" turned into "/".
QString BackupFolderPath(const QString& outputFolder, const QString& folderName);

// The format of the times in catalogue labels.
inline constexpr char kCatalogueDateFormat[] = "dd.MM.yyyy hh:mm:ss.zzz";

// "dd.MM.yyyy hh:mm:ss.zzz-<label>" (the time is always 23 characters).
QString CatalogueLabel(const QDateTime& when, const QString& deviceLabel);

// A catalogue label split for display: its first 23 characters (the time) and
// everything from character 24 on (the device label, which may contain "-").
struct CatalogueLabelParts {
    QString time;
    QString device;
};
CatalogueLabelParts SplitCatalogueLabel(const QString& label);

// How long ago a catalogue time (kCatalogueDateFormat, local time) was, at
// now: "N days ago", "N hours ago", "N mins ago" or "N seconds ago" (whole
// units, no singular forms). A text that does not parse gives ""; a time
// later than now reads "0 seconds ago".
QString RelativeAge(const QString& dateText, const QDateTime& now);
// The same at this moment.
QString RelativeAge(const QString& dateText);

// Local name of a copied media file: "<id>-<file name>", where the file name is
// the last component of the phone path (UTF-8), made safe.
QString MediaLocalName(int32_t id, const QByteArray& phonePath);

// Local name of a saved app package: "<package name>-1.apk", made safe.
QString AppLocalName(const QByteArray& packageName);

// The file's name on the phone: the text of a Filename after its first "-";
// nothing when the Filename has no "-".
std::optional<QString> PhoneNameOf(const QString& filename);

} // namespace tarvell
