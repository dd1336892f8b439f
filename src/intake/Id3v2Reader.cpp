#include "intake/Id3v2Reader.h"

#include "intake/GenreLists.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QStringList>

#include <taglib/id3v1genres.h>

#include <algorithm>
#include <cstring>

namespace {

using Id3v2Reader::Fields;

// A compressed frame is inflated only when it says it holds at most this much and its bytes
// could not make more even at zlib's best ratio (a little over 1000 to 1): text frames are far
// smaller, and a hostile frame cannot make the reader allocate more than about twice this.
constexpr qsizetype MaxInflatedSize = 4 * 1024 * 1024;
constexpr qsizetype MaxDeflateRatio = 1032;

// Tag header flags.
constexpr quint8 TagUnsynchronised = 0x80;
constexpr quint8 TagExtendedHeader = 0x40; // in 2.2: the whole tag compressed
// Frame header flags of 2.3.
constexpr quint16 Compressed23 = 0x0080;
constexpr quint16 Encrypted23 = 0x0040;
constexpr quint16 Grouped23 = 0x0020;
// Frame header flags of 2.4.
constexpr quint16 Grouped24 = 0x0040;
constexpr quint16 Compressed24 = 0x0008;
constexpr quint16 Encrypted24 = 0x0004;
constexpr quint16 Unsynchronised24 = 0x0002;
constexpr quint16 DataLength24 = 0x0001;

enum Encoding : quint8 { Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3 };

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char c : bytes)
        value = value << 8 | quint8(c);
    return value;
}

bool isSyncsafe(QByteArrayView bytes)
{
    return std::none_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) & 0x80; });
}

quint32 syncsafe(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char c : bytes)
        value = value << 7 | (quint8(c) & 0x7f);
    return value;
}

// A 2.4 size that is not syncsafe was written as a plain number.
quint32 size24(QByteArrayView bytes)
{
    return isSyncsafe(bytes) ? syncsafe(bytes) : bigEndian(bytes);
}

