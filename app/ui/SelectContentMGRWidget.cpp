#include "SelectContentMGRWidget.h"

#include "Artwork.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "FolderDialog.h"
#include "MyListWidget.h"
#include "MyPushButton.h"
#include "OpenFolder.h"
#include "TarvellMainWidget.h"
#include "WidgetStyles.h"
#include "appsupport.h"
#include "jobcontrol.h"
#include "naming.h"
#include "session.h"
#include "sprites.h"
#include "uilog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {

const char kBlueLabelStyle[] = "QLabel { color: #025b96;font: 18pt;}";
const char kKindStyle[] = "QLabel { color: #15374f;font: 13pt;}";

// Kind names of this screen, plain text in ContentKind order.
const char* const kKindNames[7] = {"Contacts", "Text Messages", "Call logs", "Photos",
                                   "Videos",   "Music",         "Apps"};

QWidget* Panel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    return panel;
}

QLabel* Label(QWidget* parent, const char* style, Qt::Alignment align = Qt::AlignCenter) {
    auto* label = new QLabel(parent);
    label->setStyleSheet(QString::fromLatin1(style));
    label->setAlignment(align);
    return label;
}

} // namespace

SelectContentMGRWidget::SelectContentMGRWidget(QWidget* parent, QWidget* dialogParent)
    : QWidget(parent), m_GetBackupDataThread(std::make_unique<tarvell::GetBackupDataThread>()),
      m_BackupSourcePanel(Panel(this)), m_RestoreListPanel(Panel(this)), m_CentrePanel(Panel(this)),
      m_ComputerPanel(Panel(this)), m_RestoreTargetPanel(Panel(this)) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(StretchTo(LoadArtwork(QStringLiteral(":/image/mgr.png")),
                                                    sprites::kContentBackground)));
    setPalette(pal);
    QFont font(QStringLiteral("arial"));
    setFont(font);

    // Backup source: the phone and its label.
    m_SourceDeviceLabel = Label(m_BackupSourcePanel, kBlueLabelStyle);
    m_SourcePhone = new QLabel(m_BackupSourcePanel);
    m_SourcePhone->setScaledContents(true);
    // Restore list: the earlier backups.
    m_SourceLabel = Label(m_RestoreListPanel, kBlueLabelStyle);
    m_SourceLabel->setText(tr("Source"));
    m_RestoreList = new MyListWidget(m_RestoreListPanel);
    // Centre: title and the seven kinds.
    m_TitleLabel = Label(m_CentrePanel, "QLabel { color: #025b96;font: 12pt;}");
    for (int k = 0; k < 7; ++k) {
        m_KindIcon[k] = new QLabel(m_CentrePanel);
        m_KindIcon[k]->setScaledContents(true);
        m_KindIcon[k]->setPixmap(
            LoadArtwork(QStringLiteral(":/image/") + QLatin1String(sprites::kKindIconNames[k])));
        m_KindName[k] = Label(m_CentrePanel, kKindStyle, Qt::AlignLeft | Qt::AlignVCenter);
        m_KindName[k]->setText(QString::fromLatin1(kKindNames[k]));
        m_KindCheck[k] = new QCheckBox(m_CentrePanel);
        m_KindCheck[k]->setStyleSheet(QString::fromLatin1(kCheckBoxStyle));
        m_KindCheck[k]->setAccessibleName(QString::fromLatin1(kKindNames[k]));
    }
    // Computer.
    m_ComputerLabel = Label(m_ComputerPanel, kBlueLabelStyle);
    m_ComputerLabel->setText(tr("Computer"));
    m_ComputerPicture = new QLabel(m_ComputerPanel);
    m_ComputerPicture->setScaledContents(true);
    m_ComputerPicture->setPixmap(LoadArtwork(QStringLiteral(":/image/pc.png")));
    // Restore target: the phone, its label and the clear option.
    m_TargetDeviceLabel = Label(m_RestoreTargetPanel, kBlueLabelStyle);
    m_TargetPhone = new QLabel(m_RestoreTargetPanel);
    m_TargetPhone->setScaledContents(true);
    m_ClearCheck = new QCheckBox(m_RestoreTargetPanel);
    m_ClearCheck->setStyleSheet(QString::fromLatin1(kCheckBoxStyle));
    m_ClearCheck->setAccessibleName(QStringLiteral("Clear before copy"));
    m_ClearLabel = Label(m_RestoreTargetPanel, kKindStyle, Qt::AlignLeft | Qt::AlignVCenter);
    m_ClearLabel->setText(QStringLiteral("Clear the selected type of data before copy."));
    m_ClearLabel->setWordWrap(true);

    m_StartButton = new MyPushButton(this);
    m_StartButton->setCursor(Qt::PointingHandCursor);
    m_BackButton = new MyPushButton(this);
    m_BackButton->setToolTip(tr("Back to the start page"));
    m_BackButton->setAccessibleName(tr("Back"));

    m_BackupProgressWidget =
        new BackupProgressWidget(*m_GetBackupDataThread, dialogParent ? dialogParent : this);
    m_CompleteDialog = new CompleteDialog(nullptr);
    m_CompleteDialog->hide();

    // Layout (x, y, width, height on the 1000x598 screen).
    m_BackupSourcePanel->setGeometry(56, 40, 290, 400);
    m_SourceDeviceLabel->setGeometry(0, 30, 290, 50);
    const QSize phone = sprites::kPhonePicture;
    m_SourcePhone->setGeometry((290 - phone.width()) / 2, 85, phone.width(), phone.height());
    m_RestoreListPanel->setGeometry(85, 40, 225, 400);
    m_SourceLabel->setGeometry(0, 30, 225, 30);
    m_RestoreList->setGeometry(0, 80, 225, 400 - 80);
    m_CentrePanel->setGeometry((1000 - 220) / 2, 0, 220, 390);
    m_TitleLabel->setGeometry(0, 73, 220, 20);
    for (int k = 0; k < 7; ++k) {
        const int y = 130 + 35 * k;
        m_KindIcon[k]->setGeometry(10, y, 17, 17);
        m_KindName[k]->setGeometry(35, y, 220 - 35 - 35, 17);
        m_KindCheck[k]->setGeometry(220 - 30, y + 3, 15, 15);
    }
    m_ComputerPanel->setGeometry(658, 54, 290, 406);
    m_ComputerLabel->setGeometry(0, 16, 290, 30);
    const QSize pc = sprites::kComputerPicture;
    m_ComputerPicture->setGeometry((290 - pc.width()) / 2, 70, pc.width(), pc.height());
    m_RestoreTargetPanel->setGeometry(658, 54, 290, 406);
    m_TargetDeviceLabel->setGeometry(0, 16, 290, 50);
    m_TargetPhone->setGeometry((290 - phone.width()) / 2, 58, phone.width(), phone.height() - 20);
    m_ClearCheck->setGeometry(10, 406 - 49, 15, 15);
    m_ClearLabel->setGeometry(30, 406 - 49 - 12, 260, 40);
    m_StartButton->setButtonGeometry(424, 412, 158, 44);
    m_BackButton->setButtonGeometry(30, 510, 116, 35);

    m_Timer1.setInterval(100);
    connect(m_BackButton, &MyPushButton::clicked, this, &SelectContentMGRWidget::back_home_signal);
    connect(m_StartButton, &MyPushButton::clicked, this,
            &SelectContentMGRWidget::backupStartButton_slots);
    connect(m_GetBackupDataThread.get(), &QThread::finished, this,
            &SelectContentMGRWidget::m_GetBackupDataThread_Finished);
    connect(m_GetBackupDataThread.get(), &tarvell::GetBackupDataThread::changeSMSShow, this,
            &SelectContentMGRWidget::m_GetBackupDataThread_ChangeSMSShow);
    connect(m_GetBackupDataThread.get(), &tarvell::GetBackupDataThread::changeSMSHide, this,
            &SelectContentMGRWidget::m_GetBackupDataThread_ChangeSMSHide);
    connect(&m_Timer1, &QTimer::timeout, this, &SelectContentMGRWidget::m_Timer1_slots);

    setDeviceConnected(false);
    setMode(0);
}

