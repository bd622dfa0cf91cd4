// Store errors: what a failure reported by the SQL layer means to the program.
#include "storeerror.h"

#include "connections.h"
#include "damage.h"
#include "database_p.h"
#include "datafolder.h"
#include "dialect.h"

namespace {

// A server's failure, by its SQLSTATE code.
StoreError fromServer(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    QString reason = (error.databaseText().isEmpty() ? error.text() : error.databaseText()).trimmed();
    reason = reason.section(u'\n', 0, 0).trimmed();
    for (const QLatin1String severity : {QLatin1String("ERROR:"), QLatin1String("FATAL:")})
        if (reason.startsWith(severity))
            reason = reason.mid(severity.size()).trimmed();
    if (state == QLatin1String("42P01"))
        return StoreError(StoreError::TableNotFound, reason);
    if (state == QLatin1String("42703"))
        return StoreError(StoreError::ItemNotFound, reason);
    if (state == QLatin1String("23505"))
        return StoreError(StoreError::Duplicate, reason);
    // An exclusion constraint: the appointment book's, a technician booked twice.
    if (state == QLatin1String("23P01"))
        return StoreError(StoreError::Clash, reason);
    if (state == QLatin1String("55P03") || state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return StoreError(StoreError::Busy, QStringLiteral("Another desk is saving; nothing was stored."));
    // Class 08 is the connection's own failure; 57P01-57P03 the server shutting down or starting.
    const bool lost = state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01")
        || state == QLatin1String("57P02") || state == QLatin1String("57P03")
        || (state.isEmpty() && error.type() == QSqlError::ConnectionError)
        || reason.contains(QLatin1String("server closed the connection"))
        || reason.contains(QLatin1String("no connection to the server"));
    if (lost) {
        if (!reason.endsWith(u'.'))
            reason += u'.';
        return StoreError(StoreError::ServerLost,
                          QStringLiteral("The server cannot be reached: %1 Nothing was stored.").arg(reason));
    }
    return StoreError(StoreError::EngineError, reason);
}

} // namespace

StoreError StoreError::fromSql(const QSqlError &error, const QSqlDatabase &db)
{
    if (salon::isServer(db) || (!db.isValid() && salon::isServer(salon::employeeDb()))) {
        StoreError mapped = fromServer(error);
        // The connection is opened again at the desk's next action.
        if (mapped.number() == ServerLost)
            salon::internal::markLost(db.isValid() ? db.connectionName() : salon::employeeDb().connectionName());
        return mapped;
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int code = error.nativeErrorCode().toInt();
    const QString file = db.isValid() ? salon::fileOf(db) : salon::employeeDbPath();
    // The engine's corrupt (11) and not-a-database (26) codes: the file itself is broken.
    if (code == 11 || code == 26 || text.contains(QLatin1String("malformed"))
        || text.contains(QLatin1String("not a database"))) {
        salon::markDamaged(file, text);
        return StoreError(DamagedBook, salon::damagedText(file));
    }
    // A write refused because the file was found damaged earlier.
    if ((code == 8 || text.contains(QLatin1String("readonly"))) && salon::isDamaged(file))
        return StoreError(DamagedBook, salon::damagedText(file));
    // The appointment book's triggers refuse a technician booked twice.
    if (text.contains(QLatin1String("already has an appointment at that time")))
        return StoreError(Clash, text);
    if (text.contains(QLatin1String("no such table")))
        return StoreError(TableNotFound, text);
    if (text.contains(QLatin1String("no such column")))
        return StoreError(ItemNotFound, text);
    if (text.contains(QLatin1String("readonly")) || text.contains(QLatin1String("read-only")))
        return StoreError(ReadOnly, text);
    if (text.contains(QLatin1String("unable to open")))
        return StoreError(CannotOpen, text);
    return StoreError(EngineError, text);
}
