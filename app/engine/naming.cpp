#include "naming.h"

#include "safenames.h"
#include "valuetext.h"

#include <QFileInfo>

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
    return when.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz")) + u'-' + deviceLabel;
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

} // namespace tarvell
