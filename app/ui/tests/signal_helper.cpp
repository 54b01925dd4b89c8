// Test helper: a main window whose library calls are counted, run until the
// process is asked to stop. Prints "ready" once the event loop runs and
// "uninit <count>" when it ends.
#include "KitLifecycle.h"
#include "TarvellMainWidget.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {
int g_uninit = 0;
int Init() {
    return 0;
}
int UnInit() {
    ++g_uninit;
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kit::lifecycle() = kit::Lifecycle{&Init, &UnInit};
    if (!QuitOnTerminationSignals()) {
        return 3;
    }
    TarvellMainWidget window;
    window.show();
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    const int rc = QApplication::exec();
    std::printf("uninit %d\n", g_uninit);
    return rc;
}
