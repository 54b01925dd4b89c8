// The screenshot tour on a simulated phone: the program runs with the real
// device library against the phone in PHONESIM_HOME (shown on USB through
// umockdev), and each screen is saved when the flow reaches it: the phone
// prepared on the home page, the connection screen with the cable out, the
// authorisation dialog, a backup with its progress and completion, a restore
// with the messaging-app countdown, and a cancelled backup.
#include "screenshots.h"

#include "AutorizationWidget.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "DeviceThreads.h"
#include "DevicesConnectWidget.h"
#include "FolderDialog.h"
#include "MyListWidget.h"
#include "MyPushButton.h"
#include "SelectContentMGRWidget.h"
#include "TarvellMainWidget.h"
#include "backupyourPhoneWidget.h"
#include "jobthread.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Steps run one after the other: each waits until its condition holds, then
// runs its action. The next step is armed before the action runs, because an
// action may open a modal loop (a job, a dialog) that the next steps act in.
class Tour {
public:
    struct Step {
        const char* name;
        std::function<bool()> ready;
        std::function<void()> action;
    };

    void add(const char* name, std::function<bool()> ready, std::function<void()> action) {
        m_Steps.push_back({name, std::move(ready), std::move(action)});
    }
    void start() { arm(); }
    bool failed() const { return m_Failed; }

private:
    void arm() {
        if (m_Next == m_Steps.size()) {
            QApplication::exit(m_Failed ? 1 : 0);
            return;
        }
        auto* timer = new QTimer(qApp);
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, clock] {
            const Step& step = m_Steps[m_Next];
            if (step.ready()) {
                timer->stop();
                timer->deleteLater();
                ++m_Next;
                arm();
                std::printf("step: %s\n", step.name);
                step.action();
            } else if (clock->elapsed() > kStepTimeoutMs) {
                timer->stop();
                timer->deleteLater();
                std::fprintf(stderr, "the tour did not reach \"%s\" within %d s\n", step.name,
                             kStepTimeoutMs / 1000);
                m_Failed = true;
                QApplication::exit(1);
            }
        });
        timer->start();
    }

    static constexpr int kStepTimeoutMs = 120000;
    std::vector<Step> m_Steps;
    size_t m_Next = 0;
    bool m_Failed = false;
};

int NoCable() {
    return 0;
}

} // namespace

