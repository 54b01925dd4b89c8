// Custom widgets: MyPushButton states, signals and looks; MyListWidget rows,
// reuse and single check; RelativeAge boundaries.
#include "MyListWidget.h"
#include "MyPushButton.h"
#include "RelativeAge.h"

#include <QCheckBox>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A sprite with one flat colour per state, in four 20x10 cells side by side.
const QColor kNormal(200, 10, 10);
const QColor kHover(10, 200, 10);
const QColor kPressed(10, 10, 200);
const QColor kDisabled(200, 200, 10);

QPixmap StateSprite() {
    QImage img(80, 10, QImage::Format_ARGB32);
    QPainter p(&img);
    p.fillRect(0, 0, 20, 10, kNormal);
    p.fillRect(20, 0, 20, 10, kHover);
    p.fillRect(40, 0, 20, 10, kPressed);
    p.fillRect(60, 0, 20, 10, kDisabled);
    p.end();
    return QPixmap::fromImage(img);
}

void UseStateSprite(MyPushButton& b, bool withDisabled = true) {
    b.setSprite(StateSprite());
    b.setNormalRect(0, 0, 20, 10);
    b.setHoverRect(20, 0, 20, 10);
    b.setPressedRect(40, 0, 20, 10);
    if (withDisabled) {
        b.setDisabledRect(60, 0, 20, 10);
    }
    b.setButtonGeometry(0, 0, 60, 30);
}

// The colour the widget shows in its middle.
QColor Shown(QWidget& w) {
    const QImage img = w.grab().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

bool Near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 &&
           qAbs(a.blue() - b.blue()) < 8;
}

void SendEnter(QWidget& w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&w, &e);
}

void SendLeave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

enum class Step { Enter, Press, Release, Leave };

// Name of the signal each step emits.
const char* SignalOf(Step s) {
    switch (s) {
    case Step::Enter:
        return "enterButton";
    case Step::Press:
        return "Pressclicked";
    case Step::Release:
        return "clicked";
    case Step::Leave:
        return "leaveButton";
    }
    return "";
}

// Records the order of the four signals.
struct SignalLog {
    QStringList names;
    explicit SignalLog(MyPushButton& b) {
        QObject::connect(&b, &MyPushButton::enterButton, [this] { names << "enterButton"; });
        QObject::connect(&b, &MyPushButton::Pressclicked, [this] { names << "Pressclicked"; });
        QObject::connect(&b, &MyPushButton::clicked, [this] { names << "clicked"; });
        QObject::connect(&b, &MyPushButton::leaveButton, [this] { names << "leaveButton"; });
    }
};

void Do(MyPushButton& b, Step s, Qt::MouseButton button = Qt::LeftButton,
        QPoint at = QPoint(5, 5)) {
    switch (s) {
    case Step::Enter:
        SendEnter(b);
        break;
    case Step::Leave:
        SendLeave(b);
        break;
    case Step::Press:
        QTest::mousePress(&b, button, Qt::NoModifier, at);
        break;
    case Step::Release:
        QTest::mouseRelease(&b, button, Qt::NoModifier, at);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Step)

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonStates_data();
    void buttonStates();
    void releaseOffTheButtonStillClicks();
    void disabledButtonShowsDisabledLookAndStaysSilent();
    void disabledLookFallsBackToNormalWithoutItsRectangle();
    void colourModeWithoutImages_data();
    void colourModeWithoutImages();
    void imageFilesPerState();
    void layoutModes_data();
    void layoutModes();
    void layoutFollowsButtonGeometry();

    void listRowsArePlacedOnAFiftyPixelPitch();
    void clearedRowsAreReusedWithTheirCheckState();
    void atMostOneRowIsChecked();
    void listShowsAgeOfEachRow();

    void relativeAge_data();
    void relativeAge();
};

void WidgetsTest::buttonStates_data() {
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QColor>("look");
    QTest::addColumn<int>("button");

    QTest::newRow("enter shows hover") << QList<Step>{Step::Enter} << kHover << int(Qt::LeftButton);
    QTest::newRow("press shows pressed")
        << QList<Step>{Step::Enter, Step::Press} << kPressed << int(Qt::LeftButton);
    QTest::newRow("right press shows pressed")
        << QList<Step>{Step::Enter, Step::Press} << kPressed << int(Qt::RightButton);
    QTest::newRow("release shows normal")
        << QList<Step>{Step::Enter, Step::Press, Step::Release} << kNormal << int(Qt::LeftButton);
    QTest::newRow("leave shows normal")
        << QList<Step>{Step::Enter, Step::Leave} << kNormal << int(Qt::LeftButton);
}

