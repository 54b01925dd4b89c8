// The flow screens without a phone: the device library's detection and
// preparation calls are played by the test, the job thread is driven through
// its fields. The flows against the simulated phone are in tst_phoneflow.
#include "AutorizationWidget.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "DeviceThreads.h"
#include "DevicesConnectWidget.h"
#include "FolderDialog.h"
#include "KitLifecycle.h"
#include "MyListWidget.h"
#include "MyPushButton.h"
#include "SelectContentMGRWidget.h"
#include "TarvellMainWidget.h"
#include "UiTestSupport.h"
#include "backupyourPhoneWidget.h"
#include "catalogue.h"
#include "jobthread.h"
#include "topCtrlWidget.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

namespace {

// The phone as the test plays it.
std::atomic<int> g_count{0};
std::atomic<int> g_check{0};
std::atomic<int> g_ready{0};

int FakeCount() {
    return g_count;
}
int FakeCheck(int) {
    return g_check;
}
int FakeReady(int) {
    return g_ready;
}
QString FakeLabel() {
    return QStringLiteral("Pixel Test");
}

// A folder the catalogue accepts as a backup.
QString MakeBackupFolder(const QDir& base, const QString& name) {
    base.mkpath(name + QStringLiteral("/Datajs"));
    const QString path = base.filePath(name);
    QFile js(path + QStringLiteral("/Datajs/Contacts.js"));
    js.open(QIODevice::WriteOnly);
    js.write("var Conten2={};");
    QFile index(path + QStringLiteral("/index.html"));
    index.open(QIODevice::WriteOnly);
    index.write("<html></html>");
    return path;
}

} // namespace

class ScreensTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void messageKinds_data();
    void messageKinds();
    void countdownTextOnlyForTheCountdown();
    void progressRows();
    void modePanels_data();
    void modePanels();
    void connectedLook();
    void finishedJob_data();
    void finishedJob();
    void cancelledFolderDialogStartsNothing();
    void cancellingAsksFirst_data();
    void cancellingAsksFirst();
    void readyPhoneIsAnnouncedOnceAndItsUnplugShowsTheConnectionScreen();
    void authorisationNeverShownOnTheHomePage();
    void exitStopsEveryWorkerThreadWithoutWaitingOutAPoll();

private:
    kit::Lifecycle m_savedLife{};
    kit::DeviceCalls m_savedCalls{};
    QTemporaryDir m_tmp;
};

void ScreensTest::initTestCase() {
    QVERIFY(m_tmp.isValid());
    // A home of its own: the two runs of this suite (one and two pixels per
    // unit) may run at the same time and must not share a catalogue.
    qputenv("HOME", m_tmp.filePath(QStringLiteral("home")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    m_savedLife = kit::lifecycle();
    m_savedCalls = kit::deviceCalls();
    kit::lifecycle() = kit::withoutLibrary();
    kit::deviceCalls() = kit::DeviceCalls{&FakeCount, &FakeCheck, &FakeReady, &FakeLabel};
}

void ScreensTest::init() {
    g_count = 0;
    g_check = 0;
    g_ready = 0;
    QFile::remove(tarvell::CatalogPath());
    CompleteDialog::setNextAnswer(-1);
    SetNextFolderAnswer(std::nullopt);
}

void ScreensTest::cleanupTestCase() {
    kit::lifecycle() = m_savedLife;
    kit::deviceCalls() = m_savedCalls;
}

void ScreensTest::messageKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<bool>>("buttons"); // OK, Cancel, Yes, No

    QTest::newRow("backup completed")
        << 0 << "Backup completed. Do you want to open the output folder?"
        << QList<bool>{false, false, true, true};
    QTest::newRow("restore completed")
        << 1 << "Restore Completed." << QList<bool>{true, false, false, false};
    QTest::newRow("countdown")
        << 2
        << "Please click \"Yes\" on your destination phone, or the program will skip copying SMS "
           "in 60 seconds."
        << QList<bool>{false, false, false, false};
    QTest::newRow("cancel backup")
        << 1001 << "Do you want to cancel the backup?" << QList<bool>{true, true, false, false};
    QTest::newRow("cancel restore")
        << 1002 << "Do you want to cancel the restore?" << QList<bool>{true, true, false, false};
}

void ScreensTest::messageKinds() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QList<bool>, buttons);
    CompleteDialog dialog;
    // A kind shown before must leave no button behind.
    dialog.setMessage(0);
    dialog.setMessage(1001);
    dialog.setMessage(kind);
    QCOMPARE(dialog.text(), text);
    QCOMPARE(dialog.m_Kind, kind);
    QCOMPARE(dialog.okButton()->isVisibleTo(&dialog), buttons[0]);
    QCOMPARE(dialog.cancelButton()->isVisibleTo(&dialog), buttons[1]);
    QCOMPARE(dialog.yesButton()->isVisibleTo(&dialog), buttons[2]);
    QCOMPARE(dialog.noButton()->isVisibleTo(&dialog), buttons[3]);
    // OK and Yes accept, Cancel and No refuse.
    for (MyPushButton* b : {dialog.okButton(), dialog.yesButton()}) {
        dialog.m_Accepted = 0;
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(dialog.m_Accepted, 1);
    }
    for (MyPushButton* b : {dialog.cancelButton(), dialog.noButton()}) {
        dialog.m_Accepted = 1;
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(dialog.m_Accepted, 0);
    }
}

