// The addresses of the program's web pages, all in one place. The pages are
// local HTML files in the "help" folder of the program folder, so Help,
// Support, About and the how-to link work without a network.
#pragma once

#include <QString>
#include <QUrl>

namespace webpages {

// File names inside <program folder>/help.
inline constexpr char kFolder[] = "help";
inline constexpr char kUserGuide[] = "guide.html";
inline constexpr char kProductPage[] = "about.html";
inline constexpr char kDataRecovery[] = "recovery.html";
inline constexpr char kUsbDebuggingHowTo[] = "usb-debugging.html";

// Address of one page under `programFolder`.
QUrl PageUrl(const QString& programFolder, const char* fileName);

// The four pages of the running program.
QUrl UserGuide();
QUrl ProductPage();
QUrl DataRecovery();
QUrl UsbDebuggingHowTo();

} // namespace webpages
