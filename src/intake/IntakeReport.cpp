#include "intake/IntakeReport.h"

#include "platform/Errors.h"

#include <QIODevice>
#include <QSaveFile>

namespace IntakeReport {

QString prefix(ReportRow::Picture picture)
{
    switch (picture) {
    case ReportRow::Double:
        return QStringLiteral("::DOUBLE FILE >>");
    case ReportRow::Recognized:
        return QStringLiteral("::AI RECOGNIZED >>");
    case ReportRow::Bad:
        return QStringLiteral("::BAD FILE!!! >>");
    case ReportRow::Moved:
        return QStringLiteral("::MOVED FILE >>");
    }
    return QString();
}

QString reportLine(const ReportRow& row)
{
    const QString& title = row.title.isEmpty() ? row.reason : row.title;
    return prefix(row.picture) + row.artist + QLatin1String(" - ") + title + QLatin1String(", ") +
           row.fileName;
}

void writeReport(QIODevice& device, const QList<ReportRow>& rows)
{
    QByteArray bytes;
    for (const ReportRow& row : rows)
        bytes += reportLine(row).toUtf8() + "\r\n";
    if (device.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Cannot write the report: %1").arg(device.errorString()));
}

void saveReport(const QString& path, const QList<ReportRow>& rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot write the report to %1: %2").arg(path, file.errorString()));
    writeReport(file, rows);
    if (!file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write the report to %1: %2").arg(path, file.errorString()));
}

} // namespace IntakeReport
