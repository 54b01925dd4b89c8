#include "CompleteDialog.h"

#include "Artwork.h"
#include "MyPushButton.h"
#include "TarvellMainWidget.h"
#include "sprites.h"

#include <QBitmap>
#include <QLabel>
#include <QPainter>

namespace {

int g_nextAnswer = -1;

// The message fills the white band above the buttons' band (154 pixels of the
// 250-pixel artwork), beside the icon.
const QRect kTextRect(138, 12, 340, 134);
constexpr int kButtonY = 163;
constexpr int kButtonGap = 130;

void UseButton(MyPushButton* b, const QPixmap& sheet, const sprites::States& st,
               const QString& name) {
    b->setSprite(sheet);
    b->setStateRects(st.normal, st.hover, st.pressed, st.disabled);
    b->setAccessibleName(name);
    b->setCursor(Qt::PointingHandCursor);
}

void SetRoundedMask(QWidget* w) {
    QBitmap mask(w->size());
    mask.fill(Qt::color0);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRoundedRect(w->rect(), 6, 6);
    p.end();
    w->setMask(mask);
}

} // namespace

void CentreOnMainWindow(QWidget* dialog, int width, int height) {
    const QWidget* main = MainWindowInstance;
    const QSize area = main ? main->size() : QSize(1000, 650);
    QPoint at((area.width() - width) / 2, (area.height() - height) / 2);
    if (dialog->isWindow() && main) {
        at += main->pos();
    }
    dialog->setGeometry(at.x(), at.y(), width, height);
}

CompleteDialog::CompleteDialog(QWidget* parent)
    : QDialog(parent), m_IconLabel(new QLabel(this)), m_TextLabel(new QLabel(this)),
      m_OkButton(new MyPushButton(this)), m_CancelButton(new MyPushButton(this)),
      m_YesButton(new MyPushButton(this)), m_NoButton(new MyPushButton(this)) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setModal(true);
    setWindowTitle(QStringLiteral("Tarvell"));
    setAutoFillBackground(true);
    m_TextLabel->setStyleSheet(QStringLiteral("QLabel{color:#2d383f;font:15pt;}"));
    m_TextLabel->setWordWrap(true);
    m_TextLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_ButtonSprite = LoadArtwork(QStringLiteral(":/image/main.png"));
    m_IconSprite = LoadArtwork(QStringLiteral(":/image/publicImage.png"));
    UseButton(m_OkButton, m_ButtonSprite, sprites::kOkButton, tr("OK"));
    UseButton(m_CancelButton, m_ButtonSprite, sprites::kCancelButton, tr("Cancel"));
    UseButton(m_YesButton, m_ButtonSprite, sprites::kYesButton, tr("Yes"));
    UseButton(m_NoButton, m_ButtonSprite, sprites::kNoButton, tr("No"));
    m_IconLabel->setScaledContents(true);

    connect(m_OkButton, &MyPushButton::clicked, this, &CompleteDialog::ok_Button_slots);
    connect(m_YesButton, &MyPushButton::clicked, this, &CompleteDialog::ok_Button_slots);
    connect(m_CancelButton, &MyPushButton::clicked, this, &CompleteDialog::cancel_Button_slots);
    connect(m_NoButton, &MyPushButton::clicked, this, &CompleteDialog::cancel_Button_slots);
    layout(0, 0, kCompleteDialogWidth, kCompleteDialogHeight);
    setMessage(RestoreCompleted);
}

