#include "ui/shell/title_room.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>

namespace orv::ui {

int TitleRoomWidth(const QWidget& window) {
    QFont font = window.font();
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
    const int button = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return text + 4 * button + 24;
}

} // namespace orv::ui
