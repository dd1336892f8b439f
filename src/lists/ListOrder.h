#pragma once

#include <QString>
#include <QStringList>

// The sort orders of a list window: a sort key 0..8 and a direction (0 from A to Z, 1 from Z
// to A).
namespace ListOrder {

constexpr int keyCount = 9;

// The hidden combo texts of the keys ("Artist & Title", ...), in key order.
const QStringList& keyNames();
// The order clause of a key, leading blank included (" order by artist, title").
QString daOrder(int key);
// The clause a re-query appends: keys 0 and 1 name the direction on both columns, the others
// append " asc" or " desc" to their DaOrders entry.
QString orderClause(int key, int direction);
// The key a header caption sorts by, or -1 for a caption that sorts by nothing.
int keyForCaption(const QString& caption);

} // namespace ListOrder
