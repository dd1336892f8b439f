#include "intake/IntakeRun.h"

#include "db/RQuery.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/StoredPath.h"
#include "db/TextCodec.h"
#include "db/TrackLength.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/AddQueue.h"
#include "intake/FilenameRecognizer.h"
#include "intake/GenreLists.h"
#include "intake/Id3v2Tag.h"
#include "intake/TMP3Info.h"
#include "intake/WmaReader.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "player/TMPEGError.h"
#include "player/TMPEGPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <optional>

namespace {

const QString addingText = QStringLiteral("Adding files to database...");
const QString recognizedComment = QStringLiteral("Tag filled in by Tamboro 3");
// The copy a name with a tilde is read from; the X's make it a name of its own.
const QString tempCopyTemplate = QStringLiteral("temp-XXXXXX.mp3");
// The list caches that any change of the song table makes stale.
const char* const valueFiles[] = {"Albums.dat", "Artists.dat", "Genres.dat", "Mediums.dat",
                                  "Years.dat"};

// The test that picks the reader: the MP3 reader for any name containing ".mp3" in any letter
// case ("SONG.MP3" from old media is as much an MP3 file as the folder scan says it is), the
// WMA reader otherwise.
bool readAsMp3(const QString& fileName)
{
    return fileName.contains(QLatin1String(".mp3"), Qt::CaseInsensitive);
}

bool copyContents(QFile& from, QFile& to)
{
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = from.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (to.write(buffer, got) != got)
            return false;
    }
}

// A reader's error as the reason of a bad file's row, which shows the file's name beside it.
QString reasonFrom(QString message, const QString& fileName)
{
    message.replace(QLatin1Char('"') + fileName + QLatin1Char('"'), QStringLiteral("the file"));
    if (!message.isEmpty())
        message[0] = message[0].toLower();
    return message;
}

} // namespace

QString mediumNameProblem(const QString& mediumName)
{
    if (mediumName.contains(QLatin1Char('"')))
        return QStringLiteral("The medium name %1 contains a double quote (\"), which cannot be "
                              "stored. Please choose another medium name.")
            .arg(mediumName);
    return QString();
}

// The state of one add run: the two passes, the counters and the report, with the readers and
// the decoder that feed them. A file's values travel from reader to store as a Song in plain
// form (not yet encoded). Lives on the thread of run().
class IntakeRun::Engine
{
public:
    Engine(SongDatabase& database, const QString& home, const IntakeOptions& options,
           const QString& location)
        : m_database(database)
        , m_home(home)
        , m_options(options)
        , m_location(location)
        , m_read(database)
        , m_update(database)
    {
        m_player.setObjectName(QStringLiteral("MPEGPlayer1"));
        m_player.setPathToDLL(options.libraryDir.isEmpty() ? home : options.libraryDir);
        m_mp3Info.setObjectName(QStringLiteral("MP3Info1"));
    }

