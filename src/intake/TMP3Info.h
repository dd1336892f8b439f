#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Reads and rewrites the ID3v1 tag of an MP3 file, the 128-byte block at its very end. Setting
// the file name reads the tag; save() writes the current values back over it. A file without a
// tag never gets one: tags are only ever rewritten in place.
//
// Missing files, missing tags and refused saves are reported through valid(), error() and
// onError(). Real input/output failures (a file shorter than a tag, a file that cannot be
// opened, a short read or write) throw EInOutError.
class TMP3Info : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString filename READ filename WRITE setFilename NOTIFY onChangeFile)
    Q_PROPERTY(QString artist READ artist WRITE setArtist NOTIFY onChange)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY onChange)
    Q_PROPERTY(QString album READ album WRITE setAlbum NOTIFY onChange)
    Q_PROPERTY(QString year READ year WRITE setYear NOTIFY onChange)
    Q_PROPERTY(QString comment READ comment WRITE setComment NOTIFY onChange)
    Q_PROPERTY(QString genre READ genre NOTIFY onChange)
    Q_PROPERTY(quint8 genreID READ genreID WRITE setGenreID NOTIFY onChange)
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(QString error READ error NOTIFY onError)

public:
    static constexpr quint8 DefaultGenreID = 12;
    static constexpr quint8 MaxGenreID = 114;

    explicit TMP3Info(QObject* parent = nullptr);

    const QString& filename() const { return m_filename; }
    // Stores the name and reads the file's tag. A read that finds no tag changes no value.
    void setFilename(const QString& filename);

    const QString& artist() const { return m_artist; }
    const QString& title() const { return m_title; }
    const QString& album() const { return m_album; }
    const QString& year() const { return m_year; }
    const QString& comment() const { return m_comment; }
    quint8 genreID() const { return m_genreID; }
    // The name of genreID() in GenreLists::component(); empty when the number lies beyond it.
    QString genre() const;

    // Each cuts the value to its field's width (30 characters, 4 for the year) and fires
    // onChange(). None touches the file.
    void setArtist(const QString& artist);
    void setTitle(const QString& title);
    void setAlbum(const QString& album);
    void setYear(const QString& year);
    void setComment(const QString& comment);
    void setGenreID(quint8 genreID);

    bool valid() const { return m_valid; }
    const QString& error() const { return m_error; }
    // The first three bytes of the block last read ("TAG" when it had a tag).
    const QByteArray& tagIdentifier() const { return m_tagIdentifier; }

    // Writes the current values into the tag of filename(). Refused (valid() false, error()
    // set, onError()) unless the file exists, the last read found a tag, and the file still
    // ends in one.
    void save();

signals:
    void onChangeFile();
    void onChange();
    void onError();

private:
    void readTag();
    void recordError(const QString& text);

    QString m_filename;
    QString m_artist;
    QString m_title;
    QString m_album;
    QString m_year;
    QString m_comment;
    quint8 m_genreID = DefaultGenreID;
    bool m_valid = false;
    QString m_error;
    QByteArray m_tagIdentifier;
};
