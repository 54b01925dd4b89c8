// Throughput of the media copies against the simulated phone, and the rate
// of the detail decoder.
//
//   media_bench [MiB]   copies a file of MiB mebibytes (default 32) to the
//                       phone and back, streamed and through adb; run from
//                       build/bench/media (the stand-in adb lies there)
//
// Prints, per copy: seconds, MiB/s, and the process's peak resident memory
// after it (copies stream through fixed buffers: it must not grow with the
// file size).
#include "detail_records.h"
#include "runner.h"
#include "tarvellkit/tarvellkit.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Run(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Compares two files in 1 MiB blocks, so that the check itself keeps the
// peak memory flat.
bool SameFile(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary);
    std::ifstream y(b, std::ios::binary);
    if (!x || !y) {
        return false;
    }
    std::vector<char> p(1 << 20);
    std::vector<char> q(1 << 20);
    for (;;) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() ||
            std::memcmp(p.data(), q.data(), static_cast<size_t>(x.gcount())) != 0) {
            return false;
        }
        if (x.gcount() == 0) {
            return true;
        }
    }
}

bool Time(const char* what, double mib, const std::function<bool()>& body) {
    const auto start = Clock::now();
    const bool ok = body();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-34s %8.3f s %9.1f MiB/s  peak RSS %6ld KiB  %s\n", what, seconds, mib / seconds,
                PeakRssKiB(), ok ? "ok" : "FAILED");
    return ok;
}

void DecoderRate() {
    std::string reply;
    auto entry = [&](const char* tag, const std::string& value) {
        static const char kDigits[] = "0123456789ABCDEF";
        reply += tag;
        reply += ':';
        for (unsigned char c : value) {
            reply += kDigits[c >> 4];
            reply += kDigits[c & 15];
        }
        reply += ';';
    };
    entry("ID", "12345");
    entry("TILTE", "IMG_20240101_120000");
    entry("PATH", "/storage/emulated/0/DCIM/Camera/IMG_20240101_120000.jpg");
    entry("SIZE", "3456789");
    entry("MODIFTIME", "1704110400000");
    entry("CREATETIME", "1704110400000");
    const int rounds = 200000;
    PhotoInfo info{};
    int64_t sink = 0;
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        DecodePhotoInfo(reply.data(), static_cast<int>(reply.size()), &info);
        sink += info.size;
    }
    const double ns =
        std::chrono::duration<double, std::nano>(Clock::now() - start).count() / rounds;
    std::printf("%-34s %8.0f ns per %zu-byte reply (check %lld)\n", "DecodePhotoInfo", ns,
                reply.size(), static_cast<long long>(sink % 7));
}

} // namespace

int main(int argc, char** argv) {
    const int mib = argc > 1 ? std::atoi(argv[1]) : 32;
    if (mib <= 0) {
        std::fprintf(stderr, "usage: media_bench [MiB]\n");
        return 2;
    }
    DecoderRate();

    char folder[] = "/tmp/media-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return 1;
    }
    const std::string root = folder;
    const std::string phone = root + "/phone";
    if (Run({PHONESIM_EXE_PATH, "gen", "--preset", "empty", "--seed", "1", phone}) != 0) {
        std::fprintf(stderr, "media_bench: cannot make a phone\n");
        return 1;
    }
    setenv("PHONESIM_HOME", phone.c_str(), 1);
    Tarvell_Init();
    if (Tarvell_CheckDeviceDetected(0) != 0 || Tarvell_ReadyTodoing(0) != 0) {
        std::fprintf(stderr, "media_bench: the simulated phone is not ready\n");
        RunAdbTimed("kill-server");
        return 1;
    }

    const std::string source = root + "/source.bin";
    {
        std::ofstream out(source, std::ios::binary);
        std::vector<char> block(1 << 20);
        unsigned state = 1;
        for (int m = 0; m < mib; ++m) {
            for (char& c : block) {
                state = state * 1103515245u + 12345u;
                c = static_cast<char>(state >> 16);
            }
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    const int64_t size = static_cast<int64_t>(mib) << 20;
    std::printf("file of %d MiB; peak RSS before the copies %ld KiB\n", mib, PeakRssKiB());

    bool ok = true;
    ok &= Time("streamed to the phone", mib, [&] {
        const int result = Tarvell_addPhoto2(source.c_str(), "streamed.jpg");
        if (result != 1) {
            std::printf("  the phone answered %d\n", result);
        }
        return result == 1 && SameFile(source, phone + "/sdcard/Images/streamed.jpg");
    });
    ok &= Time("adb push to the phone", mib, [&] {
        return Tarvell_addPhoto(source.c_str(), "pushed.jpg") == 0 &&
               SameFile(source, phone + "/sdcard/Images/pushed.jpg");
    });

    int id = -1;
    const int count = Tarvell_FlushDevicesPhotos();
    for (int i = 0; i < count; ++i) {
        PhotoInfo info{};
        if (Tarvell_GetPhotoInfo(&info, i) == 0 && std::strstr(info.path, "/streamed.jpg")) {
            id = info.id;
            std::printf("  streamed.jpg is %s\n", info.path);
        }
    }
    ok &= Time("streamed from the phone", mib, [&] {
        const std::string out = root + "/back-streamed.bin";
        return Tarvell_ExportPhotofromDevice2(id, out.c_str(), size) == 0 && SameFile(source, out);
    });
    ok &= Time("adb pull from the phone", mib, [&] {
        const std::string out = root + "/back-pulled.bin";
        return Tarvell_ExportPhotofromDevice(id, out.c_str(), size) == 0 && SameFile(source, out);
    });

    RunAdbTimed("kill-server");
    Run({"/bin/rm", "-rf", root});
    return ok ? 0 : 1;
}
