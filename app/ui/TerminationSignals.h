// Ending the program cleanly when it is asked to stop from outside (SIGTERM
// from the session or a task manager, SIGINT from a terminal, SIGHUP when the
// terminal goes away): the event loop ends the ordinary way, so the main
// window still closes the device library.
#pragma once

// Call once, after the application object exists. Returns false when the
// handlers could not be installed (the program then runs without them).
bool QuitOnTerminationSignals();
