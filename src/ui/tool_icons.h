// The pictures of the tool buttons and of the about box, drawn by the program itself.
// Each tool picture has a normal and a disabled form (grey, embossed).
#pragma once

#include <QIcon>
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
// Normal and disabled forms together.
QIcon ToolIcon(TPicture picture, int size = 18);

} // namespace orv::ui
