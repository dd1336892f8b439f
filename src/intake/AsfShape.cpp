#include "intake/AsfShape.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <array>
#include <optional>

namespace {

using Guid = std::array<unsigned char, 16>;

// The byte order on disk: the first three groups little-endian, the last two as written.
constexpr Guid guidOf(const char (&text)[37])
{
    auto hex = [](char c) {
        return static_cast<unsigned char>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    };
    auto byteAt = [&](int i) {
        return static_cast<unsigned char>(hex(text[i]) << 4 | hex(text[i + 1]));
    };
    constexpr int order[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
    Guid guid{};
    for (int i = 0; i < 16; ++i)
        guid[static_cast<std::size_t>(i)] = byteAt(order[i]);
    return guid;
}

constexpr Guid headerGuid = guidOf("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid headerExtensionGuid = guidOf("5FBF03B5-A92E-11CF-8EE3-00C00C205365");
constexpr Guid metadataGuid = guidOf("C5F8CBEA-5BAF-4877-8467-AA8C44FA4CCA");
constexpr Guid metadataLibraryGuid = guidOf("44231C94-9498-49D1-A141-1D134E457054");
constexpr Guid extendedContentGuid = guidOf("D2D0A440-E307-11D2-97F0-00A0C95EA850");
constexpr Guid contentDescriptionGuid = guidOf("75B22633-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid codecListGuid = guidOf("86D15240-311D-11D0-A3A4-00A0C90348F6");

constexpr qint64 objectHeaderSize = 24; // GUID and 64-bit size
constexpr qint64 topHeaderSize = 30;    // plus the object count and two reserved bytes

// The smallest record each counted list can hold: a metadata record has four 16-bit fields and
// a 32-bit data length, an extended content descriptor three 16-bit fields, a codec entry four.
constexpr qint64 metadataRecordSize = 12;
constexpr qint64 descriptorSize = 6;
constexpr qint64 codecEntrySize = 8;

const QString cutShort = QStringLiteral("the header is cut short");
const QString tooSmall = QStringLiteral("a header object is too small for its own fields");
const QString overfull = QStringLiteral("a header object holds more than its size allows");

// Reads little-endian fields and skips bytes inside one object: it never reads past `end`.
class Cursor
{
public:
    Cursor(QIODevice& device, qint64 position, qint64 end)
        : m_device(device)
        , m_position(position)
        , m_end(end)
    {}

    std::optional<quint64> take(int width)
    {
        if (m_end - m_position < width || !m_device.seek(m_position))
            return std::nullopt;
        const QByteArray bytes = m_device.read(width);
        if (bytes.size() != width)
            return std::nullopt;
        m_position += width;
        switch (width) {
        case 2:
            return qFromLittleEndian<quint16>(bytes.constData());
        case 4:
            return qFromLittleEndian<quint32>(bytes.constData());
        default:
            return qFromLittleEndian<quint64>(bytes.constData());
        }
    }

    bool skip(quint64 count)
    {
        if (count > static_cast<quint64>(m_end - m_position))
            return false;
        m_position += static_cast<qint64>(count);
        return true;
    }

    qint64 position() const { return m_position; }
    qint64 left() const { return m_end - m_position; }

private:
    QIODevice& m_device;
    qint64 m_position;
    qint64 m_end;
};

// One record of a counted list: false when it does not fit into what is left of its object.
bool metadataRecord(Cursor& cursor)
{
    std::optional<quint64> nameLength, dataLength;
    return cursor.skip(4) && (nameLength = cursor.take(2)) && cursor.skip(2) &&
           (dataLength = cursor.take(4)) && cursor.skip(*nameLength) && cursor.skip(*dataLength);
}

bool descriptor(Cursor& cursor)
{
    std::optional<quint64> nameLength, valueLength;
    return (nameLength = cursor.take(2)) && cursor.skip(*nameLength) && cursor.skip(2) &&
           (valueLength = cursor.take(2)) && cursor.skip(*valueLength);
}

bool codecEntry(Cursor& cursor)
{
    std::optional<quint64> nameLength, descriptionLength, infoLength;
    return cursor.skip(2) && (nameLength = cursor.take(2)) && cursor.skip(2 * *nameLength) &&
           (descriptionLength = cursor.take(2)) && cursor.skip(2 * *descriptionLength) &&
           (infoLength = cursor.take(2)) && cursor.skip(*infoLength);
}

struct Object
{
    Guid guid;
    qint64 position;
    qint64 size;
};

class Reader
{
public:
    explicit Reader(QIODevice& device)
        : m_device(device)
    {}

    QString walk();

private:
    std::optional<Object> objectAt(qint64 position, qint64 end);
    QString checkChildren(qint64 position, qint64 end, std::optional<quint64> count);
    QString checkObject(const Object& object);
    template <typename Record>
    QString checkRecords(const Object& object, qint64 skipFirst, int countWidth,
                         qint64 smallestRecord, Record record);

    QIODevice& m_device;
};

std::optional<Object> Reader::objectAt(qint64 position, qint64 end)
{
    if (end - position < objectHeaderSize || !m_device.seek(position))
        return std::nullopt;
    const QByteArray bytes = m_device.read(objectHeaderSize);
    if (bytes.size() != objectHeaderSize)
        return std::nullopt;
    Object object{};
    std::copy_n(reinterpret_cast<const unsigned char*>(bytes.constData()), 16, object.guid.begin());
    const quint64 size = qFromLittleEndian<quint64>(bytes.constData() + 16);
    if (size < static_cast<quint64>(objectHeaderSize) ||
        size > static_cast<quint64>(end - position))
        return std::nullopt;
    object.position = position;
    object.size = static_cast<qint64>(size);
    return object;
}

// A counted list of records: the count must fit before a record is read, so that a count of
// 65,535 in a small object costs nothing; then every record must end inside the object.
template <typename Record>
QString Reader::checkRecords(const Object& object, qint64 skipFirst, int countWidth,
                             qint64 smallestRecord, Record record)
{
    Cursor cursor(m_device, object.position + objectHeaderSize, object.position + object.size);
    std::optional<quint64> count;
    if (!cursor.skip(static_cast<quint64>(skipFirst)) || !(count = cursor.take(countWidth)))
        return tooSmall;
    if (*count > static_cast<quint64>(cursor.left() / smallestRecord))
        return overfull;
    for (quint64 i = 0; i < *count; ++i) {
        if (!record(cursor))
            return overfull;
    }
    return QString();
}

QString Reader::checkObject(const Object& object)
{
    if (object.guid == metadataGuid || object.guid == metadataLibraryGuid)
        return checkRecords(object, 0, 2, metadataRecordSize, metadataRecord);
    if (object.guid == extendedContentGuid)
        return checkRecords(object, 0, 2, descriptorSize, descriptor);
    if (object.guid == codecListGuid)
        return checkRecords(object, 16, 4, codecEntrySize, codecEntry);
    if (object.guid == contentDescriptionGuid) {
        Cursor cursor(m_device, object.position + objectHeaderSize, object.position + object.size);
        quint64 total = 0;
        for (int i = 0; i < 5; ++i) {
            const std::optional<quint64> length = cursor.take(2);
            if (!length)
                return tooSmall;
            total += *length;
        }
        return cursor.skip(total) ? QString() : overfull;
    }
    if (object.guid == headerExtensionGuid) {
        Cursor cursor(m_device, object.position + objectHeaderSize, object.position + object.size);
        std::optional<quint64> dataSize;
        if (!cursor.skip(16 + 2) || !(dataSize = cursor.take(4)))
            return tooSmall;
        const qint64 start = cursor.position();
        if (!cursor.skip(*dataSize))
            return overfull;
        return checkChildren(start, cursor.position(), std::nullopt);
    }
    return QString();
}

// The `count` objects from `position` on, all inside `end`; a nested list has no count and
// fills its space up to `end`.
QString Reader::checkChildren(qint64 position, qint64 end, std::optional<quint64> count)
{
    if (count && *count > static_cast<quint64>((end - position) / objectHeaderSize))
        return QStringLiteral("the header counts more objects than it holds");
    for (quint64 i = 0; count ? i < *count : position < end; ++i) {
        const std::optional<Object> object = objectAt(position, end);
        if (!object)
            return QStringLiteral("a header object does not fit into the header");
        const QString problem = checkObject(*object);
        if (!problem.isEmpty())
            return problem;
        position += object->size;
    }
    return QString();
}

QString Reader::walk()
{
    if (!m_device.seek(0))
        return cutShort;
    const QByteArray top = m_device.read(topHeaderSize);
    if (top.size() < qsizetype(headerGuid.size()))
        return cutShort;
    // Not a WMA file at all: the reader refuses it at once.
    if (!std::equal(headerGuid.begin(), headerGuid.end(),
                    reinterpret_cast<const unsigned char*>(top.constData())))
        return QString();
    if (top.size() != topHeaderSize)
        return cutShort;
    const quint64 size = qFromLittleEndian<quint64>(top.constData() + 16);
    if (size < static_cast<quint64>(topHeaderSize) || size > static_cast<quint64>(m_device.size()))
        return cutShort;
    const quint32 count = qFromLittleEndian<quint32>(top.constData() + 24);
    return checkChildren(topHeaderSize, static_cast<qint64>(size), count);
}

} // namespace

QString AsfShape::problem(QIODevice& device)
{
    const QString problem = Reader(device).walk();
    return problem.isEmpty() ? problem : QStringLiteral("damaged WMA header: ") + problem;
}
