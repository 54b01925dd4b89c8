// MyPushButton: a label that paints itself as a button, from a sprite sheet,
// from one image file per state, or in plain colours when it has neither.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>

class MyPushButton : public QLabel {
    Q_OBJECT

public:
    explicit MyPushButton(QWidget* parent = nullptr);

    void setNormalRect(int x, int y, int w, int h);
    void setHoverRect(int x, int y, int w, int h);
    void setPressedRect(int x, int y, int w, int h);
    void setDisabledRect(int x, int y, int w, int h);
    // All four rectangles at once; an empty disabled rectangle reuses the
    // normal one.
    void setStateRects(const QRect& normal, const QRect& hover, const QRect& pressed,
                       const QRect& disabled);

    // One image holding every state; switches the button to image mode.
    void setSprite(const QPixmap& pixmap);
    // One image file per state; a non-empty hover image switches the button
    // to image mode. The rectangles are cut from these files.
    void setStateImages(const QString& normal, const QString& hover, const QString& pressed,
                        const QString& disabled);
    void setCaption(const QString& caption);
    QString caption() const { return m_Caption; }

    void setLayoutMode(int mode);
    int layoutMode() const { return m_LayoutMode; }
    void setButtonGeometry(int x, int y, int w, int h);
    void setButtonEnabled(bool enabled);
    bool buttonEnabled() const { return m_Enabled; }
    void repaintState();

    // What is painted now, for tests and screenshots.
    enum class Look { Normal, Hover, Pressed, Disabled };
    Look look() const { return m_Look; }

signals:
    void clicked();
    void Pressclicked();
    void enterButton();
    void leaveButton();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintLook(Look look);
    bool imageMode() const;

    QString m_NormalImage;
    QString m_HoverImage;
    QString m_PressedImage;
    QString m_DisabledImage;
    bool m_Enabled = true;
    QPixmap m_Sprite;
    bool m_UseSprite = false;
    QRect m_NormalRect;
    QRect m_HoverRect;
    QRect m_PressedRect;
    QRect m_DisabledRect;
    QColor m_NormalColor = Qt::gray;
    QColor m_HoverColor = Qt::lightGray;
    QColor m_PressedColor = Qt::darkGray;
    QColor m_DisabledColor = Qt::gray;
    int m_LayoutMode = 3;
    QLabel* m_IconLabel = nullptr;
    QLabel* m_TextLabel = nullptr;
    QString m_Caption;
    Look m_Look = Look::Normal;
};
