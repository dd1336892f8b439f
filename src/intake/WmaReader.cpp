#include "intake/WmaReader.h"

#include "db/TrackLength.h"
#include "intake/AsfShape.h"
#include "platform/Errors.h"

#include <QFile>

#include <taglib/asffile.h>
#include <taglib/tfilestream.h>

namespace {

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromUtf8(text.toCString(true));
}

} // namespace

QString WmaReader::headerProblem(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return AsfShape::problem(file);
}

Song WmaReader::read(const QString& fileName)
{
    TagLib::FileStream stream(QFile::encodeName(fileName).constData(), true);
    if (!stream.isOpen())
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for reading").arg(fileName));
    TagLib::ASF::File file(&stream, true, TagLib::AudioProperties::Average);
    const TagLib::ASF::Properties* properties = file.audioProperties();
    TagLib::ASF::Tag* tag = file.tag();
    if (!file.isValid() || !properties || !tag)
        throw EInOutError(QStringLiteral("\"%1\" is not a WMA file").arg(fileName));
    Song song;
    song.artist = fromTagLib(tag->artist());   // Author
    song.title = fromTagLib(tag->title());     // Title
    song.album = fromTagLib(tag->album());     // WM/AlbumTitle
    song.comment = fromTagLib(tag->comment()); // Description
    song.genre = fromTagLib(tag->genre());     // WM/Genre
    song.trackLength = TrackLength::fromMilliseconds(properties->lengthInMilliseconds());
    // TagLib reports kbit/s already.
    song.bitrate = QString::number(properties->bitrate());
    song.frequency = QString::number(properties->sampleRate());
    return song;
}
