// tarvell-artwork: draws every image of the desktop program from code.
//
//   tarvell-artwork <output folder>
//
// Writes the sprite sheets (main.png, publicImage.png) and the single
// pictures into the folder, each also at twice the size ("name@2x.png") for
// high-density screens. The rectangles come from sprites/sprites.h, the
// header the program cuts its buttons with.
#include "draw.h"
#include "sprites.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

using namespace art;
namespace c = art::color;

namespace {

// Pixels per drawing unit of the images being drawn: 1, or 2 for "@2x".
int g_scale = 1;

// An empty image of `size` drawing units; painting on it is scaled.
QImage Canvas(const QSize& size) {
    QImage img(size * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    return img;
}

void Begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// Draws `paint` once per state into the rectangles of `states`.
void EachState(QPainter& p, const sprites::States& states, int count,
               const std::function<void(QPainter&, const QRectF&, State)>& paint) {
    const QRect rects[4] = {states.normal, states.hover, states.pressed, states.disabled};
    const State kinds[4] = {State::Normal, State::Hover, State::Pressed, State::Disabled};
    for (int i = 0; i < count; ++i) {
        p.save();
        p.setClipRect(rects[i]);
        paint(p, QRectF(rects[i]), kinds[i]);
        p.restore();
    }
}

// ---- buttons -------------------------------------------------------------------

// A coloured home card. The card sits inside its rectangle with room for the
// shadow; hover lifts it, pressed pushes it down and darkens it.
QRectF CardFrame(QPainter& p, const QRectF& r, State s, const QColor& base, qreal radius) {
    QRectF card = r.adjusted(6, 4, -6, -10);
    if (s == State::Pressed) {
        card.translate(0, 2);
    }
    if (s == State::Hover) {
        card.translate(0, -2);
    }
    const int shadow = s == State::Hover ? 46 : (s == State::Pressed ? 18 : 30);
    if (s != State::Disabled) {
        SoftShadow(p, card, radius, s == State::Hover ? 7 : 4, shadow, s == State::Pressed ? 1 : 3);
    }
    QColor top = base;
    QColor bottom = Shade(base, -0.18);
    if (s == State::Hover) {
        top = Shade(base, 0.12);
        bottom = Shade(base, -0.06);
    } else if (s == State::Pressed) {
        top = Shade(base, -0.14);
        bottom = Shade(base, -0.28);
    } else if (s == State::Disabled) {
        top = c::kDisabledFill;
        bottom = Shade(c::kDisabledFill, -0.06);
    }
    QLinearGradient grad(card.topLeft(), card.bottomRight());
    grad.setColorAt(0, top);
    grad.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(grad);
    p.drawRoundedRect(card, radius, radius);
    // Two large translucent discs give the flat card some depth.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(card, radius, radius);
    p.setClipPath(clip, Qt::IntersectClip);
    p.setBrush(QColor(255, 255, 255, s == State::Disabled ? 20 : 26));
    const qreal d = std::max(card.width(), card.height());
    p.drawEllipse(QPointF(card.right() - d * 0.12, card.top() + d * 0.05), d * 0.42, d * 0.42);
    p.setBrush(QColor(255, 255, 255, 14));
    p.drawEllipse(QPointF(card.right() + d * 0.05, card.bottom()), d * 0.5, d * 0.5);
    p.restore();
    return card;
}

void HomeBackup(QPainter& p, const QRectF& r, State s) {
    const QRectF card = CardFrame(p, r, s, QColor("#0a6cb0"), 18);
    const QColor ink = s == State::Disabled ? c::kDisabledInk : c::kWhite;
    // Illustration: phone, arrow, laptop.
    const QRectF art(card.left() + 40, card.top() + 54, card.width() - 80, 170);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawRoundedRect(art.adjusted(-12, -20, 12, 20), 22, 22);
    glyph::Phone(p, QRectF(art.left() + 28, art.top(), 90, art.height()), ink,
                 s == State::Disabled ? c::kDisabledFill : QColor("#4aa3df"));
    // Data chips on the phone screen.
    const QColor chips[4] = {c::kGreen, c::kOrange, c::kTeal, QColor("#ffd166")};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(s == State::Disabled ? Shade(c::kDisabledFill, 0.35) : chips[i]);
        p.drawRoundedRect(
            QRectF(art.left() + 60 + (i % 2) * 14, art.top() + 46 + (i / 2) * 14, 10, 10), 3, 3);
    }
    glyph::ArrowRight(p, QRectF(art.center().x() - 26, art.center().y() - 26, 52, 52), ink);
    glyph::Laptop(p, QRectF(art.right() - 150, art.top() + 20, 150, 130), ink,
                  s == State::Disabled ? c::kDisabledFill : QColor("#4aa3df"));
    glyph::Folder(p, QRectF(art.right() - 97, art.top() + 50, 44, 44),
                  s == State::Disabled ? c::kDisabledInk : QColor("#ffd166"));
    Text(p, QRectF(card.left() + 34, card.bottom() - 152, card.width() - 68, 46), "Back Up",
         Font(36, true), ink);
    Text(p, QRectF(card.left() + 34, card.bottom() - 102, card.width() - 68, 72),
         "Copy contacts, messages, call logs, photos, music, videos and apps "
         "to a folder on this computer.",
         Font(15), WithAlpha(ink, 235), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
}

void SmallCard(QPainter& p, const QRectF& r, State s, const QColor& base, const QString& title,
               const QString& line,
               const std::function<void(QPainter&, const QRectF&, const QColor&)>& icon) {
    const QRectF card = CardFrame(p, r, s, base, 14);
    const QColor ink = s == State::Disabled ? c::kDisabledInk : c::kWhite;
    const QRectF disc(card.left() + 18, card.top() + 18, 44, 44);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 44));
    p.drawEllipse(disc);
    icon(p, disc.adjusted(10, 10, -10, -10), ink);
    Text(p, QRectF(card.left() + 18, card.top() + 70, card.width() - 30, 26), title, Font(19, true),
         ink);
    Text(p, QRectF(card.left() + 18, card.top() + 97, card.width() - 28, 36), line, Font(12),
         WithAlpha(ink, 235), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
}

void HomeView(QPainter& p, const QRectF& r, State s) {
    // A light card, so the page does not turn into a wall of colour.
    QRectF card = r.adjusted(6, 4, -6, -10);
    if (s == State::Pressed) {
        card.translate(0, 2);
    }
    if (s == State::Hover) {
        card.translate(0, -2);
    }
    if (s != State::Disabled) {
        SoftShadow(p, card, 14, s == State::Hover ? 7 : 4, s == State::Hover ? 40 : 24, 3);
    }
    QColor fill = c::kWhite;
    QColor border = c::kLine;
    QColor accent = c::kBlue;
    QColor title = c::kNavy;
    QColor text = c::kInkSoft;
    switch (s) {
    case State::Hover:
        fill = QColor("#f4faff");
        border = QColor("#7fb6dc");
        break;
    case State::Pressed:
        fill = QColor("#e2eff9");
        border = c::kBlue;
        accent = Shade(c::kBlue, -0.2);
        break;
    case State::Disabled:
        fill = QColor("#eef2f5");
        border = QColor("#dde4ea");
        accent = QColor("#b3c0cb");
        title = QColor("#9aabb9");
        text = QColor("#a9b7c3");
        break;
    case State::Normal:
        break;
    }
    p.setPen(QPen(border, 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    // Accent strip on the left edge.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(card, 14, 14);
    p.setClipPath(clip, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(card.left(), card.top(), 6, card.height()));
    p.restore();
    const QRectF disc(card.left() + 30, card.center().y() - 34, 68, 68);
    p.setPen(Qt::NoPen);
    p.setBrush(s == State::Disabled ? QColor("#e1e7ec") : WithAlpha(accent, 30));
    p.drawEllipse(disc);
    glyph::Browser(p, disc.adjusted(15, 15, -15, -15), accent);
    Text(p, QRectF(disc.right() + 22, card.top() + 30, card.width() - 150, 30), "View & Print",
         Font(22, true), title);
    Text(p, QRectF(disc.right() + 22, card.top() + 66, card.width() - 150, 48),
         "Open your latest backup in the web browser to read, search or print it.", Font(13), text,
         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    glyph::ArrowRight(p, QRectF(card.right() - 44, card.center().y() - 12, 24, 24),
                      s == State::Disabled ? text : WithAlpha(accent, 200));
}

// Title bar buttons: white line icons on the dark bar.
void TitleButton(QPainter& p, const QRectF& r, State s, int column) {
    QColor bg = Qt::transparent;
    QColor ink(255, 255, 255, 215);
    if (s == State::Hover) {
        bg = column == sprites::kTitleCloseColumn ? c::kRed : QColor(255, 255, 255, 40);
        ink = c::kWhite;
    } else if (s == State::Pressed) {
        bg = column == sprites::kTitleCloseColumn ? Shade(c::kRed, -0.2) : QColor(0, 0, 0, 60);
        ink = c::kWhite;
    } else if (s == State::Disabled) {
        ink = QColor(255, 255, 255, 70);
    }
    p.fillRect(r, bg);
    const QRectF icon(r.center().x() - 8, r.center().y() - 8, 16, 16);
    switch (column) {
    case sprites::kTitleMenuColumn:
        glyph::Menu(p, icon, ink);
        break;
    case sprites::kTitleMinimiseColumn:
        glyph::Minus(p, icon, ink);
        break;
    default:
        glyph::Cross(p, icon, ink, 1.7);
        break;
    }
}

// Rectangular buttons of the screens and dialogs.
enum class Kind { Primary, Secondary, Go };

void FlatButton(QPainter& p, const QRectF& r, State s, Kind kind, const QString& label,
                const std::function<void(QPainter&, const QRectF&, const QColor&)>& icon = {}) {
    const QRectF box = r.adjusted(1, 1, -1, -2);
    QColor fill;
    QColor border;
    QColor ink;
    const QColor base = kind == Kind::Go ? QColor("#4d9f0c") : c::kBlue;
    if (kind == Kind::Secondary) {
        fill = c::kWhite;
        border = QColor("#b8c8d6");
        ink = c::kNavy;
        if (s == State::Hover) {
            fill = QColor("#eef6fc");
            border = c::kBlueLight;
            ink = c::kBlue;
        } else if (s == State::Pressed) {
            fill = QColor("#dcebf6");
            border = c::kBlue;
            ink = Shade(c::kBlue, -0.2);
        }
    } else {
        fill = base;
        border = Shade(base, -0.15);
        ink = c::kWhite;
        if (s == State::Hover) {
            fill = Shade(base, 0.14);
            border = base;
        } else if (s == State::Pressed) {
            fill = Shade(base, -0.2);
            border = Shade(base, -0.3);
        }
    }
    if (s == State::Disabled) {
        fill = QColor("#e4e9ee");
        border = QColor("#d3dbe2");
        ink = QColor("#9aa9b6");
    }
    // A one-pixel ledge under raised buttons.
    if (s == State::Normal || s == State::Hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(13, 36, 54, kind == Kind::Secondary ? 22 : 45));
        p.drawRoundedRect(box.translated(0, 1.5), 7, 7);
    }
    QLinearGradient grad(box.topLeft(), box.bottomLeft());
    grad.setColorAt(0, s == State::Pressed ? fill : Shade(fill, 0.05));
    grad.setColorAt(1, fill);
    p.setPen(QPen(border, 1));
    p.setBrush(grad);
    const QRectF face = s == State::Pressed ? box.translated(0, 1) : box;
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    const QFont font = Font(r.height() >= 40 ? 15 : 14, true);
    const QFontMetricsF fm(font);
    const qreal textW = fm.horizontalAdvance(label);
    const qreal iconW = icon ? face.height() * 0.46 : 0;
    const qreal gap = icon ? 8 : 0;
    const qreal x0 = face.center().x() - (textW + iconW + gap) / 2;
    if (icon) {
        icon(p, QRectF(x0, face.center().y() - iconW / 2, iconW, iconW), ink);
    }
    Text(p, QRectF(x0 + iconW + gap, face.top(), textW + 4, face.height()), label, font, ink);
}

void DialogClose(QPainter& p, const QRectF& r, State s) {
    QColor ink = QColor("#7d8f9e");
    if (s == State::Hover || s == State::Pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(s == State::Hover ? c::kRed : Shade(c::kRed, -0.2));
        p.drawEllipse(r.adjusted(1, 1, -1, -1));
        ink = c::kWhite;
    } else if (s == State::Disabled) {
        ink = QColor("#cfd8df");
    }
    glyph::Cross(p, r.adjusted(4, 4, -4, -4), ink, 2.0);
}

void MessageIcon(QPainter& p, const QRectF& r, const QColor& base, const QString& mark,
                 bool check) {
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(base, 40));
    p.drawEllipse(r);
    QRadialGradient grad(r.center() - QPointF(8, 10), r.width() * 0.5);
    grad.setColorAt(0, Shade(base, 0.15));
    grad.setColorAt(1, base);
    p.setBrush(grad);
    p.drawEllipse(r.adjusted(6, 6, -6, -6));
    if (check) {
        glyph::Check(p, r.adjusted(17, 17, -17, -17), c::kWhite, 4.2);
    } else {
        Text(p, r.adjusted(6, 4, -6, -6), mark, Font(30, true), c::kWhite, Qt::AlignCenter);
    }
}

// ---- pictures --------------------------------------------------------------------

void TransferScene(QPainter& p, const QRectF& r, bool toComputer) {
    // Phone on the left, laptop on the right, a dotted arc between them.
    const QRectF phone(r.left() + r.width() * 0.06, r.top() + r.height() * 0.12, r.height() * 0.42,
                       r.height() * 0.76);
    glyph::Phone(p, phone, c::kNavy, QColor("#4aa3df"));
    const QRectF laptop(r.right() - r.width() * 0.42, r.top() + r.height() * 0.16, r.width() * 0.38,
                        r.height() * 0.7);
    glyph::Laptop(p, laptop, c::kNavy, QColor("#4aa3df"));
    QPainterPath arc;
    const QPointF a(phone.right() + 8, r.center().y() - 6);
    const QPointF b(laptop.left() + 14, r.center().y() - 6);
    arc.moveTo(a);
    arc.quadTo(QPointF((a.x() + b.x()) / 2, r.top() + 4), b);
    QPen dots(c::kGreen, 4.5);
    dots.setCapStyle(Qt::RoundCap);
    dots.setDashPattern({0.01, 2.4});
    p.setPen(dots);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const QPointF end = toComputer ? b : a;
    const QPointF before = arc.pointAtPercent(toComputer ? 0.9 : 0.1);
    p.save();
    p.translate(end);
    p.rotate(std::atan2(end.y() - before.y(), end.x() - before.x()) * 180 / M_PI);
    p.setPen(Qt::NoPen);
    p.setBrush(c::kGreen);
    p.drawPolygon(QPolygonF{QPointF(4, 0), QPointF(-9, -7), QPointF(-9, 7)});
    p.restore();
}

QImage MainSheet() {
    QImage img = Canvas(sprites::kMainSheet);
    QPainter p(&img);
    Begin(p);

    // Window background: title bar and home page.
    {
        const QRectF all(sprites::kHomeBackground);
        p.fillRect(all, c::kPage);
        QLinearGradient bar(0, 0, all.width(), 0);
        bar.setColorAt(0, c::kNavyDark);
        bar.setColorAt(1, c::kNavy);
        p.fillRect(QRectF(0, 0, all.width(), sprites::kTitleBarHeight), bar);
        p.fillRect(QRectF(0, sprites::kTitleBarHeight, all.width(), 1), QColor("#0a1c2a"));
        // Logo: the program icon in small, the name and what it does.
        const QRectF logo(16, 11, 30, 30);
        QLinearGradient lg(logo.topLeft(), logo.bottomRight());
        lg.setColorAt(0, c::kBlueLight);
        lg.setColorAt(1, c::kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(lg);
        p.drawRoundedRect(logo, 8, 8);
        glyph::Phone(p, logo.adjusted(6, 5, -6, -5), c::kWhite, QColor("#4aa3df"));
        Text(p, QRectF(56, 8, 140, 36), "Tarvell", Font(21, true), c::kWhite);
        Text(p, QRectF(152, 10, 300, 34), "Phone backup & restore", Font(13), QColor("#8fb0c8"));
        // Page: a soft wash from the top and a wave along the bottom.
        const qreal top = sprites::kTitleBarHeight + 1;
        QLinearGradient wash(0, top, 0, all.height());
        wash.setColorAt(0, QColor("#e6eff6"));
        wash.setColorAt(0.35, c::kPage);
        wash.setColorAt(1, c::kPage);
        p.fillRect(QRectF(0, top, all.width(), all.height() - top), wash);
        QPainterPath wave;
        wave.moveTo(0, 600);
        wave.cubicTo(260, 560, 520, 640, 1000, 580);
        wave.lineTo(1000, 650);
        wave.lineTo(0, 650);
        wave.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(2, 91, 150, 18));
        p.drawPath(wave);
        // Greeting above the buttons (home page y 64 is window y 116).
        Text(p, QRectF(63, 66, 600, 30), "What would you like to do?", Font(20, true), c::kNavy);
        Text(p, QRectF(63, 94, 700, 20),
             "Attach your Android phone with a USB cable, then pick a task.", Font(13),
             c::kInkSoft);
        // Between the small cards and the wide card: a promise about the data.
        const QRectF note(518, 279, 408, 52);
        p.setBrush(QColor(255, 255, 255, 170));
        p.setPen(QPen(QColor("#dbe6ef"), 1));
        p.drawRoundedRect(note, 10, 10);
        glyph::Lock(p, QRectF(note.left() + 14, note.top() + 14, 24, 24), c::kTealDark);
        Text(p, QRectF(note.left() + 48, note.top(), note.width() - 56, note.height()),
             "Your data stays on this computer: no account, no cloud. Backups are plain "
             "folders you can open in any browser.",
             Font(11), c::kInk, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
        // Footer hint.
        glyph::Cable(p, QRectF(63, 566, 26, 26), c::kInkSoft);
        Text(p, QRectF(96, 560, 840, 38),
             "Tip: switch on USB debugging on the phone (Settings > Developer options) and tap "
             "\"Allow\" when the phone asks.",
             Font(12), c::kInkSoft, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
    }

    // Title bar buttons.
    for (int col = 0; col < 3; ++col) {
        sprites::States st = sprites::TitleButton(col);
        for (QRect* rect : {&st.normal, &st.hover, &st.pressed, &st.disabled}) {
            rect->translate(sprites::kTitleSprite.topLeft());
        }
        EachState(p, st, 4,
                  [col](QPainter& q, const QRectF& r, State s) { TitleButton(q, r, s, col); });
    }

    // Screen and dialog buttons.
    const auto back = [](QPainter& q, const QRectF& r, const QColor& ink) {
        QPen pen(ink, 2.2);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        q.save();
        q.setPen(pen);
        q.drawPolyline(QPolygonF{QPointF(r.right() - r.width() * 0.3, r.top() + 1),
                                 QPointF(r.left() + r.width() * 0.25, r.center().y()),
                                 QPointF(r.right() - r.width() * 0.3, r.bottom() - 1)});
        q.restore();
    };
    EachState(p, sprites::kBackButton, 4, [&](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Secondary, "Back", back);
    });
    EachState(p, sprites::kStartBackupButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(
            q, r, s, Kind::Go, "Start Backup",
            [](QPainter& qq, const QRectF& b, const QColor& ink) { glyph::ArrowDown(qq, b, ink); });
    });
    EachState(p, sprites::kStartRestoreButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Go, "Start Restore", glyph::Restore);
    });
    EachState(p, sprites::kOkButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Primary, "OK");
    });
    EachState(p, sprites::kCancelButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Secondary, "Cancel");
    });
    EachState(p, sprites::kYesButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Primary, "Yes");
    });
    EachState(p, sprites::kNoButton, 4, [](QPainter& q, const QRectF& r, State s) {
        FlatButton(q, r, s, Kind::Secondary, "No");
    });

    // Home buttons: transparent around the card, so their shadows fall on
    // the page behind them on screen.
    EachState(p, sprites::kHomeBackupButton, 3, HomeBackup);
    EachState(p, sprites::kHomeRestoreButton, 3, [](QPainter& q, const QRectF& r, State s) {
        SmallCard(q, r, s, QColor("#4f9f0c"), "Restore", "Put a backup back\non a phone",
                  glyph::Restore);
    });
    EachState(p, sprites::kHomeRecoveryButton, 3, [](QPainter& q, const QRectF& r, State s) {
        SmallCard(q, r, s, QColor("#15866d"), "Data Recovery",
                  "No backup? See what\ncan still be saved", glyph::Magnifier);
    });
    EachState(p, sprites::kHomeViewButton, 4, HomeView);
    return img;
}

