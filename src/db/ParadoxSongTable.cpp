#include "db/ParadoxSongTable.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// Where the header keeps what we check before pxlib sees the file.
constexpr int headOffsetRecordSize = 0x00;
constexpr int headOffsetHeaderSize = 0x02;
constexpr int headOffsetFileType = 0x04;
constexpr int headOffsetBlockSizeK = 0x05;
constexpr int headOffsetRecordCount = 0x06;
constexpr int headOffsetFileBlocks = 0x0C;
constexpr int headOffsetFirstBlock = 0x0E;
constexpr int headOffsetEncryption1 = 0x25;
constexpr int headOffsetEncryption2 = 0x5C;
constexpr int headOffsetFieldCount = 0x21;
constexpr int headOffsetFileVersion = 0x39;
constexpr int headLength = 0x78;
constexpr int blockHeaderLength = 6;

quint16 le16(const QByteArray& bytes, int at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

quint32 le32(const QByteArray& bytes, int at)
{
    return quint32(le16(bytes, at)) | quint32(le16(bytes, at + 2)) << 16;
}

struct Head
{
    int recordSize = 0;
    int headerSize = 0;
    int blockSize = 0;
    qint64 recordCount = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int fieldCount = 0;
    bool encrypted = false;
};

std::optional<Head> parseHead(const QByteArray& head)
{
    if (head.size() < headLength)
        return std::nullopt;
    Head h;
    h.recordSize = le16(head, headOffsetRecordSize);
    h.headerSize = le16(head, headOffsetHeaderSize);
    const int fileType = quint8(head[headOffsetFileType]);
    const int blockSizeK = quint8(head[headOffsetBlockSizeK]);
    h.recordCount = le32(head, headOffsetRecordCount);
    h.fileBlocks = le16(head, headOffsetFileBlocks);
    h.firstBlock = le16(head, headOffsetFirstBlock);
    h.fieldCount = le16(head, headOffsetFieldCount);
    // Newer versions keep the first word at this marker and the real one further on.
    const quint32 encryption1 = le32(head, headOffsetEncryption1);
    h.encrypted =
        le32(head, headOffsetEncryption2) != 0 || (encryption1 != 0 && encryption1 != 0xff00ff00u);
    const int version = quint8(head[headOffsetFileVersion]);
    h.blockSize = blockSizeK * 1024;
    // Data tables only (keyed or not), versions 3 to 7 of the format.
    if ((fileType != 0 && fileType != 2) || blockSizeK < 1 || blockSizeK > 32 || version < 3 ||
        version > 12 || h.headerSize < headLength || h.recordSize < 1 ||
        h.recordSize > h.blockSize - blockHeaderLength || h.fieldCount < 1 || h.fieldCount > 255)
        return std::nullopt;
    return h;
}

// pxlib follows the chain of data blocks as the file gives it: a chain that runs in a circle
// or out of the file would keep it reading for ever. Each block must lie in the file, come
// once, and hold whole rows; together they must hold the rows the header counts.
template <typename Damaged> void checkBlockChain(QFile& file, const Head& head, Damaged damaged)
{
    const int perBlock = (head.blockSize - blockHeaderLength) / head.recordSize;
    std::vector<bool> seen(std::size_t(head.fileBlocks) + 1, false);
    qint64 rows = 0;
    for (int block = head.firstBlock; block != 0;) {
        if (block > head.fileBlocks || seen[std::size_t(block)])
            throw damaged(QStringLiteral("its chain of data blocks is broken"));
        seen[std::size_t(block)] = true;
        if (!file.seek(qint64(head.headerSize) + qint64(block - 1) * head.blockSize))
            throw damaged(QStringLiteral("a data block cannot be read"));
        const QByteArray blockHead = file.read(blockHeaderLength);
        if (blockHead.size() != blockHeaderLength)
            throw damaged(QStringLiteral("a data block cannot be read"));
        // The bytes used after the first row: minus one row for an empty block.
        const auto used = qint16(le16(blockHead, 4));
        if (used % head.recordSize != 0 || used / head.recordSize + 1 < 0 ||
            used / head.recordSize + 1 > perBlock)
            throw damaged(QStringLiteral("a data block holds more than it can"));
        rows += used / head.recordSize + 1;
        block = le16(blockHead, 0);
    }
    if (rows != head.recordCount)
        throw damaged(QStringLiteral("its blocks hold %1 rows, its header counts %2")
                          .arg(rows)
                          .arg(head.recordCount));
}

// What pxlib reports goes here instead of to the terminal; the first error is the one that
// counts.
struct Report
{
    QString firstError;
};

void onPxError(pxdoc_t*, int type, const char* message, void* data)
{
    auto* report = static_cast<Report*>(data);
    if (type != PX_Warning && report->firstError.isEmpty())
        report->firstError = QString::fromLocal8Bit(message ? message : "unknown error").trimmed();
}

struct Closer
{
    void operator()(pxdoc_t* doc) const
    {
        PX_close(doc);
        PX_delete(doc);
    }
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The columns we take, by the Paradox field names (letter case aside).
enum class Kind { Text, Number };
struct Wanted
{
    const char* name;
    QString Song::*field;
    Kind kind;
};
const Wanted wantedFields[] = {
    {"artist", &Song::artist, Kind::Text},
    {"title", &Song::title, Kind::Text},
    {"filename", &Song::filename, Kind::Text},
    {"location", &Song::location, Kind::Text},
    {"track_length", &Song::trackLength, Kind::Text},
    {"genre", &Song::genre, Kind::Text},
    {"album", &Song::album, Kind::Text},
    {"bitrate", &Song::bitrate, Kind::Text},
    {"frequency", &Song::frequency, Kind::Text},
    {"comment", &Song::comment, Kind::Text},
    {"syear", &Song::year, Kind::Text},
    {"played", &Song::played, Kind::Number},
    {"id", &Song::id, Kind::Number},
};

bool isNumberType(int type)
{
    return type == pxfLong || type == pxfAutoInc || type == pxfShort;
}

struct Column
{
    const Wanted* wanted;
    int offset;
    int length;
    int type;
};

} // namespace

namespace ParadoxSongTable {

bool looksLikeParadox(const QByteArray& head)
{
    return parseHead(head).has_value();
}

QList<Song> read(const QString& path, const SingleByteCodePage& codePage)
{
    const QString shown = QFileInfo(path).fileName();
    auto damaged = [&](const QString& why) {
        return EInOutError(
            QStringLiteral("The table %1 is damaged and cannot be imported: %2").arg(shown, why));
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
    const std::optional<Head> head = parseHead(file.read(headLength));
    if (!head)
        throw EInOutError(QStringLiteral("%1 is not a Paradox table").arg(shown));
    // pxlib trusts the header's sizes; a file cut short must be refused before it reads on.
    const qint64 needed = qint64(head->headerSize) + qint64(head->fileBlocks) * head->blockSize;
    if (file.size() < needed)
        throw damaged(QStringLiteral("the file is shorter than its header says (%1 of %2 bytes)")
                          .arg(file.size())
                          .arg(needed));
    if (head->encrypted)
        throw EInOutError(
            QStringLiteral("The table %1 is protected by a password and cannot be imported")
                .arg(shown));
    checkBlockChain(file, *head, damaged);
    file.close();

    static std::once_flag booted;
    std::call_once(booted, [] { PX_boot(); });

    // The stream outlives the document: pxlib does not own a stream it was handed.
    std::unique_ptr<std::FILE, FileCloser> stream(
        std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!stream)
        throw EInOutError(QStringLiteral("Cannot read %1").arg(QDir::toNativeSeparators(path)));
    Report report;
    std::unique_ptr<pxdoc_t, Closer> doc(PX_new3(&onPxError, nullptr, nullptr, nullptr, &report));
    if (!doc)
        throw EInOutError(QStringLiteral("Cannot read %1: out of memory").arg(shown));
    if (PX_open_fp(doc.get(), stream.get()) < 0 || !report.firstError.isEmpty())
        throw damaged(report.firstError.isEmpty() ? QStringLiteral("pxlib cannot open it")
                                                  : report.firstError);

    // The fields: each wanted column once, with a type that holds it; their lengths must make
    // up the record.
    const int fieldCount = PX_get_num_fields(doc.get());
    const int recordSize = PX_get_recordsize(doc.get());
    pxfield_t* fields = PX_get_fields(doc.get());
    if (fieldCount != head->fieldCount || recordSize != head->recordSize || !fields)
        throw damaged(QStringLiteral("its field list does not match its header"));
    std::vector<Column> columns;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const pxfield_t& field = fields[i];
        if (field.px_flen < 1 || offset + field.px_flen > recordSize)
            throw damaged(QStringLiteral("its fields are longer than its rows"));
        const QString name = QString::fromLatin1(field.px_fname ? field.px_fname : "");
        for (const Wanted& wanted : wantedFields) {
            if (name.compare(QLatin1String(wanted.name), Qt::CaseInsensitive) != 0)
                continue;
            const bool fits = wanted.kind == Kind::Text ? field.px_ftype == pxfAlpha
                                                        : isNumberType(field.px_ftype);
            if (fits)
                columns.push_back({&wanted, offset, field.px_flen, field.px_ftype});
        }
        offset += field.px_flen;
    }
    if (offset != recordSize)
        throw damaged(QStringLiteral("its fields do not make up its rows"));
    for (const Wanted& wanted : wantedFields) {
        int found = 0;
        for (const Column& column : columns)
            found += column.wanted == &wanted ? 1 : 0;
        if (found != 1)
            throw EInOutError(QStringLiteral("%1 is a Paradox table but not a song table: it has "
                                             "no field %2 of the right type")
                                  .arg(shown, QLatin1String(wanted.name)));
    }

    const int recordCount = PX_get_num_records(doc.get());
    if (recordCount < 0 || recordCount != head->recordCount)
        throw damaged(QStringLiteral("its row count does not match its header"));
    QList<Song> songs;
    songs.reserve(recordCount);
    std::vector<char> record(std::size_t(recordSize) + 1);
    for (int row = 0; row < recordCount; ++row) {
        std::memset(record.data(), 0, record.size());
        if (!PX_get_record(doc.get(), row, record.data()) || !report.firstError.isEmpty())
            throw damaged(report.firstError.isEmpty()
                              ? QStringLiteral("row %1 cannot be read").arg(row + 1)
                              : report.firstError);
        Song song;
        for (const Column& column : columns) {
            char* at = record.data() + column.offset;
            QString& value = song.*(column.wanted->field);
            if (column.wanted->kind == Kind::Text) {
                // Alpha fields are padded with NUL bytes; an empty one is all NUL.
                const auto length = qsizetype(strnlen(at, std::size_t(column.length)));
                value = codePage.decode(QByteArray(at, length));
            } else if (column.type == pxfShort) {
                short number = 0;
                if (PX_get_data_short(doc.get(), at, column.length, &number) < 0)
                    throw damaged(QStringLiteral("row %1 holds a bad number").arg(row + 1));
                value = QString::number(number);
            } else {
                long number = 0;
                if (PX_get_data_long(doc.get(), at, column.length, &number) < 0)
                    throw damaged(QStringLiteral("row %1 holds a bad number").arg(row + 1));
                value = QString::number(number);
            }
        }
        songs.append(song);
    }
    return songs;
}

} // namespace ParadoxSongTable
