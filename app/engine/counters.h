// Item counts of a backup's .js files, for the restore's counting pass.
#pragma once

#include <QString>

namespace tarvell {

// Number of top-level members other than "Version" (contacts, photos, videos,
// music, apps); -1 when the file cannot be opened or parsed.
int CountBackupItems(const QString& jsPath);

// Sum of the member counts of the top-level members other than "Version"
// (messages, call log); -1 when the file cannot be opened or parsed.
int CountGroupedItems(const QString& jsPath);

} // namespace tarvell
