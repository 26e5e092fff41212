// The pictures of the tool buttons and of the about box, drawn by the program itself.
// Each tool picture has a normal and a disabled form (grey, embossed).
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace orv::ui {

enum class TPicture {
    Save,
    Open,
    Print,
    Exit,
    Palette,
    Thresholds,
    Statistics,
    Animation,
    Invert,
    DeepSky,
    Planet,
    AboutIcon,
};

// The picture at size x size pixels.
QPixmap DrawPicture(TPicture picture, int size);
// The disabled form of a picture: its shape in grey over a white relief.
QPixmap DisabledForm(const QPixmap& normal);
// A transparent size x size picture drawn by draw(painter) on a 16 x 16 design grid.
template <class Draw> QPixmap PaintPicture(int size, Draw draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    return pixmap;
}
// A picture with its disabled form.
QIcon TwoStateIcon(const QPixmap& normal);
// Normal and disabled forms together.
QIcon ToolIcon(TPicture picture, int size = 18);

} // namespace orv::ui
