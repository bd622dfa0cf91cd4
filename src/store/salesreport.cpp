#include "salesreport.h"

#include "connections.h"
#include "csvexport.h"
#include "database.h"
#include "database_p.h"
#include "dialect.h"
#include "serverbook.h"
#include "storeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <map>
#include <sqlite3.h>
#include <tuple>

namespace salon {
namespace {

Currency checked(std::optional<Currency> amount)
{
    if (!amount)
        throw StoreError(StoreError::NumericOverflow, Currency::tooLargeText(QStringLiteral("A sum of this report")));
    return *amount;
}

// A money field as stored (SQLite's REAL at four decimals, a server's exact numeric text).
std::optional<Currency> moneyOf(const QVariant &stored, const char *field)
{
    if (stored.isNull())
        return std::nullopt;
    const auto amount = Currency::fromStored(stored);
    if (!amount)
        throw StoreError(StoreError::ConversionError,
                         QStringLiteral("Data type conversion error: '%1' does not fit the field %2.")
                             .arg(stored.toString(), QLatin1String(field)));
    return amount;
}

void addLine(ReportFigures &figures, qint64 quantity, Currency net, std::optional<Currency> tax)
{
    ++figures.lines;
    figures.quantity += quantity;
    figures.net = checked(figures.net.plus(net));
    if (tax)
        figures.tax = checked(figures.tax.plus(*tax));
    else
        ++figures.untaxedLines;
}

// The shares of one group's net; a totals row adds up its rows' shares instead.
void setShares(ReportFigures &figures)
{
    figures.share50 = checked(figures.net.percent(50));
    figures.share60 = checked(figures.net.percent(60));
}

void addRow(ReportFigures &total, const ReportFigures &row)
{
    total.lines += row.lines;
    total.quantity += row.quantity;
    total.net = checked(total.net.plus(row.net));
    total.tax = checked(total.tax.plus(row.tax));
    total.untaxedLines += row.untaxedLines;
    total.share50 = checked(total.share50.plus(row.share50));
    total.share60 = checked(total.share60.plus(row.share60));
}

// Technicians' names by EmployeeID; the first row wins when an ID is given twice.
QHash<qint64, QString> technicianNames(QSqlDatabase db)
{
    QHash<qint64, QString> names;
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT EmployeeID, FirstName, LastName FROM Employee "
                                                  "WHERE EmployeeID IS NOT NULL ORDER BY rowid"));
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (!names.contains(id))
            names.insert(id, (query.value(1).toString() + u' ' + query.value(2).toString()).trimmed());
    }
    return names;
}

// The journal's lines (as `s`) of the period: ServiceDate is ISO text, perhaps with a time of
// day, so the period runs from its first day up to (not including) the day after its last.
// Adds the values the condition needs to `values`.
QString inPeriod(const ReportPeriod &period, QVariantList &values)
{
    values << period.from.toString(Qt::ISODate) << period.to.addDays(1).toString(Qt::ISODate);
    if (!period.employeeId)
        return QStringLiteral("s.ServiceDate >= ? AND s.ServiceDate < ?");
    values << *period.employeeId;
    return QStringLiteral("s.ServiceDate >= ? AND s.ServiceDate < ? AND s.EmployeeID = ?");
}

// The period's lines; `tail` follows the conditions (a GROUP BY).
QSqlQuery journalLines(QSqlDatabase db, const QString &columns, const ReportPeriod &period, const QString &tail = {})
{
    QVariantList values;
    const QString where = inPeriod(period, values);
    return runQuery(db, QStringLiteral("SELECT %1 FROM [Service Records] s WHERE %2%3").arg(columns, where, tail), values);
}

// A period read a month at a time, so a long report can tell how far it has come and be stopped.
std::vector<ReportPeriod> monthSteps(const ReportPeriod &period)
{
    std::vector<ReportPeriod> steps;
    for (QDate from = period.from; from.isValid() && from <= period.to;) {
        const QDate monthEnd = QDate(from.year(), from.month(), 1).addMonths(1).addDays(-1);
        ReportPeriod step = period;
        step.from = from;
        step.to = std::min(monthEnd, period.to);
        steps.push_back(step);
        from = step.to.addDays(1);
    }
    return steps;
}

