#include "intake/IntakeRun.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/TrackLength.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/FilenameRecognizer.h"
#include "intake/GenreLists.h"
#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "platform/Home.h"
#include "player/TMPEGPlayer.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/asffile.h>
#include <taglib/tfilestream.h>

namespace {

const QString addingText = QStringLiteral("Adding files to database...");
const QString recognizedComment = QStringLiteral("Tag filled in by Tamboro 3");
// The copy a name with a tilde is read from.
const QString tempCopyName = QStringLiteral("temp.mp3");
// The list caches that any change of the song table makes stale.
const char* const valueFiles[] = {"Albums.dat", "Artists.dat", "Genres.dat", "Mediums.dat",
                                  "Years.dat"};

// The file's own name without its folder. A POSIX path is split at its last "/" only (a colon
// is an ordinary character in a Linux file name); a Windows-style name keeps the backslash and
// colon rule.
QString namePart(const QString& fileName)
{
    const bool windowsStyle =
        fileName.contains(QLatin1Char('\\')) ||
        (fileName.size() >= 2 && fileName.at(0).isLetter() && fileName.at(1) == QLatin1Char(':'));
    if (!windowsStyle)
        return fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype cut =
        std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char(':')));
    return fileName.mid(cut + 1);
}

// The test that picks the reader: the MP3 reader for any name containing ".mp3" (letter case
// counts: "SONG.MP3" goes to the WMA reader and fails there), the WMA reader otherwise.
bool readAsMp3(const QString& fileName)
{
    return fileName.contains(QLatin1String(".mp3"));
}

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromUtf8(text.toCString(true));
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

// The state of one add run: the current-file fields, the two passes, the counters and the
// report, with the readers and the decoder that feed them. Lives on the thread of run().
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
    // The values of the file being handled, all text as the song table stores it (before
    // encoding).
    struct Current
    {
        QString fileName, artist, title, album, comment, genre, year, trackLength, bitrate,
            frequency;
    };

    void addFiles2DB(const QStringList& queue);
    void handleFile(const QString& fileName, int pass);
    bool readFile(const QString& fileName, bool rereadTildeNames);
    void readTag(const QString& fileName);
    void readWMA(const QString& fileName);
    void kringeltje(const QString& fileName, bool mp3);
    void recognize();
    void store();
    void badFile(const QString& fileName);
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

    Current m_current;
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
    figures.added = figures.total - figures.doubles - figures.bad;
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
    m_current.fileName = fileName;
    // A file that cannot be read is finished with its bad-file row: reading it again in the
    // second pass would only report it twice.
    if (!readFile(fileName, pass == 0))
        return;
    if (m_current.artist.isEmpty()) {
        if (pass == 0) {
            m_toAIM.append(fileName);
            return;
        }
        recognize();
    }
    store();
}

bool IntakeRun::Engine::readFile(const QString& fileName, bool rereadTildeNames)
{
    const bool mp3 = readAsMp3(fileName);
    // Without the decoder no MP3 file can be read, whatever the file: that is the program's
    // failure, reported as such (TMPEGError), not one bad file after another.
    if (mp3 && !m_player.loaded())
        m_player.loadLibrary();
    try {
        // Only a regular file can be a song; opening a pipe or a device would block the run.
        if (!QFileInfo(fileName).isFile())
            throw EInOutError(QStringLiteral("\"%1\" is not a file").arg(fileName));
        if (mp3)
            readTag(fileName);
        else
            readWMA(fileName);
        if (rereadTildeNames && namePart(fileName).contains(QLatin1Char('~')))
            kringeltje(fileName, mp3);
    } catch (const TamboroError&) {
        badFile(fileName);
        return false;
    }
    return true;
}

// ReadTag. The file is only read: its attributes and times stay as they are.
void IntakeRun::Engine::readTag(const QString& fileName)
{
    m_mp3Info.setArtist(QString());
    m_mp3Info.setTitle(QString());
    m_mp3Info.setAlbum(QString());
    m_mp3Info.setComment(QString());
    m_mp3Info.setYear(QString());
    m_mp3Info.setFilename(fileName); // reads the tag; throws EInOutError
    m_current.artist = m_mp3Info.artist();
    m_current.title = m_mp3Info.title();
    m_current.album = m_mp3Info.album();
    m_current.comment = m_mp3Info.comment();
    m_current.year = m_mp3Info.year();
    // Genre 12 is what a tag without a genre carries, and a file without a tag has none: both
    // get no genre rather than the genre of whatever file came before (recognition then gives
    // "Other" or the artist's genre).
    if (m_mp3Info.valid() && m_mp3Info.genreID() != TMP3Info::DefaultGenreID)
        m_current.genre = GenreLists::intake().value(m_mp3Info.genreID());
    else
        m_current.genre.clear();

    m_player.setStreamName(fileName);
    m_player.open();
    const int length = m_player.length();
    const int bitrate = m_player.bitrate();
    const int frequency = m_player.frequency();
    m_current.bitrate = QString::number(bitrate);
    m_current.frequency = QString::number(frequency);
    m_current.trackLength = TrackLength::fromMilliseconds(length); // >= 24 h: EConvertError
    m_player.close();
}

