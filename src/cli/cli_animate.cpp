// animate: one frame per file (every frame of a video or a cube), in the order given, saved as
// an animated GIF, WebP or MP4. Files are read, displayed and encoded on several threads and
// released once written, so memory does not grow with the number of files.
#include "cli/cli.h"

#include "core/anim/anim_frame.h"
#include "core/anim/anim_save.h"
#include "core/anim/anim_writer.h"
#include "core/anim/colour_frame.h"
#include "core/anim/delays.h"
#include "core/anim/frame_compose.h"
#include "core/anim/frame_region.h"
#include "core/anim/frame_sink.h"
#include "core/anim/parallel_for.h"
#include "core/anim/series_display.h"
#include "core/anim/stamp.h"
#include "core/anim/steady_series.h"
#include "core/base/errors.h"
#include "core/base/file_io.h"
#include "core/document/series_frames.h"
#include "core/gif/frame_delta.h"
#include "core/gif/global_colours.h"
#include "core/image/colour_picture.h"
#include "core/image/display_settings.h"
#include "core/text/number_text.h"
#include "core/text/size_text.h"
#include "core/video/animation_encoder.h"

#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orv::cli {
namespace {

struct TAnimateSettings {
    uint16_t Delay = kDefaultDelay;
    TRenderOptions Render;
    TAnimOptions Options;
    TSeriesDisplayOptions Series;
    bool Yes = false;
    bool Pictures = false; // a video file: the frames' pictures, not GIF images
    // Colour frames give their 24-bit pictures (for one GIF table chosen from them all).
    bool ColourPictures = false;
};

// A colour frame: the document's channels cut, binned, displayed channel by channel (an
// automatic display computed on each channel of the region, or the first frame's displays with
// --same-display, each channel normalised on the first frame's same channel) and stamped.
void MakeColourFrame(TImageDocument& doc, const TAnimateSettings& s, const TAnimOptions& options,
                     const std::optional<TChannelSeriesDisplay>& first,
                     std::optional<TChannelSeriesDisplay>* own, TCliHost& host, TAnimFrameResult& result) {
    TRenderOptions shown = s.Render;
    if (first && s.Series.SameDisplay) shown.Auto.reset(); // the first frame's are taken
    // The region's values, which a preset and an automatic display read, as for a grey frame.
    // When nothing reads them, a 16-bit mosaic's picture is made straight from the mosaic,
    // without its planes of reals.
    std::optional<TColourPlanes> planes;
    if (options.Crop || options.Bin > 1 || shown.Auto || s.Series.Normalize)
        planes = ReducedPlanes(*ColourPlanesOf(doc, s.Render.Debayer), options);
    TRenderOptions r = s.Render;
    r.Auto.reset(); // computed below on each channel's values, not on the whole mosaic
    if (r.Any()) ApplyRenderOptions(doc, r, host, planes ? &*planes : nullptr);
    result.Time = FrameTime(doc);
    const TColourPlanes unread;
    const TColourPlanes& values = planes ? *planes : unread;
    const TChannelSeriesDisplay display = SeriesColourDisplay(
        values.Channels, ChannelDisplays(doc, values, shown), s.Series, first ? &*first : nullptr);
    if (own) *own = display;
    const TChannelDisplays displays = {display[0].Display, display[1].Display, display[2].Display};
    const std::string stamp = StampText(doc.Header.DateObs, result.Time);
    std::optional<TBitmap> straight = planes ? std::nullopt : MosaicPicture(doc, s.Render.Debayer, displays);
    if (straight && options.Stamp) DrawStamp(*straight, stamp);
    TBitmap picture = straight ? std::move(*straight)
                               : ComposeColour(planes ? *planes : *ColourPlanesOf(doc, s.Render.Debayer),
                                               displays, stamp, options);
    if (s.Pictures || s.ColourPictures)
        result.Picture = std::move(picture);
    else
        result.Indexed = ComposePicture(picture, {});
}

// Where each file goes in a steadied series, or why it is left out (its reader's messages
// when it did not open).
struct TFilePlaces {
    TSteadySeries Series;
    std::vector<std::string> Refusals;
};

// Frame k: the file opened, reduced to its region and binning, displayed (with the shared
// display when there is one) and stamped, then encoded. A refusal leaves it out with its
// messages; the display it was given is returned for the first frame's sake.
TAnimFrameResult MakeFileFrame(const TSeriesFrame& input, const TAnimateSettings& s,
                               const std::optional<TChannelSeriesDisplay>& first,
                               std::optional<TChannelSeriesDisplay>* own, const TFilePlaces* places,
                               size_t k) {
    TAnimFrameResult result;
    result.Delay = s.Delay;
    if (places && !places->Series.Frames[k].Kept) {
        const std::string& refusal = places->Refusals[k];
        result.Report = refusal.empty() ? input.Label + " : " + places->Series.Frames[k].Reason : refusal;
        return result;
    }
    TCliHost host(s.Yes, &result.Report);
    try {
        const TAnimOptions options =
            places ? PlacedFrameOptions(s.Options, places->Series.Frames[k]) : s.Options;
        TImageDocument doc;
        OpenDocument(doc, input.Path, host, input.Frame);
        if (ShownInColour(doc, s.Render.Debayer)) {
            MakeColourFrame(doc, s, options, first, own, host, result);
            return result;
        }
        ReduceDocument(doc, options);
        TRenderOptions r = s.Render;
        if (first && s.Series.SameDisplay) r.Auto.reset(); // the first frame's is taken
        if (r.Any()) ApplyRenderOptions(doc, r, host);
        result.Time = FrameTime(doc);
        TFramePicture picture;
        if (BytesPerPixel(doc.PixelType) == 0) {
            picture = ComposeBmpFile(doc.DisplayStream, options);
        } else {
            // After a colour first frame, a grey one takes its green channel's display.
            const TSeriesDisplay display = SeriesFrameDisplay(PlaneOf(doc), DisplaySettingsOf(doc), s.Series,
                                                              first ? &(*first)[1] : nullptr);
            if (own) *own = TChannelSeriesDisplay{display, display, display};
            TAnimOptions rest = options; // the region and the binning are done
            rest.Crop.reset();
            rest.Bin = 1;
            const std::string stamp = StampText(doc.Header.DateObs, result.Time);
            const TRawImage raw{doc.PixelType, doc.ImageWidth, doc.ImageHeight, std::move(doc.PixelStore)};
            doc = TImageDocument(); // only the values are needed from here on
            picture = ComposeRaw(raw, display.Display, stamp, rest);
        }
        if (s.Pictures)
            result.Picture = PictureBitmap(picture);
        else
            result.Indexed = std::move(picture); // encoded by the writer, whole or as what it changes
    } catch (const ERegionError& e) {
        result.Report += (result.Report.empty() ? "" : "\n") + input.Label + " : " + e.what();
        result.Image.reset();
    } catch (const EOrvanelError& e) {
        if (*e.what() != '\0') result.Report += (result.Report.empty() ? "" : "\n") + std::string(e.what());
        result.Image.reset();
    }
    return result;
}

// Every file allocates and frees the same few blocks of a few hundred kilobytes: kept by the
// allocator instead of going back to the system and returning as fresh zeroed pages, they
// cost no page faults after the first frames. Memory still follows the frames in hand.
void KeepFreedBlocks() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

// The colour pictures held from the frame that made them to the frame's writing, in blocks of
// huge pages: each picture's own buffer goes back to its thread's allocator for the next frame,
// so that 3 bytes a pixel of every frame do not come as thousands of fresh 4 KB pages.
class TPictureStore {
  public:
    const uint8_t* Keep(const std::vector<uint8_t>& bytes) {
        uint8_t* place;
        {
            const std::lock_guard lock(lock_);
            if (blocks_.empty() || used_ + bytes.size() > blockBytes_) {
                blockBytes_ = std::max<size_t>(kBlock, (bytes.size() + kBlock - 1) / kBlock * kBlock);
                blocks_.push_back(LargeBlock(blockBytes_));
                used_ = 0;
            }
            place = reinterpret_cast<uint8_t*>(blocks_.back().get()) + used_;
            used_ += bytes.size();
        }
        std::memcpy(place, bytes.data(), bytes.size());
        return place;
    }

