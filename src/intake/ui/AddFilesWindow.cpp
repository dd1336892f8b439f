#include "intake/ui/AddFilesWindow.h"

#include "db/SongDatabase.h"
#include "intake/AddQueue.h"
#include "intake/ui/AddReportWindow.h"
#include "settings/SettingsStore.h"
#include "ui/BackgroundRunner.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"
#include "ui/Icons.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QRadioButton>
#include <QSet>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <functional>

namespace {

// What FileListBox1 hands over when its files are dragged; only the queue accepts it.
const QString kDragFormat = QStringLiteral("application/x-tamboro-add-files");

// FileListBox1: the files of the current folder, dragged as our own format so that no other
// drop target takes them for something else.
class FileList final : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    QStringList mimeTypes() const override { return {kDragFormat}; }
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override
    {
        QStringList names;
        for (const QListWidgetItem* item : items)
            names.append(item->text());
        auto* data = new QMimeData;
        data->setData(kDragFormat, names.join(QLatin1Char('\n')).toUtf8());
        return data;
    }
};

// Filez: the add queue. A drop of files from FileListBox1 queues the selected files, exactly
// as SpeedButton5 does; nothing else can be dropped.
class QueueList final : public QListWidget
{
public:
    QueueList(std::function<void()> onDrop, QWidget* parent)
        : QListWidget(parent)
        , m_onDrop(std::move(onDrop))
    {
        setDragDropMode(QAbstractItemView::DropOnly);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptOurs(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptOurs(event); }
    void dropEvent(QDropEvent* event) override
    {
        if (!acceptOurs(event))
            return;
        m_onDrop();
    }

private:
    bool acceptOurs(QDropEvent* event)
    {
        const bool ours = event->mimeData() && event->mimeData()->hasFormat(kDragFormat);
        if (ours) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
        return ours;
    }

    std::function<void()> m_onDrop;
};

QToolButton* makeButton(const char* objectName, const QString& text, const char* hint,
                        QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(text);
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(false);
    return button;
}

QString kindName(QChar kind)
{
    switch (kind.unicode()) {
    case u'@':
        return QStringLiteral("changeable medium");
    case u'R':
        return QStringLiteral("network share");
    default:
        return QStringLiteral("hard disk");
    }
}

// A drive box entry: the medium's label, where it is mounted, its free space.
QString entryText(const VolumeInfo& volume)
{
    const QString space = volume.ready
                              ? QLocale().formattedDataSize(qMax<qint64>(volume.freeBytes, 0)) +
                                    QStringLiteral(" free")
                              : QStringLiteral("not ready");
    return QStringLiteral("%1  (%2)  %3").arg(volume.label, volume.root, space);
}

// RadioButton1: the medium takes no writes (no free space, not ready, read-only), like a CD.
bool isFullMedium(const VolumeInfo& volume)
{
    return !volume.ready || volume.freeBytes <= 0 || volume.kind == QLatin1Char('@');
}

bool isInside(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

AddFilesWindow::AddFilesWindow(QString home, SettingsStore& settings, Dialogs& dialogs,
                               Volumes& volumes, Gauge* gauge, QWidget* parent)
    : QDialog(parent)
    , m_home(std::move(home))
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_volumes(volumes)
    , m_gauge(gauge)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Submit files to database"));
    setModal(true);

    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("DriveComboBox1"));
    m_drives->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_drives->setMinimumContentsLength(40);

    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folderModel->setReadOnly(true);
    m_folders = new QTreeView(this);
    m_folders->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_folders->setModel(m_folderModel);
    m_folders->setHeaderHidden(true);
    for (int column = 1; column < m_folderModel->columnCount(); ++column)
        m_folders->hideColumn(column);
    m_folders->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    setFolder(m_folderModel->filePath(current));
            });

    m_files = new FileList(this);
    m_files->setObjectName(QStringLiteral("FileListBox1"));
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setDragEnabled(true);
    m_files->setDragDropMode(QAbstractItemView::DragOnly);

    m_queueList = new QueueList([this] { queueSelected(); }, this);
    m_queueList->setObjectName(QStringLiteral("Filez"));
    m_queueList->setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_count = new QLabel(QStringLiteral("NO files in list."), this);
    m_count->setObjectName(QStringLiteral("Label1"));

    auto* mediumCaption = new QLabel(QStringLiteral("Medium:"), this);
    mediumCaption->setObjectName(QStringLiteral("Label2"));
    m_medium = new QLineEdit(this);
    m_medium->setObjectName(QStringLiteral("Edit3"));
    mediumCaption->setBuddy(m_medium);

    m_fullMedium = new QRadioButton(this);
    m_fullMedium->setObjectName(QStringLiteral("RadioButton1"));
    m_fullMedium->hide();
    m_writableMedium = new QRadioButton(this);
    m_writableMedium->setObjectName(QStringLiteral("RadioButton2"));
    m_writableMedium->setChecked(true);
    m_writableMedium->hide();

    m_sameFiles = new QCheckBox(QStringLiteral("Add same files from different mediums"), this);
    m_sameFiles->setObjectName(QStringLiteral("CheckBox1"));
    m_sameFiles->setChecked(true);
    connect(m_sameFiles, &QCheckBox::clicked, this, &AddFilesWindow::storeSameFilesSetting);

    auto* scanButton = makeButton("SpeedButton1", QStringLiteral("Scan"),
                                  "Scan directory and subdirectories for mp3 files and add them to "
                                  "Add Files Queue. For complete disks: use root as the start "
                                  "directory",
                                  this);
    auto* removeAllButton = makeButton("SpeedButton2", QStringLiteral("<<"),
                                       "Remove all files from Add Files Queue", this);
    auto* addAllButton = makeButton("SpeedButton3", QStringLiteral(">>"),
                                    "Add all files in directory to Add Files Queue", this);
    auto* addFilesButton =
        makeButton("SpeedButton4", QStringLiteral("Add files"), "Add files to database", this);
    addFilesButton->setIcon(Icons::get(Icons::Id::AddFiles));
    addFilesButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* addSelectedButton = makeButton("SpeedButton5", QStringLiteral(">"),
                                         "Add selected files to Add Files queue", this);
    auto* networkButton = makeButton("SpeedButton6", QString(), "Search Network for Mp3's", this);
    networkButton->setIcon(Icons::get(Icons::Id::MediumNetwork));
    auto* removeSelectedButton = makeButton("SpeedButton7", QStringLiteral("<"),
                                            "Remove selected files from Add Files queue", this);
    m_buttons = {scanButton,        removeAllButton, addAllButton,        addFilesButton,
                 addSelectedButton, networkButton,   removeSelectedButton};
    for (QToolButton* button :
         {scanButton, removeAllButton, addAllButton, addSelectedButton, removeSelectedButton})
        button->setMinimumWidth(44);

    connect(scanButton, &QToolButton::clicked, this, &AddFilesWindow::scan);
    connect(removeAllButton, &QToolButton::clicked, this, &AddFilesWindow::removeAll);
    connect(addAllButton, &QToolButton::clicked, this, &AddFilesWindow::queueAll);
    connect(addFilesButton, &QToolButton::clicked, this, &AddFilesWindow::addFiles);
    connect(addSelectedButton, &QToolButton::clicked, this, &AddFilesWindow::queueSelected);
    connect(networkButton, &QToolButton::clicked, this, &AddFilesWindow::browseFolder);
    connect(removeSelectedButton, &QToolButton::clicked, this, &AddFilesWindow::removeSelected);
    connect(m_drives, &QComboBox::currentIndexChanged, this, &AddFilesWindow::chooseVolume);

    auto* mediumRow = new QHBoxLayout;
    mediumRow->addWidget(m_drives, 1);
    mediumRow->addWidget(networkButton);

    auto* middleButtons = new QVBoxLayout;
    middleButtons->addStretch(1);
    for (QToolButton* button :
         {addSelectedButton, addAllButton, removeSelectedButton, removeAllButton, scanButton})
        middleButtons->addWidget(button);
    middleButtons->addStretch(1);

    auto* queueColumn = new QVBoxLayout;
    queueColumn->addWidget(m_queueList, 1);
    queueColumn->addWidget(m_count);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_folders, 3);
    lists->addWidget(m_files, 3);
    lists->addLayout(middleButtons);
    lists->addLayout(queueColumn, 4);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(mediumCaption);
    bottom->addWidget(m_medium, 1);
    bottom->addWidget(m_sameFiles);
    bottom->addStretch(1);
    bottom->addWidget(addFilesButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(mediumRow);
    layout->addLayout(lists, 1);
    layout->addLayout(bottom);
    resize(860, 480);

    m_report = new AddReportWindow(m_dialogs, this);
    connect(m_report, &AddReportWindow::refreshListsRequested, this,
            &AddFilesWindow::refreshListsRequested);
    connect(m_report, &AddReportWindow::userListOfAddedRequested, this,
            &AddFilesWindow::userListOfAddedRequested);
    connect(m_report, &AddReportWindow::closed, this, [this] { QDialog::done(Accepted); });

    fillVolumes();
    if (m_drives->count() > 0)
        chooseVolume(m_drives->currentIndex());
    else
        setFolder(QDir::rootPath());
    // Songs of the system disk are most likely in the user's music folder: start there rather
    // than at the top of the file system.
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString start = QFileInfo(music).isDir() ? music : QDir::homePath();
    if (m_drives->currentIndex() >= 0 &&
        m_volumeList.value(m_drives->currentIndex()).root == QDir::rootPath() &&
        QFileInfo(start).isDir())
        setFolder(start);
}

