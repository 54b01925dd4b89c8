// Loading and cutting the program's images. Every image exists twice in the
// resources, as drawn ("name.png") and at twice the pixel density
// ("name@2x.png"); rectangles and sizes are always given in drawing units,
// whatever the density of the image they are applied to.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

// The image at `path`, in the density that suits the screens: the "@2x"
// drawing when a screen has more than one pixel per unit and the drawing
// exists.
QPixmap LoadArtwork(const QString& path);
// The same with the density chosen by the caller (1 or 2).
QPixmap LoadArtwork(const QString& path, qreal devicePixelRatio);

// The piece of `sheet` at `rect`, at the sheet's density.
QPixmap CutSprite(const QPixmap& sheet, const QRect& rect);

// `pixmap` stretched to `size` units, ignoring its aspect ratio, at its
// density.
QPixmap StretchTo(const QPixmap& pixmap, const QSize& size);
