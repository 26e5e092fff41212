#include "core/anim/builder_enabling.h"

#include <array>
#include <utility>

namespace orv {

namespace {

using TMember = std::optional<bool> TBuilderEnabling::*;

const std::array<std::pair<std::string_view, TMember>, 16>& Members() {
    static const std::array<std::pair<std::string_view, TMember>, 16> members{{
        {"BitQuit", &TBuilderEnabling::BitQuit},
        {"BitSelect", &TBuilderEnabling::BitSelect},
        {"BitAjout", &TBuilderEnabling::BitAjout},
        {"BitEnr", &TBuilderEnabling::BitEnr},
        {"BitEfface", &TBuilderEnabling::BitEfface},
        {"BitUp", &TBuilderEnabling::BitUp},
        {"BitDn", &TBuilderEnabling::BitDn},
        {"BitAuto", &TBuilderEnabling::BitAuto},
        {"BitEgual", &TBuilderEnabling::BitEgual},
        {"BitNew", &TBuilderEnabling::BitNew},
        {"BitAnim", &TBuilderEnabling::BitAnim},
        {"SpinInter", &TBuilderEnabling::SpinInter},
        {"ScrollBar", &TBuilderEnabling::ScrollBar},
        {"Image1", &TBuilderEnabling::Image1},
        {"Image2", &TBuilderEnabling::Image2},
        {"Image3", &TBuilderEnabling::Image3},
    }};
    return members;
}

} // namespace

void TBuilderEnabling::Merge(const TBuilderEnabling& later) {
    for (const auto& [name, member] : Members())
        if (later.*member) this->*member = later.*member;
}

void TBuilderEnabling::ForEach(const std::function<void(std::string_view, bool)>& apply) const {
    for (const auto& [name, member] : Members())
        if (this->*member) apply(name, *(this->*member));
}

} // namespace orv
