// What a tolerance of T display levels means in the image's own units: the values (ADU) that
// T levels span at given thresholds and display function, for the line beside the builder's
// tolerance control.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/image/display_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The least and the most ADU that `levels` consecutive levels span between the thresholds
// (the same for a linear display; a curved one spends fewer values per level on faint pixels).
struct TAduSpan {
    double Least = 0;
    double Most = 0;
};
TAduSpan LevelsInAdu(int32_t levels, const TDisplaySettings& display);

// "4 niveaux = 31,4 ADU", or with a curved display "4 niveaux = 0,0613 à 125 ADU".
std::string ToleranceText(int32_t levels, const TDisplaySettings& display);

// The same at the display of the builder's frames (that of the first frame with raw values,
// which "same display" gives them all); empty when no frame has raw values.
std::string ToleranceText(int32_t levels, const std::vector<TAnimImg>& frames);

} // namespace orv
