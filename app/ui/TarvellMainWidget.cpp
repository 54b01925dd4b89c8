#include "TarvellMainWidget.h"

#include "Artwork.h"
#include "KitLifecycle.h"
#include "MyPushButton.h"
#include "WebPages.h"
#include "backupyourPhoneWidget.h"
#include "session.h"
#include "sprites.h"
#include "topCtrlWidget.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWindow>

TarvellMainWidget* MainWindowInstance = nullptr;

namespace {

constexpr QSize kWindowSize(1000, 650);

void PlaceHomeButton(MyPushButton* button, const QPixmap& sheet, const sprites::States& st,
                     const QPoint& at, const QString& tip) {
    button->setSprite(sheet);
    button->setStateRects(st.normal, st.hover, st.pressed, st.disabled);
    button->setButtonGeometry(at.x(), at.y(), st.normal.width(), st.normal.height());
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setCursor(Qt::PointingHandCursor);
}

} // namespace

TarvellMainWidget::TarvellMainWidget(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setFixedSize(kWindowSize);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("Tarvell"));
    MainWindowInstance = this;

    // The library's temporary folder, USB watcher and buffers must exist
    // before any screen starts polling it.
    m_LibraryOpen = true;
    kit::lifecycle().init();

    m_TopCtrlWidget = new topCtrlWidget(this);
    m_PageHost = new QWidget(this);
    m_BackupyourPhoneWidget = new backupyourPhoneWidget(m_PageHost, this);
    m_HomeWidget = new QWidget(m_PageHost);
    m_BackupButton = new MyPushButton(m_HomeWidget);
    m_RestoreButton = new MyPushButton(m_HomeWidget);
    m_RecoveryButton = new MyPushButton(m_HomeWidget);
    m_PrintButton = new MyPushButton(m_HomeWidget);

    connect(m_TopCtrlWidget, &topCtrlWidget::topclosed, this,
            &TarvellMainWidget::closethiswindows_slots);
    connect(m_TopCtrlWidget, &topCtrlWidget::minwindows, this, &QWidget::showMinimized);
    connect(m_BackupButton, &MyPushButton::clicked, this, &TarvellMainWidget::backupyouPhone_slots);
    connect(m_RestoreButton, &MyPushButton::clicked, this,
            &TarvellMainWidget::dataRecovery_frombackup_slots);
    connect(m_RecoveryButton, &MyPushButton::clicked, this,
            &TarvellMainWidget::dataRecovery_withoutbackup_slots);
    connect(m_PrintButton, &MyPushButton::clicked, this, &TarvellMainWidget::printPhoneData_slots);
    connect(m_BackupyourPhoneWidget, &backupyourPhoneWidget::back_home_singal, this,
            &TarvellMainWidget::show_home_Widget_slots);
    // However the event loop ends, the library is closed once.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TarvellMainWidget::shutDownLibrary);
    m_HomeWidget->show();
    m_BackupyourPhoneWidget->hide();

    // Artwork.
    const QPixmap sheet = LoadArtwork(QStringLiteral(":/image/main.png"));
    QPalette pal = palette();
    pal.setBrush(QPalette::Window,
                 QBrush(StretchTo(CutSprite(sheet, sprites::kHomeBackground), kWindowSize)));
    setPalette(pal);
    m_TopCtrlWidget->setSprite(CutSprite(sheet, sprites::kTitleSprite));
    m_BackupyourPhoneWidget->setSprites(sheet);

    // Layout.
    m_TopCtrlWidget->setGeometry(0, 0, width(), sprites::kTitleBarHeight);
    m_PageHost->setGeometry(0, sprites::kTitleBarHeight, width(),
                            height() - sprites::kTitleBarHeight);
    m_HomeWidget->setGeometry(m_PageHost->rect());
    m_BackupyourPhoneWidget->setGeometry(m_PageHost->rect());
    m_TopCtrlWidget->relayout();
    m_BackupyourPhoneWidget->relayout();
    PlaceHomeButton(m_BackupButton, sheet, sprites::kHomeBackupButton, QPoint(57, 64),
                    tr("Back up your phone to this computer"));
    PlaceHomeButton(m_RestoreButton, sheet, sprites::kHomeRestoreButton, QPoint(512, 64),
                    tr("Restore a backup to your phone"));
    PlaceHomeButton(m_RecoveryButton, sheet, sprites::kHomeRecoveryButton, QPoint(718, 64),
                    tr("Recovering data without a backup"));
    PlaceHomeButton(m_PrintButton, sheet, sprites::kHomeViewButton, QPoint(512, 289),
                    tr("View or print your latest backup"));

    // Rounded corners.
    QBitmap mask(size());
    mask.fill(Qt::color0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::color1);
        p.drawRoundedRect(rect(), 6, 6);
    }
    setMask(mask);

    QIcon icon(QStringLiteral(":/image/program.png"));
    icon.addFile(QStringLiteral(":/image/program@2x.png"));
    setWindowIcon(icon);
}

