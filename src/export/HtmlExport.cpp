#include "export/HtmlExport.h"

#include "platform/Errors.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QSaveFile>
#include <QUrl>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstring>

namespace HtmlExport {

namespace {

// The page's opening lines. The page is HTML 4.01 Transitional, the HTML its centred blocks,
// fonts and colour attributes belong to. The doctype names no DTD address, so that browsers
// keep laying the page out as they did before it had one (the title's three lines are placed
// against each other by negative margins). The character set is declared right after
// <head>, within the first bytes a browser looks at, since the values may hold any script.
// The tables' border colour is a rule of the style sheet, as HTML 4 has no attribute for it,
// and so are the body's top and left margins.
constexpr char pageTemplate[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<meta charset=\"utf-8\">\r\n"
    "<style TYPE=\"text/css\">\r\n"
    "<!--BODY { background: #91D7FF; }\r\n"
    ".para1 { margin-top: -20px; margin-left: 150px; font-family: \"font2, Arial\"; font-size: "
    "30px; line-height: 35px; text-align: center; color: #404040; font-style: italic; }\r\n"
    ".para2 { margin-top: 50px; margin-left: 0px; font-family: \"font1, Arial Black\"; "
    "font-size: 50px; line-height: 40px; text-align: center; color: #0072B4; }\r\n"
    ".para3 { margin-top: -75px; margin-left: -160px; font-family: \"font3, Arial Black\"; "
    "font-size: 22px; line-height: 35px; text-align: center; color: #003350; font-style: none; "
    "}\r\n"
    ".font { font-family: \"font4, Times New Roman\"; }\r\n"
    "TABLE, TD { border-style: solid; border-color: #404040; }\r\n"
    "-->\r\n"
    "</style>\r\n"
    "<title>Kestrova Tamboro Exported List</title>\r\n"
    "</head>\r\n"
    "<body style=\"margin-top: 0; margin-left: 0\" text=\"#FFFFFF\">\r\n"
    "<!--TOOLBAR_START-->\r\n"
    "<!--TOOLBAR_EXEMPT-->\r\n"
    "<div CLASS=\"para2\" align=\"center\"><p>TAMBORO</p></div>\r\n"
    "<div CLASS=\"para3\" align=\"center\"><p>Kestrova</p></div>\r\n"
    "<div CLASS=\"para1\" align=\"center\"><p>exported list</p></div>\r\n";

// The footer links to the maker's web site. The maker has none yet: the address is in a domain
// reserved for examples, so that no page handed around points at someone else's site.
constexpr char footer[] = "<CENTER><FONT SIZE=2 COLOR=#404040>This report has been generated "
                          "by Tamboro 3,  <A HREF=\"https://kestrova.example/\">Kestrova.</A>"
                          "</FONT></CENTER>\r\n";

constexpr const char* headerCells[fieldCount] = {
    "<TD BGCOLOR=#555555><B>Artist</B>\r\n",  "<TD BGCOLOR=#555555><B>Title</B>\r\n",
    "<TD BGCOLOR=#555555><B>Length</B>\r\n",  "<TD BGCOLOR=#555555><B>Filename</B>\r\n",
    "<TD BGCOLOR=#555555><B>Album</B>\r\n",   "<TD BGCOLOR=#555555><B>Comment</B>\r\n",
    "<TD BGCOLOR=#555555><B>Year</B>\r\n",    "<TD BGCOLOR=#555555><B>Genre</B>\r\n",
    "<TD BGCOLOR=#555555><B>Bitrate</B>\r\n",
};

// The list column each field comes from; the artist is the row caption.
constexpr ListEntry::Sub fieldSubs[fieldCount] = {
    ListEntry::Title, // unused: the caption
    ListEntry::Title,   ListEntry::Length, ListEntry::Filename, ListEntry::Album,
    ListEntry::Comment, ListEntry::Year,   ListEntry::Genre,    ListEntry::Bitrate,
};

const QString& fieldValue(const ListEntry& row, int field)
{
    return field == int(Field::Artist) ? row.caption : row.sub[fieldSubs[field]];
}

constexpr qsizetype chunkSize = 256 * 1024;

// UTF-8 text built in one buffer that grows as needed; written to with raw pointers, since a
// page of a hundred thousand rows must cost little more than writing its bytes.
class Utf8Out
{
public:
    explicit Utf8Out(qsizetype reserve) { m_buffer.resize(std::max<qsizetype>(reserve, 64)); }

    template <std::size_t N> void literal(const char (&text)[N]) { raw(text, N - 1); }
    void raw(const char* text) { raw(text, qsizetype(std::strlen(text))); }
    void raw(const char* text, qsizetype size)
    {
        std::memcpy(room(size), text, std::size_t(size));
        m_size += size;
    }
    void raw(const QByteArray& bytes) { raw(bytes.constData(), bytes.size()); }
    void number(int value)
    {
        char* at = room(12);
        m_size += std::to_chars(at, at + 12, value).ptr - at;
    }
    // The text encoded as UTF-8, with the characters that mean something in HTML written as
    // character references. A lone surrogate becomes U+FFFD.
    void escaped(QStringView text)
    {
        char* out = room(text.size() * 6); // "&quot;" is the longest any UTF-16 unit becomes
        char* const start = out;
        const char16_t* in = text.utf16();
        const char16_t* const end = in + text.size();
        const auto step = [&] {
            const char16_t unit = *in++;
            if (unit < 0x80) {
                switch (unit) {
                case u'&':
                    std::memcpy(out, "&amp;", 5);
                    out += 5;
                    break;
                case u'<':
                    std::memcpy(out, "&lt;", 4);
                    out += 4;
                    break;
                case u'>':
                    std::memcpy(out, "&gt;", 4);
                    out += 4;
                    break;
                case u'"':
                    std::memcpy(out, "&quot;", 6);
                    out += 6;
                    break;
                default:
                    *out++ = char(unit);
                }
                return;
            }
            char32_t code = unit;
            if (QChar::isHighSurrogate(unit) && in < end && QChar::isLowSurrogate(*in))
                code = QChar::surrogateToUcs4(unit, *in++);
            else if (QChar::isSurrogate(unit))
                code = 0xFFFD;
            out = encode(out, code);
        };
        while (in < end) {
#if defined(__SSE2__)
            // Eight units at a time while they are plain ASCII, which most values are.
            if (end - in >= 8) {
                const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
                const __m128i wide = _mm_and_si128(units, _mm_set1_epi16(short(0xFF80)));
                __m128i marked = _mm_cmpeq_epi16(units, _mm_set1_epi16('&'));
                marked = _mm_or_si128(marked, _mm_cmpeq_epi16(units, _mm_set1_epi16('<')));
                marked = _mm_or_si128(marked, _mm_cmpeq_epi16(units, _mm_set1_epi16('>')));
                marked = _mm_or_si128(marked, _mm_cmpeq_epi16(units, _mm_set1_epi16('"')));
                const __m128i plain =
                    _mm_andnot_si128(marked, _mm_cmpeq_epi16(wide, _mm_setzero_si128()));
                if (_mm_movemask_epi8(plain) == 0xFFFF) {
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                                     _mm_packus_epi16(units, units));
                    in += 8;
                    out += 8;
                    continue;
                }
                for (const char16_t* stop = in + 8; in < stop;)
                    step();
                continue;
            }
#endif
            step();
        }
        m_size += out - start;
    }
    void codePoint(char32_t code)
    {
        char16_t units[2];
        qsizetype count = 1;
        if (QChar::requiresSurrogates(code)) {
            units[0] = QChar::highSurrogate(code);
            units[1] = QChar::lowSurrogate(code);
            count = 2;
        } else {
            units[0] = char16_t(code);
        }
        escaped(QStringView(units, count));
    }

    qsizetype size() const
    {
        return m_size;
    }
    QByteArray take()
    {
        m_buffer.truncate(m_size);
        return std::move(m_buffer);
    }
    // Puts the text aside once it fills a piece and starts a fresh one: a long page grows by
    // pieces, never by copying what it holds into a larger buffer.
    void sealIfFull()
    {
        if (m_size < chunkSize)
            return;
        m_buffer.truncate(m_size);
        m_sealed.push_back(std::move(m_buffer));
        m_buffer = QByteArray();
        m_buffer.resize(chunkSize + 4096);
        m_size = 0;
    }
    // Writes every piece to `device`; returns the bytes written.
    qint64 writeTo(QIODevice& device, const QString& name)
    {
        qint64 written = 0;
        const auto write = [&](const char* data, qsizetype size) {
            if (device.write(data, size) != size)
                throw EInOutError(QStringLiteral("Cannot write the HTML page %1: %2")
                                      .arg(name, device.errorString()));
            written += size;
        };
        for (const QByteArray& piece : m_sealed)
            write(piece.constData(), piece.size());
        write(m_buffer.constData(), m_size);
        return written;
    }

private:
    char* room(qsizetype size)
    {
        if (m_size + size > m_buffer.size())
            m_buffer.resize(std::max(m_buffer.size() * 2, m_size + size));
        return m_buffer.data() + m_size;
    }
    static char* encode(char* out, char32_t code)
    {
        if (code < 0x800) {
            *out++ = char(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            *out++ = char(0xE0 | (code >> 12));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
        } else {
            *out++ = char(0xF0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3F));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
        }
        *out++ = char(0x80 | (code & 0x3F));
        return out;
    }

    QByteArray m_buffer;
    qsizetype m_size = 0;
    std::vector<QByteArray> m_sealed;
};

constexpr char32_t noInitial = 0xFFFFFFFF;

// The first character of a row's text: the artist's first letter, else the first character of
// the separator the next field is written with; nothing when no field is chosen.
char32_t rowInitial(const ListEntry& row, const Options& options)
{
    int first = 0;
    while (first < fieldCount && !options.fields[first])
        ++first;
    if (first == fieldCount)
        return noInitial;
    if (first == int(Field::Artist)) {
        const QString& artist = row.caption;
        if (!artist.isEmpty()) {
            const char16_t unit = artist.at(0).unicode();
            if (QChar::isHighSurrogate(unit) && artist.size() > 1 &&
                QChar::isLowSurrogate(artist.at(1).unicode()))
                return QChar::surrogateToUcs4(unit, artist.at(1).unicode());
            return unit;
        }
        // An empty artist adds nothing: the text begins with the next field's separator.
        do
            ++first;
        while (first < fieldCount && !options.fields[first]);
        if (first == fieldCount)
            return noInitial;
    }
    return first == int(Field::Title) ? U' ' : U',';
}

char32_t lowerInitial(char32_t initial)
{
    return initial == noInitial ? noInitial : QChar::toLower(initial);
}

// The fields of a row as the list style writes them: the artist, " - " and the title, then
// ", " before every other field, the bitrate followed by "Kbps".
void writeRowText(Utf8Out& out, const ListEntry& row, const Options& options)
{
    for (int field = 0; field < fieldCount; ++field) {
        if (!options.fields[field])
            continue;
        if (field == int(Field::Title))
            out.literal(" - ");
        else if (field != int(Field::Artist))
            out.literal(", ");
        out.escaped(fieldValue(row, field));
        if (field == int(Field::Bitrate))
            out.literal("Kbps");
    }
}

void writeCells(Utf8Out& out, const ListEntry& row, const Options& options)
{
    for (int field = 0; field < fieldCount; ++field) {
        if (!options.fields[field])
            continue;
        out.literal("<TD>");
        out.escaped(fieldValue(row, field));
        if (field == int(Field::Bitrate))
            out.literal("Kbps");
    }
    out.literal("\r\n");
}

// Each value's characters live in a block of their own on the heap, away from the row: reading
// them one after the other would wait for memory at every value. Touching the values of a batch
// of rows ahead at once lets those waits overlap.
constexpr int touchBatch = 8;

char16_t touchRows(const std::vector<ListEntry>& rows, int from, const Options& options)
{
    const int to = std::min(from + touchBatch, int(rows.size()));
    char16_t any = 0;
    for (int index = from; index < to; ++index) {
        const ListEntry& row = rows[std::size_t(index)];
        for (int field = 0; field < fieldCount; ++field)
            if (options.fields[field])
                any |= *fieldValue(row, field).utf16();
    }
    return any;
}

void writeSummary(Utf8Out& out, const QStringList& panels, const Options& options)
{
    const auto panel = [&](const char* before, int index, const char* after) {
        out.raw(before);
        out.escaped(panels.value(index));
        out.raw(after);
    };
    out.literal("<TABLE SUMMARY=\"The figures of the list\" BORDER=1 CELLPADDING=0 "
                "CELLSPACING=0 BGCOLOR=#808080 ALIGN=CENTER>\r\n<TR><TD ALIGN=CENTER>\r\n");
    panel("<B>", 0, "</B><BR>\r\n");
    // Each centred block is closed where its figure ends.
    if (options.secondary)
        panel("<CENTER><B>", 1, "</B><BR></CENTER>\r\n");
    panel("<B>", 2, "</B><BR>\r\n");
    if (options.secondary)
        panel("<CENTER><B>", 3, "</B></CENTER>\r\n");
    out.literal("</TD></TR></TABLE>\r\n<BR>\r\n<BR>\r\n");
    out.literal(footer);
}

// The anchors of the headings, each named once on the page. A letter's first heading is named
// by the letter, so that "#A" leads to the A's; a blank initial, which no anchor may be named,
// is "blank"; a letter that heads another group further down (the rows are not sorted here)
// gets the count of its headings after a dash: "B-2". No initial is more than one character,
// so no two of these names meet.
class Anchors
{
public:
    QString next(char32_t upper)
    {
        QString name =
            QChar::isSpace(upper) ? QStringLiteral("blank") : QString::fromUcs4(&upper, 1);
        const int count = ++m_seen[name];
        if (count > 1)
            name += QLatin1Char('-') + QString::number(count);
        return name;
    }

private:
    QHash<QString, int> m_seen;
};

} // namespace

const QStringList& fieldNames()
{
    static const QStringList names = {
        QStringLiteral("artist"),   QStringLiteral("title"), QStringLiteral("length"),
        QStringLiteral("filename"), QStringLiteral("album"), QStringLiteral("comment"),
        QStringLiteral("year"),     QStringLiteral("genre"), QStringLiteral("bitrate"),
    };
    return names;
}

std::optional<Field> fieldByName(const QString& name)
{
    const qsizetype index = fieldNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return Field(index);
}

QString gaugeText()
{
    return QStringLiteral("Expoting list to HTML...");
}

qint64 MakeHTML(const std::vector<ListEntry>& rows, const QStringList& panels,
                const Options& options, QIODevice& device, const QString& name,
                const Progress& progress)
{
    const int count = int(rows.size());
    const int last = count - 1;
    if (progress)
        progress(0, last);

    // A heading goes wherever the lower-case initial of the row text changes. Both styles
    // compare with that initial; the rows are not sorted here, so a letter may head several
    // groups.
    char32_t remembered = noInitial; // nothing seen yet: an empty row text matches it
    Utf8Out index(256);
    Anchors anchors;
    struct Heading
    {
        char32_t upper;
        QString anchor;
    };
    const auto newInitial = [&](const ListEntry& row) -> std::optional<Heading> {
        const char32_t initial = rowInitial(row, options);
        const char32_t lower = lowerInitial(initial);
        if (lower == remembered)
            return std::nullopt;
        remembered = lower;
        char32_t upper = QChar::toUpper(initial);
        if (QChar::isSurrogate(upper))
            upper = 0xFFFD; // half a pair, shown and named as the replacement character
        Heading heading{upper, anchors.next(upper)};
        if (index.size() > 0)
            index.literal(" | ");
        // The link's address is a URL: the name's bytes beyond letters and digits in %XX form,
        // which browsers decode before they look for the anchor.
        index.literal("<B><A HREF=\"#");
        index.raw(QUrl::toPercentEncoding(heading.anchor));
        index.literal("\">");
        index.codePoint(upper);
        index.literal("</A></B>");
        return heading;
    };

    // The index heads the page but is known only once every row has been seen: the rows go
    // into pieces kept in memory, written after the index.
    Utf8Out out(chunkSize + 4096);
    char16_t touched = 0;
    if (!options.withTable) {
        // The rows, figures and footer in dark grey; a block, since it holds blocks.
        out.literal("<DIV STYLE=\"color: #404040\">\r\n");
        for (int i = 0; i < count; ++i) {
            if (i % touchBatch == 0)
                touched |= touchRows(rows, i + touchBatch, options);
            const ListEntry& row = rows[std::size_t(i)];
            if (const std::optional<Heading> heading = newInitial(row)) {
                out.literal("<BR>\r\n<CENTER><B><A NAME=\"");
                out.escaped(heading->anchor);
                out.literal("\">");
                out.codePoint(heading->upper);
                out.literal("</A></B></CENTER>\r\n<BR>\r\n");
            }
            out.literal("<CENTER>");
            out.number(i + 1);
            out.literal(". ");
            writeRowText(out, row, options);
            out.literal("</CENTER>\r\n");
            out.sealIfFull();
            if (progress)
                progress(i, last);
        }
        out.literal("<BR>\r\n<BR>\r\n");
    } else {
        // The class "text" the table's font had: a font cannot hold a table.
        out.literal("<CENTER><TABLE CLASS=\"text\" SUMMARY=\"The songs of the list\" BORDER=1 "
                    "CELLPADDING=0 CELLSPACING=0 BGCOLOR=#808080>\r\n");
        out.literal("<TR>\r\n<TD BGCOLOR=#555555><B>Nr.</B>\r\n");
        for (int field = 0; field < fieldCount; ++field)
            if (options.fields[field])
                out.raw(headerCells[field]);
        out.literal("</TR>\r\n");
        for (int i = 0; i < count; ++i) {
            if (i % touchBatch == 0)
                touched |= touchRows(rows, i + touchBatch, options);
            const ListEntry& row = rows[std::size_t(i)];
            out.literal("<TR>\r\n");
            if (const std::optional<Heading> heading = newInitial(row)) {
                out.literal("<TD><A NAME=\"");
                out.escaped(heading->anchor);
                out.literal("\">");
                out.number(i + 1);
                out.literal(".</A>\r\n");
            } else {
                out.literal("<TD>");
                out.number(i + 1);
                out.literal(".\r\n");
            }
            writeCells(out, row, options);
            out.literal("</TR>\r\n");
            out.sealIfFull();
            if (progress)
                progress(i, last);
        }
        out.literal("</TABLE></CENTER>\r\n<BR>\r\n<BR>\r\n");
    }
    // The touched characters go somewhere the compiler must keep, so that it keeps the reads;
    // a local of each call, as pages may be made on several threads at once.
    [[maybe_unused]] volatile char16_t touchSink = touched;
    writeSummary(out, panels, options);
    if (options.withTable)
        out.literal("</BODY></HTML>\r\n");
    else
        out.literal("</DIV></BODY></HTML>\r\n");

    Utf8Out head(qsizetype(sizeof pageTemplate) + index.size() + 64);
    head.literal(pageTemplate);
    // Without a letter the index is left out rather than written as an empty block, which
    // shows alike.
    if (index.size() > 0) {
        head.literal("<BR><CENTER>");
        head.raw(index.take());
        head.literal("</CENTER><BR>\r\n");
    } else {
        head.literal("<BR><BR>\r\n");
    }
    return head.writeTo(device, name) + out.writeTo(device, name);
}

QByteArray MakeHTML(const std::vector<ListEntry>& rows, const QStringList& panels,
                    const Options& options, const Progress& progress)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    MakeHTML(rows, panels, options, buffer, QStringLiteral("in memory"), progress);
    return bytes;
}

qint64 saveHtml(const std::vector<ListEntry>& rows, const QStringList& panels,
                const Options& options, const QString& path, const Progress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot write the HTML page %1: %2").arg(path, file.errorString()));
    const qint64 written = MakeHTML(rows, panels, options, file, path, progress);
    if (!file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write the HTML page %1: %2").arg(path, file.errorString()));
    return written;
}

} // namespace HtmlExport
