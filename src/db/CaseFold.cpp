#include "db/CaseFold.h"

#include <QByteArray>
#include <QChar>

#include <sqlite3.h>

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// One code point of well-formed UTF-8 at `text[i]`: its value and length, or length 0 for a
// malformed sequence.
std::pair<char32_t, int> decode(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        value = c & 0x1F;
        least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        value = c & 0x0F;
        least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        value = c & 0x07;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + size_t(length) > text.size())
        return {0, 0};
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(byte(i + size_t(k))))
            return {0, 0};
        value = (value << 6) | (byte(i + size_t(k)) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {0, 0};
    return {value, length};
}

void encode(char32_t value, std::string& out)
{
    if (value < 0x80) {
        out += char(value);
    } else if (value < 0x800) {
        out += char(0xC0 | (value >> 6));
        out += char(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += char(0xE0 | (value >> 12));
        out += char(0x80 | ((value >> 6) & 0x3F));
        out += char(0x80 | (value & 0x3F));
    } else {
        out += char(0xF0 | (value >> 18));
        out += char(0x80 | ((value >> 12) & 0x3F));
        out += char(0x80 | ((value >> 6) & 0x3F));
        out += char(0x80 | (value & 0x3F));
    }
}

std::string_view textOf(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string_view(text, size_t(sqlite3_value_bytes(value))) : std::string_view();
}

void foldContainsFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 2) {
        sqlite3_result_error(context, "foldcontains() takes a needle and at least one text", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    try {
        // The needle's bytes stay valid while the texts are read: each argument has its own.
        const std::string_view needle = textOf(argv[0]);
        thread_local std::string buffer;
        for (int i = 1; i < argc; ++i) {
            if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
                continue;
            if (CaseFold::foldUtf8(textOf(argv[i]), buffer).find(needle) !=
                std::string_view::npos) {
                sqlite3_result_int(context, 1);
                return;
            }
        }
        sqlite3_result_int(context, 0);
    } catch (...) {
        // The engine is C: nothing may leave this function by an exception.
        sqlite3_result_error_nomem(context);
    }
}

} // namespace

namespace CaseFold {

QString fold(const QString& text)
{
    return text.toCaseFolded();
}

std::string_view foldUtf8(std::string_view text, std::string& buffer)
{
    // Most stored text is ASCII in lower case already: it is its own folding.
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || (c >= 'A' && c <= 'Z'))
            break;
        ++i;
    }
    if (i == text.size())
        return text;

    buffer.assign(text.data(), i);
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            buffer += char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
            ++i;
            continue;
        }
        const auto [value, length] = decode(text, i);
        if (length == 0) {
            // Not UTF-8: folded as the program reads it, with its replacement characters.
            const QByteArray folded =
                fold(QString::fromUtf8(text.data(), qsizetype(text.size()))).toUtf8();
            buffer.assign(folded.constData(), size_t(folded.size()));
            return buffer;
        }
        encode(QChar::toCaseFolded(value), buffer);
        i += size_t(length);
    }
    return buffer;
}

int installSqlFunction(sqlite3* engine)
{
    return sqlite3_create_function_v2(engine, sqlFunctionName, -1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &foldContainsFunction, nullptr, nullptr, nullptr);
}

} // namespace CaseFold
