#include "lists/ValueFiles.h"

#include "db/RQuery.h"
#include "db/SongColumn.h"
#include "db/SongDatabase.h"
#include "db/TextCodec.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

using ValueFiles::Kind;

bool isEncoded(Kind kind)
{
    return kind == Kind::Artist || kind == Kind::Album;
}

SongColumn columnOf(Kind kind)
{
    switch (kind) {
    case Kind::Artist:
        return SongColumn::Artist;
    case Kind::Genre:
        return SongColumn::Genre;
    case Kind::Medium:
        return SongColumn::Location;
    case Kind::Album:
        return SongColumn::Album;
    case Kind::Year:
        return SongColumn::SYear;
    }
    return SongColumn::Artist;
}

QString pathOf(const QString& home, Kind kind)
{
    return Home::file(home, ValueFiles::fileName(kind));
}

// Written beside the file and renamed over it only when complete, so that no reader ever sees
// half a file. The files are a cache the dialog rebuilds whenever "Artists.dat" is missing:
// the rename does not wait for the disk as well.
void writeFile(const QString& path, const QStringList& values)
{
    QByteArray bytes;
    for (const QString& value : values) {
        bytes += value.toUtf8();
        bytes += "\r\n";
    }
    const QString partial = path + QStringLiteral(".part");
    QFile file(partial);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes) == bytes.size() && file.flush();
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    QString reason = file.errorString();
    if (ok && std::rename(QFile::encodeName(partial).constData(),
                          QFile::encodeName(path).constData()) != 0) {
        ok = false;
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!ok) {
        QFile::remove(partial);
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, reason));
    }
}

} // namespace

namespace ValueFiles {

QString fileName(Kind kind)
{
    switch (kind) {
    case Kind::Artist:
        return QStringLiteral("Artists.dat");
    case Kind::Genre:
        return QStringLiteral("Genres.dat");
    case Kind::Medium:
        return QStringLiteral("Mediums.dat");
    case Kind::Album:
        return QStringLiteral("Albums.dat");
    case Kind::Year:
        return QStringLiteral("Years.dat");
    }
    return QString();
}

QString caption(Kind kind, const QString& value)
{
    return kind == Kind::Medium ? value.chopped(value.isEmpty() ? 0 : 1) : value;
}

QChar marker(Kind kind, const QString& value)
{
    return kind == Kind::Medium && !value.isEmpty() ? value.back() : QChar();
}

QString termValue(Kind kind, const QString& caption)
{
    return isEncoded(kind) ? TextCodec::reFilter(caption) : caption;
}

void sortByCaption(Kind kind, QStringList& values)
{
    // Captions are compared as views of the values: a medium's caption is its value without
    // the marker, which then breaks a tie between two mediums of one name.
    const qsizetype cut = kind == Kind::Medium ? 1 : 0;
    std::sort(values.begin(), values.end(), [cut](const QString& a, const QString& b) {
        const QStringView ca = QStringView(a).chopped(std::min(cut, a.size()));
        const QStringView cb = QStringView(b).chopped(std::min(cut, b.size()));
        if (const int folded = ca.compare(cb, Qt::CaseInsensitive); folded != 0)
            return folded < 0;
        if (const int exact = ca.compare(cb, Qt::CaseSensitive); exact != 0)
            return exact < 0;
        return a < b;
    });
}

void sortCaptions(QStringList& captions)
{
    sortByCaption(Kind::Artist, captions); // a caption of its own is the whole text
}

bool present(const QString& home)
{
    return QFileInfo::exists(pathOf(home, Kind::Artist));
}

Lists build(SongDatabase& database, const Progress& progress)
{
    Lists lists;
    RQuery query(database);
    int done = 0;
    if (progress)
        progress(done, kindCount);
    for (Kind kind : kinds) {
        QStringList& values = lists.of(kind);
        QSet<QString> seen;
        const SongColumn column = columnOf(kind);
        query.close();
        query.setSql(Statements::selectDistinctValues(kind));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            const QString stored = query.field(column);
            if (stored.isEmpty() || stored.contains(QLatin1Char('\n')) ||
                stored.contains(QLatin1Char('\r')))
                continue;
            // Distinct stored texts can still decode alike (a bare "|" of an old table reads
            // as "I"): the list holds each decoded text once.
            if (!isEncoded(kind)) {
                values.append(stored);
                continue;
            }
            const QString shown = TextCodec::filter(stored);
            if (!seen.contains(shown)) {
                seen.insert(shown);
                values.append(shown);
            }
        }
        query.close();
        sortByCaption(kind, values);
        if (progress)
            progress(++done, kindCount);
    }
    return lists;
}

void write(const QString& home, const Lists& lists)
{
    try {
        // "Artists.dat" says the set is complete: it goes last.
        for (Kind kind : {Kind::Genre, Kind::Medium, Kind::Album, Kind::Year, Kind::Artist})
            writeFile(pathOf(home, kind), lists.of(kind));
    } catch (const EInOutError&) {
        QFile::remove(pathOf(home, Kind::Artist));
        throw;
    }
}

Lists read(const QString& home, const Progress& progress)
{
    Lists lists;
    int done = 0;
    if (progress)
        progress(done, kindCount);
    for (Kind kind : kinds) {
        // A file from an earlier version may hold another order.
        lists.of(kind) = LegacyText::readLines(pathOf(home, kind));
        sortByCaption(kind, lists.of(kind));
        if (progress)
            progress(++done, kindCount);
    }
    return lists;
}

Loaded load(SongDatabase& database, const Progress& progress)
{
    const QString& home = database.home();
    const bool complete = std::all_of(kinds.begin(), kinds.end(), [&home](Kind kind) {
        return QFileInfo::exists(pathOf(home, kind));
    });
    if (complete)
        return {read(home, progress), false};
    Loaded loaded{build(database, progress), true};
    write(home, loaded.lists);
    return loaded;
}

} // namespace ValueFiles
