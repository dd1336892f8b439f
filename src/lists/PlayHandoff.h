#pragma once

#include "lists/ListEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QIODevice;
class SongDatabase;

// Playing songs through the user's own player: the songs of a list window go into the hand-off
// playlist "tmp.m3u" of the home, their play counts go up, and the player's command line is
// made from its template with the playlist in place of the placeholder.
namespace PlayHandoff {

// One counted row: its row number in the window, its song's ID and its play count raised.
struct Count
{
    int row = 0;
    QString id;
    qint64 played = 0;
    bool operator==(const Count&) const = default;
};

// What a preparation gives: the files of the playlist in order, and the play count every
// counted row is to have once the player has started. `quotedIds` picks the statement form.
struct Prepared
{
    QStringList files;
    std::vector<Count> counts;
    bool quotedIds = false;
};

// How far a preparation got, in the gauge's shape.
using Progress = std::function<void(int position, int maximum)>;

// The selected songs (`selectedIds`, the ID lines of NowSelected) in the order of the window's
// rows, not of the selection. A row whose file is missing is left out and not counted; its
// step of the gauge is taken all the same. Counted with the bare-ID statement.
Prepared prepareList(const std::vector<ListEntry>& rows, const QStringList& selectedIds,
                     const Progress& progress = {});

// Every row of the window, first to last, counted with the quoted-ID statement.
Prepared prepareAll(const std::vector<ListEntry>& rows, const Progress& progress = {});

// Writes the raised play counts, one statement a row, all in one transaction: the counts go
// up only for songs a started player was given. Throws EDatabaseError, changing nothing, when
// the engine refuses a statement.
void raiseCounts(SongDatabase& database, const Prepared& prepared);

// The hand-off file of the home.
QString handoffPath(const QString& home);
// The playlist: one file name a line, UTF-8, lines ended by CR LF, nothing else. Throws
// EInOutError when the device fails.
void writePlaylist(QIODevice& device, const QStringList& files);
// Writes the playlist file whole, replacing the one before only when complete.
void savePlaylist(const QString& path, const QStringList& files);

// The command line of a player template: its first "%" and the character after it replaced by
// the playlist's name, quoted for the quoting the placeholder stands in (none, single or double
// quotes), so that the line split as a desktop's Exec line is (DetachedProcess::split) gives
// the name as one argument, whatever it holds. A template without "%" gets the playlist as its
// last argument. Nothing when the template is empty: no player is known.
std::optional<QString> commandLine(const QString& playerTemplate, const QString& playlist);

} // namespace PlayHandoff