    ~Engine() { unloadDecoder(); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    IntakeResult run(const QStringList& queue, const Progress& progress);

private:
    void addFiles2DB(const QStringList& queue);
    void handleFile(const QString& fileName, int pass);
    std::optional<Song> readFile(const QString& fileName, bool rereadTildeNames);
    // The readers give the tag and stream values of the file they read; the song's filename is
    // left to readFile, since the tilde copy is read under another name.
    Song readTag(const QString& fileName);
    Song kringeltje(const QString& fileName, bool mp3);
    Song recognize(Song song);
    void store(const Song& plain);
    QString movedSong(const QString& fileName);
    void badFile(const QString& fileName, const QString& reason);
    void unloadDecoder() noexcept;
    void showProgress(int position, int maximum, const QString& text) const
    {
        if (m_progress)
            m_progress(position, maximum, text);
    }

    SongDatabase& m_database;
    QString m_home;
    IntakeOptions m_options;
    QString m_location;
    RQuery m_read;
    UQuery m_update;
    TMP3Info m_mp3Info;
    TMPEGPlayer m_player;
    Progress m_progress;

    QStringList m_toAIM;
    IntakeResult m_result;
};

IntakeResult IntakeRun::Engine::run(const QStringList& queue, const Progress& progress)
{
    m_progress = progress;
    m_result.figures.total = int(queue.size());
    try {
        Transaction transaction(m_database);
        addFiles2DB(queue);
        // Rows of unreadable files never go in (see store()); the statement stays as the
        // safety net it always was.
        m_update.setSql(Statements::deleteBadFiles());
        m_update.execSQL();
        transaction.commit();
    } catch (...) {
        showProgress(0, 0, QString());
        throw;
    }
    unloadDecoder();

    IntakeFigures& figures = m_result.figures;
    figures.added = figures.total - figures.doubles - figures.bad - figures.moved;
    for (const char* name : valueFiles)
        QFile::remove(Home::file(m_home, QLatin1String(name)));
    showProgress(0, 0, QString());
    return m_result;
}

// First every queued file; the files whose tag gave no artist are put aside and handled in a
// second pass, with recognition from their names.
void IntakeRun::Engine::addFiles2DB(const QStringList& queue)
{
    QStringList pending = queue;
    for (int pass = 0; !pending.isEmpty(); ++pass) {
        const int maximum = int(pending.size());
        showProgress(0, maximum, addingText);
        for (int done = 0; done < maximum; ++done) {
            handleFile(pending.at(done), pass);
            showProgress(done + 1, maximum, addingText);
        }
        if (pass > 0)
            break; // recognition always gives an artist: nothing is put aside twice
        pending = m_toAIM;
        m_toAIM.clear();
    }
}

void IntakeRun::Engine::handleFile(const QString& fileName, int pass)
{
    // A file that cannot be read is finished with its bad-file row: reading it again in the
    // second pass would only report it twice.
    std::optional<Song> song = readFile(fileName, pass == 0);
    if (!song)
        return;
    if (song->artist.isEmpty()) {
        if (pass == 0) {
            m_toAIM.append(fileName);
            return;
        }
        song = recognize(std::move(*song));
    }
    store(*song);
}

// The file's song, or nothing when the file cannot be read (reported as bad).
std::optional<Song> IntakeRun::Engine::readFile(const QString& fileName, bool rereadTildeNames)
{
    const bool mp3 = readAsMp3(fileName);
    // Without the decoder no MP3 file can be read, whatever the file: that is the program's
    // failure, reported as such (TMPEGError), not one bad file after another.
    if (mp3 && !m_player.loaded())
        m_player.loadLibrary();
    // Names the song table cannot hold, or the system cannot open, are reported as such.
    if (AddQueue::isUndecodableName(fileName)) {
        badFile(fileName, QStringLiteral("the file name is not valid UTF-8 and cannot be stored"));
        return std::nullopt;
    }
    if (AddQueue::isTooLongForTheSystem(fileName)) {
        badFile(fileName, QStringLiteral("the path is longer than the system allows"));
        return std::nullopt;
    }
    try {
        // Only a regular file can be a song; opening a pipe or a device would block the run.
        const QFileInfo info(fileName);
        if (!info.exists()) {
            badFile(fileName, QStringLiteral("the file does not exist"));
            return std::nullopt;
        }
        if (!info.isFile()) {
            badFile(fileName, QStringLiteral("it is not a file but a folder, device or pipe"));
            return std::nullopt;
        }
        if (info.size() == 0) {
            badFile(fileName, QStringLiteral("the file is empty"));
            return std::nullopt;
        }
        if (!mp3) {
            const QString problem = WmaReader::headerProblem(fileName);
            if (!problem.isEmpty()) {
                badFile(fileName, problem);
                return std::nullopt;
            }
        }
        Song song = mp3 ? readTag(fileName) : WmaReader::read(fileName);
        if (rereadTildeNames && StoredPath::fileNamePart(fileName).contains(QLatin1Char('~')))
            song = kringeltje(fileName, mp3);
        song.filename = fileName;
        song.genre.replace(QLatin1Char('"'), QChar(doubleQuoteStandIn));
        song.year.replace(QLatin1Char('"'), QChar(doubleQuoteStandIn));
        return song;
    } catch (const TMPEGError& error) {
        // The decoder's fixed messages ("Input stream error") say little; what it found says why.
        badFile(fileName, error.detail().isEmpty() ? error.message() : error.detail());
        return std::nullopt;
    } catch (const TamboroError& error) {
        badFile(fileName, reasonFrom(error.message(), fileName));
        return std::nullopt;
    }
}

// ReadTag. The file is only read: its attributes and times stay as they are.
Song IntakeRun::Engine::readTag(const QString& fileName)
{
    m_mp3Info.setArtist(QString());
    m_mp3Info.setTitle(QString());
    m_mp3Info.setAlbum(QString());
    m_mp3Info.setComment(QString());
    m_mp3Info.setYear(QString());
    m_mp3Info.setFilename(fileName); // reads the tag; throws EInOutError
    Song song;
    song.artist = m_mp3Info.artist();
    song.title = m_mp3Info.title();
    song.album = m_mp3Info.album();
    song.comment = m_mp3Info.comment();
    song.year = m_mp3Info.year();
    // Genre 12 is what a tag without a genre carries, and a file without a tag has none: both
    // get no genre (recognition then gives "Other" or the artist's genre).
    if (m_mp3Info.valid() && m_mp3Info.genreID() != TMP3Info::DefaultGenreID)
        song.genre = GenreLists::intake().value(m_mp3Info.genreID());
    // Most files of today carry only an ID3v2 tag; their names need no guessing. An ID3v1 tag
    // without an artist would go to recognition, whose guess would then be written over the
    // ID3v2 tag's real artist: its empty fields are taken from an ID3v2 tag that has one.
    if (m_options.readId3v2Tags && (!m_mp3Info.valid() || song.artist.isEmpty())) {
        const std::optional<Id3v2Tag::Fields> tag = Id3v2Tag::read(fileName);
        if (tag && (!m_mp3Info.valid() || !tag->artist.isEmpty())) {
            const auto fill = [](QString& field, const QString& from) {
                if (field.isEmpty())
                    field = from;
            };
            fill(song.artist, tag->artist);
            fill(song.title, tag->title);
            fill(song.album, tag->album);
            fill(song.comment, tag->comment);
            fill(song.year, tag->year);
            fill(song.genre, tag->genre);
        }
    }

    m_player.setStreamName(fileName);
    m_player.open();
    const int length = m_player.length();
    const int bitrate = m_player.bitrate();
    const int frequency = m_player.frequency();
    song.bitrate = QString::number(bitrate);
    song.frequency = QString::number(frequency);
    song.trackLength = TrackLength::fromMilliseconds(length); // >= 24 h: EConvertError
    m_player.close();
    return song;
}

// Reads a file whose name has a tilde again, from a copy in the home; the values of the copy
// replace those of the first read. The copy is read by the same reader as the file itself, so a
// WMA file stays a WMA file. Each copy gets a name of its own, created exclusively: two runs on
// one home (the window and the CLI) never read or remove each other's copy.
Song IntakeRun::Engine::kringeltje(const QString& fileName, bool mp3)
{
    const QString folder = m_options.copyDir.isEmpty() ? m_home : m_options.copyDir;
    QTemporaryFile copy(QDir(folder).filePath(tempCopyTemplate));
    QFile source(fileName);
    if (!copy.open() || !source.open(QIODevice::ReadOnly) || !copyContents(source, copy) ||
        !copy.flush())
        throw EInOutError(
            QStringLiteral("Cannot copy \"%1\" to %2").arg(fileName, copy.fileTemplate()));
    source.close();
    copy.close(); // the file stays until `copy` goes
    return mp3 ? readTag(copy.fileName()) : WmaReader::read(copy.fileName());
}

// Artist, title and genre from the file's name (AIM), written back into the file's tag when
// that is possible. The song's genre, as the tag gave it, goes into the recognition.
Song IntakeRun::Engine::recognize(Song song)
{
    const Recognition recognition =
        FilenameRecognizer::recognize(song.filename, song.genre, m_database);
    song.artist = recognition.artist;
    song.title = recognition.title;
    song.genre = recognition.genre;
    if (recognition.full)
        ++m_result.figures.full;
    else
        ++m_result.figures.partial;

    m_mp3Info.setArtist(recognition.artist); // cut to the tag's width by the reader
    m_mp3Info.setTitle(recognition.title);
    m_mp3Info.setGenreID(quint8(FilenameRecognizer::recognizedGenreId(recognition.genre)));
    m_result.rows.append(
        {ReportRow::Recognized, recognition.artist, recognition.title, song.filename});
    song.comment = recognizedComment;

    // Only the MP3 file the reader has just read, and only on a writable disk. The reader
    // keeps the album, year and comment it read, and refuses a file without a tag.
    if (readAsMp3(song.filename) && m_mp3Info.filename() == song.filename &&
        m_options.writableMedium) {
        try {
            m_mp3Info.save();
        } catch (const EInOutError&) {
            // A file that cannot be written keeps its old tag; the song is added all the same.
        }
    }
    return song;
}

// The duplicate test, then the insert.
void IntakeRun::Engine::store(const Song& plain)
{
    Song song = plain.storedForm();
    song.location = m_location;

    m_read.close();
    m_read.setSql(Statements::selectDuplicate(song.artist, song.title, song.trackLength,
                                              m_options.sameFilesFromDifferentMediums ? m_location
                                                                                      : QString()));
    m_read.open();
    const bool isDouble = !m_read.isEmpty();
    const QString movedId = isDouble ? movedSong(plain.filename) : QString();
    m_read.close();
    if (!movedId.isEmpty()) {
        m_update.setSql(Statements::updateMoved(movedId, song.filename, m_location));
        m_update.execSQL();
        m_result.rows.append({ReportRow::Moved, plain.artist, plain.title, plain.filename});
        ++m_result.figures.moved;
        return;
    }
    if (isDouble) {
        m_result.rows.append({ReportRow::Double, TextCodec::filter(song.artist),
                              TextCodec::filter(song.title), TextCodec::filter(song.filename)});
        ++m_result.figures.doubles;
        return;
    }

    // A value the statement cannot carry (readFile has replaced the double quotes of genre and
    // year already) excludes the file instead of stopping the whole add.
    QString insert;
    try {
        insert = Statements::insertSong(song);
    } catch (const EDatabaseError& error) {
        badFile(plain.filename, reasonFrom(error.message(), plain.filename));
        return;
    }
    m_update.setSql(insert);
    m_update.execSQL();
    m_result.inserted.append(song.filename);
}

// The ID of the song that `fileName` is when the doubles the read query holds say it was moved
// there: one of them, on this run's medium, names a file that is no longer where it was, and no
// double names a file that is there (that would be a copy, a real double). A row without a file
// name was never found anywhere and is no moved song. Empty otherwise.
QString IntakeRun::Engine::movedSong(const QString& fileName)
{
    QString moved;
    for (m_read.first(); !m_read.eof(); m_read.next()) {
        const QString stored = TextCodec::filter(m_read.field(SongColumn::Filename));
        if (stored == fileName || QFileInfo::exists(stored))
            return QString();
        if (moved.isEmpty() && !stored.isEmpty() &&
            m_read.field(SongColumn::Location) == m_location)
            moved = m_read.field(SongColumn::ID);
    }
    return moved;
}

void IntakeRun::Engine::badFile(const QString& fileName, const QString& reason)
{
    m_result.rows.append({ReportRow::Bad, QString(), QString(), fileName, reason});
    ++m_result.figures.bad;
}

void IntakeRun::Engine::unloadDecoder() noexcept
{
    try {
        if (m_player.loaded())
            m_player.unloadLibrary();
    } catch (const TamboroError&) {
        // The songs are stored whatever the library says on its way out.
    }
}

IntakeRun::IntakeRun(SongDatabase& database, QString home, IntakeOptions options)
    : m_database(database)
    , m_home(std::move(home))
    , m_options(std::move(options))
{}

IntakeRun::~IntakeRun() = default;

QString IntakeRun::location() const
{
    return m_options.mediumName + m_options.marker;
}

IntakeResult IntakeRun::run(const QStringList& queue, const Progress& progress)
{
    const QString problem = mediumNameProblem(m_options.mediumName);
    if (!problem.isEmpty())
        throw EConvertError(problem);
    Engine engine(m_database, m_home, m_options, location());
    return engine.run(queue, progress);
}
