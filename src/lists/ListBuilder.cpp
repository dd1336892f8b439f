#include "lists/ListBuilder.h"

#include "db/RQuery.h"
#include "db/RecordFilter.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"

namespace {

bool allDigits(QStringView part)
{
    if (part.isEmpty() || part.size() > 9) // nine digits cannot overflow
        return false;
    for (QChar c : part)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

qint64 digitsValue(QStringView part)
{
    qint64 value = 0;
    for (QChar c : part)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

} // namespace

QString ListTime::text() const
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes).arg(seconds % 60);
}

QStringList ListBuildResult::panels() const
{
    return {
        QStringLiteral("Songs in list: ") + QString::number(songs),
        QStringLiteral("Songs playable: ") + QString::number(playable),
        QStringLiteral("List Time: ") + listTime.text(),
        QStringLiteral("Play Time: ") + playTime.text(),
    };
}

std::optional<qint64> trackLengthSeconds(const QString& trackLength)
{
    const QStringView text(trackLength);
    const qsizetype first = text.indexOf(QLatin1Char(':'));
    if (first < 0)
        return std::nullopt;
    const qsizetype second = text.indexOf(QLatin1Char(':'), first + 1);
    if (second < 0)
        return std::nullopt;
    const QStringView hours = text.first(first);
    const QStringView minutes = text.sliced(first + 1, second - first - 1);
    const QStringView seconds = text.sliced(second + 1);
    if (!allDigits(hours) || !allDigits(minutes) || !allDigits(seconds))
        return std::nullopt; // also catches a fourth part: its colon is no digit
    return digitsValue(hours) * 3600 + digitsValue(minutes) * 60 + digitsValue(seconds);
}

ListBuildResult buildList(RQuery& query, const QStringList& roots, const ListBuildOptions& options,
                          const std::function<void(int handled, int total)>& progress)
{
    ListBuildResult result;
    query.first();
    const int total = query.recordCount();
    if (progress)
        progress(0, total);
    result.rows.reserve(std::size_t(total));
    if (!options.userList)
        result.ids.reserve(total);

    QString previousAlbum;
    if (!query.eof())
        previousAlbum = TextCodec::filter(query.field(SongColumn::Album));

    for (; !query.eof(); query.next()) {
        ListEntry& entry = result.rows.emplace_back();
        entry.caption = TextCodec::filter(query.field(SongColumn::Artist));
        entry.sub[ListEntry::Title] = TextCodec::filter(query.field(SongColumn::Title));
        const QString length = query.field(SongColumn::Track_Length);
        entry.sub[ListEntry::Length] = length;

        bool available = false;
        entry.sub[ListEntry::Filename] = StoredPath::locate(
            TextCodec::filter(query.field(SongColumn::Filename)), roots, &available);
        entry.available = available;

        // A length that is not h:mm:ss counts as no time at all; the list goes on.
        const qint64 seconds = trackLengthSeconds(length).value_or(0);
        result.listTime.seconds += seconds;
        if (available) {
            result.playTime.seconds += seconds;
            ++result.playable;
        }

        QString album = TextCodec::filter(query.field(SongColumn::Album));
        if (album != previousAlbum)
            result.allOneAlbum = false;
        entry.sub[ListEntry::Album] = album;
        previousAlbum = std::move(album);

        entry.sub[ListEntry::Comment] = TextCodec::filter(query.field(SongColumn::Comment));
        entry.sub[ListEntry::Year] = query.field(SongColumn::SYear);
        entry.sub[ListEntry::Genre] = query.field(SongColumn::Genre);
        entry.sub[ListEntry::Frequency] = query.field(SongColumn::Frequency);
        entry.sub[ListEntry::Bitrate] = query.field(SongColumn::Bitrate);
        entry.sub[ListEntry::ID] = query.field(SongColumn::ID);
        entry.sub[ListEntry::Location] = query.field(SongColumn::Location);
        entry.sub[ListEntry::Played] = query.field(SongColumn::Played);

        if (!options.userList)
            result.ids.append(entry.sub[ListEntry::ID]);
        // A hidden row still counts in the status line.
        if (options.hideUnavailable && !available)
            result.rows.pop_back();

        ++result.songs;
        if (progress)
            progress(result.songs, total);
    }
    result.lastAlbum = previousAlbum;
    return result;
}

AlbumSwitch albumSwitch(const ListBuildResult& result, const QString& windowLastClickedColumn,
                        int savedColumnIndex, bool sortAlbums, bool sortAlbumsBack)
{
    const QLatin1String filename("Filename");
    if (result.allOneAlbum && !result.lastAlbum.isEmpty() && sortAlbums &&
        windowLastClickedColumn != filename)
        return AlbumSwitch::ToFilename;
    if (!result.allOneAlbum && windowLastClickedColumn == filename && sortAlbumsBack &&
        savedColumnIndex != 0)
        return AlbumSwitch::Back;
    return AlbumSwitch::None;
}

QString filterExpression(const QString& artist, const QString& title, const QString& album)
{
    struct Edit
    {
        const char* column;
        SongColumn songColumn;
        const QString& text;
    };
    const Edit edits[] = {
        {"artist", SongColumn::Artist, artist},
        {"title", SongColumn::Title, title},
        {"album", SongColumn::Album, album},
    };

    QString expression;
    QList<const Edit*> used;
    for (const Edit& edit : edits) {
        if (edit.text.isEmpty())
            continue;
        if (!expression.isEmpty())
            expression += QLatin1String(" and ");
        expression +=
            QLatin1String(edit.column) + QLatin1String(" = '") + edit.text + QLatin1String("*'");
        used.append(&edit);
    }

    // The filter language has no escape: a quote is taken literally unless what follows it
    // looks like the start of another term. Make sure the expression reads back as exactly the
    // typed texts, so that no text can change what the filter means.
    bool same = false;
    try {
        const RecordFilter parsed = RecordFilter::parse(expression);
        same = parsed.terms().size() == used.size();
        for (qsizetype i = 0; same && i < used.size(); ++i) {
            const RecordFilter::Term& term = parsed.terms().at(i);
            same = term.column == used[i]->songColumn && term.prefix &&
                   term.text == TextCodec::reFilter(used[i]->text);
        }
    } catch (const EDatabaseError&) {
        same = false;
    }
    if (!same)
        throw EDatabaseError(
            QStringLiteral("The filter cannot be used: a text with a quote followed by "
                           "\" and \" and a column name would read as a second condition (%1)")
                .arg(expression));
    return expression;
}

std::vector<int> columnWidths(const SettingsStore& settings)
{
    const auto shown = [&](const char* name, int width) {
        return settings.flag(QLatin1String(name)) ? width : 0;
    };
    return {
        shown(SettingsStore::ShowArtist, 170),   // Artist
        shown(SettingsStore::ShowArtist, 150),   // Title
        shown(SettingsStore::ShowLength, 75),    // Length
        shown(SettingsStore::ShowFilename, 340), // Filename
        shown(SettingsStore::ShowAlbum, 160),    // Album
        shown(SettingsStore::ShowComment, 160),  // Comment
        shown(SettingsStore::ShowYear, 60),      // Year
        shown(SettingsStore::ShowGenre, 80),     // Genre
        0,                                       // Frequency
        0,                                       // Bitrate
        0,                                       // ID
        0,                                       // Location
        shown(SettingsStore::ShowPlayed, 40),    // Pld.
    };
}
