#include "RelativeAge.h"

QString RelativeAge(const QString& dateText) {
    return RelativeAge(dateText, QDateTime::currentDateTime());
}

QString RelativeAge(const QString& dateText, const QDateTime& now) {
    const QDateTime then =
        QDateTime::fromString(dateText, QString::fromLatin1(kCatalogueDateFormat));
    if (!then.isValid() || !now.isValid()) {
        return {};
    }
    // Whole seconds as the clock counts them; a date in the future (a clock
    // set back, a catalogue from another machine) counts as just now.
    qint64 s = now.toSecsSinceEpoch() - then.toSecsSinceEpoch();
    if (s < 0) {
        s = 0;
    }
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
