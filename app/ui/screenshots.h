// Shared pieces of the screenshot tool.
#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>

class QWidget;
class TarvellMainWidget;

// Saves a shot as <dir>/<name> and prints its path.
bool SaveShot(const QPixmap& pix, const QDir& dir, const char* name);
// The window with a dialog drawn where it shows: child panels are in the
// window already; a separate window is painted in at its place.
QPixmap WithDialog(QWidget& window, QWidget* dialog);
// The window with its menu open on the first entry.
QPixmap GrabWithMenu(TarvellMainWidget& window);
// The program run on the simulated phone in PHONESIM_HOME; phonesim is the
// simulated phone's command, used to pull the cable and set faults.
int PhoneTour(const QDir& dir, const QString& phonesim);