void tell(const ReportProgress &progress, int done, int steps)
{
    if (progress && !progress(done, steps))
        throw ReportCancelled{};
}

QString nameOf(const QHash<qint64, QString> &names, const QVariant &employeeId)
{
    return employeeId.isNull() ? QString() : names.value(employeeId.toLongLong());
}

} // namespace

std::optional<Currency> ReportFigures::gross() const
{
    if (untaxedLines > 0)
        return std::nullopt;
    return net.plus(tax);
}

namespace {

// (has an EmployeeID, the ID, the service): lines without a technician come first.
using GroupKey = std::tuple<bool, qint64, QString>;
using Groups = std::map<GroupKey, ReportGroup>;

ReportGroup &groupOf(Groups &groups, ReportGrouping grouping, const QVariant &employeeId, const QVariant &service)
{
    const QVariant id = grouping != ReportGrouping::Service && !employeeId.isNull() ? QVariant(employeeId.toLongLong())
                                                                                    : QVariant();
    const QString name = grouping != ReportGrouping::Technician ? service.toString() : QString();
    ReportGroup &group = groups[GroupKey{!id.isNull(), id.toLongLong(), name}];
    group.employeeId = id;
    group.service = name;
    return group;
}

// A step's lines read and added up one by one, as the book hands each value out.
void addLinesOneByOne(QSqlDatabase db, ReportGrouping grouping, const ReportPeriod &step, Groups &groups)
{
    QSqlQuery query = journalLines(
        db, QStringLiteral("s.EmployeeID, s.NameOfService, s.Quantity, s.Cost, s.SalesTax"), step);
    while (query.next())
        addLine(groupOf(groups, grouping, query.value(0), query.value(1)).figures, query.value(2).toLongLong(),
                moneyOf(query.value(3), "Cost").value_or(Currency()), moneyOf(query.value(4), "SalesTax"));
    if (query.lastError().isValid())
        throw StoreError::fromSql(query.lastError(), db);
}

// money_sum(x) on the local file: the exact sum, in ten-thousandths, of a money column's values
// each read as the lines read one by one read it (a double rounded by Currency). A value that
// is not an amount, or a sum beyond the range, is an error, and the step is read line by line.
void moneySumStep(sqlite3_context *context, int, sqlite3_value **values)
{
    auto *sum = static_cast<std::int64_t *>(sqlite3_aggregate_context(context, sizeof(std::int64_t)));
    if (!sum) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const int type = sqlite3_value_type(values[0]);
    if (type == SQLITE_NULL)
        return;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        const auto amount = Currency::fromDouble(sqlite3_value_double(values[0]));
        const auto total = amount ? Currency::fromScaled(*sum).plus(*amount) : std::nullopt;
        if (total) {
            *sum = total->scaled();
            return;
        }
    }
    sqlite3_result_error(context, "money_sum: not an amount, or beyond the range", -1);
}

void moneySumFinal(sqlite3_context *context)
{
    const auto *sum = static_cast<std::int64_t *>(sqlite3_aggregate_context(context, 0));
    sqlite3_result_int64(context, sum ? *sum : 0);
}

