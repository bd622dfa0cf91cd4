#include "backup.h"

#include "database.h"
#include "database_p.h"
#include "storeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

BackupResult backUpBook(QDate day, int keep)
{
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
