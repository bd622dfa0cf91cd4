// Copying the local book to a server: the server's books made in an empty database, every row
// carried over with its row number, and the copy compared with the book before it is committed.
#include "bookcopy.h"

#include "catalog.h"
#include "connections.h"
#include "currency.h"
#include "database.h"
#include "database_p.h"
#include "dialect.h"
#include "recordsource.h"
#include "schemaversion.h"
#include "storeerror.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace salon {
namespace {

// The copy refused; its text is the whole message.
struct Refusal
{
    QString text;
};

// The ticket's working cells belong to each desk: on the server the shared rows keep 0 there.
bool isTicketCell(const QString &table, const QString &column)
{
    if (table == QLatin1String("Products"))
        return column == QLatin1String("Quantity") || column == QLatin1String("Discount")
               || column == QLatin1String("SalePrice");
    return table == QLatin1String("Employee") && column == QLatin1String("SubTotal");
}

// The local book read-only, in one read transaction, closed when this goes.
class LocalBook
{
public:
    explicit LocalBook(const QString &path) : m_connection(path, QStringLiteral("book-copy"))
    {
        QSqlDatabase db = m_connection.db();
        if (!db.isOpen())
            throw Refusal{QStringLiteral("The file %1 cannot be opened: %2").arg(path, db.lastError().databaseText())};
        QSqlQuery begin(db);
        if (!begin.exec(QStringLiteral("BEGIN")))
            throw Refusal{QStringLiteral("The file %1 cannot be read: %2").arg(path, begin.lastError().databaseText())};
    }
    QSqlDatabase db() const { return m_connection.db(); }

private:
    internal::ReadOnlyConnection m_connection;
};

// A value of the book as a server column of `type` keeps it; `failed` names what it is not.
QVariant serverValue(const QVariant &value, const QString &type, bool wide, QString *failed)
{
    if (value.isNull())
        return QVariant();
    const int id = value.typeId();
    const bool isNumber = id == QMetaType::LongLong || id == QMetaType::Int || id == QMetaType::Double;
    if (type == QLatin1String("INTEGER") || type == QLatin1String("SMALLINT")) {
        const qint64 high = type == QLatin1String("SMALLINT") ? std::numeric_limits<qint16>::max()
                            : wide                            ? std::numeric_limits<qint64>::max()
                                                              : std::numeric_limits<qint32>::max();
        const qint64 low = -high - 1;
        if (id == QMetaType::LongLong || id == QMetaType::Int) {
            const qint64 whole = value.toLongLong();
            if (whole >= low && whole <= high)
                return whole;
        } else if (id == QMetaType::Double) {
            const double number = value.toDouble();
            if (number == std::trunc(number) && number >= double(low) && number <= double(high))
                return qint64(number);
        }
        *failed = QStringLiteral("a whole number");
        return {};
    }
    if (type == QLatin1String("CURRENCY")) {
        if (isNumber || id == QMetaType::QString)
            if (const auto money = Currency::fromStored(value))
                return money->plainText();
        *failed = QStringLiteral("an amount of money");
        return {};
    }
    if (type == QLatin1String("SINGLE") || type == QLatin1String("DOUBLE")) {
        if (isNumber)
            return value.toDouble();
        *failed = QStringLiteral("a number");
        return {};
    }
    // Text and dates (which the book keeps as text, and may hold as a number).
    QString text = value.toString();
    bool isText = true;
    if (id == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        text = QString::fromUtf8(bytes);
        isText = text.toUtf8() == bytes;
    }
    // The server's text holds no zero character.
    if (!isText || text.contains(QChar(0))) {
        *failed = QStringLiteral("text");
        return {};
    }
    return text;
}

QString shownValue(const QVariant &value)
{
    const QString text = value.typeId() == QMetaType::QByteArray ? QStringLiteral("<binary data>") : value.toString();
    return text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
}

// Inserts rows many at a time with one prepared statement; a last, shorter batch gets its own.
class BatchInsert
{
public:
    BatchInsert(QSqlDatabase db, const QString &table, const QStringList &columns)
        : m_db(db), m_columns(columns), m_perBatch(std::max<qsizetype>(1, 4000 / columns.size()))
    {
        QStringList names;
        for (const QString &column : columns)
            names << quotedName(column);
        m_head = QStringLiteral("INSERT INTO public.%1 (%2) VALUES ").arg(quotedName(table), names.join(u','));
        m_full = statement(m_perBatch);
    }
    void add(QVariantList values)
    {
        m_pending.append(std::move(values));
        if (m_pending.size() == m_perBatch * m_columns.size())
            flush();
    }
    void flush()
    {
        if (m_pending.isEmpty())
            return;
        const qsizetype rows = m_pending.size() / m_columns.size();
        std::unique_ptr<QSqlQuery> shorter;
        QSqlQuery *query = m_full.get();
        if (rows != m_perBatch) {
            shorter = statement(rows);
            query = shorter.get();
        }
        for (qsizetype i = 0; i < m_pending.size(); ++i)
            query->bindValue(int(i), m_pending[i]);
        if (!query->exec())
            throw StoreError::fromSql(query->lastError(), m_db);
        m_pending.clear();
    }

private:
    std::unique_ptr<QSqlQuery> statement(qsizetype rows)
    {
        const QString one = u'(' + QStringList(m_columns.size(), QStringLiteral("?")).join(u',') + u')';
        auto query = std::make_unique<QSqlQuery>(m_db);
        if (!query->prepare(m_head + QStringList(rows, one).join(u',')))
            throw StoreError::fromSql(query->lastError(), m_db);
        return query;
    }

