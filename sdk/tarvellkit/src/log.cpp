#include "log.h"

#include "platform/paths.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kEntryBufferSize = 4096;

std::once_flag g_openOnce;
std::atomic<int> g_logFd{-1};

// TARVELL_LOG_STDERR=0 silences the copy on standard error (the file log stays).
bool MirrorToStderr() {
    static const bool mirror = [] {
        const char* value = std::getenv("TARVELL_LOG_STDERR");
        return value == nullptr || std::strcmp(value, "0") != 0;
    }();
    return mirror;
}

void WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n <= 0) {
            return;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
}

// Opens <documents>/LogFiles/tarvell.log afresh once per process and writes
// its dated header. When the file cannot be created the process logs only to
// standard error.
void OpenLogOnce() {
    std::call_once(g_openOnce, [] {
        std::string docs = platform::DocumentsFolder();
        if (docs.empty()) {
            return;
        }
        std::string folder = docs + "/LogFiles";
        mkdir(folder.c_str(), 0755);
        std::string path = folder + "/tarvell.log";
        unlink(path.c_str());
        int fd = open(path.c_str(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            return;
        }
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char header[256];
        int n = std::snprintf(header, sizeof header,
                              "============================================\n"
                              "%d/%d/%d %d:%d:%d\n"
                              "============================================\n\n",
                              local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, local.tm_sec);
        if (n > 0) {
            WriteAll(fd, header, static_cast<size_t>(n));
        }
        g_logFd.store(fd);
    });
}

void Emit(const char* text, size_t length) {
    int fd = g_logFd.load();
    if (fd >= 0) {
        WriteAll(fd, text, length);
    }
    if (MirrorToStderr()) {
        WriteAll(STDERR_FILENO, text, length);
    }
}

// vsnprintf reports the length it wanted; the entry is what fits the buffer.
size_t FittedLength(int wanted, size_t room) {
    if (wanted < 0) {
        return 0;
    }
    return static_cast<size_t>(wanted) < room ? static_cast<size_t>(wanted) : room - 1;
}

} // namespace

void LogWrite(const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    OpenLogOnce();
    char buffer[kEntryBufferSize];
    va_list args;
    va_start(args, format);
    int wanted = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Emit(buffer, FittedLength(wanted, sizeof buffer));
}

void LogWriteAt(const char* module, int number, const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    OpenLogOnce();
    char buffer[kEntryBufferSize];
    int head =
        std::snprintf(buffer, sizeof buffer, "file:%s, line:%d\n", module ? module : "", number);
    size_t used = FittedLength(head, sizeof buffer);
    va_list args;
    va_start(args, format);
    int wanted = std::vsnprintf(buffer + used, sizeof buffer - used, format, args);
    va_end(args);
    used += FittedLength(wanted, sizeof buffer - used);
    Emit(buffer, used);
}

void LogCallFunction(const char* exportName) {
    LogWrite("Call Function: %s\n", exportName);
}

void LogTracePoint(const char* module, int number) {
    LogWrite("File: %s  %d\n", module, number);
}
