#include "MyPushButton.h"

#include "Artwork.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPalette>

namespace {

const char kCaptionStyle[] = "QLabel { color: white;font: 9pt;}";

} // namespace

MyPushButton::MyPushButton(QWidget* parent) : QLabel(parent) {
    setContentsMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(174, 174, 174));
    setPalette(pal);
}

void MyPushButton::setNormalRect(int x, int y, int w, int h) {
    m_NormalRect = QRect(x, y, w, h);
}

void MyPushButton::setHoverRect(int x, int y, int w, int h) {
    m_HoverRect = QRect(x, y, w, h);
}

void MyPushButton::setPressedRect(int x, int y, int w, int h) {
    m_PressedRect = QRect(x, y, w, h);
}

void MyPushButton::setDisabledRect(int x, int y, int w, int h) {
    m_DisabledRect = QRect(x, y, w, h);
}

void MyPushButton::setStateRects(const QRect& normal, const QRect& hover, const QRect& pressed,
                                 const QRect& disabled) {
    m_NormalRect = normal;
    m_HoverRect = hover;
    m_PressedRect = pressed;
    m_DisabledRect = disabled;
}

void MyPushButton::setSprite(const QPixmap& pixmap) {
    m_Sprite = pixmap;
    m_UseSprite = true;
}

void MyPushButton::setStateImages(const QString& normal, const QString& hover,
                                  const QString& pressed, const QString& disabled) {
    m_NormalImage = normal;
    m_HoverImage = hover;
    m_PressedImage = pressed;
    m_DisabledImage = disabled;
}

void MyPushButton::setCaption(const QString& caption) {
    m_Caption = caption;
    if (m_TextLabel) {
        m_TextLabel->setText(m_Caption);
    }
}

bool MyPushButton::imageMode() const {
    return !m_HoverImage.isEmpty() || m_UseSprite;
}

void MyPushButton::setLayoutMode(int mode) {
    m_LayoutMode = mode;
    const int w = width();
    const int h = height();
    const bool withLabels = mode == 1 || mode == 2 || mode == 5;
    if (!withLabels) {
        delete m_IconLabel;
        delete m_TextLabel;
        m_IconLabel = nullptr;
        m_TextLabel = nullptr;
    } else {
        if (!m_IconLabel) {
            m_IconLabel = new QLabel(this);
            m_IconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        if (!m_TextLabel) {
            m_TextLabel = new QLabel(this);
            m_TextLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        m_TextLabel->setStyleSheet(QString::fromLatin1(kCaptionStyle));
        m_TextLabel->setText(m_Caption);
        const int quarter = w / 4;
        switch (mode) {
        case 1:
            m_IconLabel->setGeometry(0, 0, quarter, h);
            m_TextLabel->setGeometry(quarter, 0, w - quarter, h);
            m_TextLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case 2:
            m_IconLabel->setGeometry(w - quarter, 0, quarter, h);
            m_TextLabel->setGeometry(0, 0, w - quarter, h);
            m_TextLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            break;
        default: // 5
            m_IconLabel->setGeometry(0, 0, w, h - 20);
            m_TextLabel->setGeometry(0, h - 20, w, 20);
            m_TextLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            break;
        }
        m_IconLabel->show();
        m_TextLabel->show();
    }
    repaintState();
}

void MyPushButton::setButtonGeometry(int x, int y, int w, int h) {
    setGeometry(x, y, w, h);
    setLayoutMode(m_LayoutMode);
}

void MyPushButton::setButtonEnabled(bool enabled) {
    QWidget::setEnabled(enabled);
    m_Enabled = enabled;
    repaintState();
}

void MyPushButton::repaintState() {
    paintLook(m_Enabled ? Look::Normal : Look::Disabled);
}

void MyPushButton::paintLook(Look look) {
    m_Look = look;
    if (imageMode()) {
        QRect rect;
        QString file;
        switch (look) {
        case Look::Normal:
            rect = m_NormalRect;
            file = m_NormalImage;
            break;
        case Look::Hover:
            rect = m_HoverRect;
            file = m_HoverImage;
            break;
        case Look::Pressed:
            rect = m_PressedRect;
            file = m_PressedImage;
            break;
        case Look::Disabled:
            rect = m_DisabledRect;
            file = m_DisabledImage;
            break;
        }
        // A button drawn with fewer states shows its normal image instead.
        if (rect.isEmpty()) {
            rect = m_NormalRect;
        }
        if (file.isEmpty()) {
            file = m_NormalImage;
        }
        const QPixmap source = m_UseSprite ? m_Sprite : LoadArtwork(file);
        if (rect.isEmpty()) {
            rect = QRect(QPoint(0, 0), source.deviceIndependentSize().toSize());
        }
        QWidget* target = m_IconLabel ? static_cast<QWidget*>(m_IconLabel) : this;
        const QSize size = target->size();
        if (!source.isNull() && !size.isEmpty()) {
            const QPixmap cut = StretchTo(CutSprite(source, rect), size);
            QPalette pal = target->palette();
            pal.setBrush(QPalette::Window, QBrush(cut));
            target->setPalette(pal);
        }
        target->setAutoFillBackground(true);
        if (m_IconLabel) {
            setAutoFillBackground(false);
        }
    } else {
        QColor color = m_NormalColor;
        switch (look) {
        case Look::Normal:
            break;
        case Look::Hover:
            color = m_HoverColor;
            break;
        case Look::Pressed:
            color = m_PressedColor;
            break;
        case Look::Disabled:
            color = m_DisabledColor;
            break;
        }
        QPalette pal = palette();
        pal.setColor(QPalette::Window, color);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    if (m_LayoutMode == 0) {
        setAutoFillBackground(false);
    }
}

void MyPushButton::enterEvent(QEnterEvent* event) {
    if (!m_Enabled) {
        return;
    }
    paintLook(Look::Hover);
    QLabel::enterEvent(event);
    emit enterButton();
}

void MyPushButton::leaveEvent(QEvent* event) {
    if (!m_Enabled) {
        return;
    }
    paintLook(Look::Normal);
    QLabel::leaveEvent(event);
    emit leaveButton();
}

void MyPushButton::mousePressEvent(QMouseEvent* event) {
    if (!m_Enabled) {
        return;
    }
    paintLook(Look::Pressed);
    QLabel::mousePressEvent(event);
    // The label ignores presses; keep this one so the release comes back
    // here and does not start a window drag.
    event->accept();
    emit Pressclicked();
}

void MyPushButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_Enabled) {
        return;
    }
    paintLook(Look::Normal);
    QLabel::mouseReleaseEvent(event);
    event->accept();
    emit clicked();
}