// Undoes unsynchronisation: the zero byte a writer put after every 0xFF goes.
QByteArray resynchronised(QByteArrayView data)
{
    QByteArray out(data.size(), Qt::Uninitialized);
    char* to = out.data();
    for (qsizetype i = 0; i < data.size(); ++i) {
        *to++ = data[i];
        if (quint8(data[i]) == 0xff && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    out.truncate(to - out.constData());
    return out;
}

// A frame ID as taggers write them: a capital letter, then capitals, digits or the blank some
// wrote ("TST ").
bool looksLikeFrameId(QByteArrayView id)
{
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return !id.isEmpty() && capital(id[0]) && std::all_of(id.begin() + 1, id.end(), [&](char c) {
        return capital(c) || digit(c) || c == ' ';
    });
}

std::optional<QByteArray> inflated(QByteArrayView deflated, qsizetype declared)
{
    if (deflated.isEmpty() || declared > MaxInflatedSize ||
        deflated.size() > MaxInflatedSize / MaxDeflateRatio)
        return std::nullopt;
    // qUncompress takes the expected size first, big-endian; it grows its buffer past a wrong one.
    const quint32 expected = quint32(std::max(declared, deflated.size()));
    QByteArray input(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        input[i] = char(expected >> (24 - 8 * i));
    input.append(deflated);
    QByteArray out = qUncompress(input);
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

// --- text ------------------------------------------------------------------------------------

bool isWide(quint8 encoding)
{
    return encoding == Utf16 || encoding == Utf16BE;
}

// The value that starts at `at`, up to its terminator (one zero byte, or two on a two-byte
// boundary in UTF-16); `at` moves past the terminator, or to the end when there is none.
QByteArrayView takeValue(quint8 encoding, QByteArrayView data, qsizetype& at)
{
    const qsizetype start = at;
    if (start >= data.size())
        return {};
    if (isWide(encoding)) {
        for (qsizetype i = start; i + 1 < data.size(); i += 2) {
            if (data[i] == 0 && data[i + 1] == 0) {
                at = i + 2;
                return data.sliced(start, i - start);
            }
        }
    } else if (const void* nul = std::memchr(data.data() + start, 0, size_t(data.size() - start))) {
        const qsizetype end = static_cast<const char*>(nul) - data.data();
        at = end + 1;
        return data.sliced(start, end - start);
    }
    at = data.size();
    return data.sliced(start);
}

// Decodes the values of one frame. UTF-16 without a byte-order mark takes the order of an
// earlier value of the frame that had one, else big-endian as the standard says, unless the
// bytes are plainly little-endian.
class TextDecoder
{
public:
    explicit TextDecoder(quint8 encoding)
        : m_encoding(encoding)
    {
        if (encoding == Utf16BE)
            m_littleEndian = false;
    }

    QString decode(QByteArrayView value)
    {
        switch (m_encoding) {
        case Latin1:
            return QString::fromLatin1(value);
        case Utf8:
            return utf8(value);
        default:
            return utf16(value);
        }
    }

private:
    static QString utf8(QByteArrayView value)
    {
        if (value.startsWith("\xef\xbb\xbf"))
            value = value.sliced(3);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(value);
        // Bytes that are no UTF-8 are what a tagger wrote in its code page, mislabelled.
        return decoder.hasError() ? QString::fromLatin1(value) : text;
    }

    QString utf16(QByteArrayView value)
    {
        if (value.size() >= 2) {
            const quint8 first = value[0];
            const quint8 second = value[1];
            if ((first == 0xff && second == 0xfe) || (first == 0xfe && second == 0xff)) {
                m_littleEndian = first == 0xff;
                value = value.sliced(2);
            }
        }
        if (!m_littleEndian && !value.isEmpty()) // an empty value tells nothing
            m_littleEndian = looksLittleEndian(value);
        const qsizetype length = value.size() / 2; // an odd last byte is no character
        QString text(length, Qt::Uninitialized);
        QChar* out = text.data();
        const auto* in = reinterpret_cast<const uchar*>(value.data());
        for (qsizetype i = 0; i < length; ++i, in += 2)
            out[i] = QChar(m_littleEndian.value_or(false) ? char16_t(in[0] | in[1] << 8)
                                                          : char16_t(in[0] << 8 | in[1]));
        return text;
    }

    // Latin text read the wrong way round has its zero bytes on the wrong side ("A" as 41 00
    // read big-endian is U+4100); text without Latin letters is told by its surrogate pairs,
    // which only the right order keeps whole.
    static bool looksLittleEndian(QByteArrayView value)
    {
        qsizetype bigHints = 0;
        qsizetype littleHints = 0;
        for (qsizetype i = 0; i + 1 < value.size(); i += 2) {
            if (value[i] == 0 && value[i + 1] != 0)
                ++bigHints;
            else if (value[i + 1] == 0 && value[i] != 0)
                ++littleHints;
        }
        if (bigHints != littleHints)
            return littleHints > bigHints;
        return brokenSurrogates(value, false) > brokenSurrogates(value, true);
    }

    static qsizetype brokenSurrogates(QByteArrayView value, bool littleEndian)
    {
        qsizetype broken = 0;
        bool expectLow = false;
        for (qsizetype i = 0; i + 1 < value.size(); i += 2) {
            const quint8 high = littleEndian ? value[i + 1] : value[i];
            const bool lead = high >= 0xd8 && high <= 0xdb;
            const bool trail = high >= 0xdc && high <= 0xdf;
            if (expectLow != trail)
                ++broken;
            expectLow = lead;
        }
        return broken + (expectLow ? 1 : 0);
    }

    quint8 m_encoding;
    std::optional<bool> m_littleEndian;
};

// The non-empty values of a text frame's data (after its encoding byte).
QStringList textValues(quint8 encoding, QByteArrayView data)
{
    TextDecoder decoder(encoding);
    QStringList values;
    for (qsizetype at = 0; at < data.size();) {
        QString value = decoder.decode(takeValue(encoding, data, at));
        if (!value.isEmpty())
            values.append(std::move(value));
    }
    return values;
}

// --- values ----------------------------------------------------------------------------------

// The number a genre text of digits only stands for (at most 255, the last ID3v1 number).
std::optional<int> genreNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const int number = text.toInt();
    return number <= 255 ? std::optional<int>(number) : std::nullopt;
}

QString genreName(int number)
{
    const QStringList& names = GenreLists::intake();
    if (number < names.size())
        return names.at(number);
    // Past the intake list, the names TagLib has always given them (empty past its own list).
    return QString::fromStdWString(TagLib::ID3v1::genre(number).toWString());
}

// The genres one TCON value stands for: a number of the ID3v1 list ("17" or "(17)"), the
// remix and cover of 2.3 ("(RX)", "(CR)"), several of them chained ("(4)(17)"), or a genre of
// its own. Text after the references is the tagger's refinement and names the genre better
// than the number does ("(17)Rock", "(31)Psytrance"); "((" starts text with a parenthesis.
QStringList genresOf(const QString& value)
{
    QStringList names;
    QStringView rest(value);
    while (rest.startsWith(u'(') && !rest.startsWith(u"((")) {
        const qsizetype close = rest.indexOf(u')');
        if (close < 0)
            break;
        const QStringView reference = rest.sliced(1, close - 1);
        QString name;
        if (reference == u"RX")
            name = QStringLiteral("Remix");
        else if (reference == u"CR")
            name = QStringLiteral("Cover");
        else if (const std::optional<int> number = genreNumber(reference))
            name = genreName(*number);
        else
            break; // a genre of its own that happens to be in parentheses
        if (!name.isEmpty())
            names.append(name);
        rest = rest.sliced(close + 1);
    }
    if (rest.startsWith(u"(("))
        rest = rest.sliced(1);
    rest = rest.trimmed();
    if (rest.isEmpty())
        return names;
    if (const std::optional<int> number = genreNumber(rest)) {
        const QString name = genreName(*number);
        return name.isEmpty() ? names : names << name;
    }
    return {rest.toString()};
}

// The year in a date frame's text: the first four digits of its first run of at least four
// ("2004-05-06", "1999", "06.05.2004", "20040506"). TDAT alone is the day and month ("0605"):
// four digits that make a day and a month are no year. "0000" is none either.
QString yearIn(const QString& text, bool dayAndMonth)
{
    if (dayAndMonth && text.size() == 4) {
        const int day = text.left(2).toInt();
        const int month = text.mid(2).toInt();
        if (day >= 1 && day <= 31 && month >= 1 && month <= 12)
            return {};
    }
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        while (end < text.size() && text.at(end).isDigit() && text.at(end).unicode() < 128)
            ++end;
        if (end - i >= 4 && QStringView(text).sliced(i, 4) != u"0000")
            return text.mid(i, 4);
        i = std::max(end, i + 1);
    }
    return {};
}

// --- frames ----------------------------------------------------------------------------------

enum class Slot { Other, Title, Artist, Album, Comment, Genre, RecordingTime, Year, Date };

Slot slotOf(QByteArrayView id)
{
    static constexpr struct
    {
        const char* id;
        Slot slot;
    } known[] = {{"TIT2", Slot::Title},   {"TT2", Slot::Title},          {"TPE1", Slot::Artist},
                 {"TP1", Slot::Artist},   {"TALB", Slot::Album},         {"TAL", Slot::Album},
                 {"COMM", Slot::Comment}, {"COM", Slot::Comment},        {"TCON", Slot::Genre},
                 {"TCO", Slot::Genre},    {"TDRC", Slot::RecordingTime}, {"TYER", Slot::Year},
                 {"TYE", Slot::Year},     {"TDAT", Slot::Date},          {"TDA", Slot::Date}};
    for (const auto& s : known) {
        if (id == QByteArrayView(s.id))
            return s.slot;
    }
    return Slot::Other;
}

// Takes the frames of one tag and keeps what the catalogue needs of them.
class FrameReader
{
public:
    FrameReader(int version, bool tagUnsynchronised)
        : m_version(version)
        , m_tagUnsynchronised(tagUnsynchronised)
    {}

    void take(QByteArrayView id, quint16 flags, QByteArrayView content)
    {
        const Slot slot = slotOf(id);
        // The first frame of a kind that says something wins; so does the first comment
        // without a description.
        if (slot == Slot::Other || (slot == Slot::Comment && m_plainComment) ||
            (slot != Slot::Comment && !slotText(slot).isEmpty()))
            return;
        const std::optional<QByteArray> data = frameData(flags, content);
        if (!data || data->isEmpty())
            return;
        const quint8 encoding = quint8(data->at(0));
        if (encoding > Utf8)
            return; // no text encoding: whatever the bytes are, they are no text of ours
        const QByteArrayView text = QByteArrayView(*data).sliced(1);
        if (slot == Slot::Comment)
            takeComment(encoding, text);
        else
            takeText(slot, textValues(encoding, text));
    }

    Fields fields() const
    {
        Fields fields;
        fields.title = m_title;
        fields.artist = m_artist;
        fields.album = m_album;
        fields.genre = m_genre;
        fields.comment = m_plainComment.value_or(m_firstComment.value_or(QString()));
        for (const QString& year : {m_recordingYear, m_year, m_dateYear}) {
            if (!year.isEmpty()) {
                fields.year = year;
                break;
            }
        }
        return fields;
    }

private:
    QString& slotText(Slot slot)
    {
        switch (slot) {
        case Slot::Title:
            return m_title;
        case Slot::Artist:
            return m_artist;
        case Slot::Album:
            return m_album;
        case Slot::Genre:
            return m_genre;
        case Slot::RecordingTime:
            return m_recordingYear;
        case Slot::Year:
            return m_year;
        default: // Slot::Date; comments are kept apart
            return m_dateYear;
        }
    }

    // The frame's data as its writer meant it, its header's extra bytes taken off; nothing
    // when it cannot be had.
    std::optional<QByteArray> frameData(quint16 flags, QByteArrayView content) const
    {
        if (m_version == 2)
            return content.toByteArray();
        QByteArray bytes;
        qsizetype at = 0;
        qsizetype declared = 0; // what a compressed frame says it inflates to
        bool compressed = false;
        if (m_version == 3) {
            // After the header, in this order: the inflated size, the encryption method, the
            // group. The group byte is no text encoding.
            bytes = content.toByteArray();
            compressed = flags & Compressed23;
            if (compressed) {
                if (bytes.size() < 4)
                    return std::nullopt;
                declared = bigEndian(QByteArrayView(bytes).first(4));
                at = 4;
            }
            if (flags & Encrypted23)
                return std::nullopt; // no key, no text
            if (flags & Grouped23)
                ++at;
        } else {
            // Unsynchronisation covers everything after the frame header: undone first. Then
            // the group, the encryption method and the data length, in this order.
            bytes = m_tagUnsynchronised || (flags & Unsynchronised24) ? resynchronised(content)
                                                                      : content.toByteArray();
            if (flags & Grouped24)
                ++at;
            if (flags & Encrypted24)
                return std::nullopt;
            if (flags & DataLength24) {
                if (bytes.size() < at + 4)
                    return std::nullopt;
                declared = size24(QByteArrayView(bytes).sliced(at, 4));
                at += 4;
            }
            compressed = flags & Compressed24;
        }
        if (at > bytes.size())
            return std::nullopt;
        if (compressed)
            return inflated(QByteArrayView(bytes).sliced(at), declared);
        return bytes.sliced(at);
    }

    void takeText(Slot slot, const QStringList& values)
    {
        switch (slot) {
        case Slot::Genre: {
            QStringList genres;
            for (const QString& value : values) {
                for (const QString& genre : genresOf(value)) {
                    if (!genres.contains(genre))
                        genres.append(genre);
                }
            }
            m_genre = genres.join(QLatin1Char(' '));
            break;
        }
        case Slot::RecordingTime:
        case Slot::Year:
        case Slot::Date:
            for (const QString& value : values) {
                slotText(slot) = yearIn(value, slot == Slot::Date);
                if (!slotText(slot).isEmpty())
                    break;
            }
            break;
        default:
            // Several values are joined by a blank, as TagLib has always shown them.
            slotText(slot) = values.join(QLatin1Char(' '));
        }
    }

    // A comment frame: its language, a description and the text.
    void takeComment(quint8 encoding, QByteArrayView data)
    {
        if (data.size() < 3)
            return;
        data = data.sliced(3);
        TextDecoder decoder(encoding);
        qsizetype at = 0;
        const QString description = decoder.decode(takeValue(encoding, data, at));
        // iTunes keeps its loudness and gapless figures in comments (iTunNORM, iTunSMPB, ...):
        // numbers for the player, not words for the catalogue.
        if (description.startsWith(QLatin1String("iTun")))
            return;
        const QString text = decoder.decode(takeValue(encoding, data, at));
        if (!m_firstComment)
            m_firstComment = text;
        if (description.isEmpty() && !m_plainComment)
            m_plainComment = text;
    }

    int m_version;
    bool m_tagUnsynchronised;
    QString m_title, m_artist, m_album, m_genre;
    QString m_recordingYear, m_year, m_dateYear; // the years of TDRC, TYER, TDAT
    std::optional<QString> m_firstComment, m_plainComment;
};

// The frames of a tag's body, stepped over by their sizes: a frame with an ID that is no frame
// ID, or with no data, is passed by like any other. Only padding (a zero byte where a frame
// would start) or the end of the body ends the walk.
class FrameWalk
{
public:
    FrameWalk(int version, QByteArrayView body)
        : m_version(version)
        , m_body(body)
        , m_padding(body.size())
    {
        while (m_padding > 0 && m_body[m_padding - 1] == 0)
            --m_padding;
    }

    void run(qsizetype from, FrameReader& reader) const
    {
        const qsizetype headerSize = m_version == 2 ? 6 : 10;
        for (qsizetype at = from; m_body.size() - at >= headerSize && m_body[at] != 0;) {
            const QByteArrayView id = m_body.sliced(at, m_version == 2 ? 3 : 4);
            qsizetype size = 0;
            quint16 flags = 0;
            if (m_version == 2) {
                size = bigEndian(m_body.sliced(at + 3, 3));
            } else {
                size = m_version == 3 ? bigEndian(m_body.sliced(at + 4, 4)) : frameSize24(at);
                flags = quint16(bigEndian(m_body.sliced(at + 8, 2)));
            }
            if (size > m_body.size() - at - headerSize)
                break; // runs past the tag: the tag was cut short
            reader.take(id, flags, m_body.sliced(at + headerSize, size));
            at += headerSize + size;
        }
    }

private:
    // 2.4 sizes are syncsafe, but iTunes and others wrote plain ones. Where the two differ, the
    // one after which the next frame, the padding or the end of the tag follows is right.
    qsizetype frameSize24(qsizetype at) const
    {
        const QByteArrayView bytes = m_body.sliced(at + 4, 4);
        const qsizetype plain = bigEndian(bytes);
        if (!isSyncsafe(bytes))
            return plain;
        const qsizetype synced = syncsafe(bytes);
        if (synced == plain || landsWell(at + 10 + synced) || !landsWell(at + 10 + plain))
            return synced;
        return plain;
    }

    bool landsWell(qsizetype next) const
    {
        if (next == m_body.size() || (next < m_body.size() && next >= m_padding))
            return true;
        if (m_body.size() - next < 10 || !looksLikeFrameId(m_body.sliced(next, 4)))
            return false;
        const QByteArrayView bytes = m_body.sliced(next + 4, 4);
        const qsizetype room = m_body.size() - next - 10;
        return qsizetype(syncsafe(bytes)) <= room || qsizetype(bigEndian(bytes)) <= room;
    }

    int m_version;
    QByteArrayView m_body;
    qsizetype m_padding; // where the zero bytes at the end of the body start
};

// Where the frames start after an extended header, or nothing when it does not fit the tag.
std::optional<qsizetype> framesStart(int version, QByteArrayView body)
{
    if (body.size() < 4)
        return std::nullopt;
    const QByteArrayView sizeBytes = body.first(4);
    // Some taggers set the flag without writing the header: the first frame follows at once.
    if (looksLikeFrameId(sizeBytes))
        return 0;
    // 2.3 counts the bytes after the size, 2.4 the whole extended header.
    const qsizetype size = version == 3 ? 4 + qsizetype(bigEndian(sizeBytes)) : size24(sizeBytes);
    if (size < 4 || size > body.size())
        return std::nullopt;
    return size;
}

} // namespace

std::optional<qsizetype> Id3v2Reader::bodySize(QByteArrayView header)
{
    if (header.size() < HeaderSize || !header.startsWith("ID3"))
        return std::nullopt;
    const quint8 major = header[3];
    const quint8 revision = header[4];
    const QByteArrayView size = header.sliced(6, 4);
    if (major < 2 || major > 4 || revision == 0xff || !isSyncsafe(size))
        return std::nullopt;
    return syncsafe(size);
}

std::optional<Fields> Id3v2Reader::parse(QByteArrayView bytes)
{
    const std::optional<qsizetype> size = bodySize(bytes.first(std::min(bytes.size(), HeaderSize)));
    if (!size)
        return std::nullopt;
    const int version = bytes[3];
    const quint8 flags = bytes[5];
    // 2.2 never said how its compressed tags are compressed: there is nothing to read in one.
    if (version == 2 && (flags & TagExtendedHeader))
        return Fields();
    QByteArrayView body = bytes.sliced(HeaderSize, std::min(*size, bytes.size() - HeaderSize));
    // Up to 2.3 the whole tag after its header is unsynchronised; in 2.4 each frame.
    const bool unsynchronised = flags & TagUnsynchronised;
    QByteArray resynced;
    if (unsynchronised && version < 4) {
        resynced = resynchronised(body);
        body = resynced;
    }
    qsizetype from = 0;
    if (version > 2 && (flags & TagExtendedHeader)) {
        const std::optional<qsizetype> start = framesStart(version, body);
        if (!start)
            return Fields();
        from = *start;
    }
    FrameReader reader(version, unsynchronised && version == 4);
    FrameWalk(version, body).run(from, reader);
    return reader.fields();
}

std::optional<Fields> Id3v2Reader::read(QIODevice& device)
{
    if (!device.seek(0))
        return std::nullopt;
    QByteArray bytes = device.read(HeaderSize);
    const std::optional<qsizetype> size = bodySize(bytes);
    if (!size)
        return std::nullopt;
    // A size past the end of the file is a cut tag, or a lie: only what is there is read.
    const qsizetype there =
        std::min<qint64>(*size, std::max<qint64>(device.size() - HeaderSize, 0));
    bytes.resize(HeaderSize + there);
    const qint64 got = device.read(bytes.data() + HeaderSize, there);
    bytes.truncate(HeaderSize + std::max<qint64>(got, 0));
    return parse(bytes);
}
