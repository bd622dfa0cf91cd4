#pragma once
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace salon {

// BEGIN IMMEDIATE ... COMMIT around a user action that writes several rows; nests.
// Rolls back when it goes without commit(). An inner one that goes without commit() dooms the
// outer one: its commit() then rolls everything back and throws StoreError. Record sets that
// wrote inside a rolled-back transaction re-read their rows.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    QString m_connection;
    bool m_done = false;
};

// Whether a transaction is open on the connection.
bool inTransaction(const QSqlDatabase &db);
// Inside an open transaction: runs `reread` if that transaction is rolled back, unless `owner`
// has gone by then. Outside one it does nothing.
void onRollback(const QSqlDatabase &db, QObject *owner, std::function<void()> reread);

} // namespace salon
