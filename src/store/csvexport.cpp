#include "csvexport.h"

#include "catalog.h"
#include "connections.h"
#include "currency.h"
#include "dates.h"
#include "database_p.h"
#include "datafolder.h"
#include "dialect.h"
#include "newfiles.h"
#include "recordfield.h"
#include "recordsource.h"
#include "schemaversion.h"
#include "serverbook.h"
#include "storeerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <charconv>
#include <functional>
#include <vector>

namespace salon {

namespace {

struct Column
{
    QString name;
    QString type;            // declared type, upper case
    bool textDate = false;   // a date kept as m/d/yyyy text
    bool fromServer = false; // read from a server: money as exact decimal text, rates as floats
};

// The shop password, hashed or not yet, never leaves the book.
bool isPassword(const QString &column)
{
    return column.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0;
}

struct Table
{
    QString name;
    std::vector<Column> columns;
};

QString numberText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

// Stored dates are ISO text already; a date with a time of day gets the ISO 'T'.
QString dateText(const QString &stored)
{
    if (QDate::fromString(stored, Qt::ISODate).isValid() && stored.size() == 10)
        return stored;
    for (const QString &format : {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        const QDateTime dt = QDateTime::fromString(stored, format);
        if (dt.isValid())
            return dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }
    return stored;
}

// A wall-clock time (an appointment's start): the local file keeps "yyyy-MM-dd HH:mm" text, a
// server hands out a timestamp with no zone; either is written in ISO form, as it reads.
QString wallClockText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime moment = value.toDateTime();
        return moment.date().toString(Qt::ISODate) + u'T' + moment.time().toString(QStringLiteral("HH:mm:ss"));
    }
    // The date and the time of day read apart: a time the desk's clock skips is still written.
    const QString text = value.toString();
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    const QTime time = text.size() == 16 && text[10] == u' ' ? QTime::fromString(text.mid(11), QStringLiteral("HH:mm")) : QTime();
    return date.isValid() && time.isValid() ? date.toString(Qt::ISODate) + u'T' + time.toString(QStringLiteral("HH:mm:ss")) : text;
}

// A number as the server hands it out: money as its exact decimal text, a single-precision
// rate in the shortest form that reads back as the same float (0.07, as the book shows it).
std::optional<QString> serverNumberText(const QVariant &value, const Column &column)
{
    if (column.type == QLatin1String("CURRENCY") && value.typeId() == QMetaType::QString) {
        if (const auto money = Currency::fromDecimalText(value.toString()))
            return money->fixedText();
    }
    if (column.type == QLatin1String("SINGLE") && value.typeId() == QMetaType::Double) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, float(value.toDouble())).ptr;
        return QString::fromLatin1(digits, end - digits);
    }
    // Any other number the server gave as text is in its exact form already; never marked.
    const bool numberColumn = column.type == QLatin1String("SINGLE") || column.type == QLatin1String("DOUBLE")
                              || column.type == QLatin1String("INTEGER") || column.type == QLatin1String("SMALLINT");
    if (numberColumn && value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

QString fieldText(const QVariant &value, const Column &column)
{
    if (value.isNull())
        return {};
    if (column.fromServer)
        if (const auto text = serverNumberText(value, column))
            return *text;
    const bool numeric = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong
                         || value.typeId() == QMetaType::Int;
    if (column.type == QLatin1String("CURRENCY") && numeric) {
        if (const auto money = Currency::fromDouble(value.toDouble()))
            return money->fixedText();
    }
    if (numeric)
        return numberText(value);
    const QString text = value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray()) : value.toString();
    if (column.type == QLatin1String("DATETIME"))
        return spreadsheetText(dateText(text));
    if (column.type == QLatin1String("TIMESTAMP"))
        return spreadsheetText(wallClockText(value));
    if (column.textDate) {
        if (const auto date = storedTextDate(text))
            return date->toString(Qt::ISODate);
    }
    return spreadsheetText(text);
}

QString sqlFailure(const QString &path, const QSqlError &error)
{
    return QStringLiteral("The file %1 cannot be read: %2.").arg(path, error.databaseText());
}

