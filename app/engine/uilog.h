// The desktop program's log: <documents>/LogFiles/tarvellui.log, recreated
// with a dated header at the first entry of each process; every entry is also
// written to standard error. Safe to call from any thread.
#pragma once

#include <QString>

namespace tarvell {

// One printf-formatted entry, written in one write. Entries longer than 4095
// bytes are cut. The format carries its own line end. A null format writes
// nothing.
void UiLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The folder that will hold tarvellui.log. Takes effect only before the first
// entry of the process; tests use it to keep their logs apart. An empty
// folder restores the default (<documents>/LogFiles).
void SetUiLogFolder(const QString& folder);

// Path of the log file of this process, empty before the first entry or when
// the file could not be created.
QString UiLogPath();

// The user's documents folder: XDG_DOCUMENTS_DIR of user-dirs.dirs (the
// setting xdg-user-dir reports), else <home>/Documents; created when missing.
QString DocumentsFolder();

} // namespace tarvell
