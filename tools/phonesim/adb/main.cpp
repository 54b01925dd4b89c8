// The adb stand-in: takes the argument texts the library sends and acts on
// the simulated phone in PHONESIM_HOME, with adb's output and exit codes.
#include "control.h"
#include "media.h"
#include "phone.h"
#include "png.h"
#include "real_companion.h"
#include "server.h"
#include "util.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace phonesim;

namespace {

struct Device {
    std::string serial;
    std::string state;
    bool main = false; // the phone of the folder; extra phones hold nothing
};

struct Ctx {
    std::string home; // empty: no phone folder
    std::optional<PhoneConfig> cfg;
    std::string serial_opt;
    std::vector<Device> devices;
    Device selected;
};

int Fail(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return 1;
}

// adb prints the errors of its copies on standard output, like their
// progress.
int CopyFail(const std::string& text) {
    std::printf("%s\n", text.c_str());
    return 1;
}

std::vector<Device> ListDevices(const Ctx& c) {
    std::vector<Device> out;
    if (!c.cfg || !c.cfg->plugged)
        return out;
    out.push_back({c.cfg->serial, c.cfg->state, true});
    for (int i = 1; i <= c.cfg->faults.extra_phones; ++i)
        out.push_back({c.cfg->serial + "-" + std::to_string(i + 1), "device", false});
    return out;
}

// Picks the phone a command goes to, as adb does; false with adb's message.
bool Select(Ctx& c, bool forward_cmd) {
    const std::string pre = forward_cmd ? "adb: error: " : "error: ";
    const Device* d = nullptr;
    if (!c.serial_opt.empty()) {
        for (const Device& x : c.devices)
            if (x.serial == c.serial_opt)
                d = &x;
        if (!d) {
            Fail(pre + "device '" + c.serial_opt + "' not found");
            return false;
        }
    } else if (c.devices.empty()) {
        Fail(pre + "no devices/emulators found");
        return false;
    } else if (c.devices.size() > 1) {
        Fail(pre + "more than one device/emulator");
        return false;
    } else {
        d = &c.devices[0];
    }
    if (d->state == "unauthorized") {
        Fail(pre + "device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS is not set\n"
                   "Try 'adb kill-server' if that seems wrong.\n"
                   "Otherwise check for a confirmation dialog on your device.");
        return false;
    }
    if (d->state != "device") {
        Fail(pre + "device " + d->state);
        return false;
    }
    c.selected = *d;
    return true;
}

void Notify(const Ctx& c, const std::string& what) {
    if (!c.home.empty())
        ControlRequest(c.home, what);
}

// A phone set to "dex" runs the real companion: starting its activity starts
// the JVM harness on the installed package if it is a real one, else on the
// package this build made.
bool StartRealCompanion(const std::string& home) {
#ifndef PHONESIM_COMPANION_RUNNER
    (void)home;
    std::fprintf(stderr, "phonesim: this build has no real companion (the Android tools were "
                         "missing when it was configured)\n");
    return false;
#else
    if (RunningHarness(home))
        return true; // already running: am start brings it to the front
    std::string apk = home + "/data/app/" + kCompanionPackage + "-1.apk";
    auto head = ReadFile(apk);
    if (!head || head->rfind("PK\x03\x04", 0) != 0)
        apk = PHONESIM_COMPANION_APK;
    return LaunchHarness(home, PHONESIM_COMPANION_RUNNER, apk);
#endif
}

bool CopyFile(const std::string& from, const std::string& to, int64_t* bytes, std::string* err) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *err = std::strerror(errno);
        return false;
    }
    struct stat st {};
    ::fstat(in, &st);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        *err = std::strerror(errno);
        ::close(in);
        return false;
    }
    off_t done = 0;
    bool ok = true;
    while (done < st.st_size) {
        ssize_t n = ::sendfile(out, in, nullptr, static_cast<size_t>(st.st_size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? std::strerror(errno) : "short copy";
            ok = false;
            break;
        }
        done += n;
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        *err = std::strerror(errno);
        ok = false;
    }
    *bytes = done;
    return ok;
}

std::string Basename(const std::string& p) {
    std::string s = p;
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    size_t slash = s.rfind('/');
    return slash == std::string::npos ? s : s.substr(slash + 1);
}

