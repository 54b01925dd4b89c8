// The generated artwork against the rectangles the program cuts from it:
// every sheet and picture is in the resources at its size, every state
// rectangle lies inside its sheet without overlapping another, and the
// states of each button look different from one another.
#include "Artwork.h"
#include "sprites.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {

struct Button {
    const char* name;
    const char* sheet;
    sprites::States states;
    int count;
};

sprites::States InSheet(sprites::States st, QPoint offset) {
    st.normal.translate(offset);
    st.hover.translate(offset);
    st.pressed.translate(offset);
    if (!st.disabled.isNull()) {
        st.disabled.translate(offset);
    }
    return st;
}

QList<Button> Buttons() {
    const QPoint title = sprites::kTitleSprite.topLeft();
    return {
        {"home backup", ":/image/main.png", sprites::kHomeBackupButton, 3},
        {"home restore", ":/image/main.png", sprites::kHomeRestoreButton, 3},
        {"home recovery", ":/image/main.png", sprites::kHomeRecoveryButton, 3},
        {"home view", ":/image/main.png", sprites::kHomeViewButton, 4},
        {"title menu", ":/image/main.png",
         InSheet(sprites::TitleButton(sprites::kTitleMenuColumn), title), 4},
        {"title minimise", ":/image/main.png",
         InSheet(sprites::TitleButton(sprites::kTitleMinimiseColumn), title), 4},
        {"title close", ":/image/main.png",
         InSheet(sprites::TitleButton(sprites::kTitleCloseColumn), title), 4},
        {"back", ":/image/main.png", sprites::kBackButton, 4},
        {"start backup", ":/image/main.png", sprites::kStartBackupButton, 4},
        {"start restore", ":/image/main.png", sprites::kStartRestoreButton, 4},
        {"ok", ":/image/main.png", sprites::kOkButton, 4},
        {"cancel", ":/image/main.png", sprites::kCancelButton, 4},
        {"yes", ":/image/main.png", sprites::kYesButton, 4},
        {"no", ":/image/main.png", sprites::kNoButton, 4},
        {"dialog close", ":/image/publicImage.png", sprites::kDialogCloseButton, 4},
    };
}

QList<QRect> Rects(const Button& b) {
    QList<QRect> r{b.states.normal, b.states.hover, b.states.pressed};
    if (b.count > 3) {
        r << b.states.disabled;
    }
    return r;
}

// Share of the painted pixels (visible in either image) that differ
// noticeably between two equally sized images.
double Difference(const QImage& a, const QImage& b) {
    int painted = 0;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            if (p.alpha() == 0 && q.alpha() == 0) {
                continue;
            }
            ++painted;
            const int d = qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) +
                          qAbs(p.blue() - q.blue()) + qAbs(p.alpha() - q.alpha());
            if (d > 24) {
                ++differing;
            }
        }
    }
    return painted ? double(differing) / painted : 0.0;
}

} // namespace

class ArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void everyImageIsThereAtItsSize_data();
    void everyImageIsThereAtItsSize();
    void stateRectanglesFitTheirSheetWithoutOverlap();
    void everyStateOfEveryButtonIsDistinct();
    void homeBackgroundHasNoHoles();
    void cuttingKeepsTheDensity();
};

void ArtworkTest::everyImageIsThereAtItsSize_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("main") << ":/image/main.png" << sprites::kMainSheet;
    QTest::newRow("public") << ":/image/publicImage.png" << sprites::kPublicSheet;
    QTest::newRow("program") << ":/image/program.png" << sprites::kProgramIcon;
    QTest::newRow("step1") << ":/image/step1.png" << sprites::kStepPicture;
    QTest::newRow("authorization") << ":/image/authorization.png" << sprites::kAuthorizationPicture;
    QTest::newRow("mgr") << ":/image/mgr.png" << sprites::kContentBackground;
    QTest::newRow("pc") << ":/image/pc.png" << sprites::kComputerPicture;
    QTest::newRow("connected") << ":/image/connectddevice.png" << sprites::kPhonePicture;
    QTest::newRow("not connected") << ":/image/noconnectddevice.png" << sprites::kPhonePicture;
    QTest::newRow("progress") << ":/image/BackupProgress.png" << sprites::kProgressBackground;
    QTest::newRow("dialog") << ":/image/alldialog.png" << sprites::kDialogBackground;
    QTest::newRow("DefImage") << ":/image/DefImage.png" << sprites::kDefaultThumbnail;
    for (const char* box :
         {"uncheck1", "uncheck2", "uncheck3", "checked1", "checked2", "checked3"}) {
        QTest::newRow(box) << QStringLiteral(":/image/%1.png").arg(QLatin1String(box))
                           << sprites::kCheckBox;
    }
    for (const char* icon : sprites::kKindIconNames) {
        QTest::newRow(icon) << QStringLiteral(":/image/") + QLatin1String(icon)
                            << sprites::kKindIcon;
    }
}

