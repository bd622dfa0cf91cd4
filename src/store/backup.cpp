#include "backup.h"

#include "database.h"
#include "database_p.h"
#include "serverbook.h"
#include "storeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <optional>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace salon {
namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Flushes a file or folder to the disk, so a copy that was renamed into place survives a
// power cut. False when it cannot be opened or flushed.
bool flushToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Keeps the newest `keep` day copies, counting the one just made, which is never removed:
// copies dated after it (a clock that ran ahead, copies brought in) would otherwise push it out.
void removeOldCopies(const QString &folder, const QString &justMade, int keep)
{
    QDir dir(folder);
    // The names sort by date, so the oldest come first.
    QStringList copies = dir.entryList({QStringLiteral("Employee-\?\?\?\?-\?\?-\?\?.db")}, QDir::Files, QDir::Name);
    copies.removeAll(QFileInfo(justMade).fileName());
    for (qsizetype i = 0; i < copies.size() - (keep - 1); ++i)
        dir.remove(copies[i]);
}

// A backup that was killed part-way leaves its temporary copy (as large as the book) and
// SQLite's journal of it. Only one copy of the program works in the data folder, so every
// such file is a leftover.
void removeLeftoverCopies(const QString &folder)
{
    QDir dir(folder);
    const QStringList leftovers = dir.entryList({QStringLiteral("Employee-*.db.part*")}, QDir::Files);
    for (const QString &name : leftovers)
        dir.remove(name);
}

} // namespace

QString backupFolder()
{
    return dataFolder() + QStringLiteral("/backups");
}

QString backupFileName(QDate day)
{
    return QStringLiteral("Employee-") + day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".db");
}

