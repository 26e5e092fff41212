#include "ui/anim/anim_glyphs.h"

#include "ui/shell/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orv::ui {

namespace {

// Shapes on a 16 x 16 grid, scaled to the glyph's size.
void Triangle(QPainter& p, bool right, qreal x) {
    QPainterPath path;
    if (right) {
        path.moveTo(x, 3);
        path.lineTo(x + 6, 8);
        path.lineTo(x, 13);
    } else {
        path.moveTo(x + 6, 3);
        path.lineTo(x, 8);
        path.lineTo(x + 6, 13);
    }
    path.closeSubpath();
    p.fillPath(path, p.brush());
}

void Arrow(QPainter& p, bool up) {
    QPainterPath path;
    const qreal tip = up ? 2 : 14, base = up ? 8 : 8;
    path.moveTo(8, tip);
    path.lineTo(13, base);
    path.lineTo(3, base);
    path.closeSubpath();
    p.fillPath(path, p.brush());
    p.fillRect(up ? QRectF(6, 8, 4, 6) : QRectF(6, 2, 4, 6), p.brush());
}

void Frame(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(x, y, w, h));
    p.fillRect(QRectF(x + 2, y + h - 4, w - 4, 2), QColor(0, 128, 0));
    p.fillRect(QRectF(x + w - 5, y + 2, 3, 3), QColor(255, 200, 0));
}

void Draw(QPainter& p, TAnimGlyph glyph) {
    const QColor ink(0, 0, 128);
    p.setPen(QPen(ink, 1.2));
    p.setBrush(ink);
    switch (glyph) {
    case TAnimGlyph::Stop:
        p.fillRect(QRectF(4, 4, 8, 8), ink);
        break;
    case TAnimGlyph::Play:
        Triangle(p, true, 5);
        break;
    case TAnimGlyph::First:
        p.fillRect(QRectF(3, 3, 2, 10), ink);
        Triangle(p, false, 6);
        break;
    case TAnimGlyph::Previous:
        Triangle(p, false, 5);
        break;
    case TAnimGlyph::Next:
        Triangle(p, true, 5);
        p.fillRect(QRectF(12, 3, 1, 10), ink);
        break;
    case TAnimGlyph::Last:
        Triangle(p, true, 4);
        p.fillRect(QRectF(11, 3, 2, 10), ink);
        break;
    case TAnimGlyph::Close:
    case TAnimGlyph::Erase:
        p.setPen(QPen(QColor(192, 0, 0), 2.2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TAnimGlyph::New:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawPolygon(
            QPolygonF({QPointF(3, 1), QPointF(10, 1), QPointF(13, 4), QPointF(13, 15), QPointF(3, 15)}));
        break;
    case TAnimGlyph::Batch:
        p.setPen(QPen(Qt::black, 1));
        Frame(p, 1, 1, 9, 8);
        Frame(p, 4, 4, 9, 8);
        Frame(p, 7, 7, 8, 8);
        break;
    case TAnimGlyph::AddImage:
        p.setPen(QPen(Qt::black, 1));
        Frame(p, 1, 3, 11, 10);
        p.fillRect(QRectF(12, 1, 2, 6), QColor(0, 128, 0));
        p.fillRect(QRectF(10, 3, 6, 2), QColor(0, 128, 0));
        break;
    case TAnimGlyph::Up:
        Arrow(p, true);
        break;
    case TAnimGlyph::Down:
        Arrow(p, false);
        break;
    case TAnimGlyph::Equal:
        p.fillRect(QRectF(3, 5, 10, 2), ink);
        p.fillRect(QRectF(3, 10, 10, 2), ink);
        break;
    case TAnimGlyph::Auto:
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9));
        break;
    case TAnimGlyph::Preview:
        p.setPen(QPen(Qt::black, 1));
        Frame(p, 1, 2, 14, 12);
        p.setBrush(ink);
        Triangle(p, true, 6);
        break;
    case TAnimGlyph::Save:
        p.fillRect(QRectF(2, 2, 12, 12), ink);
        p.fillRect(QRectF(4, 2, 8, 5), Qt::white);
        p.fillRect(QRectF(5, 10, 6, 4), QColor(192, 192, 192));
        break;
    case TAnimGlyph::Quit:
        p.setBrush(QColor(160, 100, 40));
        p.drawRect(QRectF(3, 1, 8, 14));
        p.fillRect(QRectF(9, 7, 1.5, 2), Qt::yellow);
        break;
    }
}

} // namespace

QIcon AnimGlyph(TAnimGlyph glyph, int size) {
    return TwoStateIcon(PaintPicture(size, [glyph](QPainter& p) { Draw(p, glyph); }));
}

} // namespace orv::ui
