#include "currency.h"
#include "dates.h"
#include "testhome.h"
#include "values.h"

#include <QLocale>
#include <QtTest>
#include <limits>

Q_DECLARE_METATYPE(std::optional<Currency>)
Q_DECLARE_METATYPE(std::optional<double>)

class TestValues : public QObject
{
    Q_OBJECT

private slots:
    void init() { useTestLocale(); }

    void valOfText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "12.5" << 12.5;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("stops at a letter") << "7abc" << 7.0;
        QTest::newRow("blanks inside") << " 1 2 . 5" << 12.5;
        QTest::newRow("tab and line feed") << "\t3\n4" << 34.0;
        QTest::newRow("carriage return stops") << "3\r4" << 3.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("minus") << "-3.25" << -3.25;
        QTest::newRow("exponent E") << "1E3" << 1000.0;
        QTest::newRow("exponent D") << "2D2" << 200.0;
        QTest::newRow("exponent without digits") << "5E" << 5.0;
        QTest::newRow("comma is not a point") << "1,5" << 1.0;
        QTest::newRow("percent sign stops") << "10%" << 10.0;
        QTest::newRow("only a minus") << "-" << 0.0;
    }
    void valOfText()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(val(text), expected);
    }

    void valOfPrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.125 read as 0.12") << "0.125" << 4 << 0.12;
        QTest::newRow("0.15") << "0.15" << 4 << 0.15;
        QTest::newRow("0.0825 read as 0.08") << "0.0825" << 4 << 0.08;
        QTest::newRow("10% read as 10") << "10%" << 4 << 10.0;
        QTest::newRow("123 read as 12") << "123" << 2 << 12.0;
    }
    void valOfPrefix()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(double, expected);
        QCOMPARE(valPrefix(text, count), expected);
    }

    void textOfNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("twelve and a half") << 12.5 << "12.5";
        QTest::newRow("whole") << 26.0 << "26";
        QTest::newRow("no rounding to cents") << 11.6494 << "11.6494";
        QTest::newRow("25 at 0.07") << 25 + 0.07 * 25 << "26.75";
        QTest::newRow("10.99 at 0.06") << 10.99 + 0.06 * 10.99 << "11.6494";
        QTest::newRow("15 significant digits") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("negative") << -4.25 << "-4.25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("large uses exponent") << 1.5e15 << "1.5E+15";
        QTest::newRow("just below exponent") << 123456789012345.0 << "123456789012345";
        QTest::newRow("small uses exponent") << 0.00001 << "1E-05";
        QTest::newRow("small plain") << 0.0001 << "0.0001";
        QTest::newRow("no grouping") << 1234567.0 << "1234567";
    }
    void textOfNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(numberText(value), expected);
    }

    void textOfNumberUsesTheLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(numberText(12.5), QStringLiteral("12,5"));
        QCOMPARE(numberText(1234567.25), QStringLiteral("1234567,25"));
        QCOMPARE(Currency::fromDouble(35.982)->text(), QStringLiteral("35,982"));
    }

    void halfEvenIntegers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("12.5 to 12") << 12.5 << 12;
        QTest::newRow("13.5 to 14") << 13.5 << 14;
        QTest::newRow("0.5 to 0") << 0.5 << 0;
        QTest::newRow("-2.5 to -2") << -2.5 << -2;
        QTest::newRow("2.6 to 3") << 2.6 << 3;
        QTest::newRow("largest int16") << 32767.0 << 32767;
        QTest::newRow("smallest int16") << -32768.4 << -32768;
    }
    void halfEvenIntegers()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(toInt16HalfEven(value).value(), expected);
        QCOMPARE(toInt32HalfEven(value).value(), expected);
    }

    void outOfRangeIntegersHaveNoValue()
    {
        QVERIFY(!toInt16HalfEven(32767.5).has_value());   // rounds to 32768
        QVERIFY(!toInt16HalfEven(-40000).has_value());
        QVERIFY(toInt32HalfEven(40000).has_value());
        QVERIFY(!toInt32HalfEven(3e9).has_value());
        QVERIFY(!toInt32HalfEven(std::numeric_limits<double>::quiet_NaN()).has_value());
        QVERIFY(!toInt32HalfEven(std::numeric_limits<double>::infinity()).has_value());
    }

    void currencyPricing_data()
    {
        QTest::addColumn<double>("unitPrice");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("extended");
        // P = price, D = price x rate, both rounded to four decimals; extended = quantity x (P - D).
        QTest::newRow("19.99 x 2 at 0.1") << 19.99 << 0.1 << 2 << "35.982";
        QTest::newRow("no discount") << 15.0 << 0.0 << 3 << "45";
        QTest::newRow("rate 1 gives 0") << 12.5 << 1.0 << 2 << "0";
        QTest::newRow("rate 1.5 goes negative") << 10.0 << 1.5 << 1 << "-5";
        QTest::newRow("quantity 0") << 25.0 << 0.1 << 0 << "0";
    }
    void currencyPricing()
    {
        QFETCH(double, unitPrice);
        QFETCH(double, rate);
        QFETCH(int, quantity);
        QFETCH(QString, extended);
        const Currency price = *Currency::fromDouble(unitPrice);
        const Currency discount = *Currency::fromDouble(unitPrice * rate);
        QCOMPARE(price.minus(discount)->times(quantity)->text(), extended);
    }

    void currencyConversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("scaled");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "12.5" << qint64(125000) << "12.5";
        QTest::newRow("four decimals") << "1.2345" << qint64(12345) << "1.2345";
        QTest::newRow("trailing zeros past four decimals") << "12.50000" << qint64(125000) << "12.5";
        QTest::newRow("just below the bound") << "99999999999.9999" << qint64(999999999999999) << "99999999999.9999";
        QTest::newRow("just below the bound, negative") << "-99999999999.9999" << qint64(-999999999999999)
                                                        << "-99999999999.9999";
        QTest::newRow("negative") << "-0.5" << qint64(-5000) << "-0.5";
        QTest::newRow("whole") << "26" << qint64(260000) << "26";
    }
    void currencyConversions()
    {
        QFETCH(QString, text);
        QFETCH(qint64, scaled);
        QFETCH(QString, shown);
        const auto money = Currency::fromText(text);
        QVERIFY(money.has_value());
        QCOMPARE(money->scaled(), scaled);
        QCOMPARE(money->text(), shown);
    }

    // Amounts are kept as doubles, exact to four decimals only well below 2^38: a typed amount
    // with more decimals, or of 100,000,000,000 or more, is refused, never rounded.
    void typedAmountsTheBookCannotKeep_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        const QString tooLarge = QStringLiteral("\"%1\" is too large: amounts of money must stay below 100,000,000,000.");
        const QString tooPrecise =
            QStringLiteral("\"%1\" has more than four decimals: amounts of money are kept to four decimals.");
        for (const char *typed : {"123456789012345.6789", "99999999999999.9999", "300000000000.0007", "100000000000",
                                  "-100000000000", "1e11", "1e300"})
            QTest::newRow(typed) << "en_US" << typed << tooLarge.arg(QLatin1String(typed));
        for (const char *typed : {"0.00005", "0.03125", "12.34561", "5e-5", "1.00001"})
            QTest::newRow(typed) << "en_US" << typed << tooPrecise.arg(QLatin1String(typed));
        QTest::newRow("de_DE too many decimals") << "de_DE" << "0,00005" << tooPrecise.arg(QStringLiteral("0,00005"));
        QTest::newRow("de_DE too large") << "de_DE" << "300000000000,0007"
                                         << QStringLiteral("\"300000000000,0007\" is too large: amounts of money must stay "
                                                           "below 100.000.000.000.");
    }
    void typedAmountsTheBookCannotKeep()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        QLocale::setDefault(QLocale(locale));
        const MoneyReading reading = Currency::readTyped(typed);
        QCOMPARE(reading.amount, std::optional<Currency>());
        QCOMPARE(reading.refusal, refusal);
    }

    void roundingHalfToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("scaled");
        QTest::newRow("down") << 0.03125 << qint64(312);
        QTest::newRow("up") << 0.09375 << qint64(938);
        QTest::newRow("negative") << -0.03125 << qint64(-312);
    }
    void roundingHalfToEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, scaled);
        QCOMPARE(Currency::fromDouble(value)->scaled(), scaled);
    }

    // Checked arithmetic: a result beyond the range of the type is nothing, never a wrapped value.
    // A server hands money out as exact decimal text; it must never pass through a double.
    void storedMoneyText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<std::optional<Currency>>("money");
        const auto money = [](qint64 scaled) { return std::optional(Currency::fromScaled(scaled)); };
        QTest::newRow("four decimals") << "12.3400" << money(123400);
        QTest::newRow("negative") << "-0.0001" << money(-1);
        QTest::newRow("whole") << "99999999999" << money(999999999990000);
        // 2^53 + 1 ten-thousandths: a double would make it 9007199254740992.
        QTest::newRow("beyond a double's digits") << "900719925474.0993" << money(9007199254740993);
        QTest::newRow("no whole part") << ".5" << money(5000);
        QTest::newRow("five decimals") << "1.00001" << std::optional<Currency>();
        QTest::newRow("beyond the range") << "922337203685477.5808" << std::optional<Currency>();
        QTest::newRow("not a number") << "1.2.3" << std::optional<Currency>();
        QTest::newRow("sign alone") << "-" << std::optional<Currency>();
    }
    void storedMoneyText()
    {
        QFETCH(QString, stored);
        QFETCH(std::optional<Currency>, money);
        QCOMPARE(Currency::fromDecimalText(stored), money);
    }

    void checkedArithmetic_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<std::optional<Currency>>("result");
        constexpr qint64 most = std::numeric_limits<qint64>::max();
        constexpr qint64 least = std::numeric_limits<qint64>::min();
        const auto money = [](qint64 scaled) { return std::optional(Currency::fromScaled(scaled)); };
        QTest::newRow("plus") << "plus" << qint64(125000) << qint64(5) << money(125005);
        QTest::newRow("plus overflows") << "plus" << most - 5 << qint64(10) << std::optional<Currency>();
        QTest::newRow("plus overflows below") << "plus" << least + 5 << qint64(-10) << std::optional<Currency>();
        QTest::newRow("minus") << "minus" << qint64(5) << qint64(125000) << money(-124995);
        QTest::newRow("minus overflows") << "minus" << least << qint64(1) << std::optional<Currency>();
        QTest::newRow("times") << "times" << qint64(-35982) << qint64(3) << money(-107946);
        QTest::newRow("times overflows") << "times" << most / 2 << qint64(3) << std::optional<Currency>();
        QTest::newRow("times the smallest by -1") << "times" << least << qint64(-1) << std::optional<Currency>();
        QTest::newRow("60 percent, half to even down") << "percent" << qint64(5) << qint64(50) << money(2);
        QTest::newRow("50 percent, half to even up") << "percent" << qint64(3) << qint64(50) << money(2);
        QTest::newRow("60 percent of a negative") << "percent" << qint64(-145) << qint64(60) << money(-87);
        QTest::newRow("percent past the range") << "percent" << most << qint64(200) << std::optional<Currency>();
        QTest::newRow("times a rate") << "timesRate" << qint64(199900) << qint64(10) << money(19990);
    }
    void checkedArithmetic()
    {
        QFETCH(QString, operation);
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(std::optional<Currency>, result);
        const Currency left = Currency::fromScaled(a);
        std::optional<Currency> got;
        if (operation == QLatin1String("plus"))
            got = left.plus(Currency::fromScaled(b));
        else if (operation == QLatin1String("minus"))
            got = left.minus(Currency::fromScaled(b));
        else if (operation == QLatin1String("times"))
            got = left.times(b);
        else if (operation == QLatin1String("percent"))
            got = left.percent(int(b));
        else
            got = left.timesRate(double(b) / 100);
        QCOMPARE(got, result);
    }

    void storedMoney_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<std::optional<Currency>>("money");
        QTest::newRow("empty is 0") << QVariant() << std::optional(Currency());
        QTest::newRow("a double") << QVariant(19.99) << std::optional(Currency::fromScaled(199900));
        QTest::newRow("a whole number") << QVariant(qlonglong(7)) << std::optional(Currency::fromScaled(70000));
        QTest::newRow("a Currency") << QVariant::fromValue(Currency::fromScaled(-5)) << std::optional(Currency::fromScaled(-5));
        QTest::newRow("text that is not a number") << QVariant(QStringLiteral("lots")) << std::optional<Currency>();
        QTest::newRow("beyond the type") << QVariant(1e300) << std::optional<Currency>();
    }
    void storedMoney()
    {
        QFETCH(QVariant, stored);
        QFETCH(std::optional<Currency>, money);
        QCOMPARE(Currency::fromStored(stored), money);
    }

    // Rates are kept in single precision and read back as the decimal that was typed.
    void narrowedRates_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<std::optional<double>>("kept");
        QTest::newRow("0.07") << 0.07 << std::optional(0.07);
        QTest::newRow("0.0825") << 0.0825 << std::optional(0.0825);
        QTest::newRow("a third") << 1.0 / 3 << std::optional(0.3333333);
        QTest::newRow("beyond single precision") << 1e300 << std::optional<double>();
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << std::optional<double>();
    }
    void narrowedRates()
    {
        QFETCH(double, rate);
        QFETCH(std::optional<double>, kept);
        QCOMPARE(narrowRate(rate), kept);
    }

    // Every locale reads back its own short date (day and month never swap), its own amounts
    // and numbers, and never takes a group separator for a decimal point.
    void textsRoundTripInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "nl_NL", "en_ZA", "ar_EG"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void textsRoundTripInEveryLocale()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        for (const QDate date : {QDate(2026, 3, 5), QDate(2026, 12, 1), QDate(1999, 1, 31)}) {
            QCOMPARE(fromShortDateText(shortDateText(date)), date);
            const QDateTime moment(date, QTime(14, 7, 9));
            QCOMPARE(fromGeneralDateText(generalDateText(moment)), moment);
        }
        for (const qint64 scaled : {qint64(240750), qint64(-112350), qint64(5), qint64(123456789)}) {
            const Currency money = Currency::fromScaled(scaled);
            QCOMPARE(Currency::fromText(money.text()), std::optional(money));
        }
        QCOMPARE(numberFromText(numberText(35.982)), std::optional(35.982));
        QCOMPARE(numberFromText(numberText(1e-5)), std::optional(1e-5));
        const QString grouped = QLocale().toString(35982.0, 'f', 0);
        if (grouped != QStringLiteral("35982"))
            QVERIFY2(!Currency::fromText(grouped), qPrintable(grouped));
    }

    void currencyRoundsToCentsHalfAway_data()
    {
        QTest::addColumn<qint64>("scaled");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("24.075") << qint64(240750) << qint64(240800);
        QTest::newRow("11.235") << qint64(112350) << qint64(112400);
        QTest::newRow("11.2349") << qint64(112349) << qint64(112300);
        QTest::newRow("-24.075") << qint64(-240750) << qint64(-240800);
        QTest::newRow("-0.0049") << qint64(-49) << qint64(0);
    }
    void currencyRoundsToCentsHalfAway()
    {
        QFETCH(qint64, scaled);
        QFETCH(qint64, cents);
        QCOMPARE(Currency::fromScaled(scaled).roundedToCents().scaled(), cents);
    }

    void currencyRefusesWhatIsNotAnAmount()
    {
        QVERIFY(!Currency::fromText(QStringLiteral("abc")).has_value());
        QVERIFY(!Currency::fromText(QString()).has_value());
        QVERIFY(!Currency::fromDouble(1e300).has_value());
        QVERIFY(!Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()).has_value());
        QCOMPARE(Currency::fromScaled(std::numeric_limits<std::int64_t>::min()).text(),
                 QStringLiteral("-922337203685477.5808"));
    }

    void dateTexts()
    {
        QCOMPARE(mdyText(QDate(2026, 3, 5)), QStringLiteral("3/5/2026"));
        QCOMPARE(fromMdyText(QStringLiteral("3/5/2026")), QDate(2026, 3, 5));
        QVERIFY(!fromMdyText(QStringLiteral("2/30/2026")).isValid());
        QVERIFY(!fromMdyText(QStringLiteral("junk")).isValid());
        QCOMPARE(shortDateText(QDate(2026, 3, 5)), QStringLiteral("3/5/2026"));
        QCOMPARE(longDateText(QDate(2002, 3, 4)), QStringLiteral("Monday, March 4, 2002"));
        QCOMPARE(generalDateText(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9))), QStringLiteral("3/5/2026 2:07:09 PM"));
        QCOMPARE(generalDateText(QDateTime(QDate(2026, 3, 5), QTime(0, 0))), QStringLiteral("3/5/2026"));
        QCOMPARE(shortTimeText(QTime(14, 0)), QStringLiteral("2:00 PM"));
        // A locale whose short time has seconds (the C locale's HH:mm:ss) shows none.
        const QLocale desk;
        QLocale::setDefault(QLocale::c());
        QCOMPARE(shortTimeText(QTime(9, 5, 30)), QStringLiteral("09:05"));
        QLocale::setDefault(desk);
    }

    // A text date field keeps m/d/yyyy in the book and shows the desk's short date: every
    // locale shows the stored day as that day and stores what it shows unchanged.
    void textDatesRoundTripInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");   // the last visit 12/10/2026 (10 December)
        QTest::newRow("en_US") << "en_US" << "12/10/2026";
        QTest::newRow("en_GB") << "en_GB" << "10/12/2026";
        QTest::newRow("de_DE") << "de_DE" << "10.12.2026";
        for (const char *name : {"fr_FR", "ja_JP", "nl_NL", "en_ZA", "ar_EG"})
            QTest::newRow(name) << QString::fromLatin1(name) << QString();
    }
    void textDatesRoundTripInEveryLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        const QString stored = QStringLiteral("12/10/2026");
        QCOMPARE(textDateShown(stored), shown.isEmpty() ? shortDateText(QDate(2026, 12, 10)) : shown);
        QCOMPARE(textDateToStore(textDateShown(stored)), stored);
        QCOMPARE(textDateShown(QStringLiteral("2026-12-10")), QStringLiteral("2026-12-10"));
        for (const QString &other : {QStringLiteral("next Tuesday"), QString()}) {
            QCOMPARE(textDateShown(other), other);
            QCOMPARE(textDateToStore(other), other);
        }
    }

    void storedTextDates_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QDate>("date");   // invalid: not a stored text date
        QTest::newRow("m/d/yyyy") << "3/5/1990" << QDate(1990, 3, 5);
        QTest::newRow("leading zeros") << "03/05/1990" << QDate(1990, 3, 5);
        QTest::newRow("blanks around") << " 3/5/1990 " << QDate();
        QTest::newRow("December 10th") << "12/10/2026" << QDate(2026, 12, 10);
        QTest::newRow("two-digit year") << "3/5/90" << QDate();
        QTest::newRow("ISO") << "1990-03-05" << QDate();
        QTest::newRow("no such day") << "2/30/2026" << QDate();
        QTest::newRow("month 13") << "13/5/2026" << QDate();
        QTest::newRow("signs") << "+3/5/1990" << QDate();
        QTest::newRow("a time after it") << "3/5/1990 10:00" << QDate();
        QTest::newRow("words") << "junk" << QDate();
    }
    void storedTextDates()
    {
        QFETCH(QString, stored);
        QFETCH(QDate, date);
        QCOMPARE(storedTextDate(stored), date.isValid() ? std::optional(date) : std::nullopt);
    }

    // Typed into a text date box: the desk's short date form is stored as m/d/yyyy, with a
    // two-digit year the latest such year up to this one; other text as it stands.
    void typedTextDates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("en_US") << "en_US" << "12/10/2026" << "12/10/2026";
        QTest::newRow("en_GB is day first") << "en_GB" << "12/10/2026" << "10/12/2026";
        QTest::newRow("en_US birthdate '45") << "en_US" << "3/5/45" << "3/5/1945";
        QTest::newRow("en_GB birthdate '45") << "en_GB" << "3/5/45" << "5/3/1945";
        QTest::newRow("de_DE two-digit year") << "de_DE" << "5.3.45" << "3/5/1945";
        QTest::newRow("this year") << "en_US" << "3/5/26" << "3/5/2026";
        QTest::newRow("next year is last century") << "en_US" << "3/5/27" << "3/5/1927";
        QTest::newRow("year 00") << "en_US" << "3/5/00" << "3/5/2000";
        QTest::newRow("not a date") << "en_US" << "13/45/2026" << "13/45/2026";
        QTest::newRow("words") << "en_GB" << "after Easter" << "after Easter";
    }
    void typedTextDates()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(textDateToStore(typed, QDate(2026, 6, 1)), stored);
    }

    void calendarSteps_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("months");
        QTest::addColumn<int>("years");
        QTest::addColumn<QDate>("to");
        QTest::newRow("31 Jan + 1 month") << QDate(2009, 1, 31) << 1 << 0 << QDate(2009, 2, 28);
        QTest::newRow("31 Jan + 1 month, leap") << QDate(2004, 1, 31) << 1 << 0 << QDate(2004, 2, 29);
        QTest::newRow("29 Feb + 1 year") << QDate(2004, 2, 29) << 0 << 1 << QDate(2005, 2, 28);
        QTest::newRow("31 Mar - 1 month") << QDate(2003, 3, 31) << -1 << 0 << QDate(2003, 2, 28);
        QTest::newRow("15 Dec + 1 month") << QDate(2026, 12, 15) << 1 << 0 << QDate(2027, 1, 15);
    }
    void calendarSteps()
    {
        QFETCH(QDate, from);
        QFETCH(int, months);
        QFETCH(int, years);
        QFETCH(QDate, to);
        QCOMPARE(addYearsClamped(addMonthsClamped(from, months), years), to);
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
