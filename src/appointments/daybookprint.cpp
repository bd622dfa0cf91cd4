#include "daybookprint.h"

#include "daybooklayout.h"
#include "dates.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace daybook {

bool printTechnicianDay(QPrinter &printer, const QString &salonName, const QString &technician, QDate day,
                        std::vector<salon::Appointment> appointments)
{
    std::stable_sort(appointments.begin(), appointments.end(), [](const salon::Appointment &a, const salon::Appointment &b) {
        return a.startMinute() < b.startMinute();
    });
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double width = page.width();

    QFont body(QStringLiteral("Sans Serif"));
    body.setPointSizeF(10);
    QFont heading = body;
    heading.setPointSizeF(16);
    heading.setBold(true);
    QFont bold = body;
    bold.setBold(true);

    // Columns as shares of the width: time, length, customer, services, status, notes.
    const double share[] = {0.09, 0.09, 0.2, 0.26, 0.11, 0.25};
    const QString titles[] = {QStringLiteral("Time"), QStringLiteral("Length"), QStringLiteral("Customer"),
                              QStringLiteral("Services"), QStringLiteral("Status"), QStringLiteral("Notes")};
    auto drawRow = [&](double y, const QStringList &cells, const QFont &font) {
        painter.setFont(font);
        const QFontMetricsF metrics(font, &printer);
        double x = 0;
        double tallest = metrics.height();
        for (int i = 0; i < 6; ++i) {
            const QRectF cell(x, y, share[i] * width - metrics.averageCharWidth(), 1e6);
            const QRectF used = painter.boundingRect(cell, Qt::TextWordWrap, cells.value(i));
            painter.drawText(cell, Qt::TextWordWrap, cells.value(i));
            tallest = std::max(tallest, used.height());
            x += share[i] * width;
        }
        return tallest;
    };
    auto drawHeading = [&] {
        painter.setFont(heading);
        const QFontMetricsF big(heading, &printer);
        double y = 0;
        if (!salonName.isEmpty()) {
            painter.drawText(QRectF(0, y, width, big.height()), Qt::AlignLeft, salonName);
            y += big.height();
        }
        painter.setFont(bold);
        const QFontMetricsF metrics(bold, &printer);
        painter.drawText(QRectF(0, y, width, metrics.height()), Qt::AlignLeft,
                         technician + QStringLiteral(" \u2014 ") + longDateText(day));
        y += metrics.height() * 1.8;
        y += drawRow(y, QStringList(std::begin(titles), std::end(titles)), bold);
        painter.drawLine(QPointF(0, y + 2), QPointF(width, y + 2));
        return y + metrics.height() * 0.4;
    };

    double y = drawHeading();
    const QFontMetricsF metrics(body, &printer);
    if (appointments.empty()) {
        painter.setFont(body);
        painter.drawText(QRectF(0, y, width, metrics.height()), Qt::AlignLeft, QStringLiteral("No appointments."));
    }
    for (const salon::Appointment &appointment : appointments) {
        QString length = QStringLiteral("%1 min").arg(appointment.minutes);
        if (appointment.buffer > 0)
            length += QStringLiteral(" +%1").arg(appointment.buffer);
        const QStringList cells{appointment.time.toString(QStringLiteral("HH:mm")), length, appointment.customer,
                                servicesText(appointment), statusCaption(appointment.status), appointment.notes};
        // A row that would run off the page starts the next one, under the heading again.
        const double needed = painter.boundingRect(QRectF(0, 0, share[5] * width, 1e6), Qt::TextWordWrap, appointment.notes).height();
        if (y + std::max(needed, metrics.height() * 2) > page.height()) {
            printer.newPage();
            y = drawHeading();
        }
        y += drawRow(y, cells, body) + metrics.height() * 0.35;
    }
    return painter.end();
}

} // namespace daybook
