#include "backupfolder.h"

#include "fileroutines.h"
#include "safenames.h"

namespace tarvell {

bool OpenKindFile(JsFileWriter& writer, const QString& backupFolder, ContentKind kind) {
    EnsureSubfolder(backupFolder, QStringLiteral("Datajs"));
    return writer.open(JsPathOf(backupFolder, kind), kKindFiles[kind].jsPrefix);
}

JsonPtr ReadKindFile(const QString& backupFolder, ContentKind kind) {
    const QString path = JsPathOf(backupFolder, kind);
    if (!ResolvesInside(backupFolder, path)) {
        return nullptr;
    }
    return ReadJsFile(path);
}

} // namespace tarvell
