#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

// The main window's commands as the user meets them: every menu item and tool button with its
// name, text, hint and picture, the menus and the tool bar that hold them, the drop-down menu of
// stored parameter requests and the tray menu. Only the layout: the window connects each command
// to what it does. Actions, menus and the tool bar are children of the window, so that a test
// finds any of them by its name.
class MainWindowMenus
{
public:
    explicit MainWindowMenus(QMainWindow& window);

    // The command named `name` ("Wholedatabase1", "ToolButton3", "CloseTamboro31", ...); null
    // for a name the layout does not have.
    QAction* action(const QString& name) const;
    QAction* action(const char* name) const { return action(QLatin1String(name)); }

    // The tool button "Request database parameters"'s drop-down list (`PopupMenu3`).
    QMenu* parameterMenu() const { return m_parameterMenu; }
    // The tray icon's menu (`PopupMenu2`).
    QMenu* trayMenu() const { return m_trayMenu; }

private:
    QAction* add(const char* name, const QString& text);
    void createActions();
    void createMenus();
    void createToolBar();
    void createTrayMenu();
    void applyIcons();

    QMainWindow& m_window;
    QHash<QString, QAction*> m_actions;
    QMenu* m_parameterMenu = nullptr;
    QMenu* m_trayMenu = nullptr;
};
