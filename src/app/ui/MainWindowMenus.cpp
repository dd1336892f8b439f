#include "app/ui/MainWindowMenus.h"

#include "ui/Icons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

MainWindowMenus::MainWindowMenus(QMainWindow& window)
    : m_window(window)
{
    createActions();
    createMenus();
    createToolBar();
    createTrayMenu();
    applyIcons();
}

QAction* MainWindowMenus::action(const QString& name) const
{
    return m_actions.value(name);
}

QAction* MainWindowMenus::add(const char* name, const QString& text)
{
    auto* act = new QAction(text, &m_window);
    act->setObjectName(QLatin1String(name));
    m_actions.insert(act->objectName(), act);
    return act;
}

void MainWindowMenus::createActions()
{
    // Database
    add("Addsongstodatabase1", QStringLiteral("&Add songs to database"));
    add("OpenUserList1", QStringLiteral("&Open User List"));
    add("SaveUserList1", QStringLiteral("&Save User List"))->setEnabled(false);
    add("Wholedatabase1", QStringLiteral("&Whole database"));
    add("Databasebyparameters1", QStringLiteral("Database by &parameters"));
    add("FastSearchthedatabase1", QStringLiteral("FastSearch the database"));
    add("Userlistdatabase1", QStringLiteral("&User list/database"));
    add("Exit1", QStringLiteral("&Exit"));

    // View
    QAction* editor = add("ID3Tageditor1", QStringLiteral("&ID3 Tag editor"));
    editor->setCheckable(true);
    editor->setChecked(true);
    add("Playerbar1", QStringLiteral("&Player bar"))->setCheckable(true);
    add("Downloadswindow1", QStringLiteral("&Downloads window"));
    add("Close1", QStringLiteral("C&lose"));
    add("TileHorizontally1", QStringLiteral("Tile &Horizontally"));
    add("TileVertically1", QStringLiteral("&Tile Vertically"));
    add("MinimizeAll1", QStringLiteral("&Minimize All"));
    add("Options1", QStringLiteral("&Options"));

    // Utility
    add("Checkforexistanceoffilesonharddrives1",
        QStringLiteral("&Check for existance of files on hard drives"));
    add("Databasetop10playedsongs1", QStringLiteral("&Database top 10 played songs"));
    add("ReIndexyourdatabase1", QStringLiteral("Re-Index your database"));
    add("Adddatafromanotherdatabase1", QStringLiteral("Add data from another database"));
    add("Massretagger1", QStringLiteral("Mass re-tagger"));

    // Internet and Help
    add("SearchanInternetbasedPersonalTamboroServer1",
        QStringLiteral("Search an Internet based Personal Tamboro Server and download files"));
    add("Versioninfo1", QStringLiteral("&Version info"));
}

void MainWindowMenus::createMenus()
{
    auto put = [this](QMenu* menu, const char* name) { menu->addAction(action(name)); };
    auto menu = [this](const char* name, const QString& title) {
        QMenu* m = m_window.menuBar()->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };

    QMenu* database = menu("Database1", QStringLiteral("&Database"));
    put(database, "Addsongstodatabase1");
    database->addSeparator();
    put(database, "OpenUserList1");
    put(database, "SaveUserList1");
    database->addSeparator();
    put(database, "Wholedatabase1");
    put(database, "Databasebyparameters1");
    put(database, "FastSearchthedatabase1");
    put(database, "Userlistdatabase1");
    database->addSeparator();
    put(database, "Exit1");

    QMenu* view = menu("View1", QStringLiteral("&View"));
    put(view, "ID3Tageditor1");
    put(view, "Playerbar1");
    put(view, "Downloadswindow1");
    view->addSeparator();
    put(view, "Close1");
    put(view, "TileHorizontally1");
    put(view, "TileVertically1");
    put(view, "MinimizeAll1");
    view->addSeparator();
    put(view, "Options1");

    QMenu* utility = menu("Utility1", QStringLiteral("&Utility"));
    put(utility, "Checkforexistanceoffilesonharddrives1");
    put(utility, "Databasetop10playedsongs1");
    put(utility, "ReIndexyourdatabase1");
    put(utility, "Adddatafromanotherdatabase1");
    utility->addSeparator();
    put(utility, "Massretagger1");

    QMenu* internet = menu("Internet1", QStringLiteral("&Internet"));
    put(internet, "SearchanInternetbasedPersonalTamboroServer1");

    QMenu* help = menu("Help1", QStringLiteral("&Help"));
    put(help, "Versioninfo1");
}

