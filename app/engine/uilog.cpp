#include "uilog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tarvell {

namespace {

constexpr int kEntryCapacity = 4096;

struct LogState {
    QMutex mutex;
    bool opened = false;
    int fd = -1;
    QString folder;
    QString path;
};

LogState& State() {
    static LogState state;
    return state;
}

void WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        data += n;
        length -= size_t(n);
    }
}

// Called with the state locked.
void OpenOnce(LogState& state) {
    if (state.opened) {
        return;
    }
    state.opened = true;
    QString folder = state.folder;
    if (folder.isEmpty()) {
        folder = DocumentsFolder() + QStringLiteral("/LogFiles");
    }
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/tarvellui.log");
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    state.fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (state.fd < 0) {
        return;
    }
    state.path = path;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    char header[256];
    const int n = std::snprintf(header, sizeof header,
                                "============================================\n"
                                "%d/%d/%d %d:%d:%d\n"
                                "============================================\n\n",
                                d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    WriteAll(state.fd, header, size_t(n));
}

} // namespace

void UiLog(const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    char entry[kEntryCapacity];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(entry, sizeof entry, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    const size_t length = size_t(n) < sizeof entry ? size_t(n) : sizeof entry - 1;
    LogState& state = State();
    QMutexLocker lock(&state.mutex);
    OpenOnce(state);
    if (state.fd >= 0) {
        WriteAll(state.fd, entry, length);
    }
    WriteAll(STDERR_FILENO, entry, length);
}

void SetUiLogFolder(const QString& folder) {
    LogState& state = State();
    QMutexLocker lock(&state.mutex);
    if (!state.opened) {
        state.folder = folder;
    }
}

QString UiLogPath() {
    LogState& state = State();
    QMutexLocker lock(&state.mutex);
    return state.path;
}

QString DocumentsFolder() {
    QProcess query;
    query.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DOCUMENTS")});
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit &&
        query.exitCode() == 0) {
        const QString answer = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
        // xdg-user-dir answers the home folder itself when no documents folder
        // is configured; that is not a documents folder.
        if (!answer.isEmpty() && QDir::isAbsolutePath(answer) &&
            QDir::cleanPath(answer) != QDir::cleanPath(QDir::homePath())) {
            QDir().mkpath(answer);
            return QDir::cleanPath(answer);
        }
    } else if (query.state() != QProcess::NotRunning) {
        query.kill();
        query.waitForFinished(1000);
    }
    const QString fallback = QDir::homePath() + QStringLiteral("/Documents");
    QDir().mkpath(fallback);
    return fallback;
}

} // namespace tarvell
