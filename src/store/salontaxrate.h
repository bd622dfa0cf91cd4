#pragma once
#include <QSqlDatabase>
#include <QVariant>
#include <optional>

// The salon's sales-tax rate. Tax Rate on the price list writes one rate into every employee
// row; a row added later has none (an empty SalesTaxRate; 0 is a rate). Such a row takes the
// salon's rate: the one rate the rows that have one carry. When they carry different rates,
// or none has a rate, nothing is guessed. Failures throw StoreError.
namespace salon {

// The rate every employee row with a rate carries (rows without one, and the row `exceptRow`,
// left out); nullopt when none has a rate or they differ.
std::optional<double> salonTaxRate(QSqlDatabase db, qint64 exceptRow = -1);

// Whether a stored SalesTaxRate holds no rate: nothing, or only blanks (the SQL test of the
// same rule is kept beside it in salontaxrate.cpp).
bool isNoTaxRate(const QVariant &stored);

// Gives every employee row without a rate the salon's rate; the number of rows given it.
int fillMissingTaxRates(QSqlDatabase db);

} // namespace salon
