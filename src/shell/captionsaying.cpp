#include "captionsaying.h"

#include <algorithm>
#include <cmath>

qint64 sayingStep(double r, qint64 recordCount)
{
    const qint64 span = std::min<qint64>(1038, recordCount - 1);
    if (span < 1)
        return 0;
    const qint64 step = qint64(std::floor(r * double(span) + 1.0));
    return std::clamp<qint64>(step, 1, span);
}
