#include "saleline.h"
#include "testhome.h"
#include "values.h"

#include <QtTest>

using namespace sale;

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {
Currency money(double value) { return *Currency::fromDouble(value); }
} // namespace

class TestSaleLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTestLocale(); }

    void priceSaleLine_data()
    {
        QTest::addColumn<double>("unitPrice");
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("discount");
        QTest::addColumn<double>("extended");
        QTest::newRow("19.99 x 2 at 0.1") << 19.99 << qint64(2) << 0.1 << 1.999 << 35.982;
        QTest::newRow("half cent kept") << 26.75 << qint64(1) << 0.1 << 2.675 << 24.075;
        QTest::newRow("no discount") << 15.0 << qint64(3) << 0.0 << 0.0 << 45.0;
        QTest::newRow("rate 1 is free") << 15.0 << qint64(2) << 1.0 << 15.0 << 0.0;
        QTest::newRow("quantity 0") << 25.0 << qint64(0) << 0.1 << 2.5 << 0.0;
        QTest::newRow("discount rounds half to even") << 0.0625 << qint64(1) << 0.5 << 0.0312 << 0.0313;
    }
    void priceSaleLine()
    {
        QFETCH(double, unitPrice);
        QFETCH(qint64, quantity);
        QFETCH(double, rate);
        QFETCH(double, discount);
        QFETCH(double, extended);
        const auto line = sale::priceSaleLine(money(unitPrice), quantity, rate);
        QVERIFY(line);
        QCOMPARE(line->discount, money(discount));
        QCOMPARE(line->netUnit, money(unitPrice).minus(money(discount)));
        QCOMPARE(line->extended, money(extended));
    }
    void priceSaleLineOverflowIsRefused()
    {
        QVERIFY(!sale::priceSaleLine(money(900000000000.0), 100000, 0.0));
    }

    void nextDailyCount_data()
    {
        QTest::addColumn<qint64>("changeCount");
        QTest::addColumn<QDate>("changeDate");
        QTest::addColumn<std::optional<qint64>>("myNumber");
        QTest::addColumn<QDate>("firstSaleOfDay");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<qint64>("serviceId");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QDate>("newChangeDate");
        QTest::addColumn<qint64>("newMyNumber");
        const QDate mar9(2026, 3, 9), mar10(2026, 3, 10);
        const std::optional<qint64> base100 = 100, base150 = 150, none;
        QTest::newRow("first sale of a new day") << qint64(0) << mar9 << base100 << QDate() << mar10 << qint64(151)
                                                 << qint64(1) << mar10 << qint64(150);
        QTest::newRow("later sale of the day") << qint64(0) << mar10 << base150 << QDate() << mar10 << qint64(153)
                                               << qint64(3) << mar10 << qint64(150);
        QTest::newRow("new month sorts before as text") << qint64(0) << QDate(2026, 2, 28) << base100 << QDate()
                                                        << QDate(2026, 3, 1) << qint64(120) << qint64(1)
                                                        << QDate(2026, 3, 1) << qint64(119);
        QTest::newRow("empty ChangeDate restarts") << qint64(0) << QDate() << none << QDate() << mar10 << qint64(7)
                                                   << qint64(1) << mar10 << qint64(6);
        QTest::newRow("empty MyNumber counts from 0") << qint64(0) << mar10 << none << QDate() << mar10 << qint64(7)
                                                      << qint64(7) << mar10 << qint64(0);
        // A book left by the older rule after the first sale of a day: ChangeCount 1, the
        // running day is the date of row MyNumber + 1.
        QTest::newRow("left mid-day, same day") << qint64(1) << mar9 << base150 << mar10 << mar10 << qint64(152)
                                                << qint64(2) << mar10 << qint64(150);
        QTest::newRow("left after a day of one sale") << qint64(1) << QDate(2026, 3, 1) << base150 << mar9 << mar10
                                                      << qint64(152) << qint64(1) << mar10 << qint64(151);
        QTest::newRow("left mid-day, row gone") << qint64(1) << mar9 << base150 << QDate() << mar10 << qint64(152)
                                                << qint64(1) << mar10 << qint64(151);
        QTest::newRow("clock set back goes on") << qint64(0) << mar10 << base150 << QDate() << mar9 << qint64(155)
                                                << qint64(5) << mar10 << qint64(150);
    }
    void nextDailyCount()
    {
        QFETCH(qint64, changeCount);
        QFETCH(QDate, changeDate);
        QFETCH(std::optional<qint64>, myNumber);
        QFETCH(QDate, firstSaleOfDay);
        QFETCH(QDate, today);
        QFETCH(qint64, serviceId);
        QFETCH(qint64, count);
        QFETCH(QDate, newChangeDate);
        QFETCH(qint64, newMyNumber);
        const NumberedSale sale = sale::nextDailyCount({changeCount, changeDate, myNumber}, firstSaleOfDay, today, serviceId);
        QCOMPARE(sale.count, count);
        QCOMPARE(sale.numbering.changeCount, qint64(0));
        QCOMPARE(sale.numbering.changeDate, newChangeDate);
        QCOMPARE(sale.numbering.myNumber, std::optional<qint64>(newMyNumber));
    }

    void storedDate_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QDate>("date");
        QTest::newRow("date") << QVariant(QDate(2026, 3, 5)) << QDate(2026, 3, 5);
        QTest::newRow("iso text") << QVariant(QStringLiteral("2026-03-05")) << QDate(2026, 3, 5);
        QTest::newRow("month/day/year text") << QVariant(QStringLiteral("3/10/2026")) << QDate(2026, 3, 10);
        QTest::newRow("with a time") << QVariant(QStringLiteral("3/5/2026 2:07:09 PM")) << QDate(2026, 3, 5);
        QTest::newRow("empty") << QVariant() << QDate();
        QTest::newRow("garbage") << QVariant(QStringLiteral("soon")) << QDate();
    }
    void storedDate()
    {
        QFETCH(QVariant, stored);
        QFETCH(QDate, date);
        QCOMPARE(sale::storedDate(stored), date);
    }

    void totals_data()
    {
        QTest::addColumn<double>("subTotal");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("ticketTotal");
        QTest::newRow("25 at 0.07") << 25.0 << 0.07 << QStringLiteral("26.75");
        QTest::newRow("10.99 at 0.06, no rounding to cents") << 10.99 << 0.06 << QStringLiteral("11.6494");
        QTest::newRow("35.982 at 0.07") << 35.982 << 0.07 << QStringLiteral("38.50074");
    }
    void totals()
    {
        QFETCH(double, subTotal);
        QFETCH(double, rate);
        QFETCH(QString, ticketTotal);
        QCOMPARE(numberText(sale::ticketTotal(money(subTotal), rate)), ticketTotal);
    }
    void totalsInACommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const ReceiptTotals totals = receiptTotals(money(35.982), 0.07);
        useTestLocale();
        QCOMPARE(totals.subTotal, QStringLiteral("35,982"));
        QCOMPARE(totals.saleTax, QStringLiteral("2,51874"));
        QCOMPARE(totals.total, QStringLiteral("38,50074"));
    }
    void dayTotalGrowsByTheTaxedLineAsMoney()
    {
        QCOMPARE(dayTotalAfter(Currency(), money(35.982), 0.07), std::optional<Currency>(money(38.5007)));
        QCOMPARE(dayTotalAfter(money(10), money(10.99), 0.06), std::optional<Currency>(money(21.6494)));
        QVERIFY(!dayTotalAfter(Currency::fromScaled(std::numeric_limits<std::int64_t>::max() - 5), money(1), 0));
        QVERIFY(!subTotalAfter(Currency::fromScaled(std::numeric_limits<std::int64_t>::max() - 5), money(1)));
    }

    void readRate_data()
    {
        QTest::addColumn<int>("question");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("rate");
        const int discount = int(RateQuestion::Discount), tax = int(RateQuestion::TaxRate);
        const int rate = int(RateReading::Kind::Rate), empty = int(RateReading::Kind::Empty),
                  refused = int(RateReading::Kind::Refused);
        QTest::newRow("0.125 whole") << discount << "en_US" << "0.125" << rate << 0.125;
        QTest::newRow("0.0825 whole") << tax << "en_US" << "0.0825" << rate << 0.0825;
        QTest::newRow("blanks around") << discount << "en_US" << " 0.1 " << rate << 0.1;
        QTest::newRow("no leading zero") << discount << "en_US" << ".5" << rate << 0.5;
        QTest::newRow("1 is a rate") << discount << "en_US" << "1" << rate << 1.0;
        QTest::newRow("0 is a rate") << tax << "en_US" << "0" << rate << 0.0;
        QTest::newRow("locale comma") << discount << "de_DE" << "0,15" << rate << 0.15;
        QTest::newRow("point in a comma locale") << tax << "de_DE" << "0.07" << rate << 0.07;
        QTest::newRow("comma is grouping in en_US") << discount << "en_US" << "0,1" << refused << 0.0;
        QTest::newRow("10 meant as percent") << discount << "en_US" << "10" << refused << 0.0;
        QTest::newRow("percent sign") << discount << "en_US" << "10%" << refused << 0.0;
        QTest::newRow("letters") << tax << "en_US" << "abc" << refused << 0.0;
        QTest::newRow("negative") << discount << "en_US" << "-0.1" << refused << 0.0;
        QTest::newRow("two points") << discount << "en_US" << "0.1.2" << refused << 0.0;
        QTest::newRow("only a point") << discount << "en_US" << "." << refused << 0.0;
        QTest::newRow("empty") << discount << "en_US" << "" << empty << 0.0;
        QTest::newRow("blanks only") << tax << "en_US" << "   " << empty << 0.0;
    }
    void readRate()
    {
        QFETCH(int, question);
        QFETCH(QString, locale);
        QFETCH(QString, answer);
        QFETCH(int, kind);
        QFETCH(double, rate);
        const RateReading reading = sale::readRate(RateQuestion(question), answer, QLocale(locale));
        QCOMPARE(int(reading.kind), kind);
        QCOMPARE(reading.rate, rate);
        QCOMPARE(reading.refusal.isEmpty(), kind != int(RateReading::Kind::Refused));
    }
    void refusalRepeatsTheExampleInTheLocalesForm()
    {
        QCOMPARE(sale::readRate(RateQuestion::Discount, QStringLiteral("10"), QLocale(QStringLiteral("en_US"))).refusal,
                 QStringLiteral("The discount rate must be a decimal number from 0 to 1 (ex.: 10% = 0.1)."));
        QCOMPARE(sale::readRate(RateQuestion::TaxRate, QStringLiteral("7"), QLocale(QStringLiteral("fr_FR"))).refusal,
                 QStringLiteral("The sales-tax rate must be a decimal number from 0 to 1 (Ex. 0,07 = 7%)."));
    }

    void receiptSlots_data()
    {
        QTest::addColumn<QStringList>("services");
        QTest::addColumn<QStringList>("shown");   // service|price of each visible slot
        QTest::addColumn<int>("slotCount");
        QTest::newRow("nothing sold") << QStringList() << QStringList{"Service|Price"} << 3;
        QTest::newRow("one line") << QStringList{"Manicure"} << QStringList{"Manicure|15"} << 3;
        QTest::newRow("a service named Service is used")
            << QStringList{"Service", "Pedicure"} << QStringList{"Service|15", "Pedicure|15"} << 3;
        QTest::newRow("three lines") << QStringList{"A", "B", "C"} << QStringList{"A|15", "B|15", "C|15"} << 3;
        QTest::newRow("a fourth line extends the list")
            << QStringList{"A", "B", "C", "D"} << QStringList{"A|15", "B|15", "C|15", "D|15"} << 4;
    }
    void receiptSlots()
    {
        QFETCH(QStringList, services);
        QFETCH(QStringList, shown);
        QFETCH(int, slotCount);
        std::vector<ReceiptLine> lines;
        for (const QString &service : services)
            lines.push_back({service, money(15)});
        const auto result = sale::receiptSlots(lines);
        QCOMPARE(int(result.size()), slotCount);
        QStringList visible;
        for (const ReceiptSlot &slot : result)
            if (slot.visible)
                visible << slot.service + u'|' + slot.price;
        QCOMPARE(visible, shown);
    }
};

QTEST_GUILESS_MAIN(TestSaleLine)
#include "tst_saleline.moc"
