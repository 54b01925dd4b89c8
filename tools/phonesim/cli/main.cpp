// phonesim: makes, inspects, compares and breaks simulated phones.
#include "adbd.h"
#include "canon.h"
#include "control.h"
#include "generate.h"
#include "phone.h"
#include "util.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace phonesim;

namespace {

const char kUsage[] =
    "usage:\n"
    "  phonesim gen --preset empty|tiny|small|large --seed N [--companion builtin|dex] DIR\n"
    "  phonesim dump [--strict] DIR\n"
    "  phonesim diff [--strict] A B\n"
    "  phonesim unplug DIR | plug DIR\n"
    "  phonesim fault DIR KEY VALUE\n"
    "  phonesim sync DIR\n"
    "  phonesim umockdev DIR\n"
    "  phonesim adbd [--port N] [--adb-server-port N] DIR\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::string Real(const std::string& p) {
    char buf[PATH_MAX];
    return ::realpath(p.c_str(), buf) ? std::string(buf) : p;
}

// Asks a running server of the phone to write what it holds in memory.
void Sync(const std::string& dir) {
    ControlRequest(Real(dir), "sync");
}

int Gen(const std::vector<std::string>& a) {
    std::string preset, dir;
    std::optional<int64_t> seed = 1;
    // The environment sets the default so that whole test suites can run
    // against the real companion.
    const char* env_companion = std::getenv("PHONESIM_COMPANION");
    std::string companion = env_companion && *env_companion ? env_companion : "builtin";
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--preset" && i + 1 < a.size())
            preset = a[++i];
        else if (a[i] == "--companion" && i + 1 < a.size())
            companion = a[++i];
        else if (a[i] == "--seed" && i + 1 < a.size())
            seed = ParseInt(a[++i]);
        else if (dir.empty() && a[i][0] != '-')
            dir = a[i];
        else
            return Usage();
    }
    if (preset.empty() || dir.empty() || !seed || *seed < 0)
        return Usage();
    if (companion != "builtin" && companion != "dex") {
        std::fprintf(stderr, "phonesim: --companion takes builtin or dex, not %s\n",
                     companion.c_str());
        return 2;
    }
    std::string err;
    if (!GeneratePhone(preset, static_cast<uint64_t>(*seed), dir, &err)) {
        std::fprintf(stderr, "phonesim: %s\n", err.c_str());
        return 1;
    }
    if (companion != "builtin") {
        auto cfg = LoadConfig(dir, &err);
        if (!cfg) {
            std::fprintf(stderr, "phonesim: %s\n", err.c_str());
            return 1;
        }
        cfg->companion = companion;
        if (!SaveConfig(dir, *cfg)) {
            std::fprintf(stderr, "phonesim: cannot write %s/phone.json\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}

int Contents(const std::string& dir, bool strict, std::vector<CanonItem>* out) {
    if (!IsFile(dir + "/phone.json")) {
        std::fprintf(stderr, "phonesim: %s is not a phone (no phone.json)\n", dir.c_str());
        return 2;
    }
    Sync(dir);
    std::string err;
    CanonOptions opt;
    opt.strict = strict;
    auto c = CanonicalContents(dir, opt, &err);
    if (!c) {
        std::fprintf(stderr, "phonesim: %s\n", err.c_str());
        return 2;
    }
    *out = std::move(*c);
    return 0;
}

int Config(const std::string& dir, const std::function<bool(PhoneConfig&, std::string*)>& change,
           const char* notify) {
    std::string err;
    {
        FolderLock lock(dir);
        auto cfg = LoadConfig(dir, &err);
        if (!cfg || !change(*cfg, &err)) {
            std::fprintf(stderr, "phonesim: %s\n", err.c_str());
            return 2;
        }
        if (!SaveConfig(dir, *cfg)) {
            std::fprintf(stderr, "phonesim: cannot write %s/phone.json\n", dir.c_str());
            return 1;
        }
    }
    if (notify)
        ControlRequest(Real(dir), notify);
    return 0;
}

// The phone as an adb device on 127.0.0.1:PORT (0: a free one, printed).
// The adb server it announces itself to is adb's own: ANDROID_ADB_SERVER_PORT,
// else 5037; --adb-server-port 0 announces to none (adb connect then).
int Adbd(const std::vector<std::string>& a) {
    adbd::Options o;
    o.server_port = 5037;
    if (const char* p = std::getenv("ANDROID_ADB_SERVER_PORT"); p && ParseInt(p))
        o.server_port = static_cast<int>(*ParseInt(p));
    for (size_t i = 0; i < a.size(); ++i) {
        std::optional<int64_t> v;
        if ((a[i] == "--port" || a[i] == "--adb-server-port") && i + 1 < a.size() &&
            (v = ParseInt(a[i + 1])) && *v >= 0 && *v <= 65535)
            (a[i] == "--port" ? o.port : o.server_port) = static_cast<int>(*v), ++i;
        else if (o.home.empty() && !a[i].empty() && a[i][0] != '-')
            o.home = a[i];
        else
            return Usage();
    }
    if (o.home.empty())
        return Usage();
    return adbd::Run(o);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty())
        return Usage();
    const std::string cmd = a[0];
    a.erase(a.begin());
    bool strict = !a.empty() && a[0] == "--strict";
    if (strict)
        a.erase(a.begin());

    if (cmd == "gen")
        return Gen(a);
    if (cmd == "dump" && a.size() == 1) {
        std::vector<CanonItem> items;
        if (int rc = Contents(a[0], strict, &items))
            return rc;
        for (const CanonItem& it : items)
            std::printf("%s\n", it.Line().c_str());
        return 0;
    }
    if (cmd == "diff" && a.size() == 2) {
        std::vector<CanonItem> x, y;
        if (int rc = Contents(a[0], strict, &x))
            return rc;
        if (int rc = Contents(a[1], strict, &y))
            return rc;
        auto report = DiffContents(x, y);
        for (const auto& line : report)
            std::printf("%s\n", line.c_str());
        return report.empty() ? 0 : 1;
    }
    if ((cmd == "unplug" || cmd == "plug") && a.size() == 1) {
        bool plug = cmd == "plug";
        return Config(
            a[0],
            [plug](PhoneConfig& c, std::string*) {
                c.plugged = plug; // apps on the phone keep running
                return true;
            },
            plug ? nullptr : "unplug");
    }
    if (cmd == "fault" && a.size() == 3) {
        const std::string key = a[1], value = a[2];
        return Config(
            a[0],
            [&](PhoneConfig& c, std::string* err) {
                if (key == "state") {
                    if (value != "device" && value != "unauthorized" && value != "offline") {
                        *err = "state must be device, unauthorized or offline";
                        return false;
                    }
                    c.state = value;
                    return true;
                }
                if (key == "release") {
                    c.release = value;
                    return true;
                }
                if (key == "battery") {
                    auto v = ParseInt(value);
                    if (!v || *v < 0 || *v > 100) {
                        *err = "battery must be 0 to 100";
                        return false;
                    }
                    c.battery = static_cast<int>(*v);
                    return true;
                }
                return c.faults.Set(key, value, err);
            },
            nullptr);
    }
    if (cmd == "sync" && a.size() == 1) {
        auto r = ControlRequest(Real(a[0]), "sync");
        if (r && r->rfind("OKAY", 0) != 0) {
            std::fprintf(stderr, "phonesim: %s", r->c_str());
            return 1;
        }
        return 0;
    }
    if (cmd == "adbd")
        return Adbd(a);
    if (cmd == "umockdev" && a.size() == 1) {
        auto cfg = LoadConfig(a[0]);
        if (!cfg) {
            std::fprintf(stderr, "phonesim: %s is not a phone\n", a[0].c_str());
            return 2;
        }
        std::fputs(UmockdevDescription(cfg->serial, cfg->model).c_str(), stdout);
        return 0;
    }
    return Usage();
}
