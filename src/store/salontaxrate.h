#pragma once
#include <QSqlDatabase>
#include <optional>

namespace salon {

// The salon's sales-tax rate as the employee rows carry it: the one rate every row with a
// rate holds (compared at the single precision the rate is kept in). Nothing when no row has
// a rate, or when the rows disagree: then no rate is guessed. 0 is a rate; empty is none.
// Throws StoreError.
std::optional<double> salonTaxRate(QSqlDatabase db);

} // namespace salon
