// The geometry of printing one picture: the sheet drawn in the print dialog's 100 x 100
// preview, the picture's rectangle on it, and the rectangle the picture fills on the page.
// Sizes are in printer pixels except the preview's. Rounding is halves to even.
#pragma once

#include "core/image/display.h"

#include <cstdint>
#include <string>

namespace orv {

enum class TOrientation { Portrait, Landscape };

inline constexpr int32_t kPreviewSide = 100;
inline constexpr int32_t kMinPrintFactor = 1;
inline constexpr int32_t kMaxPrintFactor = 200;

// Left and top edges included, right and bottom excluded.
struct TRectangle {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TRectangle&) const = default;
};

// The factor field's value when it loses the focus: brought into 1..200; a text that is
// not a whole number counts as 1.
int32_t PrintFactor(const std::string& text);

// The printed size: factor x the picture control's size (saturated at the 32-bit limit).
TSize PrintSize(int32_t factor, TSize control);

// The rectangle of the page the picture is stretched into: from the top-left corner,
// the printed size. Whatever passes the printable area is cut by the printer.
TRectangle PrintRectangle(int32_t factor, TSize control);

// The sheet in the preview: the longer side 100, the other in proportion to the page.
// SheetOnShow computes the ratio first (page width / page height x 100), as the dialog does
// when it is shown; SheetOnChoice multiplies first (page width x 100 / page height), as the
// orientation choices do. A page without area gives an empty sheet.
TSize SheetOnShow(TOrientation orientation, TSize page);
TSize SheetOnChoice(TOrientation orientation, TSize page);

struct TPreview {
    TRectangle Sheet;   // filled white
    TRectangle Picture; // black outline, white inside, drawn over the sheet
    TRectangle Strip;   // window-face colour, drawn last: the preview outside the sheet
    TSize Visible;      // what shows of the picture's rectangle once the strip is drawn
};

// The preview drawing for a sheet, the printer's page and orientation, and the printed
// size: the picture's rectangle is the printed size at 100 / page height in portrait,
// 100 / page width in landscape.
TPreview PreviewLayout(TOrientation orientation, TSize sheet, TSize page, TSize printed);

} // namespace orv