void CompleteDialog::layout(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window,
                 QBrush(StretchTo(LoadArtwork(QStringLiteral(":/image/alldialog.png")),
                                  QSize(width, height))));
    setPalette(pal);
    SetRoundedMask(this);
    m_IconLabel->setGeometry(50, kTextRect.center().y() - sprites::kIconSize.height() / 2,
                             sprites::kIconSize.width(), sprites::kIconSize.height());
    m_TextLabel->setGeometry(kTextRect);
    const int centreX = (width - 126) / 2;
    m_OkButton->setButtonGeometry(centreX, kButtonY, 126, 34);
    m_YesButton->setButtonGeometry(centreX, kButtonY, 126, 34);
    m_CancelButton->setButtonGeometry(centreX + kButtonGap, kButtonY, 126, 34);
    m_NoButton->setButtonGeometry(centreX + kButtonGap, kButtonY, 126, 34);
    // When two buttons show, the pair is centred instead of the first.
    if (m_CancelButton->isVisibleTo(this) || m_NoButton->isVisibleTo(this)) {
        const int left = (width - 126 - kButtonGap) / 2;
        m_OkButton->setButtonGeometry(left, kButtonY, 126, 34);
        m_YesButton->setButtonGeometry(left, kButtonY, 126, 34);
        m_CancelButton->setButtonGeometry(left + kButtonGap, kButtonY, 126, 34);
        m_NoButton->setButtonGeometry(left + kButtonGap, kButtonY, 126, 34);
    }
}

void CompleteDialog::setMessage(int kind, const QString& detail, const QString& note) {
    m_CancelButton->hide();
    m_OkButton->show();
    m_YesButton->hide();
    m_NoButton->hide();
    QString text;
    QRect icon = sprites::kIconSuccess;
    switch (kind) {
    case BackupCompleted:
        text = tr("Backup completed. Do you want to open the output folder?");
        m_OkButton->hide();
        m_YesButton->show();
        m_NoButton->show();
        break;
    case RestoreCompleted:
        text = tr("Restore Completed.");
        break;
    case SmsCountdown:
        icon = sprites::kIconInfo;
        m_OkButton->hide();
        break;
    case CancelBackup:
        text = tr("Do you want to cancel the backup?");
        icon = sprites::kIconQuestion;
        m_CancelButton->show();
        break;
    case CancelRestore:
        text = tr("Do you want to cancel the restore?");
        icon = sprites::kIconQuestion;
        m_CancelButton->show();
        break;
    default:
        text = tr("Print Completed.");
        break;
    }
    if (!note.isEmpty()) {
        text += QStringLiteral("\n") + note;
    }
    if (!detail.isEmpty()) {
        text += QStringLiteral("\n") + detail;
        icon = sprites::kIconWarning;
    }
    m_TextLabel->setText(text);
    fitText();
    m_IconLabel->setPixmap(CutSprite(m_IconSprite, icon));
    m_Kind = kind;
    if (kind == SmsCountdown) {
        updateCountdown(60);
    }
    layout(x(), y(), width(), height());
}

// A completion with a note and a long failure sentence is taller than the
// box's text area at the usual size: the text gets smaller, never cut.
void CompleteDialog::fitText() {
    for (int points = 15; points >= 11; --points) {
        m_TextLabel->setStyleSheet(QStringLiteral("QLabel{color:#2d383f;font:%1pt;}").arg(points));
        m_TextLabel->ensurePolished();
        if (m_TextLabel->heightForWidth(kTextRect.width()) <= kTextRect.height()) {
            return;
        }
    }
}

void CompleteDialog::setError(const QString& text) {
    setMessage(RestoreCompleted);
    m_TextLabel->setText(text);
    fitText();
    m_IconLabel->setPixmap(CutSprite(m_IconSprite, sprites::kIconWarning));
    m_Kind = Error;
}

void CompleteDialog::updateCountdown(int seconds) {
    if (m_Kind != SmsCountdown) {
        return;
    }
    m_TextLabel->setText(
        tr("Please click \"Yes\" on your destination phone, or the program will skip copying "
           "SMS in ") +
        QString::number(seconds) + tr(" seconds."));
}

QString CompleteDialog::text() const {
    return m_TextLabel->text();
}

int CompleteDialog::run() {
    if (m_Kind != SmsCountdown && g_nextAnswer >= 0) {
        m_Accepted = g_nextAnswer;
        g_nextAnswer = -1;
        return m_Accepted;
    }
    m_Accepted = 0;
    raise();
    exec();
    return m_Accepted;
}

void CompleteDialog::setNextAnswer(int accepted) {
    g_nextAnswer = accepted;
}

void CompleteDialog::ok_Button_slots() {
    m_Accepted = 1;
    close();
}

void CompleteDialog::cancel_Button_slots() {
    m_Accepted = 0;
    close();
}
