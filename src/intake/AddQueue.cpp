#include "intake/AddQueue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringMatcher>

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

} // namespace

const QStringList& nameFilters()
{
    static const QStringList filters{QStringLiteral("*.mp3"), QStringLiteral("*.wma")};
    return filters;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(nameFilters(), QDir::Files, kListingOrder);
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
        for (const QString& name : filesIn(folder))
            files.append(fullName(folder, name));
    }
    return files;
}

} // namespace AddQueue
