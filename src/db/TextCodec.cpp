#include "db/TextCodec.h"

#include <iterator>

namespace {

// Index + 1 is the code digit of the character.
constexpr char16_t codedChars[] = {u'\'', u'"', u'#', u'*', u':', u'`', u'|'};
constexpr int codeCount = int(std::size(codedChars));

int codeOf(char16_t c)
{
    for (int i = 0; i < codeCount; ++i)
        if (codedChars[i] == c)
            return i + 1;
    return 0;
}

} // namespace

namespace TextCodec {

QString reFilter(const QString& text)
{
    qsizetype specials = 0;
    for (QChar c : text)
        if (codeOf(c.unicode()) != 0)
            ++specials;
    if (specials == 0)
        return text; // shares the data, no copy

    QString out;
    out.reserve(text.size() + specials);
    for (QChar c : text) {
        if (const int code = codeOf(c.unicode())) {
            out += QLatin1Char('|');
            out += QLatin1Char(char('0' + code));
        } else {
            out += c;
        }
    }
    return out;
}

QString filter(const QString& text)
{
    if (!text.contains(QLatin1Char('|')))
        return text;

    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('|')) {
            out += c;
            continue;
        }
        const char16_t next = i + 1 < n ? text.at(i + 1).unicode() : u'\0';
        if (next >= u'1' && next < u'1' + codeCount) {
            out += QChar(codedChars[next - u'1']);
            ++i;
        } else {
            out += QLatin1Char('I');
        }
    }
    return out;
}

} // namespace TextCodec