int PhoneTour(const QDir& dir, const QString& phonesim) {
    const QString phone = qEnvironmentVariable("PHONESIM_HOME");
    if (phone.isEmpty()) {
        std::fprintf(stderr, "PHONESIM_HOME must name the simulated phone's folder\n");
        return 2;
    }
    bool ok = true;
    auto sim = [&](const QStringList& args) {
        QStringList all = args;
        all.insert(1, phone);
        if (QProcess::execute(phonesim, all) != 0) {
            std::fprintf(stderr, "phonesim %s failed\n", qPrintable(all.join(QLatin1Char(' '))));
            ok = false;
        }
    };
    auto save = [&](const QPixmap& pix, const char* name) { ok &= SaveShot(pix, dir, name); };

    TarvellMainWidget window;
    DevicesConnectWidget* connect = window.flowWidget()->connectScreen();
    SelectContentMGRWidget* content = window.flowWidget()->contentScreen();
    BackupProgressWidget* progress = content->progressDialog();
    CompleteDialog* box = content->completeDialog();
    CompleteDialog* prompt = progress->completeDialog();
    tarvell::GetBackupDataThread& job = content->job();
    const kit::DeviceCalls realCalls = kit::deviceCalls();
    const QString backups = dir.filePath(QStringLiteral("backups"));
    dir.mkpath(QStringLiteral("backups"));
    auto selectKinds = [&](std::initializer_list<int> kinds) {
        for (int k = 0; k < 7; ++k) {
            content->kindCheckBox(k)->setChecked(false);
        }
        for (int k : kinds) {
            content->kindCheckBox(k)->setChecked(true);
        }
    };
    auto jobDone = [&] { return !progress->isVisible() && !job.isRunning(); };

    Tour tour;
    tour.add(
        "phone prepared on the home page",
        [&] { return connect->m_DeviceReady && window.homePage()->isVisible(); },
        [&] {
            save(window.grab(), "home.png");
            save(GrabWithMenu(window), "menu.png");
            // The cable comes out: adb and USB both lose the phone.
            sim({QStringLiteral("unplug")});
            kit::deviceCalls().countDevices = &NoCable;
            connect->countThread()->pollNow();
        });
    tour.add(
        "phone gone", [&] { return !connect->m_DeviceReady; },
        [&] {
            window.backupyouPhone_slots();
            QApplication::processEvents();
            save(window.grab(), "connection.png");
            // Plugged in again, debugging not yet allowed on the phone.
            sim({QStringLiteral("fault"), QStringLiteral("state"), QStringLiteral("unauthorized")});
            sim({QStringLiteral("plug")});
            kit::deviceCalls() = realCalls;
            connect->countThread()->pollNow();
        });
    tour.add(
        "authorisation dialog", [&] { return connect->authorizationDialog()->isVisible(); },
        [&] {
            save(WithDialog(window, connect->authorizationDialog()), "authorization.png");
            sim({QStringLiteral("fault"), QStringLiteral("state"), QStringLiteral("device")});
        });
    tour.add(
        "content screen for a backup",
        [&] {
            return connect->m_DeviceReady && content->isVisible() &&
                   !connect->authorizationDialog()->isVisible();
        },
        [&] {
            selectKinds({tarvell::Contacts, tarvell::SMS, tarvell::CallHistory, tarvell::Photos,
                         tarvell::Musics, tarvell::Videos});
            QApplication::processEvents();
            save(window.grab(), "content-backup.png");
            // Slowed down so that the progress can be seen mid-way.
            sim({QStringLiteral("fault"), QStringLiteral("companion_delay_ms"),
                 QStringLiteral("15")});
            SetNextFolderAnswer(backups);
            content->backupStartButton_slots();
        });
    tour.add(
        "backup progress at the photos",
        [&] { return progress->isVisible() && job.currentStep() >= 3; },
        [&] { save(window.grab(), "progress.png"); });
    tour.add(
        "backup completed",
        [&] { return box->isVisible() && box->m_Kind == CompleteDialog::BackupCompleted; },
        [&] {
            sim({QStringLiteral("fault"), QStringLiteral("companion_delay_ms"),
                 QStringLiteral("off")});
            save(WithDialog(window, box), "completion.png");
            box->cancel_Button_slots(); // do not open the folder
        });
    tour.add("backup finished", jobDone, [&] {
        window.show_home_Widget_slots();
        window.dataRecovery_frombackup_slots();
    });
    tour.add(
        "content screen for a restore",
        [&] {
            return content->isVisible() && connect->m_DeviceReady &&
                   !content->restoreList()->items().isEmpty();
        },
        [&] {
            content->restoreList()->items()[0]->checkBox()->setChecked(true);
            selectKinds({tarvell::SMS});
            QApplication::processEvents();
            save(window.grab(), "content-restore.png");
            // The phone asks its user to switch messaging apps; yes comes late.
            sim({QStringLiteral("fault"), QStringLiteral("default_sms_accept_after"),
                 QStringLiteral("4")});
            content->backupStartButton_slots();
        });
    tour.add(
        "messaging-app countdown",
        [&] { return prompt->isVisible() && prompt->m_Kind == CompleteDialog::SmsCountdown; },
        [&] { save(WithDialog(window, prompt), "countdown.png"); });
    tour.add(
        "restore completed",
        [&] { return box->isVisible() && box->m_Kind == CompleteDialog::RestoreCompleted; },
        [&] {
            sim({QStringLiteral("fault"), QStringLiteral("default_sms_accept_after"),
                 QStringLiteral("off")});
            save(WithDialog(window, box), "completion-restore.png");
            box->ok_Button_slots();
        });
    tour.add("restore finished", jobDone, [&] {
        window.show_home_Widget_slots();
        window.backupyouPhone_slots();
    });
    tour.add(
        "content screen for a backup to cancel",
        [&] { return content->isVisible() && connect->m_DeviceReady; },
        [&] {
            selectKinds({tarvell::Contacts, tarvell::SMS, tarvell::CallHistory, tarvell::Photos});
            sim({QStringLiteral("fault"), QStringLiteral("companion_delay_ms"),
                 QStringLiteral("15")});
            SetNextFolderAnswer(backups);
            content->backupStartButton_slots();
        });
    tour.add(
        "backup under way", [&] { return progress->isVisible() && job.currentStep() >= 1; },
        [&] { emit progress->cancelButton()->clicked(); });
    tour.add(
        "cancel question",
        [&] { return prompt->isVisible() && prompt->m_Kind == CompleteDialog::CancelBackup; },
        [&] {
            save(WithDialog(window, prompt), "cancel.png");
            prompt->ok_Button_slots();
        });
    tour.add("cancelled backup finished", jobDone, [&] {
        sim({QStringLiteral("fault"), QStringLiteral("companion_delay_ms"), QStringLiteral("off")});
    });

    window.show();
    tour.start();
    const int status = QApplication::exec();
    return status == 0 && ok && !tour.failed() ? 0 : 1;
}
