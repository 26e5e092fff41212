#include "core/anim/frame_compose.h"

#include "core/anim/stamp.h"
#include "core/anim/steady_series.h"
#include "core/gif/bitmap_to_matrix.h"
#include "core/image/display.h"
#include "core/image/normalization.h"

#include <algorithm>
#include <cstring>

namespace orv {

const TRawImage& ReducedRaw(const TRawImage& source, const TAnimOptions& options, TRawImage& made) {
    // The region and the binning make new values; the source itself is only read.
    if (!options.Crop && options.Bin <= 1) return source;
    if (options.Crop && options.Bin > 1) // the region's values are not copied first
        made = BinPlane({source.PixelType, source.Width, source.Height, source.Store}, *options.Crop,
                        options.Bin);
    else if (options.Crop)
        made = CropRaw(source, *options.Crop);
    else
        made = BinRaw(source, options.Bin);
    return made;
}

namespace {

// A band of binned rows holds about this many values: a region binned is never held whole.
constexpr size_t kBinnedBandPixels = size_t(1) << 16;

// The region binned and rendered a band of rows at a time into `matrix`, of the binned size.
void RenderBinnedRegion(const TRawImage& source, const TCropRect& region, int32_t n, TImageDocument& holder,
                        TByteArray2D& matrix) {
    if (!RegionInside(region, source.Width, source.Height))
        throw RegionOutside(region, source.Width, source.Height);
    const int32_t width = matrix.Cols(), height = matrix.Rows();
    const int32_t bandRows = int32_t(std::max<size_t>(1, kBinnedBandPixels / size_t(width)));
    for (int32_t bottom = 0; bottom < height; bottom += bandRows) { // stored rows, from the bottom
        const int32_t rows = std::min(bandRows, height - bottom);
        const TRawImage band =
            BinPlane({source.PixelType, source.Width, source.Height, source.Store},
                     TCropRect{region.X, region.Y + bottom * n, region.Width, rows * n}, n);
        RenderLevels(holder, band.PixelType, width, rows, band.Store, matrix.RowData(height - bottom),
                     -std::ptrdiff_t(width));
    }
}

} // namespace

TFramePicture ComposeRaw(const TRawImage& source, const TDisplaySettings& display, const std::string& stamp,
                         const TAnimOptions& options) {
    TImageDocument holder; // the thresholds and their tables, without pixels
    ApplyDisplaySettings(holder, display);
    TFramePicture picture;
    const TCropRect* region = options.Crop ? &*options.Crop : nullptr;
    const int32_t n = options.Bin;
    if (region && n > 1 && n <= kMaxBin && region->Width / n > 0 && region->Height / n > 0) {
        picture.Matrix = TByteArray2D(region->Width / n, region->Height / n);
        RenderBinnedRegion(source, *region, n, holder, picture.Matrix);
    } else {
        TRawImage made;
        const TRawImage& raw = ReducedRaw(source, options, made);
        picture.Matrix = TByteArray2D(raw.Width, raw.Height);
        // Stored rows run from the bottom, the matrix's from the top.
        if (raw.Width > 0 && raw.Height > 0)
            RenderLevels(holder, raw.PixelType, raw.Width, raw.Height, raw.Store,
                         picture.Matrix.RowData(raw.Height), -std::ptrdiff_t(raw.Width));
    }
    if (options.Stamp) DrawStamp(picture.Matrix, stamp);
    PaletteIndicesToMatrix(picture.Matrix, PaletteColors(display.Palette), picture.Table);
    return picture;
}

void ReduceDocument(TImageDocument& doc, const TAnimOptions& options) {
    if (BytesPerPixel(doc.PixelType) == 0 || (!options.Crop && options.Bin <= 1)) return;
    TRawImage raw{doc.PixelType, doc.ImageWidth, doc.ImageHeight, std::move(doc.PixelStore)};
    if (options.Crop) raw = CropRaw(raw, *options.Crop);
    if (options.Bin > 1) raw = BinRaw(raw, options.Bin);
    doc.ImageWidth = raw.Width;
    doc.ImageHeight = raw.Height;
    doc.PixelStore = std::move(raw.Store);
}

TFramePicture ComposePicture(const TBitmap& picture, const TAnimOptions& options) {
    TFramePicture out;
    if (!options.Crop && options.Bin <= 1) {
        BitmapToMatrix(picture, out.Table, out.Matrix);
        return out;
    }
    TBitmap region = options.Crop ? CropBitmap(picture, *options.Crop) : picture;
    if (options.Bin > 1) region = BinBitmap(region, options.Bin);
    BitmapToMatrix(region, out.Table, out.Matrix);
    return out;
}

TFramePicture ComposeBmpFile(std::span<const uint8_t> file, const TAnimOptions& options) {
    if (options.Crop || options.Bin > 1) return ComposePicture(TBitmap::FromBmpFile(file), options);
    TFramePicture out;
    BmpFileToMatrix(file, out.Table, out.Matrix);
    return out;
}

namespace {

TRobustLevel ReducedLevel(const TRawImage& source, const TAnimOptions& options) {
    TRawImage made;
    const TRawImage& raw = ReducedRaw(source, options, made);
    return RobustLevel({raw.PixelType, raw.Width, raw.Height, raw.Store});
}

TReferenceLevel ReducedReference(const TFrameSource& source, const TAnimOptions& options) {
    TReferenceLevel reference;
    if (const std::optional<TColourPlanes> planes = SourcePlanes(source)) {
        reference.Channels = ChannelLevels(ReducedPlanes(*planes, options));
        reference.Grey = reference.Channels[size_t(TChannel::Green)];
        return reference;
    }
    reference.Grey = ReducedLevel(source.Raw, options);
    reference.Channels = {reference.Grey, reference.Grey, reference.Grey};
    return reference;
}

} // namespace

TDisplaySettings FrameDisplay(const TAnimImg& frame, const TAnimOptions& options,
                              const TDisplaySettings* shared, const TReferenceLevel* reference) {
    const TDisplaySettings& display = shared ? *shared : frame.Source->Display;
    if (!reference) return display;
    return NormalizedDisplay(display, reference->Grey, ReducedLevel(frame.Source->Raw, options));
}

TBitmap TrueColour(const TBitmap& picture) {
    if (picture.BitCount == 24) return picture;
    TBitmap out;
    out.Width = picture.Width;
    out.Height = picture.Height;
    out.BitCount = 24;
    out.Pixels.resize(picture.Pixels.size() * 3);
    for (size_t i = 0; i < picture.Pixels.size(); ++i) {
        const uint32_t c = picture.Palette[picture.Pixels[i]];
        out.Pixels[3 * i] = uint8_t(c >> 16), out.Pixels[3 * i + 1] = uint8_t(c >> 8),
                       out.Pixels[3 * i + 2] = uint8_t(c);
    }
    return out;
}

std::optional<TBitmap> ColourFrame(const TAnimImg& frame, const TAnimOptions& options,
                                   const TDisplaySettings* shared, const TReferenceLevel* reference) {
    if (!frame.Source) return std::nullopt;
    const std::optional<TColourPlanes> planes = SourcePlanes(*frame.Source);
    if (!planes) return std::nullopt;
    const TColourPlanes reduced = ReducedPlanes(*planes, options);
    const TDisplaySettings& display = shared ? *shared : frame.Source->Display;
    TChannelDisplays displays{display, display, display};
    if (reference) displays = NormalizedDisplays(displays, reference->Channels, ChannelLevels(reduced));
    return ComposeColour(reduced, displays, StampText(frame.Source->DateObs, frame.Time), options);
}

TFramePicture ComposeFrame(const TAnimImg& frame, const TAnimOptions& options, const TDisplaySettings* shared,
                           const TReferenceLevel* reference) {
    if (const std::optional<TBitmap> colour = ColourFrame(frame, options, shared, reference))
        return ComposePicture(*colour, {});
    if (!frame.Source || !options.NeedsRawValues()) return ComposePicture(frame.Bitmap, options);
    const TFrameSource& source = *frame.Source;
    return ComposeRaw(source.Raw, FrameDisplay(frame, options, shared, reference),
                      StampText(source.DateObs, frame.Time), options);
}

std::optional<TDisplaySettings> SharedDisplay(const std::vector<TAnimImg>& frames,
                                              const TAnimOptions& options) {
    if (!options.SameDisplay) return std::nullopt;
    for (const TAnimImg& f : frames)
        if (f.Source) return f.Source->Display;
    return std::nullopt;
}

std::optional<TReferenceLevel> ReferenceLevel(const std::vector<TAnimImg>& frames,
                                              const TAnimOptions& options,
                                              const std::vector<TFramePlan>* plans) {
    if (!options.Normalize) return std::nullopt;
    for (size_t k = 0; k < frames.size(); ++k) {
        if (!frames[k].Source) continue;
        const TAnimOptions* made = &options;
        if (plans) {
            if (k >= plans->size() || !(*plans)[k].Options) continue;
            made = &*(*plans)[k].Options;
        }
        try {
            return ReducedReference(*frames[k].Source, *made);
        } catch (const ERegionError&) {
            // Left out when saved: the next frame is the first.
        }
    }
    return std::nullopt;
}

TBitmap PictureBitmap(const TFramePicture& picture) {
    TBitmap bitmap;
    bitmap.Width = picture.Matrix.Cols();
    bitmap.Height = picture.Matrix.Rows();
    bitmap.BitCount = 8;
    bitmap.Palette.resize(256);
    for (size_t i = 0; i < 256; ++i) {
        const TColorEntry& e = picture.Table.Entries[i];
        bitmap.Palette[i] = MakeColor(e[0], e[1], e[2]);
    }
    bitmap.Pixels.resize(size_t(picture.Matrix.Cells().Size()));
    if (!bitmap.Pixels.empty())
        std::memcpy(bitmap.Pixels.data(), picture.Matrix.Cells().Memory(), bitmap.Pixels.size());
    return bitmap;
}

std::vector<TAnimImg> ComposedFrames(const std::vector<TAnimImg>& frames, const TAnimOptions& options,
                                     std::vector<std::string>* leftOut) {
    const std::optional<TDisplaySettings> shared = SharedDisplay(frames, options);
    const std::vector<TFramePlan> plans = PlanFrames(frames, options);
    const std::optional<TReferenceLevel> reference = ReferenceLevel(frames, options, &plans);
    std::vector<TAnimImg> made;
    for (size_t k = 0; k < frames.size(); ++k) {
        const TAnimImg& frame = frames[k];
        if (!plans[k].Options) {
            if (leftOut) leftOut->push_back(plans[k].Report);
            continue;
        }
        try {
            TAnimImg shown;
            shown.SetBitmap(PictureBitmap(ComposeFrame(frame, *plans[k].Options, shared ? &*shared : nullptr,
                                                       reference ? &*reference : nullptr)));
            shown.SetName(frame.Name);
            shown.SetTime(frame.Time);
            shown.SetDelay(frame.Delay);
            made.push_back(std::move(shown));
        } catch (const ERegionError& e) {
            if (leftOut) leftOut->push_back(frame.Name + " : " + e.what());
        }
    }
    std::vector<TAnimImg> ordered;
    for (size_t k : FrameOrder(made.size(), options.Bounce))
        ordered.push_back(made[k]);
    return ordered;
}

} // namespace orv
