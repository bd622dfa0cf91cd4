#include "frmsplash.h"

#include "apptitle.h"
#include "screencentre.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
// The picture: a drop of polish over a comb, drawn rather than shipped as a file.
QPixmap salonPicture()
{
    QPixmap pixmap(150, 170);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient drop(40, 10, 110, 120);
    drop.setColorAt(0, QColor(0xe0, 0x5a, 0x8a));
    drop.setColorAt(1, QColor(0x8e, 0x1f, 0x4f));
    QPainterPath path;
    path.moveTo(75, 8);
    path.cubicTo(110, 55, 125, 80, 125, 100);
    path.arcTo(25, 50, 100, 100, 0, -180);
    path.cubicTo(25, 80, 40, 55, 75, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(drop);
    p.drawPath(path);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(48, 78, 18, 30));
    p.setBrush(QColor(0x5a, 0x3d, 0x2b));
    p.drawRoundedRect(QRectF(15, 152, 120, 10), 3, 3);
    for (int x = 20; x < 132; x += 7)
        p.drawRect(QRectF(x, 160, 3, 9));
    return pixmap;
}

// Text colour through the palette: a style sheet would cost the start-up a style of its own.
void setTextColour(QWidget *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}
} // namespace

frmSplash::frmSplash(const QString &ownerName, const QString &company)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xfb, 0xf5, 0xf7));
    pal.setColor(QPalette::WindowText, QColor(0x33, 0x22, 0x2a));
    setPalette(pal);

    m_picture = new QLabel;
    m_picture->setPixmap(salonPicture());
    m_picture->setAlignment(Qt::AlignCenter);

    auto *lblProductName = new QLabel(app::title);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont titleFont = lblProductName->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.6);
    titleFont.setBold(true);
    lblProductName->setFont(titleFont);
    setTextColour(lblProductName, QColor(0x8e, 0x1f, 0x4f));

    auto *lblTagline = new QLabel(QStringLiteral("Nail and Hair Salon Front Desk"));
    lblTagline->setObjectName(QStringLiteral("lblTagline"));

    auto *lblVersion = new QLabel(app::versionText());
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto *lblLicenseTo = new QLabel(QStringLiteral("Licensed to:"));
    lblLicenseTo->setObjectName(QStringLiteral("lblLicenseTo"));
    auto *lblName = new QLabel(ownerName);
    lblName->setObjectName(QStringLiteral("lblName"));
    auto *lblCo = new QLabel(company);
    lblCo->setObjectName(QStringLiteral("lblCo"));
    QFont ownerFont = lblName->font();
    ownerFont.setBold(true);
    lblName->setFont(ownerFont);
    lblCo->setFont(ownerFont);

    auto *lblPlatform = new QLabel(QStringLiteral("For Linux desktops"));
    lblPlatform->setObjectName(QStringLiteral("lblPlatform"));
    auto *lblLoading = new QLabel(QStringLiteral("Starting, please wait..."));
    lblLoading->setObjectName(QStringLiteral("lblLoading"));
    setTextColour(lblLoading, QColor(0x7a, 0x6a, 0x70));

    auto *text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(lblProductName);
    text->addWidget(lblTagline);
    text->addWidget(lblVersion);
    text->addSpacing(16);
    text->addWidget(lblLicenseTo);
    text->addWidget(lblName);
    text->addWidget(lblCo);
    text->addStretch();
    text->addWidget(lblPlatform);
    text->addWidget(lblLoading);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(28, 24, 32, 20);
    layout->setHorizontalSpacing(28);
    layout->addWidget(m_picture, 0, 0, Qt::AlignVCenter);
    layout->addLayout(text, 0, 1);
    setFixedSize(560, 320);
    centreOnScreen(this);
}

void frmSplash::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setPen(QPen(QColor(0x8e, 0x1f, 0x4f), 2));
    p.drawRect(rect().adjusted(1, 1, -1, -1));
    p.fillRect(QRect(2, height() - 8, width() - 4, 6), QColor(0xe0, 0x5a, 0x8a));
}
