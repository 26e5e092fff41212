// Argument parsing, the tool's document host and the shared display options.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/document/open_image.h"
#include "core/formats/palette_file.h"
#include "core/image/auto_display.h"
#include "core/image/colour_picture.h"
#include "core/image/display.h"
#include "core/image/display_settings.h"
#include "core/image/frame_series.h"
#include "core/image/statistics.h"
#include "core/text/number_text.h"
#include "core/tools/threshold_presets.h"

#include <iostream>
#include <unistd.h>

namespace orv::cli {

namespace {
std::vector<TVerb>& Registry() {
    static std::vector<TVerb> verbs;
    return verbs;
}
} // namespace

const std::vector<TVerb>& Verbs() {
    return Registry();
}

TVerbRegistrar::TVerbRegistrar(TVerb verb) {
    auto& verbs = Registry();
    auto at = verbs.begin();
    while (at != verbs.end() && at->Name < verb.Name)
        ++at;
    verbs.insert(at, std::move(verb));
}

bool TArgs::Has(const std::string& name) const {
    for (const auto& o : Options)
        if (o.first == name) return true;
    return false;
}

std::optional<std::string> TArgs::Get(const std::string& name) const {
    std::optional<std::string> value;
    for (const auto& o : Options)
        if (o.first == name) value = o.second; // the last one given wins
    return value;
}

TArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                const std::vector<std::string>& valued) {
    TArgs parsed;
    auto listed = [](const std::vector<std::string>& list, const std::string& a) {
        for (const auto& l : list)
            if (l == a) return true;
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-' &&
            !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.'))) {
            if (listed(flags, a)) {
                parsed.Options.emplace_back(a, "");
            } else if (listed(valued, a)) {
                if (i + 1 >= args.size()) throw EUsage("option " + a + " needs a value");
                parsed.Options.emplace_back(a, args[++i]);
            } else {
                throw EUsage("unknown option " + a);
            }
        } else {
            parsed.Positional.push_back(a);
        }
    }
    return parsed;
}

bool ErrorIsTerminal() {
    static const bool terminal = ::isatty(2);
    return terminal;
}

TAnswer TCliHost::Message(TMsgKind, TButtons buttons, const std::string& text) {
    if (Collected)
        *Collected += (Collected->empty() ? "" : "\n") + text;
    else
        std::cerr << text << "\n";
    Reported = true;
    if (buttons == TButtons::Ok) return TAnswer::Ok;
    return Yes ? TAnswer::Yes : TAnswer::No;
}

void TCliHost::Progress(const std::string& label, float fraction) {
    if (!ErrorIsTerminal() || Collected) return;
    if (fraction > 0.9999f) {
        std::cerr << "\r\033[K" << std::flush;
        return;
    }
    const int percent = static_cast<int>(fraction * 100 + 0.5f);
    std::cerr << "\r" << label << " " << percent << " %" << std::flush;
}

void OpenDocument(TImageDocument& doc, const std::string& path, TCliHost& host, uint32_t frame) {
    host.Reported = false;
    const TLoadResult result = OpenImage(doc, path, host, frame);
    if (result == TLoadResult::Loaded) return;
    if (result == TLoadResult::Ignored)
        throw EOrvanelError("Le fichier " + path +
                            " n'est pas d'un type connu (.FIT .FTS .FITS .FIT.GZ .FTS.GZ .FITS.GZ .FZ .XISF "
                            ".SER .PIC .CPA .BMP .GIF)");
    if (host.Reported) throw EOrvanelError("");
    throw EOrvanelError("Le fichier " + path + " n'a pas pu être ouvert");
}

uint32_t FrameOption(const TArgs& args) {
    const auto text = args.Get("--frame");
    if (!text) return 0;
    int32_t k = 0;
    try {
        k = StrToInt(*text);
    } catch (const EConvertError&) {
    }
    if (k < 1) throw EUsage("--frame takes a whole number from 1");
    return uint32_t(k - 1);
}

TOneImage::TOneImage(const TArgs& args) : Host(args.Has("--yes")) {
    const uint32_t frame = FrameOption(args);
    OpenDocument(Doc, args.Positional.at(0), Host, frame);
    const uint32_t count = Doc.Series ? Doc.Series->Count() : 1;
    if (frame >= count)
        throw EUsage("--frame takes 1.." + std::to_string(count) + ": " + args.Positional.at(0) + " holds " +
                     std::to_string(count) + (count == 1 ? " frame" : " frames"));
}

