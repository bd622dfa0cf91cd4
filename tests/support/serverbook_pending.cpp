// Stand-ins for the store's server set-up, which is being written elsewhere: they let the
// test support link meanwhile. Delete this file (and its line in CMakeLists.txt) once the
// store defines these functions.
#include "serverbook.h"

namespace salon {

std::optional<QString> initServer(const QString &)
{
    return QStringLiteral("The server back end is not built yet.");
}

std::optional<QString> useServer(const QString &)
{
    return QStringLiteral("The server back end is not built yet.");
}

} // namespace salon
