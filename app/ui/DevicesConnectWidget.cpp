#include "DevicesConnectWidget.h"

#include "Artwork.h"
#include "AutorizationWidget.h"
#include "DeviceThreads.h"
#include "MyPushButton.h"
#include "TarvellMainWidget.h"
#include "sprites.h"
#include "uilog.h"

#include <QLabel>

namespace {

// Ticks a closed authorisation dialog stays away however often scans fail.
constexpr int kClosedTicks = 10;

} // namespace

DevicesConnectWidget::DevicesConnectWidget(QWidget* parent, QWidget* dialogParent)
    : QWidget(parent), m_StepPicture(new QLabel(this)), m_BackButton(new MyPushButton(this)),
      m_AutorizationWidget(new AutorizationWidget(dialogParent ? dialogParent : this)),
      m_ReadyScanThread(new ReadyScanThread), m_GetDeviceCountThread(new GetDeviceCountThread) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_StepPicture->setPixmap(LoadArtwork(QStringLiteral(":/image/step1.png")));
    m_StepPicture->setScaledContents(true);
    m_BackButton->setToolTip(tr("Back to the start page"));
    m_BackButton->setAccessibleName(tr("Back"));
    m_AutorizationWidget->hide();

    m_Timer1.setInterval(500);
    connect(&m_Timer1, &QTimer::timeout, this, &DevicesConnectWidget::m_Timer1_slots);
    connect(m_ReadyScanThread, &QThread::finished, this,
            &DevicesConnectWidget::m_ReadyScanThread_Finished);
    connect(m_BackButton, &MyPushButton::clicked, this,
            &DevicesConnectWidget::BackHome_Button_slots);
    connect(this, &DevicesConnectWidget::deviceUsbDebugNotOpen, this,
            &DevicesConnectWidget::androidUSBNotconnectedSkinShow);
    connect(m_AutorizationWidget, &AutorizationWidget::closed_autorizationDialog, this,
            &DevicesConnectWidget::closed_autorizationDialog_slots);
    m_Timer1.start();
    m_GetDeviceCountThread->start();
}

DevicesConnectWidget::~DevicesConnectWidget() {
    stopThreads();
    delete m_ReadyScanThread;
    delete m_GetDeviceCountThread;
}

void DevicesConnectWidget::stopThreads() {
    if (m_Stopped) {
        return;
    }
    m_Stopped = true;
    m_Timer1.stop();
    m_GetDeviceCountThread->stop();
    m_ReadyScanThread->stop();
    m_GetDeviceCountThread->wait();
    m_ReadyScanThread->wait();
    // A dialog still open must not keep a modal loop running past the end.
    m_AutorizationWidget->hide();
}

void DevicesConnectWidget::setSprites(const QPixmap& mainSheet) {
    m_BackSprite = mainSheet;
    const sprites::States& st = sprites::kBackButton;
    m_BackButton->setSprite(mainSheet);
    m_BackButton->setStateRects(st.normal, st.hover, st.pressed, st.disabled);
    m_BackButton->repaintState();
}

void DevicesConnectWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void DevicesConnectWidget::relayout() {
    const QSize pic = sprites::kStepPicture;
    m_StepPicture->setGeometry((width() - pic.width()) / 2, 96, pic.width(), 448 - 96);
    m_BackButton->setButtonGeometry(30, 510, 116, 35);
}

void DevicesConnectWidget::m_Timer1_slots() {
    if (m_GetDeviceCountThread->m_DeviceCount > 0) {
        if (!m_DeviceReady && !m_ReadyScanThread->isRunning() && !m_Stopped) {
            m_ReadyScanThread->start();
        }
    } else if (m_DeviceReady) {
        m_DeviceReady = false;
        tarvell::UiLog("The phone was disconnected.\n");
        emit deviceDisConnected();
    }
    if (m_AuthorizationClosed) {
        ++m_TicksSinceClosed;
    }
}

void DevicesConnectWidget::m_ReadyScanThread_Finished() {
    if (m_Stopped) {
        return;
    }
    const int result = m_ReadyScanThread->m_Result;
    if (result == 0) {
        m_AutorizationWidget->hide();
        m_DeviceReady = true;
        tarvell::UiLog("The phone is ready.\n");
        emit deviceConnected();
        return;
    }
    tarvell::UiLog("Preparing the phone failed (%d).\n", result);
    // Cleared before the dialog opens: its modal loop runs the next scans,
    // and one that succeeds must not be undone when this call goes on.
    m_DeviceReady = false;
    if (!m_IsHome && (!m_AuthorizationClosed || m_TicksSinceClosed > kClosedTicks)) {
        emit deviceUsbDebugNotOpen();
    }
}

void DevicesConnectWidget::BackHome_Button_slots() {
    emit back_home_signal();
}

void DevicesConnectWidget::closed_autorizationDialog_slots() {
    m_AuthorizationClosed = true;
    m_TicksSinceClosed = 0;
}

void DevicesConnectWidget::androidUSBNotconnectedSkinShow() {
    m_TicksSinceClosed = 0;
    m_AuthorizationClosed = false;
    if (m_AuthorizationShowing) {
        return;
    }
    m_AutorizationWidget->raise();
    m_AuthorizationShowing = true;
    m_BackButton->setButtonEnabled(false);
    emit authorization_show();
    const QWidget* main = MainWindowInstance;
    const int w = main ? main->width() : 1000;
    const int h = main ? main->height() : 650;
    m_AutorizationWidget->layout((w - 780) / 2, (h - 460) / 2, 780, 460);
    m_AutorizationWidget->exec();
    m_BackButton->setButtonEnabled(true);
    emit authorization_hide();
    m_AuthorizationShowing = false;
}