void ScreensTest::countdownTextOnlyForTheCountdown() {
    QObject guard; // ends the polling of RunWhen with this test
    CompleteDialog dialog;
    dialog.setMessage(1);
    dialog.updateCountdown(5);
    QCOMPARE(dialog.text(), QStringLiteral("Restore Completed."));
    dialog.setMessage(2);
    dialog.updateCountdown(7);
    QVERIFY(dialog.text().endsWith(QStringLiteral(" in 7 seconds.")));
    // The countdown never takes a preset answer: it waits for the job.
    CompleteDialog::setNextAnswer(1);
    RunWhen(
        &guard, [&] { return dialog.isVisible(); }, [&] { dialog.hide(); });
    dialog.run();
    QCOMPARE(dialog.m_Accepted, 0);
    CompleteDialog::setNextAnswer(-1);
}

void ScreensTest::progressRows() {
    // The row texts and bar come from the engine's progress view; here: that
    // the dialog shows them, colours a finished row and polls the percent.
    tarvell::GetBackupDataThread job;
    tarvell::JobSnapshot state;
    state.restoreMode = true;
    state.currentStep = 3;
    const int done[7] = {6, 0, 0, 3, 0, 0, 0};
    const int total[7] = {6, -1, -1, 10, -1, -1, 2};
    for (int k = 0; k < 7; ++k) {
        state.selected[k] = k == 0 || k == 3 || k == 6;
        state.done[k] = done[k];
        state.total[k] = total[k];
    }
    BackupProgressWidget dialog(job);
    dialog.setBackupMode(false);
    QCOMPARE(dialog.titleLabel()->text(), QStringLiteral("Restore Progress"));
    dialog.display(state);
    const QStringList rows{"Contacts(6 of 6)", "Photos(3 of 10)", "Apps(0 of 2)", "", "", "", ""};
    const QStringList statuses{"Success", "Waiting", "Waiting", "", "", "", ""};
    for (int r = 0; r < 7; ++r) {
        QCOMPARE(dialog.rowName(r)->text(), rows[r]);
        QCOMPARE(dialog.rowStatus(r)->text(), statuses[r]);
    }
    QVERIFY(dialog.rowStatus(0)->styleSheet().contains(QLatin1String("#049700")));
    QCOMPARE(dialog.progressBar()->value(), 30);
    QCOMPARE(dialog.shownPercent(), 2);  // one step per poll
    QCOMPARE(job.snapshot().percent, 0); // the display writes nothing into the job
}

void ScreensTest::modePanels_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<bool>>("panels"); // source, list, centre, computer, target
    QTest::newRow("backup") << 0 << "Select Content to Backup"
                            << QList<bool>{true, false, true, true, false};
    QTest::newRow("restore") << 1 << "Select Content to Restore"
                             << QList<bool>{false, true, true, false, true};
}

void ScreensTest::modePanels() {
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(QList<bool>, panels);
    SelectContentMGRWidget screen;
    screen.kindCheckBox(6)->setChecked(true);
    screen.kindCheckBox(0)->setChecked(false);
    screen.titleLabel()->clear();
    screen.setMode(mode);
    QCOMPARE(screen.titleLabel()->text(), title);
    const QList<QWidget*> all{screen.backupSourcePanel(), screen.restoreListPanel(),
                              screen.centrePanel(), screen.computerPanel(),
                              screen.restoreTargetPanel()};
    for (int i = 0; i < all.size(); ++i) {
        QCOMPARE(all[i]->isVisibleTo(&screen), panels[i]);
    }
    for (int k = 0; k < 7; ++k) {
        QCOMPARE(screen.kindCheckBox(k)->isChecked(), k != 6);
    }
}

