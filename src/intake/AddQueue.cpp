#include "intake/AddQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringMatcher>

#include <algorithm>
#include <climits>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace AddQueue {

namespace {

// Without QDir::CaseSensitive the name filters ignore letter case.
constexpr QDir::SortFlags kListingOrder = QDir::Name | QDir::IgnoreCase;

// The identity of a folder for the scan's "each once" rule: its canonical path, so that a
// folder reached through a symbolic link and directly counts once.
QString identityOf(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

bool matchesMask(const QByteArray& name)
{
    const QByteArray lower = name.toLower();
    return lower.endsWith(".mp3") || lower.endsWith(".wma");
}

// The song files of `folder` whose names are not valid UTF-8. QDir leaves such names out
// without a word, so they are looked for in the folder's raw listing.
QStringList undecodableSongNames(const QString& folder)
{
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                  &::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.') || QByteArrayView(name).isValidUtf8() || !matchesMask(name))
            continue;
        struct stat info;
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            continue;
        names.append(QFile::decodeName(name));
    }
    return names;
}

// QDir's order of names that ignores case: by the lower-case names.
bool listedBefore(const QString& a, const QString& b)
{
    return a.toLower() < b.toLower();
}

} // namespace

bool isUndecodableName(const QString& fileName)
{
    return fileName.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(fileName);
}

bool isTooLongForTheSystem(const QString& path)
{
    return QFile::encodeName(path).size() >= PATH_MAX;
}

const QStringList& nameFilters()
{
    static const QStringList filters{QStringLiteral("*.mp3"), QStringLiteral("*.wma")};
    return filters;
}

QStringList filesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(nameFilters(), QDir::Files, kListingOrder);
    for (const QString& name : undecodableSongNames(folder))
        names.insert(std::upper_bound(names.begin(), names.end(), name, listedBefore), name);
    return names;
}

QStringList subfoldersOf(const QString& folder)
{
    const QDir dir(folder);
    QStringList folders;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, kListingOrder))
        folders.append(fullName(folder, name));
    return folders;
}

bool isQueued(const QStringList& queue, const QString& name)
{
    // The lines are searched one by one: the same as searching their joined text, since a
    // file name never holds a line break of the queue's text.
    const QStringMatcher matcher(QLatin1Char('/') + name);
    for (const QString& line : queue) {
        if (matcher.indexIn(line) >= 0)
            return true;
    }
    return false;
}

QString fullName(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

int enqueue(QStringList& queue, const QString& folder, const QStringList& names)
{
    int added = 0;
    for (const QString& name : names) {
        if (isQueued(queue, name))
            continue;
        queue.append(fullName(folder, name));
        ++added;
    }
    return added;
}

QStringList scanFolders(const QString& start, const std::function<void()>& step)
{
    QStringList folders{start};
    QSet<QString> seen{identityOf(start)};
    if (step)
        step();
    // The list grows while it is walked: each folder's subfolders join its end.
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QStringList subfolders = subfoldersOf(folders.at(i));
        for (const QString& sub : subfolders) {
            const QString identity = identityOf(sub);
            if (seen.contains(identity))
                continue;
            seen.insert(identity);
            folders.append(sub);
            if (step)
                step();
        }
    }
    return folders;
}

QStringList scanFiles(const QString& start, const std::function<void()>& step)
{
    QStringList files;
    for (const QString& folder : scanFolders(start, step)) {
        if (isTooLongForTheSystem(folder)) {
            files.append(folder);
            continue;
        }
        for (const QString& name : filesIn(folder))
            files.append(fullName(folder, name));
    }
    return files;
}

} // namespace AddQueue
