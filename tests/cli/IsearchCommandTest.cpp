// isearch against running share and central processes, each peer on a loopback address of its
// own.

#include "net/SearchResults.h"
#include "testsupport/CaseNames.h"
#include "testsupport/CliOutput.h"
#include "testsupport/Eventually.h"
#include "testsupport/InboxPeer.h"
#include "testsupport/Loopback.h"
#include "testsupport/ServerProcess.h"
#include "testsupport/ShareHome.h"
#include "testsupport/SharingProcesses.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QMap>
#include <QSettings>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A share over a few songs whose order shows the sorting.
struct SongShare : RunningShare
{
    explicit SongShare(const QStringList& extra = {})
        : RunningShare(extra)
    {
        // The share answers in the order of the stored artists, where the apostrophe's code
        // comes after the letters; a results window puts "'Til Tuesday" first.
        home.addSong(QStringLiteral("'Til Tuesday"), QStringLiteral("Voices Carry"),
                     home.music(QStringLiteral("Voices.mp3")));
        home.addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"),
                     home.music(QStringLiteral("Atomic.mp3")));
        home.addSong(QStringLiteral("abba"), QStringLiteral("Waterloo"), waterloo, waterlooBytes);
        home.addSong(QStringLiteral("Queen"), QStringLiteral("Bicycle"),
                     home.music(QStringLiteral("Bicycle.mp3")));
    }
    const QByteArray waterlooBytes = patternBytes(70000);
    const QString waterloo = home.music(QStringLiteral("Water|loo's.mp3"));
};

// A row as isearch prints it, for a song ShareHome added.
QString rowLine(const QString& artist, const QString& title, const QString& file,
                const QString& server)
{
    return QStringLiteral("artist: %1\ttitle: %2\tlength: 0:03:51\tfilename: %3\talbum: "
                          "Arrival\tcomment: Fine\tyear: 1976\tgenre: Pop\tfrequency: "
                          "44100\tbitrate: 128\tserver: %4")
        .arg(artist, title, file, server);
}

// The user's settings as the program finds them under the test's XDG_CONFIG_HOME, which is the
// last TempHome's.
void setting(const TempHome& home, const QString& name, const QString& text)
{
    const QString file =
        QFileInfo(home.settingsFile()).dir().filePath(QStringLiteral("Kestrova/Tamboro3.conf"));
    QSettings(file, QSettings::NativeFormat).setValue(name, text);
}

QStringList isearch(const QStringList& args)
{
    return QStringList{QStringLiteral("isearch"), QStringLiteral("--bind"),
                       uniqueLoopback().toString()} +
           args;
}

} // namespace

