// Transactions: nested BEGIN IMMEDIATE ... COMMIT per connection, and re-reading the record
// sets that wrote in one that was rolled back.
#include "transaction.h"

#include "connections.h"
#include "database_p.h"
#include "dialect.h"
#include "endofdaylock.h"
#include "otherdesks.h"
#include "storeerror.h"

#include <QHash>
#include <QPointer>
#include <QSqlQuery>
#include <utility>
#include <vector>

namespace salon {
namespace {

// The transaction state of one connection: how deep the nesting is, whether an inner
// transaction gave up (so the whole must roll back), and the record sets to re-read when it does.
struct TransactionState
{
    int depth = 0;
    bool doomed = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> onRollback;
};

using internal::endOfDayLock;
using internal::lockClass;
using internal::writeLock;

// On a server, every write transaction first waits while another desk runs End Of Day (a sale
// between its posting and its clearing of the day total would be lost), then takes the one write
// lock, so desks write one at a time and numbers handed out as the largest plus one are never
// handed out twice. End Of Day's lock comes first: a desk waiting for it must not hold the write
// lock that End Of Day's own postings need.
void beginOnServer(QSqlDatabase db)
{
    internal::execUnprepared(db, QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
    bool waitingForEndOfDay = false;
    try {
        internal::execUnprepared(db, QStringLiteral("SET LOCAL lock_timeout = '5s'"));
        waitingForEndOfDay = true;
        internal::execUnprepared(db, QStringLiteral("SELECT pg_advisory_xact_lock_shared(%1, %2)").arg(lockClass).arg(endOfDayLock));
        waitingForEndOfDay = false;
        internal::execUnprepared(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(lockClass).arg(writeLock));
    } catch (const StoreError &error) {
        if (db.isOpen())
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        if (waitingForEndOfDay && error.number() == StoreError::Busy) {
            QString desk;
            try {
                desk = endOfDayDesk(db);
            } catch (const StoreError &) {
                // Then the wait is told as any other.
            }
            if (!desk.isEmpty())
                throw StoreError(StoreError::Busy,
                                 QStringLiteral("End Of Day is running on desk %1; nothing was stored.").arg(desk));
        }
        throw;
    }
}

// Begins on a server, opening again a connection the server dropped. A drop while the desk was
// idle shows only at the first statement; nothing was sent before it, so it is tried once more.
void beginOnServerConnected(QSqlDatabase db)
{
    const bool reopened = internal::reconnectIfLost(db);
    try {
        beginOnServer(db);
    } catch (const StoreError &error) {
        if (reopened || error.number() != StoreError::ServerLost)
            throw;
        internal::reconnectIfLost(db);
        beginOnServer(db);
    }
}

QHash<QString, TransactionState> &transactions()
{
    static QHash<QString, TransactionState> state;
    return state;
}

// Ends the outermost transaction with a rollback and tells the record sets that wrote in it.
void rollBack(const QString &connection)
{
    TransactionState &state = transactions()[connection];
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (db.isOpen())   // a connection the server dropped took its transaction with it
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    const auto listeners = std::move(state.onRollback);
    transactions().remove(connection);
    for (const auto &[owner, reread] : listeners) {
        if (!owner)
            continue;
        try {
            reread();
        } catch (const StoreError &) {
            // The set reads its rows again at its next use (the server may be gone just now).
        }
    }
}

} // namespace

Transaction::Transaction(QSqlDatabase db) : m_connection(db.connectionName())
{
    TransactionState &state = transactions()[m_connection];
    if (state.depth == 0) {
        try {
            if (isServer(db))
                beginOnServerConnected(db);
            else
                runPrepared(db, QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const StoreError &) {
            transactions().remove(m_connection);
            throw;
        }
    }
    ++state.depth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    TransactionState &state = transactions()[m_connection];
    if (--state.depth > 0) {
        // An inner part gave up: the whole action must not be stored.
        state.doomed = true;
        return;
    }
    try {
        rollBack(m_connection);
    } catch (...) {
        // A destructor must not throw; the rollback itself has happened.
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    m_done = true;
    TransactionState &state = transactions()[m_connection];
    if (--state.depth > 0)
        return;
    if (state.doomed) {
        rollBack(m_connection);
        throw StoreError(StoreError::TransactionRolledBack,
                         QStringLiteral("The changes were not saved: part of the work failed and all of it was undone."));
    }
    try {
        const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (isServer(db)) {
            announceCommit(db);   // the other desks hear of it once it is committed
            internal::execUnprepared(db, QStringLiteral("COMMIT"));
        } else {
            runPrepared(db, QStringLiteral("COMMIT"));
        }
    } catch (const StoreError &) {
        rollBack(m_connection);
        throw;
    }
    transactions().remove(m_connection);
}

bool inTransaction(const QSqlDatabase &db)
{
    const auto it = transactions().constFind(db.connectionName());
    return it != transactions().constEnd() && it->depth > 0;
}

void onRollback(const QSqlDatabase &db, QObject *owner, std::function<void()> reread)
{
    auto it = transactions().find(db.connectionName());
    if (it == transactions().end() || it->depth == 0)
        return;
    for (const auto &entry : it->onRollback)
        if (entry.first == owner)
            return;   // once per transaction is enough
    it->onRollback.emplace_back(owner, std::move(reread));
}

} // namespace salon
