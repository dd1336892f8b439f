#include "net/ui/SearchWindow.h"

#include "net/SearchResults.h"
#include "net/ServerHistory.h"
#include "net/SharingClient.h"
#include "net/SockError.h"
#include "net/TNMMsg.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"
#include "ui/Placement.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString searchCaption = QStringLiteral("Search");
const QString searchingCaption = QStringLiteral("Searching...");

QGroupBox* group(const char* name, const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit* edit(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

} // namespace

SearchWindow::SearchWindow(SharingClient& sharing, Dialogs& dialogs, const SettingsStore& settings,
                           QString home, QWidget* parent)
    : QDialog(parent)
    , m_sharing(sharing)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_home(std::move(home))
{
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("Search Internet"));
    setWindowIcon(Icons::get(Icons::Id::InternetSearch));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(250, 277);

    QGroupBox* information = group("GroupBox1", QStringLiteral(" Information "), this);
    QLabel* text = label("Label1",
                         QStringLiteral("Using this function you can search for and download "
                                        "files from someone else's computer who is running "
                                        "Tamboro personal server.     THIS FUNCTION IS HIGHLY "
                                        "EXPERIMENTAL."),
                         information);
    text->setWordWrap(true);
    // The notice is read once; a smaller face lets it fit the fixed window whole.
    QFont small = text->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    text->setFont(small);
    auto* informationLayout = new QVBoxLayout(information);
    informationLayout->setContentsMargins(6, 2, 6, 4);
    informationLayout->addWidget(text);

    m_serverGroup = group("GroupBox2", QStringLiteral(" Server "), this);
    m_central = new QRadioButton(QStringLiteral("Central Tamboro Server"), m_serverGroup);
    m_central->setObjectName(QStringLiteral("RadioButton1"));
    m_central->setChecked(true);
    m_personal = new QRadioButton(QStringLiteral("Personal Tamboro Server:"), m_serverGroup);
    m_personal->setObjectName(QStringLiteral("RadioButton2"));
    auto* choice = new QButtonGroup(m_serverGroup);
    choice->addButton(m_central);
    choice->addButton(m_personal);
    m_serverBox = new QComboBox(m_serverGroup);
    m_serverBox->setObjectName(QStringLiteral("ComboBox1"));
    m_serverBox->setEditable(true);
    // Entries join the list through a search only, in their sorted place.
    m_serverBox->setInsertPolicy(QComboBox::NoInsert);
    auto* serverLayout = new QVBoxLayout(m_serverGroup);
    serverLayout->setContentsMargins(6, 2, 6, 4);
    serverLayout->setSpacing(2);
    serverLayout->addWidget(m_central);
    serverLayout->addWidget(m_personal);
    serverLayout->addWidget(m_serverBox);

    m_searchGroup = group("GroupBox3", QStringLiteral(" Search for "), this);
    m_artist = edit("Edit1", m_searchGroup);
    m_title = edit("Edit2", m_searchGroup);
    m_searchButton = new QToolButton(m_searchGroup);
    m_searchButton->setObjectName(QStringLiteral("SpeedButton1"));
    m_searchButton->setText(searchCaption);
    m_searchButton->setAutoRaise(true);
    m_searchButton->setIcon(Icons::get(Icons::Id::InternetSearch));
    m_searchButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* searchLayout = new QGridLayout(m_searchGroup);
    searchLayout->setContentsMargins(6, 2, 6, 4);
    searchLayout->setVerticalSpacing(2);
    searchLayout->addWidget(label("Label2", QStringLiteral("Artist:"), m_searchGroup), 0, 0);
    searchLayout->addWidget(m_artist, 0, 1);
    searchLayout->addWidget(label("Label3", QStringLiteral("Title:"), m_searchGroup), 1, 0);
    searchLayout->addWidget(m_title, 1, 1);
    searchLayout->addWidget(m_searchButton, 2, 1, Qt::AlignRight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(information);
    layout->addWidget(m_serverGroup);
    layout->addWidget(m_searchGroup);

    m_noAnswer = new QTimer(this);
    m_noAnswer->setObjectName(QStringLiteral("NoAnswer"));
    m_noAnswer->setSingleShot(true);
    connect(m_noAnswer, &QTimer::timeout, this, &SearchWindow::noAnswer);
    connect(m_searchButton, &QToolButton::clicked, this, &SearchWindow::search);
    for (QLineEdit* field : {m_artist, m_title})
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (m_searchButton->isEnabled())
                search();
        });
    connect(&m_sharing, &SharingClient::searchAnswered, this, &SearchWindow::answerArrived);

    m_searchButton->setToolTip(centralServer());
}