void MainWindowMenus::createToolBar()
{
    QToolBar* bar = m_window.addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);

    int number = 0;
    auto button = [&](const QString& hint, QAction* same = nullptr) {
        ++number;
        QAction* act = nullptr;
        if (same) {
            // The button runs the same command as its menu item but carries its own hint.
            act = new QAction(same->text(), &m_window);
            act->setCheckable(same->isCheckable());
            act->setChecked(same->isChecked());
            act->setEnabled(same->isEnabled());
            QObject::connect(act, &QAction::triggered, same, &QAction::trigger);
            QObject::connect(same, &QAction::changed, act, [act, same] {
                act->setChecked(same->isChecked());
                act->setEnabled(same->isEnabled());
            });
        } else {
            act = new QAction(&m_window);
        }
        act->setObjectName(QStringLiteral("ToolButton%1").arg(number));
        act->setToolTip(hint);
        act->setStatusTip(hint);
        m_actions.insert(act->objectName(), act);
        bar->addAction(act);
        bar->widgetForAction(act)->setObjectName(act->objectName());
        return act;
    };
    auto divider = [&] { return bar->addSeparator(); };
    auto menuItem = [this](const char* name) { return action(name); };

    button(QStringLiteral("Add files to database"), menuItem("Addsongstodatabase1"));
    divider();
    button(QStringLiteral("Request whole database"), menuItem("Wholedatabase1"));
    QAction* parameters =
        button(QStringLiteral("Request database parameters"), menuItem("Databasebyparameters1"));
    m_parameterMenu = new QMenu(&m_window);
    m_parameterMenu->setObjectName(QStringLiteral("PopupMenu3"));
    parameters->setMenu(m_parameterMenu);
    if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(parameters)))
        tool->setPopupMode(QToolButton::MenuButtonPopup);
    divider();
    button(QStringLiteral("Search for possible matches by entering one of multiple keywords"),
           menuItem("FastSearchthedatabase1"));
    divider();
    button(QStringLiteral("Make a user list"), menuItem("Userlistdatabase1"));
    button(QStringLiteral("Load user list"), menuItem("OpenUserList1"));
    button(QStringLiteral("Save list"), menuItem("SaveUserList1"));
    divider();
    button(QStringLiteral("Toggle ID3 tag editor"), menuItem("ID3Tageditor1"));
    button(QStringLiteral("View Options"), menuItem("Options1"));
    divider();
    button(QStringLiteral("Check for existance of files on hard disks"),
           menuItem("Checkforexistanceoffilesonharddrives1"));
    button(QStringLiteral("Displays the top 10 played songs in you database"),
           menuItem("Databasetop10playedsongs1"));
    button(QStringLiteral("Re-index your database"), menuItem("ReIndexyourdatabase1"));
    button(QStringLiteral("Mass re-tagger (re-tag multiple files simultaniously)"),
           menuItem("Massretagger1"));
    button(
        QStringLiteral("Add information from another database about the changable/remote mediums"),
        menuItem("Adddatafromanotherdatabase1"));
    divider();
    // The Internet commands: the personal server ships with the program, so they are shown.
    button(QStringLiteral("Search an Internet based Personal Tamboro Server and download files"),
           menuItem("SearchanInternetbasedPersonalTamboroServer1"));
    button(QString())->setVisible(false);
    divider();
    button(QStringLiteral("View version info"), menuItem("Versioninfo1"));
}

