// Internet searches from the main window: the search window opened by its command, a server
// of the test's own on a loopback address answering, and the results window built from the
// answer.

#include "app/ui/AppHarness.h"
#include "app/ui/SearchWindowDriver.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "net/SharingClient.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"
#include "net/ui/SearchWindow.h"
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "ui/Gauge.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A personal (6710, answering to 6711) or central (6714, answering to 6715) server that answers
// every search with `reply` from its own address.
struct AnsweringServer
{
    AnsweringServer(quint16 port, quint16 answerPort)
    {
        inbox.BindAddress = address;
        inbox.Port = port;
        QObject::connect(&inbox, &TNMMSGServ::OnMSG, &inbox,
                         [this, answerPort](const QString&, const QString&, const QString& peer) {
                             QTimer::singleShot(0, &inbox, [this, answerPort, peer] {
                                 TNMMsg client;
                                 client.Host = peer;
                                 client.Port = answerPort;
                                 client.LocalAddress = address;
                                 client.PostText(reply);
                             });
                         });
        EXPECT_TRUE(inbox.listen());
    }
    QString name() const { return address.toString(); }

    QHostAddress address = uniqueLoopback();
    TNMMSGServ inbox;
    QString reply;
};

QString record(const QString& artist)
{
    return artist + QStringLiteral("|Waterloo|0:02:42|/music/") + artist +
           QStringLiteral(".mp3|Album|Comment|1974|Pop|44100|128|");
}

// Records whose artists come in reverse order, so that sorting shows.
QString records(int count)
{
    QString text;
    for (int i = count; i > 0; --i)
        text += record(QStringLiteral("Artist %1").arg(i, 2, 10, QLatin1Char('0')));
    return text;
}

class InternetSearchFlowTest : public ::testing::Test, protected AppHarness
{
protected:
    InternetSearchFlowTest()
    {
        settings.setText(QLatin1String(SettingsStore::SharingAddress), uniqueLoopback().toString());
        settings.setText(QLatin1String(SettingsStore::CentralServer), central.name());
        window = start();
    }

    // Opens the search window with `command`, searches the central server or the personal
    // one for "Abba" and "Waterloo", and waits for the results window.
    ListWindow* search(bool toCentral, const QString& reply,
                       const char* command = "SearchanInternetbasedPersonalTamboroServer1")
    {
        (toCentral ? central : personal).reply = reply;
        ListWindow* list = searchThroughWindow(*window,
                                               {toCentral, personal.name(), QStringLiteral("Abba"),
                                                QStringLiteral("Waterloo"), command},
                                               &searchWindowWasModal);
        EXPECT_TRUE(searchWindowWasModal);
        EXPECT_NE(list, nullptr);
        return list;
    }

    static QStringList column(ListWindow& list, int sub)
    {
        QStringList values;
        for (const ListEntry& row : list.model()->entries())
            values << (sub < 0 ? row.caption : row.sub[std::size_t(sub)]);
        return values;
    }

    AnsweringServer personal{6710, 6711};
    AnsweringServer central{6714, 6715};
    std::unique_ptr<MainWindow> window;
    bool searchWindowWasModal = false;
};

TEST_F(InternetSearchFlowTest, SixtyRecordsGiveFiftySortedRowsInAWindowMadeForDownloads)
{
    auto* gauge = window->findChild<Gauge*>(QStringLiteral("Gauge1"));
    ASSERT_NE(gauge, nullptr);
    QList<int> positions;
    QObject::connect(gauge, &QProgressBar::valueChanged, gauge,
                     [&positions](int value) { positions << value; });

    ListWindow* list = search(false, QStringLiteral("SEARCHRES$") + records(60), "ToolButton15");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->caption(), QStringLiteral("Internet Search Results from %1 for \"Abba\" and "
                                              "\"Waterloo\"")
                                   .arg(personal.name()));
    EXPECT_TRUE(list->isSearchResult());
    ASSERT_EQ(list->model()->rowCount(), 50);
    // The first fifty records (artists 60 down to 11), in artist order.
    EXPECT_EQ(list->model()->entry(0).caption, QStringLiteral("Artist 11"));
    EXPECT_EQ(list->model()->entry(49).caption, QStringLiteral("Artist 60"));
    EXPECT_EQ(column(*list, ListEntry::Location).removeDuplicates(), 49);
    EXPECT_EQ(list->model()->entry(0).value(ListEntry::Location), personal.name() + "R");
    EXPECT_EQ(list->panelText(0), QStringLiteral("Results: 50"));
    EXPECT_EQ(list->panelText(1), QStringLiteral("(maximum 50)"));

    // The gauge counts to 25 round and round: 24 is followed by 0, and it ends hidden.
    EXPECT_EQ(gauge->maximum(), 25);
    EXPECT_FALSE(positions.contains(25));
    const qsizetype top = positions.indexOf(24);
    ASSERT_GE(top, 0);
    EXPECT_EQ(positions.value(top + 1, -1), 0);
    EXPECT_TRUE(gauge->isHidden());

    // What the window switches off for rows of other computers.
    EXPECT_FALSE(list->listView()->header()->sectionsClickable());
    EXPECT_EQ(list->listView()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->listView()->dragEnabled());
    EXPECT_TRUE(list->findChild<QWidget*>(QStringLiteral("Panel1"))->isHidden());
    EXPECT_FALSE(list->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isEnabled());
    QMenu* menu = list->contextMenu();
    EXPECT_EQ(menu->objectName(), QStringLiteral("PopupMenu2"));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("Download"));
    EXPECT_TRUE(window->findChild<SearchWindow*>(QStringLiteral("Form16"))->isHidden());
}

TEST_F(InternetSearchFlowTest, CentralAnswerNamesTheCentralServerAndCarriesAddressesOn)
{
    const QString reply = QStringLiteral("SEARCHRES$10.0.0.7;") + record("B") + record("A") +
                          QStringLiteral("10.0.0.12;") + record("C");
    ListWindow* list = search(true, reply);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->caption(), QStringLiteral("Internet Search Results from Central Tamboro "
                                              "Server for \"Abba\" and \"Waterloo\""));
    EXPECT_EQ(column(*list, -1), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(column(*list, ListEntry::Location),
              (QStringList{"10.0.0.7R", "10.0.0.7R", "10.0.0.12R"}));
    EXPECT_EQ(list->panelText(0), QStringLiteral("Results: 3"));
}

TEST_F(InternetSearchFlowTest, AnswerWithoutRecordsLeavesAnEmptyUserList)
{
    ListWindow* list = search(false, QStringLiteral("SEARCHRES$"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isUserList());
    EXPECT_EQ(list->caption(), QStringLiteral("User List (1)"));
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(list->panelText(0).startsWith(QStringLiteral("Results")));
    EXPECT_NE(list->panelText(1), QStringLiteral("(maximum 50)"));
    EXPECT_EQ(list->contextMenu()->objectName(), QStringLiteral("PopupMenu2"));
}

} // namespace
