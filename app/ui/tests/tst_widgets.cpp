// Custom widgets: MyPushButton states, signals and looks (as the program
// uses them: sprites, and the transparent link); MyListWidget rows, reuse and
// single check; RelativeAge boundaries.
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

// Plays a step; gives the name of the signal it emits on an enabled button.
QString Do(MyPushButton& b, Step s, Qt::MouseButton button = Qt::LeftButton,
           QPoint at = QPoint(5, 5)) {
    switch (s) {
    case Step::Enter:
        SendEnter(b);
        return QStringLiteral("enterButton");
    case Step::Leave:
        SendLeave(b);
        return QStringLiteral("leaveButton");
    case Step::Press:
        QTest::mousePress(&b, button, Qt::NoModifier, at);
        return QStringLiteral("Pressclicked");
    case Step::Release:
        QTest::mouseRelease(&b, button, Qt::NoModifier, at);
        return QStringLiteral("clicked");
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Step)

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonStates_data();
    void buttonStates();
    void disabledButtonShowsItsLookAndStaysSilent_data();
    void disabledButtonShowsItsLookAndStaysSilent();
    void transparentButtonShowsNoBackground();

    void clearedRowsAreReusedWithTheirCheckState();
    void atMostOneRowIsChecked();

    void relativeAge_data();
    void relativeAge();
};

void WidgetsTest::buttonStates_data() {
    // Every button of the program cuts its looks from a sprite.
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QColor>("look");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releaseAt");
    const QList<Step> click{Step::Enter, Step::Press, Step::Release};
    const QList<Step> press{Step::Enter, Step::Press};
    const int left = Qt::LeftButton;
    const QPoint in(5, 5);
    QTest::newRow("enter shows hover") << QList<Step>{Step::Enter} << kHover << left << in;
    QTest::newRow("press shows pressed") << press << kPressed << left << in;
    QTest::newRow("right press shows pressed") << press << kPressed << int(Qt::RightButton) << in;
    QTest::newRow("release shows normal") << click << kNormal << left << in;
    // The button grabbed the mouse on press, so a release outside it comes back to it.
    QTest::newRow("release off the button still clicks")
        << click << kNormal << left << QPoint(150, 80);
    QTest::newRow("leave shows normal")
        << QList<Step>{Step::Enter, Step::Leave} << kNormal << left << in;
}

void WidgetsTest::buttonStates() {
    QFETCH(QList<Step>, steps);
    QFETCH(QColor, look);
    QFETCH(int, button);
    QFETCH(QPoint, releaseAt);
    QWidget host;
    host.resize(200, 100);
    MyPushButton b(&host);
    UseStateSprite(b);
    host.show();

    SignalLog log(b);
    QStringList expected;
    for (Step s : steps) {
        const QString signal =
            Do(b, s, Qt::MouseButton(button), s == Step::Release ? releaseAt : QPoint(5, 5));
        if (!signal.isEmpty()) {
            expected << signal;
        }
    }
    QCOMPARE(log.names, expected);
    QVERIFY2(Near(Shown(b), look), qPrintable(Shown(b).name()));
}

void WidgetsTest::disabledButtonShowsItsLookAndStaysSilent_data() {
    QTest::addColumn<bool>("disabledRect");
    QTest::addColumn<QColor>("look");
    QTest::newRow("disabled picture") << true << kDisabled;
    QTest::newRow("no disabled picture: the normal one") << false << kNormal;
}

void WidgetsTest::disabledButtonShowsItsLookAndStaysSilent() {
    QFETCH(bool, disabledRect);
    QFETCH(QColor, look);
    QWidget host;
    host.resize(100, 100);
    MyPushButton b(&host);
    UseStateSprite(b, disabledRect);
    host.show();
    b.setButtonEnabled(false);
    QVERIFY(!b.isEnabled());
    QVERIFY(Near(Shown(b), look));

    SignalLog log(b);
    for (Step s : {Step::Enter, Step::Press, Step::Release, Step::Leave}) {
        Do(b, s);
    }
    QVERIFY(log.names.isEmpty());
    QVERIFY(Near(Shown(b), look));

    b.setButtonEnabled(true);
    QVERIFY(Near(Shown(b), kNormal));
    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(log.names, (QStringList{"Pressclicked", "clicked"}));
}

