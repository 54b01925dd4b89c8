#include "backupfolder.h"

#include "fileroutines.h"

namespace tarvell {

bool OpenKindFile(JsFileWriter& writer, const QString& backupFolder, ContentKind kind) {
    EnsureSubfolder(backupFolder, QStringLiteral("Datajs"));
    return writer.open(JsPathOf(backupFolder, kind), kKindFiles[kind].jsPrefix);
}

JsonPtr ReadKindFile(const QString& backupFolder, ContentKind kind) {
    return ReadJsFile(JsPathOf(backupFolder, kind));
}

} // namespace tarvell
