#include "core/document/open_image.h"

#include "core/base/byte_source.h"
#include "core/base/errors.h"
#include "core/formats/bmp_document.h"
#include "core/formats/cpa.h"
#include "core/formats/fits_cube.h"
#include "core/formats/fits_gzip_reader.h"
#include "core/formats/fits_reader.h"
#include "core/formats/fits_tiles_reader.h"
#include "core/formats/fits_writer.h"
#include "core/formats/pic.h"
#include "core/formats/ser_reader.h"
#include "core/formats/xisf_reader.h"
#include "core/text/path_text.h"

namespace orv {

TFileKind FileKindOf(const std::string& fileName) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    if (ext == ".PIC") return TFileKind::Pic;
    if (ext == ".CPA") return TFileKind::Cpa;
    if (HasFitsExtension(fileName)) return TFileKind::Fits;
    if (IsGzipFitsName(fileName)) return TFileKind::FitsGzip;
    if (IsTileCompressedName(fileName)) return TFileKind::FitsTiles;
    if (ext == ".BMP") return TFileKind::Bmp;
    if (ext == ".GIF") return TFileKind::Gif;
    if (ext == ".SER") return TFileKind::Ser;
    if (ext == ".XISF") return TFileKind::Xisf;
    return TFileKind::Unknown;
}

namespace {

TLoadResult ReadByKind(TImageDocument& doc, TFileKind kind, const std::string& fileName, TDocumentHost& host,
                       uint32_t frame) {
    switch (kind) {
    case TFileKind::Pic:
        return LoadPic(doc, fileName, host);
    case TFileKind::Cpa:
        return LoadCpa(doc, fileName, host);
    case TFileKind::Fits:
        return LoadFits(doc, fileName, host, frame);
    case TFileKind::FitsGzip:
        return LoadFitsGzip(doc, fileName, host);
    case TFileKind::FitsTiles:
        return LoadFitsTiles(doc, fileName, host);
    case TFileKind::Bmp:
        return LoadBmp(doc, fileName);
    case TFileKind::Ser:
        return LoadSer(doc, fileName, host, frame);
    case TFileKind::Xisf:
        return LoadXisf(doc, fileName, host);
    default:
        return LoadGifImage(doc, *OpenGif(fileName), fileName);
    }
}

} // namespace

TLoadResult OpenImage(TImageDocument& doc, const std::string& fileName, TDocumentHost& host, uint32_t frame) {
    const TFileKind kind = FileKindOf(fileName);
    if (kind == TFileKind::Unknown) return TLoadResult::Ignored;
    const TLoadResult result = ReadByKind(doc, kind, fileName, host, frame);
    if (result == TLoadResult::Loaded) doc.SourceFile = fileName;
    return result;
}

uint32_t FrameCountOf(const std::string& fileName) {
    const TFileKind kind = FileKindOf(fileName);
    if (kind != TFileKind::Ser && kind != TFileKind::Fits) return 1;
    try {
        const auto source = OpenFileSource(fileName);
        const auto count = kind == TFileKind::Ser ? SerFrameCount(*source) : FitsCubePlanes(*source);
        return count.value_or(1);
    } catch (const EOrvanelError&) {
        return 1;
    }
}

TLoadResult OpenGifImage(TImageDocument& doc, const TGifFile& gif, const std::string& fileName) {
    const TLoadResult result = LoadGifImage(doc, gif, fileName);
    if (result == TLoadResult::Loaded) doc.SourceFile = fileName;
    return result;
}

void SaveImage(TImageDocument& doc, const std::string& fileName) {
    if (doc.Kind == kKindPic)
        SavePic(doc, fileName);
    else if (doc.Kind == kKindFits)
        SaveFits(doc, fileName);
}

bool SaveByKind(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    switch (doc.Kind) {
    case kKindPic:
        SavePic(doc, fileName);
        return true;
    case kKindFits:
        SaveFits(doc, fileName);
        return true;
    case kKindBmp:
        SaveBmp(doc, fileName);
        return true;
    case kKindGif:
        WriteDisplayedPictureAsGif(doc, fileName, host);
        return true;
    default:
        return false;
    }
}

} // namespace orv
