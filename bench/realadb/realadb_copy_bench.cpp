// What one media file costs to copy through adb, one adb process per file as
// the library runs it (process start, server round trip, sync exchange),
// with Debian's adb against phonesim adbd and with the adb stand-in, for a
// folder of small photos in both directions.
//
//   realadb_copy_bench [--files N] [--size BYTES] [--adb PATH]
//     N photos (default 2000) of BYTES bytes (default 60000); PATH the real
//     adb (default /usr/bin/adb)
//
// Prints per direction and adb: total seconds, mean and median milliseconds
// per file, and for the real adb the simulated phone's own CPU time per file.
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> g_env;

int Spawn(const std::vector<std::string>& argv, const char* out = "/dev/null",
          pid_t* background = nullptr) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : g_env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, args[0], &fa, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return -1;
    if (background) {
        *background = pid;
        return 0;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SetEnv(const std::string& key, const std::string& value) {
    std::erase_if(g_env, [&](const std::string& e) { return e.rfind(key + "=", 0) == 0; });
    g_env.push_back(key + "=" + value);
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

double CpuSeconds(pid_t pid) {
    std::string stat = Slurp("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    if (paren == std::string::npos)
        return 0;
    std::vector<std::string> f;
    size_t pos = paren + 2;
    while (pos < stat.size()) {
        size_t sp = stat.find(' ', pos);
        f.push_back(stat.substr(pos, sp - pos));
        if (sp == std::string::npos)
            break;
        pos = sp + 1;
    }
    // utime and stime are fields 14 and 15; f[0] is field 3.
    return f.size() > 13 ? double(std::atoll(f[11].c_str()) + std::atoll(f[12].c_str())) /
                               double(sysconf(_SC_CLK_TCK))
                         : 0;
}

struct Figures {
    double total = 0, mean_ms = 0, median_ms = 0;
    int failed = 0;
};

Figures Copy(const std::string& adb, const std::string& serial, int files, bool pull,
             const std::string& work) {
    std::vector<double> ms;
    Figures f;
    auto t0 = Clock::now();
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        std::vector<std::string> argv =
            pull ? std::vector<std::string>{adb,
                                            "-s",
                                            serial,
                                            "pull",
                                            std::string("/sdcard/DCIM/Camera/") + name,
                                            work + "/pulled/" + name}
                 : std::vector<std::string>{adb,
                                            "-s",
                                            serial,
                                            "push",
                                            work + "/local/" + name,
                                            std::string("/sdcard/Images/") + name};
        auto a = Clock::now();
        if (Spawn(argv) != 0)
            ++f.failed;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
    }
    f.total = std::chrono::duration<double>(Clock::now() - t0).count();
    std::sort(ms.begin(), ms.end());
    f.mean_ms = f.total * 1000 / files;
    f.median_ms = ms[ms.size() / 2];
    return f;
}

void Print(const char* what, const Figures& f, double phone_cpu, int files) {
    std::printf("%-28s %8.2f s  %7.2f ms/file mean  %7.2f ms median", what, f.total, f.mean_ms,
                f.median_ms);
    if (phone_cpu >= 0)
        std::printf("  phone CPU %.3f ms/file", phone_cpu * 1000 / files);
    if (f.failed)
        std::printf("  FAILED %d", f.failed);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    int files = 2000;
    size_t size = 60000;
    std::string real_adb = "/usr/bin/adb";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files"))
            files = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--size"))
            size = std::strtoul(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--adb"))
            real_adb = argv[i + 1];
    }
    for (char** e = environ; *e; ++e)
        g_env.emplace_back(*e);
    char tmpl[] = "/tmp/realadb-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    const std::string work = tmpl, phone = work + "/phone";
    SetEnv("HOME", work + "/home");
    Spawn({"/bin/mkdir", "-p", work + "/home", work + "/local", work + "/pulled"});
    if (Spawn({PHONESIM_EXE_PATH, "gen", "--preset", "empty", "--seed", "1", phone}) != 0) {
        std::fprintf(stderr, "phonesim gen failed\n");
        return 1;
    }
    Spawn({"/bin/mkdir", "-p", phone + "/sdcard/DCIM/Camera"});
    std::mt19937 rng(1);
    std::string bytes(size, '\0');
    for (int i = 0; i < files; ++i) {
        for (char& c : bytes)
            c = static_cast<char>(rng());
        if (size >= 2)
            bytes[0] = '\xff', bytes[1] = '\xd8';
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        std::ofstream(phone + "/sdcard/DCIM/Camera/" + name, std::ios::binary) << bytes;
        std::ofstream(work + "/local/" + name, std::ios::binary) << bytes;
    }
    std::printf("%d photos of %zu bytes, one adb process per file\n", files, size);

    // The stand-in.
    SetEnv("PHONESIM_HOME", phone);
    Spawn({PHONESIM_ADB_PATH, "start-server"});
    Spawn({PHONESIM_ADB_PATH, "get-serialno"}, (work + "/serial").c_str());
    std::string serial = Slurp(work + "/serial");
    serial = serial.substr(0, serial.find('\n'));
    Print("stand-in pull", Copy(PHONESIM_ADB_PATH, serial, files, true, work), -1, files);
    Print("stand-in push", Copy(PHONESIM_ADB_PATH, serial, files, false, work), -1, files);
    Spawn({PHONESIM_ADB_PATH, "kill-server"});

    // The real adb against phonesim adbd, on ports of its own.
    SetEnv("ANDROID_ADB_SERVER_PORT", std::to_string(FreePort()));
    pid_t daemon = 0;
    Spawn({PHONESIM_EXE_PATH, "adbd", "--port", "0", phone}, (work + "/port").c_str(), &daemon);
    std::string port;
    for (int i = 0; i < 200 && port.empty(); ++i) {
        usleep(10000);
        port = Slurp(work + "/port");
    }
    const std::string real_serial = "127.0.0.1:" + port.substr(0, port.find('\n'));
    Spawn({real_adb, "start-server"});
    bool listed = false;
    for (int i = 0; i < 100 && !listed; ++i) {
        Spawn({real_adb, "devices"}, (work + "/devices").c_str());
        listed = Slurp(work + "/devices").find(real_serial + "\tdevice") != std::string::npos;
        if (!listed)
            usleep(50000);
    }
    if (!listed) {
        std::fprintf(stderr, "the real adb does not list %s\n", real_serial.c_str());
    } else {
        double c0 = CpuSeconds(daemon);
        Figures pull = Copy(real_adb, real_serial, files, true, work);
        double c1 = CpuSeconds(daemon);
        Figures push = Copy(real_adb, real_serial, files, false, work);
        double c2 = CpuSeconds(daemon);
        Print("real adb pull", pull, c1 - c0, files);
        Print("real adb push", push, c2 - c1, files);
    }
    Spawn({real_adb, "kill-server"});
    kill(daemon, SIGTERM);
    waitpid(daemon, nullptr, 0);
    bool same =
        Slurp(phone + "/sdcard/DCIM/Camera/IMG_00000.jpg") == Slurp(work + "/pulled/IMG_00000.jpg");
    std::printf("copies %s\n", same ? "checked" : "DIFFER");
    Spawn({"/bin/rm", "-rf", work});
    return same && listed ? 0 : 1;
}
