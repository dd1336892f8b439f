#pragma once

#include <QString>
#include <QStringList>

// Our statements are written in the dialect of the original desktop engine: string literals in
// double quotes without escapes, a statement as lines whose breaks count as blanks, and a table
// name that stands for a file of the home. SQLite reads double quotes as identifiers (so
// artist="title" would compare two columns), hence every statement is translated first.
struct DialectStatement
{
    QString sql;        // the text SQLite is given
    QStringList tables; // table files other than the song table it names, lower case
    // The same statement with each double-quoted value as a "?" parameter, and the values in
    // order: statements that differ only in their values share one compiled form.
    QString parameterizedSql;
    QStringList values;
};

namespace SqlDialect {

// Translates a statement:
// - a double-quoted literal becomes an SQLite string literal (single quotes inside doubled);
// - line breaks outside literals become blanks;
// - a table name other than tamboro after FROM, INTO, UPDATE or JOIN becomes "<name>.tamboro",
//   the song table inside the file <name>.db, and is listed in `tables`;
// - text columns named in an ORDER BY clause sort without regard to letter case, as the
//   original table's international sort order did.
// Throws EDatabaseError for an unterminated literal, for a double-quoted literal that runs
// straight into a word or another quote (the mark of a value that carried a double quote of
// its own), and for a second statement after a semicolon.
DialectStatement translate(const QString& text);

} // namespace SqlDialect
