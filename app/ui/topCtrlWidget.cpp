#include "topCtrlWidget.h"

#include "MyPushButton.h"
#include "WebPages.h"
#include "sprites.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>

namespace {

constexpr int kButtonWidth = 38;
constexpr int kButtonHeight = 35;
constexpr QSize kMenuSize(110, 80);

const char kMenuStyle[] =
    "QMenu { background: #ffffff; border: 1px solid #c8d3dc; padding: 3px 0px; }"
    "QMenu::item { color: #15374f; padding: 4px 16px; font: 10pt; }"
    "QMenu::item:selected { background: #e6f1fa; color: #025b96; }";

void UseColumn(MyPushButton* button, const QPixmap& sprite, int column) {
    const sprites::States st = sprites::TitleButton(column);
    button->setSprite(sprite);
    button->setStateRects(st.normal, st.hover, st.pressed, st.disabled);
    button->repaintState();
}

} // namespace

topCtrlWidget::topCtrlWidget(QWidget* parent)
    : QWidget(parent), m_CloseButton(new MyPushButton(this)), m_MinButton(new MyPushButton(this)),
      m_MenuButton(new MyPushButton(this)), m_VersionLabel(new QLabel(this)),
      m_Menu(new QMenu(nullptr)) {
    m_VersionLabel->setText(QStringLiteral("Ver: 3.0"));
    m_VersionLabel->setStyleSheet(QStringLiteral("QLabel {color: #babac7;font: 9pt;}"));
    m_VersionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_CloseButton->setToolTip(tr("Close"));
    m_MinButton->setToolTip(tr("Minimize"));
    m_MenuButton->setToolTip(tr("Menu"));
    for (MyPushButton* b : {m_CloseButton, m_MinButton, m_MenuButton}) {
        b->setAccessibleName(b->toolTip());
    }

    m_HelpAction = m_Menu->addAction(tr("Help"));
    m_SupportAction = m_Menu->addAction(tr("Support"));
    m_AboutAction = m_Menu->addAction(tr("About"));
    for (QAction* action : {m_HelpAction, m_SupportAction, m_AboutAction}) {
        action->setIconVisibleInMenu(false);
    }
    m_Menu->setStyleSheet(QString::fromLatin1(kMenuStyle));

    connect(m_CloseButton, &MyPushButton::clicked, this, &topCtrlWidget::topclosed);
    connect(m_MinButton, &MyPushButton::clicked, this, &topCtrlWidget::minwindows);
    connect(m_MenuButton, &MyPushButton::clicked, this, &topCtrlWidget::menuButton_slots);
    connect(m_HelpAction, &QAction::triggered, this, &topCtrlWidget::slots_helpAction);
    connect(m_SupportAction, &QAction::triggered, this, &topCtrlWidget::slots_supportAction);
    connect(m_AboutAction, &QAction::triggered, this, &topCtrlWidget::slots_AboutAction);
}

topCtrlWidget::~topCtrlWidget() {
    delete m_Menu;
}

void topCtrlWidget::setSprite(const QPixmap& sprite) {
    m_Sprite = sprite;
    UseColumn(m_MenuButton, m_Sprite, sprites::kTitleMenuColumn);
    UseColumn(m_MinButton, m_Sprite, sprites::kTitleMinimiseColumn);
    UseColumn(m_CloseButton, m_Sprite, sprites::kTitleCloseColumn);
}

void topCtrlWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void topCtrlWidget::relayout() {
    const int w = width();
    m_CloseButton->setButtonGeometry(w - kButtonWidth, 0, kButtonWidth, kButtonHeight);
    m_MinButton->setButtonGeometry(w - 2 * kButtonWidth, 0, kButtonWidth, kButtonHeight);
    m_MenuButton->setButtonGeometry(w - 3 * kButtonWidth, 0, kButtonWidth, kButtonHeight);
    m_VersionLabel->setGeometry(w - 172, 0, 60, kButtonHeight);
}

void topCtrlWidget::menuButton_slots() {
    // Right edge on the title bar's right edge, top under the menu button.
    const QPoint topLeft =
        mapToGlobal(QPoint(width() - kMenuSize.width(), m_MenuButton->geometry().bottom() + 1));
    m_Menu->setFixedSize(kMenuSize);
    m_Menu->popup(topLeft);
}

void topCtrlWidget::slots_helpAction() {
    QDesktopServices::openUrl(webpages::UserGuide());
}

void topCtrlWidget::slots_supportAction() {
    QDesktopServices::openUrl(webpages::UserGuide());
}

void topCtrlWidget::slots_AboutAction() {
    QDesktopServices::openUrl(webpages::ProductPage());
}