void Rate(const std::string& what, const char* verb, int64_t bytes,
          std::chrono::steady_clock::time_point t0) {
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (secs <= 0)
        secs = 1e-6;
    std::printf("%s: 1 file %s, 0 skipped. %.1f MB/s (%lld bytes in %.3fs)\n", what.c_str(), verb,
                static_cast<double>(bytes) / secs / 1e6, static_cast<long long>(bytes), secs);
}

int Shell(Ctx& c, const std::vector<std::string>& args) {
    if (args.empty())
        return Fail("adb: interactive shell is not available on this phone");
    // adb joins the words with blanks and the phone's shell splits them again.
    std::vector<std::string> w;
    {
        std::string joined;
        for (const auto& a : args)
            joined += (joined.empty() ? "" : " ") + a;
        std::string cur;
        for (char ch : joined) {
            if (ch == ' ' || ch == '\t') {
                if (!cur.empty())
                    w.push_back(cur);
                cur.clear();
            } else {
                cur += ch;
            }
        }
        if (!cur.empty())
            w.push_back(cur);
    }
    if (w.empty())
        return 0;
    const bool main = c.selected.main;
    const PhoneConfig& cfg = *c.cfg;
    if (w[0] == "getprop") {
        if (w.size() >= 2)
            std::printf("%s\n", main ? cfg.Property(w[1]).c_str() : "");
        else
            for (const char* p : {"ro.build.PDA", "ro.build.version.release",
                                  "ro.product.manufacturer", "ro.product.model"})
                std::printf("[%s]: [%s]\n", p, main ? cfg.Property(p).c_str() : "");
        return 0;
    }
    if (w[0] == "am" && w.size() >= 2 && w[1] == "start") {
        std::string comp;
        for (size_t i = 2; i + 1 < w.size(); ++i)
            if (w[i] == "-n")
                comp = w[i + 1];
        std::printf("Starting: Intent { cmp=%s }\n", comp.c_str());
        size_t slash = comp.find('/');
        std::string pkg = comp.substr(0, slash);
        if (!main)
            return 0;
        FolderLock lock(c.home);
        auto fresh = LoadConfig(c.home);
        if (!fresh || slash == std::string::npos || !fresh->HasPackage(pkg) ||
            (pkg == kCompanionPackage && comp.substr(slash + 1) != kCompanionActivity)) {
            std::printf("Error type 3\nError: Activity class {%s} does not exist.\n", comp.c_str());
            return 0;
        }
        if (pkg == kCompanionPackage && fresh->companion == "dex" && !StartRealCompanion(c.home)) {
            std::printf("Error: Activity not started, its process could not start\n");
            return 0;
        }
        if (!fresh->IsRunning(pkg)) {
            fresh->running.push_back(pkg);
            SaveConfig(c.home, *fresh);
        }
        return 0;
    }
    if (w[0] == "am" && w.size() == 3 && w[1] == "force-stop") {
        if (!main)
            return 0;
        {
            FolderLock lock(c.home);
            auto fresh = LoadConfig(c.home);
            if (fresh && fresh->IsRunning(w[2])) {
                std::erase(fresh->running, w[2]);
                SaveConfig(c.home, *fresh);
            }
        }
        if (w[2] == kCompanionPackage) {
            Notify(c, "drop");
            StopHarness(c.home);
        }
        return 0;
    }
    if ((w[0] == "/system/bin/screencap" || w[0] == "screencap") && w.size() == 3 && w[1] == "-p") {
        if (!main)
            return 0;
        auto path = MapPhonePath(c.home, cfg, w[2]);
        if (!path || !MakeDirs(path->substr(0, path->rfind('/'))) ||
            !WriteFileAtomic(*path,
                             PatternPng(360, 640, static_cast<uint64_t>(std::time(nullptr))))) {
            std::fprintf(stderr, "Error opening file: %s (Permission denied)\n", w[2].c_str());
            return 1;
        }
        return 0;
    }
    if (w[0] == "pm" && w.size() >= 3 && w[1] == "list" && w[2] == "packages") {
        if (main)
            for (const auto& p : cfg.packages)
                std::printf("package:%s\n", p.c_str());
        return 0;
    }
    std::fprintf(stderr, "/system/bin/sh: %s: inaccessible or not found\n", w[0].c_str());
    return 127;
}

