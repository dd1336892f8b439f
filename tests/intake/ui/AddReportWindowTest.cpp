#include "intake/ui/AddReportWindow.h"

#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"
#include "ui/Icons.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

IntakeResult sampleResult()
{
    IntakeResult result;
    result.rows = {
        {ReportRow::Double, QStringLiteral("Rez Vuvevo"), QStringLiteral("Jamming"),
         QStringLiteral("/m/j.mp3")},
        {ReportRow::Recognized, QStringLiteral("Unknown"), QStringLiteral("Track05"),
         QStringLiteral("/m/Track05.mp3")},
        {ReportRow::Bad, QString(), QString(), QStringLiteral("/m/broken.mp3")},
    };
    result.figures = IntakeFigures{7, 1, 1, 9, 0, 1};
    result.inserted = {QStringLiteral("/m/Track05.mp3"), QStringLiteral("/m/|1quoted.mp3")};
    return result;
}

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class AddReportWindowTest : public ::testing::Test
{
protected:
    AddReportWindowTest()
    {
        report.setShowsModally(false);
        report.setFileOpener([this](const QString& path) {
            opened << path;
            return opens;
        });
    }

    template <typename T> T* find(const char* name)
    {
        T* widget = report.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString figure(const char* name) { return find<QLabel>(name)->text(); }
    QTreeWidget* list() { return find<QTreeWidget>("ListView1"); }
    QString fileNameBox() { return find<QLineEdit>("Edit1")->text(); }
    QStringList labelTexts()
    {
        QStringList result;
        for (const QLabel* label : report.findChildren<QLabel*>())
            result << label->text();
        return result;
    }

    ScriptedDialogs dialogs;
    AddReportWindow report{dialogs};
    QStringList opened;
    bool opens = true; // whether the desktop has a program for the saved report
};

TEST_F(AddReportWindowTest, HasItsCaptionsFiguresAndLegend)
{
    EXPECT_EQ(report.objectName(), "Form6");
    EXPECT_EQ(report.windowTitle(), "Add files to database");
    EXPECT_EQ(find<QGroupBox>("GroupBox1")->title(), " Statistics ");
    EXPECT_EQ(find<QGroupBox>("GroupBox2")->title(), " Report  ");
    const QStringList labels = labelTexts();
    for (const char* text :
         {"Files added:", "Double files:", "Other excluded files:", "Total files:",
          "Artificial intelligence full recognitions:",
          "Artificial intelligence partial recognitions:",
          "Current Artificial Intelligence Tag Reader module is version 0.99 experimental.",
          "File is double and has been excluded",
          "File has been Artificially Recognized and has been added",
          "File is corrupted or is not an MP3 file and has been excluded.", "Filename:"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    for (const char* name : {"AddedFigure", "DoublesFigure", "BadFigure", "TotalFigure",
                             "FullFigure", "PartialFigure"})
        EXPECT_EQ(figure(name), "0") << name;

    QTreeWidgetItem* header = list()->headerItem();
    EXPECT_EQ(header->text(0), "Artist");
    EXPECT_EQ(header->text(1), "Title");
    EXPECT_EQ(header->text(2), "Filename");
    EXPECT_EQ(list()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(find<QLineEdit>("Edit1")->isReadOnly());
    EXPECT_EQ(find<QCheckBox>("CheckBox1")->text(), "Make a user list of added items");
    EXPECT_FALSE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(find<QPushButton>("Button1")->text(), "Save report");
    EXPECT_EQ(find<QPushButton>("Button2")->text(), "Close");
}

TEST_F(AddReportWindowTest, ShowsRowsInOrderWithTheirPicturesAndTheFigures)
{
    IntakeResult result = sampleResult();
    result.rows[0].artist = QString(60, u'A');
    result.rows[0].title = QString(60, u'T');
    report.showResult(result);

    ASSERT_EQ(list()->topLevelItemCount(), 3);
    const Icons::Id pictures[] = {Icons::Id::ReportDouble, Icons::Id::ReportRecognized,
                                  Icons::Id::ReportBad};
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* item = list()->topLevelItem(i);
        EXPECT_EQ(item->text(0), result.rows.at(i).artist) << i;
        EXPECT_EQ(item->text(1), result.rows.at(i).title) << i;
        EXPECT_EQ(item->text(2), result.rows.at(i).fileName) << i;
        EXPECT_EQ(imageOf(item->icon(0)), imageOf(Icons::get(pictures[i]))) << i;
    }
    EXPECT_NE(imageOf(Icons::get(pictures[0])), imageOf(Icons::get(pictures[2])));
    // Long artists and titles do not push the file names out of sight.
    EXPECT_LE(list()->columnWidth(0), 150);
    EXPECT_LE(list()->columnWidth(1), 150);

    EXPECT_EQ(figure("AddedFigure"), "7");
    EXPECT_EQ(figure("DoublesFigure"), "1");
    EXPECT_EQ(figure("BadFigure"), "1");
    EXPECT_EQ(figure("TotalFigure"), "9");
    EXPECT_EQ(figure("FullFigure"), "0");
    EXPECT_EQ(figure("PartialFigure"), "1");

    // A bad file's reason stands where its title would, whole in the cell's tip.
    result.rows[2].reason = QStringLiteral("no MPEG audio frame found");
    report.showResult(result);
    EXPECT_EQ(list()->topLevelItem(2)->text(1), "no MPEG audio frame found");
    EXPECT_EQ(list()->topLevelItem(2)->toolTip(1), "no MPEG audio frame found");
    EXPECT_EQ(list()->topLevelItem(0)->toolTip(1), "");

    // The next add starts from an empty report with its total.
    report.clear(4);
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_TRUE(report.rows().isEmpty());
    EXPECT_EQ(figure("TotalFigure"), "4");
    EXPECT_EQ(figure("AddedFigure"), "0");
    EXPECT_EQ(figure("PartialFigure"), "0");
}

TEST_F(AddReportWindowTest, ClickOrKeyOnTheListShowsTheSelectedFileName)
{
    report.showResult(sampleResult());
    report.show();
    const auto clickRow = [this](int row) {
        const QRect rect = list()->visualItemRect(list()->topLevelItem(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    };

    // Nothing selected: the box stays as it is.
    list()->clearSelection();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(5, list()->viewport()->height() - 3));
    EXPECT_EQ(fileNameBox(), "");

    clickRow(1);
    EXPECT_EQ(fileNameBox(), "/m/Track05.mp3");
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(fileNameBox(), "/m/broken.mp3");

    report.clear(0);
    EXPECT_EQ(fileNameBox(), "");
}

TEST_F(AddReportWindowTest, SaveWritesOneLinePerRowAndOpensTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    report.showResult(sampleResult());
    dialogs.queueSaveFile(path);

    find<QPushButton>("Button1")->click();

    const auto asked = dialogs.records(ScriptedDialogs::Call::SaveFile);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.at(0).title, "Save report");
    EXPECT_EQ(asked.at(0).detail, "*.txt");
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("::DOUBLE FILE >>Rez Vuvevo - Jamming, /m/j.mp3\r\n"
                                          "::AI RECOGNIZED >>Unknown - Track05, /m/Track05.mp3\r\n"
                                          "::BAD FILE!!! >> - , /m/broken.mp3\r\n"));
    EXPECT_EQ(opened, QStringList{path});
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(AddReportWindowTest, SaveWithoutAProgramToOpenTheFileSaysWhereItIs)
{
    opens = false;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    report.showResult(sampleResult());
    dialogs.queueSaveFile(path);

    find<QPushButton>("Button1")->click();

    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(opened, QStringList{path});
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).kind, Dialogs::Kind::Information);
    EXPECT_TRUE(dialogs.messages().at(0).text.contains(QDir::toNativeSeparators(path)))
        << dialogs.messages().at(0).text.toStdString();
}

TEST_F(AddReportWindowTest, EveryRunOpensAtTheTopOfTheList)
{
    IntakeResult many;
    for (int i = 0; i < 300; ++i)
        many.rows.append({ReportRow::Bad, QString(), QString(),
                          QStringLiteral("/m/a very long folder name/file %1.mp3").arg(i)});
    for (int run = 1; run <= 2; ++run) {
        report.clear(int(many.rows.size()));
        report.showResult(many);
        report.present();
        QCoreApplication::processEvents();
        EXPECT_EQ(list()->verticalScrollBar()->value(), 0) << "run " << run;
        EXPECT_EQ(list()->horizontalScrollBar()->value(), 0) << "run " << run;
        EXPECT_EQ(list()->indexAt(QPoint(1, 1)).row(), 0) << "run " << run;

        // The user reads to the end and picks the last row before closing.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_End);
        list()->horizontalScrollBar()->setValue(list()->horizontalScrollBar()->maximum());
        ASSERT_GT(list()->verticalScrollBar()->value(), 0);
        find<QPushButton>("Button2")->click();
    }
}

TEST_F(AddReportWindowTest, SaveCancelledOrRefusedOpensNothing)
{
    report.showResult(sampleResult());
    find<QPushButton>("Button1")->click(); // cancelled: nothing queued
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());

    QTemporaryDir dir;
    dialogs.queueSaveFile(dir.filePath(QStringLiteral("no/such/folder/report.txt")));
    find<QPushButton>("Button1")->click();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).kind, Dialogs::Kind::Error);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(AddReportWindowTest, EmptyReportSavesAnEmptyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older report\r\n");
    }
    report.showResult(IntakeResult{});
    dialogs.queueSaveFile(path);
    find<QPushButton>("Button1")->click();
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST_F(AddReportWindowTest, CloseAsksForRefreshAndTheUserListWhenTicked)
{
    report.showResult(sampleResult());
    QSignalSpy refresh(&report, &AddReportWindow::refreshListsRequested);
    QSignalSpy userList(&report, &AddReportWindow::userListOfAddedRequested);
    QSignalSpy closed(&report, &AddReportWindow::closed);

    report.present();
    find<QPushButton>("Button2")->click();
    EXPECT_EQ(refresh.size(), 1);
    EXPECT_EQ(userList.size(), 0);
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(report.isVisible());

    find<QCheckBox>("CheckBox1")->setChecked(true);
    report.present();
    find<QPushButton>("Button2")->click();
    ASSERT_EQ(userList.size(), 1);
    EXPECT_EQ(userList.at(0).at(0).toStringList(), sampleResult().inserted);

    // The close box ends the report the same way, once.
    report.present();
    report.close();
    EXPECT_FALSE(report.isVisible());
    EXPECT_EQ(refresh.size(), 3);
    EXPECT_EQ(userList.size(), 2);
    EXPECT_EQ(closed.size(), 3);
}

} // namespace
