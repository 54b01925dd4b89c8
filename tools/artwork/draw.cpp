#include "draw.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace art {

QFont Font(int pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QColor Shade(const QColor& c, double factor) {
    const auto mix = [factor](int v) {
        if (factor >= 0) {
            return static_cast<int>(std::lround(v + (255 - v) * factor));
        }
        return static_cast<int>(std::lround(v * (1.0 + factor)));
    };
    return QColor(std::clamp(mix(c.red()), 0, 255), std::clamp(mix(c.green()), 0, 255),
                  std::clamp(mix(c.blue()), 0, 255), c.alpha());
}

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

void SoftShadow(QPainter& p, const QRectF& r, qreal radius, qreal spread, int alpha, qreal dy) {
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = std::max(1, static_cast<int>(spread));
    for (int i = steps; i >= 1; --i) {
        const qreal grow = i;
        const int a =
            static_cast<int>(alpha * (1.0 - static_cast<double>(i) / (steps + 1)) / (steps * 0.45));
        p.setBrush(QColor(13, 36, 54, std::clamp(a, 0, 255)));
        p.drawRoundedRect(r.adjusted(-grow, -grow + dy, grow, grow + dy), radius + grow,
                          radius + grow);
    }
    p.restore();
}

void Text(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
          const QColor& color, int flags) {
    p.save();
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, flags, text);
    p.restore();
}

namespace glyph {
namespace {

QPen Stroke(const QColor& c, qreal w) {
    QPen pen(c, w);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Unit of a glyph box: glyphs are designed on a 24x24 grid.
struct Grid24 {
    QRectF box;
    qreal u;
    explicit Grid24(const QRectF& b) : box(b), u(std::min(b.width(), b.height()) / 24.0) {}
    QPointF at(qreal x, qreal y) const {
        const qreal ox = box.center().x() - 12 * u;
        const qreal oy = box.center().y() - 12 * u;
        return {ox + x * u, oy + y * u};
    }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const {
        return QRectF(at(x, y), QSizeF(w * u, h * u));
    }
};

} // namespace

void Phone(QPainter& p, const QRectF& box, const QColor& c, const QColor& screen) {
    // A portrait phone filling the height of the box.
    p.save();
    const qreal h = box.height();
    const qreal w = h * 0.52;
    const QRectF body(box.center().x() - w / 2, box.top(), w, h);
    const qreal r = w * 0.14;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(body, r, r);
    const qreal m = w * 0.07;
    const QRectF glass = body.adjusted(m, h * 0.08, -m, -h * 0.1);
    p.setBrush(screen);
    p.drawRoundedRect(glass, r * 0.4, r * 0.4);
    // Speaker slot and button.
    p.setBrush(Shade(screen, -0.05));
    p.drawRoundedRect(
        QRectF(body.center().x() - w * 0.12, body.top() + h * 0.035, w * 0.24, h * 0.014),
        h * 0.007, h * 0.007);
    p.drawEllipse(QPointF(body.center().x(), body.bottom() - h * 0.05), h * 0.022, h * 0.022);
    p.restore();
}

void Laptop(QPainter& p, const QRectF& box, const QColor& c, const QColor& screen) {
    p.save();
    p.setPen(Qt::NoPen);
    const qreal w = box.width();
    const qreal h = w * 0.68;
    const QRectF area(box.left(), box.center().y() - h / 2, w, h);
    const QRectF lid(area.left() + w * 0.1, area.top(), w * 0.8, h * 0.82);
    p.setBrush(c);
    p.drawRoundedRect(lid, w * 0.035, w * 0.035);
    p.setBrush(screen);
    p.drawRect(lid.adjusted(w * 0.035, w * 0.035, -w * 0.035, -w * 0.05));
    QPainterPath base;
    base.moveTo(area.left(), area.top() + h * 0.86);
    base.lineTo(area.right(), area.top() + h * 0.86);
    base.lineTo(area.right() - w * 0.04, area.bottom());
    base.lineTo(area.left() + w * 0.04, area.bottom());
    base.closeSubpath();
    p.setBrush(c);
    p.drawPath(base);
    p.setBrush(Shade(c, 0.25));
    p.drawRoundedRect(
        QRectF(area.center().x() - w * 0.08, area.top() + h * 0.86, w * 0.16, h * 0.05), h * 0.02,
        h * 0.02);
    p.restore();
}

void ArrowRight(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.4 * g.u));
    p.drawLine(g.at(3, 12), g.at(20, 12));
    p.drawPolyline(QPolygonF{g.at(13, 5), g.at(20, 12), g.at(13, 19)});
    p.restore();
}

