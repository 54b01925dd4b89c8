// DevicesConnectWidget: the "connect your phone" screen. From program start
// it polls USB in GetDeviceCountThread and, while a phone is attached but not
// prepared, runs ReadyScanThread again and again from a 500 ms timer; it
// reports the phone's arrival, departure and refused debugging as signals.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class AutorizationWidget;
class GetDeviceCountThread;
class MyPushButton;
class QLabel;
class ReadyScanThread;

class DevicesConnectWidget : public QWidget {
    Q_OBJECT

public:
    // dialogParent: the main window, over which the authorisation dialog is
    // drawn (this widget's parent when null).
    explicit DevicesConnectWidget(QWidget* parent = nullptr, QWidget* dialogParent = nullptr);
    // Stops and waits for both worker threads.
    ~DevicesConnectWidget() override;

    void setSprites(const QPixmap& mainSheet);
    void relayout();

    // Asks both worker threads to stop, waits for them and stops the timer.
    // The screen polls no more afterwards.
    void stopThreads();

    QLabel* stepPicture() const { return m_StepPicture; }
    MyPushButton* backButton() const { return m_BackButton; }
    AutorizationWidget* authorizationDialog() const { return m_AutorizationWidget; }
    GetDeviceCountThread* countThread() const { return m_GetDeviceCountThread; }
    ReadyScanThread* scanThread() const { return m_ReadyScanThread; }
    QTimer* timer() { return &m_Timer1; }
    int ticksSinceClosed() const { return m_TicksSinceClosed; }

    bool m_AuthorizationShowing = false;
    bool m_IsHome = true;
    bool m_AuthorizationClosed = false;
    bool m_DeviceReady = false;

signals:
    void deviceConnected();
    void deviceDisConnected();
    void deviceUsbDebugNotOpen();
    void back_home_signal();
    void authorization_show();
    void authorization_hide();

public slots:
    void m_ReadyScanThread_Finished();
    void BackHome_Button_slots();
    void androidUSBNotconnectedSkinShow();
    void closed_autorizationDialog_slots();
    void m_Timer1_slots();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_StepPicture;
    MyPushButton* m_BackButton;
    AutorizationWidget* m_AutorizationWidget;
    ReadyScanThread* m_ReadyScanThread;
    GetDeviceCountThread* m_GetDeviceCountThread;
    QPixmap m_BackSprite;
    int m_TicksSinceClosed = 0;
    QTimer m_Timer1;
    bool m_Stopped = false;
};
