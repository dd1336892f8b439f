// Stored file names taken apart: which rules a name follows, its own name, its medium root, and
// the availability test that tries it as it stands and then under every present medium root.
#include "db/StoredPath.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using StoredPath::MediumPath;

// ---- Classifying and splitting ----

struct PathCase
{
    const char* name; // the test's name
    const char* path;
    bool windowsStyle;
    const char* fileNamePart;
    const char* root; // medium root and rest
    const char* rest;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name << ": \"" << c.path << '"';
}

class StoredPathTable : public ::testing::TestWithParam<PathCase>
{};

TEST_P(StoredPathTable, TakesApart)
{
    const PathCase& c = GetParam();
    const QString path = QString::fromUtf8(c.path);
    EXPECT_EQ(StoredPath::isWindowsStyle(path), c.windowsStyle);
    EXPECT_EQ(StoredPath::fileNamePart(path), QString::fromUtf8(c.fileNamePart));
    const MediumPath split = StoredPath::splitMediumRoot(path);
    EXPECT_EQ(split.root, QString::fromUtf8(c.root));
    EXPECT_EQ(split.rest, QString::fromUtf8(c.rest));
}

const PathCase pathCases[] = {
    // This system's names: "\" and ":" are ordinary characters in them.
    {"PosixPlain", "/home/anna/Music/a.mp3", false, "a.mp3", "/", "home/anna/Music/a.mp3"},
    {"PosixColonInName", "/music/Live: 1999 - Song.mp3", false, "Live: 1999 - Song.mp3", "/",
     "music/Live: 1999 - Song.mp3"},
    {"PosixBackslashInName", "/music/AC\\DC - Song.mp3", false, "AC\\DC - Song.mp3", "/",
     "music/AC\\DC - Song.mp3"},
    {"PosixBackslashInFolder", "/music/AC\\DC/Song.mp3", false, "Song.mp3", "/",
     "music/AC\\DC/Song.mp3"},
    {"BareRoot", "/", false, "", "", ""},
    // Mount points of media, and paths that only look like one.
    {"MediaUserLabel", "/media/anna/CD1/Music/a.mp3", false, "a.mp3", "/media/anna/CD1",
     "Music/a.mp3"},
    {"RunMediaUserLabel", "/run/media/anna/CD 1/a.mp3", false, "a.mp3", "/run/media/anna/CD 1",
     "a.mp3"},
    {"MntNameColonInFolder", "/mnt/usb/Live: 1999/a.mp3", false, "a.mp3", "/mnt/usb",
     "Live: 1999/a.mp3"},
    {"MediaLabelLikeADrive", "/media/anna/C:\\D/a.mp3", false, "a.mp3", "/media/anna/C:\\D",
     "a.mp3"},
    {"MediaWithoutLabel", "/media/anna/a.mp3", false, "a.mp3", "/", "media/anna/a.mp3"},
    {"MountPointItself", "/mnt/usb", false, "usb", "/", "mnt/usb"},
    {"NotAMediaFolder", "/mediax/a/b/c.mp3", false, "c.mp3", "/", "mediax/a/b/c.mp3"},
    // Windows names, as a catalogue or user list from Windows holds them.
    {"DriveBackslash", "D:\\Music\\a.mp3", true, "a.mp3", "D:\\", "Music\\a.mp3"},
    {"DriveForwardSlash", "e:/Music/a.mp3", true, "a.mp3", "e:/", "Music/a.mp3"},
    {"DriveAlone", "D:", true, "", "", ""},
    {"BareDrive", "D:\\", true, "", "", ""},
    {"DriveRelative", "D:a.mp3", true, "a.mp3", "", ""},
    {"UncShare", "\\\\server\\share\\Music\\a.mp3", true, "a.mp3", "\\\\server\\share",
     "Music\\a.mp3"},
    {"UncShareAlone", "\\\\server\\share", true, "share", "", ""},
    {"UncShareTrailingBackslash", "\\\\server\\share\\", true, "", "", ""},
    {"UncServerOnly", "\\\\server", true, "server", "", ""},
    // Relative names have no medium root; a backslash makes one a Windows name.
    {"RelativeSlash", "Music/a.mp3", false, "a.mp3", "", ""},
    {"RelativeColonInName", "Music/Live: 1999.mp3", false, "Live: 1999.mp3", "", ""},
    {"RelativeColonAfterDigit", "1:2.mp3", false, "1:2.mp3", "", ""},
    {"RelativeBackslash", "Music\\a.mp3", true, "a.mp3", "", ""},
    {"RelativeBackslashThenSlash", "AC\\DC/Song.mp3", true, "Song.mp3", "", ""},
    {"Empty", "", false, "", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, StoredPathTable, ::testing::ValuesIn(pathCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A name from the command line names a file here unless it starts at a Windows root; a
// backslash or colon in it is then part of a local name.
TEST(StoredPath, CommandLineNamesBecomeAbsoluteUnlessWindowsRooted)
{
    for (const char* windows : {"D:\\Music\\a.mp3", "c:/Music/a.mp3", "D:", "\\\\server\\s\\a.mp3"})
        EXPECT_EQ(StoredPath::absoluteName(QString::fromUtf8(windows)), QString::fromUtf8(windows));

    const QString here = QDir::currentPath();
    for (const char* local : {"AC\\DC - Song.mp3", "Live: 1999 - Song.mp3", "a:b.mp3", "D:a.mp3"})
        EXPECT_EQ(StoredPath::absoluteName(QString::fromUtf8(local)),
                  here + QLatin1Char('/') + QString::fromUtf8(local));
    EXPECT_EQ(StoredPath::absoluteName(QStringLiteral("/m/x/../a.mp3")),
              QStringLiteral("/m/a.mp3"));
}

// ---- Finding the file ----

class LocateTest : public ::testing::Test
{
protected:
    // Puts a small file at `relative` below `root`.
    static QString put(const QString& root, const QString& relative)
    {
        return writeTestFile(QDir(root).filePath(relative), "x");
    }

    FakeVolumes volumes;
    QString cd1 = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    QString cd2 = volumes.addMedium(QStringLiteral("CD2"), QLatin1Char('@'));
    QString usb = volumes.addMedium(QStringLiteral("USB"));
};

TEST_F(LocateTest, AFileWhereItWasStoredStaysThere)
{
    const QString stored = put(cd1, QStringLiteral("Music/a.mp3"));
    put(cd2, stored.mid(1)); // the same path under another root is not looked at
    bool found = false;
    EXPECT_EQ(StoredPath::locate(stored, volumes.roots(), &found), stored);
    EXPECT_TRUE(found);
}

// Each stored form, relocated to the one present root that holds its rest.
TEST_F(LocateTest, RelocatesEveryStoredFormToAnotherRoot)
{
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Music\\Rock\\a.mp3", "Music/Rock/a.mp3"},
        {"\\\\server\\share\\Music\\b.mp3", "Music/b.mp3"},
        {"/media/anna/OLDCD/Music/c.mp3", "Music/c.mp3"},
        {"/run/media/anna/OLDCD/d #1.mp3", "d #1.mp3"},
        {"/mnt/oldshare/Live: 1999/e.mp3", "Live: 1999/e.mp3"},
        {"/home/nobody-here/f.mp3", "home/nobody-here/f.mp3"},
    };
    for (const auto& [stored, relative] : cases) {
        const QString expected = put(cd2, QString::fromUtf8(relative));
        bool found = false;
        EXPECT_EQ(StoredPath::locate(QString::fromUtf8(stored), volumes.roots(), &found), expected)
            << stored;
        EXPECT_TRUE(found) << stored;
    }
}

// A backslash in a name of this system is part of the name under any root; only a Windows
// name's backslashes are folder separators. The later root holds the same rest with the
// backslash read as a folder, and must not be taken for it.
TEST_F(LocateTest, BackslashesOfAPosixNameStayInTheName)
{
    const QString withBackslash = put(cd2, QStringLiteral("AC\\DC/Song.mp3"));
    const QString inFolders = put(usb, QStringLiteral("AC/DC/Song.mp3"));

    bool found = false;
    EXPECT_EQ(StoredPath::locate(QStringLiteral("/media/anna/OLDCD/AC\\DC/Song.mp3"),
                                 volumes.roots(), &found),
              withBackslash);
    EXPECT_TRUE(found);
    EXPECT_EQ(StoredPath::locate(QStringLiteral("E:\\AC\\DC\\Song.mp3"), volumes.roots(), &found),
              inFolders);
    EXPECT_TRUE(found);
}

TEST_F(LocateTest, TheLaterOfTwoRootsWins)
{
    const QString stored = QStringLiteral("D:\\Music\\a.mp3");
    const QString onCd1 = put(cd1, QStringLiteral("Music/a.mp3"));
    const QString onUsb = put(usb, QStringLiteral("Music/a.mp3"));

    EXPECT_EQ(StoredPath::locate(stored, {cd1, cd2, usb}), onUsb);
    EXPECT_EQ(StoredPath::locate(stored, {usb, cd2, cd1}), onCd1);
    EXPECT_EQ(StoredPath::locate(stored, {usb + QLatin1Char('/'), cd1 + QLatin1Char('/'), cd2}),
              onCd1); // a root given with its slash
}

TEST_F(LocateTest, MissingEverywhereKeepsTheStoredPath)
{
    put(cd1, QStringLiteral("Music/other.mp3"));
    // A folder of that name is no file.
    QDir().mkpath(QDir(cd2).filePath(QStringLiteral("Music/a.mp3")));
    // A root that holds the file but is not present is not tried.
    put(usb, QStringLiteral("Music/a.mp3"));
    volumes.setPresent(usb, false);

    for (const QString& stored :
         {QStringLiteral("D:\\Music\\a.mp3"), QStringLiteral("/media/anna/X/Music/a.mp3"),
          QStringLiteral(""), QStringLiteral("Music/a.mp3")}) {
        bool found = true;
        EXPECT_EQ(StoredPath::locate(stored, volumes.roots(), &found), stored);
        EXPECT_FALSE(found) << stored.toStdString();
    }
    bool found = true;
    EXPECT_EQ(StoredPath::locate(QStringLiteral("D:\\Music\\a.mp3"), {}, &found),
              QStringLiteral("D:\\Music\\a.mp3"));
    EXPECT_FALSE(found);
}

} // namespace
