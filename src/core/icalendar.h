#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Appointments as an iCalendar file (RFC 5545) that phone calendars import: UTF-8, CRLF line
// ends, content lines folded at 75 octets, times in UTC, so no time-zone part is needed.

// One appointment as a calendar event. The caller turns the book's wall-clock start into UTC
// with the desk's zone rules for that day; both moments must be valid.
struct CalendarEvent
{
    QString uid;       // as the book stores it; written as UID:<uid>@velorine
    QDateTime changed; // when the appointment last changed (DTSTAMP)
    QDateTime start;   // the start as a moment (DTSTART)
    int minutes = 0;   // its length; the buffer after it is no part of the event (DTEND)
    QString summary;   // customer and services, as plain text
    int sequence = 0;  // raised by every change of the appointment
    QString status;    // the book's text: booked, arrived, done, cancelled or no-show
};

// The whole file: VERSION, PRODID, then one VEVENT per event in the order given.
QByteArray iCalendarBytes(const QList<CalendarEvent> &events);

// The calendar's STATUS for the book's status: CONFIRMED for booked, arrived and done,
// CANCELLED for cancelled and no-show; empty for any other text (the event then has none).
QString iCalendarStatus(const QString &bookStatus);

// Text as a TEXT value: backslash, semicolon and comma escaped, every line break (CRLF, CR or
// LF) as \n; other control characters but the tab are dropped, as the format allows none.
QString iCalendarText(const QString &text);

// One content line (UTF-8, without its line end) with its CRLF, folded so that no line is
// longer than 75 octets: each fold is CRLF and one space, and never falls inside a character.
QByteArray iCalendarLine(const QByteArray &line);
