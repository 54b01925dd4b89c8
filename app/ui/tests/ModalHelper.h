// Running test code while a modal dialog's own event loop runs: the code is
// queued before the call that opens the dialog and runs once its condition
// holds, inside that loop.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

// Polls `ready` every 10 ms and runs `action` once when it holds. Gives up
// after timeoutMs. The polling ends with `context` (a local of the test
// function), so a condition that never held does not outlive the test.
inline void RunWhen(QObject* context, std::function<bool()> ready, std::function<void()> action,
                    int timeoutMs = 20000) {
    auto* timer = new QTimer(context);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [=]() {
        if (ready()) {
            timer->stop();
            timer->deleteLater();
            action();
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}
