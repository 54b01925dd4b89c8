// Writes the log entries its arguments name, then exits:
//   text:<entry>      one entry as given (a line end is added)
//   long:<n>          one entry of n characters 'L' and a line end
//   at:<module>:<n>   LogWriteAt(module, n, "entry at\n")
//   threads:<t>:<n>   t threads writing n numbered entries each
//   null              LogWrite(nullptr)
#include "log.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("text:", 0) == 0) {
            LogWrite("%s\n", arg.c_str() + 5);
        } else if (arg.rfind("long:", 0) == 0) {
            const std::string entry(std::strtoul(arg.c_str() + 5, nullptr, 10), 'L');
            LogWrite("%s\n", entry.c_str());
        } else if (arg.rfind("at:", 0) == 0) {
            const size_t colon = arg.find(':', 3);
            const std::string module = arg.substr(3, colon - 3);
            LogWriteAt(module.c_str(), std::atoi(arg.c_str() + colon + 1), "entry at\n");
        } else if (arg.rfind("threads:", 0) == 0) {
            const int threads = std::atoi(arg.c_str() + 8);
            const int entries = std::atoi(arg.c_str() + arg.rfind(':') + 1);
            std::vector<std::thread> pool;
            for (int t = 0; t < threads; ++t) {
                pool.emplace_back([t, entries] {
                    const std::string filler(200, static_cast<char>('a' + t % 26));
                    for (int n = 0; n < entries; ++n) {
                        LogWrite("thread %d entry %d %s end\n", t, n, filler.c_str());
                    }
                });
            }
            for (auto& th : pool) {
                th.join();
            }
        } else if (arg == "null") {
            LogWrite(nullptr);
        }
    }
    return 0;
}