// Makes money_sum known to a local connection; false when it cannot be (the steps are read line
// by line then). Once made, making it again is refused only while a statement runs: it is there.
bool canSumMoney(QSqlDatabase db)
{
    sqlite3 *connection = internal::sqliteHandleOf(db);
    if (!connection)
        return false;
    const int code = sqlite3_create_function_v2(connection, "money_sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                                nullptr, moneySumStep, moneySumFinal, nullptr);
    return code == SQLITE_OK || code == SQLITE_BUSY;
}

// The step's groups as the database sums them, or nothing when it cannot sum them exactly as
// the lines read one by one would be (the step is read that way then, which also says what is
// wrong). The local file sums money with money_sum, and a quantity that is not a whole number
// makes its sum a double; a server sums its exact numerics, and a line that Currency cannot
// hold is read line by line there too.
std::optional<std::vector<ReportGroup>> summedByDatabase(QSqlDatabase db, ReportGrouping grouping,
                                                        const ReportPeriod &step)
{
    const bool server = isServer(db);
    const bool byTechnician = grouping != ReportGrouping::Service;
    const bool byService = grouping != ReportGrouping::Technician;
    const QString columns =
        QStringLiteral("%1, %2, count(*), sum(s.Quantity), count(s.SalesTax), %3")
            .arg(byTechnician ? QStringLiteral("s.EmployeeID") : QStringLiteral("NULL"),
                 byService ? QStringLiteral("s.NameOfService") : QStringLiteral("NULL"),
                 server ? QStringLiteral("sum(s.Cost), sum(s.SalesTax), "
                                         "max(CASE WHEN abs(s.Cost) > 922337203685477.5799 "
                                         "OR abs(s.SalesTax) > 922337203685477.5799 THEN 1 ELSE 0 END)")
                        : QStringLiteral("money_sum(s.Cost), money_sum(s.SalesTax), 0"));
    QStringList keys;
    if (byTechnician)
        keys << QStringLiteral("s.EmployeeID");
    if (byService)
        keys << QStringLiteral("s.NameOfService");
    const QString groupBy = QStringLiteral(" GROUP BY ") + keys.join(QStringLiteral(", "));

    // On the local file money_sum's refusal comes as the query runs or hands out that group.
    std::vector<ReportGroup> sums;
    try {
        QSqlQuery query = journalLines(db, columns, step, groupBy);
        while (query.next()) {
            if (query.value(7).toInt() != 0 || query.value(3).typeId() == QMetaType::Double)
                return std::nullopt;
            ReportGroup sum;
            sum.employeeId = query.value(0);
            sum.service = query.value(1).toString();
            sum.figures.lines = query.value(2).toLongLong();
            sum.figures.quantity = query.value(3).toLongLong();
            sum.figures.untaxedLines = sum.figures.lines - query.value(4).toLongLong();
            sum.figures.net = server ? checked(Currency::fromStored(query.value(5)))
                                     : Currency::fromScaled(query.value(5).toLongLong());
            sum.figures.tax = server ? checked(Currency::fromStored(query.value(6)))
                                     : Currency::fromScaled(query.value(6).toLongLong());
            sums.push_back(std::move(sum));
        }
        if (query.lastError().isValid())
            throw StoreError::fromSql(query.lastError(), db);
    } catch (const StoreError &) {
        if (server)
            throw;
        return std::nullopt;
    }
    return sums;
}

} // namespace

GroupReport groupReport(QSqlDatabase db, ReportGrouping grouping, const ReportPeriod &period,
                        const ReportProgress &progress)
{
    Groups groups;
    const bool canSum = isServer(db) || canSumMoney(db);
    const std::vector<ReportPeriod> steps = monthSteps(period);
    for (int done = 0; done < int(steps.size()); ++done) {
        tell(progress, done, int(steps.size()));
        const auto sums = canSum ? summedByDatabase(db, grouping, steps[done]) : std::nullopt;
        if (!sums) {
            addLinesOneByOne(db, grouping, steps[done], groups);
            continue;
        }
        for (const ReportGroup &sum : *sums)
            addRow(groupOf(groups, grouping, sum.employeeId, sum.service).figures, sum.figures);
    }
    tell(progress, int(steps.size()), int(steps.size()));

    GroupReport report;
    const bool byTechnician = grouping != ReportGrouping::Service;
    const QHash<qint64, QString> names = byTechnician ? technicianNames(db) : QHash<qint64, QString>();
    for (auto &[key, group] : groups) {
        group.technician = nameOf(names, group.employeeId);
        setShares(group.figures);
        addRow(report.total, group.figures);
        report.groups.push_back(std::move(group));
    }
    return report;
}

