#include "salontaxrate.h"

#include "database.h"
#include "values.h"

#include <QString>
#include <QVariant>

namespace salon {
namespace {

// An empty SalesTaxRate: nothing, or only blanks (the local file's column takes any text;
// a server's holds numbers only). 0 is a rate.
QString noRate(const QSqlDatabase &db)
{
    return isServer(db) ? QStringLiteral("(SalesTaxRate IS NULL)")
                        : QStringLiteral("(SalesTaxRate IS NULL OR trim(SalesTaxRate) = '')");
}

} // namespace

bool isNoTaxRate(const QVariant &stored)
{
    return stored.isNull() || (stored.typeId() == QMetaType::QString && stored.toString().trimmed().isEmpty());
}

std::optional<double> salonTaxRate(QSqlDatabase db, qint64 exceptRow)
{
    QSqlQuery rates = runQuery(
        db, QStringLiteral("SELECT DISTINCT SalesTaxRate FROM Employee WHERE NOT %1 AND rowid <> ?").arg(noRate(db)), {exceptRow});
    std::optional<double> common;
    while (rates.next()) {
        bool isNumber = false;
        const double stored = rates.value(0).toString().trimmed().toDouble(&isNumber);
        // A text that is no rate: nobody can say what the salon charges.
        const std::optional<double> rate = isNumber ? narrowRate(stored) : std::nullopt;
        if (!rate || (common && *common != *rate))
            return std::nullopt;
        common = rate;
    }
    return common;
}

int fillMissingTaxRates(QSqlDatabase db)
{
    const std::optional<double> rate = salonTaxRate(db);
    if (!rate)
        return 0;
    QSqlQuery query = runQuery(db, QStringLiteral("UPDATE Employee SET SalesTaxRate = ? WHERE %1").arg(noRate(db)), {*rate});
    return query.numRowsAffected();
}

} // namespace salon
