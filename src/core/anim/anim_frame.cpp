#include "core/anim/anim_frame.h"

#include "core/gif/gif_screens.h"
#include "core/image/colour_picture.h"
#include "core/text/path_text.h"

#include <algorithm>

namespace orv {

std::string FrameTime(const TImageDocument& doc) {
    if (doc.Kind == kKindPic) {
        const auto first = doc.PicHeader.begin() + 104;
        const auto last = std::find(first, first + 14, uint8_t{0});
        return std::string(first, last);
    }
    if (doc.Kind == kKindFits) return doc.Header.TimeBeg;
    return {};
}

namespace {

std::shared_ptr<TFrameSource> SourceWithoutValues(const TImageDocument& doc, TDebayer debayer) {
    if (BytesPerPixel(doc.PixelType) == 0) return nullptr;
    auto source = std::make_shared<TFrameSource>();
    source->Raw.PixelType = doc.PixelType;
    source->Raw.Width = doc.ImageWidth;
    source->Raw.Height = doc.ImageHeight;
    source->Display = DisplaySettingsOf(doc);
    source->Scale = ValueScaleOf(doc);
    if (doc.Kind == kKindFits) source->DateObs = doc.Header.DateObs;
    source->Sky = doc.Sky;
    source->Colour = doc.Colour;
    source->Debayer = debayer;
    return source;
}

TAnimImg FrameWithoutSource(const TImageDocument& doc, uint16_t delay, TDebayer debayer) {
    TAnimImg frame;
    const std::optional<TColourPlanes> planes =
        BytesPerPixel(doc.PixelType) != 0 ? ColourPlanesOf(doc, debayer) : std::nullopt;
    frame.SetBitmap(planes ? ColourPicture(doc, *planes) : TBitmap::FromBmpFile(doc.DisplayStream));
    frame.SetName(ExtractFileName(doc.FileName));
    frame.SetTime(FrameTime(doc));
    frame.SetDelay(delay);
    frame.Path = doc.SourceFile.empty() ? doc.FileName : doc.SourceFile;
    return frame;
}

} // namespace

std::shared_ptr<const TFrameSource> CopyFrameSource(const TImageDocument& doc, TDebayer debayer) {
    auto source = SourceWithoutValues(doc, debayer);
    if (source) source->Raw.Store = doc.PixelStore;
    return source;
}

std::shared_ptr<const TFrameSource> TakeFrameSource(TImageDocument& doc, TDebayer debayer) {
    auto source = SourceWithoutValues(doc, debayer);
    if (source) source->Raw.Store = std::move(doc.PixelStore);
    return source;
}

std::optional<TColourPlanes> SourcePlanes(const TFrameSource& source) {
    if (!source.InColour()) return std::nullopt;
    const TRawImage& raw = source.Raw;
    auto holder = std::make_shared<TImageDocument>();
    holder->PixelType = raw.PixelType;
    holder->ImageWidth = raw.Width;
    holder->ImageHeight = raw.Height;
    holder->Colour = source.Colour;
    holder->PixelStore = raw.Store;
    std::optional<TColourPlanes> planes = ColourPlanesOf(*holder, source.Debayer);
    // An RGB image's planes are views of the document's values: the planes keep it. A mosaic's
    // debayered values are the planes' own.
    if (planes && !planes->Owner) planes->Owner = std::shared_ptr<double[]>(holder, nullptr);
    return planes;
}

TAnimImg MakeFrame(const TImageDocument& doc, uint16_t delay, TDebayer debayer) {
    TAnimImg frame = FrameWithoutSource(doc, delay, debayer);
    frame.Source = CopyFrameSource(doc, debayer);
    return frame;
}

TAnimImg MakeFrame(TImageDocument&& doc, uint16_t delay, TDebayer debayer) {
    TAnimImg frame = FrameWithoutSource(doc, delay, debayer);
    frame.Source = TakeFrameSource(doc, debayer);
    return frame;
}

std::vector<TAnimImg> GifFrames(TGifFile& gif, const std::string& path) {
    // An animation written as what each frame changes is taken as the pictures it shows (when
    // they can be held; else its images as they are).
    const std::vector<TBitmap> shown =
        ImagesBuildOnEachOther(gif) && ShownPicturesFit(gif) ? ShownPictures(gif) : std::vector<TBitmap>();
    std::vector<TAnimImg> frames;
    for (size_t k = 0; k < gif.SubImages.size(); ++k) {
        TGifSubImage& sub = *gif.SubImages[k];
        TAnimImg frame;
        frame.SetBitmap(shown.empty() ? sub.GetBitmap() : shown[k]);
        frame.SetName("Image " + std::to_string(k + 1));
        frame.SetTime("00:00:00.000");
        frame.SetDelay(sub.GetDelay());
        frame.Path = path;
        frame.GifImage = static_cast<int32_t>(k);
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace orv
