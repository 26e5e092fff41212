// The frames a playback shows: the builder's (as saving makes them), or none.
#include "ui/anim/playback.h"

namespace orv::ui {

const std::vector<TAnimImg>& TPlayback::Frames() const {
    static const std::vector<TAnimImg> none;
    return animation_ ? animation_->ShownFrames() : none;
}

} // namespace orv::ui
