#include "core/anim/steady_series.h"

#include "core/align/plane.h"
#include "core/align/sky_offset.h"
#include "core/anim/delays.h"
#include "core/base/errors.h"
#include "core/text/rounding.h"
#include "core/text/time_text.h"

#include <algorithm>
#include <tuple>

namespace orv {

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// "YYYY-MM-DD" at the start of the text, as a day number.
std::optional<int64_t> IsoDay(const std::string& text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const int64_t y = std::stoll(text.substr(0, 4)), m = std::stoll(text.substr(5, 2)),
                  d = std::stoll(text.substr(8, 2));
    if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    return DaysFromCivil(y, m, d);
}

const std::string kNoSky = "L'image n'a pas de coordonnées célestes (WCS)";
const std::string kNoTime = "Pas d'heure d'observation : l'objet ne peut pas y être suivi";
const std::string kNothingInCommon = "Aucune partie commune avec les images précédentes";

// Moves far beyond any image are held here, so that sums of moves and sizes cannot overflow.
constexpr int64_t kFarthest = int64_t(1) << 30;

void LeaveOut(TFramePlace& place, const std::string& reason) {
    place.Kept = false;
    place.Reason = reason;
}

// The sky offset in pixels of the pictures: found on the sky coordinates' own pixels, then
// scaled to the picture's (rounded half to even).
TOffset PictureSkyOffset(const TSteadySample& reference, const TSteadySample& frame) {
    const int32_t scale = reference.SkyScale;
    const TOffset raw =
        SkyOffset(*reference.Sky, reference.Width * scale, reference.Height * scale, *frame.Sky);
    if (scale == 1) return raw;
    return {int32_t(Round(double(raw.X) / scale)), int32_t(Round(double(raw.Y) / scale))};
}

void Align(const std::vector<TSteadySample>& samples, TAlignMethod method, std::vector<TFramePlace>& places) {
    const TSteadySample* reference = nullptr;
    for (size_t k = 0; k < samples.size(); ++k) {
        TFramePlace& place = places[k];
        if (!place.Kept) continue;
        const TSteadySample& s = samples[k];
        if (method == TAlignMethod::Sky && !s.Sky) {
            LeaveOut(place, kNoSky);
            continue;
        }
        if (!reference) {
            // The first frame that can be aligned on is the reference.
            if (method == TAlignMethod::Stars && s.Stars.size() < kMinStars) {
                LeaveOut(place, "Trop peu d'étoiles pour aligner l'image (" + std::to_string(s.Stars.size()) +
                                    ", il en faut " + std::to_string(kMinStars) + ")");
                continue;
            }
            reference = &s;
            continue;
        }
        try {
            place.Aligned = method == TAlignMethod::Stars
                                ? MatchStars(reference->Stars, s.Stars, s.Width, s.Height).Offset
                                : PictureSkyOffset(*reference, s);
        } catch (const EAlignError& e) {
            LeaveOut(place, e.what());
        }
    }
}

// The whole-pixel move that keeps the object where it stands in the first frame.
void Track(const std::vector<TSteadySample>& samples, const TTrack& track, std::vector<TFramePlace>& places) {
    for (size_t k = 0; k < samples.size(); ++k)
        if (places[k].Kept && !samples[k].Time.Known) LeaveOut(places[k], kNoTime);
    const auto kept = [&](const TFramePlace& p) { return p.Kept; };
    const auto first = std::find_if(places.begin(), places.end(), kept);
    if (first == places.end()) return;
    const auto last = std::find_if(places.rbegin(), places.rend(), kept).base() - 1;
    const TObservationTime& start = samples[size_t(first - places.begin())].Time;
    const double span = ObservationGap(start, samples[size_t(last - places.begin())].Time);
    if (first != last && span == 0)
        throw EOrvanelError("Le suivi demande des heures d'observation différentes pour la première et la "
                            "dernière image");
    for (size_t k = 0; k < samples.size(); ++k) {
        if (!places[k].Kept || span == 0) continue;
        const double along = ObservationGap(start, samples[k].Time) / span;
        const auto add = [](int32_t move, double by) {
            return int32_t(std::clamp(int64_t(move) + Round(by), -kFarthest, kFarthest));
        };
        places[k].Move.X = add(places[k].Move.X, -(track.LastX - track.FirstX) * along);
        places[k].Move.Y = add(places[k].Move.Y, -(track.LastY - track.FirstY) * along);
    }
}

} // namespace

