#include "frmreceipt.h"

#include "boundform.h"
#include "database.h"
#include "recordset.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QVBoxLayout>

namespace {

QFrame *rule(QWidget *parent, int n)
{
    auto line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line%1").arg(n));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}

} // namespace

frmReceipt::frmReceipt(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmReceipt"));
    setWindowTitle(QStringLiteral("Velorine - Customer Receipt"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette paper = palette();
    paper.setColor(QPalette::Window, Qt::white);
    paper.setColor(QPalette::WindowText, Qt::black);
    setPalette(paper);

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 24);
    layout->setSpacing(4);
    const char *ownerCaptions[] = {"Company", "Address", "City", "State", "Zip", "Phone"};
    for (int i = 0; i < 6; ++i) {
        QLabel *label = addLabel(QStringLiteral("Label%1").arg(i + 1), QLatin1String(ownerCaptions[i]));
        label->setAlignment(Qt::AlignHCenter);
        if (i == 0) {
            QFont font = label->font();
            font.setPointSizeF(font.pointSizeF() * 1.5);
            font.setBold(true);
            label->setFont(font);
        }
        m_owner << label;
    }
    // City, state and zip share one line, as on an envelope.
    for (int i = 0; i < 6; ++i)
        if (i < 2 || i == 5)
            layout->addWidget(m_owner[i]);
        else if (i == 2) {
            auto place = new QHBoxLayout;
            place->addStretch(1);
            place->addWidget(m_owner[2]);
            place->addWidget(m_owner[3]);
            place->addWidget(m_owner[4]);
            place->addStretch(1);
            layout->addLayout(place);
        }
    layout->addSpacing(8);
    layout->addWidget(rule(this, 1));

    auto name = new QHBoxLayout;
    name->addWidget(addLabel(QStringLiteral("Label7"), QStringLiteral("Customer's Name:")));
    lblFirstname = addLabel(QStringLiteral("lblFirstname"), QStringLiteral("First"));
    lblLastname = addLabel(QStringLiteral("lblLastname"), QStringLiteral("Last"));
    name->addWidget(lblFirstname);
    name->addWidget(lblLastname);
    name->addStretch(1);
    layout->addLayout(name);
    layout->addWidget(rule(this, 2));
    layout->addWidget(addLabel(QStringLiteral("Label8"), QStringLiteral("Purchase Description:")));

    m_lines = new QGridLayout;
    m_lines->setColumnStretch(0, 1);
    m_lines->setColumnMinimumWidth(1, 110);
    layout->addLayout(m_lines);
    layout->addWidget(rule(this, 3));

    auto totals = new QGridLayout;
    totals->setColumnStretch(0, 1);
    auto total = [&](int row, const char *caption, const char *captionName, const char *signName, const char *valueName,
                     const char *placeholder) {
        totals->addWidget(addLabel(QLatin1String(captionName), QLatin1String(caption)), row, 1, Qt::AlignRight);
        totals->addWidget(addLabel(QLatin1String(signName), QStringLiteral("$")), row, 2);
        QLabel *value = addLabel(QLatin1String(valueName), QLatin1String(placeholder));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(100);
        totals->addWidget(value, row, 3);
        return value;
    };
    lblSubTotal = total(0, "Sub-Total:", "Label", "Label9", "lblSubTotal", "SubTotal");
    lblSaleTax = total(1, "Sale Tax:", "Label10", "Label11", "lblSaleTax", "Salestax");
    lblTotal = total(2, "Total:", "Label12", "Label14", "lblTotal", "Total");
    layout->addLayout(totals);
    layout->addWidget(rule(this, 4));
    QLabel *thanks = addLabel(QStringLiteral("Label15"), QStringLiteral("Thank you very much for your business "));
    thanks->setAlignment(Qt::AlignHCenter);
    layout->addWidget(thanks);
    layout->addWidget(rule(this, 5));
    layout->addStretch(1);

    showContent({});
    showOwner();
    resize(460, sizeHint().height());
    bound::centre(this);
}

QLabel *frmReceipt::addLabel(const QString &name, const QString &text)
{
    auto label = new QLabel(text, this);
    label->setObjectName(name);
    return label;
}

void frmReceipt::showOwner()
{
    // The salon's details from the settings row; a book that cannot give them keeps the captions.
    try {
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        if (!misc.hasCurrent())
            return;
        const char *fields[] = {"Company", "Address", "City", "State", "Zip", "Phone"};
        for (int i = 0; i < 6; ++i)
            m_owner[i]->setText(misc.value(QLatin1String(fields[i])).toString());
    } catch (const StoreError &) {
    }
}

void frmReceipt::showContent(const ReceiptContent &content)
{
    lblFirstname->setText(content.firstName);
    lblLastname->setText(content.lastName);
    const std::vector<sale::ReceiptSlot> slotList = sale::receiptSlots(content.lines);
    while (lblService.size() < int(slotList.size())) {
        const int index = int(lblService.size());
        QLabel *service = addLabel(QStringLiteral("lblService"), {});
        QLabel *price = addLabel(QStringLiteral("lblPrice"), {});
        service->setProperty("Index", index);
        price->setProperty("Index", index);
        price->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_lines->addWidget(service, index, 0);
        m_lines->addWidget(price, index, 1);
        lblService << service;
        lblPrice << price;
    }
    for (int i = 0; i < lblService.size(); ++i) {
        const bool used = i < int(slotList.size());
        lblService[i]->setText(used ? slotList[std::size_t(i)].service : QString());
        lblPrice[i]->setText(used ? slotList[std::size_t(i)].price : QString());
        lblService[i]->setVisible(used && slotList[std::size_t(i)].visible);
        lblPrice[i]->setVisible(used && slotList[std::size_t(i)].visible);
    }
    lblSubTotal->setText(content.totals.subTotal);
    lblSaleTax->setText(content.totals.saleTax);
    lblTotal->setText(content.totals.total);
}

bool frmReceipt::printOn(QPrinter &printer)
{
    ensurePolished();
    if (layout())
        layout()->activate();
    // Rendered straight onto a printer a widget becomes one picture of pixels; recorded as
    // drawing commands first, its text stays text on the page.
    QPicture drawing;
    render(&drawing, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::DrawWindowBackground);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Playing a picture scales it from its resolution to the printer's; fit what is left to the page.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double played = double(printer.logicalDpiX()) / drawing.logicalDpiX();
    const double scale = std::min(page.width() / (drawing.boundingRect().width() * played),
                                  page.height() / (drawing.boundingRect().height() * played));
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, drawing);
    return painter.end();
}
