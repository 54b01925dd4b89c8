#include "KitLifecycle.h"

#include <tarvellkit/tarvellkit.h>

namespace kit {
namespace {

int LibraryInit() {
    return Tarvell_Init();
}

int LibraryUnInit() {
    return Tarvell_UnInit();
}

} // namespace

Lifecycle& lifecycle() {
    static Lifecycle current{&LibraryInit, &LibraryUnInit};
    return current;
}

} // namespace kit
