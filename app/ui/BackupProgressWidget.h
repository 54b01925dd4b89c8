// BackupProgressWidget: the modal progress dialog of a running job: one row
// per selected kind with its count and status, a progress bar, and a cancel
// button that asks before it stops the job.
#pragma once

#include "progress.h"

#include <QDialog>
#include <QPixmap>

class CompleteDialog;
class MyPushButton;
class QLabel;
class QProgressBar;

namespace tarvell {
class GetBackupDataThread;
struct JobSnapshot;
} // namespace tarvell

class BackupProgressWidget : public QDialog {
    Q_OBJECT

public:
    BackupProgressWidget(tarvell::GetBackupDataThread& job, QWidget* parent = nullptr);

    void setBackupMode(bool isBackup);
    // One poll of the job: rows, statuses, bar and the countdown.
    void refresh();
    // Shows a given state of a job (refresh() shows the job's own).
    void display(const tarvell::JobSnapshot& job);
    // The percent the dialog shows for the kind in hand.
    int shownPercent() const { return m_Tracker.percent(); }
    void layout(int x, int y, int width, int height);
    // The countdown box over this dialog while the phone asks the user to
    // accept the companion as the default messaging app.
    void showSmsPrompt();
    void hideSmsPrompt();

    QLabel* titleLabel() const { return m_TitleLabel; }
    QLabel* messageLabel() const { return m_MessageLabel; }
    QProgressBar* progressBar() const { return m_ProgressBar; }
    QLabel* rowName(int row) const { return m_RowNames[row]; }
    QLabel* rowStatus(int row) const { return m_RowStatus[row]; }
    MyPushButton* closeButton() const { return m_CloseButton; }
    MyPushButton* cancelButton() const { return m_CancelButton; }
    CompleteDialog* completeDialog() const { return m_CompleteDialog; }

    bool m_IsBackup = true;

public slots:
    void close_Button_slots();

private:
    tarvell::GetBackupDataThread& m_Job;
    tarvell::ProgressTracker m_Tracker;
    QPixmap m_CloseSprite;
    QPixmap m_Picture;
    QPixmap m_ButtonSprite;
    QLabel* m_TitleLabel;
    MyPushButton* m_CloseButton;
    QLabel* m_PictureLabel;
    QLabel* m_MessageLabel;
    QProgressBar* m_ProgressBar;
    QWidget* m_RowsPanel;
    QLabel* m_RowNames[7];
    QLabel* m_RowStatus[7];
    MyPushButton* m_CancelButton;
    CompleteDialog* m_CompleteDialog;
};

inline constexpr int kProgressDialogWidth = 780;
inline constexpr int kProgressDialogHeight = 481;
