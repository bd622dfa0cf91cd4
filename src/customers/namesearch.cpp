#include "namesearch.h"

#include "database.h"
#include "storeerror.h"

#include <QSqlError>
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
        QSqlQuery query(connection.db());
        query.setForwardOnly(true);
        // The typed names never enter this text: they are compared below.
        if (!query.exec(QStringLiteral("SELECT rowid, ifnull(FirstName, '') || ' ' || ifnull(LastName, '') AS Name, "
                                       "CustomerID FROM Customers ORDER BY rowid")))
            throw StoreError::fromSql(query.lastError());
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

} // namespace namesearch
