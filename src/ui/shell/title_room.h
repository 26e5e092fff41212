// The width a tool window needs for the window manager to show its title whole: the text in a
// bold face of the window's font, the frame's icon and three buttons, and margins. The window
// manager's own font is not known; titles are drawn in a bold face of about the program's size
// by the usual ones, so this is a close upper estimate rather than a measure.
#pragma once

class QWidget;

namespace orv::ui {

int TitleRoomWidth(const QWidget& window);

} // namespace orv::ui
