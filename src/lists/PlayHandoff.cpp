#include "lists/PlayHandoff.h"

#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

namespace PlayHandoff {

namespace {

bool fileExists(const QString& name)
{
    return !name.isEmpty() && QFileInfo(name).isFile();
}

// Counts one row: its file into the playlist and its play count one up.
void count(const ListEntry& row, int rowNumber, qint64& played, Prepared& prepared)
{
    ++played;
    prepared.files << row.value(ListEntry::Filename);
    prepared.counts.push_back({rowNumber, row.value(ListEntry::ID), played});
}

} // namespace

Prepared prepareList(const std::vector<ListEntry>& rows, const QStringList& selectedIds,
                     const Progress& progress)
{
    // A line of the selection met by several rows counts once per row, as the rows are walked
    // and each is compared with every line.
    QHash<QString, int> lines;
    for (const QString& id : selectedIds)
        ++lines[id];
    const int maximum = int(selectedIds.size()) - 1;
    int position = 0;
    if (progress)
        progress(0, maximum);

    Prepared prepared;
    for (int i = 0; i < int(rows.size()); ++i) {
        const ListEntry& row = rows[std::size_t(i)];
        const int times = lines.value(row.value(ListEntry::ID));
        if (times == 0)
            continue;
        qint64 played = row.value(ListEntry::Played).toLongLong();
        for (int t = 0; t < times; ++t) {
            if (fileExists(row.value(ListEntry::Filename)))
                count(row, i, played, prepared);
            if (progress)
                progress(++position, maximum);
        }
    }
    return prepared;
}

Prepared prepareAll(const std::vector<ListEntry>& rows, const Progress& progress)
{
    const int maximum = int(rows.size()) - 1;
    if (progress)
        progress(0, maximum);
    Prepared prepared;
    prepared.quotedIds = true;
    for (int i = 0; i < int(rows.size()); ++i) {
        const ListEntry& row = rows[std::size_t(i)];
        if (fileExists(row.value(ListEntry::Filename))) {
            qint64 played = row.value(ListEntry::Played).toLongLong();
            count(row, i, played, prepared);
        }
        if (progress)
            progress(i, maximum);
    }
    return prepared;
}

void raiseCounts(SongDatabase& database, const Prepared& prepared)
{
    if (prepared.counts.empty())
        return;
    UQuery update(database);
    Transaction transaction(database);
    for (const Count& c : prepared.counts) {
        update.setSql(prepared.quotedIds ? Statements::updatePlayedQuoted(c.played, c.id)
                                         : Statements::updatePlayed(c.played, c.id));
        update.execSQL();
    }
    transaction.commit();
}

QString handoffPath(const QString& home)
{
    return QDir(home).filePath(QStringLiteral("tmp.m3u"));
}

void writePlaylist(QIODevice& device, const QStringList& files)
{
    QByteArray text;
    for (const QString& file : files)
        text += file.toUtf8() + "\r\n";
    if (device.write(text) != text.size())
        throw EInOutError(
            QStringLiteral("Cannot write the playlist: %1").arg(device.errorString()));
}

void savePlaylist(const QString& path, const QStringList& files)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot write the playlist %1: %2").arg(path, file.errorString()));
    writePlaylist(file, files);
    if (!file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write the playlist %1: %2").arg(path, file.errorString()));
}

namespace {

enum class Quoting { None, Single, Double };

// The quoting in force at `at` of a command line split as a desktop's Exec line is.
Quoting quotingAt(const QString& line, qsizetype at)
{
    Quoting quoting = Quoting::None;
    for (qsizetype i = 0; i < at; ++i) {
        const QChar c = line.at(i);
        if (quoting == Quoting::Single) {
            if (c == QLatin1Char('\''))
                quoting = Quoting::None;
        } else if (c == QLatin1Char('\\')) {
            ++i; // escapes the next character, outside quotes and in double quotes alike
        } else if (c == QLatin1Char('"')) {
            quoting = quoting == Quoting::Double ? Quoting::None : Quoting::Double;
        } else if (c == QLatin1Char('\'') && quoting == Quoting::None) {
            quoting = Quoting::Single;
        }
    }
    return quoting;
}

// `text` as it must be written to come out of the split as it is, in that quoting.
QString quotedFor(Quoting quoting, QString text)
{
    if (quoting == Quoting::Single)
        return text.replace(QLatin1String("'"), QLatin1String("'\\''"));
    for (const char* special : {"\\", "\"", "$", "`"})
        text.replace(QLatin1String(special), QLatin1Char('\\') + QLatin1String(special));
    return quoting == Quoting::Double ? text : QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

std::optional<QString> commandLine(const QString& playerTemplate, const QString& playlist)
{
    if (playerTemplate.trimmed().isEmpty())
        return std::nullopt;
    const qsizetype at = playerTemplate.indexOf(QLatin1Char('%'));
    if (at < 0)
        return playerTemplate + QLatin1Char(' ') + quotedFor(Quoting::None, playlist);
    QString line = playerTemplate;
    line.replace(at, at + 1 < line.size() ? 2 : 1,
                 quotedFor(quotingAt(playerTemplate, at), playlist));
    return line;
}

} // namespace PlayHandoff
