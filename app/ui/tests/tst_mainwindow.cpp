// The main window: library lifecycle, pages, menu, web pages, window shape and
// window dragging.
#include "DeviceCalls.h"
#include "KitLifecycle.h"
#include "MyPushButton.h"
#include "TarvellMainWidget.h"
#include "UiTestSupport.h"
#include "WebPages.h"
#include "backupyourPhoneWidget.h"
#include "topCtrlWidget.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <signal.h>
#include <sys/types.h>

namespace {

struct Calls {
    int init = 0;
    int uninit = 0;
    int childrenAtInit = -1;
    bool instanceSetAtInit = false;
};
Calls g_calls;

int CountInit() {
    ++g_calls.init;
    g_calls.instanceSetAtInit = MainWindowInstance != nullptr;
    g_calls.childrenAtInit =
        MainWindowInstance ? int(MainWindowInstance->findChildren<QWidget*>().size()) : -1;
    return 0;
}

int CountUnInit() {
    ++g_calls.uninit;
    return 0;
}

QString NoLabel() {
    return QString();
}

// What QCoreApplication announces when its event loop ends.
void EndEventLoop() {
    QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void libraryOpensFirstAndClosesOnceHoweverTheWindowCloses_data();
    void libraryOpensFirstAndClosesOnceHoweverTheWindowCloses();
    void menuOpensUnderItsButton();
    void roundedCorners();
    void homeButtonsEnterTheFlowAndBackReturns_data();
    void homeButtonsEnterTheFlowAndBackReturns();
    void webPages_data();
    void webPages();
    void draggingMovesTheWindow_data();
    void draggingMovesTheWindow();
    void minimiseButtonMinimises();
    void stopSignalsStillCloseTheLibrary_data();
    void stopSignalsStillCloseTheLibrary();

private:
    kit::Lifecycle m_saved{};
    kit::DeviceCalls m_savedCalls{};
    UrlCatcher m_catcher;
};

void MainWindowTest::initTestCase() {
    m_saved = kit::lifecycle();
    kit::lifecycle() = kit::Lifecycle{&CountInit, &CountUnInit};
    m_savedCalls = kit::deviceCalls();
    kit::deviceCalls() = kit::noPhoneCalls(&NoLabel);
}

void MainWindowTest::init() {
    g_calls = Calls{};
    m_catcher.urls.clear();
}

void MainWindowTest::cleanupTestCase() {
    kit::lifecycle() = m_saved;
    kit::deviceCalls() = m_savedCalls;
}

void MainWindowTest::libraryOpensFirstAndClosesOnceHoweverTheWindowCloses_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("title bar close button") << "button";
    QTest::newRow("close slot twice") << "slot twice";
    QTest::newRow("window manager") << "close";
    QTest::newRow("event loop ends") << "quit";
    QTest::newRow("window destroyed") << "destroy";
}

void MainWindowTest::libraryOpensFirstAndClosesOnceHoweverTheWindowCloses() {
    QFETCH(QString, how);
    {
        TarvellMainWidget w;
        // Opened once, before any screen exists.
        QCOMPARE(g_calls.init, 1);
        QVERIFY(g_calls.instanceSetAtInit);
        QCOMPARE(g_calls.childrenAtInit, 0);
        QCOMPARE(MainWindowInstance, &w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (how == "button") {
            QTest::mouseClick(w.titleBar()->closeButton(), Qt::LeftButton);
            QVERIFY(!w.isVisible());
        } else if (how == "slot twice") {
            w.closethiswindows_slots();
            w.closethiswindows_slots();
        } else if (how == "close") {
            QVERIFY(w.close());
        } else if (how == "quit") {
            EndEventLoop();
        }
        if (how != "destroy") {
            QCOMPARE(g_calls.uninit, 1);
            // Closing again, or ending the event loop afterwards, changes nothing.
            w.close();
            EndEventLoop();
        }
        QCOMPARE(g_calls.uninit, how == "destroy" ? 0 : 1);
    }
    QCOMPARE(g_calls.uninit, 1);
    QCOMPARE(MainWindowInstance, nullptr);
}

void MainWindowTest::menuOpensUnderItsButton() {
    TarvellMainWidget w;
    topCtrlWidget* bar = w.titleBar();
    QMenu* menu = bar->menu();
    w.move(120, 90);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(bar->menuButton(), Qt::LeftButton);
    QTRY_VERIFY(menu->isVisible());
    // Right edge on the window's right edge, top under the menu button.
    const QPoint buttonBottom =
        bar->menuButton()->mapToGlobal(QPoint(0, bar->menuButton()->height()));
    QCOMPARE(menu->geometry().top(), buttonBottom.y());
    QCOMPARE(menu->geometry().right(), w.geometry().right());
    menu->hide();
}

void MainWindowTest::roundedCorners() {
    TarvellMainWidget w;
    const QRegion mask = w.mask();
    QVERIFY(!mask.isEmpty());
    for (QPoint corner : {QPoint(0, 0), QPoint(999, 0), QPoint(0, 649), QPoint(999, 649)}) {
        QVERIFY2(!mask.contains(corner),
                 qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    }
    for (QPoint inside : {QPoint(6, 6), QPoint(500, 0), QPoint(0, 325), QPoint(993, 643)}) {
        QVERIFY(mask.contains(inside));
    }
}

void MainWindowTest::homeButtonsEnterTheFlowAndBackReturns_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    QTest::newRow("backup") << "backup" << 0;
    QTest::newRow("restore") << "restore" << 1;
    // No backup is known yet: view & print acts as the backup button.
    QTest::newRow("view & print before any backup") << "print" << 0;
}

void MainWindowTest::homeButtonsEnterTheFlowAndBackReturns() {
    QFETCH(QString, button);
    QFETCH(int, mode);
    TarvellMainWidget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.flowWidget()->setFlowMode(7);
    MyPushButton* b = button == "backup"    ? w.backupButton()
                      : button == "restore" ? w.restoreButton()
                                            : w.printButton();
    QVERIFY(w.flowWidget()->homeIdle());
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(!w.homePage()->isVisible());
    QVERIFY(w.flowWidget()->isVisible());
    QCOMPARE(w.flowWidget()->flowMode(), mode);
    QVERIFY(!w.flowWidget()->homeIdle());
    QVERIFY(m_catcher.urls.isEmpty());
    QTest::mouseClick(w.flowWidget()->backButton(), Qt::LeftButton);
    QVERIFY(w.homePage()->isVisible());
    QVERIFY(!w.flowWidget()->isVisible());
    QVERIFY(w.flowWidget()->homeIdle());
}

void MainWindowTest::webPages_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("page");
    QTest::newRow("Help") << "help" << webpages::kUserGuide;
    QTest::newRow("Support opens the same page as Help") << "support" << webpages::kUserGuide;
    QTest::newRow("About") << "about" << webpages::kProductPage;
    QTest::newRow("Data recovery button") << "recovery" << webpages::kDataRecovery;
}