SelectContentMGRWidget::~SelectContentMGRWidget() {
    stopJob();
    delete m_CompleteDialog;
}

void SelectContentMGRWidget::setSprites(const QPixmap& mainSheet) {
    const sprites::States& back = sprites::kBackButton;
    m_BackButton->setSprite(mainSheet);
    m_BackButton->setStateRects(back.normal, back.hover, back.pressed, back.disabled);
    m_BackButton->repaintState();
    m_StartBackupSprite = mainSheet;
    m_StartRestoreSprite = mainSheet;
    setMode(m_Mode);
}

void SelectContentMGRWidget::setMode(int mode) {
    for (QWidget* panel : {m_BackupSourcePanel, m_RestoreListPanel, m_CentrePanel, m_ComputerPanel,
                           m_RestoreTargetPanel}) {
        panel->hide();
    }
    for (int k = 0; k < 7; ++k) {
        m_KindCheck[k]->setChecked(k != tarvell::Apps);
    }
    m_Mode = mode;
    const sprites::States& start =
        mode == 1 ? sprites::kStartRestoreButton : sprites::kStartBackupButton;
    const QPixmap& sheet = mode == 1 ? m_StartRestoreSprite : m_StartBackupSprite;
    if (!sheet.isNull()) {
        m_StartButton->setSprite(sheet);
        m_StartButton->setStateRects(start.normal, start.hover, start.pressed, start.disabled);
        m_StartButton->repaintState();
    }
    if (mode == 0) {
        m_TitleLabel->setText(tr("Select Content to Backup"));
        m_StartButton->setAccessibleName(tr("Start the backup"));
        m_BackupSourcePanel->show();
        m_CentrePanel->show();
        m_ComputerPanel->show();
    } else if (mode == 1) {
        m_TitleLabel->setText(tr("Select Content to Restore"));
        m_StartButton->setAccessibleName(tr("Start the restore"));
        fillRestoreList();
        m_RestoreListPanel->show();
        m_CentrePanel->show();
        m_RestoreTargetPanel->show();
    }
}