namespace {

// Each line with its customer's name: the first Customers row (in row order) with its
// CustomerID, looked up once for all the customers of the period rather than line by line.
void readDaySheetLines(QSqlDatabase db, const ReportPeriod &period, const QHash<qint64, QString> &names, DaySheet &sheet)
{
    QVariantList values;
    const QString customersWhere = inPeriod(period, values);
    const QString linesWhere = inPeriod(period, values);
    QSqlQuery query = runQuery(
        db,
        QStringLiteral("SELECT s.ServiceID, s.ServiceDate, s.EmployeeID, s.Count, s.CustomerID, "
                       "ifnull(c.FirstName, '') || ' ' || ifnull(c.LastName, ''), "
                       "s.NameOfService, s.Quantity, s.Cost, s.SalesTax FROM [Service Records] s "
                       "LEFT JOIN (SELECT CustomerID, min(rowid) AS firstRow FROM Customers WHERE CustomerID IN "
                       "(SELECT s.CustomerID FROM [Service Records] s WHERE %1) GROUP BY CustomerID) f "
                       "ON f.CustomerID = s.CustomerID "
                       "LEFT JOIN Customers c ON c.rowid = f.firstRow WHERE %2")
            .arg(customersWhere, linesWhere),
        values);
    while (query.next()) {
        DaySheetLine line;
        line.serviceId = query.value(0).toLongLong();
        line.date = QDate::fromString(query.value(1).toString().left(10), Qt::ISODate);
        if (!query.value(2).isNull())
            line.employeeId = query.value(2).toLongLong();
        line.technician = nameOf(names, line.employeeId);
        line.count = query.value(3).toLongLong();
        line.customerId = query.value(4);
        line.customer = query.value(5).toString().trimmed();
        line.service = query.value(6).toString();
        line.quantity = query.value(7).toLongLong();
        line.net = moneyOf(query.value(8), "Cost").value_or(Currency());
        line.tax = moneyOf(query.value(9), "SalesTax");
        addLine(sheet.total, line.quantity, line.net, line.tax);
        sheet.lines.push_back(std::move(line));
    }
    if (query.lastError().isValid())
        throw StoreError::fromSql(query.lastError(), db);
}

} // namespace

DaySheet daySheet(QSqlDatabase db, const ReportPeriod &period, const ReportProgress &progress)
{
    DaySheet sheet;
    const QHash<qint64, QString> names = technicianNames(db);
    const std::vector<ReportPeriod> steps = monthSteps(period);
    for (int done = 0; done < int(steps.size()); ++done) {
        tell(progress, done, int(steps.size()));
        readDaySheetLines(db, steps[done], names, sheet);
    }
    tell(progress, int(steps.size()), int(steps.size()));
    std::sort(sheet.lines.begin(), sheet.lines.end(), [](const DaySheetLine &a, const DaySheetLine &b) {
        return std::tie(a.date, a.count, a.serviceId) < std::tie(b.date, b.count, b.serviceId);
    });
    setShares(sheet.total);
    return sheet;
}

namespace {

QStringList figureCells(const ReportFigures &f)
{
    const auto gross = f.gross();
    return {QString::number(f.lines), QString::number(f.quantity), f.net.fixedText(), f.tax.fixedText(),
            gross ? gross->fixedText() : QString(), QString::number(f.untaxedLines), f.share50.fixedText(),
            f.share60.fixedText()};
}

const QStringList figureHeaders{QStringLiteral("Lines"), QStringLiteral("Quantity"), QStringLiteral("Net"),
                                QStringLiteral("Tax"), QStringLiteral("Gross"), QStringLiteral("Untaxed lines"),
                                QStringLiteral("50% share"), QStringLiteral("60% share")};

} // namespace

