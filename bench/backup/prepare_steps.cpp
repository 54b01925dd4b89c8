// Where the time of finding and preparing the phone goes, against the
// simulated phone. Several rounds of the two exports a caller makes,
// Tarvell_CheckDeviceDetected and Tarvell_ReadyTodoing, each from a fresh
// detection (the device table is reset between rounds), with:
//   - the steps of the preparation, read from its progress value, which a
//     side thread samples every 0.2 ms (stop, uninstall, install, start,
//     greeting);
//   - the adb commands of the detection timed one by one in separate rounds
//     (end every adb, kill-server, start-server, devices, the four property
//     reads); what the export takes beyond them is its waiting.
// Prints the median of every row, in seconds.
//
// Usage: bench_backup_prepare [ROUNDS]   (default 5), run from its program
// folder with PHONESIM_HOME set (bench/backup/prepare.sh).
#include "device_table.h"
#include "runner.h"
#include "tarvellkit/tarvellkit.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

template <typename Body> double Timed(Body body) {
    const auto start = Clock::now();
    body();
    return Seconds(Clock::now() - start);
}

// Progress values of the preparation and the step that ends when each is
// reached.
struct Mark {
    int progress;
    const char* step;
};
constexpr Mark kMarks[] = {{20, "force-stop"},
                           {30, "uninstall"},
                           {50, "install"},
                           {70, "am start"},
                           {100, "greeting (forward + channel + hello)"}};

// Runs Tarvell_ReadyTodoing while a side thread notes when each progress
// value first shows. Returns the export's result; times[i] is the length of
// step i of kMarks.
int PrepareWithSteps(std::vector<double>* times) {
    std::atomic<bool> done{false};
    std::vector<Clock::time_point> seen(std::size(kMarks));
    std::vector<bool> have(std::size(kMarks), false);
    const auto start = Clock::now();
    std::thread watcher([&] {
        while (!done.load()) {
            const int p = Tarvell_GetReadyTodoProgress();
            for (size_t i = 0; i < std::size(kMarks); ++i) {
                if (!have[i] && p >= kMarks[i].progress) {
                    have[i] = true;
                    seen[i] = Clock::now();
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const int result = Tarvell_ReadyTodoing(0);
    const auto end = Clock::now();
    done.store(true);
    watcher.join();
    times->assign(std::size(kMarks), 0);
    auto last = start;
    for (size_t i = 0; i < std::size(kMarks); ++i) {
        // The last step ends with the export; an earlier one that was never
        // seen (the step failed) counts as nothing.
        const auto at = i + 1 == std::size(kMarks) ? end : (have[i] ? seen[i] : last);
        (*times)[i] = Seconds(at - last);
        last = at;
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Tarvell_Init();
    std::map<std::string, std::vector<double>> rows;
    std::vector<std::string> order;
    auto add = [&](const std::string& name, double value) {
        if (rows.find(name) == rows.end()) {
            order.push_back(name);
        }
        rows[name].push_back(value);
    };

    for (int round = 0; round < rounds; ++round) {
        Tarvell_CheckConnectDeviceToPC_Count(); // resets the device table
        int detected = 0;
        const double detect = Timed([&] { detected = Tarvell_CheckDeviceDetected(0); });
        if (detected != 0) {
            std::fprintf(stderr, "prepare_steps: no phone detected (%d)\n", detected);
            return 3;
        }
        std::vector<double> steps;
        int prepared = 0;
        const double prepare = Timed([&] { prepared = PrepareWithSteps(&steps); });
        if (prepared != 0) {
            std::fprintf(stderr, "prepare_steps: round %d: preparation failed at %d%%\n", round + 1,
                         Tarvell_GetReadyTodoProgress());
            return 3;
        }
        add("Tarvell_CheckDeviceDetected", detect);
        add("Tarvell_ReadyTodoing", prepare);
        add("both", detect + prepare);
        for (size_t i = 0; i < steps.size(); ++i) {
            add(std::string("  prepare: ") + kMarks[i].step, steps[i]);
        }
    }

    // The detection's adb commands alone, in the export's order.
    for (int round = 0; round < rounds; ++round) {
        double sum = 0;
        auto step = [&](const char* name, auto body) {
            const double t = Timed(body);
            sum += t;
            add(std::string("  detect: ") + name, t);
        };
        step("end every adb", [] { EndEveryAdb(); });
        step("kill-server", [] { RunAdbTimed("kill-server"); });
        step("start-server", [] { RunAdbTimed("start-server"); });
        step("devices", [] {
            char path[1024];
            NewTempFilePath(path);
            RunAdbToFile("devices", path);
            std::remove(path);
        });
        step("4 property reads", [] { ReadDeviceProperties(); });
        add("  detect: adb commands together", sum);
    }
    const double waits = Median(rows["Tarvell_CheckDeviceDetected"]) -
                         Median(rows["  detect: adb commands together"]);

    std::printf("median of %d rounds, seconds\n", rounds);
    for (const std::string& name : order) {
        std::printf("%-46s %7.3f\n", name.c_str(), Median(rows[name]));
    }
    std::printf("%-46s %7.3f\n", "  detect: waiting (export - commands)", waits);
    Tarvell_UnInit();
    return 0;
}
