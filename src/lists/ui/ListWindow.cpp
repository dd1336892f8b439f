#include "lists/ui/ListWindow.h"

#include "db/RQuery.h"
#include "db/Statements.h"
#include "lists/ListBuilder.h"
#include "lists/ListOrder.h"
#include "lists/ListShared.h"
#include "lists/ui/ColumnFit.h"
#include "lists/ui/ItemInfoSink.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListIcons.h"
#include "lists/ui/ListModel.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"
#include "ui/Icons.h"
#include "ui/QtColors.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int filenameColumn = 3;
constexpr int panelWidth = 175;
} // namespace

ListWindow::ListWindow(ListContext& context, QWidget* parent)
    : QWidget(parent)
    , m_ctx(context)
{
    ++m_ctx.shared->windowCounter;
    setObjectName(QStringLiteral("Child%1").arg(m_ctx.shared->windowCounter));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createTopPanel();
    createList();
    createStatusBar();
    createMenus();
    layout->addWidget(m_topPanel);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_statusBar);

    // The sort state: hidden, set by program code only.
    m_sortKeyBox = new QComboBox(this);
    m_sortKeyBox->setObjectName(QStringLiteral("ComboBox1"));
    m_sortKeyBox->addItems(ListOrder::keyNames());
    m_sortKeyBox->setCurrentIndex(0);
    m_sortKeyBox->hide();
    m_directionBox = new QComboBox(this);
    m_directionBox->setObjectName(QStringLiteral("ComboBox2"));
    m_directionBox->addItems({QStringLiteral("from A to Z"), QStringLiteral("from Z to A")});
    m_directionBox->setCurrentIndex(0);
    m_directionBox->hide();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(750);
    m_timer1->setSingleShot(true);
    connect(m_timer1, &QTimer::timeout, this, [this] { guarded([this] { timer1Fired(); }); });
}

ListWindow::~ListWindow() = default;

void ListWindow::createTopPanel()
{
    m_topPanel = new QWidget(this);
    m_topPanel->setObjectName(QStringLiteral("Panel1"));
    m_topPanel->setFixedHeight(49);
    m_topPanel->installEventFilter(this);

    auto label = [this](const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, m_topPanel);
        l->setObjectName(QLatin1String(name));
        l->move(x, y);
        return l;
    };
    auto edit = [this](const char* name, int x) {
        auto* e = new QLineEdit(m_topPanel);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(x, 18, 121, 22);
        connect(e, &QLineEdit::textChanged, this, [this] { filterEdited(); });
        return e;
    };
    label("Label1", QStringLiteral("Artist:"), 0, 2);
    label("Label2", QStringLiteral("Title:"), 128, 2);
    label("Label3", QStringLiteral("Album:"), 256, 2);
    m_artistEdit = edit("Edit1", 0);
    m_titleEdit = edit("Edit2", 128);
    m_albumEdit = edit("Edit3", 256);

    label("Label4", QStringLiteral("Legend:"), 393, 0);
    QLabel* available = label("Image1", QString(), 393, 15);
    available->setPixmap(ListIcons::rowImage(true).pixmap(16, 16));
    label("Label5", QStringLiteral("File is available"), 413, 15);
    QLabel* missing = label("Image2", QString(), 393, 31);
    missing->setPixmap(ListIcons::rowImage(false).pixmap(16, 16));

    m_hideBox =
        new QCheckBox(QStringLiteral("File is not available. Click here to hide."), m_topPanel);
    m_hideBox->setObjectName(QStringLiteral("CheckBox1"));
    m_hideBox->move(413, 30);
    connect(m_hideBox, &QCheckBox::clicked, this, [this] { hideBoxClicked(); });
}

void ListWindow::createList()
{
    m_model = new ListModel(this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("ListView1"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSortingEnabled(false); // the order is the query's
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->installEventFilter(this);
    m_view->setDragEnabled(true);
    m_view->setDragDropMode(QAbstractItemView::DragOnly);
    m_view->viewport()->setAcceptDrops(true);
    m_view->viewport()->installEventFilter(this);
    m_model->setDragSource(objectName());

    QHeaderView* header = m_view->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    setInitialColumns();

    connect(header, &QHeaderView::sectionClicked, this,
            [this](int index) { guarded([this, index] { headerClicked(index); }); });
    connect(m_view, &QAbstractItemView::clicked, this, [this] { listClicked(); });
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showContextMenu(position); });
}

