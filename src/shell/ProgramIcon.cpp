#include "shell/ProgramIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace shell {

QPixmap programEmblem(int size)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64 by 64 grid

    // Tile.
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, brandColor().lighter(125));
    tile.setColorAt(1, brandColor().darker(120));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Certificate sheet with a folded corner.
    QPainterPath sheet;
    sheet.moveTo(14, 9);
    sheet.lineTo(40, 9);
    sheet.lineTo(50, 19);
    sheet.lineTo(50, 55);
    sheet.lineTo(14, 55);
    sheet.closeSubpath();
    p.setBrush(QColor(252, 252, 248));
    p.setPen(QPen(QColor(20, 70, 100), 1.2));
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(40, 9);
    fold.lineTo(40, 19);
    fold.lineTo(50, 19);
    fold.closeSubpath();
    p.setBrush(QColor(205, 222, 232));
    p.drawPath(fold);

    // Lines of text.
    p.setPen(QPen(QColor(120, 150, 170), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 17), QPointF(34, 17));
    p.drawLine(QPointF(19, 24), QPointF(45, 24));
    p.drawLine(QPointF(19, 30), QPointF(45, 30));
    p.drawLine(QPointF(19, 36), QPointF(36, 36));

    // Seal with a medical cross.
    const QPointF c(40, 46);
    p.setPen(QPen(QColor(150, 25, 30), 1.2));
    p.setBrush(QColor(200, 40, 45));
    p.drawEllipse(c, 10.5, 10.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(c.x() - 2.3, c.y() - 6.5, 4.6, 13));
    p.drawRect(QRectF(c.x() - 6.5, c.y() - 2.3, 13, 4.6));
    return pm;
}

QIcon programIcon()
{
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(programEmblem(s));
    return icon;
}

} // namespace shell
