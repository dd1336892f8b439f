#pragma once

#include "db/Song.h"
#include "platform/LegacyText.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The song table of the Windows program: a Paradox table file ("TAMBORO.DB") with the columns
// of our song table, its text in the Windows ANSI code page. Read with pxlib.
namespace ParadoxSongTable {

// Whether `head` (the first bytes of a file) could begin a Paradox data table: a plausible
// record and header size, a table file type and a known file version. Cheap; says nothing
// about the rest of the file.
bool looksLikeParadox(const QByteArray& head);

// Every row of the table at `path` as it holds it (text in stored form, nothing decoded),
// its text read in `codePage`; the played count as a decimal number, the ID as the table has
// it. Throws EInOutError naming the file when it cannot be read, is not a Paradox table, is
// damaged (truncated, blocks that do not add up) or lacks a column of the song table.
QList<Song> read(const QString& path, const SingleByteCodePage& codePage);

} // namespace ParadoxSongTable