int Install(Ctx& c, const std::vector<std::string>& args) {
    bool replace = false, sdcard = false;
    std::string file;
    for (const auto& a : args) {
        if (a == "-r")
            replace = true;
        else if (a == "-s")
            sdcard = true;
        else if (a == "-l" || a == "-d" || a == "-g" || a == "-t")
            continue;
        else
            file = a;
    }
    if (file.empty())
        return Fail("adb: need APK file on command line");
    auto text = ReadFile(file);
    if (!text || !IsFile(file))
        return Fail("adb: failed to stat " + file + ": No such file or directory");
    std::printf("Performing Streamed Install\n");
    std::fflush(stdout);
    auto pkg = ParsePackageFile(*text);
    if (!pkg)
        return Fail("adb: failed to install " + file +
                    ": Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse " + file + "]");
    if (!c.selected.main) {
        std::printf("Success\n");
        return 0;
    }
    FolderLock lock(c.home);
    auto cfg = LoadConfig(c.home);
    if (!cfg)
        return Fail("adb: failed to install " + file + ": Failure [INSTALL_FAILED_INTERNAL_ERROR]");
    if (cfg->HasPackage(pkg->package) && !replace)
        return Fail("adb: failed to install " + file +
                    ": Failure [INSTALL_FAILED_ALREADY_EXISTS: Attempt to re-install " +
                    pkg->package + " without first uninstalling.]");
    std::string apk_dir = c.home + "/data/app";
    std::string err;
    int64_t bytes = 0;
    if (!MakeDirs(apk_dir) ||
        !CopyFile(file, apk_dir + "/" + pkg->package + "-1.apk", &bytes, &err))
        return Fail("adb: failed to install " + file +
                    ": Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]");
    auto apps = LoadRecordFile(c.home + "/apps.json");
    if (!apps)
        return Fail("adb: failed to install " + file + ": Failure [INSTALL_FAILED_INTERNAL_ERROR]");
    std::string now = std::to_string(static_cast<long long>(std::time(nullptr)));
    Record* rec = nullptr;
    for (Record& r : apps->items)
        if (const std::string* p = r.Get("pkg"); p && *p == pkg->package)
            rec = &r;
    if (!rec) {
        Record r;
        r.Set("pkg", pkg->package);
        r.Set("installtime", now);
        apps->Add(std::move(r));
        rec = &apps->items.back();
    }
    rec->Set("cls", pkg->package == kCompanionPackage ? kCompanionActivity
                                                      : pkg->package + ".MainActivity");
    rec->Set("appname", pkg->label.empty() ? pkg->package : pkg->label);
    rec->Set("version", pkg->version);
    rec->Set("versioncode", pkg->version_code);
    rec->Set("systemapp", "0");
    rec->Set("sdcardapp", sdcard ? "1" : "0");
    rec->Set("cachseze", "0");
    rec->Set("datasize", "0");
    rec->Set("codesize", std::to_string(bytes));
    rec->Set("totalsize", std::to_string(bytes));
    if (!rec->Get("installtime"))
        rec->Set("installtime", now);
    rec->Set("lastupdatetime", now);
    if (!rec->Get("permissions"))
        rec->Set("permissions", "");
    if (!cfg->HasPackage(pkg->package))
        cfg->packages.push_back(pkg->package);
    if (!SaveRecordFile(c.home + "/apps.json", *apps) || !SaveConfig(c.home, *cfg))
        return Fail("adb: failed to install " + file + ": Failure [INSTALL_FAILED_INTERNAL_ERROR]");
    std::printf("Success\n");
    return 0;
}

int Uninstall(Ctx& c, const std::vector<std::string>& args) {
    std::string pkg;
    for (const auto& a : args)
        if (a != "-k")
            pkg = a;
    if (pkg.empty())
        return Fail("adb: usage: uninstall [-k] PACKAGE");
    bool removed = false;
    if (c.selected.main) {
        FolderLock lock(c.home);
        auto cfg = LoadConfig(c.home);
        auto apps = LoadRecordFile(c.home + "/apps.json");
        if (cfg && apps && cfg->HasPackage(pkg)) {
            size_t before = apps->items.size();
            std::erase_if(apps->items, [&](const Record& r) {
                const std::string* p = r.Get("pkg");
                return p && *p == pkg;
            });
            if (apps->items.size() != before) { // user apps only
                std::erase(cfg->packages, pkg);
                std::erase(cfg->running, pkg);
                ::unlink((c.home + "/data/app/" + pkg + "-1.apk").c_str());
                removed = SaveRecordFile(c.home + "/apps.json", *apps) && SaveConfig(c.home, *cfg);
            }
        }
    }
    if (removed && pkg == kCompanionPackage) {
        Notify(c, "drop");
        StopHarness(c.home);
    }
    if (!removed) {
        std::printf("Failure [DELETE_FAILED_INTERNAL_ERROR]\n");
        return 1;
    }
    std::printf("Success\n");
    return 0;
}

