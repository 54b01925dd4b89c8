#include "BackupProgressWidget.h"

#include "Artwork.h"
#include "CompleteDialog.h"
#include "MyPushButton.h"
#include "jobcontrol.h"
#include "sprites.h"
#include "uilog.h"

#include <QBitmap>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>

namespace {

const char kWaitingStyle[] = "QLabel{color:#2d2d2d;font:14pt;}";
const char kSuccessStyle[] = "QLabel{color:#049700;font:14pt;}";
const char kRowStyle[] = "QLabel{color:#2d2d2d;font:14pt;}";

// Row titles, in ContentKind order, for the translator.
QString RowTitle(int kind) {
    switch (kind) {
    case tarvell::Contacts:
        return BackupProgressWidget::tr("Contacts");
    case tarvell::SMS:
        return BackupProgressWidget::tr("Text Messages");
    case tarvell::CallHistory:
        return BackupProgressWidget::tr("Call Logs");
    case tarvell::Photos:
        return BackupProgressWidget::tr("Photos");
    case tarvell::Videos:
        return BackupProgressWidget::tr("Videos");
    case tarvell::Musics:
        return BackupProgressWidget::tr("Musics");
    default:
        return BackupProgressWidget::tr("Apps");
    }
}

} // namespace

BackupProgressWidget::BackupProgressWidget(tarvell::GetBackupDataThread& job, QWidget* parent)
    : QDialog(parent), m_Job(job), m_TitleLabel(new QLabel(this)),
      m_CloseButton(new MyPushButton(this)), m_PictureLabel(new QLabel(this)),
      m_MessageLabel(new QLabel(this)), m_ProgressBar(new QProgressBar(this)),
      m_RowsPanel(new QWidget(this)), m_CancelButton(new MyPushButton(this)),
      m_CompleteDialog(new CompleteDialog(parent)) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAutoFillBackground(true);
    m_CompleteDialog->hide();
    m_TitleLabel->setStyleSheet(QStringLiteral("QLabel{color:#2d383f;font:15pt;}"));
    m_MessageLabel->setStyleSheet(QStringLiteral("QLabel{color:#2d2d2d;font:16pt;}"));
    m_MessageLabel->setWordWrap(true);
    m_ProgressBar->setRange(0, 100);
    m_ProgressBar->setTextVisible(false);
    m_ProgressBar->setStyleSheet(
        QStringLiteral("QProgressBar::chunk {background-color: #61bc0f;width: 10px;} "
                       "QProgressBar {background-color: #eeeeee;border: 0px solid #eeeeee;}"));
    for (int r = 0; r < 7; ++r) {
        m_RowNames[r] = new QLabel(m_RowsPanel);
        m_RowNames[r]->setStyleSheet(QString::fromLatin1(kRowStyle));
        m_RowStatus[r] = new QLabel(m_RowsPanel);
        m_RowStatus[r]->setStyleSheet(QString::fromLatin1(kWaitingStyle));
        m_RowStatus[r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    m_CloseSprite = LoadArtwork(QStringLiteral(":/image/publicImage.png"));
    const sprites::States& close = sprites::kDialogCloseButton;
    m_CloseButton->setSprite(m_CloseSprite);
    m_CloseButton->setStateRects(close.normal, close.hover, close.pressed, QRect());
    m_CloseButton->setAccessibleName(tr("Close"));
    m_Picture = CutSprite(m_CloseSprite, sprites::kProgressPicture);
    m_PictureLabel->setPixmap(m_Picture);
    m_PictureLabel->setScaledContents(true);
    m_ButtonSprite = LoadArtwork(QStringLiteral(":/image/main.png"));
    const sprites::States& cancel = sprites::kCancelButton;
    m_CancelButton->setSprite(m_ButtonSprite);
    m_CancelButton->setStateRects(cancel.normal, cancel.hover, cancel.pressed, cancel.disabled);
    m_CancelButton->setAccessibleName(tr("Cancel"));
    m_CancelButton->setCursor(Qt::PointingHandCursor);

    connect(m_CloseButton, &MyPushButton::clicked, this, &BackupProgressWidget::close_Button_slots);
    connect(m_CancelButton, &MyPushButton::clicked, this,
            &BackupProgressWidget::close_Button_slots);
    layout(0, 0, kProgressDialogWidth, kProgressDialogHeight);
    hide();
}

void BackupProgressWidget::layout(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window,
                 QBrush(StretchTo(LoadArtwork(QStringLiteral(":/image/BackupProgress.png")),
                                  QSize(width, height))));
    setPalette(pal);
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

    m_TitleLabel->setGeometry(16, 12, 400, 24);
    m_CloseButton->setButtonGeometry(width - 40, 10, 26, 26);
    const QSize pic = sprites::kProgressPicture.size();
    m_PictureLabel->setGeometry(40, 70, pic.width(), pic.height());
    m_MessageLabel->setGeometry(40, 235, 340, 70);
    // From just right of the picture to the end of the bar, so that a row
    // such as "Text Messages(12000 of 12000)" fits.
    m_RowsPanel->setGeometry(350, 47, width - 390, 240);
    for (int r = 0; r < 7; ++r) {
        m_RowNames[r]->setGeometry(0, 30 + 25 * r, m_RowsPanel->width() - 84, 22);
        m_RowStatus[r]->setGeometry(m_RowsPanel->width() - 84, 30 + 25 * r, 84, 22);
    }
    m_ProgressBar->setGeometry(40, 335, width - 80, 14);
    m_CancelButton->setButtonGeometry((width - 126) / 2, height - 70 + (70 - 34) / 2, 126, 34);
}

