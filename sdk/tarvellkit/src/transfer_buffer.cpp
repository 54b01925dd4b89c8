#include "transfer_buffer.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace {
std::once_flag g_once;
std::atomic<unsigned char*> g_data{nullptr};
std::atomic<int> g_size{102400};
} // namespace

void TransferBufferAllocate() {
    std::call_once(g_once, [] {
        int size = g_size.load();
        for (;;) {
            auto* data = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
            if (data != nullptr || size <= 4096) {
                g_size.store(size);
                g_data.store(data);
                return;
            }
            size = size / 2 < 4096 ? 4096 : size / 2;
        }
    });
}

unsigned char* TransferBufferData() {
    return g_data.load();
}

int TransferBufferSize() {
    return g_size.load();
}
