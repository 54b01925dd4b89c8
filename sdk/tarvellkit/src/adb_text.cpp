#include "runner.h"

#include <cstring>

bool IsSafeAdbText(const char* text) {
    return text != nullptr && std::strchr(text, '"') == nullptr;
}