void MainWindowMenus::createTrayMenu()
{
    m_trayMenu = new QMenu(&m_window);
    m_trayMenu->setObjectName(QStringLiteral("PopupMenu2"));
    auto item = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* act = menu->addAction(text);
        act->setObjectName(QLatin1String(name));
        m_actions.insert(act->objectName(), act);
    };

    item(m_trayMenu, "ShowTamboro31", QStringLiteral("Show Tamboro 3"));
    m_trayMenu->addSeparator();
    item(m_trayMenu, "Wholedatabase2", QStringLiteral("Whole database"));
    QMenu* byParameter = m_trayMenu->addMenu(QStringLiteral("Database by parameter"));
    byParameter->setObjectName(QStringLiteral("Databasebyparameter1"));
    byParameter->menuAction()->setObjectName(QStringLiteral("Databasebyparameter1"));
    m_actions.insert(byParameter->objectName(), byParameter->menuAction());
    item(byParameter, "NewParameters1", QStringLiteral("New Parameters"));
    item(byParameter, "Existingparameters1", QStringLiteral("Existing parameters"));
    m_trayMenu->addSeparator();
    item(m_trayMenu, "Fastsearch1", QStringLiteral("Fast search"));
    m_trayMenu->addSeparator();
    item(m_trayMenu, "CloseTamboro31", QStringLiteral("&Close Tamboro 3"));
}

void MainWindowMenus::applyIcons()
{
    struct Picture
    {
        const char* action;
        Icons::Id icon;
    };
    // Each command's menu item and tool button share its picture.
    const Picture pictures[] = {
        {"Addsongstodatabase1", Icons::Id::AddFiles},
        {"OpenUserList1", Icons::Id::LoadUserList},
        {"SaveUserList1", Icons::Id::SaveList},
        {"Wholedatabase1", Icons::Id::WholeDatabase},
        {"Databasebyparameters1", Icons::Id::Parameters},
        {"FastSearchthedatabase1", Icons::Id::FastSearch},
        {"Userlistdatabase1", Icons::Id::MakeUserList},
        {"Exit1", Icons::Id::Exit},
        {"ID3Tageditor1", Icons::Id::TagEditor},
        {"Options1", Icons::Id::Options},
        {"Checkforexistanceoffilesonharddrives1", Icons::Id::CheckFiles},
        {"Databasetop10playedsongs1", Icons::Id::Top10},
        {"ReIndexyourdatabase1", Icons::Id::Reindex},
        {"Adddatafromanotherdatabase1", Icons::Id::ImportLocations},
        {"Massretagger1", Icons::Id::MassRetag},
        {"SearchanInternetbasedPersonalTamboroServer1", Icons::Id::InternetSearch},
        {"Versioninfo1", Icons::Id::About},
        {"ToolButton1", Icons::Id::AddFiles},
        {"ToolButton2", Icons::Id::WholeDatabase},
        {"ToolButton3", Icons::Id::Parameters},
        {"ToolButton4", Icons::Id::FastSearch},
        {"ToolButton5", Icons::Id::MakeUserList},
        {"ToolButton6", Icons::Id::LoadUserList},
        {"ToolButton7", Icons::Id::SaveList},
        {"ToolButton8", Icons::Id::TagEditor},
        {"ToolButton9", Icons::Id::Options},
        {"ToolButton10", Icons::Id::CheckFiles},
        {"ToolButton11", Icons::Id::Top10},
        {"ToolButton12", Icons::Id::Reindex},
        {"ToolButton13", Icons::Id::MassRetag},
        {"ToolButton14", Icons::Id::ImportLocations},
        {"ToolButton15", Icons::Id::InternetSearch},
        {"ToolButton16", Icons::Id::Downloads},
        {"ToolButton17", Icons::Id::About},
        {"ShowTamboro31", Icons::Id::Program},
        {"Wholedatabase2", Icons::Id::WholeDatabase},
        {"Databasebyparameter1", Icons::Id::Parameters},
        {"NewParameters1", Icons::Id::Parameters},
        {"Existingparameters1", Icons::Id::Parameters},
        {"Fastsearch1", Icons::Id::FastSearch},
        {"CloseTamboro31", Icons::Id::Exit},
    };
    for (const Picture& picture : pictures) {
        if (QAction* act = action(picture.action))
            act->setIcon(Icons::get(picture.icon));
    }
    m_window.setWindowIcon(Icons::own(Icons::Id::Program));
}