void WidgetsTest::buttonStates() {
    QFETCH(QList<Step>, steps);
    QFETCH(QColor, look);
    QFETCH(int, button);
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    UseStateSprite(b);
    host.show();
    QVERIFY(Near(Shown(b), kNormal));

    SignalLog log(b);
    QStringList expected;
    for (Step s : steps) {
        Do(b, s, Qt::MouseButton(button));
        expected << QString::fromLatin1(SignalOf(s));
    }
    QCOMPARE(log.names, expected);
    QVERIFY2(Near(Shown(b), look), qPrintable(Shown(b).name()));
}

void WidgetsTest::releaseOffTheButtonStillClicks() {
    QWidget host;
    host.resize(200, 100);
    MyPushButton b(&host);
    UseStateSprite(b);
    host.show();
    QSignalSpy clicked(&b, &MyPushButton::clicked);
    QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // The button grabbed the mouse on press, so the release outside it comes
    // back to it.
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(150, 80));
    QCOMPARE(clicked.count(), 1);
    QVERIFY(Near(Shown(b), kNormal));
}

void WidgetsTest::disabledButtonShowsDisabledLookAndStaysSilent() {
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    UseStateSprite(b);
    host.show();
    b.setButtonEnabled(false);
    QVERIFY(!b.isEnabled());
    QVERIFY(Near(Shown(b), kDisabled));

    SignalLog log(b);
    for (Step s : {Step::Enter, Step::Press, Step::Release, Step::Leave}) {
        Do(b, s);
    }
    // Events sent straight to it are ignored too.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&b, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&b, &release);
    QVERIFY(log.names.isEmpty());
    QVERIFY(Near(Shown(b), kDisabled));

    b.setButtonEnabled(true);
    QVERIFY(Near(Shown(b), kNormal));
    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(log.names, (QStringList{"Pressclicked", "clicked"}));
}

void WidgetsTest::disabledLookFallsBackToNormalWithoutItsRectangle() {
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    UseStateSprite(b, false);
    host.show();
    b.setButtonEnabled(false);
    QVERIFY(Near(Shown(b), kNormal));
}

void WidgetsTest::colourModeWithoutImages_data() {
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QColor>("look");
    QTest::newRow("normal") << QList<Step>{} << QColor(Qt::gray);
    QTest::newRow("hover") << QList<Step>{Step::Enter} << QColor(Qt::lightGray);
    QTest::newRow("pressed") << QList<Step>{Step::Enter, Step::Press} << QColor(Qt::darkGray);
    QTest::newRow("released") << QList<Step>{Step::Enter, Step::Press, Step::Release}
                              << QColor(Qt::gray);
}

void WidgetsTest::colourModeWithoutImages() {
    QFETCH(QList<Step>, steps);
    QFETCH(QColor, look);
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    b.setButtonGeometry(0, 0, 40, 20);
    host.show();
    for (Step s : steps) {
        Do(b, s);
    }
    QVERIFY2(Near(Shown(b), look), qPrintable(Shown(b).name()));
}

void WidgetsTest::imageFilesPerState() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QColor colours[4] = {kNormal, kHover, kPressed, kDisabled};
    QStringList files;
    for (int i = 0; i < 4; ++i) {
        QImage img(8, 8, QImage::Format_ARGB32);
        img.fill(colours[i]);
        files << dir.filePath(QStringLiteral("state%1.png").arg(i));
        QVERIFY(img.save(files.last()));
    }
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    b.setStateImages(files[0], files[1], files[2], files[3]);
    b.setButtonGeometry(0, 0, 40, 20);
    host.show();
    QVERIFY(Near(Shown(b), kNormal));
    SendEnter(b);
    QVERIFY(Near(Shown(b), kHover));
    QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(Near(Shown(b), kPressed));
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    b.setButtonEnabled(false);
    QVERIFY(Near(Shown(b), kDisabled));
}

