#include "WebPages.h"

#include "appsupport.h"

#include <QDir>

namespace webpages {

QUrl PageUrl(const QString& programFolder, const char* fileName) {
    const QString path = QDir(programFolder)
                             .filePath(QString::fromLatin1(kFolder) + QLatin1Char('/') +
                                       QString::fromLatin1(fileName));
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}

namespace {
QUrl Page(const char* fileName) {
    return PageUrl(tarvell::ApplicationDirectory(), fileName);
}
} // namespace

QUrl UserGuide() {
    return Page(kUserGuide);
}

QUrl ProductPage() {
    return Page(kProductPage);
}

QUrl DataRecovery() {
    return Page(kDataRecovery);
}

QUrl UsbDebuggingHowTo() {
    return Page(kUsbDebuggingHowTo);
}

} // namespace webpages
