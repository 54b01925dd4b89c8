// Shared helpers of the desktop program's tests: running test code inside a
// modal dialog's event loop, and catching the folders and pages the program
// hands to the desktop.
#pragma once

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

// Catches the file addresses the program hands to the desktop while it lives.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// Running test code while a modal dialog's own event loop runs: the code is
// queued before the call that opens the dialog and runs once its condition
// holds, inside that loop.

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
