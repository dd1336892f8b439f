#include "intake/FilenameRecognizer.h"

#include "db/RQuery.h"
#include "db/SongColumn.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "intake/GenreLists.h"

#include <QStringView>

#include <algorithm>

namespace {

const QString separator = QStringLiteral(" - ");
const QString unknownArtist = QStringLiteral("Unknown");
const QString defaultGenre = QStringLiteral("Other");

// Underscores and URL-encoded spaces ("%20") become spaces; a "%" not starting "%20" stays.
QString spacesRestored(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == QLatin1Char('_')) {
            result += QLatin1Char(' ');
            ++i;
        } else if (QStringView(text).mid(i, 3) == QLatin1String("%20")) {
            result += QLatin1Char(' ');
            i += 3;
        } else {
            result += text.at(i);
            ++i;
        }
    }
    return result;
}

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isDecimalDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// Whether `word` is a whole number that counts as a track number: an optional sign, then
// decimal digits or "$" and hexadecimal digits. The value 666 (in any spelling) is part of
// the title, not a track number. No range limit: a long run of digits is a number all the same.
bool isTrackNumber(QStringView word)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < word.size() && (word.at(i) == QLatin1Char('+') || word.at(i) == QLatin1Char('-'))) {
        negative = word.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < word.size() && word.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    QStringView digits = word.mid(i);
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        if (base == 10 ? !isDecimalDigit(c) : !isHexDigit(c))
            return false;
    }
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.mid(1);
    const bool is666 = !negative && digits.size() <= 3 && digits.toInt(nullptr, base) == 666;
    return !is666;
}

// The characters a title may start with, judged on the lower-case form of the character.
// Accented letters and other symbols are not among them.
bool isAllowedLeading(QChar c)
{
    const QString lower = QString(c).toLower();
    if (lower.size() != 1)
        return false;
    const char16_t u = lower.at(0).unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'\'' || u == u'$' ||
           u == u'{' || u == u'[';
}

// Two or more hyphens and no " - ": the first hyphen joins its neighbours (it belongs to a
// name such as a double-barrelled artist), the second is spaced and becomes the separator.
void spaceSecondHyphen(QString& text)
{
    qsizetype first = text.indexOf(QLatin1Char('-'));
    if (first > 0 && text.at(first - 1) == QLatin1Char(' ')) {
        text.remove(first - 1, 1);
        --first;
    }
    if (first + 1 < text.size() && text.at(first + 1) == QLatin1Char(' '))
        text.remove(first + 1, 1);

    qsizetype second = text.indexOf(QLatin1Char('-'), first + 1);
    if (text.at(second - 1) != QLatin1Char(' ')) {
        text.insert(second, QLatin1Char(' '));
        ++second;
    }
    // A hyphen at the very end has nothing after it, which is not a space either.
    if (second + 1 >= text.size() || text.at(second + 1) != QLatin1Char(' '))
        text.insert(second + 1, QLatin1Char(' '));
}

} // namespace

namespace FilenameRecognizer {

QString recognitionText(const QString& fileName)
{
    QString text = spacesRestored(StoredPath::fileNamePart(fileName));
    text.chop(4); // the extension with its dot

    // A leading track number goes with the one space after it; a name that is only a number
    // keeps it, since nothing else would be left of the title.
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space >= 0 && isTrackNumber(QStringView(text).left(space)))
        text.remove(0, space + 1);

    qsizetype junk = 0;
    while (junk < text.size() && !isAllowedLeading(text.at(junk)))
        ++junk;
    text.remove(0, junk);

    const qsizetype hyphens = text.count(QLatin1Char('-'));
    if (!text.contains(separator)) {
        if (hyphens >= 2)
            spaceSecondHyphen(text);
        else if (hyphens == 1)
            text.replace(text.indexOf(QLatin1Char('-')), 1, separator);
    }
    return text;
}

QString artistPattern(const QString& artist)
{
    QString pattern = artist;
    if (pattern.isEmpty())
        return pattern;
    pattern[0] = QLatin1Char('_');
    for (qsizetype p = 2; p < pattern.size();) {
        if (pattern.at(p) == QLatin1Char(' ')) {
            // A trailing space has no word after it to stand for.
            if (p + 1 < pattern.size())
                pattern[p + 1] = QLatin1Char('_');
            p += 4;
        } else {
            ++p;
        }
    }
    return pattern;
}

namespace {

// True when every character the pattern leaves open (where it differs from the artist) is
// ASCII: the engine's LIKE folds the case of A-Z only, so only then does an equality under
// NOCASE find the same rows.
bool wildcardsAreAscii(const QString& artist, const QString& pattern)
{
    for (qsizetype i = 0; i < artist.size(); ++i) {
        if (pattern.at(i) != artist.at(i) && artist.at(i).unicode() > 0x7f)
            return false;
    }
    return true;
}

} // namespace

Recognition recognize(const QString& fileName, const QString& currentGenre, SongDatabase& db)
{
    Recognition result;
    result.genre = currentGenre.isEmpty() ? defaultGenre : currentGenre;

    // After the text edits a hyphen preceded by a space always stands in " - ".
    const QString text = recognitionText(fileName);
    const qsizetype at = text.indexOf(separator);
    if (at < 0) {
        result.artist = unknownArtist;
        result.title = text;
        return result;
    }
    result.full = true;
    result.artist = text.left(at);
    result.title = text.mid(at + separator.size());

    // The look-ups take the artist as recognised, not encoded. Stored values never hold a double
    // quote, and a statement cannot carry one: such an artist keeps its own spelling and the
    // genre it has, instead of stopping the whole add with a refused statement.
    if (result.artist.contains(QLatin1Char('"')))
        return result;

    RQuery query(db);
    const QString pattern = artistPattern(result.artist);
    QString spelling = result.artist;
    if (wildcardsAreAscii(result.artist, pattern)) {
        // The rows the pattern finds and that equal the artist but for letter case are the rows
        // equal to it under the engine's A-Z case folding, as long as every letter the pattern
        // leaves open is a plain ASCII one: the index answers that without reading the whole
        // table. Newest first, so the first equal row is the last one of the pattern's scan.
        query.setSql(Statements::selectArtistSpellings(result.artist));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            const QString stored = query.field(SongColumn::Artist);
            if (stored.compare(result.artist, Qt::CaseInsensitive) == 0) {
                spelling = stored;
                break;
            }
        }
    } else {
        query.setSql(Statements::selectArtistLike(pattern));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            const QString stored = query.field(SongColumn::Artist);
            if (stored.compare(result.artist, Qt::CaseInsensitive) == 0)
                spelling = stored; // the last matching row wins
        }
    }
    result.artist = spelling;

    query.close();
    query.setSql(Statements::selectArtistEquals(result.artist));
    query.open();
    query.first();
    if (!query.eof())
        result.genre = query.field(SongColumn::Genre);
    query.close();
    return result;
}

int recognizedGenreId(const QString& genre)
{
    return int(std::max<qsizetype>(GenreLists::intake().indexOf(genre), 0));
}

} // namespace FilenameRecognizer