void ListWindow::setInitialColumns()
{
    // Columns of width 0 are hidden; makeColumns() later sets them from the settings.
    static const int widths[ListModel::columns] = {170, 150, 75, 0, 160, 0, 0, 80, 0, 0, 0, 0, 0};
    m_minimumWidths.assign(std::begin(widths), std::end(widths));
    for (int column = 0; column < ListModel::columns; ++column) {
        m_view->setColumnHidden(column, widths[column] == 0);
        if (widths[column] > 0)
            m_view->setColumnWidth(column, widths[column]);
    }
}

void ListWindow::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFixedWidth(panelWidth);
        panel->setFrameStyle(QFrame::Panel | (i % 2 == 1 ? QFrame::Raised : QFrame::Sunken));
        m_statusBar->addWidget(panel);
        m_panels[i] = panel;
    }
}

void ListWindow::createMenus()
{
    auto item = [this](QMenu* menu, Command command, const char* name, const QString& text,
                       const QKeySequence& shortcut, void (ListWindow::*signal)(ListWindow*)) {
        QAction* act = menu->addAction(text);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(shortcut);
        // The shortcuts work while this window has the focus, menu open or not.
        act->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(act);
        connect(act, &QAction::triggered, this, [this, signal] { emit(this->*signal)(this); });
        m_actions[int(command)] = act;
        return act;
    };
    auto submenu = [this](const char* name, const QString& title) {
        QMenu* menu = m_popupMenu1->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    item(m_popupMenu1, Command::Play, "Play1", QStringLiteral("&Play"), QKeySequence(Qt::Key_F1),
         &ListWindow::playRequested);
    item(m_popupMenu1, Command::Enqueue, "Enqueue1", QStringLiteral("&Enqueue"),
         QKeySequence(Qt::Key_F2), &ListWindow::enqueueRequested);
    item(m_popupMenu1, Command::PlayList, "PlayList1", QStringLiteral("Play List"),
         QKeySequence(Qt::Key_F3), &ListWindow::playListRequested);
    item(m_popupMenu1, Command::EnqueueList, "EnqueueList1", QStringLiteral("Enqueue List"),
         QKeySequence(Qt::Key_F4), &ListWindow::enqueueListRequested);
    m_popupMenu1->addSeparator();
    item(m_popupMenu1, Command::Delete, "Delete1", QStringLiteral("&Delete"),
         QKeySequence(Qt::Key_Delete), &ListWindow::deleteRequested);
    m_popupMenu1->addSeparator();
    item(m_popupMenu1, Command::MassRetag, "Massretag1", QStringLiteral("Mass re-tag"),
         QKeySequence(Qt::CTRL | Qt::Key_T), &ListWindow::massRetagRequested);
    m_popupMenu1->addSeparator();
    m_exportMenu = submenu("Exportlistas1", QStringLiteral("Export list as"));
    item(m_exportMenu, Command::HtmlPage, "HTMLPage1", QStringLiteral("HTML Page"),
         QKeySequence(Qt::CTRL | Qt::Key_E), &ListWindow::htmlPageRequested);
    m_popupMenu1->addSeparator();
    m_fileMenu = submenu("Filefunctions1", QStringLiteral("File functions"));
    item(m_fileMenu, Command::CopyFiles, "Copyselectedfilesto1",
         QStringLiteral("Copy selected files to..."), QKeySequence(Qt::CTRL | Qt::Key_F),
         &ListWindow::copyFilesRequested);
    connect(m_popupMenu1, &QMenu::aboutToShow, this, [this] { updateMenuEnabling(); });
    const std::pair<Command, Icons::Id> pictures[] = {
        {Command::Play, Icons::Id::Play},           {Command::Enqueue, Icons::Id::Enqueue},
        {Command::Delete, Icons::Id::Delete},       {Command::MassRetag, Icons::Id::MassRetag},
        {Command::HtmlPage, Icons::Id::ExportHtml}, {Command::CopyFiles, Icons::Id::CopyFiles},
    };
    for (const auto& [command, picture] : pictures)
        action(command)->setIcon(Icons::get(picture));

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* download = m_popupMenu2->addAction(QStringLiteral("Download"));
    download->setObjectName(QStringLiteral("Download1"));
    connect(download, &QAction::triggered, this, [this] { emit downloadRequested(this); });
    download->setIcon(Icons::get(Icons::Id::Downloads));
    m_actions[int(Command::Download)] = download;
}

QAction* ListWindow::action(Command command) const
{
    return m_actions[int(command)];
}

QMenu* ListWindow::contextMenu() const
{
    return m_useDownloadMenu ? m_popupMenu2 : m_popupMenu1;
}

void ListWindow::setHeaderSorting(bool on)
{
    m_view->header()->setSectionsClickable(on);
}

void ListWindow::setMultipleSelection(bool on)
{
    m_view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                : QAbstractItemView::SingleSelection);
}

