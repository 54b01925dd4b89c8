#include "OpenFolder.h"

#include <QDesktopServices>
#include <QUrl>

void OpenFolderInExplorer(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
