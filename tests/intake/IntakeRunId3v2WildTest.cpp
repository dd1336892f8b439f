#include "Id3v2Builder.h"
#include "IntakeRunFixture.h"

#include "testsupport/CaseNames.h"

namespace {

using namespace Id3v2Builder;

struct WildCase
{
    std::string name;
    QByteArray tag;
    // Artist, title, year and genre as stored.
    QStringList stored;
};

void PrintTo(const WildCase& c, std::ostream* os)
{
    *os << c.name;
}

// ID3v2 tags with one oddity each, as taggers wrote them; the song's name says something else,
// so that a guess from the name shows.
std::vector<WildCase> wildCases()
{
    const QStringList all{"Tag Artist", "Tag Title", "2008", "Rock"};
    return {
        {"blank in a frame ID",
         tag(3, f3("TIT2", text("Tag Title")) + f3("TST ", text("itunes81")) +
                    f3("TPE1", text("Tag Artist")) + f3("TYER", text("2008")) +
                    f3("TCON", text("Rock"))),
         all},
        {"zero-size frame first",
         tag(3, f3("WCOM", {}) + f3("TPE1", text("Tag Artist")) + f3("TIT2", text("Tag Title")) +
                    f3("TYER", text("2008")) + f3("TCON", text("(17)"))),
         all},
        {"UTF-16 without a byte-order mark",
         tag(3, f3("TPE1", '\x01' + utf16("Tag Artist", Order::Big, false)) +
                    f3("TIT2", '\x01' + utf16("Tag Title", Order::Little, false)) +
                    f3("TYER", text("2008")) + f3("TCON", text("Rock"))),
         all},
        {"grouping identity in 2.3",
         tag(3, f3("TPE1", '\x01' + text("Tag Artist"), Grouped23) +
                    f3("TIT2", '\x01' + text("Tag Title"), Grouped23) + f3("TYER", text("2008")) +
                    f3("TCON", text("Rock"))),
         all},
        {"grouping identity in 2.4",
         tag(4, f4("TPE1", '\x01' + text("Tag Artist", Utf8), Grouped24) +
                    f4("TIT2", '\x01' + text("Tag Title", Utf8), Grouped24) +
                    f4("TDRC", text("2008")) + f4("TCON", text("Rock"))),
         all},
        {"invalid encoding byte",
         tag(3, f3("TPE1", text("Tag Artist")) + f3("TIT2", text("Tag Title")) +
                    f3("TYER", text("2008")) + f3("TCON", " Rock in garbage")),
         {"Tag Artist", "Tag Title", "2008", ""}},
        {"TYER in a 2.4 tag",
         tag(4, f4("TPE1", text("Tag Artist")) + f4("TIT2", text("Tag Title")) +
                    f4("TYER", text("2008")) + f4("TCON", text("Rock"))),
         all},
        {"numbered genre (17)",
         tag(3, f3("TPE1", text("Tag Artist")) + f3("TIT2", text("Tag Title")) +
                    f3("TYER", text("2008")) + f3("TCON", text("(17)"))),
         all},
        {"unsynchronised 2.3 tag",
         tag(3,
             unsynchronised(f3("TPE1", text("Tag Artist ÿ", Utf16)) +
                            f3("TIT2", text("Tag Title", Utf16)) + f3("TYER", text("2008")) +
                            f3("TCON", text("Rock"))),
             TagUnsynchronised),
         {"Tag Artist ÿ", "Tag Title", "2008", "Rock"}},
        {"unsynchronised 2.4 frames",
         tag(4, f4("TPE1", unsynchronised(text("Tag Artist ÿ", Utf16)), Unsynchronised24) +
                    f4("TIT2", unsynchronised(text("Tag Title", Utf16)), Unsynchronised24) +
                    f4("TDRC", text("2008-01-02")) + f4("TCON", text("Rock"))),
         {"Tag Artist ÿ", "Tag Title", "2008", "Rock"}},
        {"iTunes-style plain 2.4 sizes",
         tag(4,
             f4("PRIV", QByteArray(400, 'x'), 0, true) + f4("TPE1", text("Tag Artist"), 0, true) +
                 f4("TIT2", text("Tag Title"), 0, true) + f4("TDRC", text("2008"), 0, true) +
                 f4("TCON", text("Rock"), 0, true),
             0, 256),
         all},
        {"compressed frames",
         tag(3, f3("TPE1", bigEndian(11) + deflated(text("Tag Artist")), Compressed23) +
                    f3("TIT2", bigEndian(10) + deflated(text("Tag Title")), Compressed23) +
                    f3("TYER", text("2008")) + f3("TCON", text("Rock"))),
         all},
        {"2.2 tag",
         tag(2, f2("TP1", text("Tag Artist")) + f2("TT2", text("Tag Title")) +
                    f2("TYE", text("2008")) + f2("TCO", text("(17)"))),
         all},
    };
}

class IntakeRunId3v2WildTest : public IntakeRunFixture,
                               public ::testing::WithParamInterface<WildCase>
{};

// A file without an ID3v1 tag goes into the catalogue with what its ID3v2 tag says, however
// its tagger wrote it: nothing is guessed from its name.
TEST_P(IntakeRunId3v2WildTest, StoresWhatTheTagSays)
{
    const QString path =
        file("Name Artist - Name Title.mp3", GetParam().tag + IntakeFiles::untaggedMp3());
    const IntakeResult result = add({path});
    EXPECT_EQ(result.figures.added, 1) << result.figures;
    EXPECT_EQ(result.figures.full + result.figures.partial, 0) << result.figures;
    const QList<QStringList> stored = rows();
    ASSERT_EQ(stored.size(), 1);
    const QStringList& row = stored.first();
    // rows() starts at the artist: artist, title, filename, location, length, genre, album,
    // bitrate, frequency, comment, year, played.
    EXPECT_EQ((QStringList{row.at(0), row.at(1), row.at(10), row.at(5)}), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Tags, IntakeRunId3v2WildTest, ::testing::ValuesIn(wildCases()), RowName());

} // namespace
