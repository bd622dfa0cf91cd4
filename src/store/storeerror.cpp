// Store errors: what a failure reported by the SQL layer means to the program.
#include "storeerror.h"

#include "connections.h"
#include "damage.h"
#include "datafolder.h"

StoreError StoreError::fromSql(const QSqlError &error, const QSqlDatabase &db)
{
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