TObservationTime ObservationTime(const std::string& dateObs, const std::string& time) {
    TObservationTime t;
    if (time.find(':') == std::string::npos) return t;
    try {
        t.Seconds = TimeToSeconds(time);
    } catch (const EConvertError&) {
        return t;
    }
    t.Known = true;
    if (const auto day = IsoDay(dateObs.substr(0, dateObs.find('T')))) {
        t.Dated = true;
        t.Day = *day;
    }
    return t;
}

double ObservationGap(const TObservationTime& from, const TObservationTime& to) {
    if (from.Dated && to.Dated) return double(to.Day - from.Day) * 86400.0 + (to.Seconds - from.Seconds);
    return TimeGap(from.Seconds, to.Seconds);
}

namespace {

TSteadySample Sample(int32_t width, int32_t height, const TAnimOptions& options, const auto& stars,
                     std::shared_ptr<const TSkyCoordinates> sky, const std::string& dateObs,
                     const std::string& time) {
    TSteadySample s;
    s.Width = width;
    s.Height = height;
    if (options.Align == TAlignMethod::Stars) s.Stars = stars();
    if (options.Align == TAlignMethod::Sky) s.Sky = std::move(sky);
    if (options.Track) s.Time = ObservationTime(dateObs, time);
    return s;
}

} // namespace

namespace {

// The sample of a picture shown in colour: its size, the stars of its green channel, which holds
// most of the light; the planes are made only for the stars.
TSteadySample ColourSample(TSize size, bool superpixel, const TAnimOptions& options, const auto& planes,
                           std::shared_ptr<const TSkyCoordinates> sky, const std::string& dateObs,
                           const std::string& time) {
    const auto stars = [&] {
        const std::optional<TColourPlanes> made = planes();
        if (!made) return std::vector<TStar>();
        const TValuePlane& green = made->Channels[size_t(TChannel::Green)];
        return FindStars(green.PixelType, green.Width, green.Height, green.Store);
    };
    TSteadySample s = Sample(size.Width, size.Height, options, stars, std::move(sky), dateObs, time);
    if (superpixel) s.SkyScale = 2;
    return s;
}

} // namespace

TSteadySample SteadySampleOf(const TImageDocument& doc, const TAnimOptions& options, TDebayer debayer) {
    const std::string dateObs = doc.Kind == kKindFits ? doc.Header.DateObs : std::string();
    if (ShownInColour(doc, debayer))
        return ColourSample(
            ColourPictureSize(doc, debayer), doc.Colour.Pattern && debayer == TDebayer::Superpixel, options,
            [&] { return ColourPlanesOf(doc, debayer); }, doc.Sky, dateObs, FrameTime(doc));
    const auto stars = [&] {
        if (BytesPerPixel(doc.PixelType) != 0)
            return FindStars(doc.PixelType, doc.ImageWidth, doc.ImageHeight, doc.PixelStore);
        return FindStars(PlaneOfPicture(TBitmap::FromBmpFile(doc.DisplayStream)));
    };
    return Sample(doc.ImageWidth, doc.ImageHeight, options, stars, doc.Sky, dateObs, FrameTime(doc));
}

TSteadySample SteadySampleOf(const TAnimImg& frame, const TAnimOptions& options) {
    const TFrameSource* source = frame.Source.get();
    if (source && source->InColour()) {
        const bool superpixel = source->Colour.Pattern && source->Debayer == TDebayer::Superpixel;
        const TSize size = superpixel ? TSize{source->Raw.Width / 2, source->Raw.Height / 2}
                                      : TSize{source->Raw.Width, source->Raw.Height};
        return ColourSample(
            size, superpixel, options, [&] { return SourcePlanes(*source); }, source->Sky, source->DateObs,
            frame.Time);
    }
    const auto stars = [&] {
        if (source)
            return FindStars(source->Raw.PixelType, source->Raw.Width, source->Raw.Height, source->Raw.Store);
        return FindStars(PlaneOfPicture(frame.Bitmap));
    };
    if (source)
        return Sample(source->Raw.Width, source->Raw.Height, options, stars, source->Sky, source->DateObs,
                      frame.Time);
    return Sample(frame.Bitmap.Width, frame.Bitmap.Height, options, stars, nullptr, std::string(),
                  frame.Time);
}