AddFilesWindow::~AddFilesWindow() = default;

void AddFilesWindow::setFolder(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    const int volume = volumeIndexOf(clean);
    const QString root = volume >= 0 ? m_volumeList.at(volume).root : QDir::rootPath();
    if (m_folderModel->rootPath() != root) {
        m_folderModel->setRootPath(root);
        m_folders->setRootIndex(m_folderModel->index(root));
    }
    const bool changed = clean != m_folder;
    m_folder = clean;
    const QModelIndex index = m_folderModel->index(clean);
    if (index.isValid() && m_folders->currentIndex() != index) {
        m_folders->setCurrentIndex(index);
        m_folders->scrollTo(index);
    }
    if (changed)
        fillFileList();
}

IntakeOptions AddFilesWindow::intakeOptions() const
{
    IntakeOptions options;
    options.mediumName = m_medium->text();
    const int volume = volumeIndexOf(m_folder);
    const bool network = volume >= 0 && m_volumeList.at(volume).kind == QLatin1Char('R');
    if (network)
        options.marker = QLatin1Char('R');
    else if (m_fullMedium->isChecked())
        options.marker = QLatin1Char('@');
    else
        options.marker = QLatin1Char('!');
    options.writableMedium = m_writableMedium->isChecked();
    options.sameFilesFromDifferentMediums = m_sameFiles->isChecked();
    options.readId3v2Tags = m_settings.flag(QLatin1String(SettingsStore::ReadID3v2Tags));
    return options;
}

