#include "net/SearchResults.h"

#include "db/TextCodec.h"
#include "net/ShareCatalogue.h"
#include "net/Verbs.h"

#include <algorithm>

namespace {

constexpr int fieldCount = 10;
// A central server's address part ends within this many characters of the record's start.
constexpr qsizetype addressReach = 16;
const QChar fieldEnd = QLatin1Char('|');
const QChar addressEnd = QLatin1Char(';');
const QChar remoteMarker = QLatin1Char('R');

// The sub-values the fields after the caption go into, and whether each is stored text that
// the codec decodes for display (the others are shown as stored, as list building does).
constexpr ListEntry::Sub fieldSubs[fieldCount - 1] = {
    ListEntry::Title, ListEntry::Length,    ListEntry::Filename,
    ListEntry::Album, ListEntry::Comment,   ListEntry::Year,
    ListEntry::Genre, ListEntry::Frequency, ListEntry::Bitrate,
};

bool isCodedText(ListEntry::Sub sub)
{
    return sub == ListEntry::Title || sub == ListEntry::Filename || sub == ListEntry::Album ||
           sub == ListEntry::Comment;
}

QString shown(QStringView wire, bool coded)
{
    const QString stored = ShareCatalogue::storedText(wire.toString());
    return coded ? TextCodec::filter(stored) : stored;
}

// Reads one record from `rest` on; moves `rest` past it. False when the record cannot be read
// whole, leaving `row` undefined.
bool readRecord(QStringView& rest, bool central, QString& address, ListEntry& row)
{
    if (central) {
        const qsizetype end = rest.left(addressReach).indexOf(addressEnd);
        if (end >= 0) {
            address = rest.left(end).toString();
            rest = rest.mid(end + 1);
        }
        // A file whose server nobody named cannot be fetched.
        if (address.isEmpty())
            return false;
    }
    QStringView fields[fieldCount];
    for (QStringView& field : fields) {
        const qsizetype end = rest.indexOf(fieldEnd);
        if (end < 0)
            return false;
        field = rest.left(end);
        rest = rest.mid(end + 1);
    }
    row.caption = shown(fields[0], true);
    for (int i = 0; i < fieldCount - 1; ++i)
        row.sub[fieldSubs[i]] = shown(fields[i + 1], isCodedText(fieldSubs[i]));
    return true;
}

} // namespace

namespace SearchResults {

QString noAnswerText()
{
    return QStringLiteral("The server has not answered the search. It may be busy or no longer "
                          "running; please try again later.");
}

std::vector<ListEntry> parse(const QString& answer, bool central, const QString& server,
                             const std::function<void(int count)>& rowAdded)
{
    std::vector<ListEntry> rows;
    const qsizetype verbLength = Verb::SearchResults.size();
    if (answer.size() <= verbLength)
        return rows;
    QStringView rest = QStringView(answer).mid(verbLength);
    QString address;
    while (!rest.isEmpty() && int(rows.size()) < maxRows) {
        ListEntry row;
        if (!readRecord(rest, central, address, row))
            break;
        row.sub[ListEntry::ID] = QStringLiteral("remote");
        row.sub[ListEntry::Location] = (central ? address : server) + remoteMarker;
        row.sub[ListEntry::Played] = QStringLiteral("0");
        row.remote = true;
        rows.push_back(std::move(row));
        if (rowAdded)
            rowAdded(int(rows.size()));
    }
    return rows;
}

std::vector<ListEntry> shownRows(const QString& answer, bool central, const QString& server,
                                 const std::function<void(int count)>& rowAdded)
{
    std::vector<ListEntry> rows = parse(answer, central, server, rowAdded);
    sortByCaption(rows);
    return rows;
}

void sortByCaption(std::vector<ListEntry>& rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const ListEntry& a, const ListEntry& b) {
        return a.caption.compare(b.caption, Qt::CaseInsensitive) < 0;
    });
}

QString caption(bool central, const QString& server, const QString& artist, const QString& title)
{
    const QString from = central ? QStringLiteral("Central Tamboro Server") : server;
    return QStringLiteral("Internet Search Results from %1 for \"%2\" and \"%3\"")
        .arg(from, artist, title);
}

QStringList panels(int count)
{
    return {QStringLiteral("Results: %1").arg(count), QStringLiteral("(maximum %1)").arg(maxRows)};
}

QString remoteFileName(const ListEntry& row)
{
    return ShareCatalogue::wireText(TextCodec::reFilter(row.value(ListEntry::Filename)));
}

QString serverOf(const ListEntry& row)
{
    QString location = row.value(ListEntry::Location);
    if (location.endsWith(remoteMarker))
        location.chop(1);
    return location;
}

} // namespace SearchResults