    QSqlDatabase m_db;
    QStringList m_columns;
    qsizetype m_perBatch;
    QString m_head;
    std::unique_ptr<QSqlQuery> m_full;
    QVariantList m_pending;
};

// What a table holds, to compare the copy with: its rows and each money column's sum, summed
// from exact amounts (a wider sum than any amount, so a long journal cannot overflow it).
struct Tally
{
    qint64 rows = 0;
    std::map<QString, __int128> money;
};

QString sumText(__int128 scaled)
{
    const bool negative = scaled < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(scaled) : scaled;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude > 0);
    while (digits.size() < 5)
        digits.prepend(u'0');
    return (negative ? QStringLiteral("-") : QString()) + digits.left(digits.size() - 4) + u'.' + digits.right(4);
}

struct TableCopy
{
    QString table;
    std::vector<catalog::Column> columns;
    bool keyNumbersRows = false;   // the journals: the row number is the key, not a column of its own
};

// Copies one table's rows; returns the book's tally of them.
Tally copyTable(QSqlDatabase local, QSqlDatabase server, const TableCopy &copy, const QString &bookPath)
{
    QStringList selected{QStringLiteral("rowid")};
    QStringList inserted;
    if (!copy.keyNumbersRows)
        inserted << QStringLiteral("rowid");
    for (const catalog::Column &column : copy.columns) {
        selected << quotedName(column.name);
        inserted << column.name;
    }
    QSqlQuery rows(local);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(selected.join(u','), quotedName(copy.table))))
        throw Refusal{QStringLiteral("The file %1 cannot be read: %2").arg(bookPath, rows.lastError().databaseText())};

    Tally tally;
    for (const catalog::Column &column : copy.columns)
        if (column.type == QLatin1String("CURRENCY"))
            tally.money[column.name] = 0;
    BatchInsert batch(server, copy.table, inserted);
    while (rows.next()) {
        const qint64 rowid = rows.value(0).toLongLong();
        QVariantList values;
        if (!copy.keyNumbersRows)
            values << rowid;
        for (int i = 0; i < int(copy.columns.size()); ++i) {
            const catalog::Column &column = copy.columns[std::size_t(i)];
            if (isTicketCell(copy.table, column.name)) {
                values << 0;
                continue;
            }
            const QVariant stored = rows.value(i + 1);
            QString failed;
            const QVariant value = serverValue(stored, column.type, column.numbersRows, &failed);
            if (!failed.isEmpty())
                throw Refusal{QStringLiteral("The value '%1' in %2.%3, row %4 of the book, is not %5 the server can keep; "
                                             "nothing was written.")
                                  .arg(shownValue(stored), copy.table, column.name)
                                  .arg(rowid)
                                  .arg(failed)};
            if (column.type == QLatin1String("CURRENCY") && !value.isNull())
                tally.money[column.name] += Currency::fromDecimalText(value.toString())->scaled();
            values << value;
        }
        batch.add(std::move(values));
        ++tally.rows;
    }
    if (rows.lastError().isValid())
        throw Refusal{QStringLiteral("The file %1 cannot be read: %2").arg(bookPath, rows.lastError().databaseText())};
    batch.flush();
    return tally;
}

