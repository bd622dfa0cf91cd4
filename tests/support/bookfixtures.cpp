#include "bookfixtures.h"

#include "testhome.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>
#include <QUrl>

namespace {

// The layout of every book made before versions were recorded.
const char *const version1Schema = R"(
CREATE TABLE Employee (
    EmployeeID INTEGER, Prefix TEXT, FirstName TEXT, MiddleName TEXT, LastName TEXT,
    SSecurity TEXT, Address TEXT, City TEXT, State TEXT, Zip TEXT, Phone TEXT, License TEXT,
    Birthdate TEXT, DateHired TEXT, DateQuit TEXT, EmrgcyName TEXT, EmrgcyPhone TEXT,
    Notes TEXT, password TEXT, SubTotal CURRENCY, Total CURRENCY, SalesTaxRate SINGLE);
CREATE INDEX "Employee.Lastname" ON Employee (LastName COLLATE NOCASE);
CREATE TABLE "Payroll Records" (
    RecordID INTEGER PRIMARY KEY AUTOINCREMENT, EmployeeID INTEGER, ServiceDate DATETIME,
    TodayEarn CURRENCY, ToDateEarn CURRENCY, "50ByMonth" CURRENCY, "50ByTotal" CURRENCY,
    "60ByMonth" CURRENCY, "60ByTotal" CURRENCY);
CREATE INDEX "Payroll Records.EmployeeID" ON "Payroll Records" (EmployeeID);
CREATE TABLE Customers (
    CustomerID INTEGER, Prefix TEXT, FirstName TEXT, MiddleName TEXT, LastName TEXT,
    Suffix TEXT, Line1 TEXT, Line2 TEXT, City TEXT, State TEXT, Zip TEXT, HomePhone TEXT,
    FaxNumber TEXT, Pager TEXT, Email TEXT, Notes TEXT, ServiceDate TEXT);
CREATE INDEX "Customers.LastName" ON Customers (LastName COLLATE NOCASE);
CREATE INDEX "Customers.Name" ON Customers (
    trim(ifnull(FirstName, '') || ' ' || ifnull(LastName, ''), ' ' || char(9) || char(10) || char(13)) COLLATE NOCASE);
CREATE TABLE "Service Records" (
    ServiceID INTEGER PRIMARY KEY AUTOINCREMENT, CustomerID INTEGER, EmployeeID INTEGER,
    ServiceDate DATETIME, NameOfService TEXT, Quantity INTEGER, Cost CURRENCY, Count INTEGER);
CREATE INDEX "Service Records.CustomerID" ON "Service Records" (CustomerID);
CREATE TABLE Products (
    ServiceID INTEGER, ServiceName TEXT, UnitPrice CURRENCY, Quantity INTEGER,
    Discount DOUBLE, SalePrice CURRENCY);
CREATE TABLE Suppliers (
    SupplierID TEXT, SupplierName TEXT, ContactTitle TEXT, ContactName TEXT, Address TEXT,
    City TEXT, State TEXT, Zip TEXT, Country TEXT, Phone TEXT, Fax TEXT, Email TEXT, Notes TEXT);
CREATE TABLE Misc (
    password TEXT, Name TEXT, Company TEXT, Address TEXT, City TEXT, State TEXT, Zip TEXT,
    Phone TEXT, count SMALLINT, ChangeCount INTEGER, ChangeDate DATETIME, MyNumber INTEGER);
INSERT INTO Misc (password, Name, Company, Address, City, State, Zip, Phone, count, ChangeCount, ChangeDate, MyNumber)
VALUES ('salon', 'Ann Owner', 'Nails by Ann', '', '', '', '', '', 0, 0, '2026-03-02', 0)
)";

// A connection of its own on `path`, closed when it goes.
class Book
{
public:
    Book(const QString &path, const QString &options = {}) : m_name(QStringLiteral("fixture:") + path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        m_open = db.open();
    }
    ~Book()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    void run(const QString &sql) const
    {
        for (const QString &statement : sql.split(u';', Qt::SkipEmptyParts)) {
            if (statement.trimmed().isEmpty())
                continue;
            QSqlQuery query(db());
            QVERIFY2(query.exec(statement), qPrintable(statement + QStringLiteral(": ") + query.lastError().text()));
        }
    }

private:
    QString m_name;
    bool m_open = false;
};

} // namespace

void makeVersion1Book(const QString &path)
{
    Book book(path);
    QVERIFY(book.isOpen());
    book.run(QStringLiteral("PRAGMA journal_mode=WAL"));
    book.run(QString::fromLatin1(version1Schema));
}

void runOnBook(const QString &path, const QString &sql)
{
    Book book(path);
    QVERIFY(book.isOpen());
    book.run(sql);
}

void leaveInLog(const QString &path, const QString &sql)
{
    const QString log = path + QStringLiteral("-wal");
    QByteArray file, logged;
    {
        Book book(path);
        QVERIFY(book.isOpen());
        book.run(QStringLiteral("PRAGMA journal_mode=WAL"));
        book.run(sql);
        // What a killed program leaves: the file and its log as they are while it runs.
        file = fileContent(path);
        logged = fileContent(log);
    }
    QVERIFY(logged.size() > 0 && logged != "<missing>");
    writeFile(path, file);
    writeFile(log, logged);
    QFile::remove(path + QStringLiteral("-shm"));
}

int userVersionOf(const QString &path)
{
    Book book(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro"),
              QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
    QSqlQuery query(book.db());
    if (!book.isOpen() || !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return -1;
    return query.value(0).toInt();
}
