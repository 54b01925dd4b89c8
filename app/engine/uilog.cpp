#include "uilog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
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
    // The folder xdg-user-dir names: XDG_DOCUMENTS_DIR in user-dirs.dirs
    // ("$HOME/..." or absolute). A value equal to the home folder means "not
    // set" there. The device library finds its log folder the same way.
    const QString home = QDir::homePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        config = home + QStringLiteral("/.config");
    }
    QString documents;
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!dirs.atEnd()) {
            const QString line = QString::fromUtf8(dirs.readLine()).trimmed();
            const QString key = QStringLiteral("XDG_DOCUMENTS_DIR=");
            if (!line.startsWith(key)) {
                continue;
            }
            QString value = line.mid(key.size());
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) {
                value = value.mid(1, value.size() - 2);
            }
            if (value.startsWith(QStringLiteral("$HOME"))) {
                value = home + value.mid(5);
            }
            if (QDir::isAbsolutePath(value) && QDir::cleanPath(value) != QDir::cleanPath(home)) {
                documents = QDir::cleanPath(value);
            }
            break;
        }
    }
    if (documents.isEmpty()) {
        documents = home + QStringLiteral("/Documents");
    }
    QDir().mkpath(documents);
    return documents;
}

} // namespace tarvell