// The same tally read back from the server's rows.
Tally serverTally(QSqlDatabase server, const TableCopy &copy, const Tally &expected)
{
    Tally tally;
    QStringList names;
    for (const auto &[name, sum] : expected.money) {
        tally.money[name] = 0;
        names << quotedName(name);
    }
    QSqlQuery rows(server);
    rows.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT 1%1 FROM public.%2")
                            .arg(names.isEmpty() ? QString() : u',' + names.join(u','), quotedName(copy.table));
    if (!rows.exec(sql))
        throw StoreError::fromSql(rows.lastError(), server);
    while (rows.next()) {
        ++tally.rows;
        int i = 1;
        for (auto &[name, sum] : tally.money) {
            const QVariant value = rows.value(i++);
            const auto money = Currency::fromStored(value);
            if (!money)
                throw Refusal{QStringLiteral("The server's %1.%2 holds '%3', which is no amount of money; nothing was "
                                             "written.").arg(copy.table, name, value.toString())};
            sum += money->scaled();
        }
    }
    return tally;
}

// The journals' highest numbers as the book keeps them (SQLite's own AUTOINCREMENT table).
QHash<QString, qint64> highestNumbers(QSqlDatabase local)
{
    QHash<QString, qint64> highest;
    QSqlQuery exists(local);
    if (!exists.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'")) || !exists.next()
        || exists.value(0).toInt() == 0)
        return highest;
    QSqlQuery rows(local);
    rows.setForwardOnly(true);
    if (rows.exec(QStringLiteral("SELECT name, seq FROM sqlite_sequence")))
        while (rows.next())
            highest.insert(rows.value(0).toString(), rows.value(1).toLongLong());
    return highest;
}

void checkLocalBook(QSqlDatabase local, const QString &bookPath)
{
    int version = 0;
    try {
        version = recordedVersion(local);
    } catch (const StoreError &error) {
        throw Refusal{QStringLiteral("The file %1 cannot be read: %2").arg(bookPath, error.text())};
    }
    if (version > bookVersion)
        throw Refusal{newerBookText(bookPath, version)};
    if (version < bookVersion)
        throw Refusal{QStringLiteral("The file %1 is version %2 of the salon's book; start Velorine once to bring it up "
                                     "to version %3, then copy it.")
                          .arg(bookPath)
                          .arg(version)
                          .arg(bookVersion)};
}

// The book's tables, each with the server's columns, in the server's order. A table or column
// of the book that the server's books lack is refused rather than left behind.
std::vector<TableCopy> plan(QSqlDatabase local, QSqlDatabase server)
{
    std::vector<TableCopy> copies;
    QSet<QString> onServer;
    for (const QString &table : catalog::tables(server)) {
        onServer.insert(table.toLower());
        TableCopy copy{table, catalog::columns(server, table), false};
        QSet<QString> serverColumns;
        for (const catalog::Column &column : copy.columns) {
            serverColumns.insert(column.name.toLower());
            copy.keyNumbersRows = copy.keyNumbersRows || column.numbersRows;
        }
        const std::vector<catalog::Column> localColumns = catalog::columns(local, table);
        if (localColumns.empty())
            throw Refusal{QStringLiteral("The book has no table %1; nothing was written.").arg(table)};
        for (const catalog::Column &column : localColumns)
            if (!serverColumns.contains(column.name.toLower()))
                throw Refusal{QStringLiteral("The book's column %1.%2 has no place in the server's books; nothing was "
                                             "written.").arg(table, column.name)};
        copies.push_back(std::move(copy));
    }
    for (const QString &table : catalog::tables(local))
        if (!onServer.contains(table.toLower()))
            throw Refusal{QStringLiteral("The book's table %1 has no place in the server's books; nothing was written.")
                              .arg(table)};
    return copies;
}

