// AutorizationWidget: the "Authorization" dialog that asks the user to allow
// USB debugging for this computer on the phone. It carries the main window's
// window flags, so it is drawn as a panel over the main window.
#pragma once

#include <QDialog>
#include <QPixmap>

class MyPushButton;
class QLabel;

class AutorizationWidget : public QDialog {
    Q_OBJECT

public:
    explicit AutorizationWidget(QWidget* parent = nullptr);

    // Places the dialog (in its parent's coordinates) and its parts.
    void layout(int x, int y, int width, int height);

    MyPushButton* closeButton() const { return m_CloseButton; }
    MyPushButton* linkButton() const { return m_LinkButton; }
    QLabel* titleLabel() const { return m_TitleLabel; }
    QLabel* pictureLabel() const { return m_PictureLabel; }

signals:
    void closed_autorizationDialog();

public slots:
    void close_Button_slots();
    void link_Button_slots();

private:
    QWidget* m_Panel;
    QLabel* m_TitleLabel;
    MyPushButton* m_CloseButton;
    QLabel* m_PictureLabel;
    QLabel* m_Separator;
    MyPushButton* m_LinkButton;
    QPixmap m_CloseSprite;
};
