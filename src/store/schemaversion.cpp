#include "schemaversion.h"

#include "backup.h"
#include "database.h"
#include "database_p.h"
#include "recordsource.h"
#include "salontaxrate.h"
#include "storeerror.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace salon {
namespace {

const QStringList employeeColumns{
    QStringLiteral("EmployeeID"), QStringLiteral("Prefix"), QStringLiteral("FirstName"), QStringLiteral("MiddleName"),
    QStringLiteral("LastName"), QStringLiteral("SSecurity"), QStringLiteral("Address"), QStringLiteral("City"),
    QStringLiteral("State"), QStringLiteral("Zip"), QStringLiteral("Phone"), QStringLiteral("License"),
    QStringLiteral("Birthdate"), QStringLiteral("DateHired"), QStringLiteral("DateQuit"), QStringLiteral("EmrgcyName"),
    QStringLiteral("EmrgcyPhone"), QStringLiteral("Notes"), QStringLiteral("password"), QStringLiteral("SubTotal"),
    QStringLiteral("Total"), QStringLiteral("SalesTaxRate")};
const QStringList payrollColumns{
    QStringLiteral("RecordID"), QStringLiteral("EmployeeID"), QStringLiteral("ServiceDate"), QStringLiteral("TodayEarn"),
    QStringLiteral("ToDateEarn"), QStringLiteral("50ByMonth"), QStringLiteral("50ByTotal"), QStringLiteral("60ByMonth"),
    QStringLiteral("60ByTotal")};
const QStringList customerColumns{
    QStringLiteral("CustomerID"), QStringLiteral("Prefix"), QStringLiteral("FirstName"), QStringLiteral("MiddleName"),
    QStringLiteral("LastName"), QStringLiteral("Suffix"), QStringLiteral("Line1"), QStringLiteral("Line2"),
    QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Zip"), QStringLiteral("HomePhone"),
    QStringLiteral("FaxNumber"), QStringLiteral("Pager"), QStringLiteral("Email"), QStringLiteral("Notes"),
    QStringLiteral("ServiceDate")};
const QStringList journalColumns{
    QStringLiteral("ServiceID"), QStringLiteral("CustomerID"), QStringLiteral("EmployeeID"), QStringLiteral("ServiceDate"),
    QStringLiteral("NameOfService"), QStringLiteral("Quantity"), QStringLiteral("Cost"), QStringLiteral("Count")};
const QStringList productColumns{
    QStringLiteral("ServiceID"), QStringLiteral("ServiceName"), QStringLiteral("UnitPrice"), QStringLiteral("Quantity"),
    QStringLiteral("Discount"), QStringLiteral("SalePrice")};
const QStringList appointmentColumns{
    QStringLiteral("AppointmentID"), QStringLiteral("UID"), QStringLiteral("EmployeeID"), QStringLiteral("CustomerID"),
    QStringLiteral("Start"), QStringLiteral("Minutes"), QStringLiteral("Buffer"), QStringLiteral("Status"),
    QStringLiteral("Notes"), QStringLiteral("Sequence"), QStringLiteral("Changed")};
const QStringList supplierColumns{
    QStringLiteral("SupplierID"), QStringLiteral("SupplierName"), QStringLiteral("ContactTitle"), QStringLiteral("ContactName"),
    QStringLiteral("Address"), QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Zip"),
    QStringLiteral("Country"), QStringLiteral("Phone"), QStringLiteral("Fax"), QStringLiteral("Email"),
    QStringLiteral("Notes")};
const QStringList miscColumns{
    QStringLiteral("password"), QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Address"),
    QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Zip"), QStringLiteral("Phone"),
    QStringLiteral("count"), QStringLiteral("ChangeCount"), QStringLiteral("ChangeDate"), QStringLiteral("MyNumber")};

// Version 2: the journal is read by day and by technician; employee rows stored without a
// sales-tax rate take the salon's rate when the other rows agree on one.
void indexJournalAndMendTaxRates(QSqlDatabase db)
{
    runQuery(db, QStringLiteral("CREATE INDEX IF NOT EXISTS \"Service Records.ServiceDate\" ON \"Service Records\" (ServiceDate)"));
    runQuery(db, QStringLiteral("CREATE INDEX IF NOT EXISTS \"Service Records.EmployeeID\" ON \"Service Records\" (EmployeeID)"));
    fillMissingTaxRates(db);
}

// Version 3: each sale line records the tax it charged; lines sold before keep it empty.
void recordSalesTax(QSqlDatabase db)
{
    runQuery(db, QStringLiteral("ALTER TABLE \"Service Records\" ADD COLUMN SalesTax CURRENCY"));
}

// Version 4: the appointment book, from the same text as a new book's, and each service's
// length on the price list (30 minutes for the services already there).
void addAppointmentBook(QSqlDatabase db)
{
    runQuery(db, QStringLiteral("ALTER TABLE Products ADD COLUMN Minutes INTEGER DEFAULT 30"));
    for (const QString &statement : internal::statements(internal::resourceText(QStringLiteral("appointment-book.sql"))))
        runQuery(db, statement);
}

// Version 4: the day sheet finds each line's customer by number.
void indexCustomerNumbers(QSqlDatabase db)
{
    runQuery(db, QStringLiteral("CREATE INDEX IF NOT EXISTS \"Customers.CustomerID\" ON Customers (CustomerID)"));
}

// A connection that reads a book as it stands and writes nothing beside it. Without a log or
// journal beside the file there is nothing to replay, so the file is read as immutable and no
// log is made; a write-ahead log is read as it is and never folded into the file; a rollback
// journal left by a crash must be rolled back before anything can be read, which the engine
// does on its own.
class ReadOnlyLook
{
public:
    explicit ReadOnlyLook(const QString &path) : m_name(QStringLiteral("look:") + path)
    {
        const bool log = QFileInfo::exists(path + QStringLiteral("-wal"));
        const bool journal = QFileInfo::exists(path + QStringLiteral("-journal"));
        QString options = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000");
        QString mode = QStringLiteral("?mode=rw");
        if (!journal) {
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
            mode = log ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=ro&immutable=1");
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(internal::uriOf(path) + mode);
        db.setConnectOptions(options);
        if (!db.open())
            throw StoreError::fromSql(db.lastError(), db);
    }
    ~ReadOnlyLook()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    ReadOnlyLook(const ReadOnlyLook &) = delete;
    ReadOnlyLook &operator=(const ReadOnlyLook &) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

// What of `needs` a book of `version` lacks, as "the table X" and "the column T.C".
QStringList missingParts(QSqlDatabase db, const std::vector<NeededTable> &needs, int version)
{
    QStringList missing;
    for (const NeededTable &need : needs) {
        if (need.since > version)
            continue;
        QSqlQuery info = runQuery(db, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(need.table)));
        QSet<QString> present;
        while (info.next())
            present.insert(info.value(1).toString().toLower());
        if (present.isEmpty()) {
            missing << QStringLiteral("the table %1").arg(need.table);
            continue;
        }
        for (const QString &column : need.columns)
            if (!present.contains(column.toLower()))
                missing << QStringLiteral("the column %1.%2").arg(need.table, column);
    }
    return missing;
}

QString missingText(const QString &path, const QStringList &missing)
{
    QString parts = missing.last();
    if (missing.size() > 1)
        parts = missing.mid(0, missing.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + parts;
    return QStringLiteral("The file %1 is not a Velorine database: %2 %3 missing.")
        .arg(path, parts, missing.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

QString unreadableText(const QString &path, const StoreError &error)
{
    if (error.number() == StoreError::NotADatabase || error.number() == StoreError::DamagedBook)
        return QStringLiteral("The file %1 is damaged or is not a Velorine database.").arg(path);
    return QStringLiteral("The file %1 cannot be opened: %2").arg(path, error.text());
}

// Leaves a write-ahead log that was there before as it is when the connection closes, instead
// of folding it into the file: a failed upgrade then leaves the file's bytes as they were.
void keepLogOnClose(QSqlDatabase db)
{
    if (sqlite3 *connection = internal::sqliteHandleOf(db))
        sqlite3_db_config(connection, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

// Copies the book, then runs the steps from `version` up in one transaction.
std::optional<QString> upgrade(const QString &path, int version, const std::vector<UpgradeStep> &steps)
{
    const bool logBefore = QFileInfo(path + QStringLiteral("-wal")).size() > 0;
    const QString name = QStringLiteral("upgrade:") + path;
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(internal::uriOf(path) + QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            failure = unreadableText(path, StoreError::fromSql(db.lastError(), db));

        if (!failure) {
            const BackupResult copy = copyBook(db, beforeUpgradeFileName(bookVersion, QDateTime::currentDateTime()));
            if (!copy.ok())
                failure = QStringLiteral("%1 The file %2 was left as it was: it is brought up to version %3 only "
                                         "once a copy of it is made.")
                              .arg(copy.failure, path)
                              .arg(bookVersion);
        }
        if (!failure) {
            try {
                runQuery(db, QStringLiteral("PRAGMA synchronous=FULL"));
                runQuery(db, QStringLiteral("BEGIN IMMEDIATE"));
                try {
                    for (const UpgradeStep &step : steps)
                        if (step.version > version && step.version <= bookVersion)
                            step.apply(db);
                    recordCurrentVersion(db);
                    runQuery(db, QStringLiteral("COMMIT"));
                } catch (const StoreError &) {
                    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
                    throw;
                }
            } catch (const StoreError &error) {
                if (logBefore)
                    keepLogOnClose(db);
                failure = QStringLiteral("The file %1 could not be brought up to version %2 and was left as it was: %3")
                              .arg(path)
                              .arg(bookVersion)
                              .arg(error.text());
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

} // namespace

const std::vector<NeededTable> &employeeBookNeeds()
{
    static const std::vector<NeededTable> needs{
        {QStringLiteral("Employee"), employeeColumns},
        {QStringLiteral("Payroll Records"), payrollColumns},
        {QStringLiteral("Customers"), customerColumns},
        {QStringLiteral("Service Records"), journalColumns},
        {QStringLiteral("Service Records"), {QStringLiteral("SalesTax")}, 3},
        {QStringLiteral("Products"), productColumns},
        {QStringLiteral("Products"), {QStringLiteral("Minutes")}, 4},
        {QStringLiteral("Appointments"), appointmentColumns, 4},
        {QStringLiteral("Appointment Services"), {QStringLiteral("AppointmentID"), QStringLiteral("ServiceID"),
                                                  QStringLiteral("ServiceName"), QStringLiteral("Minutes")}, 4},
        {QStringLiteral("Opening Hours"), {QStringLiteral("Weekday"), QStringLiteral("Opens"), QStringLiteral("Closes")}, 4},
        {QStringLiteral("Days Off"), {QStringLiteral("EmployeeID"), QStringLiteral("Day")}, 4},
        {QStringLiteral("Suppliers"), supplierColumns},
        {QStringLiteral("Misc"), miscColumns},
    };
    return needs;
}

const std::vector<NeededTable> &idiomsBookNeeds()
{
    static const std::vector<NeededTable> needs{{QStringLiteral("Idiom"), {QStringLiteral("Phrase")}}};
    return needs;
}

const std::vector<UpgradeStep> &upgradeSteps()
{
    static const std::vector<UpgradeStep> steps{
        {2, indexJournalAndMendTaxRates},
        {3, recordSalesTax},
        {4, [](QSqlDatabase db) {
             addAppointmentBook(db);
             indexCustomerNumbers(db);
         }},
    };
    return steps;
}

int recordedVersion(QSqlDatabase db)
{
    QSqlQuery query = runQuery(db, QStringLiteral("PRAGMA user_version"));
    if (!query.next())
        throw StoreError(StoreError::EngineError, QStringLiteral("The book's version cannot be read."));
    // 0: made before versions were recorded.
    return std::max(1, query.value(0).toInt());
}

void recordCurrentVersion(QSqlDatabase db)
{
    runQuery(db, QStringLiteral("PRAGMA user_version = %1").arg(bookVersion));
}

QString newerBookText(const QString &path, int version)
{
    return QStringLiteral("The file %1 is version %2 of the salon's book, made by a newer Velorine; "
                          "this Velorine reads version %3 and older.")
        .arg(path)
        .arg(version)
        .arg(bookVersion);
}

QString beforeUpgradeFileName(int version, const QDateTime &when)
{
    return QStringLiteral("Employee-before-v%1-%2.db").arg(version).arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

std::optional<QString> checkNeeds(const QString &path, const std::vector<NeededTable> &needs)
{
    try {
        ReadOnlyLook look(path);
        const QStringList missing = missingParts(look.db(), needs, recordedVersion(look.db()));
        if (!missing.isEmpty())
            return missingText(path, missing);
    } catch (const StoreError &error) {
        return unreadableText(path, error);
    }
    return std::nullopt;
}

std::optional<QString> prepareBook(const QString &path, const std::vector<UpgradeStep> &steps)
{
    int version = 0;
    try {
        ReadOnlyLook look(path);
        version = recordedVersion(look.db());
        if (version > bookVersion)
            return newerBookText(path, version);
        const QStringList missing = missingParts(look.db(), employeeBookNeeds(), version);
        if (!missing.isEmpty())
            return missingText(path, missing);
    } catch (const StoreError &error) {
        return unreadableText(path, error);
    }
    if (version == bookVersion)
        return std::nullopt;
    return upgrade(path, version, steps);
}

} // namespace salon