void WidgetsTest::transparentButtonShowsNoBackground() {
    // The authorisation dialog's link: a transparent click area over a picture.
    QWidget host;
    MyPushButton b(&host);
    b.setLayoutMode(0);
    b.setButtonGeometry(0, 0, 100, 60);
    QVERIFY(!b.autoFillBackground());
    QVERIFY(b.findChildren<QLabel*>(Qt::FindDirectChildrenOnly).isEmpty());
}

void WidgetsTest::clearedRowsAreReusedWithTheirCheckState() {
    // Sized while hidden, as the content screen does: rows still span the
    // list (less the scroll bar), so long device names are not cut.
    QWidget parent;
    auto* listInParent = new MyListWidget(&parent);
    MyListWidget& list = *listInParent;
    list.setGeometry(0, 80, 225, 320);
    parent.resize(300, 400);
    parent.show();
    const QString date = QDateTime::currentDateTime().addDays(-3).toString(kCatalogueDateFormat);
    list.addItem(QStringLiteral("A"), date, QStringLiteral("/a"));
    list.addItem(QStringLiteral("B"), QStringLiteral("not a date"), QStringLiteral("/b"));
    QCOMPARE(list.items()[0]->ageLabel()->text(), QStringLiteral("3 days ago"));
    QCOMPARE(list.items()[1]->ageLabel()->text(), QString());
    QCOMPARE(list.items()[0]->width(), 225 - 5);
    MyListWidgetItem* first = list.items()[0];
    first->checkBox()->setChecked(true);

    list.clearItems();
    QCOMPARE(list.visibleCount(), 0);
    for (MyListWidgetItem* item : list.items()) {
        QVERIFY(!item->isVisible());
        QVERIFY(item->path().isEmpty());
    }
    list.addItem(QStringLiteral("C"), date, QStringLiteral("/c"));
    QCOMPARE(list.items().size(), 2); // nothing new was created
    QCOMPARE(list.items()[0], first);
    QCOMPARE(first->titleLabel()->text(), QStringLiteral("C"));
    QVERIFY(first->checkBox()->isChecked());
    QVERIFY(first->isVisible());
    QVERIFY(!list.items()[1]->isVisible());
    QCOMPARE(list.visibleCount(), 1);
    QCOMPARE(list.checkedPaths(), QStringList{QStringLiteral("/c")});

    list.addItem(QStringLiteral("D"), date, QStringLiteral("/d"));
    list.addItem(QStringLiteral("E"), date, QStringLiteral("/e"));
    QCOMPARE(list.items().size(), 3);
    QCOMPARE(list.visibleCount(), 3);
    // Rows are stacked without overlapping.
    QVERIFY(list.items()[0]->geometry().bottom() < list.items()[1]->geometry().top());
    QVERIFY(list.items()[1]->geometry().bottom() < list.items()[2]->geometry().top());
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

namespace {
const QDateTime kNow(QDate(2026, 3, 14), QTime(15, 9, 26, 535));
} // namespace

void WidgetsTest::relativeAge_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto ago = [](qint64 seconds) {
        return kNow.addSecs(-seconds).toString(kCatalogueDateFormat);
    };
    QTest::newRow("now") << ago(qint64(0)) << QStringLiteral("0 seconds ago");
    QTest::newRow("59 s") << ago(qint64(59)) << QStringLiteral("59 seconds ago");
    QTest::newRow("60 s") << ago(qint64(60)) << QStringLiteral("1 mins ago");
    QTest::newRow("3599 s") << ago(qint64(3599)) << QStringLiteral("59 mins ago");
    QTest::newRow("3600 s") << ago(qint64(3600)) << QStringLiteral("1 hours ago");
    QTest::newRow("86399 s") << ago(qint64(86399)) << QStringLiteral("23 hours ago");
    QTest::newRow("86400 s") << ago(qint64(86400)) << QStringLiteral("1 days ago");
    QTest::newRow("400 days") << ago(qint64(400) * 86400 + 5) << QStringLiteral("400 days ago");
    QTest::newRow("one second ahead") << ago(qint64(-1)) << QStringLiteral("0 seconds ago");
    QTest::newRow("a year ahead") << ago(qint64(-365) * 86400) << QStringLiteral("0 seconds ago");
    // Texts that are not dates give no age.
    for (const char* bad : {"", "garbage", "31.02.2026 10:00:00.000", "14.03.2026 15:09:26",
                            "2026-03-14 15:09:26.535", "14.03.2026 25:00:00.000"}) {
        QTest::newRow(*bad ? bad : "empty") << QString::fromLatin1(bad) << QString();
    }
}

void WidgetsTest::relativeAge() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(RelativeAge(text, kNow), expected);
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
