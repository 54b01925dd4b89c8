// Every text of every screen and dialog, in backup and in restore, has the
// room it needs: no label, check box or button is narrower than its text or
// too low for its lines, cut by the panel it sits in, or shown elided.
#include "AutorizationWidget.h"
#include "BackupProgressWidget.h"
#include "CompleteDialog.h"
#include "DeviceCalls.h"
#include "DevicesConnectWidget.h"
#include "KitLifecycle.h"
#include "MyListWidget.h"
#include "SelectContentMGRWidget.h"
#include "TarvellMainWidget.h"
#include "backupyourPhoneWidget.h"
#include "catalogue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A long but ordinary phone name.
QString PhoneName() {
    return QStringLiteral("Galaxy S23 Ultra");
}

QString Describe(const QWidget* w, const QString& text) {
    QString shown = text;
    shown.replace(u'\n', QStringLiteral("\\n"));
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(w->metaObject()->className()), shown);
}

// The part of w's rectangle that its ancestors up to root leave visible, in
// w's coordinates.
QRect VisiblePart(const QWidget* w, const QWidget* root) {
    QRect visible = w->rect();
    QPoint offset;
    for (const QWidget* child = w; child != root && child->parentWidget() != nullptr;
         child = child->parentWidget()) {
        offset += child->pos();
        visible &= child->parentWidget()->rect().translated(-offset);
    }
    return visible;
}

// The texts under root (shown ones only) that need more room than they get.
QStringList CutTexts(QWidget* root) {
    QStringList cut;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(root) && w != root) {
            continue;
        }
        QString text;
        QSize need;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
            need = label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width()))
                                     : label->sizeHint();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            need = button->sizeHint();
        }
        if (text.trimmed().isEmpty()) {
            continue;
        }
        if (text.contains(QChar(0x2026))) {
            cut << Describe(w, text) + QStringLiteral(": elided");
            continue;
        }
        // A line box a few pixels lower than the font's line spacing loses
        // only empty space; half a line less loses text.
        const QRect room = VisiblePart(w, root);
        const int slack = w->fontMetrics().height() / 2;
        if (need.width() > room.width() || need.height() > room.height() + slack) {
            cut << Describe(w, text) + QStringLiteral(": needs %1x%2, has %3x%4 of %5x%6")
                                           .arg(need.width())
                                           .arg(need.height())
                                           .arg(room.width())
                                           .arg(room.height())
                                           .arg(w->width())
                                           .arg(w->height());
        }
    }
    return cut;
}

} // namespace

class TextFitsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyScreenAndDialog();

private:
    QTemporaryDir m_tmp;
};

