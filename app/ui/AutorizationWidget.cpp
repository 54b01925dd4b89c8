#include "AutorizationWidget.h"

#include "Artwork.h"
#include "MyPushButton.h"
#include "WebPages.h"
#include "sprites.h"

#include <QDesktopServices>
#include <QLabel>

AutorizationWidget::AutorizationWidget(QWidget* parent)
    : QDialog(parent), m_Panel(new QWidget(this)), m_TitleLabel(new QLabel(m_Panel)),
      m_CloseButton(new MyPushButton(m_Panel)), m_PictureLabel(new QLabel(m_Panel)),
      m_Separator(new QLabel(m_Panel)), m_LinkButton(new MyPushButton(m_Panel)) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAutoFillBackground(true);
    QPalette outer = palette();
    outer.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(outer);
    m_Panel->setAutoFillBackground(true);
    QPalette inner = m_Panel->palette();
    inner.setColor(QPalette::Window, Qt::white);
    m_Panel->setPalette(inner);

    m_TitleLabel->setText(tr("Authorization"));
    m_TitleLabel->setStyleSheet(QStringLiteral("QLabel{color:#2d383f;font:15pt;}"));

    m_CloseSprite = LoadArtwork(QStringLiteral(":/image/publicImage.png"));
    const sprites::States& st = sprites::kDialogCloseButton;
    m_CloseButton->setSprite(m_CloseSprite);
    m_CloseButton->setStateRects(st.normal, st.hover, st.pressed, QRect());
    m_CloseButton->setToolTip(tr("Close"));
    m_CloseButton->setAccessibleName(tr("Close"));

    m_PictureLabel->setPixmap(LoadArtwork(QStringLiteral(":/image/authorization.png")));
    m_PictureLabel->setScaledContents(true);
    m_Separator->setAutoFillBackground(true);
    QPalette sep = m_Separator->palette();
    sep.setColor(QPalette::Window, QColor(0xdd, 0xe3, 0xe8));
    m_Separator->setPalette(sep);

    // A transparent click area over the link drawn in the picture.
    m_LinkButton->setLayoutMode(0);
    m_LinkButton->setCursor(Qt::PointingHandCursor);
    m_LinkButton->setToolTip(tr("How to allow USB debugging"));
    m_LinkButton->setAccessibleName(tr("How to allow USB debugging"));

    connect(m_CloseButton, &MyPushButton::clicked, this, &AutorizationWidget::close_Button_slots);
    connect(m_LinkButton, &MyPushButton::clicked, this, &AutorizationWidget::link_Button_slots);
    layout(0, 0, 780, 460);
}

void AutorizationWidget::layout(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
    m_Panel->setGeometry(1, 1, width - 2, height - 2);
    m_TitleLabel->setGeometry(12, 12, 200, 20);
    m_CloseButton->setButtonGeometry(width - 40, 12, 26, 26);
    m_Separator->setGeometry(0, 45, width, 2);
    const QSize pic = sprites::kAuthorizationPicture;
    const int picX = (width - pic.width()) / 2;
    m_PictureLabel->setGeometry(picX, 66, pic.width(), pic.height());
    const QRect link = sprites::kAuthorizationLink;
    m_LinkButton->setButtonGeometry(picX + link.x(), 66 + link.y(), link.width(), link.height());
    m_LinkButton->raise();
}

void AutorizationWidget::close_Button_slots() {
    emit closed_autorizationDialog();
    close();
}

void AutorizationWidget::link_Button_slots() {
    QDesktopServices::openUrl(webpages::UsbDebuggingHowTo());
}
