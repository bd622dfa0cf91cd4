#include "bookingsteps.h"

#include "connections.h"
#include "dialogs.h"
#include "storeerror.h"

namespace daybook {

std::vector<Column> readTechnicians(QSqlDatabase db)
{
    std::vector<Column> technicians;
    QSqlQuery query = salon::runQuery(db, QStringLiteral("SELECT EmployeeID, FirstName, LastName FROM Employee "
                                                         "WHERE EmployeeID IS NOT NULL ORDER BY EmployeeID"));
    while (query.next()) {
        const QString name = (query.value(1).toString().trimmed() + QLatin1Char(' ') + query.value(2).toString().trimmed()).trimmed();
        const qint64 id = query.value(0).toLongLong();
        technicians.push_back({id, name.isEmpty() ? QStringLiteral("Technician %1").arg(id) : name, false});
    }
    return technicians;
}

bool startAccepted(QWidget *parent, QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int minutes)
{
    if (const std::optional<QString> refusal = salon::startRefusal(date, time)) {
        showMessage(parent, *refusal, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        return false;
    }
    for (const QString &question : salon::bookingQuestions(db, employeeId, date, time, minutes))
        if (showMessage(parent, question, Dialogs::Buttons::YesNo, Dialogs::Icon::Question) != Dialogs::Answer::Yes)
            return false;
    return true;
}

void showStoreError(QWidget *parent, const StoreError &error)
{
    switch (error.number()) {
    case StoreError::Clash:
    case StoreError::ValueRequired:
    case StoreError::Busy:
    case StoreError::ServerLost:
    case StoreError::ChangedElsewhere:
        showMessage(parent, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        break;
    default:
        showMessage(parent, QStringLiteral("Error %1: %2").arg(error.number()).arg(error.text()), QStringLiteral("ERROR"),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
}

} // namespace daybook
