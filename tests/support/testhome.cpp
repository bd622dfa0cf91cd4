#include "testhome.h"

#include "database.h"
#include "recordset.h"

#include <QFile>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

TestHome::TestHome(Open open)
{
    m_previousHome = qgetenv("VELORINE_HOME");
    qputenv("VELORINE_HOME", m_dir.path().toLocal8Bit());
    if (open == Open::Yes) {
        if (auto problem = salon::open())
            m_openError = *problem;
    }
}

TestHome::~TestHome()
{
    salon::close();
    if (m_previousHome.isEmpty())
        qunsetenv("VELORINE_HOME");
    else
        qputenv("VELORINE_HOME", m_previousHome);
}

void useTestLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void addRow(const QString &table, std::initializer_list<std::pair<QString, QVariant>> fields)
{
    RecordSet rows(salon::employeeDb(), table);
    rows.addNew();
    for (const auto &[name, value] : fields)
        rows.setValue(name, value);
    rows.update();
}

void addCustomer(const QVariant &id, const QVariant &firstName, const QVariant &lastName)
{
    addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), id}, {QStringLiteral("FirstName"), firstName},
                                         {QStringLiteral("LastName"), lastName}});
}

QVariantList queryValues(const QString &sql)
{
    QSqlQuery query(salon::employeeDb());
    QVariantList result;
    if (!query.exec(sql))
        qFatal("query failed: %s", qPrintable(sql));
    while (query.next())
        for (int i = 0; i < query.record().count(); ++i)
            result << query.value(i);
    return result;
}

qint64 rowCount(const QString &table)
{
    return RecordSet(salon::employeeDb(), table).recordCount();
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void addManyCustomers(int count)
{
    QSqlQuery query(salon::employeeDb());
    query.prepare(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO Customers (CustomerID, FirstName, LastName, Notes) "
        "SELECT i, 'Ann', 'Lee' || i, printf('%.300c', 'x') FROM n"));
    query.addBindValue(count);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

void overwriteMiddle(const QString &path, int length)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek((file.size() - length) / 2));
    QByteArray noise(length, '\0');
    for (int i = 0; i < length; ++i)
        noise[i] = char((i * 151 + 17) & 0xff);
    QCOMPARE(file.write(noise), qint64(length));
}