void MainWindowTest::webPages() {
    QFETCH(QString, source);
    QFETCH(QString, page);
    TarvellMainWidget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    if (source == "help") {
        w.titleBar()->helpAction()->trigger();
    } else if (source == "support") {
        w.titleBar()->supportAction()->trigger();
    } else if (source == "about") {
        w.titleBar()->aboutAction()->trigger();
    } else {
        QTest::mouseClick(w.recoveryButton(), Qt::LeftButton);
        QVERIFY(w.homePage()->isVisible());
    }
    QCOMPARE(m_catcher.urls.size(), 1);
    const QUrl url = m_catcher.urls.first();
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(),
             QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/") + page));
    // The page ships in the help folder, as does the one the connection
    // screen opens.
    for (const QString& shipped : {page, QString::fromLatin1(webpages::kUsbDebuggingHowTo)}) {
        const QString file = QStringLiteral(TARVELL_HELP_SOURCE_DIR "/") + shipped;
        QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
    }
}

void MainWindowTest::draggingMovesTheWindow_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("left button") << int(Qt::LeftButton);
    QTest::newRow("right button") << int(Qt::RightButton);
}

void MainWindowTest::draggingMovesTheWindow() {
    QFETCH(int, button);
    const auto mb = Qt::MouseButton(button);
    TarvellMainWidget w;
    w.move(40, 30);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();
    // Press on the empty home page: the event reaches the window.
    QWidget* page = w.homePage();
    const QPoint local(20, 560);
    QVERIFY(page->childAt(local) == nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, local, page->mapToGlobal(local), mb, mb,
                      Qt::NoModifier);
    QApplication::sendEvent(page, &press);
    QVERIFY(w.dragging());
    const QPoint inWindow = page->mapTo(&w, local);
    const QPoint globalMove = w.mapToGlobal(inWindow) + QPoint(35, -12);
    QMouseEvent move(QEvent::MouseMove, w.mapFromGlobal(globalMove), globalMove, Qt::NoButton, mb,
                     Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QCOMPARE(w.pos(), start + QPoint(35, -12));
    QCOMPARE(w.size(), QSize(1000, 650));
    QMouseEvent release(QEvent::MouseButtonRelease, w.mapFromGlobal(globalMove), globalMove, mb,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &release);
    QVERIFY(!w.dragging());
    // Moves after the release leave the window where it is.
    const QPoint later = globalMove + QPoint(50, 50);
    QMouseEvent move2(QEvent::MouseMove, w.mapFromGlobal(later), later, Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&w, &move2);
    QCOMPARE(w.pos(), start + QPoint(35, -12));
    // A press on a button clicks it and does not drag.
    QSignalSpy clicked(w.restoreButton(), &MyPushButton::clicked);
    QTest::mousePress(w.restoreButton(), Qt::LeftButton);
    QVERIFY(!w.dragging());
    QTest::mouseRelease(w.restoreButton(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void MainWindowTest::minimiseButtonMinimises() {
    TarvellMainWidget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy minimised(w.titleBar(), &topCtrlWidget::minwindows);
    QTest::mouseClick(w.titleBar()->minimiseButton(), Qt::LeftButton);
    QCOMPARE(minimised.count(), 1);
    QTRY_VERIFY(w.windowState().testFlag(Qt::WindowMinimized));
    QCOMPARE(g_calls.uninit, 0);
}

void MainWindowTest::stopSignalsStillCloseTheLibrary_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void MainWindowTest::stopSignalsStillCloseTheLibrary() {
    QFETCH(int, signal);
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral(TARVELL_SIGNAL_HELPER), QStringList{});
    QVERIFY(helper.waitForStarted());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += helper.readAllStandardOutput()).contains("ready") ||
                                 helper.state() != QProcess::Running,
                             20000);
    QCOMPARE(helper.state(), QProcess::Running);
    QCOMPARE(::kill(pid_t(helper.processId()), signal), 0);
    QVERIFY(helper.waitForFinished(20000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    out += helper.readAllStandardOutput();
    QCOMPARE(out, QByteArray("ready\nuninit 1\n"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
