#include "cli/Commands.h"
#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char* const usageText = R"(Usage: tamboro3-cli [--home DIR] COMMAND [ARGS...]

Commands:
  tag show [--json] FILE...        print the ID3v1 tag of each file
  tag set FILE [--title T] [--artist A] [--album B] [--year Y] [--comment C] [--genre-id N]
                                   change the ID3v1 tag of a file that has one
  edit [--json] ID [--artist A] [--title T] [--album B] [--comment C] [--year Y] [--genre NAME]
                                   the tag editor's "Save changes" for the song ID: its row
                                   of the song table, then the ID3v1 tag of its file if it
                                   has one; a field not given keeps its stored value. NAME is
                                   one of the editor's genres. Prints the ID, the file and
                                   what became of the tag (written, left alone, failed) with
                                   the reason; exit code 1 when the tag could not be written
  retag [--json] (--ids ID,ID,... | --query SQL) [--artist A] [--genre NAME] [--album B]
        [--comment C] [--year Y]
                                   the mass re-tagger's run: the fields given are set to
                                   their values for every song of the IDs or of the select
                                   statement, in the song table and in the ID3v1 tag of each
                                   file that has one (and its ID3v2 tag, if any); fields not
                                   given stay. Prints a record per song (its ID, file and
                                   what became of the tag), then the figures. The run stops
                                   at the first song whose tag cannot be written: that song
                                   and those after it stay unchanged, and the exit code is 1
  play [--enqueue] [--all] (--ids ID,ID,... | --query SQL)
                                   hand the songs to the desktop's MP3 player as the list
                                   windows' "Play" does ("Enqueue" with --enqueue; "Play
                                   List" and "Enqueue List" with --all): the files that
                                   exist go into the playlist tmp.m3u of the home, in the
                                   order of the statement's rows, the player is started
                                   with it, and their play counts go up. Prints the
                                   command and the playlist; exit code 1 when no player is
                                   registered, none of the files exists, or the player
                                   cannot be started (then no count changes)
  copy (--ids ID,ID,... | --query SQL) [--replace | --skip] DEST
                                   the list windows' "Copy selected files to...": the files
                                   of the songs (found as list does, in the order of the IDs
                                   or of the statement) are copied into the folder DEST; a
                                   later file of a name already taken becomes "Name (2).mp3".
                                   A file already in DEST is kept (--skip, the default) or
                                   replaced (--replace). Prints each file (copied, skipped,
                                   failed with the reason, missing), then the figures; exit
                                   code 1 when a song has no file to copy or a copy failed
  probe [--json] FILE...           print the play length, bitrate and sampling frequency of
                                   each MPEG audio file
  decode FILE OUT.wav              play an MPEG audio file to its end into a WAV file
  list [--json]                    print the whole database as its list shows it: one record
                                   per song (its file looked for on the media present now),
                                   then the status panels
  params [--json] [--artist A]... [--genre G]... [--medium M]... [--album B]... [--year Y]...
                                   the list "Load a list by specifying parameters" would open
                                   with these values ticked (as the dialog shows them; a
                                   medium by its name): its base query and caption, then its
                                   rows and panels as list prints them; writes nothing
  params [--json] --values artists|genres|mediums|albums|years
                                   the values of that kind the dialog offers, as its value
                                   file holds them (the five files are made when missing)
  search [--json] [--and] TEXT     print the songs FastSearch lists for TEXT, as list
                                   prints them: songs whose artist or title contains any
                                   keyword of TEXT (every keyword with --and), letter case
                                   ignored. Blanks split TEXT into keywords, unless it ends
                                   with one: then TEXT is one keyword, blanks included
  guess [--json] FILE...           what filename recognition would make of each file name
                                   (artist, title, genre, full or partial) with the song
                                   table as it is; writes nothing
  add [--json] [--medium NAME] [--kind hd|cd|net] [--same-medium-only] [--progress] PATH...
                                   add songs to the database as the add-files window does:
                                   files as given, folders scanned breadth first for *.mp3
                                   and *.wma (any letter case); prints the report rows, then
                                   the figures (with --json a bad file's row also has
                                   its "reason": what was found, such as "the file is
                                   empty" or "no MPEG audio frame found"). The medium
                                   is the first path's volume label
                                   and kind unless given. A path that does not exist is
                                   named on stderr and the exit code is 1.
                                   --progress prints "progress N/M TEXT" lines on stderr:
                                   N of the M files of a pass are done (0 as a pass starts),
                                   TEXT is the add window's status text. Files whose tag
                                   gives no artist are read again in a second pass, which
                                   counts from 0 again. A file without an ID3v1 tag
                                   takes its tag from its ID3v2 tag unless the Options
                                   setting "Read ID3v2 tags when a file has no ID3v1 tag"
                                   is off
  userlist save (--query SQL | --all) FILE
                                   write a user list file (.tb3): the stored file name of
                                   every song the select statement (or the whole database)
                                   gives, in its order, lines ended by CR LF
  userlist open [--json] FILE      the rows the user list of FILE shows: each line finds
                                   the songs of its file name on its medium, in any folder
  export-html [--table] [--fields artist,title,length,...] [--secondary] (--query SQL | --all)
              OUT.html
                                   the HTML page of the songs of the select statement (in
                                   its order) or of the whole database (in artist and title
                                   order), as "Generate" of the window "Generate HTML page
                                   from database" writes it: --table is "With Table" (else
                                   "Without Table"); --fields names the boxes ticked, in any
                                   order, from artist (Artist), title (Title), length (Track
                                   length), filename (Filename), album (Album), comment
                                   (Comment), year (Year), genre (Genre), bitrate (Bitrate),
                                   artist,title,length unless given; --secondary is "Show
                                   secondary information". Prints the file, the rows and
                                   the bytes written; exit code 1 when the statement fails
                                   or the file cannot be written (an older file stays)
  import FILE                      "Add data from another database": copy the CD and network
                                   songs (location ending in "@" or "R") of FILE, a tamboro.db
                                   of Tamboro 3 or the TAMBORO.DB of the Windows program, into
                                   the song table as they are stored there, under new IDs.
                                   Prints the file, its kind (tamboro3 or windows) and the
                                   number of songs imported; a file that is no song table or
                                   is damaged imports nothing, and the exit code is 1
  check [--json] [--dry-run]       the existence check: the hard-disk songs whose file is
                                   gone are deleted from the song table (none with
                                   --dry-run); songs on a medium that is not mounted are
                                   skipped. Prints the songs checked, missing, skipped and
                                   deleted
  top10 [--json]                   the ten most played songs, most played first; exit code
                                   1 when the table holds fewer than ten
  reindex [--json]                 number the songs 1, 2, 3, ... in artist and title order,
                                   play counts and every other value kept; the new table
                                   replaces the old one only when complete, and any failure
                                   (exit code 1) leaves the old one as it was
  delete [--json] (--ids ID,ID,... | --query SQL) [--files | --files-only]
                                   delete the songs from the song table; with --files their
                                   files too (to the desktop's trash where the medium has
                                   one), with --files-only only the files. Prints the
                                   records and files deleted
  share [--bind ADDR] [--port N] [--central HOST]
                                   the personal sharing server: answers other users'
                                   searches of this home's hard-disk songs and sends the
                                   files they ask for, until SIGINT or SIGTERM; listens on
                                   ADDR (all interfaces unless given) port N (6710); with
                                   --central it registers with that central server every
                                   minute. Logs each request on stderr; exit code 1 when
                                   the port is taken
  central [--bind ADDR] [--port N] [--peer ADDR[:PORT]]...
                                   the central sharing server: passes users' searches on to
                                   the personal servers that registered with it and those
                                   named with --peer (port 6710 unless given) and answers
                                   with their records; listens on port N (6714) and 6715
  fetch --server HOST [--bind ADDR] [--wait SECONDS] REMOTE-NAME TARGET
                                   downloads one file from a personal server through its
                                   queue; the file appears as TARGET only when whole
  isearch [--json] [--central | --server HOST] [--bind ADDR] [--wait SECONDS] ARTIST TITLE
                                   the Internet search: asks the central server (the
                                   setting "CentralServer"; the default) or the personal
                                   server HOST for songs whose artist and title contain
                                   the texts, and prints the caption, the rows as the
                                   results window shows them (at most 50, in artist order,
                                   each with its server and file name for fetch) and its
                                   panels; exit code 1 on a socket error or when no answer
                                   comes within SECONDS (30)