void AddFilesWindow::queueSelected()
{
    queueFiles(true);
}

void AddFilesWindow::queueAll()
{
    queueFiles(false);
}

void AddFilesWindow::removeSelected()
{
    QList<int> rows;
    for (const QModelIndex& index : m_queueList->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : std::as_const(rows))
        m_queue.removeAt(row);
    showQueue();
}

void AddFilesWindow::removeAll()
{
    m_queue.clear();
    showQueue();
}

void AddFilesWindow::scan()
{
    if (m_running)
        return;
    m_running = true;
    setEnabled(false);
    const QString text = QStringLiteral("Scanning subdirectories...");
    setGauge(0, 100, text);
    int position = 0;
    const QStringList files = AddQueue::scanFiles(m_folder, [this, &position, &text] {
        if (++position >= 100)
            position = 0;
        setGauge(position, 100, text);
        // Keep the windows painted; input to this disabled window is dropped.
        QCoreApplication::processEvents();
    });
    m_queue += files;
    setGauge(0, 0, QString());
    setEnabled(true);
    m_running = false;
    showQueue();
}

void AddFilesWindow::browseFolder()
{
    if (m_running)
        return;
    const std::optional<QString> chosen =
        m_dialogs.pickFolder(QStringLiteral("Search Network for Mp3's"), m_folder);
    if (!chosen || chosen->isEmpty())
        return;
    const QString folder = QDir::cleanPath(*chosen);
    const int volume = volumeIndexOf(folder);
    if (volume != m_drives->currentIndex())
        m_drives->setCurrentIndex(volume);
    // A share is named by its root whichever folder of it was chosen.
    if (volume >= 0 && m_volumeList.at(volume).kind == QLatin1Char('R'))
        m_medium->setText(m_volumeList.at(volume).label);
    setFolder(folder);
}

void AddFilesWindow::addFiles()
{
    if (m_running || m_queue.isEmpty())
        return;
    const IntakeOptions options = intakeOptions();
    if (const QString problem = mediumNameProblem(options.mediumName); !problem.isEmpty()) {
        m_dialogs.message(Dialogs::Kind::Error, problem);
        return;
    }
    m_report->clear(int(m_queue.size()));
    IntakeResult result;
    if (const std::optional<QString> error = runOnWorker(m_queue, options, result)) {
        // The run's statements were rolled back: the queue stays for another try.
        m_dialogs.message(Dialogs::Kind::Error, *error);
        return;
    }
    m_queue.clear();
    showQueue();
    m_report->showResult(result);
    m_report->present();
}

void AddFilesWindow::reject()
{
    if (m_running)
        return;
    QDialog::reject();
}

bool AddFilesWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        activate();
    return QDialog::event(event);
}

void AddFilesWindow::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void AddFilesWindow::activate()
{
    if (m_running)
        return;
    m_sameFiles->setChecked(m_settings.flag(QLatin1String(SettingsStore::AddAllFilesFromCD)));
    // The window lives as long as the program: media may have come or gone since it was last
    // shown, and the folder's files may have changed.
    fillVolumes();
    fillFileList();
}

