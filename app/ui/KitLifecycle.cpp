#include "KitLifecycle.h"

#include <tarvellkit/tarvellkit.h>

#include <QtGlobal>

namespace kit {
namespace {

#if TARVELL_KIT_HAS_LIFECYCLE
int LibraryInit() {
    return Tarvell_Init();
}
int LibraryUnInit() {
    return Tarvell_UnInit();
}
#else
// This library build does not export its lifecycle yet: say so once, and
// report failure so nothing mistakes it for a running library.
int LibraryInit() {
    qWarning("tarvellkit: Tarvell_Init is not available in this build");
    return -1;
}
int LibraryUnInit() {
    return -1;
}
#endif

} // namespace

Lifecycle& lifecycle() {
    static Lifecycle current{&LibraryInit, &LibraryUnInit};
    return current;
}

} // namespace kit