TEST(IsearchCommand, ASharesRowsComeInArtistOrderWithWhatFetchNeeds)
{
    SongShare share;
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();

    TempHome mine;
    const CliRun run = runCli(
        mine.path(), isearch({QStringLiteral("--server"), share.name(), "", QStringLiteral("o")}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList expected{
        QStringLiteral("caption: Internet Search Results from %1 for \"\" and \"o\"")
            .arg(share.name()),
        rowLine("'Til Tuesday", "Voices Carry", share.home.music(QStringLiteral("Voices.mp3")),
                share.name()),
        rowLine("abba", "Waterloo", share.waterloo, share.name()),
        rowLine("Blondie", "Atomic", share.home.music(QStringLiteral("Atomic.mp3")), share.name()),
        QStringLiteral("Results: 3\t(maximum 50)"),
        QString(),
    };
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
    ASSERT_EQ(lines, expected);

    // A row's server and file name, as printed, fetch its file.
    QMap<QString, QString> row;
    for (const QString& column : lines[2].split(QLatin1Char('\t')))
        row.insert(column.section(QStringLiteral(": "), 0, 0),
                   column.section(QStringLiteral(": "), 1));
    const QString target = mine.file(QStringLiteral("got.mp3"));
    const CliRun fetched =
        runCli(mine.path(), {QStringLiteral("fetch"), QStringLiteral("--server"),
                             row.value("server"), QStringLiteral("--bind"),
                             uniqueLoopback().toString(), row.value("filename"), target});
    EXPECT_EQ(fetched.exitCode, 0) << fetched.err.toStdString();
    EXPECT_TRUE(bytes(target) == share.waterlooBytes);

    // Nothing found: the caption and no rows.
    const CliRun none = runCli(mine.path(), isearch({QStringLiteral("--server"), share.name(),
                                                     QStringLiteral("nobody"), QString()}));
    ASSERT_EQ(none.exitCode, 0) << none.err.toStdString();
    EXPECT_EQ(none.out, QStringLiteral("caption: Internet Search Results from %1 for \"nobody\" "
                                       "and \"\"\nResults: 0\t(maximum 50)\n")
                            .arg(share.name())
                            .toUtf8());
}

TEST(IsearchCommand, TheCentralServerOfTheSettingsIsAskedUnlessAServerIsNamed)
{
    RunningCentral central;
    ASSERT_TRUE(central.server.started()) << failureText(central.server).toStdString();
    SongShare share({QStringLiteral("--central"), central.name()});
    ASSERT_TRUE(share.server->started()) << failureText(*share.server).toStdString();
    ASSERT_TRUE(central.registered(1)) << central.server.err().toStdString();

    TempHome mine;
    setting(mine, QStringLiteral("CentralServer"), central.name());
    const QStringList texts{QStringLiteral("ABBA"), QStringLiteral("water")};
    const CliRun named = runCli(mine.path(), isearch(QStringList{"--json", "--central"} + texts));
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    const QList<QJsonObject> out = records(named.out);
    ASSERT_EQ(out.size(), 3) << named.out.toStdString();
    EXPECT_EQ(out[0].value("caption").toString(),
              QStringLiteral("Internet Search Results from Central Tamboro Server for \"ABBA\" "
                             "and \"water\""));
    EXPECT_EQ(out[1].value("artist").toString(), QStringLiteral("abba"));
    EXPECT_EQ(out[1].value("filename").toString(), share.waterloo);
    EXPECT_EQ(out[1].value("server").toString(), share.name());
    EXPECT_EQ(out[1].value("bitrate").toString(), QStringLiteral("128"));
    EXPECT_EQ(out[2].value("panels").toArray(),
              QJsonArray({QStringLiteral("Results: 1"), QStringLiteral("(maximum 50)")}));

    const CliRun byDefault = runCli(mine.path(), isearch(QStringList{"--json"} + texts));
    ASSERT_EQ(byDefault.exitCode, 0) << byDefault.err.toStdString();
    EXPECT_EQ(byDefault.out, named.out);
}

TEST(IsearchCommand, AServerThatTakesTheSearchButNeverAnswersIsGivenUp)
{
    InboxPeer silent;
    TempHome mine;
    // The peer accepts on this process's event loop: the command runs beside it.
    QProcess process;
    process.start(
        QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
        QStringList{QStringLiteral("--home"), mine.path()} +
            isearch({QStringLiteral("--server"), silent.name(), QStringLiteral("--wait"),
                     QStringLiteral("1"), QStringLiteral("abba"), QStringLiteral("water")}));
    ASSERT_TRUE(eventually([&] { return process.state() == QProcess::NotRunning; }, 20s));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(), (SearchResults::noAnswerText() + '\n').toUtf8());
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(silent.received, QStringList{QStringLiteral("SEARCH$abba$water")});
}

namespace {

struct RefusedCase
{
    const char* name;
    QStringList args; // "@free": a loopback address where nothing listens
    int exitCode;
    QByteArray errStart;
};

class IsearchRefused : public ::testing::TestWithParam<RefusedCase>
{};

} // namespace

TEST_P(IsearchRefused, SaysWhyAndPrintsNothing)
{
    TempHome mine;
    QStringList args = GetParam().args;
    args.replaceInStrings(QStringLiteral("@free"), uniqueLoopback().toString());
    const CliRun run = runCli(mine.path(), isearch(args));
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(GetParam().errStart)) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsearchRefused,
    ::testing::Values(
        RefusedCase{"nobody listens",
                    {"--server", "@free", "--wait", "1", "abba", "water"},
                    1,
                    "10061: Connection refused\n"},
        RefusedCase{"central and a server",
                    {"--central", "--server", "@free", "abba", "water"},
                    2,
                    "isearch asks either --central or --server HOST\nUsage:"},
        RefusedCase{"no title", {"--server", "@free", "abba"}, 2, "isearch needs an artist"},
        RefusedCase{"empty server", {"--server", " ", "abba", "water"}, 2, "--server needs"}),
    RowName());
