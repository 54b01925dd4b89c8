#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler only writes one byte; the event loop reads it.
int g_signalFds[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
    const char byte = 1;
    const ssize_t written = ::write(g_signalFds[0], &byte, 1);
    (void)written;
}

} // namespace

bool QuitOnTerminationSignals() {
    if (g_signalFds[0] >= 0) {
        return true;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalFds) != 0) {
        return false;
    }
    auto* notifier =
        new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[16];
        while (::read(g_signalFds[1], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ok = ::sigaction(sig, &action, nullptr) == 0 && ok;
    }
    return ok;
}
