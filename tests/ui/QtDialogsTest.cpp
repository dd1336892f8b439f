#include "ui/QtDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// Answers the next modal dialog as a person would: once it is open, `act` looks at it and
// closes it. Should the dialog never take its answer, a guard rejects it, so a failing test
// cannot hang.
class DialogDriver
{
public:
    explicit DialogDriver(std::function<void(QWidget*)> act)
        : m_act(std::move(act))
    {
        poll();
        QTimer::singleShot(10000, &m_context, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
    }
    bool acted() const { return m_acted; }

private:
    void poll()
    {
        // Timers on m_context die with the driver.
        QTimer::singleShot(0, &m_context, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                poll();
                return;
            }
            m_acted = true;
            m_act(modal);
        });
    }

    std::function<void(QWidget*)> m_act;
    bool m_acted = false;
    QObject m_context;
};

struct MessageCase
{
    const char* name;
    Dialogs::Kind kind;
    const char* title;
    QMessageBox::StandardButton press;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    const char* caption;
    Dialogs::Answer answer;
};

void PrintTo(const MessageCase& c, std::ostream* os)
{
    *os << c.name;
}

class QtDialogsMessageTest : public ::testing::TestWithParam<MessageCase>
{};

TEST_P(QtDialogsMessageTest, BoxHasTheKindsIconButtonsAndCaption)
{
    const MessageCase& c = GetParam();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString caption;
    QString text;
    DialogDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        buttons = box->standardButtons();
        caption = box->windowTitle();
        text = box->text();
        box->button(c.press)->click();
    });

    QtDialogs dialogs;
    const Dialogs::Answer answer =
        dialogs.message(c.kind, QStringLiteral("Delete it?"), QString::fromLatin1(c.title));
    ASSERT_TRUE(driver.acted());
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(buttons, c.buttons);
    EXPECT_EQ(caption, QString::fromLatin1(c.caption));
    EXPECT_EQ(text, "Delete it?");
    EXPECT_EQ(answer, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QtDialogsMessageTest,
    ::testing::Values(
        MessageCase{"Information", Dialogs::Kind::Information, "", QMessageBox::Ok,
                    QMessageBox::Information, QMessageBox::Ok, "Tamboro 3", Dialogs::Answer::Ok},
        MessageCase{"ErrorWithTitle", Dialogs::Kind::Error, "Add files", QMessageBox::Ok,
                    QMessageBox::Critical, QMessageBox::Ok, "Add files", Dialogs::Answer::Ok},
        MessageCase{"ConfirmationYes", Dialogs::Kind::Confirmation, "", QMessageBox::Yes,
                    QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, "Tamboro 3",
                    Dialogs::Answer::Yes},
        MessageCase{"ConfirmationNo", Dialogs::Kind::Confirmation, "", QMessageBox::No,
                    QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, "Tamboro 3",
                    Dialogs::Answer::No}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

TEST(QtDialogsTest, ClosingAConfirmationWithoutAnAnswerMeansNo)
{
    DialogDriver driver([](QWidget* modal) { modal->close(); });
    QtDialogs dialogs;
    EXPECT_EQ(dialogs.message(Dialogs::Kind::Confirmation, QStringLiteral("Sure?")),
              Dialogs::Answer::No);
    EXPECT_TRUE(driver.acted());
}

TEST(QtDialogsTest, PromptGivesTheTextTypedOrNothingWhenCancelled)
{
    QtDialogs dialogs;
    {
        DialogDriver driver([](QWidget* modal) {
            auto* input = qobject_cast<QInputDialog*>(modal);
            ASSERT_NE(input, nullptr);
            EXPECT_EQ(input->labelText(), "Keywords:");
            EXPECT_EQ(input->textValue(), "old");
            // Wide enough for a title that is longer than the prompt's own size.
            QFont bold = input->font();
            bold.setBold(true);
            EXPECT_GT(input->width(), QFontMetrics(bold).horizontalAdvance(input->windowTitle()));
            input->setTextValue(QStringLiteral("blue moon"));
            input->accept();
        });
        EXPECT_EQ(dialogs.prompt(QStringLiteral("A title far longer than the prompt would be"),
                                 QStringLiteral("Keywords:"), QStringLiteral("old")),
                  std::optional<QString>(QStringLiteral("blue moon")));
    }
    DialogDriver driver([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(dialogs.prompt(QStringLiteral("FastSearch"), QStringLiteral("Keywords:"), QString()),
              std::nullopt);
}

TEST(QtDialogsTest, FontPickerOffersFacesAndKeepsTheColourWhenItIsNotChanged)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString last = families.back();
    QtDialogs dialogs;
    QString shownFirst;
    DialogDriver driver([&](QWidget* modal) {
        auto* chooser = modal->findChild<QFontComboBox*>(QStringLiteral("FontFaceBox"));
        ASSERT_NE(chooser, nullptr);
        shownFirst = chooser->currentFont().family();
        chooser->setCurrentIndex(chooser->findText(last));
        modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QColor color(Qt::darkGreen);
    const std::optional<QFont> font = dialogs.pickFont(QFont(families.front()), color);
    ASSERT_TRUE(driver.acted());
    EXPECT_EQ(shownFirst, families.front());
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->family(), last);
    EXPECT_EQ(color, QColor(Qt::darkGreen));

    DialogDriver cancel([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(dialogs.pickFont(QFont(), color), std::nullopt);
}

} // namespace

namespace {

// The buttons in the order given, the first the default; the index of the one pressed, and
// nothing when the box is closed without one.
TEST(QtDialogsChooseTest, AnswersTheIndexOfTheButtonPressed)
{
    const QStringList buttons = {QStringLiteral("Replace"), QStringLiteral("Skip"),
                                 QStringLiteral("Replace all"), QStringLiteral("Cancel")};
    QStringList shown;
    QString defaultButton;
    DialogDriver pressThird([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Copying files..."));
        EXPECT_EQ(box->text(), QStringLiteral("Replace it?"));
        for (QAbstractButton* button : box->buttons())
            shown << button->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Replace all"))
                button->click();
    });
    EXPECT_EQ(QtDialogs().choose(QStringLiteral("Copying files..."), QStringLiteral("Replace it?"),
                                 buttons),
              std::optional<int>(2));
    EXPECT_TRUE(pressThird.acted());
    shown.sort();
    QStringList expected = buttons;
    expected.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(defaultButton, QStringLiteral("Replace"));

    DialogDriver close([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(QtDialogs().choose(QString(), QStringLiteral("Replace it?"), buttons), std::nullopt);
}

} // namespace
