#include "intake/TMP3Info.h"

#include "intake/GenreLists.h"
#include "intake/Id3v1Block.h"
#include "intake/Id3v2Tag.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <memory>
#include <optional>
#include <type_traits>

namespace {

const QString missingFileText = QStringLiteral("File doesn`t exist !");
const QString noTagText = QStringLiteral("Wrong file format !");
const QString refusedSaveText = QStringLiteral("File doesn`t exist or is not valid !");

// Directories, devices and pipes count as missing: only a regular file can carry a tag, and
// opening a pipe would block.
bool fileExists(const QString& name)
{
    return !name.isEmpty() && QFileInfo(name).isFile();
}

void openOrThrow(QFile& file, QIODevice::OpenMode mode)
{
    if (!file.open(mode | QIODevice::Unbuffered))
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for %2: %3")
                              .arg(file.fileName(),
                                   mode & QIODevice::WriteOnly ? QStringLiteral("writing")
                                                               : QStringLiteral("reading"),
                                   file.errorString()));
}

// The program's choice of code page: set by the GUI thread, read wherever a reader is made.
QMutex defaultCodePageMutex;
SingleByteCodePage& defaultCodePageValue()
{
    static SingleByteCodePage page;
    return page;
}

} // namespace

TMP3Info::TMP3Info(QObject* parent)
    : QObject(parent)
    , m_codePage(defaultCodePage())
{}

SingleByteCodePage TMP3Info::defaultCodePage()
{
    const QMutexLocker lock(&defaultCodePageMutex);
    return defaultCodePageValue();
}

void TMP3Info::setDefaultCodePage(const SingleByteCodePage& codePage)
{
    const QMutexLocker lock(&defaultCodePageMutex);
    defaultCodePageValue() = codePage;
}

QString TMP3Info::genre() const
{
    return GenreLists::component().value(m_genreID);
}

void TMP3Info::setFilename(const QString& filename)
{
    m_filename = filename;
    m_openFile.reset();
    readTag(false);
}

void TMP3Info::openForUpdate(const QString& filename)
{
    m_filename = filename;
    m_openFile.reset();
    readTag(true);
}

TMP3Info::~TMP3Info() = default;

void TMP3Info::readTag(bool keepOpenForWriting)
{
    m_valid = true;
    m_set = 0;
    if (!fileExists(m_filename)) {
        recordError(missingFileText);
        return;
    }

    QByteArray block;
    try {
        // Reading only ever reads: a read-only file or medium must stay readable, and reading
        // must not touch the file's modification time. Only a read for an update opens the
        // file for writing too, and reads as a plain read where it cannot.
        auto file = std::make_unique<QFile>(m_filename);
        if (!keepOpenForWriting || !file->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            openOrThrow(*file, QIODevice::ReadOnly);
        block = Id3v1Block::readTagBlock(*file, m_filename);
        if (file->openMode() & QIODevice::WriteOnly)
            m_openFile = std::move(file);
    } catch (const EInOutError& e) {
        // The values in memory belong to another file now; a save must not put them here.
        recordError(e.message());
        throw;
    }

    m_tagIdentifier = Id3v1Block::identifier(block);
    if (!Id3v1Block::hasTag(block)) {
        m_openFile.reset();
        recordError(noTagText);
        return;
    }

    const Id3v1Block::Fields fields = Id3v1Block::parse(block, m_codePage);
    m_title = fields.title;
    m_artist = fields.artist;
    m_album = fields.album;
    m_comment = fields.comment;
    m_year = fields.year;
    m_genreID = fields.genreID > MaxGenreID ? DefaultGenreID : fields.genreID;
    emit onChangeFile();
}

void TMP3Info::save()
{
    m_version1Saved = false;
    if (!fileExists(m_filename) || !m_valid) {
        recordError(refusedSaveText);
        return;
    }

    Id3v1Block::Fields fields;
    fields.title = m_title;
    fields.artist = m_artist;
    fields.album = m_album;
    fields.year = m_year;
    fields.comment = m_comment;
    fields.genreID = m_genreID;
    const QByteArray block = Id3v1Block::build(fields, m_codePage);

    // The file kept open by openForUpdate() is used once; a second save opens it again.
    std::unique_ptr<QFile> kept = std::move(m_openFile);
    QFile local(m_filename);
    QFile& file = kept ? *kept : local;
    if (!kept)
        openOrThrow(file, QIODevice::ReadWrite);
    if (!Id3v1Block::writeTagBlock(file, block, m_filename)) {
        // The file no longer ends in a tag (replaced since the read): its last bytes are audio.
        file.close();
        recordError(refusedSaveText);
        return;
    }
    const bool mayHaveVersion2 = !Id3v2Tag::startsWithAudio(file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Cannot write the tag of \"%1\": %2")
                              .arg(m_filename, file.errorString()));
    m_version1Saved = true;
    if (!mayHaveVersion2)
        return;

    Id3v2Tag::Mirror mirror;
    const auto ifSet = [this](Field field, const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        return m_set & field ? std::optional<Value>(value) : std::nullopt;
    };
    mirror.title = ifSet(Title, m_title);
    mirror.artist = ifSet(Artist, m_artist);
    mirror.album = ifSet(Album, m_album);
    mirror.comment = ifSet(Comment, m_comment);
    mirror.year = ifSet(Year, m_year);
    if (m_set & Genre)
        mirror.genreID = m_genreID;
    mirror.codePage = m_codePage;
    Id3v2Tag::mirror(m_filename, mirror);
}

void TMP3Info::setArtist(const QString& artist)
{
    m_artist = Id3v1Block::cut(artist, Id3v1Block::TextWidth);
    m_set |= Artist;
    emit onChange();
}

void TMP3Info::setTitle(const QString& title)
{
    m_title = Id3v1Block::cut(title, Id3v1Block::TextWidth);
    m_set |= Title;
    emit onChange();
}

void TMP3Info::setAlbum(const QString& album)
{
    m_album = Id3v1Block::cut(album, Id3v1Block::TextWidth);
    m_set |= Album;
    emit onChange();
}

void TMP3Info::setYear(const QString& year)
{
    m_year = Id3v1Block::cut(year, Id3v1Block::YearWidth);
    m_set |= Year;
    emit onChange();
}

void TMP3Info::setComment(const QString& comment)
{
    m_comment = Id3v1Block::cut(comment, Id3v1Block::TextWidth);
    m_set |= Comment;
    emit onChange();
}

void TMP3Info::setGenreID(quint8 genreID)
{
    m_genreID = genreID;
    m_set |= Genre;
    emit onChange();
}

void TMP3Info::recordError(const QString& text)
{
    m_valid = false;
    m_error = text;
    emit onError();
}