  private:
    static constexpr size_t kBlock = size_t(32) << 20;
    std::mutex lock_;
    std::vector<std::shared_ptr<double[]>> blocks_;
    size_t blockBytes_ = 0; // the size of the last block
    size_t used_ = 0;
};

// Whether the first file is shown in colour: the animation is then made of colour pictures.
bool FirstInColour(const TSeriesFrame& input, const TAnimateSettings& s) {
    std::string ignored; // the frame reports its own messages when it is made
    TCliHost host(s.Yes, &ignored);
    try {
        TImageDocument doc;
        OpenDocument(doc, input.Path, host, input.Frame);
        return ShownInColour(doc, s.Render.Debayer);
    } catch (const EOrvanelError&) {
        return false;
    }
}

// What steadying needs of one file, or its refusal: the reader's messages when it does not
// open, "file : reason" when nothing can be taken from it.
TSteadySample LookAt(const TSeriesFrame& input, const TAnimateSettings& s, std::string& refusal) {
    TSteadySample sample;
    TCliHost host(s.Yes, &refusal);
    try {
        TImageDocument doc;
        OpenDocument(doc, input.Path, host, input.Frame);
        refusal.clear(); // what the reader said of a file that opens, it says again for the frame
        try {
            return SteadySampleOf(doc, s.Options, s.Render.Debayer);
        } catch (const EOrvanelError& e) {
            refusal = input.Label + " : " + e.what();
        }
    } catch (const EOrvanelError& e) {
        if (*e.what() != '\0') refusal += (refusal.empty() ? "" : "\n") + std::string(e.what());
        if (refusal.empty()) refusal = "Le fichier " + input.Path + " n'a pas pu être ouvert";
    }
    sample.Refusal = refusal;
    return sample;
}

// Every file looked at once, on several threads, before any frame is made; the frames read the
// files again (keeping the documents between the two looks costs more, in fresh memory, than
// reading them twice).
TFilePlaces PlaceFiles(const std::vector<TSeriesFrame>& files, const TAnimateSettings& s, unsigned jobs) {
    std::vector<TSteadySample> samples(files.size());
    TFilePlaces places;
    places.Refusals.resize(files.size());
    const bool terminal = ErrorIsTerminal();
    std::mutex shown;
    size_t done = 0;
    ParallelFor(files.size(), JobCount(jobs), [&](size_t k) {
        samples[k] = LookAt(files[k], s, places.Refusals[k]);
        std::lock_guard lock(shown);
        if (terminal) std::cerr << "\ralignement " << ++done << " / " << files.size() << std::flush;
    });
    if (terminal) std::cerr << "\r\033[K" << std::flush;
    places.Series = SteadySeries(samples, s.Options);
    return places;
}

int RunAnimate(const std::vector<std::string>& argv) {
    KeepFreedBlocks();
    const TArgs args = ParseArgs(
        argv,
        {"--yes", "--auto-delays", "--same-display", "--stamp", "--bounce", "--normalize", "--optimize"},
        {"-o", "--delay", "--preset", "--palette", "--low", "--high", "--crop", "--bin", "--jobs",
         "--stretch", "--align", "--track", "--auto", "--tolerance", "--debayer"});
    if (args.Positional.empty() || !args.Get("-o"))
        throw EUsage("animate takes FILE... -o OUT.gif|OUT.webp|OUT.mp4");
    TAnimateSettings s;
    s.Delay = static_cast<uint16_t>(WholeOption(args, "--delay", 0, kMaxDelay, kDefaultDelay));
    s.Render = RenderOptionsFrom(args);
    s.Yes = args.Has("--yes");
    const std::string out = AnimationFileName(*args.Get("-o"));
    s.Pictures = WantsPictures(out);
    s.Options.SameDisplay = args.Has("--same-display");
    s.Series = {s.Options.SameDisplay, args.Has("--normalize"), s.Render.Auto || s.Render.Preset};
    s.Options.Stamp = args.Has("--stamp");
    s.Options.Bounce = args.Has("--bounce");
    s.Options.Bin = WholeOption(args, "--bin", 1, kMaxBin, 1);
    if (const auto crop = args.Get("--crop")) {
        s.Options.Crop = ParseCrop(*crop);
        if (!s.Options.Crop)
            throw EUsage("--crop takes X,Y,W,H: four whole numbers, X and Y from 1, W and H at least 1");
    }
    if (const auto align = args.Get("--align")) {
        const auto method = ParseAlign(*align);
        if (!method) throw EUsage("--align takes stars, wcs or none");
        s.Options.Align = *method;
    }
    if (const auto track = args.Get("--track")) {
        s.Options.Track = ParseTrack(*track);
        if (!s.Options.Track) throw EUsage("--track takes X1,Y1,XN,YN: four numbers");
    }
    TAnimWriteOptions write;
    write.Jobs = static_cast<unsigned>(WholeOption(args, "--jobs", 1, 256, 0));
    write.Bounce = s.Options.Bounce;
    write.AutoDelays = args.Has("--auto-delays");
    write.Optimize = args.Has("--optimize");
    write.Tolerance = WholeOption(args, "--tolerance", 0, kMaxTolerance, 0);
    if (args.Get("--tolerance") && !write.Optimize) throw EUsage("--tolerance goes with --optimize");
    if (write.Optimize && s.Pictures) throw EUsage("--optimize writes GIF files only");
    // Frames take unequal times (file sizes, the disk): a few megabytes of frames made ahead
    // keep every thread at work, and memory still does not grow with the number of files.
    write.AheadBytes = size_t(16) << 20;
    const std::vector<TSeriesFrame> files = ExpandSeries(args.Positional);
    std::optional<TFilePlaces> places;
    if (s.Options.Steadied()) places = PlaceFiles(files, s, write.Jobs);
    const TFilePlaces* placed = places ? &*places : nullptr;
    s.ColourPictures = !s.Pictures && !files.empty() && FirstInColour(files.front(), s);

    // The shared display and the normalisation start from the first displayed frame: the files
    // up to it are made first.
    std::map<size_t, TAnimFrameResult> early;
    std::optional<TChannelSeriesDisplay> first;
    for (size_t k = 0; NeedsFirstFrame(s.Series) && k < files.size() && !first; ++k)
        early[k] = MakeFileFrame(files[k], s, std::nullopt, &first, placed, k);

    const bool terminal = ErrorIsTerminal();
    const auto progress = [&](size_t written, size_t total) {
        if (terminal) std::cerr << "\rimage " << std::min(written + 1, total) << " / " << total << std::flush;
    };
    const auto report = [&](const std::string& text) {
        if (terminal) std::cerr << "\r\033[K";
        std::cerr << text << "\n";
    };
    // The files made early end at the first frame made, which the bounce never asks again.
    const TFrameJob job = [&](size_t k) {
        const auto made = early.find(k);
        if (made != early.end()) return std::move(made->second);
        return MakeFileFrame(files[k], s, first, nullptr, placed, k);
    };
    // A GIF of colour frames has one table chosen from every frame's colours: the frames are
    // all made before the first is written.
    std::vector<TAnimFrameResult> made;
    std::unique_ptr<TGlobalColours> colours;
    TFrameJob writeJob = job;
    struct TKept {
        const uint8_t* Pixels = nullptr;
        int32_t Width = 0, Height = 0;
    };
    std::vector<TKept> kept;
    TPictureStore store;
    if (s.ColourPictures) {
        made.resize(files.size());
        kept.resize(files.size());
        colours = std::make_unique<TGlobalColours>();
        ParallelFor(files.size(), JobCount(write.Jobs), [&](size_t k) {
            made[k] = job(k);
            if (made[k].Indexed) { // a grey frame among them
                made[k].Picture = TrueColour(PictureBitmap(*made[k].Indexed));
                made[k].Indexed.reset();
            }
            if (made[k].Picture) {
                colours->Meet(*made[k].Picture); // while its pixels are at hand
                kept[k] = {store.Keep(made[k].Picture->Pixels), made[k].Picture->Width,
                           made[k].Picture->Height};
                made[k].Picture.reset();
            }
        });
        colours->Choose();
        write.OneTable = true;
        writeJob = [&](size_t k) {
            // The picture stays for the bounce, which may ask again; it is not copied.
            const TAnimFrameResult& m = made[k];
            TAnimFrameResult r;
            r.Image = m.Image;
            r.Delay = m.Delay;
            r.Time = m.Time;
            r.Report = m.Report;
            if (kept[k].Pixels)
                r.Indexed = TFramePicture{colours->Table(),
                                          colours->Map(kept[k].Pixels, kept[k].Width, kept[k].Height)};
            return r;
        };
    }
    TAnimWritten written;
    try {
        written = WriteAnimation(out, files.size(), writeJob, write, progress, report);
    } catch (...) {
        if (terminal) std::cerr << "\r\033[K" << std::flush;
        throw;
    }
    // An MP4 shows every frame for exactly its delay; browsers slow down GIF and WebP frames.
    const std::string warning = ShortDelayWarning(written.Delays);
    if (!warning.empty() && VideoKindOf(out) != TVideoKind::Mp4) report(warning);
    if (terminal)
        std::cerr << "\r\033[K" << out << " : " << FrameOrder(written.Made, write.Bounce).size()
                  << " images, " << SizeText(written.Bytes) << "\n";
    return 0;
}

const TVerbRegistrar kAnimate(
    {"animate", "make an animated GIF, WebP or MP4, one frame per image",
     "Usage: orvanel-cli animate FILE... -o OUT.gif|OUT.webp|OUT.mp4 [--delay N] [--auto-delays]\n"
     "                           [--preset planet|deepsky] [--palette FILE.pal] [--low V] [--high V]\n"
     "                           [--same-display] [--crop X,Y,W,H] [--bin N] [--stamp] [--bounce]\n"
     "                           [--stretch linear|sqrt|log|asinh] [--auto zscale|mtf] [--normalize]\n"
     "                           [--debayer bilinear|superpixel|none]\n"
     "                           [--align stars|wcs|none] [--track X1,Y1,XN,YN]\n"
     "                           [--optimize [--tolerance T]] [--jobs N] [--yes]\n"
     "Makes one frame per FILE, in the order given, from the picture the program displays,\n"
     "and writes them as an animation that loops without end. A SER video gives every one of\n"
     "its frames, a FITS cube every one of its planes, in order. OUT's extension chooses the\n"
     "file: .gif an animated GIF (without an extension, \".gif\" is added), .webp an animated\n"
     "WebP (lossless; identical successive frames become one lasting their delays' sum),\n"
     ".mp4 an H.264 video (time base 1/100 s: each frame shown for exactly its delay, a delay\n"
     "of 0 lasting 1; an odd width or height gets a black column or row, as H.264 needs even\n"
     "sizes; frames larger or smaller than the first are cut or completed with black, as in\n"
     "WebP). An existing OUT is replaced.\n"
     "  --delay N       every frame's delay in hundredths of a second, 0 to 65535 (default\n"
     "                  15); browsers play a delay of 0 or 1 as 10: such delays are kept in the\n"
     "                  file and a warning line names the frames (not for an MP4, which plays\n"
     "                  every delay as it is)\n"
     "  --auto-delays   derive the delays from the observation times (PIC header time,\n"
     "                  FITS TIME_BEG, CPA acquisition time, the time of each SER frame in the\n"
     "                  file's trailer, to 0.1 ms): the first frame keeps its delay\n"
     "                  and the others are shown in proportion to the time to the next one;\n"
     "                  a time more than twelve hours before the previous one is on the next\n"
     "                  day, so a series across midnight keeps its rhythm\n"
     "  --palette F     apply a palette file to each image first\n"
     "  --low V, --high V  these thresholds for every image (real numbers, as in render)\n"
     "  --preset P      apply the planet or deepsky display preset to each image first\n"
     "  --stretch F     display each image with the function F (linear, sqrt, log, asinh)\n"
     "  --auto A        each image's automatic display, zscale or mtf (see 'orvanel-cli render\n"
     "                  --help'); with --same-display, the first image's for every image\n"
     "  --debayer M     how colour-filter (Bayer) images are shown: bilinear (the default),\n"
     "                  superpixel or none (see 'orvanel-cli render --help'). When the first\n"
     "                  image is in colour, a GIF has one global colour table chosen from every\n"
     "                  frame's colours: exact up to 256 colours, else median cut and each pixel\n"
     "                  the nearest table colour, never dithered; the frames are all made before\n"
     "                  the first is written. Colour images are cut and binned channel by\n"
     "                  channel, normalised each channel on the first image's same channel,\n"
     "                  stamped white on black, and aligned on their green channel (wcs on a\n"
     "                  superpixel image: the offset of the mosaic's pixels, halved)\n"
     "  --same-display  display every image with the first one's thresholds, display function\n"
     "                  and palette (a colour image: the first one's thresholds of each channel)\n"
     "  --normalize     each image's values v read as m1 + (v - mk) x s1 / sk, where m is the\n"
     "                  median and s 1.4826 x the median absolute deviation of the first image\n"
     "                  (1) and of this one (k): images that differ only by sky level and gain\n"
     "                  show alike under one display (--same-display, or --low and --high).\n"
     "                  Without a spread on either side only the sky level moves\n"
     "  --align M       move each image by whole pixels onto the first one: on its stars\n"
     "                  (stars), on the sky coordinates of its FITS header (wcs), or not (none,\n"
     "                  the default); an image that cannot be aligned (too few stars, another\n"
     "                  field, no coordinates) is left out\n"
     "  --track X1,Y1,XN,YN  hold still an object at (X1, Y1) in the first image and (XN, YN)\n"
     "                  in the last (readout coordinates after --align): each image is moved by\n"
     "                  whole pixels along its path, in proportion to the observation times\n"
     "                  (DATE-OBS and the time, across midnight as for --auto-delays).\n"
     "                  With --align or --track the images are cut to the rectangle they all\n"
     "                  cover; --crop then counts in that rectangle.\n"
     "  --crop X,Y,W,H  only the W x H region whose lower-left pixel is (X, Y), counted from 1\n"
     "                  from the bottom-left corner; an image that does not hold it is left out\n"
     "  --bin N         each N x N block of pixels becomes their mean (N from 1 to 16)\n"
     "  --stamp         draw each image's observation date and time in its lower-left corner\n"
     "  --bounce        after the last frame, the frames back to the second one\n"
     "  --optimize      write each GIF frame after the first as the smallest rectangle holding\n"
     "                  what changes, unchanged pixels in it transparent (when the rectangle's\n"
     "                  colours leave a free index); every frame shows exactly the same picture\n"
     "  --tolerance T   with --optimize: a pixel within T display levels (0 to 32; with a\n"
     "                  palette, in each of red, green and blue) of the one shown keeps it, so\n"
     "                  that noise costs nothing; every pixel shown stays within T of its own\n"
     "  --jobs N        encode on N threads (default: one per core); the file is the same\n"
     "Each image is aligned, cropped, binned, normalised, displayed and stamped in that order.\n"
     "A file that is refused (or that the options cannot apply to) is reported on standard\n"
     "error and left out; with no frame left the exit status is 1. On a terminal, \"image k / n\"\n"
     "shows the progress on standard error, and the last line there the file, its images and\n"
     "size (\"anim.gif : 50 images, 2,4 Mo\").\n",
     RunAnimate});

} // namespace
} // namespace orv::cli
