#include "backupyourPhoneWidget.h"

#include "Artwork.h"
#include "MyPushButton.h"
#include "sprites.h"

#include <QLabel>

backupyourPhoneWidget::backupyourPhoneWidget(QWidget* parent)
    : QWidget(parent), m_StepPicture(new QLabel(this)), m_BackButton(new MyPushButton(this)) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_StepPicture->setPixmap(LoadArtwork(QStringLiteral(":/image/step1.png")));
    m_StepPicture->setScaledContents(true);
    m_BackButton->setToolTip(tr("Back to the start page"));
    connect(m_BackButton, &MyPushButton::clicked, this, &backupyourPhoneWidget::back_home_singal);
}

void backupyourPhoneWidget::setSprites(const QPixmap& mainSheet) {
    const sprites::States& st = sprites::kBackButton;
    m_BackButton->setSprite(mainSheet);
    m_BackButton->setStateRects(st.normal, st.hover, st.pressed, st.disabled);
    m_BackButton->repaintState();
}

void backupyourPhoneWidget::setFlowMode(int mode) {
    m_Mode = mode;
}

void backupyourPhoneWidget::enterFlow() {
    show();
}

void backupyourPhoneWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void backupyourPhoneWidget::relayout() {
    const QSize pic = sprites::kStepPicture;
    m_StepPicture->setGeometry((width() - pic.width()) / 2, 96, pic.width(), 448 - 96);
    m_BackButton->setButtonGeometry(30, 510, 116, 35);
}
