#include "lists/ui/ListModel.h"

#include "lists/ui/ListIcons.h"
#include "lists/ui/SongDrag.h"

#include <algorithm>

ListModel::ListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    m_headerImages.fill(HeaderImage::None);
}

const QStringList& ListModel::captions()
{
    static const QStringList names{
        QStringLiteral("Artist"),   QStringLiteral("Title"), QStringLiteral("Length"),
        QStringLiteral("Filename"), QStringLiteral("Album"), QStringLiteral("Comment"),
        QStringLiteral("Year"),     QStringLiteral("Genre"), QStringLiteral("Frequency"),
        QStringLiteral("Bitrate"),  QStringLiteral("ID"),    QStringLiteral("Location"),
        QStringLiteral("Pld."),
    };
    return names;
}

const QString& ListModel::value(const ListEntry& entry, int column)
{
    if (column <= 0)
        return entry.caption;
    return entry.sub[std::size_t(column - 1)];
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_entries.size()) || index.column() >= columns)
        return QVariant();
    const ListEntry& entry = m_entries[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return value(entry, index.column());
    case Qt::DecorationRole:
        if (index.column() == 0)
            return entry.remote ? remoteIcon() : rowIcon(entry.available);
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return captions().at(section);
    if (role == Qt::DecorationRole) {
        switch (m_headerImages[std::size_t(section)]) {
        case HeaderImage::None:
            break;
        case HeaderImage::Ascending:
            if (m_ascendingIcon.isNull())
                m_ascendingIcon = ListIcons::headerImage(false);
            return m_ascendingIcon;
        case HeaderImage::Descending:
            if (m_descendingIcon.isNull())
                m_descendingIcon = ListIcons::headerImage(true);
            return m_descendingIcon;
        }
    }
    return QVariant();
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
           Qt::ItemIsDragEnabled;
}

QStringList ListModel::mimeTypes() const
{
    return {QLatin1String(SongDrag::MimeType)};
}

QMimeData* ListModel::mimeData(const QModelIndexList& indexes) const
{
    // One index per cell of a selected row: each row once, in row order.
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    SongDrag::Payload payload;
    payload.source = m_dragSource;
    for (int row : rows)
        payload.ids << entry(row).value(ListEntry::ID);
    return SongDrag::encode(payload);
}

void ListModel::setEntries(std::vector<ListEntry>&& entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void ListModel::setPlayed(const std::vector<std::pair<int, qint64>>& counts)
{
    int first = rowCount();
    int last = -1;
    for (const auto& [row, played] : counts) {
        if (row < 0 || row >= rowCount())
            continue;
        m_entries[std::size_t(row)].sub[ListEntry::Played] = QString::number(played);
        first = qMin(first, row);
        last = qMax(last, row);
    }
    if (last < 0)
        return;
    const int column = 1 + ListEntry::Played;
    emit dataChanged(index(first, column), index(last, column), {Qt::DisplayRole});
}

void ListModel::clear()
{
    if (m_entries.empty())
        return;
    beginResetModel();
    m_entries.clear();
    m_entries.shrink_to_fit();
    endResetModel();
}

ListModel::HeaderImage ListModel::headerImage(int column) const
{
    if (column < 0 || column >= columns)
        return HeaderImage::None;
    return m_headerImages[std::size_t(column)];
}

void ListModel::setHeaderImage(int column, HeaderImage image)
{
    if (column < 0 || column >= columns || m_headerImages[std::size_t(column)] == image)
        return;
    m_headerImages[std::size_t(column)] = image;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ListModel::clearHeaderImages()
{
    for (int column = 0; column < columns; ++column)
        setHeaderImage(column, HeaderImage::None);
}

const QIcon& ListModel::remoteIcon() const
{
    if (m_remoteIcon.isNull())
        m_remoteIcon = ListIcons::remoteRowImage();
    return m_remoteIcon;
}

const QIcon& ListModel::rowIcon(bool available) const
{
    QIcon& icon = available ? m_availableIcon : m_missingIcon;
    if (icon.isNull())
        icon = ListIcons::rowImage(available);
    return icon;
}
