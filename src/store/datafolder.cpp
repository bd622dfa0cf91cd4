// The data folder and the first start: where the books live, and making them from the schema
// and seed built into the program.
#include "datafolder.h"

#include "database_p.h"
#include "schemaversion.h"
#include "storeerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>

// Resources of a static library must be registered by hand, outside any namespace.
static void initStoreResources()
{
    Q_INIT_RESOURCE(store);
}

namespace salon {
namespace {

const QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QFileDevice::Permissions ownerOnlyFolder = ownerOnlyFile | QFileDevice::ExeOwner;

using internal::execOrThrow;

} // namespace

namespace internal {

QString resourceText(const QString &name)
{
    QFile file(QStringLiteral(":/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(StoreError::FileNotFound, QStringLiteral("The program's copy of %1 is missing.").arg(name));
    return QString::fromUtf8(file.readAll());
}

QStringList bookSchema()
{
    return statements(resourceText(QStringLiteral("schema.sql"))) + statements(resourceText(QStringLiteral("appointment-book.sql")));
}

// Splits a script into statements; "--" lines are comments. A trigger's body holds statements
// of its own and runs to its END.
QStringList statements(const QString &script)
{
    QString code;
    for (const QString &line : script.split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code += line + u'\n';
    QStringList result;
    QString statement;
    for (const QString &part : code.split(u';')) {
        statement += statement.isEmpty() ? part : u';' + part;
        const QString trimmed = statement.trimmed();
        const bool inTrigger = trimmed.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive)
                               && !trimmed.endsWith(QLatin1String("END"), Qt::CaseInsensitive);
        if (inTrigger)
            continue;
        if (!trimmed.isEmpty())
            result << trimmed;
        statement.clear();
    }
    if (!statement.trimmed().isEmpty())
        result << statement.trimmed();
    return result;
}

void addStarterPriceList(QSqlDatabase db)
{
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

} // namespace internal

namespace {

using internal::resourceText;
using internal::bookSchema;
using internal::statements;

void fillEmployeeDb(QSqlDatabase db)
{
    for (const QString &sql : bookSchema())
        execOrThrow(db, sql);
    for (const QString &sql : statements(resourceText(QStringLiteral("seed.sql"))))
        execOrThrow(db, sql);
    recordCurrentVersion(db);
    internal::addStarterPriceList(db);
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

namespace internal {

void loadBuiltInFiles()
{
    initStoreResources();
}

std::optional<QString> createEmployeeBook()
{
    return createDatabase(employeeDbPath(), fillEmployeeDb);
}

std::optional<QString> createIdiomsBook()
{
    return createDatabase(idiomsDbPath(), fillIdiomsDb);
}

void createReadme()
{
    QFile readme(readmePath());
    QFile original(QStringLiteral(":/data/readme.txt"));
    if (original.open(QIODevice::ReadOnly) && readme.open(QIODevice::WriteOnly)) {
        readme.write(original.readAll());
        readme.setPermissions(ownerOnlyFile);
    }
}

} // namespace internal
} // namespace salon