void WidgetsTest::layoutModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("icon");
    QTest::addColumn<QRect>("text");
    QTest::addColumn<bool>("filled");
    // A 100x60 button.
    QTest::newRow("0 transparent") << 0 << QRect() << QRect() << false;
    QTest::newRow("1 icon left") << 1 << QRect(0, 0, 25, 60) << QRect(25, 0, 75, 60) << false;
    QTest::newRow("2 icon right") << 2 << QRect(75, 0, 25, 60) << QRect(0, 0, 75, 60) << false;
    QTest::newRow("3 image fills") << 3 << QRect() << QRect() << true;
    QTest::newRow("4 as 3") << 4 << QRect() << QRect() << true;
    QTest::newRow("5 caption strip") << 5 << QRect(0, 0, 100, 40) << QRect(0, 40, 100, 20) << false;
}

void WidgetsTest::layoutModes() {
    QFETCH(int, mode);
    QFETCH(QRect, icon);
    QFETCH(QRect, text);
    QFETCH(bool, filled);
    QWidget host;
    MyPushButton b(&host);
    UseStateSprite(b);
    b.setCaption(QStringLiteral("Caption"));
    b.setButtonGeometry(0, 0, 100, 60);
    b.setLayoutMode(mode);
    const QList<QLabel*> labels = b.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    if (icon.isNull()) {
        QVERIFY(labels.isEmpty());
    } else {
        QCOMPARE(labels.size(), 2);
        QLabel* iconLabel = labels[0];
        QLabel* textLabel = labels[1];
        QCOMPARE(iconLabel->geometry(), icon);
        QCOMPARE(textLabel->geometry(), text);
        QCOMPARE(textLabel->text(), QStringLiteral("Caption"));
        QCOMPARE(textLabel->styleSheet(), QStringLiteral("QLabel { color: white;font: 9pt;}"));
        // The image moves onto the icon label.
        QVERIFY(iconLabel->autoFillBackground());
    }
    QCOMPARE(b.autoFillBackground(), filled);
}

void WidgetsTest::layoutFollowsButtonGeometry() {
    QWidget host;
    MyPushButton b(&host);
    UseStateSprite(b);
    b.setLayoutMode(1);
    b.setButtonGeometry(10, 20, 200, 40);
    const QList<QLabel*> labels = b.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(labels.size(), 2);
    QCOMPARE(labels[0]->geometry(), QRect(0, 0, 50, 40));
    QCOMPARE(labels[1]->geometry(), QRect(50, 0, 150, 40));
    QCOMPARE(b.geometry(), QRect(10, 20, 200, 40));
    b.setLayoutMode(3);
    QVERIFY(b.findChildren<QLabel*>(Qt::FindDirectChildrenOnly).isEmpty());
}

void WidgetsTest::listRowsArePlacedOnAFiftyPixelPitch() {
    MyListWidget list;
    list.resize(225, 320);
    list.show();
    QCOMPARE(list.container()->height(), 100);
    const QString date = QDateTime::currentDateTime().toString(kCatalogueDateFormat);
    for (int i = 0; i < 3; ++i) {
        list.addItem(QStringLiteral("Phone %1").arg(i), date, QStringLiteral("/b/%1").arg(i));
    }
    QCOMPARE(list.visibleCount(), 3);
    const int width = list.container()->width();
    QVERIFY(width > 0);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(list.items()[i]->geometry(), QRect(0, 50 * i, width, 40));
        QVERIFY(list.items()[i]->isVisible());
    }
    QCOMPARE(list.container()->height(), 100 + 100);

    list.clearItems();
    QCOMPARE(list.visibleCount(), 0);
    QCOMPARE(list.container()->height(), 100);
    for (MyListWidgetItem* item : list.items()) {
        QVERIFY(!item->isVisible());
        QVERIFY(item->path().isEmpty());
    }
}