std::pair<int32_t, int32_t> CutToCommonRectangle(std::vector<TFramePlace>& frames,
                                                 const std::vector<std::pair<int32_t, int32_t>>& sizes) {
    // In the frame of reference where a frame's pixel (x, y) lies at (x + Move.X, y + Move.Y).
    int64_t left = 0, bottom = 0, right = 0, top = 0;
    bool any = false;
    for (size_t k = 0; k < frames.size(); ++k) {
        TFramePlace& f = frames[k];
        if (!f.Kept) continue;
        const int64_t x0 = f.Move.X, y0 = f.Move.Y, x1 = x0 + sizes[k].first, y1 = y0 + sizes[k].second;
        if (!any) {
            std::tie(left, bottom, right, top) = std::tuple(x0, y0, x1, y1);
            any = x1 > x0 && y1 > y0;
            if (!any) LeaveOut(f, kNothingInCommon);
            continue;
        }
        const int64_t l = std::max(left, x0), b = std::max(bottom, y0), r = std::min(right, x1),
                      t = std::min(top, y1);
        if (l >= r || b >= t) {
            LeaveOut(f, kNothingInCommon);
            continue;
        }
        std::tie(left, bottom, right, top) = std::tuple(l, b, r, t);
    }
    if (!any) return {0, 0};
    for (TFramePlace& f : frames)
        if (f.Kept)
            f.Cut = {int32_t(left - f.Move.X + 1), int32_t(bottom - f.Move.Y + 1), int32_t(right - left),
                     int32_t(top - bottom)};
    return {int32_t(right - left), int32_t(top - bottom)};
}

TSteadySeries SteadySeries(const std::vector<TSteadySample>& samples, const TAnimOptions& options) {
    TSteadySeries series;
    series.Frames.resize(samples.size());
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (size_t k = 0; k < samples.size(); ++k) {
        series.Frames[k].Kept = samples[k].Refusal.empty();
        series.Frames[k].Reason = samples[k].Refusal;
        sizes.emplace_back(samples[k].Width, samples[k].Height);
    }
    if (options.Align != TAlignMethod::None) Align(samples, options.Align, series.Frames);
    for (TFramePlace& f : series.Frames)
        f.Move = f.Aligned;
    if (options.Track) Track(samples, *options.Track, series.Frames);
    std::tie(series.Width, series.Height) = CutToCommonRectangle(series.Frames, sizes);
    return series;
}

TAnimOptions PlacedFrameOptions(const TAnimOptions& options, const TFramePlace& place) {
    TAnimOptions own = options;
    own.Align = TAlignMethod::None;
    own.Track.reset();
    own.Crop = place.Cut;
    if (options.Crop) {
        const TCropRect& c = *options.Crop;
        if (!RegionInside(c, place.Cut.Width, place.Cut.Height))
            throw RegionOutside(c, place.Cut.Width, place.Cut.Height);
        own.Crop = TCropRect{place.Cut.X + c.X - 1, place.Cut.Y + c.Y - 1, c.Width, c.Height};
    }
    return own;
}

std::vector<TFramePlan> PlanFrames(const std::vector<TAnimImg>& frames, const TAnimOptions& options) {
    std::vector<TFramePlan> plans(frames.size());
    if (!options.Steadied()) {
        for (TFramePlan& p : plans)
            p.Options = options;
        return plans;
    }
    std::vector<TSteadySample> samples;
    for (const TAnimImg& f : frames)
        samples.push_back(SteadySampleOf(f, options));
    const TSteadySeries series = SteadySeries(samples, options);
    for (size_t k = 0; k < frames.size(); ++k) {
        try {
            if (!series.Frames[k].Kept) throw EOrvanelError(series.Frames[k].Reason);
            plans[k].Options = PlacedFrameOptions(options, series.Frames[k]);
            plans[k].Move = series.Frames[k].Move;
        } catch (const EOrvanelError& e) {
            plans[k].Report = frames[k].Name + " : " + e.what();
        }
    }
    return plans;
}

} // namespace orv
