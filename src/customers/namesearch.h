#pragma once
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

// The customer name search: the customers' "first last" names, matched as whole texts without
// regard to letter case or to blanks at either end, so that a customer stored with one name
// only is found with a blank typed for the other.
namespace namesearch {

struct Entry
{
    qint64 key;          // the Customers row (its bookmark in a record set on the table)
    QString name;        // first name, one blank, last name; a missing part is empty
    QVariant customerId;
};

enum class Direction { First, Last, Next, Previous };

// The criterion as the user reads it in the no-match message: Name = 'first last'.
QString criterionText(const QString &firstName, const QString &lastName);

// The name list, read on a short-lived connection of its own.
std::vector<Entry> readNames();

bool matches(const Entry &entry, const QString &firstName, const QString &lastName);

// The matching entry in table order: First and Last over the whole list; Next and Previous
// after or before the row `fromKey` (the customer on screen; -1 for none, where Next finds
// nothing and Previous searches from the end).
std::optional<Entry> find(const std::vector<Entry> &names, const QString &firstName, const QString &lastName,
                          Direction direction, qint64 fromKey = -1);

// The search the customer screen runs: the matching entry in table order, read on a
// short-lived connection. Names in plain ASCII are matched by the store itself (on an index
// where the book has one); others are compared here, letter case folded for every alphabet.
std::optional<Entry> search(const QString &firstName, const QString &lastName, Direction direction,
                            qint64 fromKey = -1);

} // namespace namesearch
