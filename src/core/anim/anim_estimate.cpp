#include "core/anim/anim_estimate.h"

#include "core/anim/frame_compose.h"
#include "core/anim/frame_encode.h"
#include "core/gif/frame_delta.h"
#include "core/gif/gif_stream_writer.h"

#include <algorithm>
#include <optional>

namespace orv {

namespace {

// Before the first image: signature, screen, global table; after the last: the trailer.
// Around every image: graphic control, descriptor, its table when local, code size, the
// data's sub-blocks with their lengths and the terminator. The looping block comes once.
constexpr uint64_t kLooping = 19;

uint64_t ImageBytes(const TEncodedImage& image, bool first) {
    const uint64_t data = uint64_t(image.Data.ByteCount());
    const uint64_t table = uint64_t(3) << image.BitsPerPixel;
    return 8 + 10 + (first ? 0 : table) + 1 + data + (data + 254) / 255 + 1;
}

uint64_t FileBytes(const TEncodedImage& first) {
    return 6 + 7 + (uint64_t(3) << first.BitsPerPixel) + kLooping + 1;
}

class TSampler {
  public:
    TSampler(const std::vector<TAnimImg>& frames, const TAnimOptions& options)
        : frames_(frames), options_(options), shared_(SharedDisplay(frames, options)),
          reference_(ReferenceLevel(frames, options)) {}

    // Frame k as saving composes it; nothing when it does not hold the region.
    std::optional<TFramePicture> Picture(size_t k) const {
        try {
            return ComposeFrame(frames_[k], options_, shared_ ? &*shared_ : nullptr,
                                reference_ ? &*reference_ : nullptr);
        } catch (const ERegionError&) {
            return std::nullopt;
        }
    }

    // Frame k as saving encodes it: whole, or as what it changes in the frames shown before
    // it (from frame `from` on, the ones before taken as they are without differences).
    std::optional<TEncodedImage> Encoded(size_t k, size_t from) const {
        if (!options_.Optimize) {
            try {
                return EncodeFrame(frames_[k], options_, shared_ ? &*shared_ : nullptr,
                                   reference_ ? &*reference_ : nullptr);
            } catch (const ERegionError&) {
                return std::nullopt;
            }
        }
        TShownPicture shown(options_.Tolerance);
        std::optional<TFramePart> part;
        for (size_t i = from; i <= k; ++i)
            if (std::optional<TFramePicture> p = Picture(i))
                part = shown.Next(p->Table, std::move(p->Matrix));
            else if (i == k)
                return std::nullopt;
        return EncodeImage(*part);
    }

  private:
    const std::vector<TAnimImg>& frames_;
    const TAnimOptions& options_;
    const std::optional<TDisplaySettings> shared_;
    const std::optional<TReferenceLevel> reference_;
};

} // namespace

uint64_t EstimateAnimationSize(const std::vector<TAnimImg>& frames, const TAnimOptions& options,
                               size_t samples) {
    const TSampler sampler(frames, options);
    const size_t n = frames.size();
    size_t first = 0;
    std::optional<TEncodedImage> image;
    for (; first < n && !image; ++first)
        image = sampler.Encoded(first, first);
    if (!image) return 0;
    const uint64_t head = FileBytes(*image) + ImageBytes(*image, true);
    // `first` is now the frame after the first one made. A frame is written as what it changes
    // in the shown picture, which a few frames before it make much as the whole series does
    // (within the tolerance, a pixel keeps a value set several frames earlier).
    const size_t rest = n - first;
    const size_t taken = std::min(rest, std::max<size_t>(samples, 1));
    const size_t lead = options.Tolerance > 0 ? 4 : 1;
    uint64_t bytes = 0;
    size_t made = 0;
    for (size_t s = 0; s < taken; ++s) {
        const size_t k = first + (taken == rest ? s : s * (rest - 1) / (taken - 1 + (taken == 1)));
        const std::optional<TEncodedImage> later = sampler.Encoded(k, k - std::min(lead, k));
        if (!later) continue;
        bytes += ImageBytes(*later, false);
        ++made;
    }
    if (made == 0) return head;
    const double each = double(bytes) / double(made);
    const double others = double(rest) * double(made) / double(taken); // frames made after the first
    const double back = options.Bounce && others > 1 ? others - 1 : 0;
    return head + uint64_t(each * (others + back) + 0.5);
}

} // namespace orv
