// Transactions: nested BEGIN IMMEDIATE ... COMMIT per connection, and re-reading the record
// sets that wrote in one that was rolled back.
#include "transaction.h"

#include "connections.h"
#include "dialect.h"
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

// On a server, every write transaction first takes this one lock, so desks write one at a time
// and numbers handed out as the largest plus one are never handed out twice.
constexpr int lockClass = 0x56454c4f;   // "VELO"
constexpr int writeLock = 1;

// Runs a statement the server cannot prepare (BEGIN, SET, COMMIT). Throws StoreError.
void execDirect(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw StoreError::fromSql(query.lastError(), db);
}

void beginOnServer(QSqlDatabase db)
{
    execDirect(db, QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
    try {
        execDirect(db, QStringLiteral("SET LOCAL lock_timeout = '5s'"));
        execDirect(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(lockClass).arg(writeLock));
    } catch (const StoreError &) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
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
    QSqlQuery(QSqlDatabase::database(connection, false)).exec(QStringLiteral("ROLLBACK"));
    const auto listeners = std::move(state.onRollback);
    transactions().remove(connection);
    for (const auto &[owner, reread] : listeners)
        if (owner)
            reread();
}

} // namespace

Transaction::Transaction(QSqlDatabase db) : m_connection(db.connectionName())
{
    TransactionState &state = transactions()[m_connection];
    if (state.depth == 0) {
        try {
            if (isServer(db))
                beginOnServer(db);
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
            execDirect(db, QStringLiteral("COMMIT"));
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