// What a failed read says: the file, or the server's books, named with the engine's reason.
using ReadFailure = std::function<QString(const QSqlError &)>;

// The tables in the order the book lists them, with their columns' declared types.
std::optional<QString> readTables(QSqlDatabase db, const QString &path, std::vector<Table> &tables)
{
    QSqlQuery names(db);
    names.setForwardOnly(true);
    if (!names.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                   "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid")))
        return sqlFailure(path, names.lastError());
    while (names.next())
        tables.push_back({names.value(0).toString(), {}});
    for (Table &table : tables) {
        QSqlQuery info(db);
        info.setForwardOnly(true);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table.name))))
            return sqlFailure(path, info.lastError());
        while (info.next()) {
            const QString name = info.value(1).toString();
            if (!isPassword(name))
                table.columns.push_back({name, info.value(2).toString().toUpper(), isTextDateField(table.name, name)});
        }
    }
    return std::nullopt;
}

class CsvWriter
{
public:
    explicit CsvWriter(QFile &file) : m_file(file) {}

    void record(const QStringList &fields)
    {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                m_buffer += ',';
            m_buffer += csvField(fields[i]).toUtf8();
        }
        m_buffer += "\r\n";
        if (m_buffer.size() >= 1 << 16)
            flush();
    }
    bool flush()
    {
        if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
            m_failed = true;
        m_buffer.clear();
        return !m_failed;
    }
    bool failed() const { return m_failed; }

private:
    QFile &m_file;
    QByteArray m_buffer;
    bool m_failed = false;
};

std::optional<QString> writeTable(QSqlDatabase db, const ReadFailure &readFailure, const Table &table, QFile &file)
{
    CsvWriter writer(file);
    QStringList header, names;
    for (const Column &column : table.columns) {
        header << spreadsheetText(column.name);
        names << quotedName(column.name);
    }
    writer.record(header);

    // Only the columns exported are read: a table of nothing but a password gives a header alone.
    if (!names.isEmpty()) {
        QSqlQuery rows(db);
        rows.setForwardOnly(true);
        // Read forward only on a server too: nothing else runs on the connection meanwhile.
        if (!rows.exec(sqlFor(db, QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1Char(',')), quotedName(table.name)))))
            return readFailure(rows.lastError());
        QStringList fields;
        while (rows.next() && !writer.failed()) {
            fields.clear();
            for (int i = 0; i < int(table.columns.size()); ++i)
                fields << fieldText(rows.value(i), table.columns[std::size_t(i)]);
            writer.record(fields);
        }
        if (rows.lastError().isValid())
            return readFailure(rows.lastError());
    }
    if (!writer.flush() || !file.flush() || file.error() != QFileDevice::NoError)
        return QStringLiteral("The file %1 cannot be written: %2.").arg(file.fileName(), file.errorString());
    return std::nullopt;
}

CsvExport failed(const QString &error)
{
    CsvExport result;
    result.error = error;
    return result;
}

// Writes the tables read in `db`'s open read transaction into `folder`.
CsvExport writeFiles(QSqlDatabase db, const std::vector<Table> &tables, const QString &folder, const ReadFailure &readFailure)
{
    CsvExport result;
    auto fail = [&result](const QString &error) {
        for (const QString &written : std::as_const(result.files))
            QFile::remove(written);
        result.files.clear();
        result.error = error;
        return result;
    };
    const QDir target(folder);
    QStringList paths;
    for (const Table &table : tables) {
        if (table.name.contains(QLatin1Char('/')) || table.name.startsWith(QLatin1Char('.')))
            return fail(QStringLiteral("The table \"%1\" cannot be named as a file.").arg(table.name));
        paths << target.filePath(table.name + QStringLiteral(".csv"));
    }
    for (const QString &path : std::as_const(paths))
        if (QFileInfo::exists(path))
            return fail(QStringLiteral("The file %1 already exists; nothing was exported.").arg(path));
    if (auto problem = makeFolder(folder))
        return fail(*problem);

    for (std::size_t i = 0; i < tables.size(); ++i) {
        QFile file(paths[qsizetype(i)]);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("The file %1 cannot be created: %2.").arg(file.fileName(), file.errorString()));
        result.files << file.fileName();
        // The books are readable by the user alone; so are the copies of their rows.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (auto problem = writeTable(db, readFailure, tables[i], file))
            return fail(*problem);
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("The file %1 cannot be written: %2.").arg(file.fileName(), file.errorString()));
    }
    return result;
}