void ScreensTest::connectedLook() {
    SelectContentMGRWidget screen;
    screen.setMode(1);
    screen.setDeviceConnected(true);
    screen.updateDeviceLabel();
    QVERIFY(screen.startButton()->buttonEnabled());
    QVERIFY(screen.clearCheckBox()->isVisibleTo(&screen));
    QVERIFY(screen.clearLabel()->isVisibleTo(&screen));
    QCOMPARE(screen.sourceDeviceLabel()->text(), QStringLiteral("Pixel Test"));
    // The restore target names the phone the backup goes to.
    QCOMPARE(screen.targetDeviceLabel()->text(), QStringLiteral("Pixel Test"));
    const QImage connected = screen.targetPhonePicture()->pixmap().toImage();
    screen.setDeviceConnected(false);
    QVERIFY(!screen.startButton()->buttonEnabled());
    QVERIFY(!screen.clearCheckBox()->isVisibleTo(&screen));
    QVERIFY(!screen.clearLabel()->isVisibleTo(&screen));
    QVERIFY(screen.targetPhonePicture()->pixmap().toImage() != connected);
}

void ScreensTest::finishedJob_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("shownKind");   // -2: no completion box
    QTest::addColumn<bool>("catalogued"); // the new backup is in the file
    QTest::addColumn<bool>("explorer");   // the folder was opened
    QTest::addColumn<bool>("failures");   // two photos and an app were not copied
    QTest::addColumn<QString>("text");
    const QString opened =
        QStringLiteral("Backup completed. Do you want to open the output folder?");
    const QString restored = QStringLiteral("Restore Completed.");
    const QString failed =
        QStringLiteral("\n3 items could not be copied (2 Photos, 1 Apps); see tarvellui.log.");
    QTest::newRow("backup, open the folder")
        << 0 << false << 1 << 0 << true << true << false << opened;
    QTest::newRow("backup, do not open")
        << 0 << false << 0 << 0 << true << false << false << opened;
    QTest::newRow("backup with failures")
        << 0 << false << 0 << 0 << true << false << true << opened + failed;
    QTest::newRow("backup cancelled")
        << 0 << true << 1 << -2 << false << false << false << QString();
    QTest::newRow("restore") << 1 << false << 1 << 1 << false << false << false << restored;
    QTest::newRow("restore with failures")
        << 1 << false << 1 << 1 << false << false << true << restored + failed;
    QTest::newRow("restore cancelled")
        << 1 << true << 1 << -2 << false << false << false << QString();
}

void ScreensTest::finishedJob() {
    QFETCH(int, mode);
    QFETCH(bool, aborted);
    QFETCH(int, answer);
    QFETCH(int, shownKind);
    QFETCH(bool, catalogued);
    QFETCH(bool, explorer);
    QFETCH(bool, failures);
    QFETCH(QString, text);
    UrlCatcher catcher;

    QDir base(m_tmp.filePath(QStringLiteral("finished")));
    base.mkpath(QStringLiteral("."));
    const QString earlier = MakeBackupFolder(base, QStringLiteral("earlier"));
    const QString fresh = MakeBackupFolder(base, QStringLiteral("fresh"));
    {
        QSettings ini(tarvell::CatalogPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("01.02.2024 10:11:12.000-Earlier"), earlier);
    }
    // The screen has not loaded the catalogue yet: the earlier backup must
    // survive the save all the same.
    SelectContentMGRWidget screen;
    screen.setMode(mode);
    screen.completeDialog()->m_Kind = -2;
    tarvell::GetBackupDataThread& job = screen.job();
    const bool kinds[tarvell::kContentKindCount] = {};
    job.setUpBackup(kinds, fresh, QStringLiteral("05.02.2024 10:11:12.000-Fresh"));
    if (aborted) {
        job.requestCancel();
    }
    if (failures) {
        tarvell::JobTestPeer::setFailedCount(job, tarvell::Photos, 2);
        tarvell::JobTestPeer::setFailedCount(job, tarvell::Apps, 1);
    }
    CompleteDialog::setNextAnswer(answer);
    screen.m_GetBackupDataThread_Finished();
    CompleteDialog::setNextAnswer(-1);

    QCOMPARE(screen.completeDialog()->m_Kind, shownKind);
    if (shownKind != -2) {
        QCOMPARE(screen.completeDialog()->text(), text);
    }
    QVERIFY(!screen.progressDialog()->isVisible());
    tarvell::Catalogue file;
    QVERIFY(file.load());
    QVERIFY(file.paths().contains(earlier));
    QCOMPARE(file.paths().contains(fresh), catalogued);
    // The restore list is reloaded after every job.
    const MyListWidget* list = screen.restoreList();
    QCOMPARE(list->visibleCount(), catalogued ? 2 : 1);
    QCOMPARE(list->items()[0]->titleLabel()->text(), QStringLiteral("Earlier"));
    QVERIFY(list->items()[0]->ageLabel()->text().endsWith(QLatin1String("ago")));
    if (catalogued) {
        QCOMPARE(list->items()[1]->path(), fresh);
    }
    QCOMPARE(catcher.urls.size(), explorer ? 1 : 0);
    if (explorer) {
        QCOMPARE(catcher.urls[0].toLocalFile(), fresh);
    }
}

