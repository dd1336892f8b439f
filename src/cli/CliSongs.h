#pragma once

#include "cli/CliContext.h"
#include "lists/ListBuilder.h"

class SongDatabase;

// The songs a command works on, chosen with "--ids ID,ID,..." or "--query SQL".
struct CliSongs
{
    QStringList ids;      // the IDs given, in their order; empty for --query
    ListBuildResult list; // the rows as a list window of the statement shows them
};

// Builds the rows of the songs `parsed` chooses by the options `idsOption` and `queryOption`
// (exactly one of which the caller has checked is given). Throws CliUsageError for IDs that
// are no numbers, no ID at all, or a statement that is no select.
CliSongs cliSongs(SongDatabase& database, const CliArgs& parsed, const QString& idsOption,
                  const QString& queryOption);
