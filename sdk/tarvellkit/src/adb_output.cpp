#include "adb_output.h"

#include "runner.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

AdbOutputStatus ReadAdbOutput(const char* args, size_t limit, std::string* out) {
    out->clear();
    char path[1024];
    NewTempFilePath(path);
    if (path[0] == '\0') {
        return AdbOutputStatus::Missing;
    }
    unlink(path);
    RunAdbToFile(args, path);

    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return AdbOutputStatus::Missing;
    }
    // A child that outlived its time-out may still be writing: read at most
    // one byte beyond the limit, never the file's size at some moment.
    std::string text;
    text.resize(limit + 1);
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    close(fd);
    unlink(path);
    if (got > limit) {
        return AdbOutputStatus::TooLong;
    }
    text.resize(got);
    *out = std::move(text);
    return AdbOutputStatus::Ok;
}