Exit code: 0 when everything worked, 1 when a file given could not be read, does not
exist or could not be written, or the command failed, 2 for a mistake in the command.

The home is DIR, else $TAMBORO_HOME, else the per-user data folder. ID3v1 text is read
and written in the code page chosen in Options (Windows-1252 unless set).
)";

struct Command
{
    const char* name;
    int (*run)(CliContext&, const QStringList&);
};

const Command commands[] = {
    {"tag", runTagCommand},
    {"probe", runProbeCommand},
    {"decode", runDecodeCommand},
    {"list", runListCommand},
    {"guess", runGuessCommand},
    {"add", runAddCommand},
    {"userlist", runUserListCommand},
    {"params", runParamsCommand},
    {"search", runSearchCommand},
    {"edit", runEditCommand},
    {"retag", runRetagCommand},
    {"play", runPlayCommand},
    {"export-html", runExportHtmlCommand},
    {"copy", runCopyCommand},
    {"import", runImportCommand},
    {"check", runCheckCommand},
    {"top10", runTop10Command},
    {"reindex", runReindexCommand},
    {"delete", runDeleteCommand},
    {"share", runShareCommand},
    {"central", runCentralCommand},
    {"fetch", runFetchCommand},
    {"isearch", runIsearchCommand},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = QCoreApplication::arguments().mid(1);
    QString home;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--home") && !args.isEmpty()) {
            home = args.takeFirst();
        } else if (option == QLatin1String("--help")) {
            out << usageText;
            return 0;
        } else {
            err << "Unknown or incomplete option " << option << "\n" << usageText;
            return 2;
        }
    }
    if (args.isEmpty()) {
        err << usageText;
        return 2;
    }

    // The tags are the user's: their text is in the code page the user has chosen in Options.
    QString codePageNote;
    TMP3Info::setDefaultCodePage(SingleByteCodePage::byNameOrDefault(
        SettingsStore().text(QLatin1String(SettingsStore::ID3v1CodePage)), &codePageNote));
    if (!codePageNote.isEmpty()) {
        err << codePageNote << "\n";
        err.flush();
    }

    const QString name = args.takeFirst();
    for (const Command& command : commands) {
        if (name != QLatin1String(command.name))
            continue;
        try {
            CliContext context{home.isEmpty() ? Home::defaultPath() : home, out, err};
            return command.run(context, args);
        } catch (const CliUsageError& e) {
            err << e.text() << "\n" << usageText;
            return 2;
        } catch (...) {
            err << currentErrorText() << "\n";
            return 1;
        }
    }
    err << "Unknown command " << name << "\n" << usageText;
    return 2;
}
