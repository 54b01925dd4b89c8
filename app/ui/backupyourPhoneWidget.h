// backupyourPhoneWidget: the page that replaces the home page while the user
// backs up or restores. For now it shows the connection picture and the back
// button; the connection and content screens move in here next.
#pragma once

#include <QPixmap>
#include <QStringList>
#include <QWidget>

class MyPushButton;
class QLabel;

class backupyourPhoneWidget : public QWidget {
    Q_OBJECT

public:
    explicit backupyourPhoneWidget(QWidget* parent = nullptr);

    // The main sprite sheet, from which the back button is cut.
    void setSprites(const QPixmap& mainSheet);

    // Places the picture and the back button for the current size.
    void relayout();

    // 0 backup, 1 restore.
    void setFlowMode(int mode);
    int flowMode() const { return m_Mode; }
    // Shows the page for the current mode.
    void enterFlow();
    // True while the user is on the home page rather than in the flow.
    void setHomeIdle(bool idle) { m_IsHome = idle; }
    bool homeIdle() const { return m_IsHome; }
    // Folders of the backups known to the restore list, oldest first.
    QStringList knownBackupFolders() const { return m_KnownBackupFolders; }

    MyPushButton* backButton() const { return m_BackButton; }

signals:
    void back_home_singal();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_Mode = 0;
    bool m_IsHome = true;
    QStringList m_KnownBackupFolders;
    QLabel* m_StepPicture;
    MyPushButton* m_BackButton;
};
