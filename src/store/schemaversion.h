#pragma once
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The versions of the salon's book. A book records the version of its layout in SQLite's
// user_version; books made before versions were recorded hold 0 there and are version 1. (A
// server book keeps the same number in a one-row table.) A new book is made at bookVersion.
//
// At start, before anything is written, the book is looked at read-only: a newer book, or one
// that lacks a table or column the program reads, is refused and left untouched. An older one
// is copied into backups/ (verified), then brought up to date by the upgrade steps in one
// transaction; when anything fails the book is left as it was.
namespace salon {

// The version this program reads and makes.
constexpr int bookVersion = 4;

// A table the program reads and the columns it uses there, present in books of version
// `since` and later (older books gain them when they are brought up to date).
struct NeededTable
{
    QString table;
    QStringList columns;
    int since = 1;
};
const std::vector<NeededTable> &employeeBookNeeds();
const std::vector<NeededTable> &idiomsBookNeeds();

// What brings a book of version `version - 1` to `version`: additive changes only (tables,
// columns, indexes, triggers) and the mending of rows they need. Throws StoreError.
struct UpgradeStep
{
    int version;
    std::function<void(QSqlDatabase)> apply;
};
const std::vector<UpgradeStep> &upgradeSteps();

// The version a book records. Throws StoreError.
int recordedVersion(QSqlDatabase db);
// Marks a book being made as one of bookVersion. Throws StoreError.
void recordCurrentVersion(QSqlDatabase db);
// The refusal of a book newer than the program.
QString newerBookText(const QString &path, int version);

// The name of the copy made before a book is brought up to `version`, made at `when`.
QString beforeUpgradeFileName(int version, const QDateTime &when);

// Reads the book at `path` without writing anything (not even a log beside it) and checks that
// every table and column in `needs` is there. Returns the refusal, naming the file and what is
// missing, or nothing.
std::optional<QString> checkNeeds(const QString &path, const std::vector<NeededTable> &needs);

// Checks the employee book at `path` and brings an older one up to date with `steps` (a copy
// into backups/ first). Returns why the book cannot be used, or nothing when it is ready.
std::optional<QString> prepareBook(const QString &path, const std::vector<UpgradeStep> &steps = upgradeSteps());

} // namespace salon
