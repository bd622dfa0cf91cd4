#pragma once
#include <QtGlobal>

// How far the caption's saying lies past the first record of the sayings, for a draw r in
// [0, 1): floor(r * 1038 + 1), i.e. 1 to 1038, so the saying is one of records 2 to 1039 and
// the first record is never shown. A shorter table narrows the range to the records it has;
// 0 means there is no saying to show (fewer than two records).
qint64 sayingStep(double r, qint64 recordCount);
