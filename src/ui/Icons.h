#pragma once

#include <QIcon>
#include <QList>
#include <QString>

// The pictures of the program: tool buttons, menus, list windows, list rows, column headers,
// mediums and the tray. Each has a 24x24 SVG of our own (resource ":/icons/<name>.svg"); where
// the freedesktop icon naming has a picture for the same meaning, the desktop's theme is used
// when it has one, so that the common commands look like the rest of the desktop.
namespace Icons {

enum class Id {
    AddFiles,      // add files to the database
    WholeDatabase, // request the whole database
    Parameters,    // request database parameters
    FastSearch,
    MakeUserList,
    LoadUserList,
    SaveList,
    TagEditor, // toggle the ID3 tag editor
    Options,
    CheckFiles, // check for existence of files
    Top10,      // the top 10 played songs
    Reindex,
    MassRetag,
    ImportLocations, // add information from another database
    InternetSearch,
    Downloads,
    About, // version info
    Exit,  // close / exit
    Play,
    Enqueue,
    Delete,
    ExportHtml,
    CopyFiles,
    ListWholeDatabase, // list window icons: whole database,
    ListByParameters,  // list by parameters,
    ListUser,          // user list
    RowAvailable,      // list row images: the song's file is reachable,
    RowNotAvailable,   // or it is not
    SortUp,            // column header arrows
    SortDown,
    MediumHardDisk, // medium kinds '!', '@', 'R'
    MediumCd,
    MediumNetwork,
    ReportDouble,     // add report rows: a double, excluded,
    ReportRecognized, // recognised from the file name and added,
    ReportBad,        // unreadable, excluded,
    ReportMoved,      // found again where it has been moved to
    Program,          // the program's own icon, also the tray icon
};

// Every Id, in declaration order.
QList<Id> all();

// The theme's icon when the desktop theme has one for this meaning, else our own.
QIcon get(Id id);
// Our own picture, whatever the theme.
QIcon own(Id id);

// The freedesktop icon name used for `id`, or empty when only our own picture exists.
QString themeName(Id id);
// The resource path of our own picture.
QString resourcePath(Id id);

// The picture for a medium-kind marker ('!', '@', 'R'); a null icon for any other character.
QIcon forMediumKind(QChar kind);

} // namespace Icons
