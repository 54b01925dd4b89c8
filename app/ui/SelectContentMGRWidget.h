// SelectContentMGRWidget: the content screen of the flow. It shows the phone,
// the seven content kinds and, for a restore, the earlier backups of the
// catalogue; its start button fills the job and runs it under the progress
// dialog, and the completion box reports the end.
#pragma once

#include "catalogue.h"

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

class BackupProgressWidget;
class CompleteDialog;
class MyListWidget;
class MyPushButton;
class QCheckBox;
class QLabel;

namespace tarvell {
class GetBackupDataThread;
}

class SelectContentMGRWidget : public QWidget {
    Q_OBJECT

public:
    // dialogParent: the main window, over which the progress dialog is drawn.
    explicit SelectContentMGRWidget(QWidget* parent = nullptr, QWidget* dialogParent = nullptr);
    // Stops a running job and waits for it.
    ~SelectContentMGRWidget() override;

    void setSprites(const QPixmap& mainSheet);

    void setMode(int mode);
    int mode() const { return m_Mode; }
    void setDeviceConnected(bool connected);
    bool deviceConnected() const { return m_DeviceConnected; }
    void updateDeviceLabel();
    QString deviceLabel() const { return m_DeviceLabel; }
    // The phone went away: the job is asked to stop and its dialogs close.
    void onDeviceDisconnected();
    // Exit: cancels a running job (also the library's long operations) and
    // waits until it has ended; closes the dialogs.
    void stopJob();

    // The backup catalogue as last loaded or saved.
    const QStringList& cataloguePaths() const { return m_Catalogue.paths(); }
    const QStringList& catalogueLabels() const { return m_Catalogue.labels(); }
    void loadCatalogue();
    void addCatalogueEntry(const QString& label, const QString& path);
    void saveCatalogue();
    void fillRestoreList();

    tarvell::GetBackupDataThread& job() { return *m_GetBackupDataThread; }
    BackupProgressWidget* progressDialog() const { return m_BackupProgressWidget; }
    CompleteDialog* completeDialog() const { return m_CompleteDialog; }
    MyPushButton* startButton() const { return m_StartButton; }
    MyPushButton* backButton() const { return m_BackButton; }
    MyListWidget* restoreList() const { return m_RestoreList; }
    QCheckBox* kindCheckBox(int kind) const { return m_KindCheck[kind]; }
    QCheckBox* clearCheckBox() const { return m_ClearCheck; }
    QLabel* clearLabel() const { return m_ClearLabel; }
    QLabel* titleLabel() const { return m_TitleLabel; }
    QLabel* sourceDeviceLabel() const { return m_SourceDeviceLabel; }
    QLabel* targetDeviceLabel() const { return m_TargetDeviceLabel; }
    QLabel* sourcePhonePicture() const { return m_SourcePhone; }
    QLabel* targetPhonePicture() const { return m_TargetPhone; }
    QWidget* backupSourcePanel() const { return m_BackupSourcePanel; }
    QWidget* restoreListPanel() const { return m_RestoreListPanel; }
    QWidget* centrePanel() const { return m_CentrePanel; }
    QWidget* computerPanel() const { return m_ComputerPanel; }
    QWidget* restoreTargetPanel() const { return m_RestoreTargetPanel; }
    QTimer* timer() { return &m_Timer1; }

signals:
    void back_home_signal();

public slots:
    void backupStartButton_slots();
    void m_GetBackupDataThread_Finished();
    void m_GetBackupDataThread_ChangeSMSShow();
    void m_GetBackupDataThread_ChangeSMSHide();
    void authorization_show_slots();
    void authorization_hide_slots();
    void m_Timer1_slots();

private:
    void showProgress();
    // failures: the sentence of the items that failed, empty when none did;
    // note: what an incremental backup took from the last one, or the
    // records a restore found on the phone already.
    void showCompletion(const QString& failures, const QString& note = QString());
    void showError(const QString& text);
    void setPhonePictures(bool connected);

    int m_Mode = 0;
    std::unique_ptr<tarvell::GetBackupDataThread> m_GetBackupDataThread;
    QString m_DeviceLabel;
    tarvell::Catalogue m_Catalogue;
    QPixmap m_StartBackupSprite;
    QPixmap m_StartRestoreSprite;
    QWidget* m_BackupSourcePanel;
    QWidget* m_RestoreListPanel;
    QWidget* m_CentrePanel;
    QWidget* m_ComputerPanel;
    QWidget* m_RestoreTargetPanel;
    QLabel* m_SourceDeviceLabel;
    QLabel* m_SourcePhone;
    QLabel* m_SourceLabel;
    MyListWidget* m_RestoreList;
    QLabel* m_TitleLabel;
    QLabel* m_ComputerLabel;
    QLabel* m_ComputerPicture;
    QLabel* m_TargetDeviceLabel;
    QLabel* m_TargetPhone;
    MyPushButton* m_StartButton;
    MyPushButton* m_BackButton;
    BackupProgressWidget* m_BackupProgressWidget;
    CompleteDialog* m_CompleteDialog;
    QLabel* m_KindIcon[7];
    QLabel* m_KindName[7];
    QCheckBox* m_KindCheck[7];
    QCheckBox* m_ClearCheck;
    QLabel* m_ClearLabel;
    bool m_DeviceConnected = false;
    QTimer m_Timer1;
    int m_BlockCount = 0;
};
