// Opening a folder in the desktop's file manager.
#pragma once

#include <QString>

// Shows `path` in the file manager; returns at once and reports nothing.
void OpenFolderInExplorer(const QString& path);