void ListWindow::setRowDragging(bool on)
{
    m_view->setDragEnabled(on);
}

void ListWindow::setFilterPanelVisible(bool on)
{
    m_topPanel->setVisible(on);
}

void ListWindow::setHideBoxEnabled(bool on)
{
    m_hideBox->setEnabled(on);
}

bool ListWindow::isUserList() const
{
    return caption().contains(QLatin1String("User List "));
}

bool ListWindow::isSearchResult() const
{
    return caption().contains(QLatin1String("Search "));
}

int ListWindow::sortKey() const
{
    return m_sortKeyBox->currentIndex();
}

void ListWindow::setSortKey(int key)
{
    if (key >= 0 && key < ListOrder::keyCount)
        m_sortKeyBox->setCurrentIndex(key);
}

int ListWindow::sortDirection() const
{
    return m_directionBox->currentIndex();
}

void ListWindow::setSortDirection(int direction)
{
    m_directionBox->setCurrentIndex(direction == 1 ? 1 : 0);
}

void ListWindow::resetSort()
{
    setSortKey(0);
    setSortDirection(0);
    m_model->clearHeaderImages();
    m_model->setHeaderImage(0, ListModel::HeaderImage::Ascending);
    m_ctx.shared->lastClickedColumn = QStringLiteral("Artist");
}

QString ListWindow::panelText(int index) const
{
    if (index < 0 || index >= 4)
        return QString();
    return m_panels[index]->text();
}

void ListWindow::setPanels(const QStringList& texts)
{
    for (int i = 0; i < 4; ++i)
        m_panels[i]->setText(texts.value(i));
}

