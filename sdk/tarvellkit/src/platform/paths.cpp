#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string ProgramFolder() {
    char exe[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", exe, PATH_MAX);
    if (n <= 0) {
        return {};
    }
    exe[n] = '\0';
    std::string path(exe);
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string();
}

// XDG_DOCUMENTS_DIR="$HOME/Dokumente" in user-dirs.dirs, the file xdg-user-dir reads.
std::string XdgDocumentsFromConfig(const std::string& home) {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else if (!home.empty()) {
        config = home + "/.config";
    } else {
        return {};
    }
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        // A documents folder equal to home means "not set" for xdg-user-dirs.
        if (value.empty() || value[0] != '/' || value == home || value == home + "/") {
            return {};
        }
        return value;
    }
    return {};
}

bool MakeFolders(const std::string& path, mode_t mode) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) {
            continue;
        }
        if (mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string DocumentsFolder() {
    std::string home = HomeFolder();
    std::string docs = XdgDocumentsFromConfig(home);
    if (docs.empty()) {
        if (home.empty()) {
            return {};
        }
        docs = home + "/Documents";
    }
    MakeFolders(docs, 0755);
    return docs;
}

std::string PrivateTempFolder(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? std::string(tmp) : std::string("/tmp");
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    const uid_t uid = getuid();
    std::string folder = base + "/" + name + "-" + std::to_string(uid);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid) {
        return {};
    }
    if ((st.st_mode & 0077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        return {};
    }
    return folder + "/";
}

} // namespace platform