void WidgetsTest::clearedRowsAreReusedWithTheirCheckState() {
    MyListWidget list;
    list.resize(225, 320);
    list.show();
    const QString date = QDateTime::currentDateTime().toString(kCatalogueDateFormat);
    list.addItem(QStringLiteral("A"), date, QStringLiteral("/a"));
    list.addItem(QStringLiteral("B"), date, QStringLiteral("/b"));
    MyListWidgetItem* first = list.items()[0];
    first->checkBox()->setChecked(true);

    list.clearItems();
    list.addItem(QStringLiteral("C"), date, QStringLiteral("/c"));
    QCOMPARE(list.items().size(), 2); // nothing new was created
    QCOMPARE(list.items()[0], first);
    QCOMPARE(first->titleLabel()->text(), QStringLiteral("C"));
    QCOMPARE(first->path(), QStringLiteral("/c"));
    QVERIFY(first->checkBox()->isChecked());
    QVERIFY(first->isVisible());
    QVERIFY(!list.items()[1]->isVisible());
    QCOMPARE(list.visibleCount(), 1);
    QCOMPARE(list.checkedPaths(), QStringList{QStringLiteral("/c")});

    list.addItem(QStringLiteral("D"), date, QStringLiteral("/d"));
    list.addItem(QStringLiteral("E"), date, QStringLiteral("/e"));
    QCOMPARE(list.items().size(), 3);
    QCOMPARE(list.visibleCount(), 3);
}

void WidgetsTest::atMostOneRowIsChecked() {
    MyListWidget list;
    list.resize(225, 320);
    list.show();
    const QString date = QDateTime::currentDateTime().toString(kCatalogueDateFormat);
    for (const char* p : {"/a", "/b", "/c"}) {
        list.addItem(QStringLiteral("x"), date, QString::fromLatin1(p));
    }
    const auto checked = [&list] {
        QList<int> rows;
        for (int i = 0; i < list.items().size(); ++i) {
            if (list.items()[i]->checkBox()->isChecked()) {
                rows << i;
            }
        }
        return rows;
    };
    // Clicks on the indicators, as a user would.
    const auto click = [&list](int row) {
        QCheckBox* box = list.items()[row]->checkBox();
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
    };
    click(0);
    QCOMPARE(checked(), QList<int>{0});
    click(2);
    QCOMPARE(checked(), QList<int>{2});
    click(1);
    QCOMPARE(checked(), QList<int>{1});
    click(1); // a row can be unchecked, leaving none
    QCOMPARE(checked(), QList<int>{});
    QVERIFY(list.checkedPaths().isEmpty());
}

void WidgetsTest::listShowsAgeOfEachRow() {
    MyListWidget list;
    list.resize(225, 320);
    const QString old = QDateTime::currentDateTime().addDays(-3).toString(kCatalogueDateFormat);
    list.addItem(QStringLiteral("Pixel 7"), old, QStringLiteral("/b/1"));
    list.addItem(QStringLiteral("Broken"), QStringLiteral("not a date"), QStringLiteral("/b/2"));
    QCOMPARE(list.items()[0]->titleLabel()->text(), QStringLiteral("Pixel 7"));
    QCOMPARE(list.items()[0]->ageLabel()->text(), QStringLiteral("3 days ago"));
    QCOMPARE(list.items()[1]->ageLabel()->text(), QString());
}

void WidgetsTest::relativeAge_data() {
    QTest::addColumn<qint64>("secondsAgo");
    QTest::addColumn<QString>("expected");
    QTest::newRow("now") << qint64(0) << "0 seconds ago";
    QTest::newRow("59 s") << qint64(59) << "59 seconds ago";
    QTest::newRow("60 s") << qint64(60) << "1 mins ago";
    QTest::newRow("3599 s") << qint64(3599) << "59 mins ago";
    QTest::newRow("3600 s") << qint64(3600) << "1 hours ago";
    QTest::newRow("86399 s") << qint64(86399) << "23 hours ago";
    QTest::newRow("86400 s") << qint64(86400) << "1 days ago";
    QTest::newRow("400 days") << qint64(400) * 86400 + 5 << "400 days ago";
    QTest::newRow("one second ahead") << qint64(-1) << "0 seconds ago";
    QTest::newRow("a year ahead") << qint64(-365) * 86400 << "0 seconds ago";
}

void WidgetsTest::relativeAge() {
    QFETCH(qint64, secondsAgo);
    QFETCH(QString, expected);
    const QDateTime now(QDate(2026, 3, 14), QTime(15, 9, 26, 535));
    const QString text = now.addSecs(-secondsAgo).toString(kCatalogueDateFormat);
    QCOMPARE(RelativeAge(text, now), expected);

    // Texts that are not dates give no age.
    for (const char* bad : {"", "garbage", "31.02.2026 10:00:00.000", "14.03.2026 15:09:26",
                            "2026-03-14 15:09:26.535", "14.03.2026 25:00:00.000"}) {
        QCOMPARE(RelativeAge(QString::fromLatin1(bad), now), QString());
    }
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
