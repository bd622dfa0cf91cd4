#include "namesearch.h"

#include "database.h"
#include "storeerror.h"

#include <QSqlQuery>

namespace namesearch {

QString criterionText(const QString &firstName, const QString &lastName)
{
    return QStringLiteral("Name = '") + firstName + u' ' + lastName + u'\'';
}

std::vector<Entry> readNames()
{
    salon::ShortConnection connection;
    std::vector<Entry> names;
    {
        // The typed names never enter this text: they are compared below.
        QSqlQuery query = salon::runQuery(connection.db(),
            QStringLiteral("SELECT rowid, ifnull(FirstName, '') || ' ' || ifnull(LastName, '') AS Name, "
                           "CustomerID FROM Customers ORDER BY rowid"));
        while (query.next())
            names.push_back({query.value(0).toLongLong(), query.value(1).toString(), query.value(2)});
    }
    return names;
}

bool matches(const Entry &entry, const QString &firstName, const QString &lastName)
{
    const QString wanted = firstName + u' ' + lastName;
    return entry.name.trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

std::optional<Entry> find(const std::vector<Entry> &names, const QString &firstName, const QString &lastName,
                          Direction direction, qint64 fromKey)
{
    auto match = [&](const Entry &e) { return matches(e, firstName, lastName); };
    switch (direction) {
    case Direction::First:
        for (const Entry &e : names)
            if (match(e))
                return e;
        break;
    case Direction::Last:
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            if (match(*it))
                return *it;
        break;
    case Direction::Next:
        if (fromKey < 0)
            break;
        for (const Entry &e : names)
            if (e.key > fromKey && match(e))
                return e;
        break;
    case Direction::Previous:
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            if ((fromKey < 0 || it->key < fromKey) && match(*it))
                return *it;
        break;
    }
    return std::nullopt;
}

namespace {

// The stored name as the store compares it: both parts joined by one blank, outer white
// space dropped, letter case ignored. The same text defines the "Customers.Name" index of new
// books; the server's index is on its own spelling of it, so that it is used there too.
const QString storedNameLocal = QStringLiteral(
    "trim(ifnull(FirstName, '') || ' ' || ifnull(LastName, ''), ' ' || char(9) || char(10) || char(13)) "
    "= ? COLLATE NOCASE");
const QString storedNameServer = QStringLiteral(
    "(trim(coalesce(\"FirstName\", '') || ' ' || coalesce(\"LastName\", ''), ' ' || chr(9) || chr(10) || chr(13)) "
    "COLLATE nocase) = ?");

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 127)
            return false;
    return true;
}

std::optional<Entry> searchInStore(const QString &wanted, Direction direction, qint64 fromKey)
{
    if (direction == Direction::Next && fromKey < 0)
        return std::nullopt;
    salon::ShortConnection connection;
    QSqlDatabase db = connection.db();
    QString sql = QStringLiteral("SELECT rowid, ifnull(FirstName, '') || ' ' || ifnull(LastName, ''), CustomerID "
                                 "FROM Customers WHERE %1")
                      .arg(salon::isServer(db) ? storedNameServer : storedNameLocal);
    switch (direction) {
    case Direction::First: sql += QStringLiteral(" ORDER BY rowid LIMIT 1"); break;
    case Direction::Last: sql += QStringLiteral(" ORDER BY rowid DESC LIMIT 1"); break;
    case Direction::Next: sql += QStringLiteral(" AND rowid > ? ORDER BY rowid LIMIT 1"); break;
    case Direction::Previous: sql += QStringLiteral(" AND (? < 0 OR rowid < ?) ORDER BY rowid DESC LIMIT 1"); break;
    }
    QVariantList values{wanted};
    if (direction == Direction::Next)
        values << fromKey;
    if (direction == Direction::Previous)
        values << fromKey << fromKey;
    QSqlQuery query = salon::runQuery(db, sql, values);
    if (!query.next())
        return std::nullopt;
    return Entry{query.value(0).toLongLong(), query.value(1).toString(), query.value(2)};
}

} // namespace

std::optional<Entry> search(const QString &firstName, const QString &lastName, Direction direction, qint64 fromKey)
{
    const QString wanted = (firstName + u' ' + lastName).trimmed();
    if (isAscii(wanted))
        return searchInStore(wanted, direction, fromKey);
    return find(readNames(), firstName, lastName, direction, fromKey);
}

} // namespace namesearch
