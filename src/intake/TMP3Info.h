#pragma once

#include "platform/LegacyText.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QFile;

// Reads and rewrites the ID3v1 tag of an MP3 file, the 128-byte block at its very end. Setting
// the file name reads the tag; save() writes the current values back over it. A file without a
// tag never gets one: tags are only ever rewritten in place. A file that also has an ID3v2 tag
// gets the saved values there too, so that players, which show that one, show the change.
//
// The text of the tag is in a single-byte code page: Windows-1252 unless the program has set
// another as the default, or the caller another for this reader.
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
    ~TMP3Info() override;

    const QString& filename() const { return m_filename; }
    // Stores the name and reads the file's tag. A read that finds no tag changes no value.
    void setFilename(const QString& filename);
    // The same read for a save that follows at once: the file stays open for writing until
    // the save, so that a run over thousands of files opens each once. Where the file cannot
    // be opened for writing it is read as setFilename() reads it, and save() then fails as it
    // would after that.
    void openForUpdate(const QString& filename);

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

    // Writes the current values into the tag of filename(), and the values set since the
    // last read into its ID3v2 tag when it has one (never creating one). Refused (valid() false,
    // error() set, onError()) unless the file exists, the last read found a tag, and the file still
    // ends in one; a refused save writes neither tag.
    void save();
    // Whether the last save() wrote the ID3v1 tag. When it threw all the same, the failure
    // was the ID3v2 tag's: the file's ID3v1 tag, the one the catalogue goes by, holds the new
    // values.
    bool version1Saved() const { return m_version1Saved; }

    // The code page of the tag's text for this reader; set before setFilename() to read in it.
    const SingleByteCodePage& codePage() const { return m_codePage; }
    void setCodePage(const SingleByteCodePage& codePage) { m_codePage = codePage; }

    // The code page every new reader starts with (the Options setting); Windows-1252 until set.
    // May be called from any thread.
    static SingleByteCodePage defaultCodePage();
    static void setDefaultCodePage(const SingleByteCodePage& codePage);

signals:
    void onChangeFile();
    void onChange();
    void onError();

private:
    void readTag(bool keepOpenForWriting);
    void recordError(const QString& text);

    QString m_filename;
    QString m_artist;
    QString m_title;
    QString m_album;
    QString m_year;
    QString m_comment;
    quint8 m_genreID = DefaultGenreID;
    bool m_valid = false;
    bool m_version1Saved = false;
    // Which values were set since the last read: only those go into an ID3v2 tag.
    enum Field : quint8 { Title = 1, Artist = 2, Album = 4, Year = 8, Comment = 16, Genre = 32 };
    quint8 m_set = 0;
    // The file openForUpdate() read, still open for reading and writing.
    std::unique_ptr<QFile> m_openFile;
    QString m_error;
    QByteArray m_tagIdentifier;
    SingleByteCodePage m_codePage;
};
