// convert: saves the document in the format of OUT's extension.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/base/file_io.h"
#include "core/document/gif_document.h"
#include "core/document/open_image.h"
#include "core/formats/fits_writer.h"
#include "core/formats/pic.h"

namespace orv::cli {
namespace {

std::string KindName(uint8_t kind) {
    switch (kind) {
    case kKindPic:
        return "PIC";
    case kKindFits:
        return "FITS";
    case kKindBmp:
        return "bitmap";
    case kKindGif:
        return "GIF";
    default:
        return "vide";
    }
}

int RunConvert(const std::vector<std::string>& argv) {
    std::vector<std::string> valued = RenderValuedOptions();
    valued.push_back("-o");
    const TArgs args = ParseArgs(argv, {"--yes", "--invert"}, valued);
    if (args.Positional.size() != 1 || !args.Get("-o")) throw EUsage("convert takes FILE -o OUT");
    const std::string out = *args.Get("-o");
    const TFileKind kind = FileKindOf(out);
    if (kind == TFileKind::Unknown || kind == TFileKind::Cpa || kind == TFileKind::FitsTiles ||
        kind == TFileKind::Ser || kind == TFileKind::Xisf)
        throw EUsage("OUT must end in .fit, .fts or .fits (each maybe followed by .gz), .pic, .bmp or .gif");
    const TRenderOptions options = RenderOptionsFrom(args);
    TOneImage image(args);
    TImageDocument& doc = image.Doc;
    if (options.Any()) ApplyRenderOptions(doc, options, image.Host);
    const auto refuse = [&](const std::string& format) {
        return EOrvanelError("Conversion impossible : un document " + KindName(doc.Kind) +
                             " ne s'enregistre pas en " + format);
    };
    if (kind == TFileKind::Fits || kind == TFileKind::FitsGzip) {
        if (doc.Kind != kKindFits) throw refuse("FITS");
        SaveFits(doc, out);
    } else if (kind == TFileKind::Pic) {
        if (doc.Kind != kKindPic) throw refuse("PIC");
        SavePic(doc, out);
    } else if (kind == TFileKind::Bmp) {
        if (const auto colour = ColourDisplay(doc, options))
            WriteFileAtomically(out, colour->ToBmpFile());
        else
            WriteFileAtomically(out, doc.DisplayStream);
    } else if (const auto colour = ColourDisplay(doc, options)) {
        WriteColourPictureAsGif(doc, *colour, out, image.Host);
    } else {
        WriteDisplayedPictureAsGif(doc, out, image.Host);
    }
    return 0;
}

const TVerbRegistrar
    kConvert({"convert", "save an image as FITS, PIC, BMP or GIF",
              "Usage: orvanel-cli convert FILE -o OUT [options]\n"
              "Saves by OUT's extension: .fit/.fts/.fits as FITS (FITS and CPA images), and\n"
              "gzip-compressed FITS when .gz follows (m31.fits.gz); .pic as PIC (PIC images),\n"
              ".bmp the displayed picture, .gif a one-image GIF of the displayed picture.\n"
              "The render options (see 'orvanel-cli render --help') apply first; --frame K\n"
              "saves frame K (from 1) of a SER video or a FITS cube (an XISF or SER file is\n"
              "saved as FITS, never written back as XISF or SER). A colour image makes a GIF of one\n"
              "colour table: exact up to 256 colours, else each pixel the nearest (RGB distance)\n"
              "of those median cut chooses, never dithered; as FITS it keeps its mosaic and cards.\n",
              RunConvert});

} // namespace
} // namespace orv::cli