void ArtworkTest::everyImageIsThereAtItsSize() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage img(path);
    QVERIFY2(!img.isNull(), qPrintable(path));
    QCOMPARE(img.size(), size);
    // Nothing is a blank placeholder: every image is drawn in several colours.
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height() && colours.size() <= 4; ++y) {
        for (int x = 0; x < argb.width() && colours.size() <= 4; ++x) {
            colours.insert(argb.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 4, qPrintable(path));

    // The dense drawing covers the same units with twice the pixels.
    const QPixmap dense = LoadArtwork(path, 2.0);
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    QCOMPARE(dense.size(), size * 2);
    QCOMPARE(dense.deviceIndependentSize().toSize(), size);
    QCOMPARE(LoadArtwork(path, 1.0).size(), size);
}

void ArtworkTest::stateRectanglesFitTheirSheetWithoutOverlap() {
    QList<QPair<QString, QRect>> placed;
    placed.append({":/image/main.png", sprites::kHomeBackground});
    placed.append({":/image/publicImage.png", sprites::kIconInfo});
    placed.append({":/image/publicImage.png", sprites::kIconSuccess});
    placed.append({":/image/publicImage.png", sprites::kIconQuestion});
    placed.append({":/image/publicImage.png", sprites::kIconWarning});
    placed.append({":/image/publicImage.png", sprites::kProgressPicture});
    for (const Button& b : Buttons()) {
        const QSize sheet = QString::fromLatin1(b.sheet) == ":/image/main.png"
                                ? sprites::kMainSheet
                                : sprites::kPublicSheet;
        for (const QRect& r : Rects(b)) {
            QVERIFY2(!r.isEmpty(), b.name);
            QVERIFY2(QRect(QPoint(0, 0), sheet).contains(r), b.name);
            QCOMPARE(r.size(), b.states.normal.size());
            if (QString::fromLatin1(b.name).startsWith("title")) {
                QVERIFY2(sprites::kTitleSprite.contains(r), b.name);
                continue; // the title sprite is placed as one block below
            }
            placed.append({QString::fromLatin1(b.sheet), r});
        }
    }
    placed.append({":/image/main.png", sprites::kTitleSprite});
    for (int i = 0; i < placed.size(); ++i) {
        for (int j = i + 1; j < placed.size(); ++j) {
            if (placed[i].first == placed[j].first) {
                QVERIFY2(!placed[i].second.intersects(placed[j].second),
                         qPrintable(QStringLiteral("pieces %1 and %2 overlap").arg(i).arg(j)));
            }
        }
    }
}

void ArtworkTest::everyStateOfEveryButtonIsDistinct() {
    for (const Button& b : Buttons()) {
        const QImage sheet(QString::fromLatin1(b.sheet));
        QVERIFY(!sheet.isNull());
        const QList<QRect> rects = Rects(b);
        for (int i = 0; i < rects.size(); ++i) {
            const QImage a = sheet.copy(rects[i]);
            for (int j = i + 1; j < rects.size(); ++j) {
                const double d = Difference(a, sheet.copy(rects[j]));
                QVERIFY2(d > 0.1, qPrintable(QStringLiteral("%1: states %2 and %3 look alike")
                                                 .arg(QLatin1String(b.name))
                                                 .arg(i)
                                                 .arg(j)));
            }
        }
    }
}

void ArtworkTest::homeBackgroundHasNoHoles() {
    // The window background is opaque everywhere, title bar included.
    const QImage bg = QImage(":/image/main.png").copy(sprites::kHomeBackground);
    for (int y = 0; y < bg.height(); y += 7) {
        for (int x = 0; x < bg.width(); x += 7) {
            QCOMPARE(qAlpha(bg.pixel(x, y)), 255);
        }
    }
}

void ArtworkTest::cuttingKeepsTheDensity() {
    const QRect rect = sprites::kHomeRestoreButton.hover;
    const QPoint middle(rect.width() / 2, rect.height() / 2);
    QList<QColor> seen;
    for (qreal dpr : {1.0, 2.0}) {
        const QPixmap piece = CutSprite(LoadArtwork(QStringLiteral(":/image/main.png"), dpr), rect);
        QCOMPARE(piece.devicePixelRatio(), dpr);
        QCOMPARE(piece.deviceIndependentSize().toSize(), rect.size());
        seen << piece.toImage().scaled(rect.size()).pixelColor(middle);
        const QPixmap stretched = StretchTo(piece, QSize(50, 40));
        QCOMPARE(stretched.deviceIndependentSize().toSize(), QSize(50, 40));
        QCOMPARE(stretched.devicePixelRatio(), dpr);
    }
    // The same picture at both densities.
    const QColor a = seen[0];
    const QColor b = seen[1];
    QVERIFY(qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 30);
}

QTEST_MAIN(ArtworkTest)
#include "tst_artwork.moc"