int32_t WholeOption(const TArgs& args, const std::string& name, int32_t low, int32_t high,
                    int32_t otherwise) {
    const auto text = args.Get(name);
    if (!text) return otherwise;
    int32_t value = 0;
    try {
        value = StrToInt(*text);
    } catch (const EConvertError&) {
        throw EUsage(name + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
    }
    if (value < low || value > high)
        throw EUsage(name + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
    return value;
}

const std::vector<std::string>& RenderValuedOptions() {
    static const std::vector<std::string> options{"--palette", "--low",  "--high",  "--preset",
                                                  "--stretch", "--auto", "--frame", "--debayer"};
    return options;
}

TRenderOptions RenderOptionsFrom(const TArgs& args) {
    TRenderOptions o;
    o.Palette = args.Get("--palette");
    o.Low = args.Get("--low");
    o.High = args.Get("--high");
    o.Preset = args.Get("--preset");
    o.Invert = args.Has("--invert");
    o.Stretch = StretchOption(args);
    o.Debayer = DebayerOption(args);
    if (o.Preset && *o.Preset != "planet" && *o.Preset != "deepsky")
        throw EUsage("--preset takes planet or deepsky");
    if (const auto name = args.Get("--auto")) {
        o.Auto = AutoDisplayNamed(*name);
        if (!o.Auto) throw EUsage("--auto takes zscale or mtf");
        if (o.Low || o.High || o.Preset)
            throw EUsage("--auto sets the thresholds: no --low, --high or --preset");
        if (o.Auto == TAutoDisplay::Mtf && o.Stretch)
            throw EUsage("--auto mtf sets the display function: no --stretch");
    }
    return o;
}

TDebayer DebayerOption(const TArgs& args) {
    const auto name = args.Get("--debayer");
    if (!name || *name == "bilinear") return TDebayer::Bilinear;
    if (*name == "superpixel") return TDebayer::Superpixel;
    if (*name == "none") return TDebayer::None;
    throw EUsage("--debayer takes bilinear, superpixel or none");
}

std::array<TDisplaySettings, 3> ChannelDisplays(const TImageDocument& doc, const TColourPlanes& planes,
                                                const TRenderOptions& options) {
    TDisplaySettings own = DisplaySettingsOf(doc);
    if (!options.Auto) return {own, own, own};
    // One pair of thresholds (and one balance) per channel, which makes the sky background
    // grey; the display function and the inversion are the document's, as for a grey image.
    if (options.Invert) std::swap(own.HighThreshold, own.LowThreshold);
    std::array<TDisplaySettings, 3> channels;
    for (size_t c = 0; c < 3; ++c) {
        TDisplaySettings s = AutoDisplaySettings(*options.Auto, planes.Channels[c], own);
        if (*options.Auto == TAutoDisplay::ZScale) s.DisplayFunction = doc.DisplayFunction;
        if (options.Invert) std::swap(s.HighThreshold, s.LowThreshold);
        channels[c] = s;
    }
    return channels;
}

std::optional<TBitmap> ColourDisplay(const TImageDocument& doc, const TRenderOptions& options) {
    if (!options.Auto) {
        // A 16-bit mosaic's picture is made without its planes of reals, three times its size.
        const TDisplaySettings shown = DisplaySettingsOf(doc);
        if (auto picture = MosaicPicture(doc, options.Debayer, {shown, shown, shown})) return picture;
    }
    const std::optional<TColourPlanes> planes = ColourPlanesOf(doc, options.Debayer);
    if (!planes) return std::nullopt;
    const std::array<TDisplaySettings, 3> channels = ChannelDisplays(doc, *planes, options);
    if (auto picture = MosaicPicture(doc, options.Debayer, channels)) return picture;
    return ColourPicture(*planes, channels);
}

std::optional<TDisplayFunction> StretchOption(const TArgs& args) {
    const auto name = args.Get("--stretch");
    if (!name) return std::nullopt;
    // Mtf comes with the balance that --auto mtf computes.
    const auto function = DisplayFunctionNamed(*name);
    if (!function || function == TDisplayFunction::Mtf)
        throw EUsage("--stretch takes linear, sqrt, log or asinh");
    return function;
}

void ApplyRenderOptions(TImageDocument& doc, const TRenderOptions& o, TCliHost& host,
                        const TColourPlanes* planes) {
    const bool hasRaw = doc.PixelType != kPixelNone;
    if (o.Palette) {
        if (!hasRaw) throw EOrvanelError("Ce document n'a pas de palette (image bitmap ou GIF)");
        // Three channels have no palette; a mosaic seen as it is (none) is grey and has one.
        if (ShownInColour(doc, o.Debayer)) throw EOrvanelError("Une image en couleur n'a pas de palette");
        // A refused palette file has shown its warning: the command fails without more.
        if (!ApplyPaletteFile(doc, *o.Palette, host)) throw EOrvanelError("");
    }
    if (o.Auto && !hasRaw)
        throw EOrvanelError(
            "Ce document n'a pas de valeurs pour un affichage automatique (image bitmap ou GIF)");
    if (o.Preset && !hasRaw)
        throw EOrvanelError("Ce document n'a pas de statistiques pour un réglage automatique des seuils "
                            "(image bitmap ou GIF)");
    if ((o.Low || o.High || o.Invert) && !hasRaw)
        throw EOrvanelError("Ce document n'a pas de seuils (image bitmap ou GIF)");
    // A bitmap is already shown linearly: only another function is refused.
    if (o.Stretch && *o.Stretch != TDisplayFunction::Linear && !hasRaw)
        throw EOrvanelError("Ce document n'a pas de fonction d'affichage (image bitmap ou GIF)");
    // The threshold dialog as the document left it when it was loaded, then the user's
    // actions in it; a text it cannot read as a whole number fails the command.
    TThresholdState dialog;
    PushThresholds(dialog, doc.HighThreshold, doc.LowThreshold);
    if (o.Low) EnterLow(dialog, *o.Low);
    if (o.High) EnterHigh(dialog, *o.High);
    if (o.Preset) {
        // A picture shown in colour is measured on its channels, as the threshold dialog does.
        const std::optional<TColourPlanes> own = planes ? std::nullopt : ColourPlanesOf(doc, o.Debayer);
        const TStatistics stats = planes ? ColourPresetStatistics(*planes)
                                  : own  ? ColourPresetStatistics(*own)
                                         : ComputeStatistics(doc);
        if (*o.Preset == "planet")
            PlanetPreset(dialog, stats);
        else
            DeepSkyPreset(dialog, stats);
    }
    if (o.Auto) {
        ApplyAutoDisplay(doc, *o.Auto);
        PushThresholds(dialog, doc.HighThreshold, doc.LowThreshold);
    }
    if (o.Stretch && hasRaw) doc.DisplayFunction = *o.Stretch;
    if (o.Invert) InvertThresholds(dialog);
    doc.HighThreshold = dialog.HighThreshold;
    doc.LowThreshold = dialog.LowThreshold;
    Render(doc);
}

} // namespace orv::cli
