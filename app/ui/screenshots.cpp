// tarvell-screenshots <folder>: saves a PNG of every screen of the program,
// drawn offscreen without a phone or the device library, for reviewing the
// artwork.
#include "KitLifecycle.h"
#include "MyPushButton.h"
#include "TarvellMainWidget.h"
#include "backupyourPhoneWidget.h"
#include "topCtrlWidget.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>

namespace {

int NoLibrary() {
    return 0;
}

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

bool Save(const QPixmap& pix, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!pix.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarvell-screenshots <folder>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));
    kit::lifecycle() = kit::Lifecycle{&NoLibrary, &NoLibrary};

    TarvellMainWidget window;
    window.show();
    QApplication::processEvents();
    bool ok = Save(window.grab(), dir, "home.png");

    Send(window.backupButton(), QEvent::Enter);
    Send(window.restoreButton(), QEvent::Enter);
    Send(window.recoveryButton(), QEvent::Enter);
    Send(window.printButton(), QEvent::Enter);
    Send(window.titleBar()->closeButton(), QEvent::Enter);
    Send(window.titleBar()->minimiseButton(), QEvent::Enter);
    ok &= Save(window.grab(), dir, "home-hover.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        Send(b, QEvent::MouseButtonPress);
    }
    ok &= Save(window.grab(), dir, "home-pressed.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        b->setButtonEnabled(false);
    }
    ok &= Save(window.grab(), dir, "home-disabled.png");
    for (MyPushButton* b : {window.backupButton(), window.restoreButton(), window.recoveryButton(),
                            window.printButton()}) {
        b->setButtonEnabled(true);
        Send(b, QEvent::Leave);
    }
    Send(window.titleBar()->closeButton(), QEvent::Leave);
    Send(window.titleBar()->minimiseButton(), QEvent::Leave);

    // The menu is its own popup window: draw it where it opens.
    window.titleBar()->menuButton_slots();
    QApplication::processEvents();
    QMenu* menu = window.titleBar()->menu();
    if (!menu->actions().isEmpty()) {
        menu->setActiveAction(menu->actions().first());
    }
    QPixmap withMenu = window.grab();
    {
        QPainter p(&withMenu);
        p.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
    }
    menu->hide();
    ok &= Save(withMenu, dir, "menu.png");

    window.backupyouPhone_slots();
    QApplication::processEvents();
    ok &= Save(window.grab(), dir, "flow.png");
    return ok ? 0 : 1;
}
