// The flows of the desktop program against the simulated phone: the real
// device library, the stand-in adb beside this test program, the phone on
// USB through umockdev. Folder choices and answers to the message box are
// set by the test; everything else runs as it does for a user.
#include "AutorizationWidget.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "DeviceThreads.h"
#include "DevicesConnectWidget.h"
#include "FolderDialog.h"
#include "MyListWidget.h"
#include "MyPushButton.h"
#include "SelectContentMGRWidget.h"
#include "TarvellMainWidget.h"
#include "UiTestSupport.h"
#include "appsupport.h"
#include "backupyourPhoneWidget.h"
#include "catalogue.h"
#include "jobthread.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <memory>

namespace {

// The cable: while set, USB shows no phone (the umockdev phone stays in the
// device tree, so the pull is played here; adb's side is `phonesim unplug`).
std::atomic<bool> g_unplugged{false};
int (*g_realCount)() = nullptr;

int CountWithCable() {
    const int count = g_realCount();
    return g_unplugged ? 0 : count;
}

constexpr int kPrepareTimeoutMs = 90000;
constexpr int kJobTimeoutMs = 120000;

} // namespace

class PhoneFlowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void phoneAttachedAtStartIsPreparedOnTheHomePage();
    void backupShowsProgressCompletesAndIsCatalogued();
    void restoreOfACheckedRowShowsTheCountdown();
    void restoreOfADamagedFolderNamesTheKindLeftOut();
    void unpluggedDuringAJobClosesProgressWithoutCompletion();
    void unauthorisedPhoneShowsTheDialogUntilAccepted();
    void closingDuringAJobStopsItFirst();

private:
    void phonesim(const QStringList& args);
    void fault(const QString& key, const QString& value) {
        phonesim({QStringLiteral("fault"), m_phone, key, value});
    }
    // Only these kinds ticked on the content screen.
    void select(std::initializer_list<int> kinds);
    // Unplugs and plugs back so that the next scan starts afresh.
    void replug();
    int catalogueSize() {
        tarvell::Catalogue c;
        c.load();
        return c.size();
    }

    QTemporaryDir m_tmp;
    QString m_phone;
    QString m_model;
    std::unique_ptr<TarvellMainWidget> m_window;
    kit::DeviceCalls m_savedCalls{};
    UrlCatcher m_catcher;
};

void PhoneFlowTest::phonesim(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PHONESIM), args);
    QVERIFY(p.waitForFinished(30000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
}

void PhoneFlowTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(tarvell::CatalogPath());
    QVERIFY(m_tmp.isValid());
    m_phone = m_tmp.filePath(QStringLiteral("phone"));
    phonesim({QStringLiteral("gen"), QStringLiteral("--preset"), QStringLiteral("tiny"),
              QStringLiteral("--seed"), QStringLiteral("3"), m_phone});
    qputenv("PHONESIM_HOME", m_phone.toLocal8Bit());
    // A countdown that runs out ends a broken test in seconds, not a minute.
    qputenv("TARVELL_TEST_SMS_COUNTDOWN", "10");
    QFile json(m_phone + QStringLiteral("/phone.json"));
    QVERIFY(json.open(QIODevice::ReadOnly));
    m_model = QJsonDocument::fromJson(json.readAll())
                  .object()
                  .value(QStringLiteral("properties"))
                  .toObject()
                  .value(QStringLiteral("ro.product.model"))
                  .toString();
    QVERIFY(!m_model.isEmpty());
    tarvell::SetApplicationDirectory(QCoreApplication::applicationDirPath());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");

    m_savedCalls = kit::deviceCalls();
    g_realCount = m_savedCalls.countDevices;
    kit::deviceCalls().countDevices = &CountWithCable;

    m_window = std::make_unique<TarvellMainWidget>();
    m_window->show();
}

void PhoneFlowTest::init() {
    // A completion box that a test does not expect fails it instead of
    // waiting for a click that never comes.
    if (m_window) {
        CompleteDialog* box = m_window->flowWidget()->contentScreen()->completeDialog();
        RunWhen(
            m_window.get(), [box] { return box->isVisible(); }, [box] { box->hide(); },
            kJobTimeoutMs);
    }
    CompleteDialog::setNextAnswer(-1);
    SetNextFolderAnswer(std::nullopt);
    m_catcher.urls.clear();
    if (m_window) {
        m_window->flowWidget()->contentScreen()->completeDialog()->m_Kind = -2;
    }
}

