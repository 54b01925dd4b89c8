#include "temp_folder.h"

#include "platform/paths.h"

#include <mutex>

namespace {
std::mutex g_mutex;
std::string* g_folder = new std::string; // never destroyed: used until process end
} // namespace

std::string TempFolder() {
    std::lock_guard lock(g_mutex);
    if (g_folder->empty()) {
        *g_folder = platform::PrivateTempFolder("Temp_tarvell");
    }
    return *g_folder;
}
