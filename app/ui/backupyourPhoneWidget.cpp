#include "backupyourPhoneWidget.h"

#include "DeviceThreads.h"
#include "DevicesConnectWidget.h"
#include "MyPushButton.h"
#include "SelectContentMGRWidget.h"

backupyourPhoneWidget::backupyourPhoneWidget(QWidget* parent, QWidget* dialogParent)
    : QWidget(parent) {
    QWidget* over = dialogParent ? dialogParent : this;
    // The content screen first: it owns the job, which the connection
    // screen's signals may stop.
    m_SelectContentMGRWidget = new SelectContentMGRWidget(this, over);
    m_DevicesConnectWidget = new DevicesConnectWidget(this, over);
    m_SelectContentMGRWidget->hide();
    m_DevicesConnectWidget->hide();

    connect(m_DevicesConnectWidget, &DevicesConnectWidget::deviceConnected, this,
            &backupyourPhoneWidget::devicesConnected_Finished);
    connect(m_DevicesConnectWidget, &DevicesConnectWidget::back_home_signal, this,
            &backupyourPhoneWidget::back_home_singal);
    connect(m_SelectContentMGRWidget, &SelectContentMGRWidget::back_home_signal, this,
            &backupyourPhoneWidget::back_home_singal);
    connect(m_DevicesConnectWidget, &DevicesConnectWidget::deviceDisConnected, this,
            &backupyourPhoneWidget::devicesDisConnected_slots);
    connect(m_DevicesConnectWidget, &DevicesConnectWidget::authorization_show,
            m_SelectContentMGRWidget, &SelectContentMGRWidget::authorization_show_slots);
    connect(m_DevicesConnectWidget, &DevicesConnectWidget::authorization_hide,
            m_SelectContentMGRWidget, &SelectContentMGRWidget::authorization_hide_slots);
}

backupyourPhoneWidget::~backupyourPhoneWidget() {
    stopWorkers();
}

void backupyourPhoneWidget::stopWorkers() {
    m_DevicesConnectWidget->stopThreads();
    m_SelectContentMGRWidget->stopJob();
}

void backupyourPhoneWidget::setSprites(const QPixmap& mainSheet) {
    m_DevicesConnectWidget->setSprites(mainSheet);
    m_SelectContentMGRWidget->setSprites(mainSheet);
}

MyPushButton* backupyourPhoneWidget::backButton() const {
    return m_DevicesConnectWidget->backButton();
}

void backupyourPhoneWidget::setFlowMode(int mode) {
    m_Mode = mode;
    m_SelectContentMGRWidget->setMode(mode);
}

void backupyourPhoneWidget::setHomeIdle(bool idle) {
    m_DevicesConnectWidget->m_IsHome = idle;
}

bool backupyourPhoneWidget::homeIdle() const {
    return m_DevicesConnectWidget->m_IsHome;
}

QStringList backupyourPhoneWidget::knownBackupFolders() const {
    return m_SelectContentMGRWidget->cataloguePaths();
}

void backupyourPhoneWidget::enterFlow() {
    show();
    m_DevicesConnectWidget->hide();
    m_SelectContentMGRWidget->hide();
    m_SelectContentMGRWidget->setMode(m_Mode);
    if (m_DevicesConnectWidget->countThread()->m_DeviceCount > 0) {
        m_SelectContentMGRWidget->setDeviceConnected(m_DevicesConnectWidget->m_DeviceReady);
        m_SelectContentMGRWidget->show();
    } else {
        m_DevicesConnectWidget->show();
    }
}

void backupyourPhoneWidget::devicesConnected_Finished() {
    if (!m_DevicesConnectWidget->m_DeviceReady) {
        return;
    }
    m_SelectContentMGRWidget->updateDeviceLabel();
    m_SelectContentMGRWidget->setDeviceConnected(true);
    m_DevicesConnectWidget->hide();
    m_SelectContentMGRWidget->show();
}

void backupyourPhoneWidget::devicesDisConnected_slots() {
    m_DevicesConnectWidget->show();
    m_SelectContentMGRWidget->onDeviceDisconnected();
    m_SelectContentMGRWidget->setDeviceConnected(false);
    m_SelectContentMGRWidget->hide();
}

void backupyourPhoneWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void backupyourPhoneWidget::relayout() {
    m_DevicesConnectWidget->setGeometry(rect());
    m_SelectContentMGRWidget->setGeometry(rect());
}
