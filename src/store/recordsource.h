#pragma once
#include "recordfield.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// What a record set reads: a table named plainly, in brackets or in double quotes, or a
// SELECT over one table (its rows are that table's rows, so they can be read by key and
// written); anything else is read once as a read-only snapshot.
//
// Screens that pick rows by a value (a grid following its master) build the source from its
// parts, the condition with `?` placeholders and the values bound to them, and re-point it
// with new values; no value ever enters the query text:
//     RecordSource::select(db, "Payroll Records", "[RecordID],[TodayEarn]", "[EmployeeID] = ?", {7})
struct RecordSource
{
    QString table;       // the table's name as the file spells it; empty for a snapshot
    QString columns;     // select list ("*" for a table)
    QString where;       // condition of the query, without WHERE; may hold `?` placeholders
    QVariantList values; // bound to the condition's placeholders, in order
    bool isTable = false;

    // Splits a source text; the table is looked up in the file unless `known` already names it
    // under the same spelling. Throws StoreError when the table does not exist.
    static RecordSource parse(QSqlDatabase db, const QString &text, const RecordSource *known = nullptr);

    // The rows of `table` (as any text spells it) that meet `condition` with `values` bound.
    // Throws StoreError when the table does not exist.
    static RecordSource select(QSqlDatabase db, const QString &table, const QString &columns,
                               const QString &condition = {}, const QVariantList &values = {});

    // The query text of the source, placeholders kept (for messages and snapshots).
    QString text() const;

    bool sameRowsAs(const RecordSource &other) const
    {
        return !table.isEmpty() && table == other.table && columns == other.columns;
    }

    QString spelledTable;   // the table as the text wrote it, without brackets
};

// A key to bind in a condition: the whole number `value` holds, or null (which matches no row),
// so an unreadable master row picks no detail rows.
QVariant wholeNumberOrNull(const QVariant &value);

// The fields of a table or SELECT source, with the kinds their columns declare.
std::vector<RecordField> readFields(QSqlDatabase db, const RecordSource &source, const QString &text);

// A name in SQL double quotes.
QString quotedName(const QString &name);

// The first column of every row of a query, as whole numbers (the keys of a record set).
// Reads through SQLite directly when the connection allows it: a million keys take a few tens
// of milliseconds instead of a few hundred through QSqlQuery. Throws StoreError.
std::vector<qint64> readKeyColumn(QSqlDatabase db, const QString &sql);

// The row readRowsDirect stands on: its columns as QSqlQuery would give them (whole numbers,
// doubles, text, bytes; null as a null variant).
class DirectRow
{
public:
    explicit DirectRow(void *statement) : m_statement(statement) {}
    QVariant value(int column) const;
    qint64 integer(int column) const;

private:
    void *m_statement;
};

// Runs a query prepared through QSqlQuery with `values` bound to its placeholders straight on
// SQLite and hands each row to `row`, at a fraction of QSqlQuery's cost per row. False when
// the connection is not SQLite's (run the query itself then). Throws StoreError.
bool readRowsDirect(QSqlDatabase db, QSqlQuery &prepared, const QVariantList &values,
                    const std::function<void(const DirectRow &row)> &row);
