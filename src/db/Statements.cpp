#include "db/Statements.h"

#include "platform/Errors.h"

namespace {

const QLatin1Char dq('"');

// A value as a double-quoted literal of the dialect.
QString quoted(const QString& value)
{
    if (value.contains(dq))
        throw EDatabaseError(QStringLiteral("The text %1 contains a double quote and cannot be "
                                            "used in a database statement")
                                 .arg(value));
    return dq + value + dq;
}

// A whole number written without quotes.
QString number(const QString& value)
{
    bool ok = false;
    value.toLongLong(&ok);
    if (!ok || value.trimmed() != value || value.startsWith(QLatin1Char('+')))
        throw EDatabaseError(QStringLiteral("'%1' is not a valid number").arg(value));
    return value;
}

const QString insertColumns = QStringLiteral(
    " (artist, title, filename, track_length, location, genre, album, bitrate, frequency, "
    "comment, syear, played)values");

QString valueLine(const Song& s, const QString& played)
{
    const QString sep = QStringLiteral(", ");
    return QLatin1Char('(') + quoted(s.artist) + sep + quoted(s.title) + sep + quoted(s.filename) +
           sep + quoted(s.trackLength) + sep + quoted(s.location) + sep + quoted(s.genre) + sep +
           quoted(s.album) + sep + quoted(s.bitrate) + sep + quoted(s.frequency) + sep +
           quoted(s.comment) + sep + quoted(s.year) + sep + played + QLatin1Char(')');
}

QString idTerms(const QStringList& ids)
{
    QStringList terms;
    for (const QString& id : ids)
        terms << QStringLiteral(" ID=") + quoted(number(id));
    return terms.join(QStringLiteral(" or "));
}

} // namespace

namespace Statements {

QString selectAllByArtistTitle()
{
    return QStringLiteral("select * from tamboro order by artist, title");
}

QString selectAll()
{
    return QStringLiteral("select * from tamboro");
}

QString selectAllById()
{
    return QStringLiteral("select * from tamboro order by ID");
}

QString selectTopPlayed()
{
    return QStringLiteral("select * from tamboro order by played desc, artist asc, title asc");
}

QString selectByIds(const QStringList& ids)
{
    return QStringLiteral("select * from tamboro where ") + idTerms(ids);
}

QString selectHardDiskSongs()
{
    return QStringLiteral("select * from tamboro where location like \"%!\"");
}

QString selectHardDiskIdsAndFilenames()
{
    return QStringLiteral("select ID, filename from tamboro where location like \"%!\"");
}

QString selectDuplicate(const QString& artist, const QString& title, const QString& trackLength,
                        const QString& location)
{
    QString sql = QStringLiteral("select * from tamboro where artist=") + quoted(artist) +
                  QStringLiteral(" and title=") + quoted(title) +
                  QStringLiteral(" and track_length=") + quoted(trackLength);
    if (!location.isNull())
        sql += QStringLiteral(" and location = ") + quoted(location);
    return sql;
}

QString selectArtistLike(const QString& pattern)
{
    return QStringLiteral("select * from tamboro where artist like ") + quoted(pattern);
}

QString selectArtistSpellings(const QString& artist)
{
    return QStringLiteral("select * from tamboro where artist=") + quoted(artist) +
           QStringLiteral(" collate nocase order by ID desc");
}

QString selectArtistEquals(const QString& artist)
{
    return QStringLiteral("select * from tamboro where artist=") + quoted(artist);
}

QString selectById(const QString& id)
{
    return QStringLiteral("select * from tamboro where ID=") + number(id);
}

QString selectArtistsOrdered()
{
    return QStringLiteral("select * from tamboro order by artist");
}

QString parameterTerm(ParameterKind kind, const QString& value, bool first)
{
    switch (kind) {
    case ParameterKind::Artist:
        return (first ? QStringLiteral("artist=") : QStringLiteral(" or artist=")) + quoted(value);
    case ParameterKind::Genre:
        return (first ? QStringLiteral("genre=") : QStringLiteral(" or genre=")) + quoted(value);
    case ParameterKind::Medium: {
        // The further terms have no blank before the quote; the engine reads them all the same.
        // Volume labels often carry a "_", which the pattern would read as any character: such
        // a name is written with its wildcards escaped and says which escape it uses.
        QString name = value;
        QString escape;
        if (name.contains(QLatin1Char('%')) || name.contains(QLatin1Char('_'))) {
            name.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            name.replace(QLatin1Char('%'), QLatin1String("\\%"));
            name.replace(QLatin1Char('_'), QLatin1String("\\_"));
            escape = QStringLiteral(" escape \"\\\"");
        }
        return (first ? QStringLiteral("location like ") : QStringLiteral(" or location like")) +
               quoted(name + QLatin1Char('%')) + escape;
    }
    case ParameterKind::Album:
        return (first ? QStringLiteral("album=") : QStringLiteral(" or album=")) + quoted(value);
    case ParameterKind::Year:
        return (first ? QStringLiteral("syear=") : QStringLiteral(" or syear=")) + quoted(value);
    }
    return QString();
}

QString parameterConditions(const QStringList& groups)
{
    QString conditions;
    for (const QString& group : groups) {
        if (group.isEmpty())
            continue;
        if (!conditions.isEmpty())
            conditions += QStringLiteral(" and");
        conditions += QStringLiteral(" (") + group + QLatin1Char(')');
    }
    return conditions;
}

QString parameterBaseQuery(const QString& conditions)
{
    return QStringLiteral("select * from tamboro where") + conditions;
}

QString selectDistinctValues(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::Artist:
        return QStringLiteral("select distinct artist from tamboro");
    case ParameterKind::Genre:
        return QStringLiteral("select distinct genre from tamboro");
    case ParameterKind::Medium:
        return QStringLiteral("select distinct location from tamboro");
    case ParameterKind::Album:
        return QStringLiteral("select distinct album from tamboro");
    case ParameterKind::Year:
        return QStringLiteral("select distinct syear from tamboro");
    }
    return QString();
}

