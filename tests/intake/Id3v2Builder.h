#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// ID3v2 tags made byte by byte, for the reader's tests and the fuzzer's seeds: each oddity of
// the tags real taggers wrote can be made exactly, which no tagging library would write.
namespace Id3v2Builder {

enum Encoding : char { Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3 };
enum class Order { Big, Little };

// Frame header flags of 2.3 and of 2.4.
constexpr quint16 Compressed23 = 0x0080, Encrypted23 = 0x0040, Grouped23 = 0x0020;
constexpr quint16 Grouped24 = 0x0040, Compressed24 = 0x0008, Encrypted24 = 0x0004,
                  Unsynchronised24 = 0x0002, DataLength24 = 0x0001;
// Tag header flags.
constexpr quint8 TagUnsynchronised = 0x80, TagExtendedHeader = 0x40;

inline QByteArray bigEndian(quint32 value, int bytes = 4)
{
    QByteArray out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xff);
    return out;
}

inline QByteArray syncsafe(quint32 value)
{
    QByteArray out;
    for (int shift = 21; shift >= 0; shift -= 7)
        out += char((value >> shift) & 0x7f);
    return out;
}

// What unsynchronisation makes of `data`: a zero byte after every 0xFF that a byte of 0xE0 or
// more, a zero byte or the end follows.
inline QByteArray unsynchronised(const QByteArray& data)
{
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += data[i];
        if (quint8(data[i]) == 0xff &&
            (i + 1 == data.size() || quint8(data[i + 1]) >= 0xe0 || data[i + 1] == 0))
            out += '\0';
    }
    return out;
}

// The zlib stream of `data` (qCompress puts its length first).
inline QByteArray deflated(const QByteArray& data)
{
    return qCompress(data).mid(4);
}

inline QByteArray utf16(const QString& text, Order order, bool byteOrderMark)
{
    QByteArray out;
    const auto unit = [&](char16_t u) {
        const char high = char(u >> 8);
        const char low = char(u & 0xff);
        out += order == Order::Big ? high : low;
        out += order == Order::Big ? low : high;
    };
    if (byteOrderMark)
        unit(0xfeff);
    for (const QChar c : text)
        unit(c.unicode());
    return out;
}

// The values in `encoding`, each ended by its NUL, except the last. UTF-16 is little-endian
// with a byte-order mark before each value, as most taggers write it.
inline QByteArray encoded(const QStringList& values, Encoding encoding)
{
    QByteArray out;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i)
            out += encoding == Utf16 || encoding == Utf16BE ? QByteArray(2, '\0')
                                                            : QByteArray(1, '\0');
        switch (encoding) {
        case Latin1:
            out += values[i].toLatin1();
            break;
        case Utf16:
            out += utf16(values[i], Order::Little, true);
            break;
        case Utf16BE:
            out += utf16(values[i], Order::Big, false);
            break;
        case Utf8:
            out += values[i].toUtf8();
            break;
        }
    }
    return out;
}

// A text frame's data: the encoding byte, then the values.
inline QByteArray text(const QStringList& values, Encoding encoding = Latin1)
{
    return char(encoding) + encoded(values, encoding);
}

inline QByteArray text(const QString& value, Encoding encoding = Latin1)
{
    return text(QStringList{value}, encoding);
}

// A comment frame's data: the encoding byte, the language, the description and the text.
inline QByteArray comment(const QString& value, const QString& description = {},
                          Encoding encoding = Latin1)
{
    return char(encoding) + QByteArray("eng") + encoded({description, value}, encoding);
}

// One frame of a tag of `version` (2, 3 or 4): its header and `data`. A 2.4 size is written
// syncsafe, or as a plain number as iTunes did when `plainSize`.
inline QByteArray frame(int version, const QByteArray& id, const QByteArray& data,
                        quint16 flags = 0, bool plainSize = false)
{
    const quint32 size = quint32(data.size());
    if (version == 2)
        return id + bigEndian(size, 3) + data;
    const QByteArray sizeBytes = version == 4 && !plainSize ? syncsafe(size) : bigEndian(size);
    return id + sizeBytes + bigEndian(flags, 2) + data;
}

// The frames of one version, for short.
inline QByteArray f2(const QByteArray& id, const QByteArray& data)
{
    return frame(2, id, data);
}
inline QByteArray f3(const QByteArray& id, const QByteArray& data, quint16 flags = 0)
{
    return frame(3, id, data, flags);
}
inline QByteArray f4(const QByteArray& id, const QByteArray& data, quint16 flags = 0,
                     bool plainSize = false)
{
    return frame(4, id, data, flags, plainSize);
}

// A whole tag: the header, `body` (the frames, and an extended header when the flags say so)
// and `padding` zero bytes.
inline QByteArray tag(int version, const QByteArray& body, quint8 flags = 0, int padding = 0)
{
    QByteArray out("ID3");
    out += char(version);
    out += '\0';
    out += char(flags);
    out += syncsafe(quint32(body.size() + padding));
    return out + body + QByteArray(padding, '\0');
}

} // namespace Id3v2Builder
