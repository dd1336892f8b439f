#include "settings/SettingsStore.h"
#include "platform/Errors.h"
#include "testsupport/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

class SettingsStoreTest : public ::testing::Test
{
protected:
    std::unique_ptr<SettingsStore> openStore(const QString& path) const
    {
        return std::make_unique<SettingsStore>(
            std::make_unique<QSettings>(path, QSettings::NativeFormat));
    }
    std::unique_ptr<SettingsStore> openStore() const { return openStore(m_home.settingsFile()); }

    void writeFile(const QByteArray& content) const
    {
        QFile file(m_home.settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readFile() const
    {
        QFile file(m_home.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TempHome m_home;
};

TEST_F(SettingsStoreTest, EmptyStoreYieldsEveryDefaultAndCreatesNothing)
{
    const struct
    {
        const char* name;
        const char* text;
    } defaults[] = {
        {"BackColor", "clWindow"},
        {"Font", "MS Sans Serif"},
        {"FontColor", "clWindowText"},
        {"ShowArtist", "True"},
        {"ShowLength", "True"},
        {"ShowFilename", "False"},
        {"ShowAlbum", "True"},
        {"ShowComment", "False"},
        {"ShowYear", "False"},
        {"ShowGenre", "True"},
        {"ShowPlayed", "False"},
        {"SortAlbums", "True"},
        {"SortAlbumsBack", "True"},
        {"FastSearchParam", "or"},
        {"AddAllFilesFromCD", "True"},
        {"ReadID3v2Tags", "True"},
        {"ID3v1CodePage", "Windows-1252"},
        {"PlayerBar", "False"},
        {"CentralServer", "127.0.0.1"},
        {"SharingAddress", "0.0.0.0"},
        {"PersonalServerPort", "6710"},
        {"ResultPort", "6711"},
        {"StreamPort", "6712"},
        {"InfoPort", "6713"},
        {"CentralServerPort", "6714"},
        {"CentralResultPort", "6715"},
    };
    auto store = openStore();
    ASSERT_EQ(SettingsStore::names().size(), qsizetype(std::size(defaults)));
    for (size_t i = 0; i < std::size(defaults); ++i) {
        const QString name = QString::fromLatin1(defaults[i].name);
        SCOPED_TRACE(defaults[i].name);
        EXPECT_EQ(SettingsStore::names().at(qsizetype(i)), name);
        EXPECT_EQ(store->text(name), QString::fromLatin1(defaults[i].text));
        EXPECT_EQ(SettingsStore::defaultText(name), QString::fromLatin1(defaults[i].text));
    }
    EXPECT_TRUE(store->flag(SettingsStore::ShowAlbum));
    EXPECT_FALSE(store->flag(SettingsStore::ShowPlayed));
    EXPECT_FALSE(store->flag(SettingsStore::PlayerBar));
    EXPECT_EQ(store->color(SettingsStore::BackColor), ColorText::clWindow);
    EXPECT_EQ(store->color(SettingsStore::FontColor), ColorText::clWindowText);
    EXPECT_FALSE(QFile::exists(m_home.settingsFile()));
}

TEST_F(SettingsStoreTest, HandTypedTextsReadBackAsTyped)
{
    writeFile("[General]\n"
              "ShowAlbum=true\n"
              "ShowGenre=TRUE\n"
              "ShowYear=True\n"
              "ShowFilename=\n"
              "Font=Arial, Bold\n"
              "BackColor=$00ff8040\n"
              "FontColor=-2147483640\n"
              "FastSearchParam=and\n");
    auto store = openStore();
    EXPECT_EQ(store->text(SettingsStore::ShowAlbum), QStringLiteral("true"));
    EXPECT_FALSE(store->flag(SettingsStore::ShowAlbum));
    EXPECT_FALSE(store->flag(SettingsStore::ShowGenre));
    EXPECT_TRUE(store->flag(SettingsStore::ShowYear));
    // Present but empty: not the default, and not "True".
    EXPECT_EQ(store->text(SettingsStore::ShowFilename), QString());
    EXPECT_FALSE(store->flag(SettingsStore::ShowFilename));
    EXPECT_EQ(store->text(SettingsStore::Font), QStringLiteral("Arial, Bold"));
    EXPECT_EQ(store->color(SettingsStore::BackColor), 0x00FF8040u);
    EXPECT_EQ(store->color(SettingsStore::FontColor), ColorText::clWindowText);
    EXPECT_EQ(store->text(SettingsStore::FastSearchParam), QStringLiteral("and"));
    EXPECT_TRUE(store->flag(SettingsStore::ShowArtist)); // missing: default
}

TEST_F(SettingsStoreTest, WritesReachTheFileAtOnceExactlyAsGiven)
{
    auto store = openStore();
    store->setFlag(SettingsStore::ShowAlbum, false);
    store->setFlag(SettingsStore::ShowPlayed, true);
    store->setColor(SettingsStore::BackColor, 0x00FF8040);
    store->setColor(SettingsStore::FontColor, ColorText::clRed);

    const QByteArray file = readFile();
    for (const char* line :
         {"ShowAlbum=False\n", "ShowPlayed=True\n", "BackColor=$00FF8040\n", "FontColor=clRed\n"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(file.contains(line));
    }
    EXPECT_FALSE(file.contains("Kestrova")); // no group of our own

    // Texts QSettings would be tempted to quote, escape or turn into another type.
    const QString texts[] = {
        QStringLiteral("True"),     QStringLiteral("False"),
        QStringLiteral("clWindow"), QStringLiteral("a, b"),
        QStringLiteral(" lead "),   QStringLiteral("@Invalid()"),
        QStringLiteral("x=y;#z\\"), QStringLiteral("Ünïcödé"),
        QStringLiteral("12"),       QString(),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        store->setText(SettingsStore::Font, text);
        EXPECT_EQ(openStore()->text(SettingsStore::Font), text); // a second reader, meanwhile
    }
    store.reset();
    auto reopened = openStore();
    EXPECT_FALSE(reopened->flag(SettingsStore::ShowAlbum));
    EXPECT_TRUE(reopened->flag(SettingsStore::ShowPlayed));
    EXPECT_EQ(reopened->color(SettingsStore::BackColor), 0x00FF8040u);
    EXPECT_EQ(reopened->text(SettingsStore::Font), QString()); // empty stays, no default
}

TEST_F(SettingsStoreTest, WritingCreatesMissingFolders)
{
    const QString path = QDir(m_home.path()).filePath(QStringLiteral("a/b/Tamboro3.conf"));
    openStore(path)->setText(SettingsStore::FastSearchParam, QStringLiteral("and"));
    EXPECT_EQ(openStore(path)->text(SettingsStore::FastSearchParam), QStringLiteral("and"));
}

TEST_F(SettingsStoreTest, BadColourTextIsAConversionError)
{
    writeFile("[General]\nBackColor=clNope\nFontColor=\n");
    auto store = openStore();
    for (const auto& [name, text] :
         {std::pair{SettingsStore::BackColor, "clNope"}, std::pair{SettingsStore::FontColor, ""}}) {
        SCOPED_TRACE(name);
        try {
            store->color(name);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("'%1' is not a valid colour value").arg(QLatin1String(text)));
        }
    }
}

TEST_F(SettingsStoreTest, FailedWriteThrowsAndKeepsReadingTheFile)
{
    // A regular file where a folder should be: unwritable even for root.
    QFile blocker(m_home.file(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = openStore(m_home.file(QStringLiteral("blocker/Tamboro3.conf")));
    EXPECT_THROW(store->setFlag(SettingsStore::ShowAlbum, false), EInOutError);
    EXPECT_TRUE(store->flag(SettingsStore::ShowAlbum));
}

TEST_F(SettingsStoreTest, MisuseOfNamesIsRefused)
{
    auto store = openStore();
    EXPECT_THROW(store->text(QStringLiteral("showalbum")), std::invalid_argument);
    EXPECT_THROW(store->setText(QStringLiteral("Other"), QStringLiteral("x")),
                 std::invalid_argument);
    EXPECT_THROW(store->flag(SettingsStore::BackColor), std::invalid_argument);
    EXPECT_THROW(store->setColor(SettingsStore::ShowAlbum, 0), std::invalid_argument);
    EXPECT_FALSE(QFile::exists(m_home.settingsFile()));
}

TEST_F(SettingsStoreTest, UserStoreLivesInTheUsersConfigFolder)
{
    SettingsStore store;
    EXPECT_TRUE(store.fileName().endsWith(QStringLiteral("/Kestrova/Tamboro3.conf")))
        << store.fileName().toStdString();
}

} // namespace