void PhoneFlowTest::cleanupTestCase() {
    m_window.reset();
    kit::deviceCalls() = m_savedCalls;
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    // No adb server outlives the test.
    QProcess::execute(QCoreApplication::applicationDirPath() + QStringLiteral("/adb"),
                      {QStringLiteral("kill-server")});
}

void PhoneFlowTest::select(std::initializer_list<int> kinds) {
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    for (int k = 0; k < 7; ++k) {
        content->kindCheckBox(k)->setChecked(false);
    }
    for (int k : kinds) {
        content->kindCheckBox(k)->setChecked(true);
    }
}

void PhoneFlowTest::replug() {
    DevicesConnectWidget* connect = m_window->flowWidget()->connectScreen();
    g_unplugged = true;
    connect->countThread()->pollNow();
    QTRY_VERIFY_WITH_TIMEOUT(!connect->m_DeviceReady, 10000);
    g_unplugged = false;
    connect->countThread()->pollNow();
}

void PhoneFlowTest::phoneAttachedAtStartIsPreparedOnTheHomePage() {
    DevicesConnectWidget* connect = m_window->flowWidget()->connectScreen();
    QTRY_VERIFY_WITH_TIMEOUT(connect->m_DeviceReady, kPrepareTimeoutMs);
    QVERIFY(m_window->homePage()->isVisible());
    QVERIFY(!connect->authorizationDialog()->isVisible());

    QTest::mouseClick(m_window->backupButton(), Qt::LeftButton);
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    QVERIFY(content->isVisible());
    QVERIFY(!connect->isVisible());
    QVERIFY(content->startButton()->buttonEnabled());
    QCOMPARE(content->sourceDeviceLabel()->text(), m_model);
}

void PhoneFlowTest::backupShowsProgressCompletesAndIsCatalogued() {
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    BackupProgressWidget* progress = content->progressDialog();
    QVERIFY(content->isVisible());
    select({tarvell::Contacts, tarvell::SMS, tarvell::CallHistory, tarvell::Photos});
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("20"));
    const QString out = m_tmp.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    SetNextFolderAnswer(out);
    CompleteDialog::setNextAnswer(1); // yes, open the folder

    // What the dialog shows while the job runs.
    QStringList titles;
    QSet<QString> rowsSeen;
    QList<int> bars;
    bool backDisabled = false;
    QTimer watch;
    watch.setInterval(20);
    connect(&watch, &QTimer::timeout, [&] {
        if (!progress->isVisible()) {
            return;
        }
        titles << progress->titleLabel()->text();
        backDisabled = backDisabled || !content->backButton()->buttonEnabled();
        for (int r = 0; r < 7; ++r) {
            rowsSeen << progress->rowName(r)->text() + QLatin1Char('|') +
                            progress->rowStatus(r)->text();
        }
        bars << progress->progressBar()->value();
    });
    watch.start();
    content->backupStartButton_slots(); // returns when the progress dialog closes
    watch.stop();
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("off"));

    QVERIFY(!titles.isEmpty());
    QCOMPARE(titles.first(), QStringLiteral("Backup Progress"));
    QVERIFY(backDisabled);
    QVERIFY(content->backButton()->buttonEnabled());
    // A finished kind shows the phone's total twice.
    QFile contactsFile(m_phone + QStringLiteral("/contacts.json"));
    QVERIFY(contactsFile.open(QIODevice::ReadOnly));
    const qsizetype contacts = QJsonDocument::fromJson(contactsFile.readAll())
                                   .object()
                                   .value(QStringLiteral("items"))
                                   .toArray()
                                   .size();
    QVERIFY(contacts > 0);
    const QString finishedContacts = QStringLiteral("Contacts(%1 of %1)|Success").arg(contacts);
    QVERIFY2(rowsSeen.contains(finishedContacts),
             qPrintable(QStringList(rowsSeen.values()).join(QLatin1Char('\n'))));
    for (int b : bars) {
        QVERIFY(b >= 0 && b <= 100);
    }
    QCOMPARE(content->job().currentStep(), 7);

    // Completion, the folder opened, the catalogue and the restore list.
    QCOMPARE(content->completeDialog()->m_Kind, 0);
    const QString folder = content->job().outputFolder();
    QVERIFY(folder.startsWith(out + QStringLiteral("/") + m_model + QStringLiteral("-")));
    QVERIFY(QFile::exists(folder + QStringLiteral("/Datajs/Contacts.js")));
    QVERIFY(QFile::exists(folder + QStringLiteral("/index.html")));
    QCOMPARE(m_catcher.urls.size(), 1);
    QCOMPARE(m_catcher.urls[0].toLocalFile(), folder);
    tarvell::Catalogue file;
    QVERIFY(file.load());
    QCOMPARE(file.paths(), QStringList{folder});
    QVERIFY(file.labels()[0].endsWith(QStringLiteral("-") + m_model));
    QCOMPARE(content->restoreList()->visibleCount(), 1);
    QCOMPARE(m_window->flowWidget()->knownBackupFolders(), QStringList{folder});
}