void SelectContentMGRWidget::setPhonePictures(bool connected) {
    const QPixmap picture = LoadArtwork(connected ? QStringLiteral(":/image/connectddevice.png")
                                                  : QStringLiteral(":/image/noconnectddevice.png"));
    m_SourcePhone->setPixmap(picture);
    m_TargetPhone->setPixmap(picture);
}

void SelectContentMGRWidget::setDeviceConnected(bool connected) {
    m_DeviceConnected = connected;
    m_ClearCheck->setVisible(connected);
    m_ClearLabel->setVisible(connected);
    setPhonePictures(connected);
    m_StartButton->setButtonEnabled(connected);
}

void SelectContentMGRWidget::updateDeviceLabel() {
    m_DeviceLabel = kit::deviceCalls().deviceLabel();
    m_SourceDeviceLabel->setText(m_DeviceLabel);
    // The restore target is the same phone: name it there too.
    m_TargetDeviceLabel->setText(m_DeviceLabel);
}

void SelectContentMGRWidget::onDeviceDisconnected() {
    m_GetBackupDataThread->requestCancel();
    m_BackupProgressWidget->hideSmsPrompt();
    m_BackupProgressWidget->hide();
    m_CompleteDialog->hide();
    if (m_Timer1.isActive()) {
        m_Timer1.stop();
    }
}

void SelectContentMGRWidget::stopJob() {
    m_Timer1.stop();
    if (m_GetBackupDataThread->isRunning()) {
        tarvell::UiLog("Stopping the running job.\n");
        tarvell::CancelJob(*m_GetBackupDataThread);
        m_GetBackupDataThread->wait();
    }
    m_BackupProgressWidget->hideSmsPrompt();
    m_BackupProgressWidget->hide();
    m_CompleteDialog->hide();
}

void SelectContentMGRWidget::loadCatalogue() {
    m_Catalogue.load();
}

void SelectContentMGRWidget::addCatalogueEntry(const QString& label, const QString& path) {
    m_Catalogue.add(label, path);
}

void SelectContentMGRWidget::saveCatalogue() {
    if (!m_Catalogue.save()) {
        tarvell::UiLog("Cannot write the backup catalogue %s.\n",
                       qUtf8Printable(tarvell::CatalogPath()));
    }
}

void SelectContentMGRWidget::fillRestoreList() {
    loadCatalogue();
    m_RestoreList->clearItems();
    for (int i = 0; i < m_Catalogue.size(); ++i) {
        const tarvell::CatalogueLabelParts parts =
            tarvell::SplitCatalogueLabel(m_Catalogue.labels().at(i));
        m_RestoreList->addItem(parts.device, parts.time, m_Catalogue.paths().at(i));
    }
}

