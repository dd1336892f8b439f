#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The file names the song table holds, and the one set of rules for taking them apart.
//
// A name is either this system's own (POSIX: it starts with "/", and "\" and ":" are ordinary
// characters in its names) or Windows-style, as an imported catalogue or a user list written on
// Windows holds it: a drive "D:\Music\a.mp3", a share "\\server\share\a.mp3", or a relative name
// with backslashes. A relative name with slashes only is taken as a POSIX one.
namespace StoredPath {

// Whether `path` follows Windows rules: a drive letter and colon at the start ("D:\", "D:/",
// "D:" alone, or "D:a.mp3" relative to that drive), a share ("\\server\share..."), or a
// relative name holding a backslash. A path starting with "/" never is; nor is an empty one.
bool isWindowsStyle(QStringView path);

// Whether `path` starts at a Windows root: a drive letter, a colon and then a separator or
// nothing more ("D:\", "D:/", "D:"), or a share ("\\server..."). Such a name cannot be a file
// name of this system given relative to the current folder.
bool hasWindowsRoot(QStringView path);

// The file's own name without its folder. A POSIX or relative name is cut after its last "/"
// only; a Windows-style name after its last "\", ":" or "/" (Windows takes "/" for "\").
QString fileNamePart(const QString& path);

// A name given on this system's command line as the song table would hold it: a name with a
// Windows root stays as it is; anything else names a file here and is made absolute against
// the current folder (and cleaned of "." and ".." steps), as intake only ever sees full paths.
QString absoluteName(const QString& name);

// A stored path split at its medium root: a drive "D:\", a share "\\server\share", a mount
// point /media/USER/LABEL, /run/media/USER/LABEL or /mnt/NAME, else "/". `rest` is the part
// after the root and its separator. Both are empty for a path that has no such root or
// nothing after it.
struct MediumPath
{
    QString root;
    QString rest;
};
MediumPath splitMediumRoot(const QString& storedPath);

// The path at which a stored file can be reached now: the path itself when a file is there,
// else the same path under the present medium root that holds it (the last such root in
// `roots` order wins), else the stored path unchanged. The rest of a Windows-style path takes
// "/" for its backslashes under a POSIX root; a POSIX path keeps its backslashes, which are
// part of its names. `found`, when given, tells whether a file is at the returned path.
QString locate(const QString& storedPath, const QStringList& roots, bool* found = nullptr);

} // namespace StoredPath
