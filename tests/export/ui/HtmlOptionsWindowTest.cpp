#include "export/ui/HtmlOptionsWindow.h"

#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"
#include "testsupport/ScriptedDialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// ---- the controls and their defaults --------------------------------------------------------

struct ControlCase
{
    const char* name;
    const char* objectName;
    const char* caption;
    bool checked;
};

class HtmlOptionsDefaultsTest : public ::testing::TestWithParam<ControlCase>
{};

TEST_P(HtmlOptionsDefaultsTest, CaptionAndDefault)
{
    ScriptedDialogs dialogs;
    HtmlOptionsWindow window(dialogs);
    auto* button = window.findChild<QAbstractButton*>(QLatin1String(GetParam().objectName));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromLatin1(GetParam().caption));
    EXPECT_EQ(button->isChecked(), GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, HtmlOptionsDefaultsTest,
    ::testing::Values(ControlCase{"without table", "RadioButton1", "Without Table", true},
                      ControlCase{"with table", "RadioButton2", "With Table", false},
                      ControlCase{"artist", "CheckBox1", "Artist", true},
                      ControlCase{"title", "CheckBox2", "Title", true},
                      ControlCase{"track length", "CheckBox3", "Track length", true},
                      ControlCase{"filename", "CheckBox4", "Filename", false},
                      ControlCase{"album", "CheckBox5", "Album", false},
                      ControlCase{"comment", "CheckBox6", "Comment", false},
                      ControlCase{"year", "CheckBox7", "Year", false},
                      ControlCase{"genre", "CheckBox8", "Genre", false},
                      ControlCase{"bitrate", "CheckBox9", "Bitrate", false},
                      ControlCase{"secondary", "CheckBox10", "Show secondary information", false},
                      ControlCase{"generate", "Button1", "Generate", false},
                      ControlCase{"close", "Button2", "Close", false}),
    RowName());

TEST(HtmlOptionsWindowTest, TitleGroupsAndDefaultOptions)
{
    ScriptedDialogs dialogs;
    HtmlOptionsWindow window(dialogs);
    EXPECT_EQ(window.objectName(), QStringLiteral("Form7"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Generate HTML page from database"));
    EXPECT_FALSE(window.isModal());
    QStringList groups;
    for (const QGroupBox* group : window.findChildren<QGroupBox*>())
        groups << group->title();
    EXPECT_EQ(groups,
              QStringList({QStringLiteral(" Please select the style of the Internet page  "),
                           QStringLiteral(" Please select the parameters to export ")}));

    const HtmlExport::Options options = window.options();
    const HtmlExport::Options defaults;
    EXPECT_FALSE(options.withTable);
    EXPECT_FALSE(options.secondary);
    EXPECT_TRUE(std::equal(std::begin(options.fields), std::end(options.fields),
                           std::begin(defaults.fields)));
}

TEST(HtmlOptionsWindowTest, ChoicesLastFromOneUseToTheNext)
{
    ScriptedDialogs dialogs;
    HtmlOptionsWindow window(dialogs);
    window.show();
    window.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->setChecked(true);
    window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
    window.findChild<QCheckBox*>(QStringLiteral("CheckBox9"))->setChecked(true);
    window.findChild<QCheckBox*>(QStringLiteral("CheckBox10"))->setChecked(true);
    window.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(dialogs.records().isEmpty()); // "Close" asks nothing
    window.show();

    const HtmlExport::Options options = window.options();
    EXPECT_TRUE(options.withTable);
    EXPECT_TRUE(options.secondary);
    EXPECT_FALSE(options.has(HtmlExport::Field::Artist));
    EXPECT_TRUE(options.has(HtmlExport::Field::Title));
    EXPECT_TRUE(options.has(HtmlExport::Field::Bitrate));
}

// ---- "Generate" and the save dialog ---------------------------------------------------------

struct SaveCase
{
    const char* name;
    std::optional<const char*> chosen; // the file name picked, nothing for Cancel
    bool existing;                     // a file of the name with ".htm" is there already
    std::optional<Dialogs::Answer> replace;
    std::optional<const char*> written; // the file handed on, nothing for none
};

class HtmlOptionsSaveTest : public ::testing::TestWithParam<SaveCase>
{};

TEST_P(HtmlOptionsSaveTest, FileHandedOnOrWindowStays)
{
    const SaveCase& c = GetParam();
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    dialogs.setStrict(true);
    HtmlOptionsWindow window(dialogs);
    window.setFolder(dir.path());
    if (c.existing) {
        QFile old(dir.filePath(QStringLiteral("list.htm")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    dialogs.queueSaveFile(c.chosen ? std::optional(dir.filePath(QString::fromLatin1(*c.chosen)))
                                   : std::nullopt);
    if (c.replace)
        dialogs.queueAnswer(*c.replace);
    QSignalSpy generated(&window, &HtmlOptionsWindow::generateRequested);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("Button1"))->click();

    const QList<ScriptedDialogs::Record> saves = dialogs.records(ScriptedDialogs::Call::SaveFile);
    ASSERT_EQ(saves.size(), 1);
    EXPECT_EQ(saves[0].title, QStringLiteral("Export Database as HTML page"));
    EXPECT_EQ(saves[0].detail, QStringLiteral("Internet pages (*.htm *.html)"));
    EXPECT_EQ(saves[0].text, dir.path());
    EXPECT_EQ(dialogs.pendingAnswers(), 0);
    if (c.written) {
        ASSERT_EQ(generated.size(), 1);
        EXPECT_EQ(generated[0][0].toString(), dir.filePath(QString::fromLatin1(*c.written)));
        EXPECT_FALSE(window.isVisible());
    } else {
        EXPECT_EQ(generated.size(), 0);
        EXPECT_TRUE(window.isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, HtmlOptionsSaveTest,
    ::testing::Values(SaveCase{"html file", "list.html", false, std::nullopt, "list.html"},
                      SaveCase{"htm added to a bare name", "list", false, std::nullopt, "list.htm"},
                      SaveCase{"bare name of an existing page replaced", "list", true,
                               Dialogs::Answer::Yes, "list.htm"},
                      SaveCase{"bare name of an existing page kept", "list", true,
                               Dialogs::Answer::No, std::nullopt},
                      SaveCase{"cancelled", std::nullopt, false, std::nullopt, std::nullopt}),
    RowName());

} // namespace