QImage PublicSheet() {
    QImage img = Canvas(sprites::kPublicSheet);
    QPainter p(&img);
    Begin(p);
    EachState(p, sprites::kDialogCloseButton, 4, DialogClose);
    MessageIcon(p, QRectF(sprites::kIconInfo), c::kBlue, "i", false);
    MessageIcon(p, QRectF(sprites::kIconSuccess), QColor("#4f9f0c"), {}, true);
    MessageIcon(p, QRectF(sprites::kIconQuestion), c::kBlueLight, "?", false);
    MessageIcon(p, QRectF(sprites::kIconWarning), c::kOrange, "!", false);
    TransferScene(p, QRectF(sprites::kProgressPicture), true);
    return img;
}

QImage ProgramIcon(int size) {
    QImage img = Canvas(QSize(size, size));
    QPainter p(&img);
    Begin(p);
    const qreal s = size;
    const QRectF tile(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient g(tile.topLeft(), tile.bottomRight());
    g.setColorAt(0, c::kBlueLight);
    g.setColorAt(1, c::kNavy);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(tile, s * 0.2, s * 0.2);
    glyph::Phone(p, QRectF(s * 0.2, s * 0.16, s * 0.4, s * 0.68), c::kWhite, QColor("#4aa3df"));
    const QRectF badge(s * 0.5, s * 0.5, s * 0.38, s * 0.38);
    p.setBrush(c::kGreen);
    p.setPen(QPen(c::kWhite, s * 0.03));
    p.drawEllipse(badge);
    glyph::Restore(p, badge.adjusted(s * 0.07, s * 0.07, -s * 0.07, -s * 0.07), c::kWhite);
    return img;
}

// One numbered step card of the connection picture.
void StepCard(QPainter& p, const QRectF& r, int number, const QString& title, const QString& text,
              const std::function<void(QPainter&, const QRectF&)>& art) {
    SoftShadow(p, r, 14, 4, 22, 2);
    p.setPen(QPen(c::kLine, 1));
    p.setBrush(c::kWhite);
    p.drawRoundedRect(r, 14, 14);
    const QRectF artBox(r.left() + 14, r.top() + 14, r.width() - 28, 150);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#eef5fb"));
    p.drawRoundedRect(artBox, 10, 10);
    art(p, artBox);
    const QRectF badge(r.left() + 16, artBox.bottom() + 16, 30, 30);
    p.setBrush(c::kBlue);
    p.drawEllipse(badge);
    Text(p, badge, QString::number(number), Font(16, true), c::kWhite, Qt::AlignCenter);
    Text(p, QRectF(badge.right() + 10, badge.top() - 2, r.width() - 66, 34), title, Font(16, true),
         c::kNavy);
    Text(p, QRectF(r.left() + 18, badge.bottom() + 10, r.width() - 34, 70), text, Font(13),
         c::kInkSoft, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
}

// A phone screen with the "Allow USB debugging?" prompt.
void PromptPhone(QPainter& p, const QRectF& box, bool big) {
    glyph::Phone(p, box, c::kNavy, QColor("#dce9f3"));
    const qreal w = box.height() * 0.52;
    const QRectF screen(box.center().x() - w / 2 + w * 0.07, box.top() + box.height() * 0.08,
                        w * 0.86, box.height() * 0.82);
    const QRectF sheet(screen.left() + 4, screen.center().y() - screen.height() * 0.2,
                       screen.width() - 8, screen.height() * 0.42);
    p.setPen(Qt::NoPen);
    p.setBrush(c::kWhite);
    p.drawRoundedRect(sheet, 6, 6);
    if (big) {
        Text(p, sheet.adjusted(8, 6, -6, -sheet.height() * 0.55), "Allow USB debugging?",
             Font(12, true), c::kNavy, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
        const QRectF tick(sheet.left() + 8, sheet.center().y() + 2, 13, 13);
        p.setBrush(c::kBlue);
        p.drawRoundedRect(tick, 3, 3);
        glyph::Check(p, tick.adjusted(1, 1, -1, -1), c::kWhite, 1.8);
        Text(p, QRectF(tick.right() + 5, tick.top() - 4, sheet.width() - 30, 22),
             "Always allow from this computer", Font(9), c::kInk,
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
        const QRectF allow(sheet.right() - 58, sheet.bottom() - 28, 50, 22);
        p.setBrush(c::kGreen);
        p.drawRoundedRect(allow, 5, 5);
        Text(p, allow, "Allow", Font(11, true), c::kWhite, Qt::AlignCenter);
        Text(p, QRectF(allow.left() - 62, allow.top(), 56, 22), "Cancel", Font(11), c::kMuted,
             Qt::AlignCenter);
    } else {
        p.setBrush(QColor("#c7d7e4"));
        p.drawRoundedRect(QRectF(sheet.left() + 6, sheet.top() + 8, sheet.width() * 0.7, 6), 3, 3);
        p.drawRoundedRect(QRectF(sheet.left() + 6, sheet.top() + 20, sheet.width() * 0.5, 5), 2.5,
                          2.5);
        const QRectF allow(sheet.right() - 30, sheet.bottom() - 16, 24, 11);
        p.setBrush(c::kGreen);
        p.drawRoundedRect(allow, 3, 3);
    }
}

QImage StepPicture() {
    QImage img = Canvas(sprites::kStepPicture);
    img.fill(Qt::white);
    QPainter p(&img);
    Begin(p);
    const QSizeF size(sprites::kStepPicture);
    Text(p, QRectF(0, 0, size.width(), 34), "Connect your Android phone", Font(24, true), c::kNavy,
         Qt::AlignHCenter | Qt::AlignTop);
    const qreal gap = 18;
    const qreal w = (size.width() - 2 * gap - 12) / 3;
    const qreal top = 50;
    const qreal h = size.height() - top - 8;
    StepCard(p, QRectF(6, top, w, h), 1, "Plug it in",
             "Connect the phone to this computer with its USB cable and unlock it.",
             [](QPainter& q, const QRectF& b) {
                 glyph::Phone(q, QRectF(b.center().x() - 60, b.top() + 14, 60, 118), c::kNavy,
                              QColor("#4aa3df"));
                 glyph::Cable(q, QRectF(b.center().x() + 10, b.top() + 58, 64, 64), c::kBlue);
             });
    StepCard(p, QRectF(6 + w + gap, top, w, h), 2, "USB debugging",
             "Settings > Developer options > USB debugging: switch it on.",
             [](QPainter& q, const QRectF& b) {
                 const QRectF row(b.left() + 10, b.center().y() - 26, b.width() - 20, 52);
                 q.setPen(Qt::NoPen);
                 q.setBrush(Qt::white);
                 q.drawRoundedRect(row, 10, 10);
                 Text(q, row.adjusted(12, 0, -62, 0), "USB debugging", Font(13, true), c::kNavy);
                 const QRectF track(row.right() - 62, row.center().y() - 12, 48, 24);
                 q.setBrush(c::kGreen);
                 q.drawRoundedRect(track, 12, 12);
                 q.setBrush(Qt::white);
                 q.drawEllipse(QRectF(track.right() - 22, track.top() + 2, 20, 20));
                 q.setBrush(QColor("#d5e2ec"));
                 q.drawRoundedRect(QRectF(row.left(), row.top() - 30, row.width() * 0.6, 12), 6, 6);
                 q.drawRoundedRect(QRectF(row.left(), row.bottom() + 18, row.width() * 0.75, 12), 6,
                                   6);
             });
    StepCard(p, QRectF(6 + 2 * (w + gap), top, w, h), 3, "Allow",
             "When the phone asks, tick \"Always allow\" and tap \"Allow\".",
             [](QPainter& q, const QRectF& b) {
                 PromptPhone(q, QRectF(b.left(), b.top() + 10, b.width(), 130), false);
             });
    return img;
}

QImage AuthorizationPicture() {
    QImage img = Canvas(sprites::kAuthorizationPicture);
    img.fill(Qt::white);
    QPainter p(&img);
    Begin(p);
    const QSizeF size(sprites::kAuthorizationPicture);
    // The link the dialog makes clickable.
    const QRectF link(sprites::kAuthorizationLink);
    Text(p, QRectF(0, link.top(), link.left() - 6, link.height()), "Need help?", Font(13),
         c::kInkSoft, Qt::AlignRight | Qt::AlignVCenter);
    const QString linkText = QStringLiteral("USB debugging how-to");
    Text(p, link, linkText, Font(13, true), c::kBlue, Qt::AlignLeft | Qt::AlignVCenter);
    const QFontMetricsF fm(Font(13, true));
    p.fillRect(QRectF(link.left(), link.bottom() - 4,
                      std::min(link.width(), fm.horizontalAdvance(linkText)), 1.2),
               c::kBlue);
    // The phone with its prompt.
    const QRectF panel(0, 44, 270, size.height() - 50);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#eef5fb"));
    p.drawRoundedRect(panel, 16, 16);
    PromptPhone(p, panel.adjusted(20, 18, -20, -18), true);
    // The steps.
    const qreal x = panel.right() + 30;
    Text(p, QRectF(x, 50, size.width() - x, 34), "Allow this computer", Font(20, true), c::kNavy);
    const QString steps[3] = {
        "Unlock the phone and keep the USB cable plugged in.",
        "A message asks \"Allow USB debugging?\". Tick \"Always allow from this computer\".",
        "Tap \"Allow\". This window closes by itself once the phone is ready.",
    };
    qreal y = 100;
    for (int i = 0; i < 3; ++i) {
        const QRectF badge(x, y, 28, 28);
        p.setPen(Qt::NoPen);
        p.setBrush(c::kBlue);
        p.drawEllipse(badge);
        Text(p, badge, QString::number(i + 1), Font(15, true), c::kWhite, Qt::AlignCenter);
        Text(p, QRectF(x + 42, y - 2, size.width() - x - 46, 62), steps[i], Font(15), c::kInk,
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
        y += 62;
    }
    const QRectF hint(x, y + 8, size.width() - x - 4, 80);
    p.setBrush(QColor("#fff6ea"));
    p.setPen(QPen(QColor("#f6d3a8"), 1));
    p.drawRoundedRect(hint, 10, 10);
    Text(p, hint.adjusted(14, 8, -12, -8),
         "No message on the phone? Unplug the cable and plug it in again, or switch USB "
         "debugging off and on in Developer options.",
         Font(13), QColor("#7a4a12"), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
    return img;
}

QImage ContentBackground() {
    QImage img = Canvas(sprites::kContentBackground);
    QPainter p(&img);
    Begin(p);
    const QSizeF size(sprites::kContentBackground);
    QLinearGradient wash(0, 0, 0, size.height());
    wash.setColorAt(0, QColor("#e9f1f7"));
    wash.setColorAt(0.4, c::kPage);
    wash.setColorAt(1, c::kPage);
    p.fillRect(QRectF(QPointF(0, 0), size), wash);
    // Source card, content card, target card.
    const QRectF cards[3] = {QRectF(48, 26, 306, 446), QRectF(384, 54, 232, 342),
                             QRectF(646, 26, 306, 446)};
    for (const QRectF& r : cards) {
        SoftShadow(p, r, 16, 5, 24, 3);
        p.setPen(QPen(QColor("#e1e9f0"), 1));
        p.setBrush(c::kWhite);
        p.drawRoundedRect(r, 16, 16);
    }
    // The centre card's header band.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(cards[1], 16, 16);
    p.setClipPath(clip);
    p.fillRect(QRectF(cards[1].left(), cards[1].top(), cards[1].width(), 50), QColor("#f1f7fc"));
    p.fillRect(QRectF(cards[1].left(), cards[1].top() + 50, cards[1].width(), 1),
               QColor("#e1e9f0"));
    p.restore();
    // Flow arrows between the cards.
    for (qreal x : {cards[0].right() + 5, cards[1].right() + 5}) {
        const QRectF disc(x, 222, 26, 26);
        p.setPen(Qt::NoPen);
        p.setBrush(c::kBlue);
        p.drawEllipse(disc);
        glyph::ArrowRight(p, disc.adjusted(6, 6, -6, -6), c::kWhite);
    }
    return img;
}

QImage ComputerPicture() {
    QImage img = Canvas(sprites::kComputerPicture);
    QPainter p(&img);
    Begin(p);
    const QSizeF s(sprites::kComputerPicture);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#eef5fb"));
    p.drawEllipse(QRectF(8, 8, s.width() - 16, s.height() - 16));
    glyph::Laptop(p, QRectF(30, 40, s.width() - 60, s.height() - 80), c::kNavy, QColor("#4aa3df"));
    glyph::Folder(p, QRectF(s.width() / 2 - 30, 68, 60, 60), QColor("#ffd166"));
    return img;
}

QImage PhonePicture(bool connected) {
    QImage img = Canvas(sprites::kPhonePicture);
    QPainter p(&img);
    Begin(p);
    const QSizeF s(sprites::kPhonePicture);
    const QRectF box(0, 6, s.width(), s.height() - 12);
    if (connected) {
        glyph::Phone(p, box, c::kNavy, QColor("#3f9ad8"));
        // Lit screen with a few content tiles.
        const qreal w = box.height() * 0.52;
        const QRectF screen(box.center().x() - w / 2 + w * 0.07, box.top() + box.height() * 0.08,
                            w * 0.86, box.height() * 0.82);
        QLinearGradient g(screen.topLeft(), screen.bottomRight());
        g.setColorAt(0, QColor("#4fb0ec"));
        g.setColorAt(1, c::kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(screen, 5, 5);
        const QColor tiles[6] = {c::kGreen,         c::kOrange, c::kTeal,
                                 QColor("#ffd166"), c::kRed,    c::kPurple};
        for (int i = 0; i < 6; ++i) {
            p.setBrush(tiles[i]);
            p.drawRoundedRect(
                QRectF(screen.left() + 14 + (i % 2) * 50, screen.top() + 26 + (i / 2) * 50, 36, 36),
                9, 9);
        }
        const QRectF badge(s.width() - 66, s.height() - 74, 56, 56);
        p.setBrush(c::kGreen);
        p.setPen(QPen(c::kWhite, 4));
        p.drawEllipse(badge);
        glyph::Check(p, badge.adjusted(12, 12, -12, -12), c::kWhite, 4.5);
    } else {
        glyph::Phone(p, box, QColor("#9fb0bf"), QColor("#e8eef3"));
        glyph::Cable(p, QRectF(box.center().x() - 32, box.center().y() - 40, 64, 64),
                     QColor("#b3c2ce"));
        const QRectF badge(s.width() - 66, s.height() - 74, 56, 56);
        p.setBrush(QColor("#9fb0bf"));
        p.setPen(QPen(c::kWhite, 4));
        p.drawEllipse(badge);
        Text(p, badge, "?", Font(28, true), c::kWhite, Qt::AlignCenter);
    }
    return img;
}

QImage DialogBackground(const QSize& size, bool progress) {
    QImage img = Canvas(size);
    QPainter p(&img);
    Begin(p);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    p.setPen(QPen(QColor("#c8d3dc"), 1));
    p.setBrush(c::kWhite);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    // Accent line along the top edge.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r, 6, 6);
    p.setClipPath(clip);
    p.fillRect(QRectF(0, 0, r.width(), 4), c::kBlue);
    // Header rule under the title, and a band that holds the buttons.
    const qreal band = progress ? 70 : 96;
    if (progress) {
        p.fillRect(QRectF(1, 45, r.width() - 2, 2), QColor("#e6edf3"));
    }
    p.fillRect(QRectF(1, r.height() - band, r.width() - 2, band - 1), QColor("#f1f5f9"));
    p.fillRect(QRectF(1, r.height() - band, r.width() - 2, 1), QColor("#e1e8ef"));
    p.restore();
    return img;
}

QImage CheckBox(bool checked, State s) {
    QImage img = Canvas(sprites::kCheckBox);
    QPainter p(&img);
    Begin(p);
    const QRectF r = QRectF(0, 0, 15, 15).adjusted(0.5, 0.5, -0.5, -0.5);
    if (checked) {
        QColor fill = c::kBlue;
        if (s == State::Hover) {
            fill = c::kBlueLight;
        } else if (s == State::Pressed) {
            fill = Shade(c::kBlue, -0.25);
        }
        p.setPen(QPen(Shade(fill, -0.1), 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 3, 3);
        glyph::Check(p, QRectF(0, 0.5, 15, 15), c::kWhite, 2.0);
    } else {
        QColor border("#9fb3c4");
        QColor fill = c::kWhite;
        if (s == State::Hover) {
            border = c::kBlueLight;
            fill = QColor("#eef6fc");
        } else if (s == State::Pressed) {
            border = c::kBlue;
            fill = QColor("#d6e8f5");
        }
        p.setPen(QPen(border, 1.2));
        p.setBrush(fill);
        p.drawRoundedRect(r.adjusted(0.3, 0.3, -0.3, -0.3), 3, 3);
    }
    return img;
}

QImage KindIcon(int kind) {
    QImage img = Canvas(sprites::kKindIcon);
    QPainter p(&img);
    Begin(p);
    const QColor colors[7] = {c::kBlue, c::kTealDark, c::kGreenDark, c::kOrange,
                              c::kRed,  c::kPurple,   c::kNavy};
    const QRectF r(0, 0, sprites::kKindIcon.width(), sprites::kKindIcon.height());
    p.setPen(Qt::NoPen);
    p.setBrush(colors[kind]);
    p.drawRoundedRect(r, 8, 8);
    const QRectF g = r.adjusted(6, 6, -6, -6);
    switch (kind) {
    case 0:
        glyph::Person(p, g, c::kWhite);
        break;
    case 1:
        glyph::Bubble(p, g, c::kWhite);
        break;
    case 2:
        glyph::Handset(p, g, c::kWhite);
        break;
    case 3:
        glyph::Picture(p, g, c::kWhite);
        break;
    case 4:
        glyph::Film(p, g, c::kWhite);
        break;
    case 5:
        glyph::Note(p, g, c::kWhite);
        break;
    default:
        glyph::Grid(p, g, c::kWhite);
        break;
    }
    return img;
}

QImage DefaultThumbnail() {
    QImage img = Canvas(sprites::kDefaultThumbnail);
    QPainter p(&img);
    Begin(p);
    const QRectF r(QPointF(0, 0), QSizeF(sprites::kDefaultThumbnail));
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor("#e3eef7"));
    g.setColorAt(1, QColor("#c9dcec"));
    p.fillRect(r, g);
    // Hills and a sun, as a photo with no preview.
    QPainterPath back;
    back.moveTo(0, r.height() * 0.78);
    back.cubicTo(r.width() * 0.25, r.height() * 0.55, r.width() * 0.45, r.height() * 0.6,
                 r.width() * 0.62, r.height() * 0.72);
    back.cubicTo(r.width() * 0.8, r.height() * 0.58, r.width() * 0.9, r.height() * 0.6, r.width(),
                 r.height() * 0.66);
    back.lineTo(r.width(), r.height());
    back.lineTo(0, r.height());
    back.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#9dbdd6"));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(0, r.height() * 0.9);
    front.cubicTo(r.width() * 0.3, r.height() * 0.74, r.width() * 0.6, r.height() * 0.86, r.width(),
                  r.height() * 0.8);
    front.lineTo(r.width(), r.height());
    front.lineTo(0, r.height());
    front.closeSubpath();
    p.setBrush(QColor("#6f9cc0"));
    p.drawPath(front);
    p.setBrush(QColor("#ffffff"));
    p.drawEllipse(QPointF(r.width() * 0.7, r.height() * 0.3), r.width() * 0.1, r.width() * 0.1);
    return img;
}

bool Save(const QImage& img, const QDir& dir, QString name) {
    if (g_scale != 1) {
        name.insert(name.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(g_scale));
    }
    const QString path = dir.filePath(name);
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "tarvell-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarvell-artwork <output folder>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "tarvell-artwork: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    for (int scale : {1, 2}) {
        g_scale = scale;
        ok &= Save(MainSheet(), dir, "main.png");
        ok &= Save(PublicSheet(), dir, "publicImage.png");
        ok &= Save(ProgramIcon(sprites::kProgramIcon.width()), dir, "program.png");
        ok &= Save(StepPicture(), dir, "step1.png");
        ok &= Save(AuthorizationPicture(), dir, "authorization.png");
        ok &= Save(ContentBackground(), dir, "mgr.png");
        ok &= Save(ComputerPicture(), dir, "pc.png");
        ok &= Save(PhonePicture(true), dir, "connectddevice.png");
        ok &= Save(PhonePicture(false), dir, "noconnectddevice.png");
        ok &= Save(DialogBackground(sprites::kProgressBackground, true), dir, "BackupProgress.png");
        ok &= Save(DialogBackground(sprites::kDialogBackground, false), dir, "alldialog.png");
        const State states[3] = {State::Normal, State::Hover, State::Pressed};
        for (int i = 0; i < 3; ++i) {
            ok &= Save(CheckBox(false, states[i]), dir, QStringLiteral("uncheck%1.png").arg(i + 1));
            ok &= Save(CheckBox(true, states[i]), dir, QStringLiteral("checked%1.png").arg(i + 1));
        }
        for (int k = 0; k < 7; ++k) {
            ok &= Save(KindIcon(k), dir, QString::fromLatin1(sprites::kKindIconNames[k]));
        }
        ok &= Save(DefaultThumbnail(), dir, "DefImage.png");
    }
    return ok ? 0 : 1;
}