int Push(Ctx& c, const std::vector<std::string>& args) {
    std::vector<std::string> a;
    for (const auto& x : args)
        if (!x.empty() && x[0] != '-')
            a.push_back(x);
    if (a.size() < 2)
        return Fail("adb: error: push requires an argument");
    const std::string& remote = a.back();
    auto t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i + 1 < a.size(); ++i) {
        const std::string& local = a[i];
        if (!IsFile(local))
            return CopyFail("adb: error: cannot stat '" + local + "': No such file or directory");
        if (!c.selected.main) {
            Rate(local, "pushed", 0, t0);
            continue;
        }
        auto dest = MapPhonePath(c.home, *c.cfg, remote);
        if (!dest)
            return CopyFail("adb: error: failed to copy '" + local + "' to '" + remote +
                            "': remote couldn't create file: Read-only file system");
        if (IsDir(*dest) || remote.back() == '/' || a.size() > 2)
            *dest += "/" + Basename(local);
        std::string err;
        int64_t bytes = 0;
        if (!MakeDirs(dest->substr(0, dest->rfind('/'))) || !CopyFile(local, *dest, &bytes, &err))
            return CopyFail(
                "adb: error: failed to copy '" + local + "' to '" + remote +
                "': remote couldn't create file: " + (err.empty() ? "Is a directory" : err));
        Rate(local, "pushed", bytes, t0);
    }
    return 0;
}

int Pull(Ctx& c, const std::vector<std::string>& args) {
    std::vector<std::string> a;
    for (const auto& x : args)
        if (!x.empty() && x[0] != '-')
            a.push_back(x);
    if (a.empty())
        return Fail("adb: error: pull requires an argument");
    const std::string remote = a[0];
    std::string local = a.size() >= 2 ? a[1] : ".";
    auto src = c.selected.main ? MapPhonePath(c.home, *c.cfg, remote) : std::nullopt;
    if (!src || !IsFile(*src))
        return CopyFail("adb: error: failed to stat remote object '" + remote +
                        "': No such file or directory");
    if (IsDir(local))
        local += "/" + Basename(remote);
    auto t0 = std::chrono::steady_clock::now();
    std::string err;
    int64_t bytes = 0;
    if (!CopyFile(*src, local, &bytes, &err)) {
        ::unlink(local.c_str());
        return CopyFail("adb: error: cannot create '" + local + "': " + err);
    }
    Rate(remote, "pulled", bytes, t0);
    return 0;
}

