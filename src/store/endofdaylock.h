#pragma once
#include <QSqlDatabase>
#include <QString>

namespace salon {

// End Of Day on a server runs on one desk at a time: while one desk holds this lock (a session
// lock, so a desk that crashes or loses the server lets go of it), another desk's End Of Day is
// refused, and its sales wait and are then refused (see Transaction), so no sale can fall
// between a technician's posting and the clearing of the day total. The desk holding it goes
// on writing. On the local file there is one desk and the lock does nothing.
class EndOfDayLock
{
public:
    // Takes the lock, waiting a moment for sales in progress on other desks. Throws StoreError
    // naming the desk that holds it.
    explicit EndOfDayLock(QSqlDatabase db);
    // Lets go; never throws.
    ~EndOfDayLock();
    EndOfDayLock(const EndOfDayLock &) = delete;
    EndOfDayLock &operator=(const EndOfDayLock &) = delete;

private:
    QString m_connection;
    bool m_held = false;
};

// The name of the desk running End Of Day on the server, empty when none is (or on the local file).
QString endOfDayDesk(QSqlDatabase db);

namespace internal {
// The server's advisory lock keys: one class for the program, one number per purpose.
constexpr int lockClass = 0x56454c4f;   // "VELO"
constexpr int writeLock = 1;            // held by every write transaction
constexpr int endOfDayLock = 2;         // held by End Of Day (and a server upgrade) for the session
} // namespace internal

} // namespace salon