void ScreensTest::cancelledFolderDialogStartsNothing() {
    SelectContentMGRWidget screen;
    screen.setMode(0);
    screen.setDeviceConnected(true);
    SetNextFolderAnswer(QString());
    screen.backupStartButton_slots();
    QVERIFY(!screen.job().isRunning());
    QVERIFY(!screen.job().isFinished());
    QVERIFY(!screen.progressDialog()->isVisible());
    QVERIFY(!screen.timer()->isActive());
    QVERIFY(screen.job().cancelRequested());
}

void ScreensTest::cancellingAsksFirst_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("question");
    QTest::newRow("backup") << true << 1001;
    QTest::newRow("restore") << false << 1002;
}

void ScreensTest::cancellingAsksFirst() {
    QFETCH(bool, backup);
    QFETCH(int, question);
    tarvell::GetBackupDataThread job;
    BackupProgressWidget dialog(job);
    dialog.setBackupMode(backup);
    dialog.show();
    CompleteDialog::setNextAnswer(0);
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    QCOMPARE(dialog.completeDialog()->m_Kind, question);
    QVERIFY(!job.cancelRequested());
    QVERIFY(dialog.isVisible());
    CompleteDialog::setNextAnswer(1);
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    QVERIFY(job.cancelRequested());
    QVERIFY(!dialog.isVisible());
}

// ---- connection screen ------------------------------------------------------

void ScreensTest::readyPhoneIsAnnouncedOnceAndItsUnplugShowsTheConnectionScreen() {
    g_count = 1;
    TarvellMainWidget w;
    w.show();
    DevicesConnectWidget* connect = w.flowWidget()->connectScreen();
    QSignalSpy connected(connect, &DevicesConnectWidget::deviceConnected);
    QTRY_VERIFY_WITH_TIMEOUT(connect->m_DeviceReady, 10000);
    QCOMPARE(connected.size(), 1);
    w.backupyouPhone_slots();
    QVERIFY(w.flowWidget()->contentScreen()->isVisible());
    QVERIFY(w.flowWidget()->contentScreen()->startButton()->buttonEnabled());
    QSignalSpy gone(connect, &DevicesConnectWidget::deviceDisConnected);
    g_count = 0;
    connect->countThread()->pollNow();
    QTRY_COMPARE_WITH_TIMEOUT(gone.size(), 1, 5000);
    QVERIFY(connect->isVisible());
    QVERIFY(!w.flowWidget()->contentScreen()->isVisible());
    QVERIFY(!w.flowWidget()->contentScreen()->startButton()->buttonEnabled());
    QVERIFY(!connect->m_DeviceReady);
    QCOMPARE(connected.size(), 1);
}

void ScreensTest::authorisationNeverShownOnTheHomePage() {
    g_count = 1;
    g_check = -2;
    TarvellMainWidget w;
    w.show();
    DevicesConnectWidget* connect = w.flowWidget()->connectScreen();
    QSignalSpy asked(connect, &DevicesConnectWidget::deviceUsbDebugNotOpen);
    QSignalSpy scanned(connect->scanThread(), &QThread::finished);
    // Two failed scans on the home page.
    QTRY_VERIFY_WITH_TIMEOUT(scanned.size() >= 2, 10000);
    QCOMPARE(asked.size(), 0);
    QVERIFY(!connect->authorizationDialog()->isVisible());
}

void ScreensTest::exitStopsEveryWorkerThreadWithoutWaitingOutAPoll() {
    g_count = 1;
    g_check = -2;
    auto* w = new TarvellMainWidget;
    w->show();
    DevicesConnectWidget* connect = w->flowWidget()->connectScreen();
    // The scan thread sits in its pause, the count thread in its 5 s wait.
    QTRY_VERIFY_WITH_TIMEOUT(connect->scanThread()->isRunning(), 5000);
    QVERIFY(connect->countThread()->isRunning());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w->titleBar()->closeButton(), Qt::LeftButton);
    QVERIFY(!connect->countThread()->isRunning());
    QVERIFY(!connect->scanThread()->isRunning());
    QVERIFY(!w->flowWidget()->contentScreen()->job().isRunning());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    delete w; // would abort the program if a thread were still running
}

QTEST_MAIN(ScreensTest)
#include "tst_screens.moc"
