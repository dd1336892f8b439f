#include "app/ui/OptionsDialog.h"
#include "intake/TMP3Info.h"
#include "settings/SettingsStore.h"
#include "testsupport/CaseNames.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using Kind = Dialogs::Kind;
using Answer = Dialogs::Answer;
using Call = ScriptedDialogs::Call;

const char* const kColumnChecks[] = {"ShowArtistCheck", "ShowLengthCheck",  "ShowFilenameCheck",
                                     "ShowAlbumCheck",  "ShowCommentCheck", "ShowYearCheck",
                                     "ShowGenreCheck",  "ShowPlayedCheck"};
const char* const kColumnValues[] = {"ShowArtist",  "ShowLength", "ShowFilename", "ShowAlbum",
                                     "ShowComment", "ShowYear",   "ShowGenre",    "ShowPlayed"};

class OptionsDialogTest : public ::testing::Test
{
protected:
    OptionsDialogTest()
        : m_store(std::make_unique<QSettings>(m_home.settingsFile(), QSettings::NativeFormat))
    {
        m_dialogs.setStrict(true);
    }

    // Values written before the dialog exists, as another run of the program left them.
    void store(const QString& name, const QString& text) { m_store.setText(name, text); }
    // What the settings file holds now, read by a store of its own.
    QString stored(const QString& name) const
    {
        QSettings file(m_home.settingsFile(), QSettings::NativeFormat);
        return file.value(name, QStringLiteral("<missing>")).toString();
    }

    OptionsDialog& open()
    {
        if (!m_dialog)
            m_dialog = std::make_unique<OptionsDialog>(m_store, m_dialogs, m_home.path());
        m_dialog->show();
        return *m_dialog;
    }