void ListWindow::makeList()
{
    ListBuildOptions options;
    options.hideUnavailable = m_hideBox->isChecked();
    options.userList = isUserList();
    const QStringList roots = m_ctx.roots ? m_ctx.roots() : QStringList();

    AlbumSwitch albumOrder = AlbumSwitch::None;
    {
        GaugeRun gauge(m_ctx.gauge, QStringLiteral("Creating list items..."));
        ListBuildResult result =
            buildList(*m_ctx.query, roots, options,
                      [&gauge](int handled, int total) { gauge.progress(handled, total); });
        // Every row has been read into the list: the query lets go of its copy of them, which
        // for a whole catalogue is as large as the list itself.
        m_ctx.query->close();

        // Only the IDs of the latest build are kept: appending on every re-query would grow
        // the list without end, and no reader wants the IDs of earlier builds.
        if (!options.userList)
            m_usrHdrs = result.ids;
        albumOrder =
            albumSwitch(result, m_lastClickedCaption, m_savedColumnIndex,
                        m_ctx.settings->flag(QLatin1String(SettingsStore::SortAlbums)),
                        m_ctx.settings->flag(QLatin1String(SettingsStore::SortAlbumsBack)));
        setPanels(result.panels());
        m_model->setEntries(std::move(result.rows));
        fitColumns();

        if (m_model->rowCount() > 0) {
            m_view->selectionModel()->setCurrentIndex(m_model->index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
            submitItemInfo();
            // A rebuild started by typing in a filter box must not take the keyboard from the
            // box: the next key, Ctrl+A or Backspace belongs to the text being typed.
            QWidget* focused = focusWidget();
            if (!m_refreshFromPanel || !focused || !m_topPanel->isAncestorOf(focused))
                m_view->setFocus();
        }

        if (caption() == loadingCaption()) {
            // A user list read from a file: from now on its members are the songs found.
            // Without any, the window is an empty user list that cannot be re-queried.
            m_qut = m_usrHdrs.isEmpty() ? QString() : Statements::selectByIds(m_usrHdrs);
            setCaption(QStringLiteral("User List (%1)").arg(m_ctx.shared->userListCounter));
        }
    }

    switch (albumOrder) {
    case AlbumSwitch::None:
        break;
    case AlbumSwitch::ToFilename:
        m_savedColumnIndex = m_tag + 1;
        headerClicked(filenameColumn);
        break;
    case AlbumSwitch::Back: {
        const int column = m_savedColumnIndex - 1;
        m_savedColumnIndex = 0;
        headerClicked(column);
        break;
    }
    }
}

QString ListWindow::loadingCaption()
{
    return QStringLiteral("Loading list, please wait...");
}

void ListWindow::showNoSongs()
{
    m_model->setEntries({});
    setPanels(ListBuildResult().panels());
    if (caption() == loadingCaption()) {
        m_usrHdrs.clear();
        m_qut.clear();
        setCaption(QStringLiteral("User List (%1)").arg(m_ctx.shared->userListCounter));
    }
}

void ListWindow::emptyUserList()
{
    m_model->clear();
    m_usrHdrs.clear();
    m_qut.clear();
    setPanels({QStringLiteral("No songs in list."), QString(), QString(), QString()});
}

void ListWindow::refreshList()
{
    if (m_qut.isEmpty())
        return;
    // The filter first: a text that cannot be expressed changes nothing.
    const QString filter =
        filterExpression(m_artistEdit->text(), m_titleEdit->text(), m_albumEdit->text());

    RQuery& query = *m_ctx.query;
    query.close();
    QString base = m_qut;
    base.remove(QLatin1Char('\r'));
    base.remove(QLatin1Char('\n'));
    query.setSql(Statements::withOrder(base, ListOrder::orderClause(sortKey(), sortDirection())));
    query.setFilter(QString());
    query.open();
    if (!filter.isEmpty())
        query.setFilter(filter);
    m_recordFilter = filter;
    // The rows are replaced as a whole by the build.
    makeList();
}

void ListWindow::headerClicked(int index)
{
    if (index < 0 || index >= ListModel::columns)
        return;
    const QString caption = ListModel::captions().at(index);
    const int key = ListOrder::keyForCaption(caption);
    if (key >= 0)
        setSortKey(key);
    QString& lastClicked = m_ctx.shared->lastClickedColumn;
    setSortDirection(caption == lastClicked ? 1 - sortDirection() : 0);
    lastClicked = caption;
    m_lastClickedCaption = caption;
    m_tag = index;

    m_model->clearHeaderImages();
    m_model->setHeaderImage(index, sortDirection() == 1 ? ListModel::HeaderImage::Descending
                                                        : ListModel::HeaderImage::Ascending);
    if (!m_qut.isEmpty())
        refreshList();
}

void ListWindow::makeColumns()
{
    m_minimumWidths = columnWidths(*m_ctx.settings);
    m_minimumWidths.resize(ListModel::columns, 0);
    for (int column = 0; column < ListModel::columns; ++column)
        m_view->setColumnHidden(column, m_minimumWidths[std::size_t(column)] <= 0);
    fitColumns();
}

void ListWindow::fitColumns()
{
    const QStyle* style = m_view->style();
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
    const int headerMargin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_view->header());
    const int image = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_view);
    // The header of the sorted column also shows its sort image.
    const ColumnFit::Measure measure{m_view->fontMetrics(), m_view->header()->fontMetrics(),
                                     2 * textMargin + 2, image + 2 * textMargin,
                                     3 * headerMargin + image};
    const std::vector<int> widths =
        ColumnFit::widths(m_model->entries(), m_minimumWidths, ListModel::captions(), measure);
    for (int column = 0; column < ListModel::columns; ++column) {
        if (const int width = widths[std::size_t(column)]; width > 0)
            m_view->setColumnWidth(column, width);
    }
}

