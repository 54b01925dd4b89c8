// topCtrlWidget: the home-made title bar of the frameless main window: the
// menu, minimise and close buttons, the version and the Help menu.
#pragma once

#include <QPixmap>
#include <QWidget>

class MyPushButton;
class QAction;
class QLabel;
class QMenu;

class topCtrlWidget : public QWidget {
    Q_OBJECT

public:
    explicit topCtrlWidget(QWidget* parent = nullptr);
    ~topCtrlWidget() override;

    // Places the buttons and the version at the right end of the bar.
    void relayout();

    // The 114x140 title-bar sprite: one 38-pixel column per button.
    void setSprite(const QPixmap& sprite);

    MyPushButton* closeButton() const { return m_CloseButton; }
    MyPushButton* minimiseButton() const { return m_MinButton; }
    MyPushButton* menuButton() const { return m_MenuButton; }
    QLabel* versionLabel() const { return m_VersionLabel; }
    QMenu* menu() const { return m_Menu; }
    QAction* helpAction() const { return m_HelpAction; }
    QAction* supportAction() const { return m_SupportAction; }
    QAction* aboutAction() const { return m_AboutAction; }

signals:
    void topclosed();
    void minwindows();

public slots:
    void menuButton_slots();
    void slots_helpAction();
    void slots_supportAction();
    void slots_AboutAction();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    MyPushButton* m_CloseButton;
    MyPushButton* m_MinButton;
    MyPushButton* m_MenuButton;
    QLabel* m_VersionLabel;
    QPixmap m_Sprite;
    QMenu* m_Menu; // top-level popup, owned here
    QAction* m_HelpAction;
    QAction* m_SupportAction;
    QAction* m_AboutAction;
};
