#include "lists/UserLists.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "platform/Errors.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

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
    return LegacyText::decodeLines(text);
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

namespace {

// Rows chained by a key: the first row of each key, and each row's next row of the same key;
// one table for a whole catalogue rather than a list per key.
template <typename Key> class RowChains
{
public:
    explicit RowChains(std::size_t rows)
        : m_next(rows, -1)
    {
        m_first.reserve(qsizetype(rows));
    }
    void add(const Key& key, int row)
    {
        auto it = m_first.find(key);
        if (it == m_first.end()) {
            m_first.insert(key, row);
        } else {
            m_next[std::size_t(row)] = *it;
            *it = row;
        }
    }
    template <typename Visit> void forEach(const Key& key, Visit visit) const
    {
        for (int row = m_first.value(key, -1); row >= 0; row = m_next[std::size_t(row)])
            visit(row);
    }

private:
    QHash<Key, int> m_first;
    std::vector<int> m_next;
};

} // namespace

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

    // What the lines ask for decides which look-ups are made: songs by their own name after
    // the last "/" or "\", and by that name's length for names holding "_" (any character).
    std::vector<LinePattern> patterns;
    patterns.reserve(std::size_t(lines.size()));
    bool needName[2] = {false, false}; // 0: "/", 1: "\"
    bool needLength[2] = {false, false};
    for (const QString& line : lines) {
        patterns.push_back(patternOf(line));
        const int kind = patterns.back().separator == QLatin1Char('\\') ? 1 : 0;
        (patterns.back().fileName.contains(QLatin1Char('_')) ? needLength : needName)[kind] = true;
    }
    std::optional<RowChains<QString>> byName[2];
    std::optional<RowChains<qsizetype>> byLength[2];
    for (int kind = 0; kind < 2; ++kind) {
        if (needName[kind])
            byName[kind].emplace(names.size());
        if (needLength[kind])
            byLength[kind].emplace(names.size());
        if (!needName[kind] && !needLength[kind])
            continue;
        const QChar separator = kind == 0 ? QLatin1Char('/') : QLatin1Char('\\');
        for (int row = 0; row < int(names.size()); ++row) {
            const QString segment = lastSegment(names[std::size_t(row)], separator);
            if (byName[kind])
                byName[kind]->add(lookupKey(segment), row);
            if (byLength[kind])
                byLength[kind]->add(codePoints(segment), row);
        }
    }

    std::vector<bool> found(names.size(), false);
    const int total = int(lines.size());
    if (progress)
        progress(0, total);
    for (int i = 0; i < total; ++i) {
        const LinePattern& pattern = patterns[std::size_t(i)];
        const QString like = likePattern(pattern);
        const int kind = pattern.separator == QLatin1Char('\\') ? 1 : 0;
        auto test = [&](int row) {
            if (!found[std::size_t(row)] && likeMatches(like, names[std::size_t(row)]))
                found[std::size_t(row)] = true;
        };
        if (like.size() * 3 > maxLikePatternBytes && like.toUtf8().size() > maxLikePatternBytes) {
            // Refused by the song table: finds nothing.
        } else if (pattern.fileName.contains(QLatin1Char('%'))) {
            for (int row = 0; row < int(names.size()); ++row)
                test(row);
        } else if (pattern.fileName.contains(QLatin1Char('_'))) {
            byLength[kind]->forEach(codePoints(pattern.fileName), test);
        } else {
            byName[kind]->forEach(lookupKey(pattern.fileName), test);
        }
        if (progress)
            progress(i + 1, total);
    }

    // The table may hand the rows over in the order of an index: the IDs are put in order.
    std::vector<std::pair<qlonglong, int>> hits;
    for (std::size_t row = 0; row < found.size(); ++row)
        if (found[row])
            hits.emplace_back(ids[row].toLongLong(), int(row));
    std::sort(hits.begin(), hits.end());
    QStringList result;
    result.reserve(qsizetype(hits.size()));
    for (const auto& hit : hits)
        result << ids[std::size_t(hit.second)];
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
