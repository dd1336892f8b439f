// The search window against servers of the test's own on loopback addresses: a personal server
// (port 6710, answering to 6711) and a central one (6714, answering to 6715), each on an address
// of its own; the window's user listens on a third.

#include "net/ui/SearchWindow.h"
#include "net/ServerHistory.h"
#include "net/SharingClient.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "settings/SettingsStore.h"
#include "testsupport/CaseNames.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ScriptedDialogs.h"
#include "testsupport/TempHome.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace std::chrono_literals;

namespace {

// A server as the window sees it: it keeps the searches it is sent and answers with `reply`
// from its own address, at once or when the test says so.
struct FakeServer
{
    FakeServer(quint16 port, quint16 answerPort)
        : answerPort(answerPort)
    {
        inbox.BindAddress = address;
        inbox.Port = port;
        QObject::connect(&inbox, &TNMMSGServ::OnMSG, &inbox,
                         [this](const QString&, const QString& text, const QString& peer) {
                             received << text;
                             asker = peer;
                             if (answerAtOnce)
                                 QTimer::singleShot(0, &inbox, [this] { answer(); });
                         });
        EXPECT_TRUE(inbox.listen());
    }

    void answer()
    {
        TNMMsg client;
        client.Host = asker;
        client.Port = answerPort;
        client.LocalAddress = address;
        client.PostText(reply);
    }

    QString name() const { return address.toString(); }

    QHostAddress address = uniqueLoopback();
    quint16 answerPort;
    TNMMSGServ inbox;
    QStringList received;
    QString asker;
    bool answerAtOnce = false;
    QString reply =
        QStringLiteral("SEARCHRES$Abba|Waterloo|0:02:42|/m/w.mp3|||1974|Pop|44100|128|");
};

class SearchWindowTest : public ::testing::Test
{
protected:
    SearchWindowTest()
    {
        settings.setText(QLatin1String(SettingsStore::CentralServer), central.name());
        window.setAnswerWait(5s);
    }

    SharingSettings sharingSettings()
    {
        SharingSettings s;
        s.address = uniqueLoopback();
        // Where nobody listens: the window asks the central server the settings name now.
        s.centralServer = uniqueLoopback().toString();
        return s;
    }

