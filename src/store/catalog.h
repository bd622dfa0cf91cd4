#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What the books hold, asked of either engine: tables, their columns with the types the book
// declares (INTEGER, TEXT, CURRENCY, SINGLE, DOUBLE, DATETIME, TIMESTAMP, SMALLINT, as the local file
// spells them) and their indexes. The server's hidden row number is not a column here, as
// the local file's rowid is not. Each throws StoreError when the engine fails.
namespace salon::catalog {

struct Column
{
    QString name;
    QString type;            // declared type, upper case
    bool numbersRows = false;   // the whole-number key that is also the row's number
};

// The table's own spelling of `name` (compared without regard to case); throws StoreError
// TableNotFound when the books have no such table.
QString tableNamed(QSqlDatabase db, const QString &name);
// The book's tables in the order they were made.
QStringList tables(QSqlDatabase db);
// A table's columns in order; empty when there is no such table.
std::vector<Column> columns(QSqlDatabase db, const QString &table);
// The quoted column list a "*" stands for.
QString starColumns(QSqlDatabase db, const QString &table);

// The number a new row of `table` gets on a server: one more than the highest it ever gave.
// Run it inside the write transaction that stores the row.
qint64 nextRowNumberOnServer(QSqlDatabase db, const QString &table);

struct Index
{
    QString column;      // its first column; empty when that is an expression
    bool noCase = false; // compared without regard to case
};
// The index of `table` named "<table>.<name>" or `name`, if there is one.
std::optional<Index> index(QSqlDatabase db, const QString &table, const QString &name);

} // namespace salon::catalog
