// The two rules that keep the commands and the tool windows' controls enabled only when
// they can act, as ordered lists of (window, control, enabled). The windows apply the
// lists in their order; which controls each rule touches, and which it leaves alone,
// is part of the rule.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orv {

struct TControlState {
    std::string_view Window;  // "FormMain", "FormSeuils", "FormPal", "FormCreeAnim"
    std::string_view Control; // the control's name in that window
    bool Enabled = false;
    bool operator==(const TControlState&) const = default;
};

// A document the image tools can act on: a PIC, FITS or CPA image (not GIF, bitmap, empty).
bool HasRawValues(uint8_t kind);

// Run on every change of active window. `activeKind` is the kind of the frame's active
// child, nothing when there is none; `windowCount` the number of image windows.
std::vector<TControlState> MenuItemsRule(int windowCount, std::optional<uint8_t> activeKind);

// Run at the end of every image activation and of every reader. `currentKind` is the kind
// of the current image, nothing when there is none.
std::vector<TControlState> ImageToolsRule(std::optional<uint8_t> currentKind);

// The main window's controls that need an image, all disabled when it is created.
std::vector<TControlState> MainWindowStartRule();

} // namespace orv
