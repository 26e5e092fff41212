// What a builder operation does to the enabled state of the builder's controls: each member is
// set (enable or disable) or left alone. The window applies them by object name.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace orv {

struct TBuilderEnabling {
    std::optional<bool> BitQuit, BitSelect, BitAjout, BitEnr, BitEfface, BitUp, BitDn, BitAuto, BitEgual,
        BitNew, BitAnim, SpinInter, ScrollBar, Image1, Image2, Image3;

    // The later settings win over these.
    void Merge(const TBuilderEnabling& later);

    // Every member that is set, by its control name.
    void ForEach(const std::function<void(std::string_view control, bool enabled)>& apply) const;

    bool operator==(const TBuilderEnabling&) const = default;
};

} // namespace orv