// ReadWMA, through TagLib's ASF reader, opened for reading only.
void IntakeRun::Engine::readWMA(const QString& fileName)
{
    TagLib::FileStream stream(QFile::encodeName(fileName).constData(), true);
    if (!stream.isOpen())
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for reading").arg(fileName));
    TagLib::ASF::File file(&stream, true, TagLib::AudioProperties::Average);
    const TagLib::ASF::Properties* properties = file.audioProperties();
    TagLib::ASF::Tag* tag = file.tag();
    if (!file.isValid() || !properties || !tag)
        throw EInOutError(QStringLiteral("\"%1\" is not a WMA file").arg(fileName));
    m_current.artist = fromTagLib(tag->artist());   // Author
    m_current.title = fromTagLib(tag->title());     // Title
    m_current.album = fromTagLib(tag->album());     // WM/AlbumTitle
    m_current.comment = fromTagLib(tag->comment()); // Description
    m_current.genre = fromTagLib(tag->genre());     // WM/Genre
    m_current.year.clear();
    m_current.trackLength = TrackLength::fromMilliseconds(properties->lengthInMilliseconds());
    // TagLib reports kbit/s already.
    m_current.bitrate = QString::number(properties->bitrate());
    m_current.frequency = QString::number(properties->sampleRate());
}

// Reads a file whose name has a tilde again, from a copy named "temp.mp3" in the home; the
// values of the copy replace those of the first read. The copy is read by the same reader as
// the file itself, so a WMA file stays a WMA file.
void IntakeRun::Engine::kringeltje(const QString& fileName, bool mp3)
{
    const QString copy = Home::file(m_home, tempCopyName);
    QFile::remove(copy);
    if (!QFile::copy(fileName, copy))
        throw EInOutError(QStringLiteral("Cannot copy \"%1\" to %2").arg(fileName, copy));
    try {
        if (mp3)
            readTag(copy);
        else
            readWMA(copy);
    } catch (...) {
        QFile::remove(copy);
        throw;
    }
    QFile::remove(copy);
}

// Artist, title and genre from the file's name (AIM), written back into the file's tag when
// that is possible.
void IntakeRun::Engine::recognize()
{
    const Recognition recognition =
        FilenameRecognizer::recognize(m_current.fileName, m_current.genre, m_database);
    m_current.artist = recognition.artist;
    m_current.title = recognition.title;
    m_current.genre = recognition.genre;
    if (recognition.full)
        ++m_result.figures.full;
    else
        ++m_result.figures.partial;

    m_mp3Info.setArtist(recognition.artist); // cut to the tag's width by the reader
    m_mp3Info.setTitle(recognition.title);
    m_mp3Info.setGenreID(quint8(FilenameRecognizer::recognizedGenreId(recognition.genre)));
    m_result.rows.append(
        {ReportRow::Recognized, recognition.artist, recognition.title, m_current.fileName});
    m_current.comment = recognizedComment;

    // Only the MP3 file the reader has just read, and only on a writable disk. The reader
    // keeps the album, year and comment it read, and refuses a file without a tag.
    if (readAsMp3(m_current.fileName) && m_mp3Info.filename() == m_current.fileName &&
        m_options.writableMedium) {
        try {
            m_mp3Info.save();
        } catch (const EInOutError&) {
            // A file that cannot be written keeps its old tag; the song is added all the same.
        }
    }
}

// The duplicate test, then the insert.
void IntakeRun::Engine::store()
{
    Song song;
    song.artist = TextCodec::reFilter(m_current.artist);
    song.title = TextCodec::reFilter(m_current.title);
    song.filename = TextCodec::reFilter(m_current.fileName);
    song.trackLength = m_current.trackLength;
    song.location = m_location;
    song.genre = m_current.genre;
    song.album = TextCodec::reFilter(m_current.album);
    song.bitrate = m_current.bitrate;
    song.frequency = m_current.frequency;
    song.comment = TextCodec::reFilter(m_current.comment);
    song.year = m_current.year;

    m_read.close();
    m_read.setSql(Statements::selectDuplicate(song.artist, song.title, song.trackLength,
                                              m_options.sameFilesFromDifferentMediums ? m_location
                                                                                      : QString()));
    m_read.open();
    const bool isDouble = !m_read.isEmpty();
    m_read.close();
    if (isDouble) {
        m_result.rows.append({ReportRow::Double, TextCodec::filter(song.artist),
                              TextCodec::filter(song.title), TextCodec::filter(song.filename)});
        ++m_result.figures.doubles;
        return;
    }

    // Genre and year go in as the tag has them; one with a double quote cannot be put into the
    // statement, and such a file is excluded instead of stopping the whole add.
    QString insert;
    try {
        insert = Statements::insertSong(song);
    } catch (const EDatabaseError&) {
        badFile(m_current.fileName);
        return;
    }
    m_update.setSql(insert);
    m_update.execSQL();
    m_result.inserted.append(song.filename);
}

void IntakeRun::Engine::badFile(const QString& fileName)
{
    m_result.rows.append({ReportRow::Bad, QString(), QString(), fileName});
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