TarvellMainWidget::~TarvellMainWidget() {
    shutDownLibrary();
    if (MainWindowInstance == this) {
        MainWindowInstance = nullptr;
    }
}

void TarvellMainWidget::shutDownLibrary() {
    if (!m_LibraryOpen) {
        return;
    }
    m_LibraryOpen = false;
    // Every worker thread ends before the library closes: the polling
    // threads and a running job still call it.
    if (m_BackupyourPhoneWidget) {
        m_BackupyourPhoneWidget->stopWorkers();
    }
    // The companion service leaves the phone with the program.
    tarvell::ProgramSession().end();
    kit::lifecycle().uninit();
}

void TarvellMainWidget::closethiswindows_slots() {
    close();
    shutDownLibrary();
}

void TarvellMainWidget::closeEvent(QCloseEvent* event) {
    // The title bar, the window manager and the task bar all end up here.
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        shutDownLibrary();
    }
}

void TarvellMainWidget::enterFlow(int mode) {
    m_HomeWidget->hide();
    m_BackupyourPhoneWidget->setFlowMode(mode);
    m_BackupyourPhoneWidget->setHomeIdle(false);
    m_BackupyourPhoneWidget->enterFlow();
}

void TarvellMainWidget::backupyouPhone_slots() {
    enterFlow(0);
}

void TarvellMainWidget::dataRecovery_frombackup_slots() {
    enterFlow(1);
}

void TarvellMainWidget::printPhoneData_slots() {
    const QStringList folders = m_BackupyourPhoneWidget->knownBackupFolders();
    if (folders.isEmpty()) {
        backupyouPhone_slots();
        return;
    }
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir(folders.last()).filePath(QStringLiteral("index.html"))));
}

void TarvellMainWidget::dataRecovery_withoutbackup_slots() {
    QDesktopServices::openUrl(webpages::DataRecovery());
}

void TarvellMainWidget::show_home_Widget_slots() {
    m_BackupyourPhoneWidget->setHomeIdle(true);
    m_HomeWidget->show();
    m_BackupyourPhoneWidget->hide();
}

void TarvellMainWidget::mousePressEvent(QMouseEvent* event) {
    m_Dragging = true;
    m_PressX = event->position().toPoint().x();
    m_PressY = event->position().toPoint().y();
    // Wayland does not let a window place itself; ask the compositor to
    // run the move instead.
    if (QGuiApplication::platformName() == QLatin1String("wayland") && windowHandle()) {
        m_Dragging = false;
        windowHandle()->startSystemMove();
    }
    QWidget::mousePressEvent(event);
}

void TarvellMainWidget::mouseMoveEvent(QMouseEvent* event) {
    if (m_Dragging) {
        move(event->globalPosition().toPoint() - QPoint(m_PressX, m_PressY));
    }
    QWidget::mouseMoveEvent(event);
}

void TarvellMainWidget::mouseReleaseEvent(QMouseEvent* event) {
    m_Dragging = false;
    QWidget::mouseReleaseEvent(event);
}