void AddFilesWindow::fillVolumes()
{
    const bool firstFill = m_drives->count() == 0 && m_volumeList.isEmpty();
    const int previous = m_drives->currentIndex();
    const QString currentRoot = previous >= 0 ? m_volumeList.value(previous).root : QString();
    m_volumeList = m_volumes.volumes();
    int keep = -1;
    for (int i = 0; i < m_volumeList.size(); ++i) {
        if (m_volumeList.at(i).root == currentRoot)
            keep = i;
    }
    {
        const QSignalBlocker blocker(m_drives);
        m_drives->clear();
        for (const VolumeInfo& volume : std::as_const(m_volumeList)) {
            m_drives->addItem(Icons::forMediumKind(volume.kind), entryText(volume));
            m_drives->setItemData(m_drives->count() - 1, kindName(volume.kind), Qt::ToolTipRole);
        }
        // The first fill picks the first medium (the constructor applies it); later fills
        // keep the medium chosen, or no medium when a folder outside every medium is shown.
        m_drives->setCurrentIndex(firstFill ? 0 : keep);
    }
    // The medium in use went away: the first one takes its place, as if chosen.
    if (!currentRoot.isEmpty() && keep < 0 && m_drives->count() > 0)
        m_drives->setCurrentIndex(0);
}

void AddFilesWindow::chooseVolume(int index)
{
    if (index < 0 || index >= m_volumeList.size())
        return;
    applyVolume(m_volumeList.at(index));
}

void AddFilesWindow::applyVolume(const VolumeInfo& volume)
{
    m_medium->setText(volume.label);
    if (isFullMedium(volume))
        m_fullMedium->setChecked(true);
    else
        m_writableMedium->setChecked(true);
    setFolder(volume.root);
}

int AddFilesWindow::volumeIndexOf(const QString& path) const
{
    int best = -1;
    for (int i = 0; i < m_volumeList.size(); ++i) {
        const QString& root = m_volumeList.at(i).root;
        if (isInside(path, root) && (best < 0 || root.size() > m_volumeList.at(best).root.size()))
            best = i;
    }
    return best;
}

void AddFilesWindow::fillFileList()
{
    QSet<QString> selected;
    for (const QListWidgetItem* item : m_files->selectedItems())
        selected.insert(item->text());
    m_files->clear();
    m_files->addItems(AddQueue::filesIn(m_folder));
    for (int row = 0; row < m_files->count(); ++row) {
        if (selected.contains(m_files->item(row)->text()))
            m_files->item(row)->setSelected(true);
    }
}

void AddFilesWindow::queueFiles(bool selectedOnly)
{
    if (m_running)
        return;
    QStringList names;
    for (int row = 0; row < m_files->count(); ++row) {
        const QListWidgetItem* item = m_files->item(row);
        if (!selectedOnly || item->isSelected())
            names.append(item->text());
    }
    AddQueue::enqueue(m_queue, m_folder, names);
    showQueue();
}

void AddFilesWindow::showQueue()
{
    m_queueList->clear();
    m_queueList->addItems(m_queue);
    m_count->setText(m_queue.isEmpty()
                         ? QStringLiteral("NO files in list.")
                         : QString::number(m_queue.size()) + QStringLiteral(" files in list."));
}

void AddFilesWindow::storeSameFilesSetting(bool checked)
{
    ErrorBoundary::run(
        [this, checked] {
            m_settings.setFlag(QLatin1String(SettingsStore::AddAllFilesFromCD), checked);
        },
        m_dialogs);
}

void AddFilesWindow::setGauge(int position, int maximum, const QString& text)
{
    if (!m_gauge)
        return;
    if (maximum == 0 && text.isEmpty()) {
        m_gauge->finish();
        return;
    }
    if (m_gauge->isHidden() || m_gauge->gaugeText() != text || m_gauge->maximum() != maximum)
        m_gauge->start(text, maximum);
    m_gauge->setValue(position);
}

std::optional<QString> AddFilesWindow::runOnWorker(const QStringList& queue,
                                                   const IntakeOptions& options,
                                                   IntakeResult& result)
{
    m_running = true;
    const QString home = m_home;
    // The worker makes its own connection to the song table: a connection belongs to the
    // thread that opened it.
    const auto job = [&result, home, queue, options](const BackgroundRunner::Progress& progress) {
        SongDatabase database(home);
        IntakeRun run(database, home, options);
        result = run.run(queue, progress);
    };
    const std::optional<QString> error = BackgroundRunner::run(
        this, job,
        [this](int position, int maximum, const QString& text) {
            setGauge(position, maximum, text);
        },
        QStringLiteral("The add stopped because of an unknown error."));
    setGauge(0, 0, QString());
    m_running = false;
    return error;
}
