// Photo thumbnails of a backup (Datajs/thumb/<local name>).
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace tarvell {

// Fits width x height into 128 x 128 keeping the aspect ratio, never
// enlarging. A width or height of 0 or less counts as 1.
QSize ThumbnailSize(int width, int height);

// Reads the image at path already scaled to its ThumbnailSize. JPEGs are
// decoded at reduced size by the decoder; other formats are decoded whole and
// scaled plainly (not smoothed). A side that would round to 0 pixels is kept
// at 1. Null when the file is missing or not a readable image.
QImage LoadThumbnail(const QString& path);

// What MakeThumbnail did.
enum class ThumbnailResult {
    Saved,        // the scaled photo was saved
    DefaultImage, // the photo was unreadable or could not be saved: the default image was copied
    Nothing,      // neither worked (no default image, or the target exists already)
};

// Writes the thumbnail of photo to thumbPath, in the format of thumbPath's
// extension, atomically. When the photo cannot be read or the thumbnail not
// saved, copies defaultImage to thumbPath instead (without replacing an
// existing file). Logs "sucess: save image: %s\n" or "error: save image: %s\n"
// as the saving turns out.
ThumbnailResult MakeThumbnail(const QString& photo, const QString& thumbPath,
                              const QString& defaultImage);

} // namespace tarvell
