#include "receive_buffer.h"

#include <cstdlib>
#include <mutex>

unsigned char* ReceiveBuffer() {
    static std::once_flag once;
    static unsigned char* buffer = nullptr;
    std::call_once(
        once, [] { buffer = static_cast<unsigned char*>(std::calloc(kReceiveBufferSize, 1)); });
    return buffer;
}
