#pragma once

#include "intake/IntakeReport.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SongDatabase;

// How an add run stores its files.
struct IntakeOptions
{
    // Medium name (Edit3); together with the marker it is the Location of every song added.
    // Must not contain a double quote (see mediumNameProblem).
    QString mediumName;
    // '!' hard disk, '@' changeable medium (CD, full or not ready), 'R' network share.
    QChar marker = QLatin1Char('!');
    // RadioButton2: the medium is a writable disk, so recognised tags are saved into MP3
    // files that have a tag.
    bool writableMedium = true;
    // CheckBox1 "Add same files from different mediums": when true the duplicate test also
    // compares the location, so the same song from another medium goes in.
    bool sameFilesFromDifferentMediums = true;
    // "Read ID3v2 tags when a file has no ID3v1 tag": an MP3 file without an ID3v1 tag takes
    // artist, title, album, comment, year and genre from its ID3v2 tag, when it has one,
    // instead of going to recognition from its file name. An ID3v1 tag without an artist
    // counts as none when the ID3v2 tag has one: its empty fields are filled from there.
    bool readId3v2Tags = true;
    // Folder holding the decoder library "mpegdll.so"; empty means the home.
    QString libraryDir;
    // Folder for the temporary copies of names with a tilde; empty means the home.
    QString copyDir;
};

// What an add run did.
struct IntakeResult
{
    QList<ReportRow> rows; // in the order things happened
    IntakeFigures figures;
    QStringList inserted; // ListBox1: the stored (encoded) file names of the rows inserted
};

// What a double quote in a tag's genre or year is stored as: "”" (right double quotation mark).
// Our statements' literals cannot hold a double quote, and the other statements that take a
// genre or a year (lists by parameters, the tag editor) could not use a stored one either; the
// stand-in reads the same to a person and is neither a quote of the statements nor an
// apostrophe.
inline constexpr char16_t doubleQuoteStandIn = u'\u201D';

// The message for a medium name that cannot be stored, empty when it can. A double quote would
// end the location's literal in the statements.
QString mediumNameProblem(const QString& mediumName);
inline bool validMediumName(const QString& mediumName)
{
    return mediumNameProblem(mediumName).isEmpty();
}

// The add loop (AddFiles2DB) with its readers (ReadTag for MP3, ReadWMA for WMA, Kringeltje for
// names with a tilde) and the hand-over to filename recognition for files without an artist.
//
// Every file is read; the song table gets one row per song it does not hold yet. Files that
// cannot be read are reported as bad and never stored. ID3v1 text is read in the code page
// TMP3Info has as its default. Files are not changed, except that a
// recognised artist, title and genre are written into the tag of an MP3 file that has one,
// when the medium is writable.
class IntakeRun
{
public:
    // Gauge1: position and maximum of the bar, and its text. Called at the start of each pass
    // (position 0) and after each file; a final call with maximum 0 and an empty text hides it.
    using Progress = std::function<void(int position, int maximum, const QString& text)>;

    // `home`: where the value files and the temporary copies of names with a tilde live.
    IntakeRun(SongDatabase& database, QString home, IntakeOptions options);
    ~IntakeRun();
    IntakeRun(const IntakeRun&) = delete;
    IntakeRun& operator=(const IntakeRun&) = delete;

    // Adds the files of `queue` (full names, in order) and returns the report. All statements
    // of the run form one transaction. Throws EConvertError for a medium name that cannot be
    // stored (nothing done); EDatabaseError when the engine refuses a statement, and TMPEGError
    // when an MP3 file comes and the decoder library cannot be loaded: the run stops and the
    // song table is left as it was. Runs on the thread that made the SongDatabase; it need not
    // be the GUI thread.
    IntakeResult run(const QStringList& queue, const Progress& progress = {});

    // The location stored for the songs of this run: medium name + marker.
    QString location() const;

private:
    class Engine;
    SongDatabase& m_database;
    QString m_home;
    IntakeOptions m_options;
};
