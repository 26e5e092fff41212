#include "ui/shell/tool_icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace orv::ui {

namespace {

// Pictures are designed on a 16 x 16 grid and scaled.
void Floppy(QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 60), 1));
    p.setBrush(QColor(40, 60, 160));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(QColor(170, 170, 180));
    p.drawRect(QRectF(4.5, 10, 7, 4.5));
    p.fillRect(QRectF(9, 11, 1.5, 2.5), QColor(40, 60, 160));
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(110, 80, 0), 1));
    p.setBrush(QColor(230, 190, 60));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 220, 110));
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.drawPath(front);
}

void Printer(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(160, 160, 165));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(12, 8, 1.5, 1.5), QColor(0, 170, 0));
}

void Door(QPainter& p) {
    p.setPen(QPen(QColor(60, 30, 0), 1));
    p.setBrush(QColor(150, 90, 40));
    p.drawRect(QRectF(2.5, 1.5, 7, 13));
    p.setBrush(QColor(200, 60, 40));
    QPainterPath arrow;
    arrow.moveTo(8, 6.5);
    arrow.lineTo(11.5, 6.5);
    arrow.lineTo(11.5, 4);
    arrow.lineTo(15.5, 8);
    arrow.lineTo(11.5, 12);
    arrow.lineTo(11.5, 9.5);
    arrow.lineTo(8, 9.5);
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.fillRect(QRectF(4, 7.5, 1.5, 1.5), QColor(240, 210, 80));
}

void PalettePicture(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(225, 190, 140));
    p.drawEllipse(QRectF(1, 2, 14, 12));
    p.setPen(Qt::NoPen);
    const QColor dabs[] = {QColor(220, 0, 0), QColor(0, 160, 0), QColor(0, 60, 230), QColor(250, 210, 0)};
    const QPointF at[] = {{5, 5.5}, {9, 4.5}, {12, 7.5}, {5, 10}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dabs[i]);
        p.drawEllipse(at[i], 1.7, 1.7);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(10, 11), 1.5, 1.5);
}

void ThresholdsPicture(QPainter& p) {
    QLinearGradient ramp(1, 0, 15, 0);
    ramp.setColorAt(0, Qt::black);
    ramp.setColorAt(1, Qt::white);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(ramp);
    p.drawRect(QRectF(1.5, 4.5, 13, 5));
    p.setBrush(QColor(210, 30, 30));
    QPolygonF low({QPointF(4, 10), QPointF(2, 14), QPointF(6, 14)});
    QPolygonF high({QPointF(12, 10), QPointF(10, 14), QPointF(14, 14)});
    p.drawPolygon(low);
    p.drawPolygon(high);
    p.setPen(QPen(QColor(210, 30, 30), 1));
    p.drawLine(QPointF(4, 2), QPointF(4, 10));
    p.drawLine(QPointF(12, 2), QPointF(12, 10));
}

void Bars(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
    p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
    const double heights[] = {4, 9, 12, 7, 3};
    const QColor colors[] = {QColor(0, 90, 200), QColor(0, 140, 60), QColor(210, 40, 40), QColor(0, 140, 60),
                             QColor(0, 90, 200)};
    for (int i = 0; i < 5; ++i)
        p.fillRect(QRectF(3 + 2.4 * i, 14 - heights[i], 2, heights[i]), colors[i]);
}

void Film(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(1, 2, 14, 12));
    p.setBrush(Qt::white);
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(2 + 3.4 * i, 2.8, 1.8, 1.4));
        p.drawRect(QRectF(2 + 3.4 * i, 11.8, 1.8, 1.4));
    }
    p.setBrush(QColor(90, 150, 230));
    p.drawRect(QRectF(2, 5, 5.5, 6));
    p.drawRect(QRectF(8.5, 5, 5.5, 6));
    p.setBrush(QColor(250, 230, 120));
    p.drawEllipse(QPointF(3.8, 7.5), 1.2, 1.2);
    p.drawEllipse(QPointF(11.8, 8.5), 1.2, 1.2);
}

void InvertPicture(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(1.5, 1.5, 6.5, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 1.5, 6.5, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(4.7, 8), 1.8, 1.8);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(11.3, 8), 1.8, 1.8);
}

