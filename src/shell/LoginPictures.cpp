#include "shell/LoginPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap LoginPanelPicture()
{
    QPixmap pixmap = blank(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A person: head and shoulders.
    p.setPen(QPen(QColor(20, 60, 130), 1));
    p.setBrush(QColor(70, 130, 200));
    p.drawEllipse(QRectF(6, 3, 12, 12));
    QPainterPath shoulders;
    shoulders.moveTo(1, 29);
    shoulders.cubicTo(1, 17, 23, 17, 23, 29);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    // A key before it.
    p.setPen(QPen(QColor(120, 80, 0), 1.2));
    p.setBrush(QColor(235, 185, 40));
    p.drawEllipse(QRectF(18, 14, 10, 10));
    p.drawRect(QRectF(22, 23, 3, 8));
    p.drawRect(QRectF(25, 27, 3, 2));
    p.setBrush(QColor(120, 80, 0));
    p.drawEllipse(QRectF(21.5, 17.5, 3, 3));
    return pixmap;
}

QIcon OkButtonGlyph()
{
    QPixmap pixmap = blank(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 140, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
    return QIcon(pixmap);
}

QIcon ExitButtonGlyph()
{
    QPixmap pixmap = blank(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // The door frame and an arrow leaving through it.
    p.setPen(QPen(QColor(90, 60, 30), 1.4));
    p.setBrush(QColor(200, 160, 110));
    p.drawRect(QRectF(1.5, 1.5, 7, 13));
    p.setPen(QPen(QColor(200, 20, 20), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(6, 8), QPointF(14, 8));
    p.drawPolyline(QPolygonF({QPointF(11, 5), QPointF(14, 8), QPointF(11, 11)}));
    return QIcon(pixmap);
}
