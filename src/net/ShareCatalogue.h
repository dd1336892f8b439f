#pragma once

#include <QString>

#include <memory>
#include <optional>

class QFile;
class SongDatabase;

// What the personal sharing server offers of this home's song table: the records of a search,
// and the one test every file request passes before a byte is sent.
//
// Values travel in the form the song table stores them (TextCodec), except for one character:
// every field of a record ends with "|", while the stored form writes each coded character as
// "|1".."|7" (an apostrophe is "|1"). On the wire each stored "|" is therefore a back-quote
// "`", which the stored form never holds as itself (the codec writes it as "|6"); storedText()
// turns a received field back into the stored form, so the file name of a record, sent back
// in a request, names the row exactly.
//
// Only songs on a hard disk (location marker "!") whose file is there now are offered: the
// stored name, decoded, must be an absolute, clean path ("." and ".." steps are refused) of a
// regular file, and the file itself must not be a symbolic link. A link could be swapped in
// by anyone who may write the music folder and would hand out whatever it points at; links
// among the folders above the file are followed, as music often sits behind a linked folder
// the owner made.
//
// Uses the connection on the calling thread only, like SongDatabase itself.
class ShareCatalogue
{
public:
    // The reply's verb, and the most a framed message can carry (its length has four digits).
    static constexpr char resultVerb[] = "SEARCHRES$";
    static constexpr qsizetype maxMessageBytes = 9999;
    static constexpr qsizetype defaultRecordBudget =
        maxMessageBytes - qsizetype(sizeof(resultVerb) - 1);
    static constexpr int maxRecords = 50;

    explicit ShareCatalogue(SongDatabase& database);

    struct Answer
    {
        QString records; // the text after the verb: no separator between records
        int count = 0;
    };
    // The records of at most maxRecords playable hard-disk songs whose artist and title
    // contain `artist` and `title` (as typed, in any letter case; an empty text matches every
    // song), in artist and title order. Each record is ten fields, each ended by "|": artist,
    // title, length, file name, album, comment, year, genre, frequency, bitrate. Records are
    // added while their UTF-8 bytes stay within `byteBudget`; the first that would go beyond
    // it ends the answer. Throws EDatabaseError when the table cannot be read.
    Answer search(const QString& artist, const QString& title,
                  qsizetype byteBudget = defaultRecordBudget) const;

    // The path on this computer of the file a request names, or nothing when it may not be
    // sent: `name` (a record's file name as sent) must be exactly the stored file name of a
    // hard-disk song, and its file must be offerable (see above) now. Never throws for a bad
    // name; throws EDatabaseError when the table cannot be read.
    std::optional<QString> servableFile(const QString& name) const;

    // servableFile(), with the file opened for reading in the same step: the open does not
    // follow a link and refuses anything but a regular file, so a file swapped after the
    // check is not sent. Null when refused or when the file cannot be opened.
    std::unique_ptr<QFile> openServable(const QString& name) const;

    // A stored value as a record field carries it, and back.
    static QString wireText(const QString& stored);
    static QString storedText(const QString& wire);

private:
    SongDatabase& m_database;
};
