#include "imagebutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

ImageButton::ImageButton(const QPixmap &raised, const QPixmap &pressed, QWidget *parent)
    : QLabel(parent), m_raised(raised), m_pressed(pressed)
{
    setMouseTracking(true);
    setFixedSize(raised.size());
    showPicture(false);
}

bool ImageButton::within(const QPoint &p) const
{
    return p.x() > 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height();
}

void ImageButton::showPicture(bool pressed)
{
    m_showsPressed = pressed && !m_pressed.isNull();
    setPixmap(m_showsPressed ? m_pressed : m_raised);
}

void ImageButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        showPicture(true);
    event->accept();
}

void ImageButton::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        showPicture(within(event->position().toPoint()));
    else
        emit hovered();
    event->accept();
}

void ImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    showPicture(false);
    repaint();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

namespace toolbarpictures {

namespace {
constexpr int Size = 24;

void drawPage(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    const qreal fold = 4;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void drawContent(QPainter &p, Kind kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case Kind::New:
        drawPage(p, QRectF(6.5, 3.5, 11, 16));
        break;
    case Kind::Open: {
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 60));
        p.drawRect(QRectF(3.5, 7.5, 15, 11));
        QPolygonF lid;
        lid << QPointF(6.5, 10.5) << QPointF(20.5, 10.5) << QPointF(17.5, 18.5) << QPointF(3.5, 18.5);
        p.setBrush(QColor(255, 225, 110));
        p.drawPolygon(lid);
        break;
    }
    case Kind::Save:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(40, 60, 150));
        p.drawRect(QRectF(4.5, 4.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 4.5, 9, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7.5, 13.5, 9, 6));
        break;
    case Kind::Print:
        drawPage(p, QRectF(7.5, 3.5, 9, 8));
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(3.5, 10.5, 17, 7));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 11, 5));
        break;
    case Kind::Cut:
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(8, 3), QPointF(14, 15));
        p.drawLine(QPointF(16, 3), QPointF(10, 15));
        p.drawEllipse(QPointF(8, 18), 3, 3);
        p.drawEllipse(QPointF(16, 18), 3, 3);
        break;
    case Kind::Copy:
        drawPage(p, QRectF(3.5, 3.5, 10, 13));
        drawPage(p, QRectF(10.5, 7.5, 10, 13));
        break;
    case Kind::Paste:
        p.setPen(QPen(QColor(90, 60, 20), 1));
        p.setBrush(QColor(180, 130, 60));
        p.drawRect(QRectF(4.5, 4.5, 12, 16));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(7.5, 2.5, 6, 4));
        drawPage(p, QRectF(10.5, 9.5, 10, 12));
        break;
    case Kind::Find:
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(10, 10), 5.5, 5.5);
        p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
        break;
    }
}
} // namespace

QPixmap picture(Kind kind, bool pressed)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(QColor(212, 208, 200));
    QPainter p(&pixmap);
    // The bevel: light at the top left and dark at the bottom right when raised, the other
    // way round when pressed; a pressed picture's content sits one pixel lower and righter.
    const QColor light(255, 255, 255);
    const QColor dark(128, 128, 128);
    p.setPen(pressed ? dark : light);
    p.drawLine(0, 0, Size - 1, 0);
    p.drawLine(0, 0, 0, Size - 1);
    p.setPen(pressed ? light : dark);
    p.drawLine(0, Size - 1, Size - 1, Size - 1);
    p.drawLine(Size - 1, 0, Size - 1, Size - 1);
    if (pressed)
        p.translate(1, 1);
    drawContent(p, kind);
    return pixmap;
}

} // namespace toolbarpictures
