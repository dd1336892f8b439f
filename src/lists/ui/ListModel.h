#pragma once

#include "lists/ListEntry.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

#include <array>
#include <vector>

// The rows of a list window: thirteen columns, the artist first and then the twelve sub-values
// of a ListEntry in their order. The rows are replaced as a whole, in one model reset, so a
// view never sees one signal per row however long the list is.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int columns = 1 + ListEntry::subCount;
    enum class HeaderImage { None, Ascending, Descending };

    explicit ListModel(QObject* parent = nullptr);

    // "Artist", "Title", ..., "Pld." in column order.
    static const QStringList& captions();
    // The text a column shows for an entry.
    static const QString& value(const ListEntry& entry, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows dragged out carry their IDs and the name of the window they came from.
    void setDragSource(const QString& windowName) { m_dragSource = windowName; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Replaces all rows at once.
    void setEntries(std::vector<ListEntry>&& entries);
    void clear();
    // Shows new play counts (row number, count) in one change of the "Pld." column.
    void setPlayed(const std::vector<std::pair<int, qint64>>& counts);
    const std::vector<ListEntry>& entries() const { return m_entries; }
    const ListEntry& entry(int row) const { return m_entries.at(std::size_t(row)); }

    // The arrow a header shows: only the column that set the sort order carries one.
    HeaderImage headerImage(int column) const;
    void setHeaderImage(int column, HeaderImage image);
    void clearHeaderImages();

private:
    const QIcon& rowIcon(bool available) const;
    const QIcon& remoteIcon() const;

    std::vector<ListEntry> m_entries;
    QString m_dragSource;
    std::array<HeaderImage, columns> m_headerImages{};
    // Made on first use: a model may exist before the application's style does.
    mutable QIcon m_availableIcon;
    mutable QIcon m_missingIcon;
    mutable QIcon m_remoteIcon;
    mutable QIcon m_ascendingIcon;
    mutable QIcon m_descendingIcon;
};
