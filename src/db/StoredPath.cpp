#include "db/StoredPath.h"

#include "platform/MountRules.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// A file (not a folder) is at `path`. Called once per row of a list, so it avoids QFileInfo's
// bookkeeping where a plain stat will do.
bool fileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
#else
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
#endif
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// "D:" at the start. Only ASCII letters name drives.
bool startsWithDrive(QStringView path)
{
    if (path.size() < 2 || path.at(1) != QLatin1Char(':'))
        return false;
    const char16_t c = path.at(0).unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool startsWithShare(QStringView path)
{
    return path.startsWith(QLatin1String("\\\\"));
}

// Where the component of a POSIX path that starts at `from` ends: the next "/" or the end.
qsizetype componentEnd(const QString& path, qsizetype from)
{
    const qsizetype slash = path.indexOf(QLatin1Char('/'), from);
    return slash < 0 ? path.size() : slash;
}

// The mount point root of a POSIX path made of `prefix` and then `names` more components
// (/media + USER + LABEL), or -1 when the path is not of that form or has nothing after it.
qsizetype mountRootEnd(const QString& path, QLatin1String prefix, int names)
{
    if (!path.startsWith(prefix) || path.size() == prefix.size() ||
        path.at(prefix.size()) != QLatin1Char('/'))
        return -1;
    qsizetype end = prefix.size();
    for (int i = 0; i < names; ++i) {
        const qsizetype start = end + 1;
        if (start >= path.size())
            return -1;
        end = componentEnd(path, start);
        if (end == start)
            return -1; // an empty name
    }
    if (end + 1 >= path.size())
        return -1; // the mount point itself, or a trailing slash only
    return end;
}

// The rest of a path under another root, with the separators that root uses. Only a rest cut
// from a Windows-style path has backslashes to turn into slashes: in a POSIX one they belong
// to the names.
QString joinRoot(const QString& root, QString rest, bool windowsRest)
{
    const bool posixRoot = root.startsWith(QLatin1Char('/'));
    if (posixRoot && windowsRest)
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!root.isEmpty() && isSeparator(root.back()))
        return root + rest;
    return root + (posixRoot ? QLatin1Char('/') : QLatin1Char('\\')) + rest;
}

} // namespace

namespace StoredPath {

bool isWindowsStyle(QStringView path)
{
    if (path.isEmpty() || path.front() == QLatin1Char('/'))
        return false;
    return startsWithDrive(path) || path.contains(QLatin1Char('\\'));
}

bool hasWindowsRoot(QStringView path)
{
    if (startsWithDrive(path))
        return path.size() == 2 || isSeparator(path.at(2));
    return startsWithShare(path);
}

QString fileNamePart(const QString& path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    if (isWindowsStyle(path))
        cut = std::max(
            {cut, path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':'))});
    return path.mid(cut + 1);
}

QString absoluteName(const QString& name)
{
    return hasWindowsRoot(name) ? name : QFileInfo(name).absoluteFilePath();
}

MediumPath splitMediumRoot(const QString& storedPath)
{
    const QString& p = storedPath;
    // A drive: "D:\Music\a.mp3".
    if (p.size() > 3 && startsWithDrive(p) && isSeparator(p.at(2)))
        return {p.left(3), p.mid(3)};
    // A share: "\\server\share\Music\a.mp3".
    if (startsWithShare(p)) {
        const qsizetype serverEnd = p.indexOf(QLatin1Char('\\'), 2);
        if (serverEnd <= 2)
            return {};
        const qsizetype shareEnd = p.indexOf(QLatin1Char('\\'), serverEnd + 1);
        if (shareEnd <= serverEnd + 1 || shareEnd + 1 >= p.size())
            return {};
        return {p.left(shareEnd), p.mid(shareEnd + 1)};
    }
    if (!p.startsWith(QLatin1Char('/')))
        return {};
    // A mount point of a removable or network medium, else the root file system.
    for (const MountRules::MediaFolder& folder : MountRules::mediaFolders) {
        const qsizetype end = mountRootEnd(p, QLatin1String(folder.path), folder.names);
        if (end >= 0)
            return {p.left(end), p.mid(end + 1)};
    }
    if (p.size() < 2)
        return {};
    return {QStringLiteral("/"), p.mid(1)};
}

QString locate(const QString& storedPath, const QStringList& roots, bool* found)
{
    bool exists = fileExists(storedPath);
    QString path = storedPath;
    if (!exists) {
        const MediumPath split = splitMediumRoot(storedPath);
        if (!split.rest.isEmpty()) {
            const bool windowsRest = isWindowsStyle(storedPath);
            // The last root that holds the file wins, so look from the back.
            for (auto root = roots.crbegin(); root != roots.crend(); ++root) {
                const QString candidate = joinRoot(*root, split.rest, windowsRest);
                if (candidate != storedPath && fileExists(candidate)) {
                    path = candidate;
                    exists = true;
                    break;
                }
            }
        }
    }
    if (found)
        *found = exists;
    return path;
}

} // namespace StoredPath
