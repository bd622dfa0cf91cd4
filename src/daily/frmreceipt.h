#pragma once
#include "saleline.h"

#include <QList>
#include <QWidget>
#include <vector>

class QGridLayout;
class QLabel;
class QPrinter;

// What the receipt shows: the customer, every line sold on the ticket and its totals.
struct ReceiptContent
{
    QString firstName = QStringLiteral("First");
    QString lastName = QStringLiteral("Last");
    std::vector<sale::ReceiptLine> lines;
    sale::ReceiptTotals totals{QStringLiteral("SubTotal"), QStringLiteral("Salestax"), QStringLiteral("Total")};
};

// The customer receipt: the salon's name and address from Misc, the customer's name, the
// lines sold (three slots, more when more were sold) and the sub-total, sales tax and total.
// Modeless; the daily ticket fills it and prints it.
class frmReceipt : public QWidget
{
    Q_OBJECT
public:
    explicit frmReceipt(QWidget *parent = nullptr);

    void showContent(const ReceiptContent &content);
    // Draws the receipt as it looks on screen onto the printer's page, scaled to fit; text
    // stays text. False when the printer does not start.
    bool printOn(QPrinter &printer);

private:
    void showOwner();
    QLabel *addLabel(const QString &name, const QString &text);

    QList<QLabel *> lblService;
    QList<QLabel *> lblPrice;
    QGridLayout *m_lines;
    QLabel *lblFirstname;
    QLabel *lblLastname;
    QLabel *lblSubTotal;
    QLabel *lblSaleTax;
    QLabel *lblTotal;
    QList<QLabel *> m_owner;   // Label1 to Label6
};