void PhoneFlowTest::restoreOfACheckedRowShowsTheCountdown() {
    QObject guard; // ends the polling of RunWhen with this test
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    BackupProgressWidget* progress = content->progressDialog();
    CompleteDialog* prompt = progress->completeDialog();
    QTest::mouseClick(content->backButton(), Qt::LeftButton);
    QVERIFY(m_window->homePage()->isVisible());
    QTest::mouseClick(m_window->restoreButton(), Qt::LeftButton);
    QVERIFY(content->isVisible());
    QVERIFY(content->restoreListPanel()->isVisible());
    QCOMPARE(content->restoreList()->visibleCount(), 1);
    QCOMPARE(content->targetDeviceLabel()->text(), m_model);
    // The phone asks its user; the user says yes after a second.
    fault(QStringLiteral("default_sms_accept_after"), QStringLiteral("1"));
    CompleteDialog::setNextAnswer(1);

    QVERIFY(content->isVisible());
    content->restoreList()->items()[0]->checkBox()->setChecked(true);
    select({tarvell::SMS});

    QString countdown;
    QSignalSpy shows(&content->job(), &tarvell::GetBackupDataThread::changeSMSShow);
    QSignalSpy hides(&content->job(), &tarvell::GetBackupDataThread::changeSMSHide);
    RunWhen(
        &guard,
        [&] { return prompt->isVisible() && prompt->m_Kind == CompleteDialog::SmsCountdown; },
        [&] { countdown = prompt->text(); });
    content->backupStartButton_slots();
    fault(QStringLiteral("default_sms_accept_after"), QStringLiteral("off"));

    QVERIFY2(countdown.startsWith(QLatin1String("Please click \"Yes\" on your destination "
                                                "phone, or the program will skip copying SMS in ")),
             qPrintable(countdown));
    QVERIFY(countdown.endsWith(QLatin1String(" seconds.")));
    QCOMPARE(shows.size(), 1);
    QCOMPARE(hides.size(), 1);
    QVERIFY(!prompt->isVisible());
    QCOMPARE(content->completeDialog()->m_Kind, 1);
    // The backup came from this phone: every message is on it already.
    const int messages = content->job().snapshot().total[tarvell::SMS];
    QVERIFY(messages > 0);
    QCOMPARE(content->job().skippedCount(tarvell::SMS), messages);
    QCOMPARE(content->completeDialog()->text(),
             QStringLiteral("Restore Completed.\n%1 already on the phone (%1 Text Messages).")
                 .arg(messages));
    QCOMPARE(content->job().currentStep(), 7);
    QCOMPARE(progress->titleLabel()->text(), QStringLiteral("Restore Progress"));
}

void PhoneFlowTest::restoreOfADamagedFolderNamesTheKindLeftOut() {
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    tarvell::Catalogue catalogue;
    QVERIFY(catalogue.load());
    QCOMPARE(catalogue.paths().size(), 1);
    // A call log that no longer matches the backup's SHA256SUMS.
    QFile calls(catalogue.paths()[0] + QStringLiteral("/Datajs/CallHistory.js"));
    QVERIFY(calls.open(QIODevice::ReadWrite));
    QByteArray bytes = calls.readAll();
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
    QVERIFY(calls.seek(0));
    QCOMPARE(calls.write(bytes), bytes.size());
    calls.close();
    QVERIFY(content->isVisible());
    content->restoreList()->items()[0]->checkBox()->setChecked(true);
    select({tarvell::Contacts, tarvell::CallHistory});
    CompleteDialog::setNextAnswer(1);
    content->backupStartButton_slots();
    QCOMPARE(content->completeDialog()->m_Kind, 1);
    const QString text = content->completeDialog()->text();
    QVERIFY2(text.startsWith(QLatin1String("Restore Completed.\n")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Call Logs not restored: ")) &&
                 text.contains(QLatin1String("CHANGED Datajs/CallHistory.js")),
             qPrintable(text));
    QCOMPARE(content->job().failedCount(tarvell::CallHistory), 1);
}

void PhoneFlowTest::unpluggedDuringAJobClosesProgressWithoutCompletion() {
    QObject guard; // ends the polling of RunWhen with this test
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    DevicesConnectWidget* connect = m_window->flowWidget()->connectScreen();
    BackupProgressWidget* progress = content->progressDialog();
    m_window->backupyouPhone_slots();
    select({tarvell::Contacts, tarvell::SMS, tarvell::CallHistory});
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("1000"));
    const int before = catalogueSize();
    SetNextFolderAnswer(m_tmp.filePath(QStringLiteral("out")));
    RunWhen(
        &guard, [&] { return progress->isVisible(); },
        [&] {
            phonesim({QStringLiteral("unplug"), m_phone});
            g_unplugged = true;
            connect->countThread()->pollNow();
        });
    content->backupStartButton_slots(); // returns when the dialog closes
    QVERIFY(!progress->isVisible());
    QVERIFY(connect->isVisible());
    QVERIFY(!content->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!content->job().isRunning(), kJobTimeoutMs);
    QCoreApplication::processEvents();
    QCOMPARE(content->completeDialog()->m_Kind, -2);
    QCOMPARE(catalogueSize(), before);

    // Plugged back, the phone is prepared again and the content screen
    // returns.
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("off"));
    phonesim({QStringLiteral("plug"), m_phone});
    g_unplugged = false;
    connect->countThread()->pollNow();
    QTRY_VERIFY_WITH_TIMEOUT(connect->m_DeviceReady, kPrepareTimeoutMs);
    QVERIFY(content->isVisible());
}

