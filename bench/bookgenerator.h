#pragma once
#include <QSqlDatabase>

// Fills an open salon book with `customers` customers (numbered 1, 2, 3 ... in row order,
// last names drawn from a small list so that names repeat) and `journalRows` sales-journal
// rows spread over them, in one transaction.
void generateBook(QSqlDatabase db, int customers, int journalRows);

// A last name the generator uses, for lookups.
QString generatedLastName(int n);
