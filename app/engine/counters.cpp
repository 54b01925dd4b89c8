#include "counters.h"

#include "entries.h"
#include "jsfile.h"

namespace tarvell {

int CountBackupItems(const QString& jsPath) {
    const JsonPtr root = ReadJsFile(jsPath);
    if (!root) {
        return -1;
    }
    int count = 0;
    ForEachEntry(root.get(), [&count](const cJSON*) {
        ++count;
        return true;
    });
    return count;
}

int CountGroupedItems(const QString& jsPath) {
    const JsonPtr root = ReadJsFile(jsPath);
    if (!root) {
        return -1;
    }
    int count = 0;
    ForEachGroupedEntry(root.get(), [&count](const cJSON*, bool) {
        ++count;
        return true;
    });
    return count;
}

} // namespace tarvell
