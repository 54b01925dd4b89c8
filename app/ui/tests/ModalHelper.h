// Running test code while a modal dialog's own event loop runs: the code is
// queued before the call that opens the dialog and runs once its condition
// holds, inside that loop.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Polls `ready` every 10 ms and runs `action` once when it holds. Gives up
// after timeoutMs (the action then never runs; *timedOut is set).
inline void RunWhen(std::function<bool()> ready, std::function<void()> action,
                    int timeoutMs = 20000, bool* timedOut = nullptr) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=]() {
        if (ready()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            action();
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (timedOut) {
                *timedOut = true;
            }
        }
    });
    timer->start();
}