void BackupProgressWidget::setBackupMode(bool isBackup) {
    m_IsBackup = isBackup;
    m_Tracker = tarvell::ProgressTracker(); // a new job
    if (isBackup) {
        m_TitleLabel->setText(tr("Backup Progress"));
        m_MessageLabel->setText(tr("Backing up data...\nPlease don't disconnect your phone."));
    } else {
        m_TitleLabel->setText(tr("Restore Progress"));
        m_MessageLabel->setText(tr("Restore data...\nPlease don't disconnect your phone."));
    }
    refresh();
}

void BackupProgressWidget::refresh() {
    display(m_Job.snapshot());
}

void BackupProgressWidget::display(const tarvell::JobSnapshot& job) {
    const tarvell::ProgressView view = tarvell::PollProgress(job, m_Job.phone(), m_Tracker);
    for (int r = 0; r < 7; ++r) {
        const tarvell::ProgressRow& row = view.rows[r];
        if (row.status == tarvell::RowStatus::Empty) {
            m_RowNames[r]->clear();
            m_RowStatus[r]->clear();
            continue;
        }
        // The engine's row text is "<name>" or "<name>(<done> of <total>)";
        // the name part is shown translated.
        QString name = row.name;
        const QString english = QLatin1String(tarvell::ProgressKindName(row.kind));
        if (name.startsWith(english)) {
            name = RowTitle(row.kind) + name.mid(english.size());
        }
        m_RowNames[r]->setText(name);
        const bool success = row.status == tarvell::RowStatus::Success;
        m_RowStatus[r]->setText(success ? tr("Success") : tr("Waiting"));
        m_RowStatus[r]->setStyleSheet(QString::fromLatin1(success ? kSuccessStyle : kWaitingStyle));
    }
    m_ProgressBar->setValue(view.barValue);
    m_CompleteDialog->updateCountdown(job.smsCountdown);
}

void BackupProgressWidget::showSmsPrompt() {
    // Starts at 60; the next poll shows the job's own count.
    m_CompleteDialog->setMessage(CompleteDialog::SmsCountdown);
    CentreOnMainWindow(m_CompleteDialog, kCompleteDialogWidth, kCompleteDialogHeight);
    m_CompleteDialog->layout(m_CompleteDialog->x(), m_CompleteDialog->y(), kCompleteDialogWidth,
                             kCompleteDialogHeight);
    m_CompleteDialog->run();
}

void BackupProgressWidget::hideSmsPrompt() {
    m_CompleteDialog->hide();
}

void BackupProgressWidget::close_Button_slots() {
    m_CompleteDialog->setMessage(m_IsBackup ? CompleteDialog::CancelBackup
                                            : CompleteDialog::CancelRestore);
    CentreOnMainWindow(m_CompleteDialog, kCompleteDialogWidth, kCompleteDialogHeight);
    m_CompleteDialog->layout(m_CompleteDialog->x(), m_CompleteDialog->y(), kCompleteDialogWidth,
                             kCompleteDialogHeight);
    if (m_CompleteDialog->run() == 1) {
        tarvell::UiLog("The user cancelled the %s.\n", m_IsBackup ? "backup" : "restore");
        tarvell::CancelJob(m_Job);
        hide();
    }
}
