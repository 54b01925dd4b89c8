// The only place that starts child processes: adb (from the program folder,
// else from PATH) and the few outside programs of the program folder.
//
// Argument texts are given without the program name and are split into argv
// with the Windows command-line rules; no shell is ever involved.
// Waited-for runs share one slot: one child is waited for at a time.
#pragma once

#include <cstddef>

// Waits while adb works: a pull as long as its file grows, any other
// command up to 20000 ms plus one second per MiB of the local file it names;
// a stalled adb is ended and -1 returned. -1 also if not started.
int RunAdb(const char* args);
int RunAdbTimed(const char* args); // waits at most 20000 ms; -1 on time-out
int RunAdbToFile(const char* args,
                 const char* outPath);                 // stdout to outPath, 4000 ms; 0 on time-out
int RunProgram(const char* program, const char* args); // program-folder program, 4000 ms
int RunAdbDetached(const char* args);                  // does not wait

// A fresh temporary file name "<temp folder>sdlk%06d" in buffer (1024 bytes);
// no file of that name exists afterwards.
void NewTempFilePath(char* buffer);

// Ends every process of this user whose executable is named adb, with its
// process group (SIGKILL). Used where the adb server must restart.
void EndEveryAdb();

// True when text may be embedded in an adb argument text: it must not hold a
// double quote, which would let it open or close a quoted argument.
bool IsSafeAdbText(const char* text);
