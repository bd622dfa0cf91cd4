#include "salontaxrate.h"

#include "database.h"

#include <QString>

namespace salon {

std::optional<double> salonTaxRate(QSqlDatabase db)
{
    QSqlQuery rates = runQuery(db, QStringLiteral("SELECT DISTINCT SalesTaxRate FROM Employee "
                                                  "WHERE SalesTaxRate IS NOT NULL AND trim(SalesTaxRate) <> ''"));
    std::optional<double> common;
    while (rates.next()) {
        bool isNumber = false;
        const double stored = rates.value(0).toDouble(&isNumber);
        if (!isNumber)
            return std::nullopt;   // a text that is no rate: nobody can say what the salon charges
        // The rate is kept at single precision and read back as its shortest decimal text.
        const double rate = QString::number(float(stored), 'g', 7).toDouble();
        if (common && *common != rate)
            return std::nullopt;
        common = rate;
    }
    return common;
}

} // namespace salon
