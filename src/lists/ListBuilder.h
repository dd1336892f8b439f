#pragma once

#include "lists/ListEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class RQuery;
class SettingsStore;

// Playing time summed over rows, kept in seconds and shown as h:m:s without leading zeros.
struct ListTime
{
    qint64 seconds = 0;
    // "1:5:7" for 1 hour, 5 minutes and 7 seconds.
    QString text() const;
};

struct ListBuildOptions
{
    bool hideUnavailable = false; // the window's hide box is ticked
    bool userList = false;        // the window's caption contains "User List "
};

// What list building makes of one query result.
struct ListBuildResult
{
    std::vector<ListEntry> rows; // the rows to show, in result order
    QStringList ids;             // IDs the window appends to its UsrHdrs (none for user lists)
    int songs = 0;               // result rows, hidden ones included
    int playable = 0;
    ListTime listTime;
    ListTime playTime;
    bool allOneAlbum = true; // every row had the same decoded album
    QString lastAlbum;       // decoded album of the last row

    // "Songs in list: ", "Songs playable: ", "List Time: ", "Play Time: " with their values.
    QStringList panels() const;
};

// Builds the rows of an open query's result from its first row on. `roots` are the medium
// roots present now (Drvs), in poll order. `progress` is told the number of rows handled
// after each row (and once with 0 before the first).
ListBuildResult buildList(RQuery& query, const QStringList& roots, const ListBuildOptions& options,
                          const std::function<void(int handled, int total)>& progress = {});

// The seconds of a Track_Length text "h:mm:ss" (three parts of digits), or nothing when the
// text has another form.
std::optional<qint64> trackLengthSeconds(const QString& trackLength);

// The switch to file-name order of a list that holds one album, and the way back.
enum class AlbumSwitch { None, ToFilename, Back };
AlbumSwitch albumSwitch(const ListBuildResult& result, const QString& windowLastClickedColumn,
                        int savedColumnIndex, bool sortAlbums, bool sortAlbumsBack);

// The record filter of the three filter edits, e.g. "artist = 'be*' and album = 'x*'". Each
// text is matched literally as a prefix, quotes included. A text that would read as more than
// one condition (it holds "' and title = '" or the like) throws EDatabaseError instead.
QString filterExpression(const QString& artist, const QString& title, const QString& album);

// Column widths (13 columns, caption first) from the Show* settings; 0 hides a column.
std::vector<int> columnWidths(const SettingsStore& settings);
