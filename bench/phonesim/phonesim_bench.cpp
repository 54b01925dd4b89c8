// Measures what the simulated phone must never be the bottleneck of:
// small exchanges per second on one connection, file chunks in MB/s in both
// directions, and the time the stand-in adb takes for a trivial command.
//
//   phonesim_bench [--phone DIR] [--file-mb N]
//
// Without --phone a small phone is generated in a temporary folder. The
// forward uses a port the server picks (tcp:0), so 25803 stays free.
#include "control.h"
#include "phone.h"
#include "support.h"
#include "util.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using namespace phonesim;
using Clock = std::chrono::steady_clock;

namespace {

double Secs(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

pstest::RunResult Adb(const std::string& home, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {PHONESIM_ADB_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return pstest::Run(argv, {"PHONESIM_HOME=" + home});
}

// Wall time of one adb run, output to /dev/null, as the library starts it.
// CPU time (user + system) of the last child run by TimeRun.
double g_child_cpu = 0;

double TimeRun(std::string exe, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    auto t0 = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ) != 0)
        return -1;
    int st;
    struct rusage ru {};
    ::wait4(pid, &st, 0, &ru);
    g_child_cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                  static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    double s = Secs(t0);
    posix_spawn_file_actions_destroy(&fa);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    std::string phone;
    int file_mb = 256;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--phone" && i + 1 < argc)
            phone = argv[++i];
        else if (a == "--file-mb" && i + 1 < argc)
            file_mb = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: phonesim_bench [--phone DIR] [--file-mb N]\n");
            return 2;
        }
    }
    pstest::TempDir tmp;
    if (phone.empty()) {
        phone = tmp.path() + "/phone";
        auto t0 = Clock::now();
        auto g = pstest::Run({PHONESIM_EXE_PATH, "gen", "--preset", "small", "--seed", "1", phone});
        if (g.exit_code != 0) {
            std::fprintf(stderr, "gen failed: %s\n", g.err.c_str());
            return 1;
        }
        std::printf("generate small phone            %8.2f s\n", Secs(t0));
    }
    char real[4096];
    if (!::realpath(phone.c_str(), real))
        return 1;
    phone = real;
    ::setenv("PHONESIM_HOME", phone.c_str(), 1);
    std::string serial = LoadConfig(phone).value().serial;

    // Prepare as the library does, with a server-chosen port.
    Adb(phone, {"-s", serial, "uninstall", kCompanionPackage});
    std::string apk = std::string(PHONESIM_ADB_PATH);
    apk = apk.substr(0, apk.rfind('/')) + "/tarvell.apk";
    if (Adb(phone, {"-s", serial, "install", apk}).exit_code != 0 ||
        Adb(phone, {"-s", serial, "shell", "am", "start", "-n",
                    std::string(kCompanionPackage) + "/" + kCompanionActivity})
                .exit_code != 0)
        return 1;
    // The connection; made again when the server was ended from outside
    // (another program's "end every adb" step on a shared machine).
    std::optional<pstest::RawClient> client;
    std::string stat_path;
    auto connect = [&]() -> bool {
        client.reset();
        auto fwd = Adb(phone, {"forward", "tcp:0", "tcp:20151"});
        client = pstest::RawClient::Connect(std::atoi(fwd.out.c_str()));
        if (!client || client->Ask("hello-android;") != "HI-PC")
            return false;
        auto ping = ControlRequest(phone, "ping").value_or("OKAY 0");
        stat_path = "/proc/" + ping.substr(5, ping.find('\n') - 5) + "/stat";
        return true;
    };
    // The server's own CPU time gives its capacity whatever else runs.
    auto server_cpu = [&] {
        std::string st = ReadFile(stat_path).value_or("");
        size_t paren = st.rfind(')');
        if (paren == std::string::npos)
            return 0.0;
        std::istringstream in(st.substr(paren + 2));
        std::string f;
        long long v[13] = {};
        for (int i = 0; i < 13 && in >> f; ++i)
            v[i] = std::atoll(f.c_str());
        return static_cast<double>(v[11] + v[12]) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    };
    auto phase = [&](const char* what, const std::function<bool()>& run) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if ((client || connect()) && run())
                return;
            std::fprintf(stderr, "%s: connection lost, measuring again\n", what);
            client.reset();
        }
        std::fprintf(stderr, "%s: gave up\n", what);
    };

    phase("small exchanges", [&] {
        const int n = 100000;
        double cpu0 = server_cpu();
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i)
            if (client->AskInt("getBattery;") == INT64_MIN)
                return false;
        double s = Secs(t0), cpu = server_cpu() - cpu0;
        std::printf("small exchanges (getBattery;)   %8.0f /s  (%d in %.2f s; server CPU %.1f us "
                    "each, capacity %.0f /s)\n",
                    n / s, n, s, cpu / n * 1e6, cpu > 0 ? n / cpu : 0.0);
        return true;
    });
    phase("message pages", [&] {
        int64_t count = client->AskInt("getsmsCount;");
        if (count == INT64_MIN)
            return false;
        auto t0 = Clock::now();
        int pages = 0;
        for (int64_t off = 0; off < count; off += 5, ++pages)
            if (!client->Ask("getsmsPart10:" + std::to_string(off) + ";"))
                return false;
        double s = Secs(t0);
        std::printf("message pages (5 records)       %8.0f /s  (%d pages, %.2f s)\n", pages / s,
                    pages, s);
        return true;
    });
    const int64_t bytes = static_cast<int64_t>(file_mb) << 20;
    int64_t uploaded = 0;
    phase("upload", [&] {
        std::string chunk(102400, 'x');
        if (client->AskInt("open_videofile:" + HexEncode("bench.mp4") + ";") != 1)
            return false;
        auto t0 = Clock::now();
        uploaded = 0;
        for (; uploaded < bytes; uploaded += static_cast<int64_t>(chunk.size()))
            if (client->AskInt("write_videofile:" + std::to_string(chunk.size()) + ";", chunk) !=
                static_cast<int64_t>(chunk.size()))
                return false;
        double s = Secs(t0);
        client->AskInt("close_videofile;");
        if (client->AskInt("addvideotodevice:" + HexEncode("bench.mp4") + ";") != 1)
            return false;
        std::printf("upload, 100 KiB chunks          %8.0f MB/s (%d MiB)\n", bytes / s / 1e6,
                    file_mb);
        return true;
    });
    for (int size : {10240, 1 << 20}) {
        phase("chunked reads", [&] {
            int64_t videos = client->AskInt("flushvideolist;");
            std::string id;
            for (int64_t i = 0; i < videos; ++i) {
                std::string info =
                    client->Ask("getvideoindexinfo:" + std::to_string(i) + ";").value_or("");
                if (info.find(HexEncode("bench.mp4")) != std::string::npos)
                    id = HexDecode(info.substr(3, info.find(';') - 3)).value_or("");
            }
            if (id.empty())
                return false;
            double cpu0 = server_cpu();
            auto t0 = Clock::now();
            int64_t got = 0;
            for (;;) {
                auto c = client->Ask("exportfilefromdevice_video:" + id + ":" +
                                     std::to_string(got) + ":" + std::to_string(size) + ";");
                if (!c)
                    return false;
                if (c->empty())
                    break;
                got += static_cast<int64_t>(c->size());
            }
            double s = Secs(t0), cpu = server_cpu() - cpu0;
            std::printf(
                "file chunks of %7d bytes      %8.0f MB/s (%lld bytes; server capacity %.0f "
                "MB/s)\n",
                size, got / s / 1e6, static_cast<long long>(got), cpu > 0 ? got / cpu / 1e6 : 0.0);
            return got == uploaded;
        });
    }

    // The stand-in adb, start to finish, beside the floor of this machine:
    // starting and ending /bin/true.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"/bin/true"}, {"-s", serial, "shell", "getprop", "ro.product.model"}, {"devices"}}) {
        std::vector<double> t;
        double cpu = 0;
        bool floor = args[0] == "/bin/true";
        for (int i = 0; i < 300; ++i) {
            t.push_back(floor ? TimeRun("/bin/true", {}) : TimeRun(PHONESIM_ADB_PATH, args));
            cpu += g_child_cpu;
        }
        std::sort(t.begin(), t.end());
        double mean = 0;
        for (double x : t)
            mean += x;
        mean /= static_cast<double>(t.size());
        std::printf("%s %-27s %8.2f ms mean, %.2f ms median, %.2f ms p95, %.2f ms CPU\n",
                    floor ? "   " : "adb", args.back().c_str(), mean * 1e3, t[t.size() / 2] * 1e3,
                    t[t.size() * 95 / 100] * 1e3, cpu / static_cast<double>(t.size()) * 1e3);
    }
    client.reset();
    Adb(phone, {"kill-server"});
    return 0;
}
