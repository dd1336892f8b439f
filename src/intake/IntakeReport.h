#pragma once

#include <QList>
#include <QString>

class QIODevice;

// One row of the add report: what happened to one file during an add run.
struct ReportRow
{
    // The row's picture, also its kind. The numbers are the picture indexes of the report.
    enum Picture {
        Double = 0,     // "File is double and has been excluded"
        Recognized = 1, // "File has been Artificially Recognized and has been added"
        Bad = 2,        // "File is corrupted or is not an MP3 file and has been excluded."
        // A double whose stored file is gone from where it was: the song now points to the
        // file found, keeping its ID and play count.
        Moved = 3,
    };

    Picture picture = Double;
    QString artist;   // decoded (shown as the user knows it)
    QString title;    // decoded
    QString fileName; // decoded full file name
    // Why a bad file was excluded, when it is not the file's content: the report shows it in
    // the place of the title, which a bad file's row has not.
    QString reason{};

    bool operator==(const ReportRow&) const = default;
};

// The statistics of an add run, as the report shows them.
struct IntakeFigures
{
    int added = 0;   // "Files added:" = total - doubles - bad - moved
    int doubles = 0; // "Double files:"
    int bad = 0;     // "Other excluded files:"
    int total = 0;   // "Total files:" (files queued when the add started)
    int full = 0;    // "Artificial intelligence full recognitions:"
    int partial = 0; // "Artificial intelligence partial recognitions:"
    int moved = 0;   // songs found again where their files were moved to

    bool operator==(const IntakeFigures&) const = default;
};

// The saved form of the report: one line per row, in row order.
namespace IntakeReport {

// "::DOUBLE FILE >>", "::AI RECOGNIZED >>" or "::BAD FILE!!! >>".
QString prefix(ReportRow::Picture picture);

// The prefix, then artist, " - ", title, ", ", file name (no line end). A bad file's row has
// an empty artist and title, so its line reads "::BAD FILE!!! >> - , /path/file.mp3"; one with a
// reason has it for its title.
QString reportLine(const ReportRow& row);

// Writes every row's line, each ended by a carriage return and a line feed, as UTF-8.
// Throws EInOutError when the device refuses the bytes.
void writeReport(QIODevice& device, const QList<ReportRow>& rows);

// Writes the report into the file `path`, replacing any file of that name; the old file stays
// as it was when the new one cannot be written completely. Throws EInOutError.
void saveReport(const QString& path, const QList<ReportRow>& rows);

} // namespace IntakeReport
