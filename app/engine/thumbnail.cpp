#include "thumbnail.h"

#include "fileroutines.h"
#include "uilog.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace tarvell {

QSize ThumbnailSize(int width, int height) {
    constexpr int kSide = 128;
    if (width <= 0) {
        width = 1;
    }
    if (height <= 0) {
        height = 1;
    }
    if (width < kSide && height < kSide) {
        return QSize(width, height);
    }
    if (width < height) {
        return QSize(int(qint64(width) * kSide / height), kSide);
    }
    return QSize(kSide, int(qint64(height) * kSide / width));
}

QImage LoadThumbnail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QImage();
    }
    // The decoder reads an in-memory photo in one piece, which keeps
    // libjpeg on its fast path (about 10% quicker than reading the file in
    // small chunks). Very large files are read from disk instead.
    constexpr qint64 kMaxInMemory = qint64(64) << 20;
    QByteArray data;
    QBuffer buffer(&data);
    QIODevice* device = &file;
    if (file.size() <= kMaxInMemory) {
        data = file.readAll();
        buffer.open(QIODevice::ReadOnly);
        device = &buffer;
    }
    QImageReader reader(device); // the format is taken from the content
    const QSize full = reader.size();
    if (!full.isValid()) {
        return QImage();
    }
    // A very long strip would get a side of 0 pixels (an empty image); keep it
    // at 1 pixel so the strip still gets a thumbnail.
    const QSize target = ThumbnailSize(full.width(), full.height()).expandedTo(QSize(1, 1));
    // The JPEG decoder scales while decoding (DCT scaling), which spares the
    // decode of the full-size picture. Other decoders would decode whole and
    // scale smoothly; for those the plain scaling below is used instead.
    const bool decoderScales = (reader.format() == "jpeg" || reader.format() == "jpg") &&
                               reader.supportsOption(QImageIOHandler::ScaledSize);
    if (decoderScales && target != full) {
        reader.setScaledSize(target);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return image;
    }
    if (image.size() != target) {
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return image;
}

namespace {

bool SaveAtomically(const QImage& image, const QString& path) {
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QImageWriter writer(&file, format);
    // Flushed before the commit: a failed flush inside commit() would not
    // stop the rename of a cut-off file.
    if (!writer.write(image) || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

} // namespace

ThumbnailResult MakeThumbnail(const QString& photo, const QString& thumbPath,
                              const QString& defaultImage) {
    const QImage image = LoadThumbnail(photo);
    if (!image.isNull()) {
        if (SaveAtomically(image, thumbPath)) {
            UiLog("sucess: save image: %s\n", qUtf8Printable(thumbPath));
            return ThumbnailResult::Saved;
        }
        UiLog("error: save image: %s\n", qUtf8Printable(thumbPath));
    }
    return CopyFileIfMissing(defaultImage, thumbPath, false) ? ThumbnailResult::DefaultImage
                                                             : ThumbnailResult::Nothing;
}

} // namespace tarvell
