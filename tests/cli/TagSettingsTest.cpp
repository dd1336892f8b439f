#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "intake/Id3v2Files.h"
#include "testsupport/CliOutput.h"
#include "testsupport/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray untagged()
{
    return bytes(testDataPath(QStringLiteral("id3v1/untagged.mp3")));
}

QByteArray slot(const QByteArray& text, int width)
{
    return text.left(width) + QByteArray(width - std::min<int>(width, text.size()), ' ');
}

// The command-line program follows the tag settings of the Options dialog, read from the
// user's settings file.
class CliTagSettingsTest : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(home.path(), args); }
    // The user's settings as the program finds them: QSettings("Kestrova", "Tamboro3") under
    // the test's XDG_CONFIG_HOME.
    void setting(const QString& name, const QString& text)
    {
        const QString file =
            QFileInfo(home.settingsFile()).dir().filePath(QStringLiteral("Kestrova/Tamboro3.conf"));
        QSettings(file, QSettings::NativeFormat).setValue(name, text);
    }
    QString write(const QString& name, const QByteArray& content)
    {
        return writeTestFile(dir.filePath(name), content);
    }
    QStringList artistsAndTitles()
    {
        SongDatabase db(home.path());
        RQuery query(db);
        query.setSql(QStringLiteral("select * from tamboro order by ID"));
        query.open();
        QStringList result;
        for (query.first(); !query.eof(); query.next())
            result << query.field(SongColumn::Artist) + " / " + query.field(SongColumn::Title);
        return result;
    }

    TempHome home;
    QTemporaryDir dir;
};

TEST_F(CliTagSettingsTest, AddReadsId3v2TagsUnlessTheSettingIsOff)
{
    const QByteArray song =
        Id3v2Files::tightV23({{"TPE1", "Tag Artist"}, {"TIT2", "Tag Title"}}) + untagged();
    const QString first = write("Name Artist - Name Title.mp3", song);
    CliRun result = run({"add", "--medium", "Disk", "--kind", "hd", first});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(artistsAndTitles(), QStringList{"Tag Artist / Tag Title"});

    setting(QStringLiteral("ReadID3v2Tags"), QStringLiteral("False"));
    const QString second = write("Other Artist - Other Title.mp3", song);
    result = run({"add", "--medium", "Disk", "--kind", "hd", second});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(artistsAndTitles(),
              (QStringList{"Tag Artist / Tag Title", "Other Artist / Other Title"}));
}

TEST_F(CliTagSettingsTest, TagTextIsInTheCodePageOfTheSettings)
{
    const QString path =
        write("song.mp3", untagged() + "TAG" + slot("Don\x92t \xc6", 30) + slot("", 30) +
                              slot("", 30) + slot("", 4) + slot("", 30) + char(17));
    const auto title = [&] {
        const CliRun result = run({"tag", "show", "--json", path});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QList<QJsonObject> rows = records(result.out);
        return rows.isEmpty() ? QString() : rows.first().value("title").toString();
    };
    EXPECT_EQ(title(), QString::fromUtf8("Don’t Æ"));

    setting(QStringLiteral("ID3v1CodePage"), QStringLiteral("Windows-1251"));
    EXPECT_EQ(title(), QString::fromUtf8("Don’t Ж"));

    // A code page this system lacks: Windows-1252, and a note saying so.
    setting(QStringLiteral("ID3v1CodePage"), QStringLiteral("No-Such-Page"));
    const CliRun result = run({"tag", "show", "--json", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains("No-Such-Page")) << result.err.toStdString();
    EXPECT_EQ(records(result.out).value(0).value("title").toString(), QString::fromUtf8("Don’t Æ"));
}

} // namespace
