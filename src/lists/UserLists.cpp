#include "lists/UserLists.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "platform/Errors.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace {

// Windows-1252 where it differs from Latin-1; the five unused codes stay as they are.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : byte);
    }
    return text;
}

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

// The longest pattern the song table's "like" accepts (its limit is counted in UTF-8 bytes): a
// longer one is refused there, so it finds nothing here either.
constexpr qsizetype maxLikePatternBytes = 50000;

char32_t foldAscii(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
}

// The name after the last `separator`, A-Z folded: what a pattern's file name is looked up by.
QString lookupKey(const QString& name)
{
    QString key = name;
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return key;
}

QString lastSegment(const QString& path, QChar separator)
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

qsizetype codePoints(QStringView text)
{
    return text.size() -
           std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
}

const std::vector<int>& rowsOf(const auto& hash, const auto& key)
{
    static const std::vector<int> none;
    const auto it = hash.constFind(key);
    return it == hash.constEnd() ? none : *it;
}

} // namespace

// ---- files ----------------------------------------------------------------------------------

QStringList UserListFile::read(QIODevice& device, const QString& name)
{
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = device.read(buffer, sizeof buffer);
        if (got < 0)
            throw EInOutError(QStringLiteral("Cannot read %1: %2").arg(name, device.errorString()));
        if (got == 0)
            break;
        bytes.append(buffer, got);
        if (bytes.size() > MaxFileSize)
            throw EInOutError(QStringLiteral("%1 is too large to be a user list (more than %2 MB)")
                                  .arg(name)
                                  .arg(MaxFileSize / (1024 * 1024)));
    }
    if (bytes.contains('\0'))
        throw EInOutError(QStringLiteral("%1 is not a user list: it holds binary data").arg(name));
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << decodeText(line);
    }
    return lines;
}

QStringList UserListFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    return read(file, path);
}

void UserListFile::write(QIODevice& device, const QStringList& lines, const QString& name)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    if (device.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(name, device.errorString()));
}

void UserListFile::save(const QString& path, const QStringList& lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    write(file, lines, path);
    if (!file.commit())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

// ---- matching -------------------------------------------------------------------------------

UserListMatch::LinePattern UserListMatch::patternOf(const QString& line)
{
    // The parts are found in the decoded text ("C|5\..." is drive C:) and stored encoded again.
    const QString plain = TextCodec::filter(line);
    LinePattern pattern;
    const bool windows = StoredPath::isWindowsStyle(plain);
    pattern.separator = windows ? QLatin1Char('\\') : QLatin1Char('/');
    pattern.fileName = TextCodec::reFilter(StoredPath::fileNamePart(plain));
    QString root = StoredPath::splitMediumRoot(plain).root;
    if (windows && (root.endsWith(QLatin1Char('\\')) || root.endsWith(QLatin1Char('/'))))
        root.chop(1);
    if (windows && root.isEmpty() && plain.size() >= 2 && plain[1] == QLatin1Char(':'))
        root = plain.left(2); // "D:song.mp3", relative to its drive
    if (!windows && root.isEmpty() && plain.startsWith(QLatin1Char('/')))
        root = QStringLiteral("/");
    pattern.drive = TextCodec::reFilter(root);
    return pattern;
}

QString UserListMatch::likePattern(const LinePattern& pattern)
{
    return pattern.drive + QLatin1Char('%') + pattern.separator + pattern.fileName;
}

bool UserListMatch::likeMatches(QStringView pattern, QStringView text)
{
    const QList<uint> p = pattern.toUcs4();
    const QList<uint> t = text.toUcs4();
    qsizetype pi = 0, ti = 0;
    qsizetype starP = -1, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == U'%') {
            starP = pi++;
            starT = ti;
        } else if (pi < p.size() && (p[pi] == U'_' || foldAscii(p[pi]) == foldAscii(t[ti]))) {
            ++pi;
            ++ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'%')
        ++pi;
    return pi == p.size();
}

QStringList UserListMatch::matchingIds(SongDatabase& database, const QStringList& lines,
                                       const std::function<void(int, int)>& progress)
{
    std::vector<QString> ids;
    std::vector<QString> names;
    {
        QSqlQuery query = database.execute(Statements::selectIdsAndFilenames());
        while (query.next()) {
            ids.push_back(query.value(0).toString());
            names.push_back(query.value(1).toString());
        }
        database.recycle(std::move(query));
    }

    // Songs by their own name, once per kind of separator, and by that name's length for
    // patterns whose name holds "_" (any one character).
    struct Index
    {
        QHash<QString, std::vector<int>> byName;
        QHash<qsizetype, std::vector<int>> byLength;
    };
    Index indexes[2]; // 0: "/", 1: "\"
    for (int row = 0; row < int(names.size()); ++row) {
        for (int kind = 0; kind < 2; ++kind) {
            const QString segment =
                lastSegment(names[size_t(row)], kind == 0 ? QLatin1Char('/') : QLatin1Char('\\'));
            indexes[kind].byName[lookupKey(segment)].push_back(row);
            indexes[kind].byLength[codePoints(segment)].push_back(row);
        }
    }

    std::vector<bool> found(names.size(), false);
    const int total = int(lines.size());
    if (progress)
        progress(0, total);
    for (int i = 0; i < total; ++i) {
        const LinePattern pattern = patternOf(lines[i]);
        const QString like = likePattern(pattern);
        if (like.toUtf8().size() <= maxLikePatternBytes) {
            const Index& index = indexes[pattern.separator == QLatin1Char('\\') ? 1 : 0];
            auto test = [&](int row) {
                if (!found[size_t(row)] && likeMatches(like, names[size_t(row)]))
                    found[size_t(row)] = true;
            };
            if (pattern.fileName.contains(QLatin1Char('%'))) {
                for (int row = 0; row < int(names.size()); ++row)
                    test(row);
            } else if (pattern.fileName.contains(QLatin1Char('_'))) {
                for (int row : rowsOf(index.byLength, codePoints(pattern.fileName)))
                    test(row);
            } else {
                for (int row : rowsOf(index.byName, lookupKey(pattern.fileName)))
                    test(row);
            }
        }
        if (progress)
            progress(i + 1, total);
    }

    // The table may hand the rows over in the order of an index: the IDs are put in order.
    std::vector<std::pair<qlonglong, QString>> hits;
    for (size_t row = 0; row < found.size(); ++row)
        if (found[row])
            hits.emplace_back(ids[row].toLongLong(), ids[row]);
    std::sort(hits.begin(), hits.end());
    QStringList result;
    for (const auto& hit : hits)
        result << hit.second;
    return result;
}

// ---- lists ----------------------------------------------------------------------------------

QStringList UserLists::fileNamesOf(RQuery& query, const QString& baseQuery,
                                   const std::function<void(int, int)>& progress)
{
    if (baseQuery.isEmpty())
        return {};
    query.close();
    query.setFilter(QString());
    query.setSql(baseQuery);
    query.open();
    const int total = query.recordCount();
    if (progress)
        progress(0, total);
    QStringList names;
    names.reserve(total);
    for (query.first(); !query.eof(); query.next()) {
        names << query.field(SongColumn::Filename);
        if (progress)
            progress(int(names.size()), total);
    }
    query.close();
    return names;
}

QString UserLists::fileNameQuery(const QStringList& lines)
{
    if (lines.isEmpty())
        return {};
    QStringList patterns;
    patterns.reserve(lines.size());
    for (const QString& line : lines)
        patterns << UserListMatch::likePattern(UserListMatch::patternOf(line));
    return Statements::selectUserListFiles(patterns);
}
