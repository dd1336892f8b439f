#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

// `search` prints what a FastSearch window lists, line for line as `list` prints those songs.
class SearchCommandTest : public ::testing::Test
{
protected:
    SearchCommandTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        const char* const songs[][2] = {
            {"Queen", "Innuendo"}, {"ABBA", "Waterloo"}, {"Abba Tribute", "Mamma Mia"},
            {"BJÖRK", "Jóga"},     {"Prince", "Don't"},  {"Specials", "Say \"Hi\" | bye"},
            {"Beatles", "Help"},
        };
        for (const auto& [artist, title] : songs) {
            Song song;
            song.artist = QString::fromUtf8(artist);
            song.title = QString::fromUtf8(title);
            song.filename = QStringLiteral("/nowhere/%1 - %2.mp3").arg(song.artist, song.title);
            song.trackLength = QStringLiteral("0:03:00");
            song.location = QStringLiteral("Disk!");
            uq.setSql(Statements::insertSong(song.storedForm()));
            uq.execSQL();
        }
    }

    CliRun run(const QStringList& args) { return runCli(home.path(), args); }

    // The lines `list` prints for the songs of these artists, in its order.
    QList<QByteArray> listLines(const QStringList& artists, bool json)
    {
        const CliRun list = run(json ? QStringList{"list", "--json"} : QStringList{"list"});
        EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
        QList<QByteArray> lines;
        for (const QByteArray& line : list.out.split('\n')) {
            for (const QString& artist : artists) {
                const QByteArray start = json ? "{\"artist\":\"" + artist.toUtf8() + "\","
                                              : "artist: " + artist.toUtf8() + "\t";
                if (line.startsWith(start))
                    lines << line;
            }
        }
        return lines;
    }
    // The song lines of a search's output: all but the last (the panels).
    static QList<QByteArray> songLines(const QByteArray& out)
    {
        QList<QByteArray> lines = out.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty())
            lines.removeLast();
        return lines;
    }

    TempHome home;
};

TEST_F(SearchCommandTest, PrintsTheSongsFoundAsListPrintsThem)
{
    const CliRun json = run({"search", "--json", "queen abba"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_EQ(songLines(json.out), listLines({"ABBA", "Abba Tribute", "Queen"}, true));
    const QList<QJsonObject> out = records(json.out);
    ASSERT_FALSE(out.isEmpty());
    EXPECT_EQ(out.last().value("panels").toArray().first().toString(),
              QStringLiteral("Songs in list: 3"));

    const CliRun text = run({"search", "queen abba"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(songLines(text.out), listLines({"ABBA", "Abba Tribute", "Queen"}, false));
    EXPECT_TRUE(text.out.endsWith("Songs in list: 3\tSongs playable: 0\tList Time: 0:9:0\t"
                                  "Play Time: 0:0:0\n"))
        << text.out.toStdString();
}

struct SearchCliCase
{
    const char* name;
    QStringList args;
    QStringList artists;
};

const SearchCliCase searchCliCases[] = {
    {"every keyword with and", {"--and", "abba mia"}, {"Abba Tribute"}},
    {"letter case beyond A to Z", {"björk"}, {"BJÖRK"}},
    {"apostrophe", {"DON'T"}, {"Prince"}},
    {"double quote and bar", {"\"hi\" |"}, {"Specials"}},
    {"a quote that would end the literal", {"x\" or \"1\"=\"1"}, {}},
};

class SearchCliTable : public SearchCommandTest, public ::testing::WithParamInterface<SearchCliCase>
{};

TEST_P(SearchCliTable, FindsTheSongs)
{
    const CliRun result = run(QStringList{"search", "--json"} + GetParam().args);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(songLines(result.out), listLines(GetParam().artists, true));
}

INSTANTIATE_TEST_SUITE_P(SearchCommand, SearchCliTable, ::testing::ValuesIn(searchCliCases),
                         RowName());

TEST_F(SearchCommandTest, ATextTooShortOrMissingIsAMistakeInTheCommand)
{
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"search", "a"}, "A search text needs at least 2 characters"},
        {{"search"}, "search takes one text"},
        {{"search", "abba", "queen"}, "search takes one text"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun result = run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.startsWith(message)) << result.err.toStdString();
    }
}

} // namespace
