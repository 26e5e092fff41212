// One extension block of a GIF file: a graphic control extension (delay, transparency), or a
// plain-text, application or comment extension kept as its header and data sub-blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

enum TExtensionKind : uint8_t { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };

struct TExtension {
    TExtensionKind ExtensionKind = ekGraphicControl;

    // Graphic control: the six bytes after the label, in file order.
    uint8_t BlockSize = 4;
    uint8_t Flags = 0;  // disposal method, user input, transparency flag
    uint16_t Delay = 0; // hundredths of a second
    uint8_t TransparentIndex = 0;
    uint8_t Terminator = 0;

    // Plain text: the size byte (12) and the 12 bytes after it; application: the size byte
    // (11), the identifier and the authentication code. As read.
    std::vector<uint8_t> HeaderBytes;
    // Plain text, application, comment: the data sub-blocks without their length bytes.
    std::vector<std::string> SubBlocks;

    // The label byte that introduces a kind in a file, and back (nothing for unknown labels).
    static uint8_t LabelOf(TExtensionKind kind);
    static std::optional<TExtensionKind> KindOfLabel(uint8_t label);
};

} // namespace orv
