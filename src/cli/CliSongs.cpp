#include "cli/CliSongs.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "platform/Volumes.h"

CliSongs cliSongs(SongDatabase& database, const CliArgs& parsed, const QString& idsOption,
                  const QString& queryOption)
{
    CliSongs songs;
    QString sql;
    if (parsed.has(idsOption)) {
        songs.ids = cliIdList(parsed.value(idsOption));
        if (songs.ids.isEmpty())
            throw CliUsageError(QStringLiteral("%1 names no song").arg(idsOption));
        sql = Statements::selectByIds(songs.ids);
    } else {
        sql = parsed.value(queryOption);
        cliRequireSelect(sql);
    }
    RQuery query(database);
    query.setSql(sql);
    query.open();
    songs.list = buildList(query, SystemVolumes().roots(), {});
    query.close();
    return songs;
}
