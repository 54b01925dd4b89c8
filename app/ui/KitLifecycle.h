// The two library calls that open and close the program's use of the
// device library, reached through replaceable function pointers so that
// tests can run the main window without starting the library's threads.
#pragma once

namespace kit {

struct Lifecycle {
    int (*init)();   // Tarvell_Init
    int (*uninit)(); // Tarvell_UnInit
};

// The functions the main window calls; a test may replace them and must put
// back the previous values when done.
Lifecycle& lifecycle();

// A lifecycle that leaves the library closed (both calls succeed at once).
Lifecycle withoutLibrary();

} // namespace kit
