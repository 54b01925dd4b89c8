#include "FolderDialog.h"

#include <QFileDialog>

namespace {

std::optional<QString> g_nextAnswer;

} // namespace

QString AskExistingFolder(QWidget* parent, const QString& caption, const QString& start) {
    if (g_nextAnswer) {
        const QString answer = *g_nextAnswer;
        g_nextAnswer.reset();
        return answer;
    }
    return QFileDialog::getExistingDirectory(
        parent, caption, start, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void SetNextFolderAnswer(std::optional<QString> answer) {
    g_nextAnswer = std::move(answer);
}
