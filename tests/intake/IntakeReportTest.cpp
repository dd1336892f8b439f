#include "intake/IntakeReport.h"
#include "platform/Errors.h"
#include "testsupport/FailDevice.h"
#include "testsupport/TempHome.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QList<ReportRow> sampleRows{
    {ReportRow::Double, "Rez Vuvevo", "Jamming", "C:\\m\\j.mp3"},
    {ReportRow::Recognized, "Unknown", "Track05", "/music/Track05.mp3"},
    {ReportRow::Bad, "", "", "/music/broken.mp3"},
    {ReportRow::Recognized, "Ünïcode", "Ça va", "/music/Ünïcode - Ça va.mp3"},
};

TEST(IntakeReportTest, LinesCarryThePrefixOfTheirPicture)
{
    QStringList lines;
    for (const ReportRow& row : sampleRows)
        lines << IntakeReport::reportLine(row);
    EXPECT_EQ(lines, (QStringList{
                         "::DOUBLE FILE >>Rez Vuvevo - Jamming, C:\\m\\j.mp3",
                         "::AI RECOGNIZED >>Unknown - Track05, /music/Track05.mp3",
                         "::BAD FILE!!! >> - , /music/broken.mp3",
                         "::AI RECOGNIZED >>Ünïcode - Ça va, /music/Ünïcode - Ça va.mp3",
                     }));
}

TEST(IntakeReportTest, SavedFileHasOneCrLfLinePerRowAndReplacesTheOldOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    IntakeReport::saveReport(path, sampleRows);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        saved.readAll(),
        QByteArray("::DOUBLE FILE >>Rez Vuvevo - Jamming, C:\\m\\j.mp3\r\n"
                   "::AI RECOGNIZED >>Unknown - Track05, /music/Track05.mp3\r\n"
                   "::BAD FILE!!! >> - , /music/broken.mp3\r\n") +
            QStringLiteral("::AI RECOGNIZED >>Ünïcode - Ça va, /music/Ünïcode - Ça va.mp3\r\n")
                .toUtf8());

    // A run without rows saves an empty file.
    IntakeReport::saveReport(path, {});
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(IntakeReportTest, WriteFailureIsAnError)
{
    FailDevice device;
    device.setWriteLimit(10);
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    EXPECT_THROW(IntakeReport::writeReport(device, sampleRows), EInOutError);

    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/report.txt"));
    EXPECT_THROW(IntakeReport::saveReport(missingFolder, sampleRows), EInOutError);
}

} // namespace
