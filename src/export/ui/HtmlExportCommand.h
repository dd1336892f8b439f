#pragma once

#include <QObject>
#include <QString>

#include <functional>

class DesktopOpener;
class Dialogs;
class Gauge;
class HtmlOptionsWindow;
class ListWindow;
class QTimer;
class QWidget;

// The HTML page export as the main window offers it: a list window's "Export list as > HTML
// Page" shows the options window (TForm7); its "Generate" starts the one-shot timer
// `MakeHTMLTimer`, whose run makes the page of the list window active at that moment and
// writes it, on a worker thread while the main window stays painted and shows the run on its
// gauge. The run ends with a message naming the page, which offers to open it when the desktop
// has a program (a browser) for it.
class HtmlExportCommand : public QObject
{
    Q_OBJECT
public:
    using ActiveList = std::function<ListWindow*()>;

    // `opener` may be null: the message then offers no "Open".
    HtmlExportCommand(Dialogs& dialogs, QWidget* mainWindow, Gauge* gauge, ActiveList activeList,
                      const DesktopOpener* opener);

    // Shows the options window, without blocking; a null list does nothing.
    void open(ListWindow* list);

    HtmlOptionsWindow* window() const { return m_window; }
    QTimer* timer() const { return m_timer; }
    // The file the next run writes (the last one chosen).
    const QString& path() const { return m_path; }

private:
    // The timer's run: `MakeHTML` of the main window.
    void makeHtml();
    void showProgress(int position, int maximum, const QString& text);
    // The message that ends a run that wrote the page to `path`, and its "Open".
    void reportWritten(const QString& path);

    Dialogs& m_dialogs;
    QWidget* m_mainWindow;
    Gauge* m_gauge;
    ActiveList m_activeList;
    const DesktopOpener* m_opener;
    HtmlOptionsWindow* m_window;
    QTimer* m_timer;
    QString m_path;
};
