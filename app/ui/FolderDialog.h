// Asking the user for a folder, with a seam for tests: a test sets the next
// answer and the dialog is not shown.
#pragma once

#include <QString>
#include <optional>

class QWidget;

// QFileDialog::getExistingDirectory (directories only, symbolic links not
// resolved); an empty string when the user cancels.
QString AskExistingFolder(QWidget* parent, const QString& caption, const QString& start);

// Tests: the next AskExistingFolder returns this answer at once (an empty
// string plays a cancelled dialog). std::nullopt clears it.
void SetNextFolderAnswer(std::optional<QString> answer);
