#include "intake/ui/AddReportWindow.h"

#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Icons.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kFileNameColumn = 2;
constexpr int kMaxNameColumnWidth = 150; // "Artist" and "Title" are at most this wide
constexpr int kPictureSize = 16;

QIcon pictureOf(ReportRow::Picture picture)
{
    switch (picture) {
    case ReportRow::Double:
        return Icons::get(Icons::Id::ReportDouble);
    case ReportRow::Recognized:
        return Icons::get(Icons::Id::ReportRecognized);
    case ReportRow::Bad:
        return Icons::get(Icons::Id::ReportBad);
    case ReportRow::Moved:
        return Icons::get(Icons::Id::ReportMoved);
    }
    return QIcon();
}

QLabel* makeFigure(const char* objectName, QWidget* parent)
{
    auto* figure = new QLabel(QStringLiteral("0"), parent);
    figure->setObjectName(QString::fromLatin1(objectName));
    figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return figure;
}

QHBoxLayout* legendLine(ReportRow::Picture picture, const char* text, QWidget* parent)
{
    auto* image = new QLabel(parent);
    image->setPixmap(pictureOf(picture).pixmap(kPictureSize, kPictureSize));
    image->setFixedSize(kPictureSize, kPictureSize);
    auto* line = new QHBoxLayout;
    line->addWidget(image);
    line->addWidget(new QLabel(QString::fromLatin1(text), parent), 1);
    return line;
}

} // namespace

AddReportWindow::AddReportWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
    , m_openFile(
          [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Add files to database"));
    setModal(true);

    auto* statistics = new QGroupBox(QStringLiteral(" Statistics "), this);
    statistics->setObjectName(QStringLiteral("GroupBox1"));
    m_added = makeFigure("AddedFigure", statistics);
    m_doubles = makeFigure("DoublesFigure", statistics);
    m_bad = makeFigure("BadFigure", statistics);
    m_total = makeFigure("TotalFigure", statistics);
    m_full = makeFigure("FullFigure", statistics);
    m_partial = makeFigure("PartialFigure", statistics);
    m_moved = makeFigure("MovedFigure", statistics);
    auto* figures = new QGridLayout;
    const std::pair<const char*, QLabel*> captions[] = {
        {"Files added:", m_added},
        {"Double files:", m_doubles},
        {"Other excluded files:", m_bad},
        {"Total files:", m_total},
        {"Artificial intelligence full recognitions:", m_full},
        {"Artificial intelligence partial recognitions:", m_partial},
        {"Songs found moved:", m_moved},
    };
    int row = 0;
    for (const auto& [caption, figure] : captions) {
        figures->addWidget(new QLabel(QString::fromLatin1(caption), statistics), row, 0);
        figures->addWidget(figure, row, 1);
        ++row;
    }
    figures->setColumnStretch(2, 1);
    auto* moduleVersion = new QLabel(
        QStringLiteral(
            "Current Artificial Intelligence Tag Reader module is version 0.99 experimental."),
        statistics);
    auto* statisticsLayout = new QVBoxLayout(statistics);
    statisticsLayout->addLayout(figures);
    statisticsLayout->addWidget(moduleVersion);

    auto* report = new QGroupBox(QStringLiteral(" Report  "), this);
    report->setObjectName(QStringLiteral("GroupBox2"));
    m_list = new QTreeWidget(report);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels(
        {QStringLiteral("Artist"), QStringLiteral("Title"), QStringLiteral("Filename")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setIconSize(QSize(kPictureSize, kPictureSize));
    m_list->header()->setStretchLastSection(true);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    fitColumns();

    auto* legend = new QVBoxLayout;
    legend->setSpacing(2);
    legend->addLayout(
        legendLine(ReportRow::Double, "File is double and has been excluded", report));
    legend->addLayout(legendLine(
        ReportRow::Recognized, "File has been Artificially Recognized and has been added", report));
    legend->addLayout(legendLine(
        ReportRow::Bad, "File is corrupted or is not an MP3 file and has been excluded.", report));
    legend->addLayout(legendLine(
        ReportRow::Moved, "File has moved: its song now points to it, play count kept", report));

    m_fileName = new QLineEdit(report);
    m_fileName->setObjectName(QStringLiteral("Edit1"));
    m_fileName->setReadOnly(true);
    auto* fileNameLine = new QHBoxLayout;
    fileNameLine->addWidget(new QLabel(QStringLiteral("Filename:"), report));
    fileNameLine->addWidget(m_fileName, 1);

    auto* reportLayout = new QVBoxLayout(report);
    reportLayout->addWidget(m_list, 1);
    reportLayout->addLayout(legend);
    reportLayout->addLayout(fileNameLine);

    m_makeUserList = new QCheckBox(QStringLiteral("Make a user list of added items"), this);
    m_makeUserList->setObjectName(QStringLiteral("CheckBox1"));
    m_save = new QPushButton(QStringLiteral("Save report"), this);
    m_save->setObjectName(QStringLiteral("Button1"));
    m_save->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("Button2"));
    m_close->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &AddReportWindow::saveReport);
    connect(m_close, &QPushButton::clicked, this, &AddReportWindow::closeReport);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_makeUserList);
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(statistics);
    layout->addWidget(report, 1);
    layout->addLayout(buttons);
    resize(640, 540);
}