void TextFitsTest::initTestCase() {
    QVERIFY(m_tmp.isValid());
    qputenv("HOME", m_tmp.filePath(QStringLiteral("home")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    kit::lifecycle() = kit::withoutLibrary();
    kit::deviceCalls() = kit::noPhoneCalls(&PhoneName);
    // One earlier backup for the restore list.
    const QString backup = m_tmp.filePath(QStringLiteral("Galaxy S23 Ultra-03-09-2024-18-05-00"));
    QVERIFY(QDir().mkpath(backup + QStringLiteral("/Datajs")));
    QFile js(backup + QStringLiteral("/Datajs/Contacts.js"));
    QVERIFY(js.open(QIODevice::WriteOnly));
    js.write("var Conten2={};");
    js.close();
    QFile index(backup + QStringLiteral("/index.html"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.close();
    tarvell::Catalogue catalogue;
    catalogue.load();
    catalogue.add(QStringLiteral("09.03.2024 18:05:00.000-Galaxy S23 Ultra"), backup);
    QVERIFY(catalogue.save());
}

void TextFitsTest::everyScreenAndDialog() {
    TarvellMainWidget window;
    window.show();
    QApplication::processEvents();
    QStringList cut;
    const auto check = [&cut](const QString& where, QWidget* root) {
        QApplication::processEvents();
        for (const QString& c : CutTexts(root)) {
            cut << where + QStringLiteral(": ") + c;
        }
    };
    check(QStringLiteral("home"), &window);

    window.backupyouPhone_slots();
    check(QStringLiteral("connection"), &window);
    DevicesConnectWidget* connect = window.flowWidget()->connectScreen();
    AutorizationWidget* auth = connect->authorizationDialog();
    auth->layout((window.width() - 780) / 2, (window.height() - 460) / 2, 780, 460);
    auth->show();
    check(QStringLiteral("authorisation"), auth);
    auth->hide();
    connect->hide();

    SelectContentMGRWidget* content = window.flowWidget()->contentScreen();
    content->updateDeviceLabel();
    content->show();
    BackupProgressWidget* progress = content->progressDialog();
    const char* const modes[] = {"backup", "restore"};
    for (int mode = 0; mode < 2; ++mode) {
        const QString where = QLatin1String(modes[mode]);
        for (bool connected : {false, true}) {
            content->setMode(mode);
            content->setDeviceConnected(connected);
            if (mode == 1) {
                QCOMPARE(content->restoreList()->visibleCount(), 1);
            }
            check(where + (connected ? QStringLiteral(" content")
                                     : QStringLiteral(" content, no phone")),
                  &window);
        }

        // The progress rows with the longest counts a phone gives.
        progress->setBackupMode(mode == 0);
        progress->layout((window.width() - kProgressDialogWidth) / 2,
                         (window.height() - kProgressDialogHeight) / 2, kProgressDialogWidth,
                         kProgressDialogHeight);
        const char* const kinds[] = {"Contacts", "Text Messages", "Call Logs", "Photos",
                                     "Videos",   "Musics",        "Apps"};
        for (int r = 0; r < 7; ++r) {
            progress->rowName(r)->setText(
                QStringLiteral("%1(99999 of 99999)").arg(QLatin1String(kinds[r])));
            progress->rowStatus(r)->setText(r < 3 ? tr("Success") : tr("Waiting"));
        }
        progress->show();
        check(where + QStringLiteral(" progress"), progress);

        // Every question and message, in the box over the progress dialog
        // and in the screen's own box.
        for (CompleteDialog* box : {progress->completeDialog(), content->completeDialog()}) {
            const auto shown = [&](const QString& what) {
                box->layout(0, 0, kCompleteDialogWidth, kCompleteDialogHeight);
                box->show();
                check(where + QStringLiteral(" box, ") + what, box);
                box->hide();
            };
            box->setMessage(CompleteDialog::SmsCountdown);
            box->updateCountdown(60);
            shown(QStringLiteral("countdown"));
            box->setMessage(mode == 0 ? CompleteDialog::CancelBackup
                                      : CompleteDialog::CancelRestore);
            shown(QStringLiteral("cancel"));
            box->setMessage(mode == 0 ? CompleteDialog::BackupCompleted
                                      : CompleteDialog::RestoreCompleted,
                            QStringLiteral("12 items could not be copied (2 Photos, 3 Videos, 3 "
                                           "Musics, 4 Apps); see tarvellui.log."));
            shown(QStringLiteral("completed with failures"));
            // The longest failure sentence beside the note of each mode.
            const QString note =
                mode == 0 ? QStringLiteral("12345 of 12456 files unchanged since the last backup.")
                          : QStringLiteral("70000 already on the phone (10000 Contacts, 50000 "
                                           "Text Messages, 10000 Call Logs).");
            for (const QString& detail :
                 {QString(), QStringLiteral("12 items could not be copied (2 Photos, 3 Videos, 3 "
                                            "Musics, 4 Apps); see tarvellui.log.")}) {
                box->setMessage(mode == 0 ? CompleteDialog::BackupCompleted
                                          : CompleteDialog::RestoreCompleted,
                                detail, note);
                shown(QStringLiteral("completed with a note"));
            }
            box->setMessage(CompleteDialog::PrintCompleted);
            shown(QStringLiteral("printed"));
            box->setError(tr("The backup folder could not be created in %1. Please choose "
                             "another folder.")
                              .arg(QStringLiteral("/home/someone/Documents/Tarvell")));
            shown(QStringLiteral("error"));
        }
        progress->hide();
    }
    for (const QString& c : cut) {
        qWarning("%s", qPrintable(c));
    }
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("%1 texts do not fit").arg(cut.size())));
}

QTEST_MAIN(TextFitsTest)
#include "tst_textfits.moc"
