// tarvell: the desktop program.
#include "TarvellMainWidget.h"
#include "TerminationSignals.h"
#include "appsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt plug-ins shipped beside the program are found there.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath());
    // Text is UTF-8 throughout in Qt 6: tr(), C strings and the locale need
    // no codec set.
    tarvell::SetApplicationDirectory(QCoreApplication::applicationDirPath());
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/image/program.png")));

    // Asked to stop from outside, the program still closes the library.
    QuitOnTerminationSignals();

    TarvellMainWidget window;
    window.show();
    return QApplication::exec();
}
