#include "lists/ui/ParameterDialog.h"

#include "db/SongDatabase.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"
#include "ui/Icons.h"
#include "ui/Placement.h"

#include <QAbstractListModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <vector>

namespace ParameterDialogDetail {

// The rows of one list: caption, medium marker and tick. Rows are not user-checkable for the
// view: a click anywhere on a row toggles it through the dialog, the check box included, so
// that one click never counts twice.
class ValueListModel final : public QAbstractListModel
{
public:
    struct Row
    {
        QString caption;
        QChar marker;
        bool ticked = false;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        const Row& row = m_rows[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return row.caption;
        case Qt::CheckStateRole:
            return row.ticked ? Qt::Checked : Qt::Unchecked;
        case Qt::DecorationRole:
            if (!row.marker.isNull()) {
                const QIcon icon = Icons::forMediumKind(row.marker);
                if (!icon.isNull())
                    return icon;
            }
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

    const Row* row(int at) const
    {
        return at >= 0 && at < int(m_rows.size()) ? &m_rows[std::size_t(at)] : nullptr;
    }

    void toggle(int at)
    {
        if (at < 0 || at >= int(m_rows.size()))
            return;
        m_rows[std::size_t(at)].ticked = !m_rows[std::size_t(at)].ticked;
        const QModelIndex changed = index(at);
        emit dataChanged(changed, changed, {Qt::CheckStateRole});
    }

    QStringList tickedCaptions() const
    {
        QStringList captions;
        for (const Row& row : m_rows)
            if (row.ticked)
                captions.append(row.caption);
        return captions;
    }

private:
    std::vector<Row> m_rows;
};

} // namespace ParameterDialogDetail

using ParameterDialogDetail::ValueListModel;

namespace {

const char* const labels[ValueFiles::kindCount] = {
    "Artists:", "Genres:", "Mediums:", "Albums:", "Years:"};

} // namespace

ParameterDialog::ParameterDialog(SongDatabase& database, Dialogs& dialogs, Gauge* gauge,
                                 QWidget* parent)
    // A fixed-size dialog that stays above the other windows: a close button, nothing to
    // maximise or minimise.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_database(database)
    , m_dialogs(dialogs)
    , m_gauge(gauge)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Load a list by specifying parameters"));
    setWindowIcon(Icons::get(Icons::Id::Parameters));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(4);
    for (Kind kind : ValueFiles::kinds) {
        const int i = ValueFiles::index(kind);
        auto* model = new ValueListModel(this);
        auto* view = new QListView(this);
        view->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        view->setModel(model);
        view->setUniformItemSizes(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setMinimumSize(200, 170);
        view->setIconSize(QSize(16, 16));
        view->installEventFilter(this);
        connect(view, &QListView::clicked, this,
                [this, kind](const QModelIndex& index) { toggle(kind, index.row()); });
        auto* label = new QLabel(QLatin1String(labels[i]), this);
        label->setBuddy(view);
        // Artists, genres and mediums on top; albums and years below.
        const int row = i < 3 ? 0 : 2;
        const int column = i < 3 ? i : i - 3;
        grid->addWidget(label, row, column);
        grid->addWidget(view, row + 1, column);
        m_lists[std::size_t(i)] = view;
        m_models[std::size_t(i)] = model;
    }

    m_load = new QPushButton(QStringLiteral("&Load list"), this);
    m_load->setObjectName(QStringLiteral("BitBtn1"));
    m_load->setIcon(Icons::get(Icons::Id::Parameters));
    m_load->setDefault(true);
    connect(m_load, &QPushButton::clicked, this, &ParameterDialog::loadList);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("BitBtn2"));
    m_close->setIcon(Icons::get(Icons::Id::Exit));
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    // The buttons fill the free place beside the bottom lists, at its foot.
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_load);
    buttons->addWidget(m_close);
    grid->addLayout(buttons, 3, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ParameterDialog::~ParameterDialog() = default;

ValueListModel* ParameterDialog::model(Kind kind) const
{
    return m_models[std::size_t(ValueFiles::index(kind))];
}

QListView* ParameterDialog::list(Kind kind) const
{
    return m_lists[std::size_t(ValueFiles::index(kind))];
}

QStringList ParameterDialog::captions(Kind kind) const
{
    QStringList result;
    const ValueListModel* rows = model(kind);
    for (int i = 0; i < rows->rowCount(); ++i)
        result.append(rows->row(i)->caption);
    return result;
}

QChar ParameterDialog::marker(Kind kind, int row) const
{
    const ValueListModel::Row* found = model(kind)->row(row);
    return found ? found->marker : QChar();
}

bool ParameterDialog::isTicked(Kind kind, int row) const
{
    const ValueListModel::Row* found = model(kind)->row(row);
    return found && found->ticked;
}

void ParameterDialog::toggle(Kind kind, int row)
{
    model(kind)->toggle(row);
}

void ParameterDialog::formActivate()
{
    for (ValueListModel* rows : m_models)
        rows->setRows({});
    ValueFiles::Lists lists;
    ErrorBoundary::run(
        [&] {
            if (m_gauge)
                m_gauge->start(QStringLiteral("Loading items..."), ValueFiles::kindCount);
            lists = ValueFiles::load(m_database, [this](int done, int) {
                        if (m_gauge)
                            m_gauge->setValue(done);
                    }).lists;
        },
        m_dialogs);
    if (m_gauge)
        m_gauge->finish();

    for (Kind kind : ValueFiles::kinds) {
        std::vector<ValueListModel::Row> rows;
        const QStringList& values = lists.of(kind);
        rows.reserve(std::size_t(values.size()));
        for (const QString& value : values)
            rows.push_back({ValueFiles::caption(kind, value), ValueFiles::marker(kind, value)});
        model(kind)->setRows(std::move(rows));
        list(kind)->scrollToTop();
    }
}

void ParameterDialog::loadList()
{
    m_request = {};
    ParameterQuery::Ticked ticked;
    for (Kind kind : ValueFiles::kinds)
        ticked[std::size_t(ValueFiles::index(kind))] = model(kind)->tickedCaptions();
    const bool made =
        ErrorBoundary::run([&] { m_request = ParameterQuery::request(ticked); }, m_dialogs);
    if (made && !m_request.isEmpty()) {
        emit loadRequested(m_request);
        accept();
        return;
    }
    reject();
}

void ParameterDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from being minimised keeps the ticks.
    if (event->spontaneous())
        return;
    formActivate();
    centerOnScreen(*this);
}

bool ParameterDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        for (Kind kind : ValueFiles::kinds) {
            if (watched != list(kind))
                continue;
            const QModelIndex current = list(kind)->currentIndex();
            if (current.isValid())
                toggle(kind, current.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
