#pragma once
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QTimer>
#include <QVariant>

// What the other desks on a server do, as far as this desk must follow it. Every write
// transaction on a server announces its commit on one channel (announceCommit, run by
// Transaction right before COMMIT); each desk listens on its program-wide connection, and the
// commits of other desks arrive here through the event loop and go out as one signal that the
// record screens follow. Nothing of this happens on the local file.
namespace salon {

class OtherDesks : public QObject
{
    Q_OBJECT
public:
    static OtherDesks *instance();

    // Subscribes a server connection to the channel (once per connection; again after it was
    // opened anew). Returns false when the server refuses.
    bool listenOn(QSqlDatabase db);

signals:
    // Another desk committed writes; commits close together come as one.
    void committed();

private:
    OtherDesks();
    void heard(const QString &channel, QSqlDriver::NotificationSource source, const QVariant &payload);
    void passOn();

    QTimer m_gather;
};

// Announces this desk's commit; run inside the write transaction, right before COMMIT, so the
// news goes out only when the writes are stored. Throws StoreError.
void announceCommit(QSqlDatabase db);

// Listens for the other desks' commits on a server connection; does nothing on the local file.
// Returns false when the server refuses.
bool listenForOtherDesks(QSqlDatabase db);

} // namespace salon
