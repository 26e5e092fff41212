// The size of an animation's file before it is written, for the builder's "Taille estimée":
// a few frames spread over the series are made and encoded as saving would encode them, and
// the others are taken to be like them. Series whose frames resemble their neighbours (a sky
// field, a planet turning) come within a tenth of the file.
#pragma once

#include "core/anim/anim_frame.h"
#include "core/anim/anim_options.h"
#include "core/anim/steady_series.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// The bytes SaveAnimation would write for these frames and options, from at most `samples`
// frames after the first (every frame when there are no more; the bounce's taken to be like
// the others). Frames without the region are counted out in the proportion the samples show.
// 0 when no frame is left. Each frame is made with its plan (PlanFrames), which the second form
// is given; the errors of PlanFrames are raised.
uint64_t EstimateAnimationSize(const std::vector<TAnimImg>& frames, const TAnimOptions& options,
                               size_t samples = 8);
uint64_t EstimateAnimationSize(const std::vector<TAnimImg>& frames, const TAnimOptions& options,
                               const std::vector<TFramePlan>& plans, size_t samples = 8);

} // namespace orv