    QString historyFile() const { return home.file(ServerHistory::fileName); }
    QByteArray history() const
    {
        QFile file(historyFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    template <typename T> T* child(const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QToolButton* button() { return child<QToolButton>("SpeedButton1"); }
    void choose(bool central, const QString& server = QString())
    {
        child<QRadioButton>(central ? "RadioButton1" : "RadioButton2")->setChecked(true);
        child<QComboBox>("ComboBox1")->setEditText(server);
        child<QLineEdit>("Edit1")->setText(QStringLiteral("Abba"));
        child<QLineEdit>("Edit2")->setText(QStringLiteral("Waterloo"));
    }
    // Whether the window is ready for a search, as after showing it.
    bool isReady()
    {
        return !window.isSearching() && button()->isEnabled() &&
               button()->text() == QStringLiteral("Search") &&
               child<QGroupBox>("GroupBox2")->isEnabled() &&
               child<QGroupBox>("GroupBox3")->isEnabled();
    }

    TempHome home;
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
    ScriptedDialogs dialogs;
    FakeServer personal{6710, 6711};
    FakeServer central{6714, 6715};
    SharingClient sharing{sharingSettings()};
    SearchWindow window{sharing, dialogs, settings, home.path()};
};

TEST_F(SearchWindowTest, ShowsItsLayoutAndTheHistorySortedWithTheFirstEntryChosen)
{
    writeTestFile(historyFile(), "zeta.example\r\nalpha.example\r\n10.0.0.12\r\n");
    window.show();
    EXPECT_EQ(window.objectName(), QStringLiteral("Form16"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Search Internet"));
    EXPECT_EQ(window.size(), QSize(250, 277));
    EXPECT_EQ(child<QGroupBox>("GroupBox1")->title(), QStringLiteral(" Information "));
    EXPECT_EQ(child<QGroupBox>("GroupBox2")->title(), QStringLiteral(" Server "));
    EXPECT_EQ(child<QGroupBox>("GroupBox3")->title(), QStringLiteral(" Search for "));
    EXPECT_TRUE(child<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(child<QComboBox>("ComboBox1")->isEditable());
    EXPECT_EQ(window.servers(), (QStringList{"10.0.0.12", "alpha.example", "zeta.example"}));
    EXPECT_EQ(window.serverText(), QStringLiteral("10.0.0.12"));
    EXPECT_TRUE(button()->autoRaise());
    EXPECT_EQ(button()->toolTip(), central.name());
    EXPECT_TRUE(isReady());

    // Shown again: the search texts are empty and the hint follows the setting.
    child<QLineEdit>("Edit1")->setText(QStringLiteral("Abba"));
    settings.setText(QLatin1String(SettingsStore::CentralServer), QStringLiteral("127.0.0.1"));
    window.hide();
    window.show();
    EXPECT_TRUE(window.artist().isEmpty());
    EXPECT_EQ(button()->toolTip(), QStringLiteral("127.0.0.1"));
}

TEST_F(SearchWindowTest, AHistoryThatCannotBeReadIsReportedAndTheBoxStartsEmpty)
{
    ASSERT_TRUE(QDir().mkpath(historyFile()));
    window.show();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front().kind, Dialogs::Kind::Error);
    EXPECT_TRUE(dialogs.messages().front().text.contains(ServerHistory::fileName));
    EXPECT_TRUE(window.servers().isEmpty());
    EXPECT_TRUE(isReady());
}

struct HistoryCase
{
    const char* name;
    std::optional<QByteArray> before;
    bool central;
    QString typed;
    QByteArray after;
};

const HistoryCase historyCases[] = {
    {"new server is added and saved", std::nullopt, false, QStringLiteral("10.0.0.5"),
     "10.0.0.5\r\n"},
    {"added in its sorted place", QByteArray("b.example\r\nc.example\r\n"), false,
     QStringLiteral("a.example"), "a.example\r\nb.example\r\nc.example\r\n"},
    {"a part of a known entry is not added", QByteArray("10.0.0.12\r\n"), false,
     QStringLiteral("10.0.0.1"), "10.0.0.12\r\n"},
    {"a known entry is not added twice", QByteArray("10.0.0.12\r\n"), false,
     QStringLiteral("10.0.0.12"), "10.0.0.12\r\n"},
    {"the box text is kept with the central server too", std::nullopt, true,
     QStringLiteral("10.0.0.7"), "10.0.0.7\r\n"},
    {"an empty text is not added", std::nullopt, true, QString(), "(none)"},
};

class SearchHistory : public SearchWindowTest, public ::testing::WithParamInterface<HistoryCase>
{};

TEST_P(SearchHistory, GrowsByTheTypedServerUnlessItIsKnown)
{
    const HistoryCase& c = GetParam();
    if (c.before)
        writeTestFile(historyFile(), *c.before);
    window.show();
    // Nobody listens at these addresses: the search fails at once, the history is kept.
    personal.inbox.close();
    central.inbox.close();
    choose(c.central, c.typed);
    button()->click();
    EXPECT_EQ(history(), c.after);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(isReady());
}

INSTANTIATE_TEST_SUITE_P(SearchWindow, SearchHistory, ::testing::ValuesIn(historyCases), RowName());

struct ContactCase
{
    const char* name;
    bool stopServer;
    QString server; // empty: the personal server's own address
    bool useServerText;
};

const ContactCase contactCases[] = {
    {"nothing listens on the personal server", true, QString(), false},
    {"no personal server named", false, QString(), true},
};

class SearchContact : public SearchWindowTest, public ::testing::WithParamInterface<ContactCase>
{};

TEST_P(SearchContact, FailureShowsTheErrorBoxAndTheWindowIsReadyAgain)
{
    const ContactCase& c = GetParam();
    window.show();
    if (c.stopServer)
        personal.inbox.close();
    choose(false, c.useServerText ? c.server : personal.name());
    button()->click();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front().kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.messages().front().text, SearchWindow::contactErrorText());
    EXPECT_TRUE(isReady());
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(sharing.searchOutstanding());
    // An unnamed personal server is never taken for the central one.
    spinFor(50ms);
    EXPECT_TRUE(central.received.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(SearchWindow, SearchContact, ::testing::ValuesIn(contactCases), RowName());

class SearchAnswer : public SearchWindowTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(SearchAnswer, SearchingUntilTheAnswerClosesTheWindow)
{
    const bool toCentral = GetParam();
    FakeServer& server = toCentral ? central : personal;
    QSignalSpy answered(&sharing, &SharingClient::searchAnswered);
    window.show();
    choose(toCentral, toCentral ? QString() : personal.name());
    button()->click();
    ASSERT_TRUE(eventually([&] { return server.received.size() == 1; }));
    EXPECT_EQ(server.received.front(), QStringLiteral("SEARCH$Abba$Waterloo"));
    EXPECT_EQ(button()->text(), QStringLiteral("Searching..."));
    EXPECT_FALSE(button()->isEnabled());
    EXPECT_FALSE(child<QGroupBox>("GroupBox2")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>("GroupBox3")->isEnabled());
    EXPECT_TRUE(window.isVisible());

    server.answer();
    ASSERT_TRUE(eventually([&] { return !window.isVisible(); }));
    ASSERT_EQ(answered.size(), 1);
    EXPECT_EQ(answered.front().front().toString(), server.reply);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    // What the results are built from stays until the window is shown again.
    EXPECT_EQ(window.artist(), QStringLiteral("Abba"));
    EXPECT_EQ(window.centralChosen(), toCentral);
}

INSTANTIATE_TEST_SUITE_P(SearchWindow, SearchAnswer, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "central" : "personal");
                         });

TEST_F(SearchWindowTest, AServerThatAnswersAtOnceClosesTheWindowAsWell)
{
    personal.answerAtOnce = true;
    window.show();
    choose(false, personal.name());
    button()->click();
    ASSERT_TRUE(eventually([&] { return !window.isVisible(); }));
    EXPECT_TRUE(isReady());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(SearchWindowTest, NoAnswerInTimeBringsTheWindowBackWithAMessage)
{
    QSignalSpy answered(&sharing, &SharingClient::searchAnswered);
    window.setAnswerWait(200ms);
    window.show();
    choose(false, personal.name());
    button()->click();
    ASSERT_TRUE(eventually([&] { return !dialogs.messages().isEmpty(); }));
    EXPECT_EQ(dialogs.messages().front().kind, Dialogs::Kind::Information);
    EXPECT_EQ(dialogs.messages().front().text, SearchWindow::noAnswerText());
    EXPECT_TRUE(isReady());
    EXPECT_TRUE(window.isVisible());

    // A late answer opens nothing.
    QSignalSpy dropped(&sharing, &SharingClient::dropped);
    personal.answer();
    ASSERT_TRUE(eventually([&] { return dropped.size() == 1; }));
    spinFor(700ms);
    EXPECT_EQ(answered.size(), 0);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(SearchWindowTest, ClosingTheWindowGivesTheSearchUp)
{
    QSignalSpy answered(&sharing, &SharingClient::searchAnswered);
    QSignalSpy dropped(&sharing, &SharingClient::dropped);
    window.show();
    choose(false, personal.name());
    button()->click();
    ASSERT_TRUE(eventually([&] { return personal.received.size() == 1; }));
    window.close();
    EXPECT_FALSE(sharing.searchOutstanding());
    personal.answer();
    ASSERT_TRUE(eventually([&] { return dropped.size() == 1; }));
    spinFor(700ms);
    EXPECT_EQ(answered.size(), 0);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    window.show();
    EXPECT_TRUE(isReady());
}

} // namespace
