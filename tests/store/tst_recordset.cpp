#include "currency.h"
#include "database.h"
#include "recordset.h"
#include "testhome.h"

#include <QDate>
#include <QSqlQuery>
#include <QtTest>

// Record sets over a fresh salon book with a few customers and journal rows.
class TestRecordSet : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;

    void addCustomer(int id, const QString &first, const QString &last)
    {
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), id}, {QStringLiteral("FirstName"), first},
                                             {QStringLiteral("LastName"), last}});
    }

    // Journal rows 1 to 6 as (customer, technician): (2, 2), (1, 2), (2, 3), (3, 3), (2, 3), (12, 3).
    void addVisits()
    {
        const std::pair<int, int> rows[] = {{2, 2}, {1, 2}, {2, 3}, {3, 3}, {2, 3}, {12, 3}};
        for (const auto &[customer, employee] : rows)
            addRow(QStringLiteral("Service Records"), {{QStringLiteral("CustomerID"), customer}, {QStringLiteral("EmployeeID"), employee}});
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(2, QStringLiteral("Bob"), QStringLiteral("adams"));
        addCustomer(3, QStringLiteral("Cy"), QStringLiteral("Lee"));
        addCustomer(4, QStringLiteral("Dee"), QStringLiteral("Baker"));
    }
    void cleanup() { home.reset(); }

    void navigation_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<bool>("bof");
        QTest::addColumn<bool>("eof");
        QTest::newRow("opened") << "" << qint64(0) << false << false;
        QTest::newRow("next") << "N" << qint64(1) << false << false;
        QTest::newRow("last") << "L" << qint64(3) << false << false;
        QTest::newRow("past the end") << "LN" << qint64(-1) << false << true;
        QTest::newRow("before the start") << "P" << qint64(-1) << true << false;
        QTest::newRow("back from the end") << "LNP" << qint64(3) << false << false;
        QTest::newRow("by +2") << "2" << qint64(2) << false << false;
        QTest::newRow("by +9 passes the end") << "9" << qint64(-1) << false << true;
        QTest::newRow("by -1 from first") << "-" << qint64(-1) << true << false;
    }
    void navigation()
    {
        QFETCH(QString, moves);
        QFETCH(qint64, position);
        QFETCH(bool, bof);
        QFETCH(bool, eof);
        RecordSet rs(salon::employeeDb(), QStringLiteral("select * from [Customers]"));
        for (QChar m : moves) {
            if (m == u'N') rs.moveNext();
            else if (m == u'P') rs.movePrevious();
            else if (m == u'L') rs.moveLast();
            else if (m == u'-') rs.move(-1);
            else rs.move(m.digitValue());
        }
        QCOMPARE(rs.absolutePosition(), position);
        QCOMPARE(rs.bof(), bof);
        QCOMPARE(rs.eof(), eof);
    }

    void moveNextPastEndIsAnError()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.moveLast();
        rs.moveNext();
        try {
            rs.moveNext();
            QFAIL("no error");
        } catch (const StoreError &e) {
            QCOMPARE(e.number(), 3021);
            QCOMPARE(e.text(), QStringLiteral("No current record."));
        }
    }

    void emptySetHasNoCurrentRow()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Suppliers"));
        QVERIFY(rs.bof());
        QVERIFY(rs.eof());
        QCOMPARE(rs.absolutePosition(), -1);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("SupplierName")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.remove());
    }

    void fieldNamesIgnoreCase()
    {
        RecordSet payroll(salon::employeeDb(), QStringLiteral("employee"));
        QCOMPARE(payroll.source(), QStringLiteral("employee"));
        QVERIFY(payroll.fieldIndex(QStringLiteral("lastname")) >= 0);
        RecordSet rs(salon::employeeDb(),
                     QStringLiteral("select [RecordID],[ServiceDate],[TodayEarn],[ToDateEArn],[50ByMonth],[50ByTotal],"
                                    "[60ByMonth],[60ByTotal]  from [Payroll Records] where [EmployeeID]=7"));
        QCOMPARE(rs.fieldIndex(QStringLiteral("ToDateEarn")), rs.fieldIndex(QStringLiteral("ToDateEArn")));
        QVERIFY(rs.fieldIndex(QStringLiteral("ToDateEarn")) >= 0);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("NoSuchField")));
    }

    void editThenUpdateWritesTheRow()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.move(1);
        rs.edit();
        rs.setValue(QStringLiteral("notes"), QStringLiteral("likes red"));
        QCOMPARE(rs.value(QStringLiteral("Notes")).toString(), QStringLiteral("likes red"));
        rs.update();
        RecordSet again(salon::employeeDb(), QStringLiteral("Customers"));
        again.move(1);
        QCOMPARE(again.value(QStringLiteral("Notes")).toString(), QStringLiteral("likes red"));
        QCOMPARE(rs.lastModified(), again.bookmark());
    }

    void movingDiscardsAPendingEdit()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("lost"));
        rs.moveNext();
        rs.movePrevious();
        QVERIFY(rs.value(QStringLiteral("Notes")).isNull());
    }

    void setValueOutsideEditIsAnError()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        try {
            rs.setValue(QStringLiteral("Notes"), QStringLiteral("x"));
            QFAIL("no error");
        } catch (const StoreError &e) {
            QCOMPARE(e.number(), 3020);
        }
    }

    void addNewShowsItsAutoNumberBeforeItIsStored()
    {
        RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
        for (int expected = 1; expected <= 3; ++expected) {
            journal.addNew();
            QCOMPARE(journal.value(QStringLiteral("ServiceID")).toLongLong(), qint64(expected));
            journal.setValue(QStringLiteral("CustomerID"), 1);
            journal.update();
            QCOMPARE(journal.lastModified(), qint64(expected));
        }
        // A deleted last row does not give its number again.
        journal.moveLast();
        journal.remove();
        journal.addNew();
        QCOMPARE(journal.value(QStringLiteral("ServiceID")).toLongLong(), qint64(4));
        journal.cancelUpdate();
        QCOMPARE(journal.recordCount(), qint64(2));
    }

    void newRowJoinsTheEndAndBookmarkFindsIt()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.addNew();
        rs.setValue(QStringLiteral("CustomerID"), 5);
        rs.setValue(QStringLiteral("LastName"), QStringLiteral("Ng"));
        rs.update();
        QCOMPARE(rs.absolutePosition(), 0);   // the row current before add-new stays current
        QCOMPARE(rs.recordCount(), qint64(5));
        rs.moveToBookmark(rs.lastModified());
        QCOMPARE(rs.absolutePosition(), 4);
        QCOMPARE(rs.value(QStringLiteral("LastName")).toString(), QStringLiteral("Ng"));
    }

    void deleteThenMoveNextReachesTheFollowingRow()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.move(1);
        rs.remove();
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("FirstName")));
        rs.moveNext();
        QCOMPARE(rs.value(QStringLiteral("FirstName")).toString(), QStringLiteral("Cy"));
        QCOMPARE(rs.absolutePosition(), 1);
        rs.moveLast();
        rs.remove();
        rs.moveNext();
        QVERIFY(rs.eof());
    }

    void typesConvertOnWrite_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("read");
        const auto money = [](qint64 scaled) { return QVariant::fromValue(Currency::fromScaled(scaled)); };
        QTest::newRow("currency from C-form text") << "Total" << QVariant("26.75") << money(267500);
        QTest::newRow("currency from Currency") << "Total" << money(240750) << money(240750);
        QTest::newRow("currency from a double") << "Total" << QVariant(24.075) << money(240750);
        QTest::newRow("currency half down to even") << "Total" << QVariant(0.03125) << money(312);
        QTest::newRow("currency half up to even") << "Total" << QVariant(0.09375) << money(938);
        QTest::newRow("currency keeps four decimals") << "Total" << QVariant(35.98249) << money(359825);
        QTest::newRow("single keeps its decimal") << "SalesTaxRate" << QVariant(0.07) << QVariant(0.07);
        QTest::newRow("empty text is null") << "Total" << QVariant("") << QVariant();
        QTest::newRow("number from text") << "EmployeeID" << QVariant("12") << QVariant(qlonglong(12));
        QTest::newRow("whole number rounds half even") << "EmployeeID" << QVariant(12.5) << QVariant(qlonglong(12));
        QTest::newRow("date into a text field is m/d/yyyy") << "Birthdate" << QVariant(QDate(2026, 3, 5)) << QVariant("3/5/2026");
        QTest::newRow("typed text into a text field as it stands") << "Birthdate" << QVariant("05/03/2026") << QVariant("05/03/2026");
    }
    void typesConvertOnWrite()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, written);
        QFETCH(QVariant, read);
        RecordSet rs(salon::employeeDb(), QStringLiteral("select * from [Employee]"));
        rs.addNew();
        rs.setValue(field, written);
        rs.update();
        rs.moveLast();
        QCOMPARE(rs.value(field), read);
    }

    // The store never guesses at display text: a locale's "35,982" is refused whole, never
    // read as 35 or 35982 (the forms layer reads box text in its own locale).
    void textThatIsNotAPlainNumberIsAConversionError_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "Total" << "abc";
        QTest::newRow("decimal comma") << "Total" << "35,982";
        QTest::newRow("currency sign") << "Total" << "$12.50";
        QTest::newRow("trailing text") << "EmployeeID" << "12abc";
        QTest::newRow("locale date") << "ChangeDate" << "5 March 2026";
    }
    void textThatIsNotAPlainNumberIsAConversionError()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        RecordSet rs(salon::employeeDb(), field == QLatin1String("ChangeDate") ? QStringLiteral("Misc") : QStringLiteral("Employee"));
        rs.addNew();
        try {
            rs.setValue(field, text);
            QFAIL("no error");
        } catch (const StoreError &e) {
            QCOMPARE(e.number(), 3421);
        }
    }

    // Money the file could not give back exactly is refused, whoever writes it.
    void moneyTheBookCannotKeepIsRefused_data()
    {
        QTest::addColumn<QVariant>("written");
        QTest::newRow("Currency at the bound") << QVariant::fromValue(Currency::fromScaled(Currency::storableLimit * Currency::scale));
        QTest::newRow("negative Currency at the bound")
            << QVariant::fromValue(Currency::fromScaled(-Currency::storableLimit * Currency::scale));
        QTest::newRow("a double past the bound") << QVariant(123456789012345.6789);
        QTest::newRow("text past the bound") << QVariant("300000000000.0007");
        QTest::newRow("text with five decimals") << QVariant("0.00005");
    }
    void moneyTheBookCannotKeepIsRefused()
    {
        QFETCH(QVariant, written);
        const qint64 rows = rowCount(QStringLiteral("Employee"));
        RecordSet rs(salon::employeeDb(), QStringLiteral("Employee"));
        rs.addNew();
        QVERIFY_THROWS_EXCEPTION(StoreError, {
            rs.setValue(QStringLiteral("Total"), written);
            rs.update();
        });
        rs.cancelUpdate();
        QCOMPARE(rowCount(QStringLiteral("Employee")), rows);
    }

    void datesReadBackAsDates()
    {
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        misc.edit();
        misc.setValue(QStringLiteral("ChangeDate"), QStringLiteral("3/5/2026"));
        misc.update();
        QCOMPARE(misc.value(QStringLiteral("ChangeDate")).toDate(), QDate(2026, 3, 5));
    }

    void queryWithConditionHoldsOnlyItsRows()
    {
        RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
        for (int customer : {2, 1, 2, 3, 2}) {
            journal.addNew();
            journal.setValue(QStringLiteral("CustomerID"), customer);
            journal.update();
        }
        const QString base = QStringLiteral(
            "select [ServiceID], [CustomerID], [EmployeeID],[ServiceDate],[NameOfService], [Quantity], [Cost], [Count] "
            "from [Service Records] where [CustomerID]=");
        RecordSet visits(salon::employeeDb(), base + u'2');
        QCOMPARE(visits.recordCount(), qint64(3));
        QList<qint64> ids;
        for (visits.moveFirst(); !visits.eof(); visits.moveNext())
            ids << visits.value(QStringLiteral("ServiceID")).toLongLong();
        QCOMPARE(ids, (QList<qint64>{1, 3, 5}));
        visits.setSource(base + u'3');
        QCOMPARE(visits.recordCount(), qint64(1));
        QCOMPARE(visits.value(QStringLiteral("ServiceID")).toLongLong(), qint64(4));
    }

    // A set re-pointed from one master number to another reads the new master's rows only,
    // and a source that differs in more than that number is read as the new source it is.
    void repointedSetReadsTheNewSource_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QList<qint64>>("ids");
        QTest::addColumn<int>("fields");
        const QString all = QStringLiteral("select [ServiceID], [CustomerID] from [Service Records] where [CustomerID]=");
        QTest::newRow("another number") << all + u'2' << all + u'3' << QList<qint64>{4} << 2;
        QTest::newRow("a longer number") << all + u'2' << all + QStringLiteral("12") << QList<qint64>{6} << 2;
        QTest::newRow("a negative number") << all + u'2' << all + QStringLiteral("-1") << QList<qint64>{} << 2;
        QTest::newRow("other columns") << all + u'2'
            << QStringLiteral("select [ServiceID] from [Service Records] where [CustomerID]=1") << QList<qint64>{2} << 1;
        QTest::newRow("another condition") << all + u'2'
            << QStringLiteral("select [ServiceID], [CustomerID] from [Service Records] where [EmployeeID]=2")
            << QList<qint64>{1, 2} << 2;
    }
    void repointedSetReadsTheNewSource()
    {
        QFETCH(QString, first);
        QFETCH(QString, then);
        QFETCH(QList<qint64>, ids);
        QFETCH(int, fields);
        addVisits();
        RecordSet visits(salon::employeeDb(), first);
        QCOMPARE(visits.recordCount(), qint64(3));
        visits.setSource(then);
        QList<qint64> found;
        for (qint64 row = 0; row < visits.recordCount(); ++row)
            found << visits.rowAt(row).value(0).toLongLong();
        QCOMPARE(found, ids);
        QCOMPARE(visits.fieldNames().size(), fields);
    }

    // A source built from its parts binds its condition's values, and re-pointing binds others;
    // a value is never read as query text.
    void boundSourceRepointsByValue_data()
    {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QList<qint64>>("ids");
        QTest::newRow("another number") << QVariantList{3} << QList<qint64>{4};
        QTest::newRow("a longer number") << QVariantList{12} << QList<qint64>{6};
        QTest::newRow("no number") << QVariantList{QVariant()} << QList<qint64>{};
        QTest::newRow("query text") << QVariantList{QStringLiteral("2 or 1=1")} << QList<qint64>{};
    }
    void boundSourceRepointsByValue()
    {
        QFETCH(QVariantList, values);
        QFETCH(QList<qint64>, ids);
        addVisits();
        QSqlDatabase db = salon::employeeDb();
        RecordSet visits(db, RecordSource::select(db, QStringLiteral("[service records]"), QStringLiteral("[ServiceID], [CustomerID]"),
                                                  QStringLiteral("[CustomerID] = ?"), {2}));
        QCOMPARE(visits.recordCount(), qint64(3));
        if (onServer() && values.constFirst().typeId() == QMetaType::QString) {
            // The server refuses text where a number is compared, rather than matching nothing.
            QVERIFY_THROWS_EXCEPTION(StoreError, visits.repoint(values));
            return;
        }
        visits.repoint(values);
        QList<qint64> found;
        for (qint64 row = 0; row < visits.recordCount(); ++row)
            found << visits.rowAt(row).value(0).toLongLong();
        QCOMPARE(found, ids);
        QCOMPARE(visits.fieldNames().size(), 2);
    }

    // A find on a bound source binds the source's values before the criterion's.
    void findOnABoundSourceKeepsItsCondition()
    {
        addVisits();
        QSqlDatabase db = salon::employeeDb();
        RecordSet visits(db, RecordSource::select(db, QStringLiteral("Service Records"), QStringLiteral("*"),
                                                  QStringLiteral("[CustomerID] = ?"), {2}));
        visits.findFirst(QStringLiteral("[EmployeeID] = ?"), {3});
        QVERIFY(!visits.noMatch());
        QCOMPARE(visits.value(QStringLiteral("ServiceID")).toLongLong(), qint64(3));
        visits.findNext(QStringLiteral("[EmployeeID] = ?"), {3});
        QCOMPARE(visits.value(QStringLiteral("ServiceID")).toLongLong(), qint64(5));
        visits.findNext(QStringLiteral("[EmployeeID] = ?"), {3});
        QVERIFY(visits.noMatch());
    }

    void wholeNumberOrNullKeepsOnlyWholeNumbers()
    {
        QCOMPARE(wholeNumberOrNull(7), QVariant(qlonglong(7)));
        QCOMPARE(wholeNumberOrNull(QStringLiteral("12")), QVariant(qlonglong(12)));
        QVERIFY(wholeNumberOrNull(QStringLiteral("1 or 1=1")).isNull());
        QVERIFY(wholeNumberOrNull(QVariant()).isNull());
    }

    // Dates are kept as ISO text in the file; what is not a whole date there comes back as it stands.
    void storedDateTextReadsBack_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QVariant>("read");
        QTest::newRow("date") << "2026-03-05" << QVariant(QDate(2026, 3, 5));
        QTest::newRow("date at midnight") << "2026-03-05 00:00:00" << QVariant(QDate(2026, 3, 5));
        QTest::newRow("date and time") << "2026-03-05 14:30:00" << QVariant(QDateTime(QDate(2026, 3, 5), QTime(14, 30)));
        QTest::newRow("no such day") << "2026-02-30" << QVariant("2026-02-30");
        QTest::newRow("short parts") << "2026-3-05x" << QVariant("2026-3-05x");
        QTest::newRow("other digits") << QString::fromUtf8("\uFF12026-03-05") << QVariant(QString::fromUtf8("\uFF12026-03-05"));
        QTest::newRow("trailing text") << "2026-03-05 noon" << QVariant("2026-03-05 noon");
    }
    void storedDateTextReadsBack()
    {
        QFETCH(QString, stored);
        QFETCH(QVariant, read);
        salon::runQuery(salon::employeeDb(), QStringLiteral("UPDATE Misc SET ChangeDate = ?"), {stored});
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        QCOMPARE(misc.value(QStringLiteral("ChangeDate")), read);
    }

    void findOnAComputedName()
    {
        RecordSet names(salon::employeeDb(),
                        QStringLiteral("SELECT FirstName || ' ' || LastName AS Name, CustomerID FROM Customers"));
        names.findFirst(QStringLiteral("Name = ?"), {QStringLiteral("Cy Lee")});
        QVERIFY(!names.noMatch());
        QCOMPARE(names.value(QStringLiteral("Name")).toString(), QStringLiteral("Cy Lee"));
        QCOMPARE(names.value(QStringLiteral("CustomerID")).toInt(), 3);
        names.findFirst(QStringLiteral("Name = ?"), {QStringLiteral("O'Brien'; drop table Customers; --")});
        QVERIFY(names.noMatch());
        QCOMPARE(names.absolutePosition(), 2);
        names.edit();
        QVERIFY_THROWS_EXCEPTION(StoreError, names.setValue(QStringLiteral("Name"), QStringLiteral("x")));
    }

    void findNextAndPrevious()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        const QString lee = QStringLiteral("LastName = ?");
        rs.findFirst(lee, {QStringLiteral("Lee")});
        QCOMPARE(rs.absolutePosition(), 0);
        rs.findNext(lee, {QStringLiteral("Lee")});
        QCOMPARE(rs.absolutePosition(), 2);
        rs.findNext(lee, {QStringLiteral("Lee")});
        QVERIFY(rs.noMatch());
        QCOMPARE(rs.absolutePosition(), 2);
        rs.findPrevious(lee, {QStringLiteral("Lee")});
        QCOMPARE(rs.absolutePosition(), 0);
        rs.findLast(lee, {QStringLiteral("Lee")});
        QCOMPARE(rs.absolutePosition(), 2);
    }

    // Another screen adds a matching row after this set read its keys: the find must not
    // land on it (it is not part of the set), nor keep asking for it again.
    void findOnAStaleSet_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<qint64>("landsOn");   // -1: no match
        QTest::newRow("next from the last row") << "next" << "Lee" << qint64(-1);
        QTest::newRow("first, only the new row matches") << "first" << "Ono" << qint64(-1);
        QTest::newRow("last, skipping the new row") << "last" << "Lee" << qint64(2);
        QTest::newRow("first, the set's own row") << "first" << "Lee" << qint64(0);
    }
    void findOnAStaleSet()
    {
        QFETCH(QString, find);
        QFETCH(QString, lastName);
        QFETCH(qint64, landsOn);
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.moveLast();
        addCustomer(5, QStringLiteral("Eve"), QStringLiteral("Lee"));
        addCustomer(6, QStringLiteral("Fay"), QStringLiteral("Ono"));
        const QString criterion = QStringLiteral("LastName = ?");
        if (find == QLatin1String("next")) rs.findNext(criterion, {lastName});
        else if (find == QLatin1String("first")) rs.findFirst(criterion, {lastName});
        else rs.findLast(criterion, {lastName});
        QCOMPARE(rs.noMatch(), landsOn < 0);
        QCOMPARE(rs.absolutePosition(), landsOn < 0 ? qint64(3) : landsOn);
    }

    void seekOnTheLastNameIndex_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("first");
        QTest::newRow("exact") << "Baker" << true << "Dee";
        QTest::newRow("any case") << "ADAMS" << true << "Bob";
        QTest::newRow("first of two") << "lee" << true << "Ann";
        QTest::newRow("missing") << "Zed" << false << "";
        QTest::newRow("quote") << "O'Hara" << false << "";
    }
    void seekOnTheLastNameIndex()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QString, first);
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.setIndex(QStringLiteral("LastName"));
        // The index orders the set: adams, Baker, Lee, Lee.
        QCOMPARE(rs.value(QStringLiteral("LastName")).toString(), QStringLiteral("adams"));
        rs.seek(name);
        QCOMPARE(!rs.noMatch(), found);
        if (found)
            QCOMPARE(rs.value(QStringLiteral("FirstName")).toString(), first);
    }

    void seekNeedsATableAndAnIndex()
    {
        RecordSet query(salon::employeeDb(), QStringLiteral("select * from [Customers]"));
        QVERIFY_THROWS_EXCEPTION(StoreError, query.seek(QStringLiteral("Lee")));
        RecordSet table(salon::employeeDb(), QStringLiteral("Customers"));
        QVERIFY_THROWS_EXCEPTION(StoreError, table.seek(QStringLiteral("Lee")));
        QVERIFY_THROWS_EXCEPTION(StoreError, table.setIndex(QStringLiteral("NoSuchIndex")));
        RecordSet employees(salon::employeeDb(), QStringLiteral("employee"));
        employees.setIndex(QStringLiteral("Lastname"));
        QCOMPARE(employees.index(), QStringLiteral("Lastname"));
    }

    void missingTableIsReported()
    {
        try {
            RecordSet rs(salon::employeeDb(), QStringLiteral("select * from [Nothing]"));
            QFAIL("no error");
        } catch (const StoreError &e) {
            QCOMPARE(e.number(), 3078);
        }
    }

    // Two screens on one table: a move shows what the other stored meanwhile.
    void moveShowsWhatAnotherSetStored()
    {
        RecordSet desk(salon::employeeDb(), QStringLiteral("Customers"));
        RecordSet book(salon::employeeDb(), QStringLiteral("select * from [Customers]"));
        QCOMPARE(desk.value(QStringLiteral("Notes")), QVariant());
        book.edit();
        book.setValue(QStringLiteral("Notes"), QStringLiteral("allergic to acetone"));
        book.update();
        desk.moveNext();
        desk.movePrevious();
        QCOMPARE(desk.value(QStringLiteral("Notes")).toString(), QStringLiteral("allergic to acetone"));
    }

    void requeryShowsRowsWrittenElsewhere()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.moveLast();
        addCustomer(5, QStringLiteral("Eve"), QStringLiteral("Ono"));
        QCOMPARE(rs.recordCount(), qint64(4));
        rs.requery();
        QCOMPARE(rs.recordCount(), qint64(5));
        QCOMPARE(rs.absolutePosition(), 0);
    }

    // The binding layer stores a screen's edits from this hook, so it must run before every
    // way of leaving the row, with the edit still in place, and a throw must cancel the move.
    void beforeLeavingRowRunsWhileTheRowIsStillCurrent_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<qint64>("landsOn");
        QTest::newRow("next") << "next" << qint64(2);
        QTest::newRow("previous") << "previous" << qint64(0);
        QTest::newRow("first") << "first" << qint64(0);
        QTest::newRow("last") << "last" << qint64(3);
        QTest::newRow("move +2") << "move" << qint64(3);
        QTest::newRow("bookmark") << "bookmark" << qint64(0);
        QTest::newRow("find") << "find" << qint64(2);
        QTest::newRow("seek") << "seek" << qint64(2);
        QTest::newRow("add-new") << "addnew" << qint64(1);
    }
    void beforeLeavingRowRunsWhileTheRowIsStillCurrent()
    {
        QFETCH(QString, action);
        QFETCH(qint64, landsOn);
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        const qint64 firstRow = rs.bookmark();
        if (action == QLatin1String("seek"))
            rs.setIndex(QStringLiteral("LastName"));   // adams, Baker, Lee, Lee
        rs.moveNext();
        rs.edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("kept"));
        const qint64 leaving = rs.bookmark();
        int calls = 0;
        const LeavingRowHook hook = rs.onLeavingRow([&] {
            ++calls;
            QCOMPARE(rs.bookmark(), leaving);
            QCOMPARE(rs.value(QStringLiteral("Notes")).toString(), QStringLiteral("kept"));
            rs.update();
        });
        if (action == QLatin1String("next")) rs.moveNext();
        else if (action == QLatin1String("previous")) rs.movePrevious();
        else if (action == QLatin1String("first")) rs.moveFirst();
        else if (action == QLatin1String("last")) rs.moveLast();
        else if (action == QLatin1String("move")) rs.move(2);
        else if (action == QLatin1String("bookmark")) rs.moveToBookmark(firstRow);
        else if (action == QLatin1String("find")) rs.findFirst(QStringLiteral("FirstName = ?"), {QStringLiteral("Cy")});
        else if (action == QLatin1String("seek")) rs.seek(QStringLiteral("lee"));
        else rs.addNew();
        QCOMPARE(calls, 1);
        QCOMPARE(rs.absolutePosition(), landsOn);
        RecordSet again(salon::employeeDb(), QStringLiteral("Customers"));
        again.findFirst(QStringLiteral("Notes = ?"), {QStringLiteral("kept")});
        QVERIFY(!again.noMatch());
    }

    // Several listeners (the binder of a screen, a grid, the ticket) each stay until their
    // handle goes; a handle that outlives its set has nothing left to remove.
    void leavingRowListenersComeAndGo()
    {
        auto rs = std::make_unique<RecordSet>(salon::employeeDb(), QStringLiteral("Customers"));
        QStringList calls;
        LeavingRowHook first = rs->onLeavingRow([&] { calls << QStringLiteral("first"); });
        LeavingRowHook second = rs->onLeavingRow([&] { calls << QStringLiteral("second"); });
        rs->moveNext();
        QCOMPARE(calls, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
        first.release();
        LeavingRowHook moved = std::move(second);
        calls.clear();
        rs->moveNext();
        QCOMPARE(calls, QStringList{QStringLiteral("second")});
        rs.reset();
        moved.release();   // the set went first
    }

    void aThrowFromBeforeLeavingRowCancelsTheMove()
    {
        RecordSet rs(salon::employeeDb(), QStringLiteral("Customers"));
        rs.edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("pending"));
        const LeavingRowHook hook = rs.onLeavingRow([] { throw StoreError(StoreError::ConversionError, QStringLiteral("bad")); });
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.moveNext());
        QCOMPARE(rs.absolutePosition(), 0);
        QCOMPARE(rs.editMode(), RecordSet::EditMode::Edit);
        QCOMPARE(rs.value(QStringLiteral("Notes")).toString(), QStringLiteral("pending"));
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
