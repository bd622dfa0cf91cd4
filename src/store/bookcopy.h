#pragma once
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

// Moving a salon from its local book to a PostgreSQL server: the whole book copied into a
// database that holds no tables yet, checked before anything is committed.
namespace salon {

struct BookCopy
{
    qint64 rows = 0;                 // the rows copied, over all tables
    std::optional<QString> problem;  // why nothing was copied, in the program's words
};

// For tests: runs on the server's connection inside the copy's transaction, after the rows
// are in and before they are compared with the book.
using BeforeComparing = std::function<void(QSqlDatabase server)>;

// Copies the book at `bookPath` (which must be of the current version) into the empty
// database of libpq service `service`: makes the server's books there, reads the local book
// in one read transaction, keeps every row's number (record order and the position rules find
// the same rows), leaves the ticket's working cells at 0, and sets the journals' highest
// numbers from the book. Before committing, every table's row count and money sums (each value
// read as Currency on both sides) are compared; when anything differs, or a value of the book
// does not fit the server's column, nothing is written.
BookCopy copyBookTo(const QString &bookPath, const QString &service, const BeforeComparing &beforeComparing = {});

} // namespace salon
