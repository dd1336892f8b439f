#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The rules of the add queue of the "Submit files to database" window: which files a folder
// offers, when a file counts as queued already, and the scan of a folder tree. The queue is a
// list of full file names, one per entry; the window only shows it.
namespace AddQueue {

// The file mask "*.mp3" and "*.wma". Letter case is ignored: on a file system that tells
// "SONG.MP3" from "song.mp3" both are songs, as they are where names ignore case.
const QStringList& nameFilters();

// The names of the files of `folder` that match the mask, in the order the folder listing shows
// them (by name, ignoring case). Hidden files are left out. Empty for a folder that cannot be read.
// A name that is not valid UTF-8 is listed too, decoded with replacement characters, so that
// the add can report it instead of it vanishing (see isUndecodableName).
QStringList filesIn(const QString& folder);

// Whether `fileName` is a name that filesIn decoded from bytes that are not UTF-8: it holds a
// replacement character and no file of that name exists.
bool isUndecodableName(const QString& fileName);

// Whether `path` is longer than the system takes in one piece (PATH_MAX bytes): no file there
// can be opened by its name.
bool isTooLongForTheSystem(const QString& path);

// The subfolders of `folder` (full paths), in the same order; hidden ones are left out.
QStringList subfoldersOf(const QString& folder);

// Whether "/" followed by `name` occurs anywhere in the queue's text. This is deliberately a
// name test over the whole queue, not a path comparison: a file named like one queued from
// another folder is taken for the same song and not queued again.
bool isQueued(const QStringList& queue, const QString& name);

// The full name of `name` in `folder`: a "/" between them unless the folder ends in one.
QString fullName(const QString& folder, const QString& name);

// Appends the full name of each of `names` (file names in `folder`) unless `isQueued` says it
// is there already; a name appended counts for the names after it. Returns how many went in.
int enqueue(QStringList& queue, const QString& folder, const QStringList& names);

// The folders a scan visits: `start`, then breadth first every subfolder of every folder in
// the list, each once (a folder reached again through a symbolic link is not listed twice, so
// a link that points back up the tree cannot make the scan endless). `step` runs once for
// every folder listed.
QStringList scanFolders(const QString& start, const std::function<void()>& step = {});

// The matching files of every folder `scanFolders` lists, folder by folder, each folder's
// files in listing order. A folder whose path is too long for the system cannot be looked into:
// it is listed in its files' place, so that the add reports it. No queue test is made: the
// caller appends them as they are.
QStringList scanFiles(const QString& start, const std::function<void()>& step = {});

} // namespace AddQueue