// The main window's sharing client may already be gone when the program ends: a search still
// out then is no longer anybody's business.
SearchWindow::~SearchWindow() = default;

QString SearchWindow::contactErrorText()
{
    return QStringLiteral("An error has occured while trying to contact the server. Please check "
                          "if the server is running on the specified adress.");
}

QString SearchWindow::noAnswerText()
{
    return SearchResults::noAnswerText();
}

bool SearchWindow::centralChosen() const
{
    return m_central->isChecked();
}

QString SearchWindow::serverText() const
{
    return m_serverBox->currentText().trimmed();
}

QString SearchWindow::artist() const
{
    return m_artist->text();
}

QString SearchWindow::title() const
{
    return m_title->text();
}

QStringList SearchWindow::servers() const
{
    QStringList entries;
    for (int i = 0; i < m_serverBox->count(); ++i)
        entries << m_serverBox->itemText(i);
    return entries;
}

QString SearchWindow::centralServer() const
{
    return m_settings.text(QLatin1String(SettingsStore::CentralServer)).trimmed();
}

void SearchWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from being minimised is no new showing.
    if (event->spontaneous())
        return;
    formActivate();
    centerOnScreen(*this);
}

void SearchWindow::formActivate()
{
    QStringList entries;
    try {
        entries = ServerHistory::load(m_home);
    } catch (...) {
        m_dialogs.message(Dialogs::Kind::Error, currentErrorText());
    }
    setServers(entries);
    m_serverBox->setEditText(m_serverBox->count() > 0 ? m_serverBox->itemText(0) : QString());
    m_artist->clear();
    m_title->clear();
    m_searchButton->setToolTip(centralServer());
    setBusy(false);
}

void SearchWindow::setServers(QStringList entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_serverBox->clear();
    m_serverBox->addItems(entries);
}

void SearchWindow::setBusy(bool busy)
{
    m_serverGroup->setEnabled(!busy);
    m_searchGroup->setEnabled(!busy);
    m_searchButton->setEnabled(!busy);
    m_searchButton->setText(busy ? searchingCaption : searchCaption);
}

void SearchWindow::ready()
{
    m_noAnswer->stop();
    m_searching = false;
    setBusy(false);
}

void SearchWindow::rememberServer(const QString& server)
{
    // An empty text would add an empty line at every search.
    if (server.isEmpty() || ServerHistory::known(servers(), server))
        return;
    const QString typed = m_serverBox->currentText();
    setServers(servers() << server);
    m_serverBox->setEditText(typed);
    try {
        ServerHistory::save(m_home, servers());
    } catch (...) {
        // The search goes on; the box keeps the entry for as long as the window is open.
        m_dialogs.message(Dialogs::Kind::Error, currentErrorText());
    }
}

void SearchWindow::search()
{
    if (m_searching)
        return;
    const bool central = centralChosen();
    const QString server = serverText();
    m_searching = true;
    setBusy(true);
    rememberServer(server);

    // The servers that take the answer must listen before anyone is asked; a port taken by
    // another program is worth its own message.
    QString failure;
    try {
        m_sharing.start();
    } catch (...) {
        failure = currentErrorText();
    }
    if (failure.isEmpty()) {
        try {
            if (!central && server.isEmpty())
                throw ESockError(SockErrors::NullRemoteAddress);
            m_sharing.Cln2().Host = centralServer();
            m_sharing.search(artist(), title(), central ? QString() : server);
        } catch (const ESockError&) {
            failure = contactErrorText();
        } catch (...) {
            failure = currentErrorText();
        }
    }
    // Closed, or answered already, while the message went out.
    if (!m_searching)
        return;
    if (!failure.isEmpty()) {
        ready();
        m_dialogs.message(Dialogs::Kind::Error, failure);
        return;
    }
    // An answer taken already is on its way through the results timer.
    if (m_sharing.searchOutstanding())
        m_noAnswer->start(m_answerWait);
}

void SearchWindow::answerArrived()
{
    if (!m_searching)
        return;
    ready();
    accept();
}

void SearchWindow::noAnswer()
{
    if (!m_searching)
        return;
    m_sharing.cancelSearch();
    ready();
    m_dialogs.message(Dialogs::Kind::Information, noAnswerText());
}

void SearchWindow::done(int result)
{
    if (m_searching) {
        m_sharing.cancelSearch();
        ready();
    }
    QDialog::done(result);
}
