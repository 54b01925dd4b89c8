// Drawing helpers shared by every picture of the artwork generator: the
// palette, fonts, soft shadows, cards and the line-art glyphs.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace art {

// The program's palette.
namespace color {
inline const QColor kNavy("#15374f");
inline const QColor kNavyDark("#0d2436");
inline const QColor kBlue("#025b96");
inline const QColor kBlueLight("#1a7fc1");
inline const QColor kGreen("#61bc0f");
inline const QColor kGreenDark("#3f8a08");
inline const QColor kTeal("#32cc99");
inline const QColor kTealDark("#13806a");
inline const QColor kInk("#203e57");
inline const QColor kInkSoft("#42627c");
inline const QColor kMuted("#8aa0b3");
inline const QColor kLine("#d5e0ea");
inline const QColor kPage("#f2f6f9");
inline const QColor kWhite("#ffffff");
inline const QColor kRed("#e5484d");
inline const QColor kOrange("#f08a24");
inline const QColor kPurple("#7d57c9");
inline const QColor kDisabledFill("#c9d3dc");
inline const QColor kDisabledInk("#f3f6f8");
} // namespace color

enum class State { Normal, Hover, Pressed, Disabled };

// DejaVu Sans is always present on the machines this builds on.
QFont Font(int pixelSize, bool bold = false);

// Colour lightened (factor > 0) or darkened (factor < 0) by a fraction.
QColor Shade(const QColor& c, double factor);
QColor WithAlpha(QColor c, int alpha);

// A soft drop shadow under a rounded rectangle, built from stacked
// translucent rounded rectangles.
void SoftShadow(QPainter& p, const QRectF& r, qreal radius, qreal spread, int alpha, qreal dy = 0);

// Text in a box; `flags` are Qt alignment and wrap flags.
void Text(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
          const QColor& color, int flags = Qt::AlignLeft | Qt::AlignVCenter);

// Line-art glyphs drawn into a square box with the current pen colour `c`
// and a stroke width proportional to the box.
namespace glyph {
void Phone(QPainter& p, const QRectF& box, const QColor& c, const QColor& screen);
void Laptop(QPainter& p, const QRectF& box, const QColor& c, const QColor& screen);
void ArrowRight(QPainter& p, const QRectF& box, const QColor& c);
void ArrowDown(QPainter& p, const QRectF& box, const QColor& c);
void Restore(QPainter& p, const QRectF& box, const QColor& c);
void Magnifier(QPainter& p, const QRectF& box, const QColor& c);
void Browser(QPainter& p, const QRectF& box, const QColor& c);
void Person(QPainter& p, const QRectF& box, const QColor& c);
void Bubble(QPainter& p, const QRectF& box, const QColor& c);
void Handset(QPainter& p, const QRectF& box, const QColor& c);
void Picture(QPainter& p, const QRectF& box, const QColor& c);
void Film(QPainter& p, const QRectF& box, const QColor& c);
void Note(QPainter& p, const QRectF& box, const QColor& c);
void Grid(QPainter& p, const QRectF& box, const QColor& c);
void Check(QPainter& p, const QRectF& box, const QColor& c, qreal width);
void Cross(QPainter& p, const QRectF& box, const QColor& c, qreal width);
void Menu(QPainter& p, const QRectF& box, const QColor& c);
void Minus(QPainter& p, const QRectF& box, const QColor& c);
void Folder(QPainter& p, const QRectF& box, const QColor& c);
void Cable(QPainter& p, const QRectF& box, const QColor& c);
void Lock(QPainter& p, const QRectF& box, const QColor& c);
} // namespace glyph

} // namespace art
