// tarvell-screenshots: saves a PNG of every screen of the program.
//
//   tarvell-screenshots <folder>                     screens and button states
//                                                    played without a phone
//   tarvell-screenshots --phone <phonesim> <folder>  the program run on the
//                                                    simulated phone
#include "screenshots.h"

#include "AutorizationWidget.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "DevicesConnectWidget.h"
#include "KitLifecycle.h"
#include "MyPushButton.h"
#include "SelectContentMGRWidget.h"
#include "TarvellMainWidget.h"
#include "backupyourPhoneWidget.h"
#include "jobthread.h"
#include "topCtrlWidget.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>

namespace {

QString DemoLabel() {
    return QStringLiteral("Simulated tiny");
}

} // namespace

QPixmap WithDialog(QWidget& window, QWidget* dialog) {
    QPixmap shot = window.grab();
    if (dialog->isWindow()) {
        QPainter p(&shot);
        const QPoint centre((window.width() - dialog->width()) / 2,
                            (window.height() - dialog->height()) / 2);
        p.drawPixmap(centre, dialog->grab());
    }
    return shot;
}

namespace {

void Send(QWidget* w, QEvent::Type type) {
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(local);
    if (type == QEvent::Enter) {
        QEnterEvent e(local, local, global);
        QApplication::sendEvent(w, &e);
    } else if (type == QEvent::Leave) {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(w, &e);
    } else {
        QMouseEvent e(type, local, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

} // namespace

bool SaveShot(const QPixmap& pix, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!pix.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

QPixmap GrabWithMenu(TarvellMainWidget& window) {
    window.titleBar()->menuButton_slots();
    QApplication::processEvents();
    QMenu* menu = window.titleBar()->menu();
    if (!menu->actions().isEmpty()) {
        menu->setActiveAction(menu->actions().first());
    }
    QPixmap shot = window.grab();
    {
        QPainter p(&shot);
        p.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
    }
    menu->hide();
    return shot;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const bool onPhone = argc == 4 && QByteArray(argv[1]) == "--phone";
    if (argc != 2 && !onPhone) {
        std::fprintf(stderr, "usage: tarvell-screenshots [--phone <phonesim>] <folder>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[argc - 1]));
    dir.mkpath(QStringLiteral("."));
    if (onPhone) {
        return PhoneTour(dir, QString::fromLocal8Bit(argv[2]));
    }
    kit::lifecycle() = kit::withoutLibrary();
    kit::deviceCalls() = kit::noPhoneCalls(&DemoLabel);

    TarvellMainWidget window;
    window.show();
    QApplication::processEvents();
    bool ok = SaveShot(window.grab(), dir, "home.png");

    Send(window.backupButton(), QEvent::Enter);
    Send(window.restoreButton(), QEvent::Enter);
    Send(window.recoveryButton(), QEvent::Enter);
    Send(window.printButton(), QEvent::Enter);
    Send(window.titleBar()->closeButton(), QEvent::Enter);
    Send(window.titleBar()->minimiseButton(), QEvent::Enter);
    ok &= SaveShot(window.grab(), dir, "home-hover.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        Send(b, QEvent::MouseButtonPress);
    }
    ok &= SaveShot(window.grab(), dir, "home-pressed.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        b->setButtonEnabled(false);
    }
    ok &= SaveShot(window.grab(), dir, "home-disabled.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        b->setButtonEnabled(true);
        Send(b, QEvent::Leave);
    }
    Send(window.titleBar()->closeButton(), QEvent::Leave);
    Send(window.titleBar()->minimiseButton(), QEvent::Leave);

    ok &= SaveShot(GrabWithMenu(window), dir, "menu.png");

    window.backupyouPhone_slots();
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "connection.png");

    // The authorisation dialog over the connection screen.
    DevicesConnectWidget* connect = window.flowWidget()->connectScreen();
    AutorizationWidget* auth = connect->authorizationDialog();
    auth->layout((window.width() - 780) / 2, (window.height() - 460) / 2, 780, 460);
    auth->show();
    auth->raise();
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "authorization.png");
    auth->hide();

    // The content screen in both modes, with a prepared phone.
    SelectContentMGRWidget* content = window.flowWidget()->contentScreen();
    connect->hide();
    content->updateDeviceLabel();
    content->setDeviceConnected(true);
    content->show();
    content->setMode(0);
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "content-backup.png");
    content->setMode(1);
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "content-restore.png");
    content->setMode(0);

    // The progress dialog of a backup half way through photos.
    tarvell::JobSnapshot job;
    job.restoreMode = true; // no library counters are read
    job.currentStep = 3;
    const int done[7] = {6, 14, 8, 2, 0, 0, 0};
    const int total[7] = {6, 14, 8, 4, 1, 2, -1};
    for (int k = 0; k < 7; ++k) {
        job.selected[k] = k != 6;
        job.done[k] = done[k];
        job.total[k] = total[k];
    }
    BackupProgressWidget* progress = content->progressDialog();
    progress->setBackupMode(true);
    progress->display(job);
    progress->layout((window.width() - kProgressDialogWidth) / 2,
                     (window.height() - kProgressDialogHeight) / 2, kProgressDialogWidth,
                     kProgressDialogHeight);
    progress->show();
    progress->raise();
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "progress.png");

    // The countdown over the progress dialog of a restore.
    progress->setBackupMode(false);
    CompleteDialog* prompt = progress->completeDialog();
    prompt->setMessage(CompleteDialog::SmsCountdown);
    prompt->updateCountdown(42);
    CentreOnMainWindow(prompt, kCompleteDialogWidth, kCompleteDialogHeight);
    prompt->layout(prompt->x(), prompt->y(), kCompleteDialogWidth, kCompleteDialogHeight);
    prompt->show();
    prompt->raise();
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "countdown.png");
    prompt->setMessage(CompleteDialog::CancelRestore);
    QApplication::processEvents();
    ok &= SaveShot(window.grab(), dir, "cancel.png");
    prompt->hide();

    // The completion box, a window of its own, over the progress dialog.
    progress->setBackupMode(true);
    CompleteDialog* box = content->completeDialog();
    box->setMessage(CompleteDialog::BackupCompleted);
    box->layout(0, 0, kCompleteDialogWidth, kCompleteDialogHeight);
    QApplication::processEvents();
    ok &= SaveShot(WithDialog(window, box), dir, "completion.png");
    box->setMessage(CompleteDialog::RestoreCompleted,
                    QStringLiteral("2 items could not be copied (2 Photos); see tarvellui.log."));
    ok &= SaveShot(WithDialog(window, box), dir, "completion-failed.png");
    // The fullest box: a note beside the longest failure sentence.
    box->setMessage(CompleteDialog::RestoreCompleted,
                    QStringLiteral("12 items could not be copied (2 Photos, 3 Videos, 3 Musics, "
                                   "4 Apps); see tarvellui.log."),
                    QStringLiteral("70000 already on the phone (10000 Contacts, 50000 Text "
                                   "Messages, 10000 Call Logs)."));
    ok &= SaveShot(WithDialog(window, box), dir, "completion-note-failed.png");
    box->setMessage(CompleteDialog::BackupCompleted, QString(),
                    QStringLiteral("1950 of 2000 files unchanged since the last backup."));
    ok &= SaveShot(WithDialog(window, box), dir, "completion-unchanged.png");
    progress->hide();
    return ok ? 0 : 1;
}
