#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Month/day/year without leading zeros: 3/5/2026.
QString mdyText(QDate date);
// Reads month/day/year text back; an invalid date when the text is not of that form.
QDate fromMdyText(const QString &text);
// Reads a date written YYYY-MM-DD (as the command line takes it); an invalid date otherwise.
QDate fromIsoDateText(const QString &text);
// The locale's short and long date texts (the short form always with a four-digit year).
QString shortDateFormat();
QString shortDateText(QDate date);
QString longDateText(QDate date);
// Reads back what shortDateText() shows, in the same locale (so 05/03/2026 is 5 March on a
// British desk and May 3rd on an American one); also the locale's two-digit-year and long
// forms and the ISO form. A two-digit year is the latest year up to `today`'s that ends so
// (45 is 1945, 26 is 2026 in 2026). An invalid date for anything else.
QDate fromShortDateText(const QString &text, QDate today = QDate::currentDate());

// Text fields that hold a date (a customer's last visit, an employee's birthdate, hire and
// leaving dates) keep it as m/d/yyyy, whatever the desk's locale.
// The date such stored text holds when it is strictly m/d/yyyy (month and day of one or two
// digits, a four-digit year, a real date, nothing around it); nullopt for any other text.
std::optional<QDate> storedTextDate(const QString &text);
// What a box shows for such a field: the desk's short date, or other text as it stands.
QString textDateShown(const QString &stored);
// What such a field stores for a box's text: m/d/yyyy when the text reads as a date the way
// textDateShown() writes it, else the text as it stands.
QString textDateToStore(const QString &typed, QDate today = QDate::currentDate());
// The general date-and-time text: the short date, then the time with seconds when the
// moment is not midnight ("3/5/2026 2:07:09 PM" in US English).
QString generalDateText(const QDateTime &moment);
// A time of day in the locale's short form, without seconds ("2:00 PM" in US English).
QString shortTimeText(QTime time);
// Reads back a general date text (a date alone, or a date and a time); invalid otherwise.
QDateTime fromGeneralDateText(const QString &text);
// Calendar steps that keep the day where the target month has it, else its last day.
QDate addMonthsClamped(QDate date, int months);
QDate addYearsClamped(QDate date, int years);
