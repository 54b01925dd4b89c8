// What the progress display shows for a running job, computed from the job's
// fields: one row per selected kind, each row's status, and the bar value.
// Used by the desktop progress dialog and by tarvell-cli, on every poll.
#pragma once

#include "backupfolder.h"

#include <QString>
#include <cstdint>

namespace tarvell {

// A snapshot of the job's fields (read by the caller on each poll).
struct ProgressInput {
    bool restoreMode = false;
    int currentStep = 0;
    bool selected[kContentKindCount] = {};
    int done[kContentKindCount] = {};
    int total[kContentKindCount] = {};
    int64_t videoBytesDone = 0;
    int64_t videoBytesTotal = 0;
    int64_t musicBytesDone = 0;
    int64_t musicBytesTotal = 0;
    // Backup: size of the file named by the job's current file (0 when none or
    // missing). Not used in restore mode.
    int64_t currentFileSize = 0;
    int percent = 0;
    // Backup, steps 0 to 2: the library's flush count and index of the kind
    // being loaded (contacts, messages, call log).
    int flushCount = 0;
    int flushIndex = 0;
};

enum class RowStatus { Empty, Waiting, Success };

struct ProgressRow {
    ContentKind kind = Contacts;
    QString name; // "Photos" or "Photos(3 of 10)"; empty for an unused row
    RowStatus status = RowStatus::Empty;
};

struct ProgressView {
    // Rows in kind order for the selected kinds, then unused rows.
    ProgressRow rows[kContentKindCount];
    int barValue = 0; // 0..100
    // What the display keeps for its next poll (ProgressTracker): the percent
    // (raised by one per poll below 30, capped at 99) and the counts (a
    // finished kind's done count equals its total; during backup steps 0 to 2
    // the kind's done and total are raised to the library's flush index and
    // count).
    int percent = 0;
    int done[kContentKindCount] = {};
    int total[kContentKindCount] = {};
};

// Row title of a kind: "Contacts", "Text Messages", "Call Logs", "Photos",
// "Videos", "Musics", "Apps".
const char* ProgressKindName(ContentKind kind);
// Status words: "Waiting", "Success", "".
const char* ProgressStatusText(RowStatus status);

// One poll of the progress display.
ProgressView ComputeProgress(const ProgressInput& input);

// The progress display's memory between polls. Each value it raised (the
// percent, the counts) is shown raised further until the job changes the
// value it was raised from; the job itself is never written to.
class ProgressTracker {
public:
    ProgressView poll(const ProgressInput& job);
    // Percent as last shown.
    int percent() const { return m_Shown.percent; }

private:
    bool m_Polled = false;
    ProgressInput m_Job; // the job's values at the last poll
    ProgressView m_Shown;
};

// Size of the file at path, 0 when the path is empty or the file is missing.
int64_t CurrentFileSize(const QString& path);

} // namespace tarvell