void AddReportWindow::clear(int total)
{
    m_list->clear();
    m_fileName->clear();
    m_rows.clear();
    m_inserted.clear();
    for (QLabel* figure : {m_added, m_doubles, m_bad, m_full, m_partial, m_moved})
        figure->setText(QStringLiteral("0"));
    m_total->setText(QString::number(total));
}

void AddReportWindow::showResult(const IntakeResult& result)
{
    m_rows = result.rows;
    m_inserted = result.inserted;
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_rows.size());
    for (const ReportRow& row : std::as_const(m_rows)) {
        auto* item = new QTreeWidgetItem(
            {row.artist, row.title.isEmpty() ? row.reason : row.title, row.fileName});
        item->setIcon(0, pictureOf(row.picture));
        // The title column is kept narrow; a reason is read whole from its tip.
        if (row.title.isEmpty() && !row.reason.isEmpty())
            item->setToolTip(1, row.reason);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    fitColumns();

    const IntakeFigures& figures = result.figures;
    m_added->setText(QString::number(figures.added));
    m_doubles->setText(QString::number(figures.doubles));
    m_bad->setText(QString::number(figures.bad));
    m_total->setText(QString::number(figures.total));
    m_full->setText(QString::number(figures.full));
    m_partial->setText(QString::number(figures.partial));
    m_moved->setText(QString::number(figures.moved));
}

void AddReportWindow::present()
{
    m_closing = false;
    // The list view keeps its scroll position across a clear, so a new run would open where the
    // user left the last one.
    m_list->scrollToTop();
    m_list->horizontalScrollBar()->setValue(0);
    if (m_showsModally) {
        exec();
    } else {
        show();
    }
}

void AddReportWindow::setFileOpener(std::function<bool(const QString&)> opener)
{
    m_openFile = std::move(opener);
}

bool AddReportWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool click = watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease;
    const bool key = watched == m_list && event->type() == QEvent::KeyRelease;
    if (click || key)
        showSelectedFileName();
    return QDialog::eventFilter(watched, event);
}

void AddReportWindow::reject()
{
    // The close box and Escape end the report like "Close" does: the lists must show what
    // the run added whichever way the report is left.
    closeReport();
}

void AddReportWindow::saveReport()
{
    const std::optional<QString> path = m_dialogs.saveFile(
        QStringLiteral("Save report"), QDir::homePath(), QStringLiteral("*.txt"));
    if (!path)
        return;
    if (!ErrorBoundary::run([this, &path] { IntakeReport::saveReport(*path, m_rows); }, m_dialogs))
        return;
    // Without a program for text files nothing would open, and the user would not know where the
    // report went.
    if (!m_openFile || !m_openFile(*path))
        m_dialogs.message(Dialogs::Kind::Information,
                          QStringLiteral("The report was saved as \"%1\". No program was found "
                                         "to open it.")
                              .arg(QDir::toNativeSeparators(*path)));
}

void AddReportWindow::closeReport()
{
    if (m_closing)
        return;
    m_closing = true;
    emit refreshListsRequested();
    if (m_makeUserList->isChecked())
        emit userListOfAddedRequested(m_inserted);
    QDialog::done(QDialog::Accepted);
    emit closed();
}

void AddReportWindow::showSelectedFileName()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty())
        m_fileName->setText(selected.first()->text(kFileNameColumn));
}

void AddReportWindow::fitColumns()
{
    for (int column : {0, 1}) {
        m_list->resizeColumnToContents(column);
        m_list->setColumnWidth(column, qMin(m_list->columnWidth(column), kMaxNameColumnWidth));
    }
}