QString selectByParameters(const QString& conditions)
{
    return parameterBaseQuery(conditions) + QStringLiteral(" order by artist, title");
}

QString fastSearchGroup(const QString& variant)
{
    const QString pattern = QLatin1Char('%') + variant + QLatin1Char('%');
    return QStringLiteral("(Artist like ") + quoted(pattern) + QStringLiteral(" or title like ") +
           quoted(pattern) + QLatin1Char(')');
}

QString selectFastSearch(const QStringList& variants)
{
    QStringList groups;
    for (const QString& variant : variants)
        groups << fastSearchGroup(variant);
    return QStringLiteral("select * from tamboro where") + groups.join(QStringLiteral(" or "));
}

QString fastSearchKeywordGroup(const QStringList& foldedForms)
{
    QStringList terms;
    for (const QString& form : foldedForms)
        terms << QStringLiteral("foldcontains(") + quoted(form) +
                     QStringLiteral(", Artist, title)");
    return QLatin1Char('(') + terms.join(QStringLiteral(" or ")) + QLatin1Char(')');
}

QString selectFastSearchFolded(const QStringList& groups, bool everyGroup)
{
    // A long text pasted into the prompt makes thousands of groups: they are nested in
    // parentheses of at most 64, level upon level, since the engine refuses a condition more
    // than 1,000 deep.
    constexpr qsizetype nesting = 64;
    const QString join = everyGroup ? QStringLiteral(" and ") : QStringLiteral(" or ");
    QStringList chain = groups;
    while (chain.size() > nesting) {
        QStringList nested;
        for (qsizetype i = 0; i < chain.size(); i += nesting)
            nested << QLatin1Char('(') + chain.mid(i, nesting).join(join) + QLatin1Char(')');
        chain = nested;
    }
    return QStringLiteral("select * from tamboro where") + chain.join(join);
}

QString userListFileTerm(const QString& pattern)
{
    return QStringLiteral(" filename like ") + quoted(pattern);
}

QString selectUserListFiles(const QStringList& patterns)
{
    QStringList terms;
    for (const QString& pattern : patterns)
        terms << userListFileTerm(pattern);
    return QStringLiteral("select * from tamboro where ") + terms.join(QStringLiteral(" or "));
}

QString selectIdsAndFilenames()
{
    return QStringLiteral("select ID, filename from tamboro");
}

QString withOrder(const QString& baseQuery, const QString& orderClause)
{
    return baseQuery + orderClause;
}

