// The availability test: a stored path is tried as it stands, then under every present medium
// root with its own medium root split off.
#include "lists/ListBuilder.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// ---- Splitting off the medium root ----

struct SplitCase
{
    const char* path;
    const char* root;
    const char* rest;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << '"' << c.path << '"';
}

class SplitMediumRootTest : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(SplitMediumRootTest, Splits)
{
    const MediumPath split = splitMediumRoot(QString::fromUtf8(GetParam().path));
    EXPECT_EQ(split.root, QString::fromUtf8(GetParam().root)) << GetParam().path;
    EXPECT_EQ(split.rest, QString::fromUtf8(GetParam().rest)) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitMediumRootTest,
    ::testing::Values(SplitCase{"D:\\Music\\a.mp3", "D:\\", "Music\\a.mp3"},
                      SplitCase{"e:/Music/a.mp3", "e:/", "Music/a.mp3"}, SplitCase{"D:\\", "", ""},
                      SplitCase{"D:a.mp3", "", ""},
                      SplitCase{"\\\\server\\share\\Music\\a.mp3", "\\\\server\\share",
                                "Music\\a.mp3"},
                      SplitCase{"\\\\server\\share", "", ""},
                      SplitCase{"\\\\server\\share\\", "", ""}, SplitCase{"\\\\server", "", ""},
                      SplitCase{"/media/anna/CD1/Music/a.mp3", "/media/anna/CD1", "Music/a.mp3"},
                      SplitCase{"/run/media/anna/CD 1/a.mp3", "/run/media/anna/CD 1", "a.mp3"},
                      SplitCase{"/mnt/usb/Live: 1999/a.mp3", "/mnt/usb", "Live: 1999/a.mp3"},
                      // Not below a mount point's name: the root file system.
                      SplitCase{"/media/anna/a.mp3", "/", "media/anna/a.mp3"},
                      SplitCase{"/mnt/usb", "/", "mnt/usb"},
                      SplitCase{"/mediax/a/b/c.mp3", "/", "mediax/a/b/c.mp3"},
                      SplitCase{"/home/anna/Music/a.mp3", "/", "home/anna/Music/a.mp3"},
                      SplitCase{"/", "", ""}, SplitCase{"", "", ""},
                      SplitCase{"Music/a.mp3", "", ""}),
    // Named by the path with its separators spelled out, so that a trailing one still counts.
    [](const auto& info) {
        std::string spelled;
        for (const char* c = info.param.path; *c; ++c)
            spelled += *c == '/'    ? std::string(" slash ")
                       : *c == '\\' ? std::string(" backslash ")
                       : *c == ':'  ? std::string(" colon ")
                                    : std::string(1, *c);
        return caseName(spelled);
    });

// ---- Finding the file ----

class LocateFileTest : public ::testing::Test
{
protected:
    // Puts a small file at `relative` below `root`.
    static QString put(const QString& root, const QString& relative)
    {
        const QString path = QDir(root).filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        return path;
    }

    FakeVolumes volumes;
    QString cd1 = volumes.addMedium(QStringLiteral("CD1"), QLatin1Char('@'));
    QString cd2 = volumes.addMedium(QStringLiteral("CD2"), QLatin1Char('@'));
    QString usb = volumes.addMedium(QStringLiteral("USB"));
};

TEST_F(LocateFileTest, AFileWhereItWasStoredStaysThere)
{
    const QString stored = put(cd1, QStringLiteral("Music/a.mp3"));
    put(cd2, stored.mid(1)); // the same path under another root is not looked at
    bool found = false;
    EXPECT_EQ(locateFile(stored, volumes.roots(), &found), stored);
    EXPECT_TRUE(found);
}

// Each stored form, relocated to the one present root that holds its rest.
TEST_F(LocateFileTest, RelocatesEveryStoredFormToAnotherRoot)
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
        EXPECT_EQ(locateFile(QString::fromUtf8(stored), volumes.roots(), &found), expected)
            << stored;
        EXPECT_TRUE(found) << stored;
    }
}

TEST_F(LocateFileTest, TheLaterOfTwoRootsWins)
{
    const QString stored = QStringLiteral("D:\\Music\\a.mp3");
    const QString onCd1 = put(cd1, QStringLiteral("Music/a.mp3"));
    const QString onUsb = put(usb, QStringLiteral("Music/a.mp3"));

    EXPECT_EQ(locateFile(stored, {cd1, cd2, usb}), onUsb);
    EXPECT_EQ(locateFile(stored, {usb, cd2, cd1}), onCd1);
    EXPECT_EQ(locateFile(stored, {usb + QLatin1Char('/'), cd1 + QLatin1Char('/'), cd2}),
              onCd1); // a root given with its slash
}

TEST_F(LocateFileTest, MissingEverywhereKeepsTheStoredPath)
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
        EXPECT_EQ(locateFile(stored, volumes.roots(), &found), stored);
        EXPECT_FALSE(found) << stored.toStdString();
    }
    bool found = true;
    EXPECT_EQ(locateFile(QStringLiteral("D:\\Music\\a.mp3"), {}, &found),
              QStringLiteral("D:\\Music\\a.mp3"));
    EXPECT_FALSE(found);
}

} // namespace