QString checkCopy(const QString &path)
{
    static int serial = 0;
    const QString name = QStringLiteral("backupcheck%1").arg(++serial);
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(internal::uriOf(path) + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!query.exec(QStringLiteral("PRAGMA integrity_check"))) {
                problem = query.lastError().databaseText();
            } else {
                QStringList findings;
                while (query.next())
                    findings << query.value(0).toString();
                if (findings != QStringList{QStringLiteral("ok")})
                    problem = findings.isEmpty() ? QStringLiteral("the check gave no answer") : findings.join(QStringLiteral("; "));
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

BackupResult copyBook(QSqlDatabase source, const QString &fileName)
{
    const QString folder = backupFolder();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return {{}, QStringLiteral("The backup could not be made: the folder %1 cannot be created.").arg(folder)};
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    const QString target = folder + u'/' + fileName;
    const QString temporary = target + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    removeLeftoverCopies(folder);

    // The copy starts as an empty file of the user's own, so it is never readable by others.
    const int fd = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return {{}, QStringLiteral("The backup could not be made: %1 cannot be created (%2).").arg(temporary, systemError())};
    ::close(fd);

    auto fail = [&](const QString &text) {
        QFile::remove(temporary);
        return BackupResult{{}, text};
    };
    {
        QSqlQuery query(source);
        if (!query.prepare(QStringLiteral("VACUUM INTO ?")))
            return fail(QStringLiteral("The backup could not be made: %1").arg(StoreError::fromSql(query.lastError(), source).text()));
        query.addBindValue(temporary);
        if (!query.exec())
            return fail(QStringLiteral("The backup could not be made: %1").arg(StoreError::fromSql(query.lastError(), source).text()));
    }

    const QString problem = checkCopy(temporary);
    if (!problem.isEmpty())
        return fail(QStringLiteral("The backup copy is damaged and was not kept: %1").arg(problem));
    if (!flushToDisk(temporary))
        return fail(QStringLiteral("The backup could not be made: %1 cannot be written to the disk (%2).")
                        .arg(temporary, systemError()));
    // rename() replaces an earlier copy of the same name in one step.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("The backup could not be made: %1 cannot be written (%2).").arg(target, systemError()));
    flushToDisk(folder);
    return {target, {}};
}

namespace {

// A server's programs of the version the books are kept with, else whichever is on the path.
QString serverTool(const QString &name)
{
    const QString versioned = QStringLiteral("/usr/lib/postgresql/15/bin/") + name;
    return QFileInfo(versioned).isExecutable() ? versioned : name;
}

// Runs a server tool to its end; the reason it failed, or nothing.
std::optional<QString> runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(serverTool(program), arguments);
    if (!process.waitForStarted(10000))
        return QStringLiteral("%1 cannot be started (Debian package postgresql-client-15).").arg(program);
    // A large book takes a while; a dump that has not ended in an hour is not going to.
    if (!process.waitForFinished(3600 * 1000)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("%1 did not finish.").arg(program);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed().section(u'\n', 0, 0);
        return QStringLiteral("%1 failed: %2").arg(program, said.isEmpty() ? QStringLiteral("no reason given") : said);
    }
    return std::nullopt;
}

// A server's books: the salon's database dumped by pg_dump into backups/<database>-YYYY-MM-DD.dump;
// 30 kept.
BackupResult dumpServerBook(QDate day, int keep)
{
    QString database;
    try {
        database = serverDatabaseName(employeeDb());
    } catch (const StoreError &error) {
        return {{}, QStringLiteral("The backup could not be made: %1").arg(error.text())};
    }
    const QString fileName = database + day.toString(QStringLiteral("-yyyy-MM-dd")) + QStringLiteral(".dump");
    const BackupResult result = dumpServer(bookChoice().service, fileName);
    if (!result.ok())
        return result;
    QDir dir(backupFolder());
    QStringList copies = dir.entryList({database + QStringLiteral("-\?\?\?\?-\?\?-\?\?.dump")}, QDir::Files, QDir::Name);
    copies.removeAll(QFileInfo(result.path).fileName());
    for (qsizetype i = 0; i < copies.size() - (keep - 1); ++i)
        dir.remove(copies[i]);
    return result;
}

} // namespace

QString serverDatabaseName(QSqlDatabase db)
{
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT current_database()"));
    return query.next() ? query.value(0).toString() : QString();
}

BackupResult dumpServer(const QString &service, const QString &fileName)
{
    const QString folder = backupFolder();
    if (!QDir().mkpath(folder))
        return {{}, QStringLiteral("The backup could not be made: the folder %1 cannot be created.").arg(folder)};
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString path = folder + u'/' + fileName;
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    {
        // Made readable by the user alone before a byte of the dump is in it.
        QFile made(part);
        if (!made.open(QIODevice::WriteOnly) || !made.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return {{}, QStringLiteral("The backup could not be made: %1 cannot be written.").arg(part)};
    }
    const QString connection = QStringLiteral("service=") + service;
    if (auto problem = runTool(QStringLiteral("pg_dump"), {QStringLiteral("-Fc"), QStringLiteral("-f"), part, connection})) {
        QFile::remove(part);
        return {{}, QStringLiteral("The backup could not be made: %1").arg(*problem)};
    }
    if (auto problem = runTool(QStringLiteral("pg_restore"), {QStringLiteral("--list"), part})) {
        QFile::remove(part);
        return {{}, QStringLiteral("The backup could not be checked: %1").arg(*problem)};
    }
    flushToDisk(part);
    QFile::remove(path);
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        return {{}, QStringLiteral("The backup could not be made: %1 cannot be written.").arg(path)};
    }
    flushToDisk(folder);
    return {path, {}};
}

BackupResult backUpBook(QDate day, int keep)
{
    if (isServer(employeeDb()))
        return dumpServerBook(day, keep);
    BackupResult result;
    try {
        // A connection of its own: the copy is a consistent snapshot and the screens' connection
        // and its open transactions are left alone.
        ShortConnection connection;
        result = copyBook(connection.db(), backupFileName(day));
    } catch (const StoreError &error) {
        return {{}, QStringLiteral("The backup could not be made: %1").arg(error.text())};
    }
    if (result.ok())
        removeOldCopies(backupFolder(), result.path, keep);
    return result;
}

} // namespace salon
