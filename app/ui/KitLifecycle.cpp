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

int NoLibrary() {
    return 0;
}

} // namespace

Lifecycle& lifecycle() {
    static Lifecycle current{&LibraryInit, &LibraryUnInit};
    return current;
}

Lifecycle withoutLibrary() {
    return Lifecycle{&NoLibrary, &NoLibrary};
}

} // namespace kit