ReportTable reportTable(QSqlDatabase db, ReportKind kind, const ReportPeriod &period, const ReportProgress &progress)
{
    ReportTable table;
    if (kind == ReportKind::Day) {
        table.headers = QStringList{QStringLiteral("ServiceDate"), QStringLiteral("EmployeeID"), QStringLiteral("Count"),
                                    QStringLiteral("Customer"), QStringLiteral("Service"), QStringLiteral("Quantity"),
                                    QStringLiteral("Net"), QStringLiteral("Tax")};
        const DaySheet sheet = daySheet(db, period, progress);
        for (const DaySheetLine &line : sheet.lines)
            table.rows.push_back({line.date.toString(Qt::ISODate), line.employeeId.toString(), QString::number(line.count),
                                  spreadsheetText(line.customer), spreadsheetText(line.service), QString::number(line.quantity),
                                  line.net.fixedText(), line.tax ? line.tax->fixedText() : QString()});
        table.rows.push_back({QStringLiteral("Total"), QString(), QString(), QString(), QString(),
                              QString::number(sheet.total.quantity), sheet.total.net.fixedText(),
                              sheet.total.tax.fixedText()});
        return table;
    }
    const ReportGrouping grouping = kind == ReportKind::Technician ? ReportGrouping::Technician
                                  : kind == ReportKind::Service    ? ReportGrouping::Service
                                                                   : ReportGrouping::TechnicianService;
    const bool byTechnician = grouping != ReportGrouping::Service;
    const bool byService = grouping != ReportGrouping::Technician;
    if (byTechnician)
        table.headers << QStringLiteral("EmployeeID") << QStringLiteral("Technician");
    if (byService)
        table.headers << QStringLiteral("Service");
    table.headers << figureHeaders;
    const GroupReport report = groupReport(db, grouping, period, progress);
    const int keyCells = int(byTechnician) * 2 + int(byService);
    for (const ReportGroup &group : report.groups) {
        QStringList row;
        if (byTechnician)
            row << group.employeeId.toString() << spreadsheetText(group.technician);
        if (byService)
            row << spreadsheetText(group.service);
        table.rows.push_back(row + figureCells(group.figures));
    }
    QStringList total{QStringLiteral("Total")};
    while (total.size() < keyCells)
        total << QString();
    table.rows.push_back(total + figureCells(report.total));
    return table;
}

ReportTable readReport(ReportKind kind, const ReportPeriod &period, const ReportProgress &progress)
{
    const BookChoice choice = bookChoice();
    if (choice.onServer()) {
        internal::ServerConnection server(choice.service, true);
        return reportTable(server.db(), kind, period, progress);
    }
    const QString path = employeeDbPath();
    if (!QFileInfo(path).isFile())
        throw StoreError(StoreError::CannotOpen, QStringLiteral("Could not find file '%1'.").arg(path));
    internal::ReadOnlyConnection book(path, QStringLiteral("report"));
    if (!book.db().isOpen())
        throw StoreError::fromSql(book.db().lastError(), book.db());
    return reportTable(book.db(), kind, period, progress);
}

QString reportText(const ReportTable &table)
{
    std::vector<qsizetype> widths(table.headers.size(), 0);
    const auto measure = [&widths](const QStringList &cells) {
        for (qsizetype i = 0; i < cells.size() && i < qsizetype(widths.size()); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    };
    measure(table.headers);
    for (const QStringList &row : table.rows)
        measure(row);
    // Figures and numbers to the right, names and dates to the left.
    const QStringList leftColumns{QStringLiteral("Technician"), QStringLiteral("Service"), QStringLiteral("Customer"),
                                  QStringLiteral("ServiceDate")};
    const auto line = [&](const QStringList &cells) {
        QStringList padded;
        for (qsizetype i = 0; i < cells.size(); ++i)
            padded << (leftColumns.contains(table.headers.value(i)) || i == 0 ? cells[i].leftJustified(widths[i])
                                                                              : cells[i].rightJustified(widths[i]));
        return padded.join(QStringLiteral("  ")).trimmed() + u'\n';
    };
    QString text = line(table.headers);
    for (const QStringList &row : table.rows)
        text += line(row);
    return text;
}

std::optional<QString> writeReportCsv(const ReportTable &table, const QString &path)
{
    QFile file(path);
    // NewOnly: a file that exists is never written over, even one made meanwhile.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(path))
            return QStringLiteral("The file %1 already exists; nothing was written.").arg(path);
        return QStringLiteral("The file %1 cannot be written: %2.").arg(path, file.errorString());
    }
    QByteArray bytes;
    const auto record = [&bytes](const QStringList &cells) {
        QStringList fields;
        for (const QString &cell : cells)
            fields << csvField(cell);
        bytes += fields.join(u',').toUtf8() + "\r\n";
    };
    record(table.headers);
    for (const QStringList &row : table.rows)
        record(row);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        file.remove();
        return QStringLiteral("The file %1 cannot be written: %2.").arg(path, reason);
    }
    file.close();
    return std::nullopt;
}

} // namespace salon