void ListWindow::applyColors()
{
    const SettingsStore& settings = *m_ctx.settings;
    // A value that is no colour (the settings file edited by hand) falls back to the default
    // rather than leaving the window half made.
    auto colorOf = [&settings](const char* name) {
        const QString key = QLatin1String(name);
        TColor color = 0;
        try {
            color = settings.color(key);
        } catch (const EConvertError&) {
            color = ColorText::toColor(SettingsStore::defaultText(key));
        }
        return QtColors::toQColor(color);
    };

    QPalette palette = m_view->palette();
    const QColor back = colorOf(SettingsStore::BackColor);
    const QColor text = colorOf(SettingsStore::FontColor);
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Text, text);
    m_view->setPalette(palette);

    QFont font = m_view->font();
    font.setFamily(settings.text(QLatin1String(SettingsStore::Font)));
    m_view->setFont(font);
}

std::vector<int> ListWindow::selectedRows() const
{
    std::vector<int> rows;
    const QItemSelection selection = m_view->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool ListWindow::publishSelection()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return false;
    QStringList& nowSelected = m_ctx.shared->nowSelected;
    nowSelected.clear();
    nowSelected.reserve(qsizetype(rows.size()) + 1);
    for (int row : rows)
        nowSelected.append(m_model->entry(row).value(ListEntry::ID));
    nowSelected.append(objectName());
    return true;
}

void ListWindow::submitItemInfo()
{
    if (!m_ctx.tagEditor)
        return;
    const std::vector<int> rows = selectedRows();
    if (!rows.empty())
        m_ctx.tagEditor->submitItemInfo(m_model->entry(rows.front()));
}

bool ListWindow::clickBehaviour(bool searchTest)
{
    if (!publishSelection())
        return false;
    submitItemInfo();
    if (searchTest && isSearchResult() && m_ctx.tagEditor)
        m_ctx.tagEditor->setSaveEnabled(false);
    return true;
}

void ListWindow::listClicked()
{
    clickBehaviour(true);
}

void ListWindow::windowActivated()
{
    clickBehaviour(false);
}

void ListWindow::updateMenuEnabling()
{
    auto enable = [this](Command command, bool on) { action(command)->setEnabled(on); };
    if (m_model->rowCount() == 0) {
        for (Command command :
             {Command::Play, Command::Enqueue, Command::PlayList, Command::EnqueueList})
            enable(command, false);
        m_exportMenu->menuAction()->setEnabled(false);
        m_fileMenu->menuAction()->setEnabled(false);
        return;
    }

    bool fileExists = false;
    const bool selected = clickBehaviour(true);
    if (selected) {
        const ListEntry& first = m_model->entry(selectedRows().front());
        fileExists = QFileInfo::exists(first.value(ListEntry::Filename));
    }
    // With rows but none selected there is no first selected file: the commands on the
    // selection are off (NowSelected may still hold another window's rows), those on the
    // whole list on, and "&Delete" keeps its state as it does for a missing file.
    enable(Command::Play, fileExists);
    enable(Command::Enqueue, fileExists);
    enable(Command::PlayList, true);
    enable(Command::EnqueueList, true);
    if (fileExists)
        enable(Command::Delete, true);
    m_exportMenu->menuAction()->setEnabled(true);
    m_fileMenu->menuAction()->setEnabled(true);
}

void ListWindow::showContextMenu(const QPoint& position)
{
    contextMenu()->popup(m_view->viewport()->mapToGlobal(position));
}

void ListWindow::filterEdited()
{
    m_timer1->stop();
    if (!m_qut.isEmpty())
        m_timer1->start();
}

void ListWindow::hideBoxClicked()
{
    if (!m_timer1->isActive())
        m_timer1->start();
}

void ListWindow::timer1Fired()
{
    m_timer1->stop();
    const QScopedValueRollback fromPanel(m_refreshFromPanel, true);
    refreshList();
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_view && watched == m_view->viewport() && dragEvent(event))
        return true;
    if (watched == m_view &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        clickBehaviour(false);
    } else if (watched == m_topPanel && event->type() == QEvent::MouseButtonDblClick) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
            frame && frame->isMaximized())
            frame->showNormal();
    }
    return QWidget::eventFilter(watched, event);
}

void ListWindow::guarded(const std::function<void()>& work)
{
    ErrorBoundary::run(work, [this](const QString& text) { emit errorRaised(text); });
}
