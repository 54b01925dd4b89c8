#include "naming.h"

#include "safenames.h"
#include "valuetext.h"

#include <QFileInfo>
#include <algorithm>

namespace tarvell {

QString DeviceLabel(const DeviceInfoRecord& info) {
    QByteArray label = CutAtLineEnd(FixedText(info.model));
    if (label.isEmpty()) {
        label = CutAtLineEnd(FixedText(info.manufacturer));
    }
    if (label.isEmpty()) {
        label = CutAtLineEnd(FixedText(info.serial));
    }
    return QString::fromUtf8(label);
}

QString BackupFolderName(const QString& deviceLabel, const QDateTime& when) {
    return SafeFileName(deviceLabel) + u'-' + when.toString(QStringLiteral("MM-dd-yyyy-HH-mm-ss"));
}

QString BackupFolderPath(const QString& outputFolder, const QString& folderName) {
    QString path = outputFolder + u'/' + folderName;
    path.replace(u'\\', u'/');
    return path;
}

QString CatalogueLabel(const QDateTime& when, const QString& deviceLabel) {
    return when.toString(QLatin1String(kCatalogueDateFormat)) + u'-' + deviceLabel;
}

CatalogueLabelParts SplitCatalogueLabel(const QString& label) {
    return {label.left(23), label.mid(24)};
}

QString MediaLocalName(int32_t id, const QByteArray& phonePath) {
    const QString fileName = QFileInfo(QString::fromUtf8(phonePath)).fileName();
    return QString::number(id) + u'-' + SafeFileName(fileName);
}

QString AppLocalName(const QByteArray& packageName) {
    return SafeFileName(QString::fromUtf8(packageName)) + QStringLiteral("-1.apk");
}

std::optional<QString> PhoneNameOf(const QString& filename) {
    const qsizetype dash = filename.indexOf(u'-');
    if (dash < 0) {
        return std::nullopt;
    }
    return filename.mid(dash + 1);
}

QString RelativeAge(const QString& dateText) {
    return RelativeAge(dateText, QDateTime::currentDateTime());
}

QString RelativeAge(const QString& dateText, const QDateTime& now) {
    const QDateTime then = QDateTime::fromString(dateText, QLatin1String(kCatalogueDateFormat));
    if (!then.isValid() || !now.isValid()) {
        return {};
    }
    // Whole seconds as the clock counts them; a date in the future (a clock
    // set back, a catalogue from another machine) counts as just now.
    const qint64 s = std::max<qint64>(now.toSecsSinceEpoch() - then.toSecsSinceEpoch(), 0);
    if (s >= 86400) {
        return QString::number(s / 86400) + QStringLiteral(" days ago");
    }
    if (s >= 3600) {
        return QString::number(s / 3600) + QStringLiteral(" hours ago");
    }
    if (s >= 60) {
        return QString::number(s / 60) + QStringLiteral(" mins ago");
    }
    return QString::number(s) + QStringLiteral(" seconds ago");
}

} // namespace tarvell
