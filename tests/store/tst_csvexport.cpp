#include "bookfixtures.h"
#include "csvexport.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestCsvExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<QTemporaryDir> out;

    QString outFile(const QString &name) const { return out->filePath(name); }
    static QStringList fileNames(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        out = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        out.reset();
        home.reset();
    }

    // Every table of the book, none of the sayings; each field in its accountant's form.
    void writesEveryTableInItsFieldsForm()
    {
        addRow(QStringLiteral("Service Records"),
               {{"CustomerID", 7}, {"EmployeeID", 2}, {"ServiceDate", QDate(2026, 3, 5)},
                {"NameOfService", "Manicure, deluxe"}, {"Quantity", 1}, {"Cost", 24.075}, {"Count", 1}});
        addRow(QStringLiteral("Service Records"),
               {{"CustomerID", 7}, {"EmployeeID", 2}, {"ServiceDate", QDate(2026, 3, 5)},
                {"NameOfService", "Pedicure"}, {"Quantity", 2}, {"Cost", 11.235}, {"Count", 2}});
        addRow(QStringLiteral("Payroll Records"),
               {{"EmployeeID", 2}, {"ServiceDate", QDateTime(QDate(2026, 3, 5), QTime(14, 2, 7))},
                {"TodayEarn", 100}, {"ToDateEarn", 1234.5}});
        addRow(QStringLiteral("Employee"),
               {{"EmployeeID", 1}, {"LastName", "Zoë"}, {"SubTotal", -3.5}, {"SalesTaxRate", 0.07}});
        addRow(QStringLiteral("Customers"),
               {{"CustomerID", 7}, {"LastName", "Lee"}, {"Notes", "Likes \"pale\" pink,\r\nno scent"}});

        const salon::CsvExport result = salon::exportCsv(salon::employeeDbPath(), out->path());
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        const QStringList tables = {"Customers.csv", "Employee.csv", "Misc.csv", "Payroll Records.csv",
                                    "Products.csv", "Service Records.csv", "Suppliers.csv"};
        QCOMPARE(fileNames(out->path()), tables);
        QCOMPARE(result.files.size(), tables.size());

        QCOMPARE(fileContent(outFile("Service Records.csv")),
                 QByteArray("ServiceID,CustomerID,EmployeeID,ServiceDate,NameOfService,Quantity,Cost,Count\r\n"
                            "1,7,2,2026-03-05,\"Manicure, deluxe\",1,24.0750,1\r\n"
                            "2,7,2,2026-03-05,Pedicure,2,11.2350,2\r\n"));
        QCOMPARE(fileContent(outFile("Payroll Records.csv")),
                 QByteArray("RecordID,EmployeeID,ServiceDate,TodayEarn,ToDateEarn,50ByMonth,50ByTotal,60ByMonth,60ByTotal\r\n"
                            "1,2,2026-03-05T14:02:07,100.0000,1234.5000,,,,\r\n"));
        const QByteArray employee = fileContent(outFile("Employee.csv"));
        QVERIFY2(employee.endsWith(QByteArray(",,-3.5000,,0.07\r\n")), employee.constData());
        QVERIFY(employee.contains(QByteArray("1,,,,Zo\xc3\xab,")));   // UTF-8, no byte-order mark
        QVERIFY(employee.startsWith("EmployeeID,Prefix,"));
        const QByteArray customers = fileContent(outFile("Customers.csv"));
        QVERIFY2(customers.contains("\"Likes \"\"pale\"\" pink,\r\nno scent\""), customers.constData());
        QVERIFY(fileContent(outFile("Misc.csv")).startsWith("password,Name,Company,"));
        QCOMPARE(QFileInfo(outFile("Misc.csv")).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }

    // A desk in the middle of writing a sale does not stop the export, and the export shows
    // only what the desk has committed.
    void readsWhileADeskIsWriting()
    {
        addRow(QStringLiteral("Suppliers"), {{"SupplierID", "1"}, {"SupplierName", "Polish & Co"}});
        QSqlQuery desk(salon::employeeDb());
        QVERIFY(desk.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(desk.exec(QStringLiteral("INSERT INTO Suppliers (SupplierID, SupplierName) VALUES ('2', 'Pending')")));
        const salon::CsvExport result = salon::exportCsv(salon::employeeDbPath(), out->path());
        QVERIFY(desk.exec(QStringLiteral("ROLLBACK")));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        const QByteArray suppliers = fileContent(outFile("Suppliers.csv"));
        QVERIFY(suppliers.contains("\r\n1,Polish & Co,"));
        QVERIFY(!suppliers.contains("Pending"));
    }

    // A file of the same name is never written over, and then nothing at all is written.
    void refusesToWriteOverAFile()
    {
        writeFile(outFile("Payroll Records.csv"), "the accountant's own notes");
        const salon::CsvExport result = salon::exportCsv(salon::employeeDbPath(), out->path());
        QCOMPARE(result.error, QStringLiteral("The file %1 already exists; nothing was exported.")
                                   .arg(outFile("Payroll Records.csv")));
        QVERIFY(result.files.isEmpty());
        QCOMPARE(fileNames(out->path()), QStringList({"Payroll Records.csv"}));
        QCOMPARE(fileContent(outFile("Payroll Records.csv")), QByteArray("the accountant's own notes"));
    }

    // A missing book is named; it is not created, nor is the target folder.
    void aMissingBookIsNamedAndNotCreated()
    {
        QTemporaryDir empty;
        const QString book = empty.filePath(QStringLiteral("Employee.db"));
        const QString target = out->filePath(QStringLiteral("export"));
        const salon::CsvExport result = salon::exportCsv(book, target);
        QCOMPARE(result.error, QStringLiteral("Could not find file '%1'.").arg(book));
        QVERIFY(fileNames(empty.path()).isEmpty());
        QVERIFY(!QFileInfo::exists(target));
    }

    void aFileThatIsNoBookIsReported()
    {
        QTemporaryDir folder;
        const QString book = folder.filePath(QStringLiteral("Employee.db"));
        writeFile(book, QByteArray(4096, 'x'));
        const salon::CsvExport result = salon::exportCsv(book, out->path());
        QVERIFY2(result.error.contains(book), qPrintable(result.error));
        QVERIFY(fileNames(out->path()).isEmpty());
        QCOMPARE(fileContent(book), QByteArray(4096, 'x'));
    }

    // An older book is exported as it stands (not brought up to date); a newer one, which may
    // hold what this program cannot read, is refused and nothing is written.
    void olderBookIsExportedAsItIs()
    {
        QTemporaryDir folder;
        const QString book = folder.filePath(QStringLiteral("Employee.db"));
        makeVersion1Book(book);
        const QByteArray before = fileContent(book);
        const salon::CsvExport result = salon::exportCsv(book, out->path());
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(result.files.size(), 7);
        QVERIFY(fileContent(outFile("Misc.csv")).contains("Nails by Ann"));
        QCOMPARE(fileContent(book), before);
        QCOMPARE(userVersionOf(book), 0);
    }

    void newerBookIsRefused()
    {
        QVERIFY(QSqlQuery(salon::employeeDb()).exec(QStringLiteral("PRAGMA user_version = 3")));
        const QString target = out->filePath(QStringLiteral("export"));
        const salon::CsvExport result = salon::exportCsv(salon::employeeDbPath(), target);
        QCOMPARE(result.error, QStringLiteral("The file %1 is version 3 of the salon's book, made by a newer Velorine; "
                                              "this Velorine reads version 2 and older. Nothing was exported.")
                                   .arg(salon::employeeDbPath()));
        QVERIFY(result.files.isEmpty());
        QVERIFY(!QFileInfo::exists(target));
    }

    void fieldsAreQuotedOnlyWhereNeeded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Ann Lee" << "Ann Lee";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("comma") << "Lee, Ann" << "\"Lee, Ann\"";
        QTest::newRow("quote") << "5\" nails" << "\"5\"\" nails\"";
        QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
        QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
        QTest::newRow("blanks kept as they are") << " a " << " a ";
    }
    void fieldsAreQuotedOnlyWhereNeeded()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(salon::csvField(text), field);
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
