#include "db/TrackLength.h"

#include "platform/Errors.h"

namespace TrackLength {

QString fromMilliseconds(qint64 milliseconds)
{
    // Division truncates toward zero, so lengths under half a second give 0 seconds, and the
    // parts are clamped at 0 rather than going negative.
    qint64 seconds = (milliseconds - 500) / 1000;
    qint64 minutes = seconds / 60;
    seconds %= 60;
    qint64 hours = minutes / 60;
    minutes %= 60;
    hours = std::max<qint64>(hours, 0);
    minutes = std::max<qint64>(minutes, 0);
    seconds = std::max<qint64>(seconds, 0);
    if (hours >= 24)
        throw EConvertError(
            QStringLiteral("A play length of %1 ms is 24 hours or more and has no track length")
                .arg(milliseconds));
    return QStringLiteral("%1:%2:%3")
        .arg(hours)
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

} // namespace TrackLength
