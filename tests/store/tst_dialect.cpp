#include "dialect.h"

#include <QtTest>

// The one SQL the program writes, as a server reads it.
class TestDialect : public QObject
{
    Q_OBJECT

    static salon::BookNames bookNames()
    {
        salon::BookNames names;
        for (const char *name : {"Employee", "EmployeeID", "Service Records", "Count", "count", "ToDateEarn",
                                 "50ByMonth", "FirstName", "LastName", "Misc", "rowid", "password"})
            names.add(QString::fromLatin1(name));
        return names;
    }

private slots:
    void serverSpelling_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("server");
        QTest::newRow("brackets") << "select * from [Employee]" << R"(select * from "Employee")";
        QTest::newRow("bracket in another case") << "SELECT [ToDateEArn] FROM [payroll]" << R"(SELECT "ToDateEarn" FROM "payroll")";
        QTest::newRow("plain names") << "SELECT EmployeeID FROM Employee WHERE rowid = ?"
                                     << R"(SELECT "EmployeeID" FROM "Employee" WHERE rowid = ?)";
        QTest::newRow("plain name in another case") << "SELECT employeeid FROM employee"
                                                    << R"(SELECT "EmployeeID" FROM "Employee")";
        QTest::newRow("quoted name in another case") << R"(SELECT x FROM "service records")" << R"(SELECT x FROM "Service Records")";
        QTest::newRow("two spellings: exact only") << "SELECT Count, count FROM Misc" << R"(SELECT "Count", count FROM "Misc")";
        QTest::newRow("a function beside a column") << "SELECT count(*), max(EmployeeID) FROM Employee"
                                                    << R"(SELECT count(*), max("EmployeeID") FROM "Employee")";
        QTest::newRow("a table before its columns") << "INSERT INTO Misc (password) VALUES (?)"
                                                    << R"(INSERT INTO "Misc" (password) VALUES (?))";
        QTest::newRow("ifnull") << "SELECT ifnull(FirstName, '') FROM Employee"
                                << R"(SELECT coalesce("FirstName", '') FROM "Employee")";
        QTest::newRow("string literals stay") << "SELECT 'Employee [x] \"y\" it''s' FROM Employee"
                                              << R"(SELECT 'Employee [x] "y" it''s' FROM "Employee")";
        QTest::newRow("names starting with digits") << "SELECT [50ByMonth], 50 FROM Employee"
                                                    << R"(SELECT "50ByMonth", 50 FROM "Employee")";
        QTest::newRow("an array subscript") << "SELECT x.indkey[0] FROM pg_index x" << "SELECT x.indkey[0] FROM pg_index x";
        QTest::newRow("a comment") << "SELECT 1 -- Employee\nFROM Employee" << "SELECT 1 -- Employee\nFROM \"Employee\"";
        QTest::newRow("unknown names stay") << "SELECT velorine_key FROM Other" << "SELECT velorine_key FROM Other";
        QTest::newRow("an unclosed bracket") << "SELECT [Employee" << "SELECT [Employee";
    }
    void serverSpelling()
    {
        QFETCH(QString, written);
        QFETCH(QString, server);
        QCOMPARE(salon::toServerSql(written, bookNames()), server);
    }

    // The local file reads the program's SQL as it is written.
    void localFileKeepsTheText()
    {
        QCOMPARE(salon::sqlFor(QSqlDatabase(), QStringLiteral("select * from [Employee]")), QStringLiteral("select * from [Employee]"));
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
