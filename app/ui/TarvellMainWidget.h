// TarvellMainWidget: the program's one window. Frameless and fixed in size,
// with its own title bar, the home page with the four task buttons, and the
// flow page that takes the home page's place during a backup or restore.
#pragma once

#include <QWidget>

class MyPushButton;
class backupyourPhoneWidget;
class topCtrlWidget;

class TarvellMainWidget : public QWidget {
    Q_OBJECT

public:
    explicit TarvellMainWidget(QWidget* parent = nullptr);
    ~TarvellMainWidget() override;

    topCtrlWidget* titleBar() const { return m_TopCtrlWidget; }
    QWidget* homePage() const { return m_HomeWidget; }
    backupyourPhoneWidget* flowWidget() const { return m_BackupyourPhoneWidget; }
    MyPushButton* backupButton() const { return m_BackupButton; }
    MyPushButton* restoreButton() const { return m_RestoreButton; }
    MyPushButton* recoveryButton() const { return m_RecoveryButton; }
    MyPushButton* printButton() const { return m_PrintButton; }
    bool dragging() const { return m_Dragging; }

public slots:
    void closethiswindows_slots();
    void backupyouPhone_slots();
    void dataRecovery_frombackup_slots();
    void printPhoneData_slots();
    void dataRecovery_withoutbackup_slots();
    void show_home_Widget_slots();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void enterFlow(int mode);
    // Closes the program's use of the device library, once per window.
    void shutDownLibrary();

    topCtrlWidget* m_TopCtrlWidget = nullptr;
    QWidget* m_PageHost = nullptr;
    backupyourPhoneWidget* m_BackupyourPhoneWidget = nullptr;
    QWidget* m_HomeWidget = nullptr;
    MyPushButton* m_BackupButton = nullptr;
    MyPushButton* m_RestoreButton = nullptr;
    MyPushButton* m_RecoveryButton = nullptr;
    MyPushButton* m_PrintButton = nullptr;
    bool m_Dragging = false;
    int m_PressX = 0;
    int m_PressY = 0;
    bool m_LibraryOpen = false;
};

// The one main window, for dialogs that centre themselves on it; null before
// it is built and after it is gone.
extern TarvellMainWidget* MainWindowInstance;
