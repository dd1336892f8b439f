#include "intake/ui/MassRetagWindow.h"
#include "lists/ListEntry.h"
#include "testsupport/CaseNames.h"
#include "testsupport/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

ListEntry rowWithGenre(const QString& genre)
{
    ListEntry entry;
    entry.caption = QStringLiteral("Nina Vale");
    entry.sub[ListEntry::Album] = QStringLiteral("Tides");
    entry.sub[ListEntry::Comment] = QString();
    entry.sub[ListEntry::Year] = QStringLiteral("1999");
    entry.sub[ListEntry::Genre] = genre;
    return entry;
}

class MassRetagWindowTest : public ::testing::Test
{
protected:
    QLineEdit* edit(const char* name) const
    {
        return window.findChild<QLineEdit*>(QLatin1String(name));
    }
    QComboBox* genre() const { return window.findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    void clickRetag() { window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click(); }

    ScriptedDialogs dialogs;
    MassRetagWindow window{dialogs};
};

TEST_F(MassRetagWindowTest, TypingTicksARowAndEmptyingUnticksIt)
{
    const struct
    {
        const char* edit;
        int row;
    } rows[] = {{"Edit1", 0}, {"Edit2", 2}, {"Edit3", 3}, {"Edit4", 4}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.edit);
        QTest::keyClicks(edit(r.edit), QStringLiteral("9"));
        EXPECT_TRUE(window.checkBox(r.row)->isChecked());
        QTest::keyClick(edit(r.edit), Qt::Key_Backspace);
        EXPECT_FALSE(window.checkBox(r.row)->isChecked());
    }
    // The genre row is ticked by hand only.
    genre()->setCurrentIndex(3);
    EXPECT_FALSE(window.checkBox(1)->isChecked());
    edit("Edit4")->setText(QStringLiteral("200112"));
    EXPECT_EQ(edit("Edit4")->text(), "2001");
}

struct PrefillCase
{
    const char* name;
    const char* rowGenre;
    const char* chosen; // the pick list entry chosen, "" for none
};

void PrintTo(const PrefillCase& c, std::ostream* os)
{
    *os << c.name;
}

const PrefillCase prefillCases[] = {
    {"genre as listed", "Rock", "Rock"},
    {"genre in other letter case", "fOLK/rOCK", "Folk/Rock"},
    {"genre not in the pick list", "Psytrance", ""},
    {"no genre", "", ""},
};

class MassRetagWindowPrefill : public MassRetagWindowTest,
                               public ::testing::WithParamInterface<PrefillCase>
{};

TEST_P(MassRetagWindowPrefill, FromTheFirstSelectedRow)
{
    window.prefill(rowWithGenre(QString::fromUtf8(GetParam().rowGenre)));
    EXPECT_EQ(genre()->currentText(), QString::fromUtf8(GetParam().chosen));
    EXPECT_EQ(edit("Edit1")->text(), "Nina Vale");
    EXPECT_EQ(edit("Edit2")->text(), "Tides");
    EXPECT_EQ(edit("Edit4")->text(), "1999");
    // The rows with text are ticked; the empty comment and the genre are not.
    EXPECT_EQ(window.values(), (MassRetag::Values{.artist = QStringLiteral("Nina Vale"),
                                                  .album = QStringLiteral("Tides"),
                                                  .year = QStringLiteral("1999")}));
}

INSTANTIATE_TEST_SUITE_P(Cases, MassRetagWindowPrefill, ::testing::ValuesIn(prefillCases),
                         RowName());

TEST_F(MassRetagWindowTest, TickedRowsGiveTheirValuesAnEmptyTickedTextIncluded)
{
    window.prefill(rowWithGenre(QStringLiteral("Jazz")));
    window.checkBox(0)->setChecked(false);
    window.checkBox(1)->setChecked(true);
    window.checkBox(3)->setChecked(true);
    EXPECT_EQ(window.values(), (MassRetag::Values{.genre = QStringLiteral("Jazz"),
                                                  .album = QStringLiteral("Tides"),
                                                  .comment = QString(),
                                                  .year = QStringLiteral("1999")}));
}

TEST_F(MassRetagWindowTest, RetagIsRefusedWithoutATickOrWithATickedGenreUnchosen)
{
    window.show();
    clickRetag();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].text,
              "You must have at least one parameter selected to change!");
    window.checkBox(1)->setChecked(true);
    clickRetag();
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(dialogs.messages()[1].text, "Choose the genre to set, or untick \"Genre:\".");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);

    genre()->setCurrentText(QStringLiteral("Jazz"));
    clickRetag();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