void ArrowDown(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.4 * g.u));
    p.drawLine(g.at(12, 3), g.at(12, 20));
    p.drawPolyline(QPolygonF{g.at(5, 13), g.at(12, 20), g.at(19, 13)});
    p.restore();
}

void Restore(QPainter& p, const QRectF& box, const QColor& c) {
    // An open circle with an arrow head: "put back".
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.4 * g.u));
    p.setBrush(Qt::NoBrush);
    const QRectF ring = g.rect(3.5, 3.5, 17, 17);
    p.drawArc(ring, 110 * 16, 290 * 16);
    // Arrow head at the arc's start (upper left).
    const qreal a = 110.0 * M_PI / 180.0;
    const QPointF tip(ring.center().x() + std::cos(a) * ring.width() / 2,
                      ring.center().y() - std::sin(a) * ring.height() / 2);
    p.drawPolyline(QPolygonF{tip + QPointF(-5.5 * g.u, -1.2 * g.u), tip,
                             tip + QPointF(-1.0 * g.u, 5.2 * g.u)});
    // Clock hands: restoring a moment in time.
    p.drawPolyline(QPolygonF{g.at(12, 8), g.at(12, 12.5), g.at(15, 14.5)});
    p.restore();
}

void Magnifier(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.4 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(g.rect(3, 3, 13, 13));
    p.setPen(Stroke(c, 3.4 * g.u));
    p.drawLine(g.at(14.5, 14.5), g.at(20.5, 20.5));
    p.restore();
}

void Browser(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.0 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(g.rect(2.5, 4, 19, 16), 2.2 * g.u, 2.2 * g.u);
    p.drawLine(g.at(2.5, 8.5), g.at(21.5, 8.5));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(g.at(5.2, 6.3), 0.9 * g.u, 0.9 * g.u);
    p.drawEllipse(g.at(8.0, 6.3), 0.9 * g.u, 0.9 * g.u);
    p.setPen(Stroke(c, 1.8 * g.u));
    p.drawLine(g.at(6, 12.5), g.at(18, 12.5));
    p.drawLine(g.at(6, 16), g.at(14, 16));
    p.restore();
}

void Person(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(g.rect(7.5, 3, 9, 9));
    QPainterPath body;
    body.moveTo(g.at(3.5, 21));
    body.cubicTo(g.at(3.5, 15), g.at(8, 13.5), g.at(12, 13.5));
    body.cubicTo(g.at(16, 13.5), g.at(20.5, 15), g.at(20.5, 21));
    body.closeSubpath();
    p.drawPath(body);
    p.restore();
}

void Bubble(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPainterPath path;
    path.addRoundedRect(g.rect(2.5, 3.5, 19, 13.5), 3.5 * g.u, 3.5 * g.u);
    QPainterPath tail;
    tail.moveTo(g.at(6.5, 15));
    tail.lineTo(g.at(6.5, 21));
    tail.lineTo(g.at(12, 16));
    tail.closeSubpath();
    p.drawPath(path.united(tail));
    p.restore();
}

