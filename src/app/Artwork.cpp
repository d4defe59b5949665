#include "app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace artwork {

namespace {

// A headstone on dark ground: rounded top, a cross cut into it.
void paintHeadstone(QPainter &p, const QRectF &box)
{
    QPainterPath stone;
    const qreal w = box.width(), h = box.height();
    stone.moveTo(box.left(), box.bottom());
    stone.lineTo(box.left(), box.top() + w / 2);
    stone.arcTo(QRectF(box.left(), box.top(), w, w), 180, -180);
    stone.lineTo(box.right(), box.bottom());
    stone.closeSubpath();
    QLinearGradient shade(box.topLeft(), box.topRight());
    shade.setColorAt(0, QColor(170, 170, 165));
    shade.setColorAt(1, QColor(95, 95, 100));
    p.setPen(QPen(QColor(40, 40, 40), qMax<qreal>(1, w / 24)));
    p.setBrush(shade);
    p.drawPath(stone);

    p.setPen(QPen(QColor(150, 20, 20), qMax<qreal>(1.5, w / 9), Qt::SolidLine, Qt::FlatCap));
    const qreal cx = box.center().x();
    p.drawLine(QPointF(cx, box.top() + h * 0.18), QPointF(cx, box.top() + h * 0.62));
    p.drawLine(QPointF(cx - w * 0.22, box.top() + h * 0.32),
               QPointF(cx + w * 0.22, box.top() + h * 0.32));
}

} // namespace

QPixmap iconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 30, 20));
    p.drawEllipse(QRectF(size * 0.05, size * 0.72, size * 0.9, size * 0.26));
    paintHeadstone(p, QRectF(size * 0.22, size * 0.06, size * 0.56, size * 0.8));
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(iconPixmap(size));
    return icon;
}

QPixmap headerPicture()
{
    QPixmap pixmap(75, 45);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 45);
    sky.setColorAt(0, QColor(90, 0, 0));
    sky.setColorAt(1, QColor(230, 90, 20));
    p.fillRect(pixmap.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(35, 25, 20));
    p.drawRect(QRectF(0, 36, 75, 9));
    paintHeadstone(p, QRectF(8, 12, 16, 26));
    paintHeadstone(p, QRectF(30, 6, 20, 32));
    paintHeadstone(p, QRectF(56, 16, 13, 22));
    return pixmap;
}

} // namespace artwork