int Forward(Ctx& c, const std::vector<std::string>& args) {
    if (c.home.empty())
        return Fail("adb: error: no devices/emulators found");
    std::string req;
    if (args.size() == 1 && args[0] == "--list") {
        auto r = ControlRequest(c.home, "forward-list");
        if (r && r->rfind("OKAY\n", 0) == 0)
            std::fputs(r->c_str() + 5, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--remove-all")
        req = "forward-remove-all";
    else if (args.size() == 2 && args[0] == "--remove")
        req = "forward-remove " + args[1];
    else {
        bool no_rebind = !args.empty() && args[0] == "--no-rebind";
        size_t base = no_rebind ? 1 : 0;
        if (args.size() != base + 2)
            return Fail("adb: error: usage: forward [--no-rebind] LOCAL REMOTE");
        if (!Select(c, true))
            return 1;
        req = "forward " + c.selected.serial + " " + args[base] + " " + args[base + 1] +
              (no_rebind ? " norebind" : "");
    }
    auto r = ControlRequest(c.home, req);
    if (!r)
        return Fail("adb: error: cannot connect to daemon");
    if (r->rfind("OKAY", 0) != 0) {
        std::string msg = r->substr(5);
        while (!msg.empty() && msg.back() == '\n')
            msg.pop_back();
        return Fail("adb: error: " + msg);
    }
    if (r->size() > 5) // a port chosen by the server for tcp:0
        std::fputs(r->c_str() + 5, stdout);
    else if (req.rfind("forward ", 0) == 0) // adb prints the local port of every forward
        std::printf("%s\n", args[args.size() - 2].substr(4).c_str());
    return 0;
}

// True while the process exists and is not a zombie.
bool ServerAlive(pid_t pid) {
    auto stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return false;
    size_t paren = stat->rfind(')');
    return paren != std::string::npos && paren + 2 < stat->size() && (*stat)[paren + 2] != 'Z';
}

void Hang() {
    for (;;)
        ::pause();
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);

    // Hidden server mode: the stand-in re-executed, detached.
    if (args.size() >= 6 && args[0] == "fork-server" && args[2] == "--phonesim-home") {
        auto fd = ParseInt(args[5]);
        return RunServer(args[3], fd ? static_cast<int>(*fd) : -1);
    }

    Ctx c;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-s" && i + 1 < args.size())
            c.serial_opt = args[++i];
        else if ((a == "-t" || a == "-H" || a == "-P" || a == "-L") && i + 1 < args.size())
            ++i;
        else if (a == "-d" || a == "-e" || a == "-a")
            continue;
        else
            break;
    }
    if (i >= args.size())
        return Fail("adb: no command given");
    const std::string cmd = args[i];
    std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());

    if (cmd == "version") {
        std::printf("Android Debug Bridge version 1.0.41\nVersion 34.0.0-phonesim\n");
        return 0;
    }

    if (const char* h = std::getenv("PHONESIM_HOME"); h && *h) {
        char real[PATH_MAX];
        if (::realpath(h, real))
            c.home = real;
    }
    if (!c.home.empty()) {
        std::string err;
        c.cfg = LoadConfig(c.home, &err);
        if (!c.cfg)
            std::fprintf(stderr, "adb: phonesim: %s\n", err.c_str());
    }
    const bool on_phone =
        cmd == "shell" || cmd == "install" || cmd == "uninstall" || cmd == "push" || cmd == "pull";
    if (on_phone && c.cfg && c.cfg->faults.adb_delay_ms > 0) {
        // A slow link: the phone is looked for once the delay is over, so an
        // unplug during it fails the command.
        std::this_thread::sleep_for(std::chrono::milliseconds(c.cfg->faults.adb_delay_ms));
        c.cfg = LoadConfig(c.home);
    }
    c.devices = ListDevices(c);
    if (c.cfg && (c.cfg->faults.adb_hang == "*" || c.cfg->faults.adb_hang == cmd))
        Hang();

    if (cmd == "kill-server") {
        auto ping = c.home.empty() ? std::nullopt : ControlRequest(c.home, "ping");
        if (ping && ControlRequest(c.home, "kill")) {
            // Wait until the server process has gone, as adb does.
            auto pid = ParseInt(ping->size() > 5 ? ping->substr(5, ping->find('\n') - 5) : "");
            for (int t = 0; t < 400 && pid && ServerAlive(static_cast<pid_t>(*pid)); ++t)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }
    if (!c.home.empty() && !EnsureServer(c.home, on_phone))
        return Fail("adb: cannot connect to daemon");
    if (cmd == "start-server")
        return 0;
    if (cmd == "devices") {
        std::printf("List of devices attached\n");
        bool longer = !rest.empty() && rest[0] == "-l";
        for (const Device& d : c.devices) {
            if (longer && d.main) {
                std::string model = c.cfg->model;
                for (char& ch : model)
                    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '.' && ch != '-')
                        ch = '_';
                std::printf("%-22s %s product:phonesim model:%s device:phonesim transport_id:1\n",
                            d.serial.c_str(), d.state.c_str(), model.c_str());
            } else
                std::printf("%s\t%s\n", d.serial.c_str(), d.state.c_str());
        }
        std::printf("\n");
        return 0;
    }
    if (cmd == "get-state" || cmd == "get-serialno") {
        if (!Select(c, false))
            return 1;
        std::printf("%s\n",
                    cmd == "get-state" ? c.selected.state.c_str() : c.selected.serial.c_str());
        return 0;
    }
    if (cmd == "wait-for-device") {
        for (;;) {
            c.cfg = LoadConfig(c.home);
            c.devices = ListDevices(c);
            for (const Device& d : c.devices)
                if (d.state == "device" && (c.serial_opt.empty() || d.serial == c.serial_opt))
                    return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (cmd == "forward")
        return Forward(c, rest);
    if (cmd != "shell" && cmd != "install" && cmd != "uninstall" && cmd != "push" && cmd != "pull")
        return Fail("adb: unknown command " + cmd);
    if (!Select(c, false))
        return 1;
    if (cmd == "shell")
        return Shell(c, rest);
    if (cmd == "install")
        return Install(c, rest);
    if (cmd == "uninstall")
        return Uninstall(c, rest);
    if (cmd == "push")
        return Push(c, rest);
    return Pull(c, rest);
}
