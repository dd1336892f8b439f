#include "platform/LegacyText.h"

#include "platform/Errors.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <array>

namespace {

// Windows-1252 where it differs from Latin-1.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t windows1252Char(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
}

// The code pages the Options dialog proposes, where Qt offers them: the ANSI code pages of
// Windows and the ISO and KOI8 pages of the same scripts.
const char* const candidateNames[] = {
    "Windows-1252", "Windows-1250", "Windows-1251", "Windows-1253", "Windows-1254", "Windows-1255",
    "Windows-1256", "Windows-1257", "Windows-1258", "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",
    "ISO-8859-4",   "ISO-8859-5",   "ISO-8859-7",   "ISO-8859-9",   "ISO-8859-13",  "ISO-8859-15",
    "ISO-8859-16",  "KOI8-R",       "KOI8-U"};

} // namespace

struct SingleByteCodePage::Table
{
    QString name;
    std::array<char16_t, 256> chars{};
    QHash<char16_t, char> bytes; // the first byte of each character
};

QString LegacyText::fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(windows1252Char(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray LegacyText::toWindows1252(const QString& text)
{
    return SingleByteCodePage().encode(text);
}

QString LegacyText::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QStringList LegacyText::decodeLines(const QByteArray& bytes)
{
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(decode(line));
    }
    return lines;
}

QStringList LegacyText::readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return decodeLines(bytes);
}

namespace {

void fillReverse(QHash<char16_t, char>& bytes, const std::array<char16_t, 256>& chars)
{
    for (int byte = 255; byte >= 0; --byte) {
        if (chars[byte] != QChar::ReplacementCharacter)
            bytes.insert(chars[byte], static_cast<char>(byte));
    }
}

} // namespace

SingleByteCodePage::SingleByteCodePage()
    : m_table(windows1252Table())
{}

SingleByteCodePage::SingleByteCodePage(std::shared_ptr<const Table> table)
    : m_table(std::move(table))
{}

std::shared_ptr<const SingleByteCodePage::Table> SingleByteCodePage::windows1252Table()
{
    static const std::shared_ptr<const Table> table = [] {
        auto made = std::make_shared<Table>();
        made->name = QString::fromLatin1(DefaultName);
        for (int byte = 0; byte < 256; ++byte)
            made->chars[byte] = windows1252Char(static_cast<unsigned char>(byte));
        fillReverse(made->bytes, made->chars);
        return made;
    }();
    return table;
}

std::optional<SingleByteCodePage> SingleByteCodePage::byName(const QString& name)
{
    if (name.compare(QLatin1String(DefaultName), Qt::CaseInsensitive) == 0)
        return SingleByteCodePage();
    const QByteArray latin = name.toLatin1();
    if (latin.isEmpty() || name != QString::fromLatin1(latin))
        return std::nullopt;
    auto table = std::make_shared<Table>();
    table->name = name;
    int unused = 0;
    for (int byte = 0; byte < 256; ++byte) {
        // A decoder per byte, so that no byte is read as part of a sequence.
        QStringDecoder decoder(latin.constData(), QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            return std::nullopt;
        const char one = static_cast<char>(byte);
        const QString text = decoder(QByteArrayView(&one, 1));
        if (text.size() > 1)
            return std::nullopt;
        const bool defined = text.size() == 1 && !decoder.hasError() &&
                             text.at(0) != QChar(QChar::ReplacementCharacter);
        table->chars[byte] = defined ? text.at(0).unicode() : char16_t(QChar::ReplacementCharacter);
        if (!defined) {
            ++unused;
            continue;
        }
        // The character must be written as that one byte again.
        QStringEncoder encoder(latin.constData(), QStringEncoder::Flag::Stateless);
        const QByteArray back = encoder.encode(text);
        if (encoder.hasError() || back != QByteArray(1, one))
            return std::nullopt;
    }
    // Every code page worth the name keeps ASCII where it is, and leaves few bytes unused; a
    // multi-byte one read byte by byte (UTF-8, Shift_JIS, GB18030) leaves its lead bytes.
    if (unused > 40)
        return std::nullopt;
    for (int byte = 0x20; byte < 0x7F; ++byte) {
        if (table->chars[byte] != char16_t(byte))
            return std::nullopt;
    }
    fillReverse(table->bytes, table->chars);
    return SingleByteCodePage(std::move(table));
}

SingleByteCodePage SingleByteCodePage::byNameOrDefault(const QString& name, QString* note)
{
    if (note)
        note->clear();
    if (std::optional<SingleByteCodePage> page = byName(name))
        return *page;
    if (note)
        *note = QStringLiteral("The code page \"%1\" is not available on this system; ID3v1 "
                               "tags are read and written as %2.")
                    .arg(name, QLatin1String(DefaultName));
    return SingleByteCodePage();
}

QStringList SingleByteCodePage::offered()
{
    static const QStringList list = [] {
        QStringList names;
        for (const char* name : candidateNames) {
            if (byName(QLatin1String(name)))
                names << QLatin1String(name);
        }
        return names;
    }();
    return list;
}

const QString& SingleByteCodePage::name() const
{
    return m_table->name;
}

QString SingleByteCodePage::decode(const QByteArray& bytes) const
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(m_table->chars[static_cast<unsigned char>(bytes[i])]);
    return text;
}

QByteArray SingleByteCodePage::encode(const QString& text) const
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const auto found =
            c <= 0xFFFF ? m_table->bytes.constFind(char16_t(c)) : m_table->bytes.constEnd();
        bytes.append(found != m_table->bytes.constEnd() ? *found : '?');
    }
    return bytes;
}
