#include "lists/ReqsCache.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "platform/Errors.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace {

struct RawFile
{
    QList<QByteArray> lines; // without their endings
    QByteArray ending = "\r\n";
};

RawFile readRaw(const QString& path)
{
    RawFile raw;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.isEmpty())
        return raw;
    raw.lines = bytes.split('\n');
    if (raw.lines.last().isEmpty()) // the ending of the last line
        raw.lines.removeLast();
    const qsizetype firstBreak = bytes.indexOf('\n');
    if (firstBreak >= 0 && (firstBreak == 0 || bytes.at(firstBreak - 1) != '\r'))
        raw.ending = "\n";
    for (QByteArray& line : raw.lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return raw;
}

// Whether the song table answers a statement that must always work; a failure says that the
// table, not an entry's SQL, is at fault.
void checkSongTable(SongDatabase& database)
{
    RQuery probe(database);
    probe.setSql(Statements::selectAll());
    probe.open();
    probe.isEmpty();
    probe.close();
}

void writeRaw(const QString& path, const QList<QByteArray>& lines, const QByteArray& ending)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    for (const QByteArray& line : lines) {
        if (!ok)
            break;
        ok = file.write(line) == line.size() && file.write(ending) == ending.size();
    }
    if (!ok || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace

namespace ReqsCache {

// Only a statement that reads can come from the cache: anything else in the file was not
// written by the program and must not be run against the song table.
bool isReadQuery(const QString& sql)
{
    const QString text = sql.trimmed();
    if (!text.startsWith(QLatin1String("select"), Qt::CaseInsensitive))
        return false;
    return text.size() == 6 || !text.at(6).isLetterOrNumber();
}

PruneReport prune(SongDatabase& database, const QString& path, const Progress& progress)
{
    PruneReport report;
    if (!QFileInfo::exists(path) ||
        !QFileInfo(database.tableFile(QStringLiteral("tamboro"))).isFile())
        return report;

    const RawFile raw = readRaw(path);
    const int total = int(raw.lines.size());
    if (progress)
        progress(0, total);

    QList<QByteArray> kept;
    RQuery query(database);
    for (int i = 0; i < total; ++i) {
        const QByteArray& line = raw.lines.at(i);
        const QString text = LegacyText::decode(line);
        const qsizetype bar = text.indexOf(u'|');
        if (text.trimmed().isEmpty()) {
            // a blank line is no entry
        } else if (bar < 0) {
            ++report.lines;
            report.rejected.append(
                QStringLiteral("Line %1 of %2 has no query: %3").arg(i + 1).arg(path, text));
        } else if (const QString sql = text.mid(bar + 1); !isReadQuery(sql)) {
            ++report.lines;
            report.rejected.append(
                QStringLiteral("Line %1 of %2 is not a read query: %3").arg(i + 1).arg(path, text));
        } else {
            ++report.lines;
            bool empty = false;
            QString refusal;
            try {
                query.close();
                query.setSql(sql);
                query.open();
                empty = query.isEmpty(); // the first row answers; the rest is never read
                query.close();
            } catch (const EDatabaseError& error) {
                query.close();
                refusal = error.message();
            }
            if (!refusal.isEmpty()) {
                checkSongTable(database); // throws when the table is at fault: keep every line
                report.rejected.append(QStringLiteral("Line %1 of %2 was refused (%3): %4")
                                           .arg(i + 1)
                                           .arg(path, refusal, text));
            } else if (empty) {
                report.noRows.append(text.left(bar));
            } else {
                kept.append(line);
            }
        }
        if (progress)
            progress(i + 1, total);
    }
    report.kept = int(kept.size());
    if (kept.size() != raw.lines.size()) {
        writeRaw(path, kept, raw.ending);
        report.rewritten = true;
    }
    return report;
}

QStringList lines(const QString& path)
{
    QStringList result;
    if (!QFileInfo::exists(path))
        return result;
    for (const QByteArray& line : readRaw(path).lines) {
        const QString text = LegacyText::decode(line);
        if (!text.trimmed().isEmpty())
            result.append(text);
    }
    return result;
}

QStringList captions(const QString& path)
{
    QStringList result;
    for (const QString& line : lines(path)) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar >= 0)
            result.append(line.left(bar));
    }
    return result;
}

std::optional<Entry> parse(const QString& line)
{
    const qsizetype bar = line.indexOf(u'|');
    if (bar < 0)
        return std::nullopt;
    return Entry{line.left(bar), line.mid(bar + 1)};
}

bool add(const QString& path, const QString& line)
{
    RawFile raw;
    if (QFileInfo::exists(path))
        raw = readRaw(path);
    for (const QByteArray& existing : std::as_const(raw.lines))
        if (LegacyText::decode(existing) == line)
            return false;
    raw.lines.append(line.toUtf8());
    writeRaw(path, raw.lines, raw.ending);
    return true;
}

} // namespace ReqsCache