qint64 copyAll(QSqlDatabase local, QSqlDatabase server, const QString &bookPath, const BeforeComparing &beforeComparing)
{
    internal::execUnprepared(server, internal::resourceText(QStringLiteral("server-schema.sql")));
    runQuery(server, QStringLiteral("INSERT INTO velorine.\"Book\" (version) VALUES (?)"), {bookVersion});
    learnNames(server);

    const std::vector<TableCopy> copies = plan(local, server);
    std::map<QString, Tally> expected;
    qint64 copied = 0;
    for (const TableCopy &copy : copies) {
        // The journals' highest numbers are set from the book below, not row by row.
        if (copy.keyNumbersRows)
            internal::execUnprepared(server, QStringLiteral("ALTER TABLE public.%1 DISABLE TRIGGER keep_highest").arg(quotedName(copy.table)));
        expected[copy.table] = copyTable(local, server, copy, bookPath);
        copied += expected[copy.table].rows;
        if (copy.keyNumbersRows)
            internal::execUnprepared(server, QStringLiteral("ALTER TABLE public.%1 ENABLE TRIGGER keep_highest").arg(quotedName(copy.table)));
    }

    // New rows get numbers past the copied ones; a journal never gives a number the book gave.
    const QHash<QString, qint64> highest = highestNumbers(local);
    for (const TableCopy &copy : copies) {
        if (copy.keyNumbersRows) {
            runQuery(server, QStringLiteral("INSERT INTO velorine.\"Highest Numbers\" (table_name, highest) "
                                            "SELECT ?, greatest(?, coalesce(max(rowid), 0)) FROM public.%1")
                                 .arg(quotedName(copy.table)),
                     {copy.table, highest.value(copy.table, 0)});
        } else {
            runQuery(server, QStringLiteral("SELECT setval(pg_get_serial_sequence(?, 'rowid'), max(rowid)) FROM public.%1 "
                                            "HAVING max(rowid) IS NOT NULL")
                                 .arg(quotedName(copy.table)),
                     {QStringLiteral("public.") + quotedName(copy.table)});
        }
    }

    if (beforeComparing)
        beforeComparing(server);

    // The local count is asked of the book itself, in the same read, not taken from the copying.
    QStringList differences;
    for (const TableCopy &copy : copies) {
        const Tally &book = expected[copy.table];
        QSqlQuery count(local);
        if (!count.exec(QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(copy.table))) || !count.next())
            throw Refusal{QStringLiteral("The file %1 cannot be read: %2").arg(bookPath, count.lastError().databaseText())};
        const qint64 bookRows = count.value(0).toLongLong();
        const Tally copied = serverTally(server, copy, book);
        if (copied.rows != bookRows || book.rows != bookRows)
            differences << QStringLiteral("%1 has %2 rows in the book and %3 on the server")
                               .arg(copy.table)
                               .arg(bookRows)
                               .arg(copied.rows);
        for (const auto &[column, sum] : book.money)
            if (copied.money.at(column) != sum)
                differences << QStringLiteral("%1.%2 sums to %3 in the book and %4 on the server")
                                   .arg(copy.table, column, sumText(sum), sumText(copied.money.at(column)));
    }
    if (!differences.isEmpty())
        throw Refusal{QStringLiteral("The copy does not match the book: %1; nothing was written.")
                          .arg(differences.join(QStringLiteral("; ")))};
    return copied;
}

} // namespace

BookCopy copyBookTo(const QString &bookPath, const QString &service, const BeforeComparing &beforeComparing)
{
    internal::loadBuiltInFiles();
    BookCopy result;
    if (!QFileInfo(bookPath).isFile()) {
        result.problem = QStringLiteral("Could not find file '%1'.").arg(bookPath);
        return result;
    }
    try {
        LocalBook local(bookPath);
        checkLocalBook(local.db(), bookPath);
        internal::ServerConnection connection(service, false);
        QSqlDatabase server = connection.db();
        QSqlQuery tables = runQuery(server, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                                           "WHERE table_schema IN ('public', 'velorine')"));
        if (!tables.next() || tables.value(0).toLongLong() > 0) {
            result.problem = QStringLiteral("The database of service %1 already holds tables; nothing was written.").arg(service);
            return result;
        }
        internal::execUnprepared(server, QStringLiteral("BEGIN"));
        try {
            result.rows = copyAll(local.db(), server, bookPath, beforeComparing);
            internal::execUnprepared(server, QStringLiteral("COMMIT"));
        } catch (...) {
            QSqlQuery(server).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } catch (const Refusal &refusal) {
        result = {0, refusal.text};
    } catch (const StoreError &error) {
        result = {0, QStringLiteral("%1 Nothing was written.").arg(error.text())};
    }
    return result;
}

} // namespace salon
