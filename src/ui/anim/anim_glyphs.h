// The glyphs of the animation windows' buttons, drawn by the program itself, each with its
// disabled form.
#pragma once

#include <QIcon>

namespace orv::ui {

enum class TAnimGlyph {
    // The player's controls.
    Stop,
    Play,
    First,
    Previous,
    Next,
    Last,
    Close,
    // The builder's column.
    New,
    Batch,
    AddImage,
    Up,
    Down,
    Equal,
    Auto,
    Erase,
    Preview,
    Save,
    Quit,
};

QIcon AnimGlyph(TAnimGlyph glyph, int size = 18);

} // namespace orv::ui
