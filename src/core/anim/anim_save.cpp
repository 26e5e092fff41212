#include "core/anim/anim_save.h"

#include "core/anim/anim_writer.h"
#include "core/anim/frame_compose.h"
#include "core/anim/frame_encode.h"
#include "core/anim/frame_sink.h"
#include "core/anim/parallel_for.h"
#include "core/anim/steady_series.h"
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/global_colours.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <numeric>

namespace orv {

std::string AnimationFileName(const std::string& chosen) {
    return WithDefaultExtension(chosen, ".gif");
}

std::string OverwriteQuestion(const std::string& fileName) {
    return "Le fichier :\n" + fileName + "\nExiste déjà, l'ecraser ?";
}

namespace {

// A frame written as its own levels (as ComposeFrame would copy them), indexed where they are.
std::optional<TLevelFrame> OwnLevels(const TAnimImg& frame, const TAnimOptions& options) {
    const TBitmap& picture = frame.Bitmap;
    if ((frame.Source && options.NeedsRawValues()) || picture.BitCount != 8 || options.Crop ||
        options.Bin > 1 || picture.Width <= 0 || picture.Height <= 0 ||
        picture.Pixels.size() < size_t(picture.Width) * size_t(picture.Height))
        return std::nullopt;
    TLevelFrame levels;
    levels.Rows.Pixels = picture.Pixels.data();
    levels.Rows.Width = picture.Width;
    levels.Rows.Height = picture.Height;
    TPaletteIndexer indexer(picture.Palette, levels.Table);
    indexer.Meet({picture.Pixels.data(), size_t(picture.Width) * size_t(picture.Height)});
    indexer.Finish();
    std::array<uint8_t, 256> all;
    std::iota(all.begin(), all.end(), uint8_t(0));
    indexer.Map(all, levels.Rows.IndexOf.data());
    return levels;
}

} // namespace

void SaveAnimation(const std::vector<TAnimImg>& frames, const std::string& fileName, TProgress& progress,
                   const TAnimOptions& options, unsigned jobs, std::vector<std::string>* leftOut) {
    const std::optional<TDisplaySettings> shared = SharedDisplay(frames, options);
    const bool pictures = WantsPictures(fileName);
    const std::vector<TFramePlan> plans = PlanFrames(frames, options);
    const std::optional<TReferenceLevel> level = ReferenceLevel(frames, options, &plans);
    const TReferenceLevel* reference = level ? &*level : nullptr;
    const TFrameJob job = [&](size_t k) {
        const TAnimImg& frame = frames[k];
        TAnimFrameResult result;
        result.Delay = frame.Delay;
        if (!plans[k].Options) {
            result.Report = plans[k].Report;
            return result;
        }
        try {
            if (pictures)
                result.Picture = PictureBitmap(
                    ComposeFrame(frame, *plans[k].Options, shared ? &*shared : nullptr, reference));
            else if (options.Optimize) {
                result.Levels = OwnLevels(frame, *plans[k].Options);
                if (!result.Levels)
                    result.Indexed =
                        ComposeFrame(frame, *plans[k].Options, shared ? &*shared : nullptr, reference);
            } else
                result.Image = EncodeFrame(frame, *plans[k].Options, shared ? &*shared : nullptr, reference);
        } catch (const ERegionError& e) {
            result.Report = frame.Name + " : " + e.what();
        }
        return result;
    };
    TAnimWriteOptions write;
    // A GIF with colour frames has one table chosen from every frame's colours: the frames are
    // all made before the first is written.
    std::vector<TAnimFrameResult> made;
    TGlobalColours colours;
    TFrameJob writeJob = job;
    const bool colour = std::any_of(frames.begin(), frames.end(),
                                    [](const TAnimImg& f) { return f.Source && f.Source->InColour(); });
    if (colour && !pictures) {
        made.resize(frames.size());
        ParallelFor(frames.size(), JobCount(jobs), [&](size_t k) {
            made[k].Delay = frames[k].Delay;
            if (!plans[k].Options) {
                made[k].Report = plans[k].Report;
                return;
            }
            try {
                const TAnimOptions& o = *plans[k].Options;
                std::optional<TBitmap> c = ColourFrame(frames[k], o, shared ? &*shared : nullptr, reference);
                made[k].Picture = c ? std::move(*c)
                                    : TrueColour(PictureBitmap(ComposeFrame(
                                          frames[k], o, shared ? &*shared : nullptr, reference)));
                colours.Meet(*made[k].Picture); // while its pixels are at hand
            } catch (const ERegionError& e) {
                made[k].Report = frames[k].Name + " : " + e.what();
            }
        });
        colours.Choose();
        write.OneTable = true;
        writeJob = [&](size_t k) {
            TAnimFrameResult r = made[k]; // the bounce may ask again
            if (r.Picture) r.Indexed = TFramePicture{colours.Table(), colours.Map(*r.Picture)};
            r.Picture.reset();
            return r;
        };
    }
    write.Jobs = jobs;
    write.Bounce = options.Bounce;
    write.Optimize = options.Optimize;
    write.Tolerance = options.Tolerance;
    progress.SetLabel("Compression de l'image numéro 1");
    progress.Show(0);
    WriteAnimation(
        fileName, frames.size(), writeJob, write,
        [&](size_t written, size_t total) {
            progress.SetLabel("Compression de l'image numéro " +
                              std::to_string(written < total ? written + 1 : total));
            progress.Show(total ? float(double(written) / double(total)) : 1.0f);
        },
        [&](const std::string& reason) {
            if (leftOut) leftOut->push_back(reason);
        });
}

} // namespace orv