void SelectContentMGRWidget::backupStartButton_slots() {
    tarvell::GetBackupDataThread& job = *m_GetBackupDataThread;
    job.requestCancel(); // a job still running from before is asked to stop

    QString outputFolder;
    if (m_Mode == 0) {
        outputFolder =
            AskExistingFolder(this, tr("Select Output Folder"), tarvell::DefaultOutputFolder());
        if (outputFolder.isEmpty()) {
            return;
        }
        tarvell::SaveOutputFolder(outputFolder);
    }
    // The job fields are written only while the thread is not running.
    tarvell::StopRunningJob(job);

    bool selected[tarvell::kContentKindCount];
    for (int k = 0; k < tarvell::kContentKindCount; ++k) {
        selected[k] = m_KindCheck[k]->isChecked();
    }
    tarvell::Session& session = tarvell::ProgramSession();
    if (m_Mode == 0) {
        QString error;
        if (!session.setUpBackup(job, selected, outputFolder, m_DeviceLabel, &error)) {
            tarvell::UiLog("No backup started: %s.\n", qUtf8Printable(error));
            showError(tr("The backup folder could not be created in %1. Please choose another "
                         "folder.")
                          .arg(outputFolder));
            return;
        }
    } else {
        session.setUpRestore(job, selected, m_RestoreList->checkedPaths(),
                             m_ClearCheck->isChecked());
    }
    m_BackupProgressWidget->setBackupMode(m_Mode == 0);
    job.start();
    m_Timer1.start(100);
    showProgress();
}

void SelectContentMGRWidget::showProgress() {
    ++m_BlockCount;
    m_BackButton->setButtonEnabled(false);
    CentreOnMainWindow(m_BackupProgressWidget, kProgressDialogWidth, kProgressDialogHeight);
    m_BackupProgressWidget->layout(m_BackupProgressWidget->x(), m_BackupProgressWidget->y(),
                                   kProgressDialogWidth, kProgressDialogHeight);
    m_BackupProgressWidget->raise();
    // The job's finished() is queued, so it arrives inside this loop even
    // when the job is already over.
    m_BackupProgressWidget->exec();
    if (--m_BlockCount == 0) {
        m_BackButton->setButtonEnabled(true);
    }
}

void SelectContentMGRWidget::m_GetBackupDataThread_Finished() {
    const tarvell::Session::Outcome outcome =
        tarvell::ProgramSession().finishJob(*m_GetBackupDataThread, m_Mode == 0);
    if (!outcome.cancelled) {
        m_BackupProgressWidget->refresh();
        QStringList detail = outcome.notes;
        if (!outcome.failures.isEmpty()) {
            detail.prepend(outcome.failures);
        }
        // A backup says what it took from the last one, a restore what the
        // phone held already; each job has only its own.
        showCompletion(detail.join(u'\n'), m_Mode == 0 ? outcome.unchangedBrief : outcome.skipped);
    }
    m_BackupProgressWidget->hideSmsPrompt();
    m_BackupProgressWidget->hide();
    if (m_Timer1.isActive()) {
        m_Timer1.stop();
    }
    fillRestoreList();
}

void SelectContentMGRWidget::showCompletion(const QString& failures, const QString& note) {
    m_CompleteDialog->setMessage(m_Mode, failures, note);
    CentreOnMainWindow(m_CompleteDialog, kCompleteDialogWidth, kCompleteDialogHeight);
    m_CompleteDialog->layout(m_CompleteDialog->x(), m_CompleteDialog->y(), kCompleteDialogWidth,
                             kCompleteDialogHeight);
    m_CompleteDialog->run();
    if (m_Mode == 0 && m_CompleteDialog->m_Accepted == 1) {
        OpenFolderInExplorer(m_GetBackupDataThread->outputFolder());
    }
}

void SelectContentMGRWidget::showError(const QString& text) {
    m_CompleteDialog->setError(text);
    CentreOnMainWindow(m_CompleteDialog, kCompleteDialogWidth, kCompleteDialogHeight);
    m_CompleteDialog->layout(m_CompleteDialog->x(), m_CompleteDialog->y(), kCompleteDialogWidth,
                             kCompleteDialogHeight);
    m_CompleteDialog->run();
}

void SelectContentMGRWidget::m_GetBackupDataThread_ChangeSMSShow() {
    m_BackupProgressWidget->showSmsPrompt();
}

void SelectContentMGRWidget::m_GetBackupDataThread_ChangeSMSHide() {
    m_BackupProgressWidget->hideSmsPrompt();
}

void SelectContentMGRWidget::authorization_show_slots() {
    ++m_BlockCount;
    m_BackButton->setButtonEnabled(false);
}

void SelectContentMGRWidget::authorization_hide_slots() {
    if (m_BlockCount > 0 && --m_BlockCount == 0) {
        m_BackButton->setButtonEnabled(true);
    }
}

void SelectContentMGRWidget::m_Timer1_slots() {
    m_BackupProgressWidget->refresh();
}