void Handset(QPainter& p, const QRectF& box, const QColor& c) {
    // A telephone receiver lying from upper left to lower right: a curved
    // grip with an ear pad and a mouth pad at its ends.
    Grid24 g(box);
    p.save();
    QPainterPath grip;
    grip.moveTo(g.at(6.5, 5.5));
    grip.quadTo(g.at(4.0, 19.5), g.at(18.5, 17.5));
    p.setPen(Stroke(c, 3.6 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawPath(grip);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const struct { qreal x, y, angle; } pads[2] = {{7.4, 5.0, -20}, {18.8, 16.6, -70}};
    for (const auto& pad : pads) {
        p.save();
        p.translate(g.at(pad.x, pad.y));
        p.rotate(pad.angle);
        p.drawRoundedRect(QRectF(-4.2 * g.u, -2.4 * g.u, 8.4 * g.u, 4.8 * g.u), 2.0 * g.u,
                          2.0 * g.u);
        p.restore();
    }
    p.restore();
}

void Picture(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.0 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(g.rect(2.5, 4, 19, 16), 2.5 * g.u, 2.5 * g.u);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(g.at(16.5, 8.8), 1.9 * g.u, 1.9 * g.u);
    QPainterPath hills;
    hills.moveTo(g.at(4, 18.5));
    hills.lineTo(g.at(9.5, 11.5));
    hills.lineTo(g.at(13.5, 16));
    hills.lineTo(g.at(15.5, 13.8));
    hills.lineTo(g.at(20, 18.5));
    hills.closeSubpath();
    p.drawPath(hills);
    p.restore();
}

void Film(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.0 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(g.rect(2.5, 4.5, 19, 15), 3 * g.u, 3 * g.u);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPolygonF play{g.at(9.8, 8.2), g.at(16.2, 12), g.at(9.8, 15.8)};
    p.drawPolygon(play);
    p.restore();
}

void Note(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(g.rect(3.5, 15, 7, 5.6));
    p.drawEllipse(g.rect(13, 13, 7, 5.6));
    QPainterPath beam;
    beam.moveTo(g.at(8.7, 17.6));
    beam.lineTo(g.at(8.7, 6.2));
    beam.lineTo(g.at(20, 3.5));
    beam.lineTo(g.at(20, 15.6));
    beam.lineTo(g.at(18.2, 15.6));
    beam.lineTo(g.at(18.2, 8.2));
    beam.lineTo(g.at(10.5, 10));
    beam.lineTo(g.at(10.5, 17.6));
    beam.closeSubpath();
    p.drawPath(beam);
    p.restore();
}

void Grid(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int i = 0; i < 4; ++i) {
        const qreal x = (i % 2) ? 13.2 : 3.8;
        const qreal y = (i / 2) ? 13.2 : 3.8;
        p.drawRoundedRect(g.rect(x, y, 7, 7), 2 * g.u, 2 * g.u);
    }
    p.restore();
}

void Check(QPainter& p, const QRectF& box, const QColor& c, qreal width) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, width));
    p.drawPolyline(QPolygonF{g.at(5, 12.5), g.at(10, 17.5), g.at(19.5, 7)});
    p.restore();
}

void Cross(QPainter& p, const QRectF& box, const QColor& c, qreal width) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, width));
    p.drawLine(g.at(6, 6), g.at(18, 18));
    p.drawLine(g.at(18, 6), g.at(6, 18));
    p.restore();
}

void Menu(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.0 * g.u));
    for (qreal y : {6.5, 12.0, 17.5}) {
        p.drawLine(g.at(4, y), g.at(20, y));
    }
    p.restore();
}

void Minus(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.0 * g.u));
    p.drawLine(g.at(5, 12.5), g.at(19, 12.5));
    p.restore();
}

void Folder(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Shade(c, -0.15));
    QPainterPath back;
    back.moveTo(g.at(2, 6.5));
    back.quadTo(g.at(2, 4.5), g.at(4, 4.5));
    back.lineTo(g.at(9, 4.5));
    back.lineTo(g.at(11, 6.8));
    back.lineTo(g.at(20, 6.8));
    back.quadTo(g.at(22, 6.8), g.at(22, 8.8));
    back.lineTo(g.at(22, 18));
    back.lineTo(g.at(2, 18));
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(c);
    p.drawRoundedRect(g.rect(2, 9, 20, 11), 1.8 * g.u, 1.8 * g.u);
    p.restore();
}

void Cable(QPainter& p, const QRectF& box, const QColor& c) {
    // A USB plug pointing up with its cable falling away below.
    Grid24 g(box);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(g.rect(8.5, 1.5, 7, 5), 0.8 * g.u, 0.8 * g.u);
    p.drawRoundedRect(g.rect(7, 6, 10, 8.5), 1.6 * g.u, 1.6 * g.u);
    p.setPen(Stroke(c, 2.4 * g.u));
    p.setBrush(Qt::NoBrush);
    QPainterPath wire;
    wire.moveTo(g.at(12, 14.5));
    wire.cubicTo(g.at(12, 20), g.at(6, 18), g.at(6, 23));
    p.drawPath(wire);
    p.restore();
}

void Lock(QPainter& p, const QRectF& box, const QColor& c) {
    Grid24 g(box);
    p.save();
    p.setPen(Stroke(c, 2.2 * g.u));
    p.setBrush(Qt::NoBrush);
    p.drawArc(g.rect(7.5, 3, 9, 11), 0, 180 * 16);
    p.drawLine(g.at(7.5, 8.5), g.at(7.5, 10.5));
    p.drawLine(g.at(16.5, 8.5), g.at(16.5, 10.5));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(g.rect(5, 10.5, 14, 10.5), 2 * g.u, 2 * g.u);
    p.restore();
}

} // namespace glyph
} // namespace art
