#pragma once
#include <QDate>
#include <QSqlDatabase>
#include <QString>

// A verified copy of the salon's book, made when a day is closed. The copy is written to a
// temporary file in backups/ of the data folder, checked with SQLite's integrity check, and
// only then renamed to Employee-YYYY-MM-DD.db (replacing that day's earlier copy). The newest
// `keep` day copies are kept, always with the one just made among them; temporary files left
// by a backup that was cut short are removed. Folder and files are readable by the user alone.
//
// To restore: close Velorine and copy a backup over Employee.db.
//
// A server desk's copy is the salon's database as pg_dump writes it (custom format), in
// backups/<database>-YYYY-MM-DD.dump, checked with pg_restore --list; 30 are kept the same way.
// To restore: pg_restore --clean -d <database> <file> with every desk closed.
namespace salon {

QString backupFolder();
QString backupFileName(QDate day);

struct BackupResult
{
    QString path;      // the verified copy, when it was made
    QString failure;   // why there is none, in the user's words; empty on success
    bool ok() const { return failure.isEmpty(); }
};

// Copies the open book (without disturbing its connection) and verifies the copy.
BackupResult backUpBook(QDate day, int keep = 30);

// The verified copy itself: the book that `source` is connected to, copied into backups/ under
// `fileName` (an earlier file of that name is replaced). Nothing is pruned; the copy made before
// a book is brought up to a new version goes this way, under a name the day copies never take.
BackupResult copyBook(QSqlDatabase source, const QString &fileName);

// A server's books: the database of libpq service `service` dumped by pg_dump (custom format)
// into backups/`fileName` (made readable by the user alone), checked with pg_restore --list,
// then renamed into place. Nothing is pruned.
BackupResult dumpServer(const QString &service, const QString &fileName);
// The name of the database a server connection is on. Throws StoreError.
QString serverDatabaseName(QSqlDatabase db);

// The integrity check of a copy: empty text when sound, else what SQLite found.
QString checkCopy(const QString &path);

} // namespace salon
