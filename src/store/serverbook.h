#pragma once
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// The salon's books on a PostgreSQL server, for salons with several desks. The desk's choice
// (a libpq service name and this desk's name) is kept in the data folder, so a practice copy
// under another data folder never reaches the live server. Connection details come from the
// libpq service file and ~/.pgpass, never from the program's settings.
namespace salon {

// Which books this desk uses: the local file when `service` is empty.
struct BookChoice
{
    QString service;
    QString desk;   // this desk's name; the host name unless one was set
    bool onServer() const { return !service.isEmpty(); }
};
BookChoice bookChoice();

// Each returns the reason in the program's words when it cannot do what it was asked.
// Checks that the service answers and holds books of a version this program knows, then
// stores the choice.
std::optional<QString> useServer(const QString &service);
// Forgets the server: the desk uses the local file again.
std::optional<QString> useLocal();
std::optional<QString> setDeskName(const QString &name);
// Creates the book's tables and first rows in an empty database.
std::optional<QString> initServer(const QString &service);

// Opens a connection to the service under `connectionName` as desk `desk`, checks the books'
// version and prepares this desk's view of the ticket. Throws StoreError.
QSqlDatabase openServer(const QString &service, const QString &desk, const QString &connectionName);

// Tells whoever keeps something of a server connection's session (prepared statements, the
// notices it listens for) that the server dropped it and it is being opened again.
class ServerSessions : public QObject
{
    Q_OBJECT
public:
    static ServerSessions &instance();

signals:
    // Before the lost connection is opened again: let go of what was prepared on it.
    void reopening(const QString &connectionName);
    // The connection is open again as the same desk.
    void reopened(const QString &connectionName);
};

} // namespace salon
