#include "database.h"
#include "salontaxrate.h"
#include "testhome.h"

#include <QtTest>
#include <algorithm>

// The salon's sales-tax rate over four employee rows, and the rows without one given it.
class TestSalonTaxRate : public QObject
{
    Q_OBJECT

    // The rows' SalesTaxRate as text, "-" where it is empty.
    static QStringList rates()
    {
        QStringList found;
        const QVariantList values = queryValues(onServer() ? QStringLiteral("SELECT coalesce(SalesTaxRate::text, '-') FROM Employee ORDER BY rowid")
                                                           : QStringLiteral("SELECT ifnull(nullif(SalesTaxRate, ''), '-') FROM Employee ORDER BY rowid"));
        for (const QVariant &value : values)
            found << value.toString();
        return found;
    }

private slots:
    void rateOfTheRows_data()
    {
        QTest::addColumn<QVariantList>("stored");   // the four rows' SalesTaxRate
        QTest::addColumn<QVariant>("rate");         // invalid: none
        QTest::addColumn<QStringList>("filled");
        const QVariant none = QVariant(QMetaType(QMetaType::Double));
        const QVariant empty = QString();
        QTest::newRow("one rate, two rows without") << QVariantList{0.07, none, 0.07, empty} << QVariant(0.07)
                                                   << QStringList{"0.07", "0.07", "0.07", "0.07"};
        QTest::newRow("0 is a rate") << QVariantList{0.0, none, 0.0, 0.0} << QVariant(0.0) << QStringList{"0", "0", "0", "0"};
        QTest::newRow("the same rate kept as text") << QVariantList{0.07, QStringLiteral("0.07"), none, none} << QVariant(0.07)
                                                    << QStringList{"0.07", "0.07", "0.07", "0.07"};
        QTest::newRow("different rates") << QVariantList{0.07, 0.08, none, 0.07} << QVariant() << QStringList{"0.07", "0.08", "-", "0.07"};
        QTest::newRow("text that is no rate") << QVariantList{0.07, QStringLiteral("seven"), none, 0.07} << QVariant()
                                              << QStringList{"0.07", "seven", "-", "0.07"};
        QTest::newRow("no rate anywhere") << QVariantList{none, empty, none, none} << QVariant() << QStringList{"-", "-", "-", "-"};
    }
    void rateOfTheRows()
    {
        QFETCH(QVariantList, stored);
        QFETCH(QVariant, rate);
        QFETCH(QStringList, filled);
        if (onServer() && std::any_of(stored.begin(), stored.end(), [](const QVariant &v) { return v.typeId() == QMetaType::QString; }))
            QSKIP("A server's rate column holds numbers only.");
        TestHome home;
        QVERIFY(home.openError().isEmpty());
        for (const QVariant &value : stored)
            salon::runQuery(salon::employeeDb(), QStringLiteral("INSERT INTO Employee (SalesTaxRate) VALUES (?)"), {value});
        const auto found = salon::salonTaxRate(salon::employeeDb());
        QCOMPARE(found ? QVariant(*found) : QVariant(), rate);
        const int given = salon::fillMissingTaxRates(salon::employeeDb());
        QCOMPARE(rates(), filled);
        QCOMPARE(given, rate.isValid() ? int(std::count_if(stored.begin(), stored.end(), [](const QVariant &v) {
            return v.isNull() || v.toString().isEmpty();
        })) : 0);
    }

    // The row being stored leaves itself out: its own empty rate is no say in the matter.
    void aRowCanBeLeftOut()
    {
        TestHome home;
        QVERIFY(home.openError().isEmpty());
        addRow(QStringLiteral("Employee"), {{QStringLiteral("SalesTaxRate"), 0.07}});
        addRow(QStringLiteral("Employee"), {{QStringLiteral("SalesTaxRate"), 0.05}});
        QCOMPARE(salon::salonTaxRate(salon::employeeDb()), std::nullopt);
        QCOMPARE(salon::salonTaxRate(salon::employeeDb(), 2), std::optional(0.07));
    }
};

QTEST_MAIN(TestSalonTaxRate)
#include "tst_salontaxrate.moc"
