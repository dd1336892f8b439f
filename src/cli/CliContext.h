#pragma once

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTextStream>

// What every command of the command-line program gets: the home folder and the two streams.
struct CliContext
{
    QString home;
    QTextStream& out;
    QTextStream& err;
};

// One output record: named fields in a fixed order. Printed either as one JSON object on one
// line, or as "name: value" lines followed by an empty line.
class CliRecord
{
public:
    CliRecord& add(const QString& name, const QJsonValue& value);
    // Prints the record and flushes, so that a reader sees each record as it is made.
    void print(QTextStream& out, bool json) const;

private:
    QList<QPair<QString, QJsonValue>> m_fields;
};

// Appends `text` as a JSON string, byte for byte as QJsonDocument writes it, without building
// a JSON value: for output of many records.
void appendJsonString(QString& line, const QString& text);

// Splits the arguments of a command into options and plain arguments. Options named in
// `valued` take the next argument as their value; options named in `flags` take none.
// Throws CliUsageError for an unknown option or a missing value.
struct CliArgs
{
    QStringList positional;
    QList<QPair<QString, QString>> options; // in the order given
    bool has(const QString& name) const;
    QString value(const QString& name) const;
};

class CliUsageError
{
public:
    explicit CliUsageError(QString text)
        : m_text(std::move(text))
    {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

CliArgs parseCliArgs(const QStringList& args, const QStringList& flags, const QStringList& valued);

// The seconds of "--wait" (`fallback` when not given); a usage error unless a whole number
// above 0. Capped at what a timer can count in milliseconds.
int waitSecondsOption(const CliArgs& parsed, int fallback);

// What to say of a path given on the command line that names no file. A name typed in bytes
// that are not UTF-8 reaches the program with replacement characters: it may well name a
// file, but not one the program can open by that name, and the user is told so.
QString missingPathText(const QString& path);

class SongDatabase;

// The IDs of "--ids 3,17,42"; throws CliUsageError for a part that is no number.
QStringList cliIdList(const QString& list);
// Throws CliUsageError unless `sql` is a select statement: commands choose songs with it and
// must not change anything through it.
void cliRequireSelect(const QString& sql);
// The IDs of the songs of a select statement, in its order.
QStringList cliQueryIds(SongDatabase& database, const QString& sql);
