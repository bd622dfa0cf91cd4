#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The salon's book as CSV files for the accountant or a spreadsheet: one file per table,
// named after the table ("Payroll Records.csv"), RFC 4180 (quoted where needed, CRLF line
// ends), UTF-8, a header row of field names. Money has four decimals and '.' as decimal point,
// stored dates are written in ISO form (also the dates kept as m/d/yyyy text), empty fields stay
// empty. Password columns are left out. Text that a spreadsheet would take for a formula
// (starting with = + - @, a tab or a carriage return) gets a leading apostrophe.
namespace salon {

struct CsvExport
{
    QStringList files;   // the files written, in table order
    QString error;       // empty on success; otherwise names the file and the problem
};

// Reads the book at `bookPath` read-only in one consistent snapshot (a desk may have it open)
// and writes its tables into `folder`, which is created when missing (an empty name is refused,
// not taken as the current folder). Nothing is written when the book is missing or when any of
// the files already exists; a file left half-written by a failure is removed.
CsvExport exportCsv(const QString &bookPath, const QString &folder);

// The desk's books into `folder`: the local file's, or, on a server desk, the server's as this
// desk sees them (the ticket's cells its own), read in one snapshot.
CsvExport exportBooks(const QString &folder);

// Text as a spreadsheet should show it: one that starts like a formula (= + - @, a tab or a
// carriage return) gets a leading apostrophe. Numbers are never passed through this.
QString spreadsheetText(const QString &text);

// One field of a CSV record: quoted, with inner quotes doubled, when it holds a comma, a quote
// or a line break.
QString csvField(const QString &text);

} // namespace salon
