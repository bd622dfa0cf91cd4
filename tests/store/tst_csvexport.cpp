#include "bookfixtures.h"
#include "csvexport.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

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

    // Stores one row as given, bound straight into the book with no screen's conversions.
    static void insertRaw(const QString &table, const QStringList &columns, const QVariantList &values)
    {
        QVERIFY(execSql(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                            .arg(table, columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u',')),
                        values));
    }

    // The data rows of an exported file (after its header), split at the CRLF that ends each.
    QList<QByteArray> dataRows(const QString &name) const
    {
        const QByteArray content = fileContent(outFile(name));
        QList<QByteArray> rows;
        for (qsizetype start = 0, end; (end = content.indexOf("\r\n", start)) >= 0; start = end + 2)
            rows << content.mid(start, end - start);
        if (!rows.isEmpty())
            rows.removeFirst();   // the header
        return rows;
    }

    void exportAll()
    {
        const salon::CsvExport result = salon::exportBooks(out->path());
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
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
                {"NameOfService", "Manicure, deluxe"}, {"Quantity", 1}, {"Cost", 24.075}, {"Count", 1}, {"SalesTax", 1.6853}});
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

        const salon::CsvExport result = salon::exportBooks(out->path());
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        const QStringList tables = {"Customers.csv", "Employee.csv", "Misc.csv", "Payroll Records.csv",
                                    "Products.csv", "Service Records.csv", "Suppliers.csv"};
        QCOMPARE(fileNames(out->path()), tables);
        QCOMPARE(result.files.size(), tables.size());

        QCOMPARE(fileContent(outFile("Service Records.csv")),
                 QByteArray("ServiceID,CustomerID,EmployeeID,ServiceDate,NameOfService,Quantity,Cost,Count,SalesTax\r\n"
                            "1,7,2,2026-03-05,\"Manicure, deluxe\",1,24.0750,1,1.6853\r\n"
                            "2,7,2,2026-03-05,Pedicure,2,11.2350,2,\r\n"));
        QCOMPARE(fileContent(outFile("Payroll Records.csv")),
                 QByteArray("RecordID,EmployeeID,ServiceDate,TodayEarn,ToDateEarn,50ByMonth,50ByTotal,60ByMonth,60ByTotal\r\n"
                            "1,2,2026-03-05T14:02:07,100.0000,1234.5000,,,,\r\n"));
        const QByteArray employee = fileContent(outFile("Employee.csv"));
        QVERIFY2(employee.endsWith(QByteArray(",,-3.5000,,0.07\r\n")), employee.constData());
        QVERIFY(employee.contains(QByteArray("1,,,,Zo\xc3\xab,")));   // UTF-8, no byte-order mark
        QVERIFY(employee.startsWith("EmployeeID,Prefix,"));
        const QByteArray customers = fileContent(outFile("Customers.csv"));
        QVERIFY2(customers.contains("\"Likes \"\"pale\"\" pink,\r\nno scent\""), customers.constData());
        QVERIFY(fileContent(outFile("Misc.csv")).startsWith("Name,Company,"));
        QCOMPARE(QFileInfo(outFile("Misc.csv")).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }

    // A desk in the middle of writing a sale does not stop the export, and the export shows
    // only what the desk has committed.
    void readsWhileADeskIsWriting()
    {
        addRow(QStringLiteral("Suppliers"), {{"SupplierID", "1"}, {"SupplierName", "Polish & Co"}});
        QVERIFY(execSql(onServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(execSql(QStringLiteral("INSERT INTO Suppliers (SupplierID, SupplierName) VALUES ('2', 'Pending')")));
        const salon::CsvExport result = salon::exportBooks(out->path());
        QVERIFY(execSql(QStringLiteral("ROLLBACK")));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        const QByteArray suppliers = fileContent(outFile("Suppliers.csv"));
        QVERIFY(suppliers.contains("\r\n1,Polish & Co,"));
        QVERIFY(!suppliers.contains("Pending"));
    }

    // A file of the same name is never written over, and then nothing at all is written.
    void refusesToWriteOverAFile()
    {
        writeFile(outFile("Payroll Records.csv"), "the accountant's own notes");
        const salon::CsvExport result = salon::exportBooks(out->path());
        QCOMPARE(result.error, QStringLiteral("The file %1 already exists; nothing was exported.")
                                   .arg(outFile("Payroll Records.csv")));
        QVERIFY(result.files.isEmpty());
        QCOMPARE(fileNames(out->path()), QStringList({"Payroll Records.csv"}));
        QCOMPARE(fileContent(outFile("Payroll Records.csv")), QByteArray("the accountant's own notes"));
    }

    // A missing book is named; it is not created, nor is the target folder.
    void aMissingBookIsNamedAndNotCreated()
    {
        if (onServer())
            QSKIP("about a book file named to the export; a server desk exports its server's books");
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
        if (onServer())
            QSKIP("about a book file named to the export; a server desk exports its server's books");
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
        if (onServer())
            QSKIP("about a book file named to the export; a server desk exports its server's books");
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
        QVERIFY(execSql(onServer() ? QStringLiteral("UPDATE velorine.\"Book\" SET version = 5")
                                   : QStringLiteral("PRAGMA user_version = 5")));
        const QString target = out->filePath(QStringLiteral("export"));
        const salon::CsvExport result = salon::exportBooks(target);
        if (onServer())
            QCOMPARE(result.error, QStringLiteral("The server's books are version 5; this program knows up to 4. "
                                                  "Update Velorine on this desk. Nothing was exported."));
        else
            QCOMPARE(result.error, QStringLiteral("The file %1 is version 5 of the salon's book, made by a newer Velorine; "
                                                  "this Velorine reads version 4 and older. Nothing was exported.")
                                       .arg(salon::employeeDbPath()));
        QVERIFY(result.files.isEmpty());
        QVERIFY(!QFileInfo::exists(target));
    }

    // Neither the shop password (the first start's plain text, or its hash once changed) nor an
    // employee's password column leaves the book.
    void passwordsAreNeverExported()
    {
        insertRaw(QStringLiteral("Employee"), {"EmployeeID", "FirstName", "password"}, {1, "Ann", "tulip-secret"});
        exportAll();
        const QByteArray misc = fileContent(outFile("Misc.csv"));
        QVERIFY2(misc.startsWith("Name,Company,Address,"), misc.constData());
        QVERIFY2(!misc.contains("salon"), misc.constData());
        const QByteArray employee = fileContent(outFile("Employee.csv"));
        QVERIFY2(!employee.contains("tulip-secret"), employee.constData());
        QVERIFY2(!employee.toLower().contains("password"), employee.constData());
        QVERIFY(employee.contains(",Notes,SubTotal,Total,SalesTaxRate\r\n"));

        const QByteArray hash = "$argon2id$v=19$m=65536,t=2,p=1$c2FsdHNhbHQ$aGFzaGhhc2hoYXNo";
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET password = ?"), {QString::fromLatin1(hash)}));
        out = std::make_unique<QTemporaryDir>();
        exportAll();
        QVERIFY(!fileContent(outFile("Misc.csv")).contains("argon2id"));
    }

    // The ticket's cells written are this desk's: on a server another desk's ticket stays out.
    void ticketCellsAreThisDesks()
    {
        QVERIFY(execSql(QStringLiteral("DELETE FROM Products")));
        insertRaw(QStringLiteral("Products"), {"ServiceID", "ServiceName", "UnitPrice", "Quantity", "Discount", "SalePrice"},
                  {1, "Manicure", 12, 2, 0.1, 35.982});
        insertRaw(QStringLiteral("Products"), {"ServiceID", "ServiceName", "UnitPrice", "Quantity", "Discount", "SalePrice"},
                  {2, "Pedicure", 20, 0, 0, 0});
        if (onServer()) {
            for (const QVariant &rowid : queryValues(QStringLiteral("SELECT rowid FROM Products")))
                QVERIFY(execSql(QStringLiteral("INSERT INTO velorine.\"Desk Products\" (desk, rowid, Quantity, Discount, "
                                               "SalePrice) VALUES ('Nail bar', ?, 9, 0.5, 99)"), {rowid}));
        }
        exportAll();
        QCOMPARE(dataRows("Products.csv"), QList<QByteArray>({"1,Manicure,12.0000,2,0.1,35.9820", "2,Pedicure,20.0000,0,0,0.0000"}));
    }

    // The text date fields keep month/day/year text; it is written in ISO form when it is such a
    // date, and as it stands otherwise.
    void textDatesAreWrittenInIsoForm_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("last visit") << "12/10/2026" << QByteArray("2026-12-10");
        QTest::newRow("one-digit month and day") << "3/5/1990" << QByteArray("1990-03-05");
        QTest::newRow("leading zeros") << "03/05/1990" << QByteArray("1990-03-05");
        QTest::newRow("leap day") << "2/29/2024" << QByteArray("2024-02-29");
        QTest::newRow("no such day") << "2/30/2026" << QByteArray("2/30/2026");
        QTest::newRow("two-digit year") << "3/5/90" << QByteArray("3/5/90");
        QTest::newRow("three-digit month") << "003/5/1990" << QByteArray("003/5/1990");
        QTest::newRow("blank around") << " 3/5/1990" << QByteArray(" 3/5/1990");
        QTest::newRow("line break after") << "3/5/1990\n" << QByteArray("\"3/5/1990\n\"");
        QTest::newRow("ISO already") << "1990-03-05" << QByteArray("1990-03-05");
        QTest::newRow("words") << "spring 1990" << QByteArray("spring 1990");
        QTest::newRow("empty") << "" << QByteArray("");
    }
    void textDatesAreWrittenInIsoForm()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, written);
        insertRaw(QStringLiteral("Customers"), {"CustomerID", "ServiceDate"}, {7, stored});
        insertRaw(QStringLiteral("Employee"), {"EmployeeID", "Birthdate", "DateHired", "DateQuit"}, {1, stored, stored, stored});
        exportAll();
        // ServiceDate is the customer's last field; the employee's three dates follow License.
        QCOMPARE(dataRows("Customers.csv"), QList<QByteArray>{"7" + QByteArray(16, ',') + written});
        const QByteArray dates = written + ',' + written + ',' + written;
        QCOMPARE(dataRows("Employee.csv"), QList<QByteArray>{"1" + QByteArray(12, ',') + dates + QByteArray(6, ',')});
    }

    // A spreadsheet takes a cell that starts with = + - @, a tab or a carriage return for a formula;
    // text that starts so is marked as text with an apostrophe.
    void formulaLikeTextIsMarked_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("formula") << QVariant("=HYPERLINK(\"http://x.example\",\"Pay\")")
                                 << QByteArray("\"'=HYPERLINK(\"\"http://x.example\"\",\"\"Pay\"\")\"");
        QTest::newRow("plus") << QVariant("+1 555 0100") << QByteArray("'+1 555 0100");
        QTest::newRow("minus as text") << QVariant("-1") << QByteArray("'-1");
        QTest::newRow("number bound into a text field") << QVariant(-1) << QByteArray("'-1");
        QTest::newRow("at") << QVariant("@SUM(A1:A9)") << QByteArray("'@SUM(A1:A9)");
        QTest::newRow("tab") << QVariant("\tcmd") << QByteArray("'\tcmd");
        QTest::newRow("carriage return") << QVariant("\rcmd") << QByteArray("\"'\rcmd\"");
        QTest::newRow("sign inside") << QVariant("A-1=2") << QByteArray("A-1=2");
        QTest::newRow("blank first") << QVariant(" =1") << QByteArray(" =1");
        QTest::newRow("apostrophe already") << QVariant("'=1") << QByteArray("'=1");
    }
    void formulaLikeTextIsMarked()
    {
        QFETCH(QVariant, stored);
        QFETCH(QByteArray, written);
        insertRaw(QStringLiteral("Suppliers"), {"SupplierID", "Notes"}, {stored, stored});
        exportAll();
        // SupplierID is the first of 13 fields, Notes the last.
        QCOMPARE(dataRows("Suppliers.csv"), QList<QByteArray>{written + QByteArray(12, ',') + written});
    }

    // Values written as numbers keep their sign as they are; so does text in a date field that
    // is no date.
    void numbersAreNotMarked()
    {
        insertRaw(QStringLiteral("Service Records"), {"CustomerID", "EmployeeID", "ServiceDate", "Quantity", "Cost", "Count"},
                  {-7, 2, "2026-03-05", -2, -1.5, -1});
        insertRaw(QStringLiteral("Payroll Records"), {"EmployeeID", "ServiceDate", "TodayEarn"}, {2, "=1+1", -0.25});
        exportAll();
        QCOMPARE(dataRows("Service Records.csv"), QList<QByteArray>{"1,-7,2,2026-03-05,,-2,-1.5000,-1,"});
        QCOMPARE(dataRows("Payroll Records.csv"), QList<QByteArray>{"1,2,'=1+1,-0.2500,,,,,"});
    }

    // An empty folder name would mean the current folder; it is refused before anything is read.
    void anEmptyFolderNameIsRefused()
    {
        const salon::CsvExport result = salon::exportBooks(QString());
        QCOMPARE(result.error, QStringLiteral("No folder was named for the export; nothing was exported."));
        QVERIFY(result.files.isEmpty());
    }

    void aFolderThatCannotBeMadeSaysWhy_data()
    {
        QTest::addColumn<QString>("inTheWay");   // a file made first, relative to the output folder
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("why");
        QTest::newRow("a file in its place") << "accounts" << "accounts" << "it is a file";
        QTest::newRow("a file above it") << "accounts" << "accounts/2026" << "%1/accounts is a file";
        QTest::newRow("no permission") << "" << "locked/accounts" << "Permission denied";
    }
    void aFolderThatCannotBeMadeSaysWhy()
    {
        QFETCH(QString, inTheWay);
        QFETCH(QString, folder);
        QFETCH(QString, why);
        if (inTheWay.isEmpty()) {
            if (::geteuid() == 0)
                QSKIP("the superuser may write in any folder");
            QVERIFY(QDir(out->path()).mkdir(QStringLiteral("locked")));
            QVERIFY(QFile::setPermissions(outFile(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else {
            writeFile(outFile(inTheWay), "the accountant's notes");
        }
        const QString target = outFile(folder);
        const salon::CsvExport result = salon::exportBooks(target);
        QCOMPARE(result.error, QStringLiteral("The folder %1 cannot be created: %2.")
                                   .arg(target, why.contains(QLatin1String("%1")) ? why.arg(out->path()) : why));
        QVERIFY(result.files.isEmpty());
        if (!inTheWay.isEmpty())
            QCOMPARE(fileContent(outFile(inTheWay)), QByteArray("the accountant's notes"));
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
