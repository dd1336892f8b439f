#pragma once

#include "db/Song.h"

#include <QList>
#include <QString>

// Writes a song table of the Windows program, a Paradox table with the columns, types and
// widths of that program's "TAMBORO.DB", with pxlib: what an import of such a table reads.
// Texts go in as Windows-1252 bytes, as given (stored form is the caller's business); the IDs
// count from 1; `played` empty stands for 0. A text longer than its field is cut, as the table
// would.
void writeParadoxSongTable(const QString& path, const QList<Song>& rows);
