#include "database.h"

#include "schemaversion.h"
#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextStream>
#include <QThread>
#include <QUrl>
#include <QSqlDriver>
#include <functional>
#include <map>
#include <memory>
#include <vector>

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

// Resources of a static library must be registered by hand, outside any namespace.
static void initStoreResources()
{
    Q_INIT_RESOURCE(store);
}

namespace salon {
namespace {

const QString employeeConnection = QStringLiteral("salon");
const QString idiomsConnection = QStringLiteral("idioms");
const QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QFileDevice::Permissions ownerOnlyFolder = ownerOnlyFile | QFileDevice::ExeOwner;
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

void stopWriting(QSqlDatabase db)
{
    QSqlQuery(db).exec(QStringLiteral("PRAGMA query_only = 1"));
}

QString uriOf(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QString resourceText(const QString &name)
{
    QFile file(QStringLiteral(":/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(StoreError::FileNotFound, QStringLiteral("The program's copy of %1 is missing.").arg(name));
    return QString::fromUtf8(file.readAll());
}

// Splits a script into statements; "--" lines are comments.
QStringList statements(const QString &script)
{
    QString code;
    for (const QString &line : script.split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code += line + u'\n';
    QStringList result;
    for (const QString &statement : code.split(u';'))
        if (!statement.trimmed().isEmpty())
            result << statement.trimmed();
    return result;
}

void execOrThrow(QSqlDatabase db, const QString &sql, const QVariantList &binds = {})
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw StoreError::fromSql(query.lastError());
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
}

void setPragmas(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        throw StoreError::fromSql(query.lastError());
    if (!query.next())
        throw StoreError(StoreError::NotADatabase, QStringLiteral("The file cannot be opened as a database."));
    execOrThrow(db, QStringLiteral("PRAGMA synchronous=FULL"));
}

void fillEmployeeDb(QSqlDatabase db)
{
    for (const QString &sql : statements(resourceText(QStringLiteral("schema.sql"))))
        execOrThrow(db, sql);
    for (const QString &sql : statements(resourceText(QStringLiteral("seed.sql"))))
        execOrThrow(db, sql);
    recordCurrentVersion(db);
    // The starter price list: one "name<TAB>price" line per item after the header.
    const QStringList lines = resourceText(QStringLiteral("products.tsv")).split(u'\n', Qt::SkipEmptyParts);
    int serviceId = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        if (cells.size() < 2)
            continue;
        execOrThrow(db, QStringLiteral("INSERT INTO Products (ServiceID, ServiceName, UnitPrice, Quantity, Discount, SalePrice) "
                                       "VALUES (?, ?, ?, 0, 0, 0)"),
                    {++serviceId, cells[0].trimmed(), cells[1].trimmed().toDouble()});
    }
}

void fillIdiomsDb(QSqlDatabase db)
{
    for (const QString &sql : statements(resourceText(QStringLiteral("idioms-schema.sql"))))
        execOrThrow(db, sql);
    for (const QString &line : resourceText(QStringLiteral("idioms.txt")).split(u'\n', Qt::SkipEmptyParts))
        execOrThrow(db, QStringLiteral("INSERT INTO Idiom (Phrase) VALUES (?)"), {line.trimmed()});
}

// Moves what an earlier file of this name left behind (its write-ahead log, the log's index,
// a rollback journal) aside under a new name, so the engine cannot replay it onto a new file.
std::optional<QString> moveLeftoversAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const char *suffix : {"-wal", "-shm", "-journal"}) {
        const QString leftover = path + QLatin1String(suffix);
        const QFileInfo info(leftover);
        if (!info.exists() && !info.isSymLink())
            continue;
        QString aside = leftover + QStringLiteral(".leftover-") + stamp;
        for (int n = 2; QFileInfo(aside).exists() || QFileInfo(aside).isSymLink(); ++n)
            aside = leftover + QStringLiteral(".leftover-%1-%2").arg(stamp).arg(n);
        if (!QFile::rename(leftover, aside))
            return QStringLiteral("The file %1 is left from an earlier %2 and cannot be moved aside.")
                .arg(leftover, QFileInfo(path).fileName());
    }
    return std::nullopt;
}

// Builds a new file under a name of its own beside `path` and renames it into place, so that
// an interrupted first start never leaves a half-made database behind and no other start can
// remove the one being built.
std::optional<QString> createDatabase(const QString &path, void (*fill)(QSqlDatabase))
{
    if (auto problem = moveLeftoversAside(path))
        return problem;
    QString building;
    {
        QTemporaryFile file(path + QStringLiteral(".XXXXXX.new"));
        file.setAutoRemove(false);
        if (!file.open() || !file.setPermissions(ownerOnlyFile))
            return QStringLiteral("The file %1 cannot be created: %2.").arg(path, file.errorString());
        building = file.fileName();
    }
    const QString name = QStringLiteral("create:") + building;
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(building);
        if (!db.open()) {
            failure = QStringLiteral("The file %1 cannot be created: %2.").arg(path, db.lastError().text());
        } else {
            try {
                execOrThrow(db, QStringLiteral("BEGIN"));
                fill(db);
                execOrThrow(db, QStringLiteral("COMMIT"));
                QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            } catch (const StoreError &error) {
                failure = QStringLiteral("The file %1 cannot be created: %2.").arg(path, error.text());
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    // rename() never replaces a file: should one have appeared meanwhile, it is kept and used.
    if (!failure && !QFile::rename(building, path) && !QFileInfo(path).isFile())
        failure = QStringLiteral("The file %1 cannot be created.").arg(path);
    QFile::remove(building);
    return failure;
}

// Opens an existing file without changing a byte of it: read-write, never created.
QSqlDatabase openUnchanged(const QString &path, const QString &connectionName)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(StoreError::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    // mode=rw: a file that went missing is reported, never silently replaced by an empty one.
    db.setDatabaseName(uriOf(path) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw StoreError::fromSql(db.lastError(), db);
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw StoreError::fromSql(probe.lastError(), db);
    return db;
}

// Whether the file is there for reading and writing, said in the user's words when it is not.
std::optional<QString> checkUsable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("The file %1 is not a file Velorine can open.").arg(path);
    if (!info.isReadable())
        return QStringLiteral("The file %1 cannot be read: permission denied.").arg(path);
    if (!info.isWritable())
        return QStringLiteral("The file %1 is read-only; Velorine must be able to write to it.").arg(path);
    return std::nullopt;
}

// Opens a file that was checked (and brought up to date) for the program's use.
std::optional<QString> openFile(const QString &path, const QString &connection)
{
    if (auto problem = checkUsable(path))
        return problem;
    try {
        setPragmas(openUnchanged(path, connection));
    } catch (const StoreError &error) {
        if (QSqlDatabase::contains(connection)) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
        if (error.number() == StoreError::NotADatabase || error.number() == StoreError::DamagedBook)
            return QStringLiteral("The file %1 is damaged or is not a Velorine database.").arg(path);
        return QStringLiteral("The file %1 cannot be opened: %2").arg(path, error.text());
    }
    return std::nullopt;
}

// The transaction state of one connection: how deep the nesting is, whether an inner
// transaction gave up (so the whole must roll back), and the record sets to re-read when it does.
struct TransactionState
{
    int depth = 0;
    bool doomed = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> onRollback;
};

QHash<QString, TransactionState> &transactions()
{
    static QHash<QString, TransactionState> state;
    return state;
}

// Ends the outermost transaction with a rollback and tells the record sets that wrote in it.
void rollBack(const QString &connection)
{
    TransactionState &state = transactions()[connection];
    QSqlQuery(QSqlDatabase::database(connection, false)).exec(QStringLiteral("ROLLBACK"));
    const auto listeners = std::move(state.onRollback);
    transactions().remove(connection);
    for (const auto &[owner, reread] : listeners)
        if (owner)
            reread();
}

} // namespace

QString dataFolder()
{
    const QString home = qEnvironmentVariable("VELORINE_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Velorine");
}

QString employeeDbPath() { return dataFolder() + QStringLiteral("/Employee.db"); }
QString idiomsDbPath() { return dataFolder() + QStringLiteral("/idioms.db"); }
QString readmePath() { return dataFolder() + QStringLiteral("/readme.txt"); }

QSqlDatabase openExisting(const QString &path, const QString &connectionName)
{
    try {
        QSqlDatabase db = openUnchanged(path, connectionName);
        setPragmas(db);
        if (isDamaged(path))
            stopWriting(db);
        return db;
    } catch (const StoreError &) {
        // The handle above is gone by now, so the name can be released cleanly.
        if (QSqlDatabase::contains(connectionName)) {
            QSqlDatabase::database(connectionName, false).close();
            QSqlDatabase::removeDatabase(connectionName);
        }
        throw;
    }
}

std::optional<QString> prepareDataFolder()
{
    const QString folder = dataFolder();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return QStringLiteral("The data folder %1 cannot be created.").arg(folder);
        QFile::setPermissions(folder, ownerOnlyFolder);
    }
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("The data folder %1 is not a folder.").arg(folder);
    return std::nullopt;
}

std::optional<QString> open()
{
    initStoreResources();
    {
        QMutexLocker lock(&damage().mutex);
        damage().files.clear();
    }
    if (auto problem = prepareDataFolder())
        return problem;

    // The salon's book is made, or checked and brought up to date, before anything else is
    // written: a book that cannot be used leaves the folder as it was.
    if (!QFileInfo::exists(employeeDbPath()))
        if (auto problem = createDatabase(employeeDbPath(), fillEmployeeDb))
            return problem;
    if (auto problem = checkUsable(employeeDbPath()))
        return problem;
    if (auto problem = prepareBook(employeeDbPath()))
        return problem;

    if (!QFileInfo::exists(idiomsDbPath()))
        if (auto problem = createDatabase(idiomsDbPath(), fillIdiomsDb))
            return problem;
    if (!QFileInfo::exists(readmePath())) {
        QFile readme(readmePath());
        QFile original(QStringLiteral(":/data/readme.txt"));
        if (original.open(QIODevice::ReadOnly) && readme.open(QIODevice::WriteOnly)) {
            readme.write(original.readAll());
            readme.setPermissions(ownerOnlyFile);
        }
    }
    if (auto problem = checkUsable(idiomsDbPath()))
        return problem;
    if (auto problem = checkNeeds(idiomsDbPath(), idiomsBookNeeds()))
        return problem;

    if (auto problem = openFile(employeeDbPath(), employeeConnection))
        return problem;
    if (auto problem = openFile(idiomsDbPath(), idiomsConnection)) {
        close();
        return problem;
    }
    return std::nullopt;
}

OwnerNames peekOwnerNames()
{
    OwnerNames names;
    if (!QFileInfo(employeeDbPath()).isFile())
        return names;
    const QString name = QStringLiteral("peek");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(uriOf(employeeDbPath()) + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT Name, Company FROM Misc")) && query.next()) {
                names.name = query.value(0).toString();
                names.company = query.value(1).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return names;
}

std::optional<QString> checkFile(const QString &path)
{
    const QString name = checkPrefix + path + QStringLiteral(":%1").arg(quintptr(QThread::currentThreadId()));
    std::optional<QString> problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(uriOf(path) + QStringLiteral("?mode=ro"));
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
            stopWriting(db);
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

QString fileOf(const QSqlDatabase &db)
{
    QString name = db.databaseName();
    if (name.startsWith(QLatin1String("file:"))) {
        name = name.left(name.indexOf(u'?') < 0 ? name.size() : name.indexOf(u'?'));
        name = QUrl(name).toLocalFile();
    }
    return QDir::cleanPath(name);
}

void close()
{
    {
        QMutexLocker lock(&damage().mutex);
        damage().files.clear();
    }
    for (const QString &name : {employeeConnection, idiomsConnection}) {
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
}

bool isOpen()
{
    return QSqlDatabase::contains(employeeConnection) && QSqlDatabase::database(employeeConnection, false).isOpen();
}

QSqlDatabase employeeDb() { return QSqlDatabase::database(employeeConnection, false); }
QSqlDatabase idiomsDb() { return QSqlDatabase::database(idiomsConnection, false); }

ShortConnection::ShortConnection()
{
    static int serial = 0;
    m_name = QStringLiteral("search%1").arg(++serial);
    openExisting(employeeDbPath(), m_name);   // releases the name itself when it fails
}

ShortConnection::~ShortConnection()
{
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase ShortConnection::db() const { return QSqlDatabase::database(m_name, false); }

namespace {

struct PreparedStatement
{
    QPointer<QSqlDriver> driver;   // null once its connection went
    std::unique_ptr<QSqlQuery> query;
};

// Per thread, as connections are: keyed by connection name and statement text.
std::map<std::pair<QString, QString>, PreparedStatement> &preparedStatements()
{
    thread_local std::map<std::pair<QString, QString>, PreparedStatement> statements;
    return statements;
}

} // namespace

QSqlQuery runQuery(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw StoreError::fromSql(query.lastError(), db);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), db);
    return query;
}

QSqlQuery &runPrepared(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    PreparedStatement &entry = preparedStatements()[{db.connectionName(), sql}];
    if (!entry.query || entry.driver != db.driver()) {
        auto query = std::make_unique<QSqlQuery>(db);
        query->setForwardOnly(true);
        if (!query->prepare(sql))
            throw StoreError::fromSql(query->lastError(), db);
        entry.query = std::move(query);
        entry.driver = db.driver();
    }
    QSqlQuery &query = *entry.query;
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec()) {
        const StoreError error = StoreError::fromSql(query.lastError(), db);
        entry.query.reset();   // prepared again next time, in case the connection was reopened
        throw error;
    }
    return query;
}

Transaction::Transaction(QSqlDatabase db) : m_connection(db.connectionName())
{
    TransactionState &state = transactions()[m_connection];
    if (state.depth == 0) {
        try {
            runPrepared(db, QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const StoreError &) {
            transactions().remove(m_connection);
            throw;
        }
    }
    ++state.depth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    TransactionState &state = transactions()[m_connection];
    if (--state.depth > 0) {
        // An inner part gave up: the whole action must not be stored.
        state.doomed = true;
        return;
    }
    try {
        rollBack(m_connection);
    } catch (...) {
        // A destructor must not throw; the rollback itself has happened.
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    m_done = true;
    TransactionState &state = transactions()[m_connection];
    if (--state.depth > 0)
        return;
    if (state.doomed) {
        rollBack(m_connection);
        throw StoreError(StoreError::TransactionRolledBack,
                         QStringLiteral("The changes were not saved: part of the work failed and all of it was undone."));
    }
    try {
        runPrepared(QSqlDatabase::database(m_connection, false), QStringLiteral("COMMIT"));
    } catch (const StoreError &) {
        rollBack(m_connection);
        throw;
    }
    transactions().remove(m_connection);
}

bool inTransaction(const QSqlDatabase &db)
{
    const auto it = transactions().constFind(db.connectionName());
    return it != transactions().constEnd() && it->depth > 0;
}

void onRollback(const QSqlDatabase &db, QObject *owner, std::function<void()> reread)
{
    auto it = transactions().find(db.connectionName());
    if (it == transactions().end() || it->depth == 0)
        return;
    for (const auto &entry : it->onRollback)
        if (entry.first == owner)
            return;   // once per transaction is enough
    it->onRollback.emplace_back(owner, std::move(reread));
}

} // namespace salon
