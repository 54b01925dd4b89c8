// backupyourPhoneWidget: the page that replaces the home page while the user
// backs up or restores. It holds the connection screen and the content screen
// and switches between them as the phone comes and goes.
#pragma once

#include <QPixmap>
#include <QStringList>
#include <QWidget>

class DevicesConnectWidget;
class MyPushButton;
class SelectContentMGRWidget;

class backupyourPhoneWidget : public QWidget {
    Q_OBJECT

public:
    // dialogParent: the main window, over which the dialogs are drawn.
    explicit backupyourPhoneWidget(QWidget* parent = nullptr, QWidget* dialogParent = nullptr);
    ~backupyourPhoneWidget() override;

    // The main sprite sheet, from which the buttons are cut.
    void setSprites(const QPixmap& mainSheet);

    // Fits both screens to the page.
    void relayout();

    // 0 backup, 1 restore.
    void setFlowMode(int mode);
    int flowMode() const { return m_Mode; }
    // Shows the page with the screen that suits the phone now.
    void enterFlow();
    // True while the user is on the home page rather than in the flow.
    void setHomeIdle(bool idle);
    bool homeIdle() const;
    // Folders of the backups known to the restore list, oldest first.
    QStringList knownBackupFolders() const;

    // Exit: stops the polling threads and a running job and waits for them.
    void stopWorkers();

    DevicesConnectWidget* connectScreen() const { return m_DevicesConnectWidget; }
    SelectContentMGRWidget* contentScreen() const { return m_SelectContentMGRWidget; }
    MyPushButton* backButton() const;

signals:
    void back_home_singal();

public slots:
    void devicesConnected_Finished();
    void devicesDisConnected_slots();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    DevicesConnectWidget* m_DevicesConnectWidget;
    SelectContentMGRWidget* m_SelectContentMGRWidget;
    int m_Mode = 0;
};