void Star(QPainter& p, QPointF c, double r) {
    QPainterPath s;
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265358979 / 4;
        const double radius = (i % 2 == 0) ? r : r * 0.35;
        const QPointF pt(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a));
        if (i == 0)
            s.moveTo(pt);
        else
            s.lineTo(pt);
    }
    s.closeSubpath();
    p.drawPath(s);
}

void DeepSkyPicture(QPainter& p) {
    p.fillRect(QRectF(1, 1, 14, 14), QColor(10, 10, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 200));
    Star(p, {5, 5}, 3.5);
    Star(p, {11, 10}, 2.5);
    p.drawEllipse(QPointF(11.5, 3.5), 0.8, 0.8);
    p.drawEllipse(QPointF(3.5, 12), 0.8, 0.8);
}

void PlanetPicture(QPainter& p) {
    p.fillRect(QRectF(1, 1, 14, 14), QColor(10, 10, 50));
    p.setPen(Qt::NoPen);
    QRadialGradient body(QPointF(7, 7), 5);
    body.setColorAt(0, QColor(250, 220, 150));
    body.setColorAt(1, QColor(190, 130, 60));
    p.setBrush(body);
    p.drawEllipse(QPointF(8, 8), 4, 4);
    p.setPen(QPen(QColor(230, 210, 170), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 7, 2);
}

void AboutPicture(QPainter& p) {
    // A telescope under a star.
    p.fillRect(QRectF(0, 0, 16, 16), QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 0));
    Star(p, {12, 3.5}, 2.8);
    p.setBrush(Qt::white);
    p.save();
    p.translate(7, 8);
    p.rotate(-35);
    p.drawRect(QRectF(-5, -1.5, 10, 3));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(5, -2, 1.5, 4));
    p.restore();
    p.setPen(QPen(QColor(192, 192, 192), 1));
    p.drawLine(QPointF(7, 9), QPointF(4, 15));
    p.drawLine(QPointF(7, 9), QPointF(10, 15));
    p.drawLine(QPointF(7, 9), QPointF(7, 15));
}

void DrawOne(QPainter& p, TPicture picture) {
    switch (picture) {
    case TPicture::Save:
        Floppy(p);
        break;
    case TPicture::Open:
        Folder(p);
        break;
    case TPicture::Print:
        Printer(p);
        break;
    case TPicture::Exit:
        Door(p);
        break;
    case TPicture::Palette:
        PalettePicture(p);
        break;
    case TPicture::Thresholds:
        ThresholdsPicture(p);
        break;
    case TPicture::Statistics:
        Bars(p);
        break;
    case TPicture::Animation:
        Film(p);
        break;
    case TPicture::Invert:
        InvertPicture(p);
        break;
    case TPicture::DeepSky:
        DeepSkyPicture(p);
        break;
    case TPicture::Planet:
        PlanetPicture(p);
        break;
    case TPicture::AboutIcon:
        AboutPicture(p);
        break;
    }
}

} // namespace

QPixmap DrawPicture(TPicture picture, int size) {
    return PaintPicture(size, [picture](QPainter& p) { DrawOne(p, picture); });
}

QIcon TwoStateIcon(const QPixmap& normal) {
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(DisabledForm(normal), QIcon::Disabled);
    return icon;
}

QPixmap DisabledForm(const QPixmap& normal) {
    // The shape is every pixel that is not transparent and not near white.
    QImage source = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage shape(source.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if (qAlpha(in[x]) > 96 && qGray(in[x]) < 200) out[x] = qRgba(0, 0, 0, 255);
    }
    QImage result(source.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    QPainter p(&result);
    auto tinted = [&](QColor color) {
        QImage t = shape;
        QPainter tp(&t);
        tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tp.fillRect(t.rect(), color);
        return t;
    };
    p.drawImage(1, 1, tinted(Qt::white));
    p.drawImage(0, 0, tinted(QColor(128, 128, 128)));
    p.end();
    return QPixmap::fromImage(result);
}

QIcon ToolIcon(TPicture picture, int size) {
    return TwoStateIcon(DrawPicture(picture, size));
}

} // namespace orv::ui
