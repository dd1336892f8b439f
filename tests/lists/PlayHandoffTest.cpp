#include "lists/PlayHandoff.h"
#include "db/SongTableFixture.h"
#include "platform/DetachedProcess.h"
#include "platform/Errors.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FailDevice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Three songs in the table (IDs 1 to 3, played 0, 4 and 9 times) and their rows as a window
// sorted by title shows them: Bravo (3), Alpha (1), Charlie (2).
class PlayHandoffTest : public SongTableFixture
{
protected:
    PlayHandoffTest()
    {
        const char* artists[] = {"Alpha", "Charlie", "Bravo"};
        const int played[] = {0, 4, 9};
        for (int i = 0; i < 3; ++i) {
            addSong(QString::fromLatin1(artists[i]), QStringLiteral("Song"));
            uq.setSql(Statements::updatePlayed(played[i], QString::number(i + 1)));
            uq.execSQL();
        }
        for (int id : {3, 1, 2}) {
            ListEntry row;
            row.caption = QString::fromLatin1(artists[id - 1]);
            row.sub[ListEntry::ID] = QString::number(id);
            row.sub[ListEntry::Played] = QString::number(played[id - 1]);
            row.sub[ListEntry::Filename] = dir.filePath(row.caption + QStringLiteral(".mp3"));
            writeTestFile(row.sub[ListEntry::Filename], "ID3");
            rows.push_back(row);
        }
    }

    QStringList playCounts() { return column(Statements::selectAllById(), SongColumn::Played); }

    QTemporaryDir tempDir;
    QDir dir{tempDir.path()};
    std::vector<ListEntry> rows;
    std::vector<std::pair<int, int>> gauge;
    PlayHandoff::Progress progress = [this](int position, int maximum) {
        gauge.emplace_back(position, maximum);
    };
};