QString selectConvertedRemovable()
{
    return QStringLiteral("select * from converted where location like \"%@\" or location like "
                          "\"%R\" order by artist, title");
}

QString insertSong(const Song& song)
{
    return QStringLiteral("insert into Tamboro") + insertColumns + QLatin1Char('\n') +
           valueLine(song, QStringLiteral("0"));
}

QString deleteBadFiles()
{
    return QStringLiteral("delete from tamboro where filename=\"BADFILE\"");
}

QString updateTags(const QString& id, const Song& song)
{
    return QStringLiteral("update tamboro\nset artist=") + quoted(song.artist) +
           QStringLiteral(",\ntitle=") + quoted(song.title) + QStringLiteral(",\ngenre=") +
           quoted(song.genre) + QStringLiteral(",\nfilename=") + quoted(song.filename) +
           QStringLiteral(",\nalbum=") + quoted(song.album) + QStringLiteral(",\ncomment=") +
           quoted(song.comment) + QStringLiteral(",\nsyear=") + quoted(song.year) +
           QStringLiteral("\nwhere ID=") + number(id);
}

QString retagAssignment(const QString& column, const QString& value)
{
    return column + QLatin1Char('=') + quoted(value);
}

QString updateRetag(const QString& id, const QStringList& assignments)
{
    return QStringLiteral("update tamboro\nset \n") + assignments.join(QStringLiteral("\n, \n")) +
           QStringLiteral("\nwhere ID=") + number(id);
}

QString updatePlayed(qint64 played, const QString& id)
{
    return QStringLiteral("update tamboro set Played=%1 where ID=").arg(played) + number(id);
}

QString updatePlayedQuoted(qint64 played, const QString& id)
{
    return QStringLiteral("update tamboro set Played=%1 where ID=").arg(played) +
           quoted(number(id));
}

QString deleteByFilename(const QString& filename)
{
    return QStringLiteral("delete from tamboro where filename = ") + quoted(filename);
}

QString updateMoved(const QString& id, const QString& filename, const QString& location)
{
    return QStringLiteral("update tamboro set filename=") + quoted(filename) +
           QStringLiteral(", location=") + quoted(location) + QStringLiteral(" where ID=") +
           number(id);
}

QString deleteById(const QString& id)
{
    return QStringLiteral("delete from tamboro where ID=") + number(id);
}

// A table from another installation may hold no play count; it copies as 0.
static QString playedCount(const QString& played)
{
    return played.isEmpty() ? QStringLiteral("0") : number(played);
}

QString insertIntoConverted(const Song& row)
{
    return QStringLiteral("insert into converted") + insertColumns + QLatin1Char('\n') +
           valueLine(row, playedCount(row.played));
}

QString insertCopiedRow(const Song& row)
{
    return QStringLiteral("insert into tamboro") + insertColumns + QLatin1Char('\n') +
           valueLine(row, playedCount(row.played));
}

QString copyAllIntoConverted()
{
    return QStringLiteral("insert into converted (artist, title, filename, track_length, "
                          "location, genre, album, bitrate, frequency, comment, syear, played) "
                          "select artist, title, filename, track_length, location, genre, album, "
                          "bitrate, frequency, comment, syear, played from tamboro order by "
                          "artist, title, ID");
}

QString selectIdsInCopyOrder()
{
    return QStringLiteral("select ID from tamboro order by artist, title, ID");
}

QString countConverted()
{
    return QStringLiteral("select count(*) from converted");
}

QString selectShareSearch(const QString& foldedArtist, const QString& foldedTitle)
{
    QString sql = QStringLiteral("select * from tamboro where location like \"%!\"");
    if (!foldedArtist.isEmpty())
        sql += QStringLiteral(" and foldcontains(") + quoted(foldedArtist) +
               QStringLiteral(", Artist)");
    if (!foldedTitle.isEmpty())
        sql +=
            QStringLiteral(" and foldcontains(") + quoted(foldedTitle) + QStringLiteral(", Title)");
    return sql + QStringLiteral(" order by artist, title, ID");
}

QString selectByFilename(const QString& filename)
{
    return QStringLiteral("select * from tamboro where filename = ") + quoted(filename);
}

} // namespace Statements
