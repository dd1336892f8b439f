#include "lists/ListOrder.h"

namespace ListOrder {

const QStringList& keyNames()
{
    static const QStringList names{
        QStringLiteral("Artist & Title"), QStringLiteral("Title & Artist"),
        QStringLiteral("Length"),         QStringLiteral("Filename"),
        QStringLiteral("Album"),          QStringLiteral("Genre"),
        QStringLiteral("Year"),           QStringLiteral("Times Played"),
        QStringLiteral("Comment"),
    };
    return names;
}

QString daOrder(int key)
{
    static const char* const clauses[keyCount] = {
        " order by artist, title", " order by title, artist", " order by track_length",
        " order by Filename",      " order by Album",         " order by Genre",
        " order by sYear",         " order by Played",        " order by comment",
    };
    if (key < 0 || key >= keyCount)
        return QString();
    return QLatin1String(clauses[key]);
}

QString orderClause(int key, int direction)
{
    const bool descending = direction == 1;
    if (key == 0)
        return descending ? QStringLiteral(" order by artist desc, title desc")
                          : QStringLiteral(" order by artist asc, title asc");
    if (key == 1)
        return descending ? QStringLiteral(" order by title desc, artist desc")
                          : QStringLiteral(" order by title asc, artist asc");
    return daOrder(key) + (descending ? QStringLiteral(" desc") : QStringLiteral(" asc"));
}

int keyForCaption(const QString& caption)
{
    static const char* const captions[keyCount] = {
        "Artist", "Title", "Length", "Filename", "Album", "Genre", "Year", "Pld.", "Comment",
    };
    for (int key = 0; key < keyCount; ++key) {
        if (caption == QLatin1String(captions[key]))
            return key;
    }
    return -1;
}

} // namespace ListOrder