TEST_F(PlayHandoffTest, SelectedRowsInWindowOrderAMissingFileLeftOutButStepped)
{
    QFile::remove(rows[1].value(ListEntry::Filename)); // Alpha's file is gone
    const PlayHandoff::Prepared prepared =
        PlayHandoff::prepareList(rows, {"2", "1", "3"}, progress);
    EXPECT_EQ(prepared.files, (QStringList{rows[0].value(ListEntry::Filename),
                                           rows[2].value(ListEntry::Filename)}));
    EXPECT_EQ(prepared.counts, (std::vector<PlayHandoff::Count>{{0, "3", 10}, {2, "2", 5}}));
    EXPECT_EQ(gauge, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(playCounts(), (QStringList{"0", "4", "9"})) << "nothing written before the start";

    PlayHandoff::raiseCounts(db, prepared);
    EXPECT_EQ(db.monitor().text(), "update tamboro set Played=5 where ID=2");
    EXPECT_EQ(playCounts(), (QStringList{"0", "5", "10"}));
}

TEST_F(PlayHandoffTest, AllRowsWithTheQuotedStatementAndTheGaugeAtEachRow)
{
    const PlayHandoff::Prepared prepared = PlayHandoff::prepareAll(rows, progress);
    ASSERT_EQ(prepared.files.size(), 3);
    EXPECT_EQ(prepared.files.first(), rows[0].value(ListEntry::Filename));
    EXPECT_EQ(gauge, (std::vector<std::pair<int, int>>{{0, 2}, {0, 2}, {1, 2}, {2, 2}}));
    PlayHandoff::raiseCounts(db, prepared);
    EXPECT_EQ(db.monitor().text(), "update tamboro set Played=5 where ID=\"2\"");
    EXPECT_EQ(playCounts(), (QStringList{"1", "5", "10"}));
}

TEST_F(PlayHandoffTest, ARefusedStatementChangesNoCount)
{
    rows[2].sub[ListEntry::ID] = QStringLiteral("n/a");
    EXPECT_THROW(PlayHandoff::raiseCounts(db, PlayHandoff::prepareAll(rows)), EDatabaseError);
    EXPECT_EQ(playCounts(), (QStringList{"0", "4", "9"}));
}

TEST(PlayHandoffPlaylist, OneNamePerLineInUtf8EndedByCrLf)
{
    FailDevice device;
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    PlayHandoff::writePlaylist(device,
                               {QStringLiteral("/m/Café.mp3"), QStringLiteral("/m/b c.mp3")});
    EXPECT_EQ(device.data(), QByteArray("/m/Caf\xc3\xa9.mp3\r\n/m/b c.mp3\r\n"));

    FailDevice failing;
    failing.setWriteLimit(5);
    ASSERT_TRUE(failing.open(QIODevice::WriteOnly));
    EXPECT_THROW(PlayHandoff::writePlaylist(failing, {QStringLiteral("/m/a.mp3")}), EInOutError);
}

struct CommandCase
{
    const char* name;
    const char* playerTemplate;
    std::optional<const char*> line;
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.name;
}

const CommandCase commandCases[] = {
    {"quoted placeholder", "\"/usr/bin/player\" \"%1\"",
     "\"/usr/bin/player\" \"/h/my music/tmp.m3u\""},
    {"bare placeholder", "/usr/bin/player %U", "/usr/bin/player \"/h/my music/tmp.m3u\""},
    {"only the first placeholder", "player -e %f %F", "player -e \"/h/my music/tmp.m3u\" %F"},
    {"placeholder at the end", "player %", "player \"/h/my music/tmp.m3u\""},
    {"no placeholder", "player --enqueue", "player --enqueue \"/h/my music/tmp.m3u\""},
    {"empty", "", std::nullopt},
    {"blanks only", "  ", std::nullopt},
};

class PlayerCommand : public ::testing::TestWithParam<CommandCase>
{};

TEST_P(PlayerCommand, PlaylistInPlaceOfThePlaceholder)
{
    const std::optional<QString> line = PlayHandoff::commandLine(
        QString::fromUtf8(GetParam().playerTemplate), QStringLiteral("/h/my music/tmp.m3u"));
    ASSERT_EQ(line.has_value(), GetParam().line.has_value());
    if (line) {
        EXPECT_EQ(line->toStdString(), *GetParam().line);
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, PlayerCommand, ::testing::ValuesIn(commandCases), RowName());

// The line, split as the desktop splits an Exec line, gives the player its words and the
// playlist as one argument, whatever quotes, dollars and backslashes its name holds.
struct ExecCase
{
    const char* name;
    const char* playerTemplate;
    std::vector<const char*> words; // "P" stands for the playlist
};

void PrintTo(const ExecCase& c, std::ostream* os)
{
    *os << c.name;
}

const ExecCase execCases[] = {
    {"shell script in single quotes",
     "sh -c 'echo \"$1\" >> f' sh %U",
     {"sh", "-c", "echo \"$1\" >> f", "sh", "P"}},
    {"placeholder in double quotes", "player \"%U\"", {"player", "P"}},
    {"placeholder in single quotes", "player '%U'", {"player", "P"}},
    {"escaped blank in the program",
     "/opt/my\\ player/run --play %U",
     {"/opt/my player/run", "--play", "P"}},
    {"escaped quote before the placeholder",
     "player --title=\\\" %U",
     {"player", "--title=\"", "P"}},
    {"no placeholder", "player --enqueue", {"player", "--enqueue", "P"}},
};

class ExecLine : public ::testing::TestWithParam<ExecCase>
{};

TEST_P(ExecLine, SplitsIntoThePlayersWordsAndThePlaylist)
{
    const QString playlist = QStringLiteral("/h/it's \"my\" $HOME `x` \\music/tmp.m3u");
    const std::optional<QString> line =
        PlayHandoff::commandLine(QString::fromUtf8(GetParam().playerTemplate), playlist);
    ASSERT_TRUE(line);
    QStringList expected;
    for (const char* word : GetParam().words)
        expected << (QLatin1String(word) == QLatin1String("P") ? playlist
                                                               : QString::fromUtf8(word));
    QString problem;
    EXPECT_EQ(DetachedProcess::split(*line, &problem), expected) << problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Templates, ExecLine, ::testing::ValuesIn(execCases), RowName());

} // namespace
