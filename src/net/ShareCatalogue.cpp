#include "net/ShareCatalogue.h"

#include "db/CaseFold.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QChar fieldEnd = QLatin1Char('|');
const QChar wireEscape = QLatin1Char('`');

// The record fields in the order the list window shows its columns.
constexpr SongColumn recordColumns[] = {
    SongColumn::Artist,    SongColumn::Title,   SongColumn::Track_Length, SongColumn::Filename,
    SongColumn::Album,     SongColumn::Comment, SongColumn::SYear,        SongColumn::Genre,
    SongColumn::Frequency, SongColumn::Bitrate,
};

bool onHardDisk(const QString& location)
{
    return location.endsWith(QLatin1Char('!'));
}

// The decoded path of a stored file name when it may be offered at all: absolute and clean,
// so that neither a relative name (taken against the server's current folder) nor ".." steps
// reach beyond the name the owner catalogued.
std::optional<QString> offerablePath(const QString& storedName)
{
    const QString path = TextCodec::filter(storedName);
    if (!path.startsWith(QLatin1Char('/')) || QDir::cleanPath(path) != path ||
        path.contains(QChar(u'\0')))
        return std::nullopt;
    return path;
}

// A regular file that is not itself a link.
bool isPlainFile(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

ShareCatalogue::ShareCatalogue(SongDatabase& database)
    : m_database(database)
{}

QString ShareCatalogue::wireText(const QString& stored)
{
    QString wire = stored;
    return wire.replace(fieldEnd, wireEscape);
}

QString ShareCatalogue::storedText(const QString& wire)
{
    QString stored = wire;
    return stored.replace(wireEscape, fieldEnd);
}

ShareCatalogue::Answer ShareCatalogue::search(const QString& artist, const QString& title,
                                              qsizetype byteBudget) const
{
    // Typed texts meet the table in its own form, as every search of the program does: encoded,
    // then case-folded like the stored values inside the engine.
    RQuery rq(m_database);
    rq.setSql(Statements::selectShareSearch(CaseFold::fold(TextCodec::reFilter(artist)),
                                            CaseFold::fold(TextCodec::reFilter(title))));
    rq.open();

    Answer answer;
    qsizetype bytes = 0;
    // Rows arrive in order as the reader moves on, so only the songs up to the last record
    // sent are read and looked up on disk.
    for (rq.first(); !rq.eof() && answer.count < maxRecords; rq.next()) {
        const std::optional<QString> path = offerablePath(rq.field(SongColumn::Filename));
        if (!path || !isPlainFile(*path))
            continue;
        QString record;
        for (const SongColumn column : recordColumns)
            record += wireText(rq.field(column)) + fieldEnd;
        const qsizetype size = record.toUtf8().size();
        if (bytes + size > byteBudget)
            break;
        bytes += size;
        answer.records += record;
        ++answer.count;
    }
    return answer;
}

std::optional<QString> ShareCatalogue::servableFile(const QString& name) const
{
    const QString stored = storedText(name);
    // The stored form never holds a double quote (the codec writes "|2"), and no statement
    // may carry one: such a name is in no row.
    if (stored.isEmpty() || stored.contains(QLatin1Char('"')))
        return std::nullopt;
    const std::optional<QString> path = offerablePath(stored);
    if (!path)
        return std::nullopt;

    RQuery rq(m_database);
    rq.setSql(Statements::selectByFilename(stored));
    rq.open();
    bool catalogued = false;
    for (rq.first(); !rq.eof() && !catalogued; rq.next())
        catalogued =
            rq.field(SongColumn::Filename) == stored && onHardDisk(rq.field(SongColumn::Location));
    if (!catalogued || !isPlainFile(*path))
        return std::nullopt;
    return path;
}

std::unique_ptr<QFile> ShareCatalogue::openServable(const QString& name) const
{
    const std::optional<QString> path = servableFile(name);
    if (!path)
        return nullptr;
    // Non-blocking, so that a fifo swapped in after the check cannot hold the open.
    const int fd = ::open(QFile::encodeName(*path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<QFile>(*path);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}
