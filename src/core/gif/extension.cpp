#include "core/gif/extension.h"

namespace orv {

uint8_t TExtension::LabelOf(TExtensionKind kind) {
    switch (kind) {
    case ekGraphicControl:
        return 0xF9;
    case ekPlainText:
        return 0x01;
    case ekApplication:
        return 0xFF;
    case ekComment:
        return 0xFE;
    }
    return 0xF9;
}

std::optional<TExtensionKind> TExtension::KindOfLabel(uint8_t label) {
    switch (label) {
    case 0xF9:
        return ekGraphicControl;
    case 0x01:
        return ekPlainText;
    case 0xFF:
        return ekApplication;
    case 0xFE:
        return ekComment;
    default:
        return std::nullopt;
    }
}

} // namespace orv
