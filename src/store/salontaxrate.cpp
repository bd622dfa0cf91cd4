#include "salontaxrate.h"

#include "database.h"

#include <QLocale>
#include <QSqlQuery>
#include <QVariant>

namespace salon {
namespace {

const QString noRate = QStringLiteral("(SalesTaxRate IS NULL OR SalesTaxRate = '')");

} // namespace

std::optional<double> salonTaxRate(QSqlDatabase db, qint64 exceptRow)
{
    QSqlQuery query = runQuery(
        db, QStringLiteral("SELECT DISTINCT SalesTaxRate FROM Employee WHERE NOT %1 AND rowid <> ?").arg(noRate), {exceptRow});
    std::optional<double> rate;
    while (query.next()) {
        // A rate kept as text counts by its number; text that is no number is a rate nobody can repeat.
        bool ok = false;
        const double value = QLocale::c().toDouble(query.value(0).toString().trimmed(), &ok);
        if (!ok || (rate && *rate != value))
            return std::nullopt;
        rate = value;
    }
    return rate;
}

int fillMissingTaxRates(QSqlDatabase db)
{
    const auto rate = salonTaxRate(db);
    if (!rate)
        return 0;
    QSqlQuery query = runQuery(db, QStringLiteral("UPDATE Employee SET SalesTaxRate = ? WHERE %1").arg(noRate), {*rate});
    return query.numRowsAffected();
}

} // namespace salon
