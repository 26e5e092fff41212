// The brightness and contrast buttons of the threshold dialog. They read the orientation
// from the document's thresholds but move the bars; a step that is not possible leaves
// the bars where they are. Every step ends with ApplyBars, so afterwards the document's
// thresholds are the bar positions, whole numbers within kBarMin..kBarMax.
#pragma once

#include "core/tools/threshold_state.h"

namespace orv {

enum class TStepSize { Small, Large }; // "+" and "-", "+ +" and "- -"

// "+" / "+ +" (brighter: down in normal orientation) and "-" / "- -" (darker). Both bars
// move by the step; one that would pass its limit stops there and the other moves as far,
// so the distance between them never changes; when both would pass, nothing moves.
void Brightness(TThresholdState& s, bool brighter, TStepSize size);

// The half-step of the contrast buttons: half the small step (at least 1), or half the
// large step, integer halving.
int32_t HalfStep(const TSteps& steps, TStepSize size);

// Contrast up: each bar moves by the half-step towards the other, only when they stay
// strictly apart in the same order.
void ContrastUp(TThresholdState& s, TStepSize size);

// Contrast down: each bar moves by the half-step away from the other; one that would pass
// its limit stops there and the other moves as far, so the middle stays where it was;
// when both would pass, nothing moves.
void ContrastDown(TThresholdState& s, TStepSize size);

} // namespace orv
