// Damaged books: the whole-file check, and marking a file found broken so that nothing more is
// written to it and the desk hears of it once.
#include "damage.h"

#include "connections.h"
#include "database_p.h"

#include <QDir>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

namespace salon {
namespace {

const QString checkPrefix = QStringLiteral("check:");

// Files found damaged in this run, and who is told.
struct DamageState
{
    QMutex mutex;
    QSet<QString> files;
    std::function<void(const QString &, const QString &)> listener;
};
DamageState &damage()
{
    static DamageState state;
    return state;
}

} // namespace

namespace internal {

void forgetDamage()
{
    QMutexLocker lock(&damage().mutex);
    damage().files.clear();
}

} // namespace internal

std::optional<QString> checkFile(const QString &path)
{
    const QString name = checkPrefix + path + QStringLiteral(":%1").arg(quintptr(QThread::currentThreadId()));
    std::optional<QString> problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(internal::uriOf(path) + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            // The first few findings are enough to say what is wrong.
            if (!query.exec(QStringLiteral("PRAGMA quick_check(5)"))) {
                problem = query.lastError().databaseText();
            } else {
                QStringList found;
                while (query.next())
                    found << query.value(0).toString();
                if (query.lastError().isValid())
                    found << query.lastError().databaseText();
                if (found != QStringList{QStringLiteral("ok")})
                    problem = found.join(QStringLiteral("; "));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

void markDamaged(const QString &path, const QString &detail)
{
    const QString file = QDir::cleanPath(path);
    std::function<void(const QString &, const QString &)> listener;
    {
        QMutexLocker lock(&damage().mutex);
        if (damage().files.contains(file))
            return;
        damage().files.insert(file);
        listener = damage().listener;
    }
    for (const QString &name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(checkPrefix))
            continue;   // the check's own, on its own thread and read-only
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && fileOf(db) == file)
            internal::stopWriting(db);
    }
    if (listener)
        listener(file, detail);
}

bool isDamaged(const QString &path)
{
    QMutexLocker lock(&damage().mutex);
    return damage().files.contains(QDir::cleanPath(path));
}

QString damagedText(const QString &path)
{
    return QStringLiteral("The file %1 is damaged; Velorine stores nothing more in it.").arg(QDir::toNativeSeparators(path));
}

void setDamageListener(std::function<void(const QString &path, const QString &detail)> listener)
{
    QMutexLocker lock(&damage().mutex);
    damage().listener = std::move(listener);
}

} // namespace salon
