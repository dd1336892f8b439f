// A song whose file was moved on its medium is found again by the next add of the new place:
// its row points to the file where it is now and keeps its ID and play count. Before, the add
// saw a double and added nothing, and the existence check then deleted the song with its count.
#include "IntakeRunFixture.h"

#include "db/TextCodec.h"

#include <QDir>

namespace {

struct MovedCase
{
    const char* name;
    bool oldFileStays;     // the file is copied rather than moved
    const char* medium;    // the medium of the second add
    bool locationInDouble; // "Add same files from different mediums"
    ReportRow::Picture picture;
};

void PrintTo(const MovedCase& c, std::ostream* os)
{
    *os << c.name;
}

class IntakeMovedTest : public IntakeRunFixture, public ::testing::WithParamInterface<MovedCase>
{};

TEST_P(IntakeMovedTest, PointsTheSongToTheFileFoundOrReportsADouble)
{
    const MovedCase& c = GetParam();
    ASSERT_TRUE(QDir(files.path(QString())).mkpath(QStringLiteral("new place")));
    const QString before =
        file(QStringLiteral("old place's song.mp3"), IntakeFiles::taggedMp3("Artist", "Title"));
    ASSERT_EQ(add({before}).figures.added, 1);
    uq.setSql(Statements::updatePlayed(7, QStringLiteral("1")));
    uq.execSQL();
    const QString after = files.path(QStringLiteral("new place/song.mp3"));
    ASSERT_TRUE(c.oldFileStays ? QFile::copy(before, after) : QFile::rename(before, after));

    options.mediumName = QLatin1String(c.medium);
    options.sameFilesFromDifferentMediums = c.locationInDouble;
    const IntakeResult result = add({after});

    EXPECT_EQ(result.rows, (QList<ReportRow>{{c.picture, "Artist", "Title", after}}));
    const bool moved = c.picture == ReportRow::Moved;
    EXPECT_EQ(result.figures, (IntakeFigures{0, moved ? 0 : 1, 0, 1, 0, 0, moved ? 1 : 0}));
    EXPECT_TRUE(result.inserted.isEmpty());
    EXPECT_EQ(rows(),
              (QList<QStringList>{{"Artist", "Title", TextCodec::reFilter(moved ? after : before),
                                   "Disk!", "0:00:00", "Rock", "Album", rows().value(0).value(7),
                                   rows().value(0).value(8), "Note", "1999", "7"}}));
    EXPECT_EQ(columnOfAll(SongColumn::ID), QStringList{"1"});
}

INSTANTIATE_TEST_SUITE_P(
    Adds, IntakeMovedTest,
    ::testing::Values(MovedCase{"MovedOnItsMedium", false, "Disk", true, ReportRow::Moved},
                      MovedCase{"MovedOnItsMediumAnyMediumDoubles", false, "Disk", false,
                                ReportRow::Moved},
                      MovedCase{"CopiedOnItsMedium", true, "Disk", true, ReportRow::Double},
                      // The song of another medium is not this one moved: that medium may
                      // only be away.
                      MovedCase{"FoundOnAnotherMedium", false, "Other", false, ReportRow::Double}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntakeRunFixture, SavedReportNamesAMovedFile)
{
    const ReportRow row{ReportRow::Moved, "Artist", "Title", "/m/new/song.mp3"};
    EXPECT_EQ(IntakeReport::reportLine(row), "::MOVED FILE >>Artist - Title, /m/new/song.mp3");
}

} // namespace
