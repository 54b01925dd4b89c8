// CompleteDialog: the program's message box. Completion messages, cancel
// confirmations and the countdown shown while the phone asks the user to
// make the companion the default messaging app.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class MyPushButton;
class QLabel;

class CompleteDialog : public QDialog {
    Q_OBJECT

public:
    // Message kinds.
    enum Kind {
        BackupCompleted = 0,
        RestoreCompleted = 1,
        SmsCountdown = 2,
        CancelBackup = 1001,
        CancelRestore = 1002,
        PrintCompleted = 3, // any kind not listed above
        Error = -1,         // setError()
    };

    explicit CompleteDialog(QWidget* parent = nullptr);

    // Sets the text and buttons of a kind. note and detail, when not empty,
    // are further paragraphs: note something to know that changes no icon
    // (what an incremental backup took from the last one, the records a
    // restore found on the phone already), detail a warning (the completion
    // kinds: failed items).
    void setMessage(int kind, const QString& detail = QString(), const QString& note = QString());
    // An error the user must read before going on: the text, the warning icon
    // and OK.
    void setError(const QString& text);
    // The countdown text with n seconds left; only for the countdown kind.
    void updateCountdown(int seconds);
    // Places the dialog (in its parent's coordinates, or on the screen when
    // it has no parent).
    void layout(int x, int y, int width, int height);

    // Shows the dialog modally and returns m_Accepted. The countdown is
    // always shown; for every other kind an answer set with setNextAnswer()
    // is taken instead of showing the dialog.
    int run();

    // Tests: the next run() that asks a question returns at once with this
    // answer (1 OK / Yes, 0 Cancel / No). -1 clears it.
    static void setNextAnswer(int accepted);

    QLabel* textLabel() const { return m_TextLabel; }
    QLabel* iconLabel() const { return m_IconLabel; }
    MyPushButton* okButton() const { return m_OkButton; }
    MyPushButton* cancelButton() const { return m_CancelButton; }
    MyPushButton* yesButton() const { return m_YesButton; }
    MyPushButton* noButton() const { return m_NoButton; }
    QString text() const;

    int m_Accepted = 0;
    int m_Kind = -1;

public slots:
    void ok_Button_slots();
    void cancel_Button_slots();

private:
    void fitText();

    QLabel* m_IconLabel;
    QLabel* m_TextLabel;
    MyPushButton* m_OkButton;
    MyPushButton* m_CancelButton;
    MyPushButton* m_YesButton;
    MyPushButton* m_NoButton;
    QPixmap m_ButtonSprite;
    QPixmap m_IconSprite;
};

// Geometry of the message box.
inline constexpr int kCompleteDialogWidth = 509;
inline constexpr int kCompleteDialogHeight = 250;

// Places dialog centred on the main window: as a child panel when the dialog
// has the main window as its parent, else in screen coordinates.
void CentreOnMainWindow(QWidget* dialog, int width, int height);