CsvExport exportFrom(QSqlDatabase db, const QString &bookPath, const QString &folder)
{
    const auto fail = failed;
    if (!db.isOpen())
        return fail(QStringLiteral("The file %1 cannot be opened: %2.").arg(bookPath, db.lastError().databaseText()));
    // One read transaction: every table comes from the same moment, whatever a desk writes meanwhile.
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN")))
        return fail(sqlFailure(bookPath, begin.lastError()));
    // An older book is written as it stands; a newer one may hold what this program cannot read.
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return fail(sqlFailure(bookPath, version.lastError()));
    if (version.value(0).toInt() > bookVersion)
        return fail(newerBookText(bookPath, version.value(0).toInt()) + QStringLiteral(" Nothing was exported."));
    version.finish();
    std::vector<Table> tables;
    if (auto problem = readTables(db, bookPath, tables))
        return fail(*problem);
    if (tables.empty())
        return fail(QStringLiteral("The file %1 holds no tables.").arg(bookPath));
    return writeFiles(db, tables, folder, [&bookPath](const QSqlError &error) { return sqlFailure(bookPath, error); });
}

// The server's books as this desk sees them: the ticket's cells are this desk's own, read
// through the desk's views of Products and Employee.
CsvExport exportFromServer(const QString &service, const QString &folder)
{
    try {
        internal::ServerConnection server(service, false);
        QSqlDatabase db = server.db();
        // One snapshot for every table, whatever the desks write meanwhile.
        internal::execUnprepared(db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        // Older books are written as they stand; none or newer ones are refused.
        const int version = internal::serverBookVersion(db);
        if (version == 0 || version > bookVersion)
            internal::checkServerBooks(db, service);
        std::vector<Table> tables;
        for (const QString &name : catalog::tables(db)) {
            Table table{name, {}};
            for (const catalog::Column &column : catalog::columns(db, name))
                if (!isPassword(column.name))
                    table.columns.push_back({column.name, column.type, isTextDateField(name, column.name), true});
            tables.push_back(std::move(table));
        }
        const CsvExport result = writeFiles(db, tables, folder, [&](const QSqlError &error) {
            return QStringLiteral("The books on service %1 cannot be read: %2").arg(service, StoreError::fromSql(error, db).text());
        });
        QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        return result;
    } catch (const StoreError &error) {
        return failed(error.text() + QStringLiteral(" Nothing was exported."));
    }
}

} // namespace

QString spreadsheetText(const QString &text)
{
    if (!text.isEmpty()
        && (text[0] == u'=' || text[0] == u'+' || text[0] == u'-' || text[0] == u'@' || text[0] == u'\t' || text[0] == u'\r'))
        return QLatin1Char('\'') + text;
    return text;
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

CsvExport exportCsv(const QString &bookPath, const QString &folder)
{
    // An empty name would quietly mean the current folder.
    if (folder.isEmpty()) {
        CsvExport result;
        result.error = QStringLiteral("No folder was named for the export; nothing was exported.");
        return result;
    }
    if (!QFileInfo(bookPath).isFile()) {
        CsvExport result;
        result.error = QStringLiteral("Could not find file '%1'.").arg(bookPath);
        return result;
    }
    internal::ReadOnlyConnection book(bookPath, QStringLiteral("csv-export"));
    return exportFrom(book.db(), bookPath, folder);
}

CsvExport exportBooks(const QString &folder)
{
    const BookChoice choice = bookChoice();
    if (!choice.onServer())
        return exportCsv(employeeDbPath(), folder);
    if (folder.isEmpty())
        return failed(QStringLiteral("No folder was named for the export; nothing was exported."));
    return exportFromServer(choice.service, folder);
}

} // namespace salon