void PhoneFlowTest::unauthorisedPhoneShowsTheDialogUntilAccepted() {
    QObject guard; // ends the polling of RunWhen with this test
    DevicesConnectWidget* connect = m_window->flowWidget()->connectScreen();
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    AutorizationWidget* dialog = connect->authorizationDialog();
    fault(QStringLiteral("state"), QStringLiteral("unauthorized"));
    replug();
    int ticksSinceClosed = -1;
    QObject::connect(connect->timer(), &QTimer::timeout, &guard, [&] {
        if (ticksSinceClosed >= 0) {
            ++ticksSinceClosed;
        }
    });
    bool shown = false;
    int ticksAtReturn = -1;
    bool closedByItself = false;
    // First showing: the user closes it; it stays away while the phone still
    // refuses, comes back, and goes by itself once debugging is allowed.
    RunWhen(
        &guard, [&] { return dialog->isVisible(); },
        [&] {
            shown = !content->backButton()->buttonEnabled();
            QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
            ticksSinceClosed = 0;
            RunWhen(
                &guard, [&] { return dialog->isVisible(); },
                [&] {
                    ticksAtReturn = ticksSinceClosed;
                    fault(QStringLiteral("state"), QStringLiteral("device"));
                    RunWhen(
                        &guard, [&] { return !dialog->isVisible(); },
                        [&] { closedByItself = true; }, kPrepareTimeoutMs);
                },
                3 * kPrepareTimeoutMs);
        },
        kPrepareTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(closedByItself, 4 * kPrepareTimeoutMs);
    QVERIFY(shown);
    QVERIFY2(ticksAtReturn > 10, qPrintable(QString::number(ticksAtReturn)));
    QTRY_VERIFY_WITH_TIMEOUT(connect->m_DeviceReady, kPrepareTimeoutMs);
    QVERIFY(content->isVisible());
    QVERIFY(content->startButton()->buttonEnabled());
    QVERIFY(content->backButton()->buttonEnabled());
}

void PhoneFlowTest::closingDuringAJobStopsItFirst() {
    QObject guard; // ends the polling of RunWhen with this test
    SelectContentMGRWidget* content = m_window->flowWidget()->contentScreen();
    DevicesConnectWidget* connect = m_window->flowWidget()->connectScreen();
    BackupProgressWidget* progress = content->progressDialog();
    m_window->backupyouPhone_slots();
    select({tarvell::Contacts, tarvell::SMS, tarvell::CallHistory});
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("1000"));
    SetNextFolderAnswer(m_tmp.filePath(QStringLiteral("out")));
    bool stoppedAtClose = false;
    RunWhen(
        &guard, [&] { return progress->isVisible() && content->job().isRunning(); },
        [&] {
            m_window->close();
            stoppedAtClose = !content->job().isRunning() && !connect->countThread()->isRunning() &&
                             !connect->scanThread()->isRunning();
        });
    content->backupStartButton_slots();
    fault(QStringLiteral("companion_delay_ms"), QStringLiteral("off"));
    QVERIFY(stoppedAtClose);
    QVERIFY(!progress->isVisible());
    m_window.reset(); // would abort the program if a thread still ran
}

QTEST_MAIN(PhoneFlowTest)
#include "tst_phoneflow.moc"
