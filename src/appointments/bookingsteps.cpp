#include "bookingsteps.h"

#include "connections.h"
#include "dialogs.h"
#include "storeerror.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>

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

AppointmentFields makeAppointmentFields(QWidget *parent, const std::vector<Column> &technicians, QDate date, QTime time,
                                        int minutes, int buffer, const QString &notes)
{
    AppointmentFields fields;
    fields.technician = new QComboBox(parent);
    fields.technician->setObjectName(QStringLiteral("cboTechnician"));
    for (const Column &technician : technicians)
        fields.technician->addItem(technician.name, technician.employeeId);
    fields.date = new QDateEdit(date, parent);
    fields.date->setObjectName(QStringLiteral("dtpDate"));
    fields.date->setCalendarPopup(true);
    fields.start = new QTimeEdit(time, parent);
    fields.start->setObjectName(QStringLiteral("tmeStart"));
    fields.start->setDisplayFormat(QStringLiteral("HH:mm"));
    const auto minuteBox = [parent](const QString &name, int lowest, int highest, int value) {
        auto *box = new QSpinBox(parent);
        box->setObjectName(name);
        box->setRange(lowest, highest);
        box->setSingleStep(5);
        box->setSuffix(QStringLiteral(" min"));
        box->setValue(value);
        return box;
    };
    fields.minutes = minuteBox(QStringLiteral("spnMinutes"), 5, 720, minutes);
    fields.buffer = minuteBox(QStringLiteral("spnBuffer"), 0, 120, buffer);
    fields.notes = new QLineEdit(notes, parent);
    fields.notes->setObjectName(QStringLiteral("txtNotes"));
    return fields;
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
