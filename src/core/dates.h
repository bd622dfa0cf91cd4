#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

// Month/day/year without leading zeros: 3/5/2026.
QString mdyText(QDate date);
// Reads month/day/year text back; an invalid date when the text is not of that form.
QDate fromMdyText(const QString &text);
// The locale's short and long date texts (the short form always with a four-digit year).
QString shortDateFormat();
QString shortDateText(QDate date);
QString longDateText(QDate date);
// The general date-and-time text: the short date, then the time with seconds when the
// moment is not midnight ("3/5/2026 2:07:09 PM" in US English).
QString generalDateText(const QDateTime &moment);
// Calendar steps that keep the day where the target month has it, else its last day.
QDate addMonthsClamped(QDate date, int months);
QDate addYearsClamped(QDate date, int years);
