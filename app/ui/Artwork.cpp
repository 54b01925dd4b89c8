#include "Artwork.h"

#include <QGuiApplication>

QPixmap LoadArtwork(const QString& path) {
    return LoadArtwork(path, qApp ? qApp->devicePixelRatio() : 1.0);
}

QPixmap LoadArtwork(const QString& path, qreal devicePixelRatio) {
    if (devicePixelRatio > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        if (dot > 0) {
            QString dense = path;
            dense.insert(dot, QStringLiteral("@2x"));
            QPixmap pixmap(dense);
            if (!pixmap.isNull()) {
                pixmap.setDevicePixelRatio(2.0);
                return pixmap;
            }
        }
    }
    return QPixmap(path);
}

QPixmap CutSprite(const QPixmap& sheet, const QRect& rect) {
    const qreal dpr = sheet.devicePixelRatio();
    const QRect pixels(QPoint(qRound(rect.x() * dpr), qRound(rect.y() * dpr)),
                       QSize(qRound(rect.width() * dpr), qRound(rect.height() * dpr)));
    QPixmap piece = sheet.copy(pixels);
    piece.setDevicePixelRatio(dpr);
    return piece;
}

QPixmap StretchTo(const QPixmap& pixmap, const QSize& size) {
    const qreal dpr = pixmap.devicePixelRatio();
    QPixmap out = pixmap.scaled(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)),
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out.setDevicePixelRatio(dpr);
    return out;
}