    template <typename T> T* find(const char* name) const
    {
        T* widget = m_dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QCheckBox* check(const char* name) const { return find<QCheckBox>(name); }
    void click(const char* name) const { find<QAbstractButton>(name)->click(); }
    QString fontText() const { return find<QLineEdit>("FontEdit")->text(); }

    void createCache() const
    {
        QFile file(m_home.file(QStringLiteral("reqs.dat")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("select * from tamboro where artist=\"A\"\r\n");
    }

    TempHome m_home;
    SettingsStore m_store;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<OptionsDialog> m_dialog;
};

TEST_F(OptionsDialogTest, EmptyStoreShowsTheDefaultsAndOkWritesThemAll)
{
    OptionsDialog& dialog = open();
    EXPECT_EQ(dialog.objectName(), "Form8");
    EXPECT_EQ(dialog.windowTitle(), "Options");
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.backColor(), ColorText::clWindow);
    EXPECT_EQ(dialog.fontColor(), ColorText::clWindowText);
    EXPECT_EQ(fontText(), "MS Sans Serif");
    EXPECT_TRUE(find<QLineEdit>("FontEdit")->isReadOnly());

    const bool expected[] = {true, true, false, true, false, false, true, false};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(check(kColumnChecks[i])->isChecked(), expected[i]) << kColumnChecks[i];
    EXPECT_EQ(check("ShowArtistCheck")->text(), "Artist && title");
    EXPECT_FALSE(check("ShowArtistCheck")->isEnabled());
    EXPECT_TRUE(check("SortAlbumsCheck")->isChecked());
    EXPECT_TRUE(check("SortAlbumsBackCheck")->isChecked());
    EXPECT_TRUE(check("SortAlbumsBackCheck")->isEnabled());
    EXPECT_TRUE(find<QRadioButton>("OrRadio")->isChecked());
    EXPECT_FALSE(find<QPushButton>("ClearCacheButton")->isEnabled());

    QSignalSpy applied(&dialog, &OptionsDialog::settingsApplied);
    click("OkButton");
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(stored("BackColor"), "clWindow");
    EXPECT_EQ(stored("FontColor"), "clWindowText");
    EXPECT_EQ(stored("Font"), "MS Sans Serif");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(stored(kColumnValues[i]), expected[i] ? "True" : "False") << kColumnValues[i];
    EXPECT_EQ(stored("SortAlbums"), "True");
    EXPECT_EQ(stored("SortAlbumsBack"), "True");
    EXPECT_EQ(stored("FastSearchParam"), "or");
    EXPECT_TRUE(m_dialogs.records().isEmpty());
}

TEST_F(OptionsDialogTest, StoredValuesAreLoadedAndFlagsAreTrueOnlyForExactTrue)
{
    store("BackColor", "$00FF8040");
    store("FontColor", "CLRED");
    store("Font", "DejaVu Sans");
    store("ShowAlbum", "true");
    store("ShowFilename", "True");
    store("ShowLength", "False");
    store("ShowArtist", "False");
    store("SortAlbums", "False");
    store("SortAlbumsBack", "True");
    store("FastSearchParam", "and");

    OptionsDialog& dialog = open();
    EXPECT_EQ(dialog.backColor(), 0x00FF8040u);
    EXPECT_EQ(dialog.fontColor(), ColorText::clRed);
    EXPECT_EQ(fontText(), "DejaVu Sans");
    EXPECT_FALSE(check("ShowAlbumCheck")->isChecked());
    EXPECT_TRUE(check("ShowFilenameCheck")->isChecked());
    EXPECT_FALSE(check("ShowLengthCheck")->isChecked());
    // Artist and title are always shown.
    EXPECT_TRUE(check("ShowArtistCheck")->isChecked());
    EXPECT_FALSE(check("SortAlbumsCheck")->isChecked());
    EXPECT_FALSE(check("SortAlbumsBackCheck")->isEnabled());
    EXPECT_TRUE(find<QRadioButton>("AndRadio")->isChecked());

    click("OkButton");
    EXPECT_EQ(stored("BackColor"), "$00FF8040");
    EXPECT_EQ(stored("FontColor"), "clRed");
    EXPECT_EQ(stored("ShowAlbum"), "False");
    EXPECT_EQ(stored("ShowArtist"), "True");
    EXPECT_EQ(stored("FastSearchParam"), "and");
}

TEST_F(OptionsDialogTest, EveryShowingReloadsWhatCancelLeftUnsaved)
{
    OptionsDialog& dialog = open();
    check("ShowYearCheck")->click();
    click("AndRadio");
    m_dialogs.queueColor(QColor(Qt::yellow));
    click("BackColorSwatch");
    EXPECT_EQ(dialog.backColor(), ColorText::clYellow);

    click("CancelButton");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    QSettings file(m_home.settingsFile(), QSettings::NativeFormat);
    EXPECT_TRUE(file.allKeys().isEmpty()) << file.allKeys().join(u',').toStdString();

    store("ShowComment", "True");
    open();
    EXPECT_FALSE(check("ShowYearCheck")->isChecked());
    EXPECT_TRUE(check("ShowCommentCheck")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("OrRadio")->isChecked());
    EXPECT_EQ(dialog.backColor(), ColorText::clWindow);
}

TEST_F(OptionsDialogTest, PickedFontColorIsStoredAtOnceAndSurvivesCancel)
{
    OptionsDialog& dialog = open();
    m_dialogs.queueColor(QColor(0x40, 0x80, 0xFF));
    click("FontColorSwatch");
    ASSERT_EQ(m_dialogs.records(Call::PickColor).size(), 1);
    EXPECT_EQ(dialog.fontColor(), 0x00FF8040u);
    EXPECT_EQ(stored("FontColor"), "$00FF8040");

    click("CancelButton");
    EXPECT_EQ(stored("FontColor"), "$00FF8040");
    EXPECT_EQ(stored("BackColor"), "<missing>");
}

TEST_F(OptionsDialogTest, CancelledPickersChangeNothing)
{
    OptionsDialog& dialog = open();
    m_dialogs.queueColor(std::nullopt);
    m_dialogs.queueColor(std::nullopt);
    m_dialogs.queueFont(std::nullopt);
    click("BackColorSwatch");
    click("FontColorSwatch");
    QTest::mouseClick(find<QLineEdit>("FontEdit"), Qt::LeftButton);

    EXPECT_EQ(dialog.backColor(), ColorText::clWindow);
    EXPECT_EQ(dialog.fontColor(), ColorText::clWindowText);
    EXPECT_EQ(fontText(), "MS Sans Serif");
    EXPECT_EQ(stored("FontColor"), "<missing>");
    EXPECT_EQ(m_dialogs.pendingAnswers(), 0);
}

TEST_F(OptionsDialogTest, FontPickerFillsTheFieldAndTheFontColorSwatch)
{
    store("FontColor", "clNavy");
    OptionsDialog& dialog = open();
    m_dialogs.queueFont(QFont(QStringLiteral("DejaVu Serif")), QColor(Qt::red));
    QTest::mouseClick(find<QLineEdit>("FontEdit"), Qt::LeftButton);

    ASSERT_EQ(m_dialogs.records(Call::PickFont).size(), 1);
    EXPECT_EQ(m_dialogs.lastInitialFont().family(), "MS Sans Serif");
    EXPECT_EQ(m_dialogs.lastInitialFontColor(), QColor(0, 0, 0x80));
    EXPECT_EQ(fontText(), "DejaVu Serif");
    EXPECT_EQ(dialog.fontColor(), ColorText::clRed);
    // Only a colour picked on its own swatch is stored before OK.
    EXPECT_EQ(stored("FontColor"), "clNavy");

    click("OkButton");
    EXPECT_EQ(stored("Font"), "DejaVu Serif");
    EXPECT_EQ(stored("FontColor"), "clRed");
}

TEST_F(OptionsDialogTest, FontPickedWithItsColourUnchangedKeepsTheSystemColourName)
{
    OptionsDialog& dialog = open();
    m_dialogs.queueFont(QFont(QStringLiteral("DejaVu Sans")));
    QTest::mouseClick(find<QLineEdit>("FontEdit"), Qt::LeftButton);
    EXPECT_EQ(fontText(), "DejaVu Sans");
    EXPECT_EQ(dialog.fontColor(), ColorText::clWindowText);
    click("OkButton");
    EXPECT_EQ(stored("FontColor"), "clWindowText");
}

TEST_F(OptionsDialogTest, FontIsStoredByItsFaceNameWithoutTheFoundry)
{
    open();
    m_dialogs.queueFont(QFont(QStringLiteral("Nimbus Mono PS [urw]")));
    QTest::mouseClick(find<QLineEdit>("FontEdit"), Qt::LeftButton);
    EXPECT_EQ(fontText(), "Nimbus Mono PS");
    click("OkButton");
    EXPECT_EQ(stored("Font"), "Nimbus Mono PS");

    // A face stored with its foundry by an earlier version is stored cleanly by the next OK.
    store("Font", "DejaVu Sans [PfEd]");
    open();
    click("OkButton");
    EXPECT_EQ(stored("Font"), "DejaVu Sans");
}

TEST_F(OptionsDialogTest, SecondSortBoxFollowsTheFirst)
{
    open();
    QCheckBox* first = check("SortAlbumsCheck");
    QCheckBox* second = check("SortAlbumsBackCheck");

    first->click();
    EXPECT_FALSE(second->isChecked());
    EXPECT_FALSE(second->isEnabled());
    first->click();
    EXPECT_TRUE(second->isChecked());
    EXPECT_TRUE(second->isEnabled());

    second->click();
    EXPECT_TRUE(first->isChecked());
    first->click();
    click("OkButton");
    EXPECT_EQ(stored("SortAlbums"), "False");
    EXPECT_EQ(stored("SortAlbumsBack"), "False");
}

TEST_F(OptionsDialogTest, ResetButtonsRestoreTheDefaultsWithoutWriting)
{
    store("BackColor", "clRed");
    store("FontColor", "clLime");
    store("Font", "DejaVu Sans");
    for (const char* name : kColumnValues)
        store(QString::fromLatin1(name), QStringLiteral("True"));
    store("SortAlbums", "False");
    store("SortAlbumsBack", "False");
    store("FastSearchParam", "and");
    OptionsDialog& dialog = open();

    click("ResetVisual");
    EXPECT_EQ(dialog.backColor(), ColorText::clWindow);
    EXPECT_EQ(dialog.fontColor(), ColorText::clWindowText);
    EXPECT_EQ(fontText(), "MS Sans Serif");
    const bool expected[] = {true, true, false, true, false, false, true, false};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(check(kColumnChecks[i])->isChecked(), expected[i]) << kColumnChecks[i];
    // The other page is left alone.
    EXPECT_FALSE(check("SortAlbumsCheck")->isChecked());

    click("ResetOther");
    EXPECT_TRUE(check("SortAlbumsCheck")->isChecked());
    EXPECT_TRUE(check("SortAlbumsBackCheck")->isChecked());
    EXPECT_TRUE(check("SortAlbumsBackCheck")->isEnabled());
    EXPECT_TRUE(find<QRadioButton>("OrRadio")->isChecked());

    EXPECT_EQ(stored("BackColor"), "clRed");
    EXPECT_EQ(stored("ShowYear"), "True");
    EXPECT_EQ(stored("FastSearchParam"), "and");
}

class OptionsCacheTest : public OptionsDialogTest
{};

TEST_F(OptionsCacheTest, ButtonIsEnabledExactlyWhenTheCacheFileExists)
{
    open();
    EXPECT_FALSE(find<QPushButton>("ClearCacheButton")->isEnabled());
    m_dialog->hide();
    createCache();
    open();
    EXPECT_TRUE(find<QPushButton>("ClearCacheButton")->isEnabled());
}

TEST_F(OptionsCacheTest, YesDeletesTheFileDisablesTheButtonAndSignals)
{
    createCache();
    OptionsDialog& dialog = open();
    QSignalSpy cleared(&dialog, &OptionsDialog::parameterCacheCleared);
    m_dialogs.queueAnswer(Answer::Yes);
    click("ClearCacheButton");

    ASSERT_EQ(m_dialogs.messages().size(), 1);
    const ScriptedDialogs::Record asked = m_dialogs.messages().first();
    EXPECT_EQ(asked.kind, Kind::Confirmation);
    EXPECT_EQ(asked.text, "Are you sure you want to delete all your cached load-by-paramter data?");
    EXPECT_TRUE(asked.title.isEmpty());
    EXPECT_FALSE(QFile::exists(m_home.file(QStringLiteral("reqs.dat"))));
    EXPECT_FALSE(find<QPushButton>("ClearCacheButton")->isEnabled());
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OptionsCacheTest, NoKeepsTheFile)
{
    createCache();
    OptionsDialog& dialog = open();
    QSignalSpy cleared(&dialog, &OptionsDialog::parameterCacheCleared);
    m_dialogs.queueAnswer(Answer::No);
    click("ClearCacheButton");

    EXPECT_TRUE(QFile::exists(m_home.file(QStringLiteral("reqs.dat"))));
    EXPECT_TRUE(find<QPushButton>("ClearCacheButton")->isEnabled());
    EXPECT_EQ(cleared.count(), 0);
}

TEST_F(OptionsDialogTest, ColourTextThatIsNoColourIsReportedAndTheRestStillLoads)
{
    store("BackColor", "Mauve");
    store("FontColor", "clTeal");
    store("ShowYear", "True");
    m_dialogs.setStrict(false);

    OptionsDialog& dialog = open();
    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_EQ(m_dialogs.messages().first().kind, Kind::Error);
    EXPECT_TRUE(m_dialogs.messages().first().text.contains("Mauve"))
        << m_dialogs.messages().first().text.toStdString();
    EXPECT_EQ(dialog.backColor(), ColorText::clWindow);
    EXPECT_EQ(dialog.fontColor(), ColorText::clTeal);
    EXPECT_TRUE(check("ShowYearCheck")->isChecked());
    EXPECT_TRUE(dialog.isVisible());

    // Saving replaces the broken text with the colour shown.
    click("OkButton");
    EXPECT_EQ(stored("BackColor"), "clWindow");
    EXPECT_EQ(stored("ShowYear"), "True");
}

// The tag options: reading ID3v2 tags at intake, and the code page of ID3v1 text, which OK
// hands to every tag reader made from then on.
class OptionsTagTest : public OptionsDialogTest
{
protected:
    ~OptionsTagTest() override { TMP3Info::setDefaultCodePage(SingleByteCodePage()); }
    QComboBox* codePage() const { return find<QComboBox>("CodePageCombo"); }
    QLabel* note() const { return find<QLabel>("CodePageNote"); }
};

TEST_F(OptionsTagTest, DefaultsAreId3v2OnAndWindows1252)
{
    open();
    EXPECT_EQ(check("ReadId3v2Check")->text(), "Read ID3v2 tags when a file has no ID3v1 tag");
    EXPECT_TRUE(check("ReadId3v2Check")->isChecked());
    EXPECT_EQ(codePage()->currentText(), "Windows-1252");
    EXPECT_EQ(codePage()->itemText(0), "Windows-1252");
    EXPECT_TRUE(note()->isHidden());
    click("OkButton");
    EXPECT_EQ(stored("ReadID3v2Tags"), "True");
    EXPECT_EQ(stored("ID3v1CodePage"), "Windows-1252");
}

TEST_F(OptionsTagTest, OkStoresTheChoiceAndTagReadersUseTheCodePage)
{
    open();
    const int cyrillic = codePage()->findText("Windows-1251");
    if (cyrillic < 0)
        GTEST_SKIP() << "Windows-1251 is not offered by Qt on this system";
    check("ReadId3v2Check")->setChecked(false);
    codePage()->setCurrentIndex(cyrillic);
    EXPECT_EQ(TMP3Info().codePage().name(), "Windows-1252"); // nothing before OK
    click("OkButton");
    EXPECT_EQ(stored("ReadID3v2Tags"), "False");
    EXPECT_EQ(stored("ID3v1CodePage"), "Windows-1251");
    EXPECT_EQ(TMP3Info().codePage().name(), "Windows-1251");

    // Shown again, the dialog shows what is stored; reset brings the defaults back.
    open();
    EXPECT_FALSE(check("ReadId3v2Check")->isChecked());
    EXPECT_EQ(codePage()->currentText(), "Windows-1251");
    click("ResetOther");
    EXPECT_TRUE(check("ReadId3v2Check")->isChecked());
    EXPECT_EQ(codePage()->currentText(), "Windows-1252");
    EXPECT_EQ(stored("ID3v1CodePage"), "Windows-1251");
}

// A code page stored on another system that this one lacks: Windows-1252 is shown and used,
// and the dialog says why.
TEST_F(OptionsTagTest, UnavailableCodePageFallsBackToWindows1252WithANote)
{
    store("ID3v1CodePage", "No-Such-Page");
    EXPECT_FALSE(OptionsDialog::applyTagCodePage(m_store).isEmpty());
    EXPECT_EQ(TMP3Info().codePage().name(), "Windows-1252");
    open();
    EXPECT_EQ(codePage()->currentText(), "Windows-1252");
    EXPECT_FALSE(note()->isHidden());
    EXPECT_TRUE(note()->text().contains("No-Such-Page")) << note()->text().toStdString();
}

} // namespace

namespace {

// The central server of Internet searches: shown with the default, stored on OK without the
// spaces around it; a text that names no server is refused and nothing is written.
struct CentralServerCase
{
    const char* name;
    const char* typed;
    const char* stored; // null: refused
};

const CentralServerCase centralServerCases[] = {
    {"address kept without spaces", "  10.1.2.3 ", "10.1.2.3"},
    {"host name", "central.example", "central.example"},
    {"empty refused", "  ", nullptr},
    {"two words refused", "central server", nullptr},
};

class OptionsCentralServer : public OptionsDialogTest,
                             public ::testing::WithParamInterface<CentralServerCase>
{};

TEST_P(OptionsCentralServer, OkStoresAServerAndRefusesAnythingElse)
{
    const CentralServerCase& c = GetParam();
    OptionsDialog& dialog = open();
    auto* edit = find<QLineEdit>("CentralServerEdit");
    EXPECT_EQ(edit->text(), "127.0.0.1");
    edit->setText(QString::fromLatin1(c.typed));
    if (!c.stored)
        m_dialogs.queueAnswer(Answer::Ok);
    click("OkButton");
    if (c.stored) {
        EXPECT_EQ(stored("CentralServer"), c.stored);
        EXPECT_FALSE(dialog.isVisible());
        open();
        EXPECT_EQ(edit->text(), c.stored);
        click("ResetOther");
        EXPECT_EQ(edit->text(), "127.0.0.1");
    } else {
        ASSERT_EQ(m_dialogs.messages().size(), 1);
        EXPECT_EQ(m_dialogs.messages().front().kind, Kind::Error);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(stored("CentralServer"), "<missing>");
    }
}

INSTANTIATE_TEST_SUITE_P(OptionsDialog, OptionsCentralServer,
                         ::testing::ValuesIn(centralServerCases), RowName());

} // namespace
