#include "core/formats/ser_reader.h"

#include "core/formats/fits_card.h"
#include "core/formats/fits_colour.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/header_text.h"
#include "core/formats/pixel_data.h"
#include "core/image/display.h"
#include "core/image/frame_series.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orv {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = kTicksPerSecond * 86'400;
// Days from 0001-01-01 to 1970-01-01, and the last day of year 9999 from 0001-01-01.
constexpr int64_t kDaysTo1970 = 719'162;
constexpr int64_t kDaysTo10000 = 3'652'059;
// Frame bytes read at once: a frame is converted a piece at a time, never held whole twice.
constexpr size_t kReadPiece = size_t(1) << 20;

int64_t ReadI64(std::span<const uint8_t> in, size_t at) {
    uint8_t b[8];
    ReadField(in, at, b, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | b[i];
    return static_cast<int64_t>(v);
}

// Year, month and day of a day counted from 1970-01-01 (proleptic Gregorian calendar).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719'468;
    const int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const unsigned doe = static_cast<unsigned>(z - era * 146'097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsBayer(int32_t colorId) {
    return colorId >= kSerBayerRggb && colorId <= kSerBayerBggr;
}

// What the header says about the frames, checked against the file.
struct TSerLayout {
    TSerHeader Header;
    int Planes = 1;
    int BytesPerValue = 1;
    bool BigEndian = false;
    uint64_t FrameBytes = 0;
    uint32_t Frames = 0;
    bool HasTrailer = false;
};

class TSerSeries : public TFrameSeries {
  public:
    TSerSeries(std::shared_ptr<const TByteSource> source, const TSerLayout& layout, std::string stem)
        : source_(std::move(source)), layout_(layout), stem_(std::move(stem)) {}

    uint32_t Count() const override { return layout_.Frames; }

    void ReadFrame(uint32_t k, std::span<uint8_t> store) const override {
        const size_t width = size_t(layout_.Header.Width), height = size_t(layout_.Header.Height);
        const size_t rowBytes = width * size_t(layout_.Planes * layout_.BytesPerValue);
        const size_t rowsAtOnce = std::max<size_t>(1, kReadPiece / rowBytes);
        std::vector<uint8_t> piece(std::min(height, rowsAtOnce) * rowBytes);
        const uint64_t start = kSerHeaderSize + uint64_t(k) * layout_.FrameBytes;
        for (size_t row = 0; row < height; row += rowsAtOnce) {
            const size_t rows = std::min(rowsAtOnce, height - row);
            const std::span<uint8_t> bytes(piece.data(), rows * rowBytes);
            source_->ReadExactly(start + row * rowBytes, bytes); // a file cut since it opened reads zeros
            for (size_t r = 0; r < rows; ++r)
                for (int plane = 0; plane < layout_.Planes; ++plane) {
                    // The file's top row first; the store's bottom row first, plane after plane
                    // (red, green, blue, whichever order the file keeps them in).
                    const int stored = layout_.Header.ColorId == kSerBgr ? 2 - plane : plane;
                    uint8_t* out = store.data() + size_t(plane) * width * height * 2 +
                                   (height - 1 - (row + r)) * width * 2;
                    ConvertRow(bytes.data() + r * rowBytes + size_t(stored * layout_.BytesPerValue), width,
                               out);
                }
        }
    }

    TFrameTime TimeOf(uint32_t k) const override {
        if (!layout_.HasTrailer) return {};
        uint8_t b[8];
        const uint64_t at = kSerHeaderSize + uint64_t(layout_.Frames) * layout_.FrameBytes + uint64_t(k) * 8;
        if (!source_->ReadExactly(at, b)) return {};
        return SerTimeText(ReadI64(b, 0));
    }

    std::string FrameFileName(uint32_t k) const override {
        return layout_.Frames == 1 ? stem_ + ".fit" : NumberedFrameName(stem_, k, layout_.Frames, ".fit");
    }

  private:
    // One stored row of one plane (in points at its first value) into 16-bit values.
    void ConvertRow(const uint8_t* in, size_t width, uint8_t* out) const {
        const size_t step = size_t(layout_.Planes * layout_.BytesPerValue);
        for (size_t x = 0; x < width; ++x, in += step) {
            uint16_t v;
            if (layout_.BytesPerValue == 1)
                v = in[0];
            else // unsigned 16-bit values as FITS stores them: v - 32768 in a signed word
                v = uint16_t((layout_.BigEndian ? (in[0] << 8 | in[1]) : (in[1] << 8 | in[0])) ^ 0x8000);
            std::memcpy(out + 2 * x, &v, 2);
        }
    }

    std::shared_ptr<const TByteSource> source_;
    TSerLayout layout_;
    std::string stem_;
};

std::string Name(const std::string& fileName) {
    return "Le fichier " + ExtractFileName(fileName);
}

// The header's layout, or the refusal's text.
std::optional<TSerLayout> CheckLayout(const TSerHeader& h, uint64_t fileSize, const std::string& fileName,
                                      std::string& refusal) {
    const std::string name = Name(fileName);
    TSerLayout l;
    l.Header = h;
    const std::string size = std::to_string(h.Width) + "x" + std::to_string(h.Height);
    if (h.Width <= 0 || h.Height <= 0) {
        refusal = name + " a des dimensions d'image incorrectes (" + size + ") !";
        return std::nullopt;
    }
    if (h.PixelDepth < 1 || h.PixelDepth > 16) {
        refusal = name + " a une profondeur de pixel inconnue (" + std::to_string(h.PixelDepth) + " bits) !";
        return std::nullopt;
    }
    if (h.ColorId == kSerRgb || h.ColorId == kSerBgr) {
        l.Planes = 3; // each pixel's three values side by side: the document holds them as planes
    } else if (h.ColorId != kSerMono && !IsBayer(h.ColorId) && !(h.ColorId >= 16 && h.ColorId <= 19)) {
        refusal = name + " a un codage des couleurs inconnu (ColorID = " + std::to_string(h.ColorId) + ") !";
        return std::nullopt;
    }
    l.BytesPerValue = h.PixelDepth > 8 ? 2 : 1;
    l.BigEndian = SerBigEndian(h);
    const uint64_t pixels = uint64_t(h.Width) * uint64_t(h.Height);
    if (pixels * uint64_t(l.Planes) > kFitsMaxPixels) {
        refusal = name + " annonce une image trop grande pour lui (" + size + ") !";
        return std::nullopt;
    }
    l.FrameBytes = pixels * uint64_t(l.Planes * l.BytesPerValue);
    const uint64_t held = fileSize > kSerHeaderSize ? (fileSize - kSerHeaderSize) / l.FrameBytes : 0;
    if (h.FrameCount <= 0 || held == 0) {
        refusal = name + " ne contient aucune image !";
        return std::nullopt;
    }
    if (uint64_t(h.FrameCount) > held) {
        refusal = name + " annonce " + std::to_string(h.FrameCount) + " images mais n'en contient que " +
                  std::to_string(held) + " !";
        return std::nullopt;
    }
    l.Frames = uint32_t(h.FrameCount);
    l.HasTrailer = fileSize - kSerHeaderSize - uint64_t(l.Frames) * l.FrameBytes >= uint64_t(l.Frames) * 8;
    return l;
}

void FillHeader(TImageDocument& doc, const TSerLayout& l) {
    TFitsHeader& h = doc.Header;
    h.Simple = true;
    h.Bitpix = 16;
    h.Naxis = 2;
    h.Naxis1 = l.Header.Width;
    h.Naxis2 = l.Header.Height;
    if (l.Planes == 3) { // saved as a colour cube
        h.Naxis = 3;
        h.Naxis3 = 3;
    }
    h.Observer = CardSafeText(l.Header.Observer);
    h.Instrume = CardSafeText(l.Header.Instrument);
    h.Telescop = CardSafeText(l.Header.Telescope);
    const TFrameTime start = SerTimeText(l.Header.DateTimeUtc);
    h.DateObs = start.Date;
    h.TimeBeg = start.Time;
    // Unsigned values above 8 bits as FITS stores them; the thresholds span the values' depth.
    const double top = double((uint32_t(1) << l.Header.PixelDepth) - 1);
    const double zero = l.BytesPerValue == 2 ? 32768 : 0;
    h.BZero = zero;
    doc.LowThreshold = -zero;
    doc.HighThreshold = top - zero;
    h.ThreshLow = int32_t(doc.LowThreshold);
    h.ThreshHigh = int32_t(doc.HighThreshold);
    if (IsBayer(l.Header.ColorId)) {
        static const char* const kPatterns[] = {"RGGB", "GRBG", "GBRG", "BGGR"};
        // The pattern names the file's top row; the store holds the bottom row first.
        doc.OtherCards.push_back(FitsStringCard("BAYERPAT", kPatterns[l.Header.ColorId - kSerBayerRggb],
                                                "Bayer pattern of the top row"));
        doc.OtherCards.push_back(FitsIntegerCard("XBAYROFF", 0, "X offset of the Bayer pattern"));
        doc.OtherCards.push_back(
            FitsIntegerCard("YBAYROFF", (l.Header.Height - 1) % 2, "Y offset of the Bayer pattern"));
    }
}

} // namespace

TSerHeader ParseSerHeader(std::span<const uint8_t> b) {
    TSerHeader h;
    auto text = [&](size_t at, size_t n) {
        return at < b.size()
                   ? std::string(reinterpret_cast<const char*>(b.data() + at), std::min(n, b.size() - at))
                   : std::string();
    };
    h.FileId = text(0, 14);
    h.LuId = ReadI32(b, 14);
    h.ColorId = ReadI32(b, 18);
    h.LittleEndian = ReadI32(b, 22);
    h.Width = ReadI32(b, 26);
    h.Height = ReadI32(b, 30);
    h.PixelDepth = ReadI32(b, 34);
    h.FrameCount = ReadI32(b, 38);
    h.Observer = text(42, 40);
    h.Instrument = text(82, 40);
    h.Telescope = text(122, 40);
    h.DateTime = ReadI64(b, 162);
    h.DateTimeUtc = ReadI64(b, 170);
    return h;
}

bool SerBigEndian(const TSerHeader& header) {
    return header.LittleEndian != 0;
}

TFrameTime SerTimeText(int64_t ticks) {
    if (ticks <= 0) return {};
    const int64_t days = ticks / kTicksPerDay;
    if (days >= kDaysTo10000) return {};
    int64_t y;
    unsigned m, d;
    CivilFromDays(days - kDaysTo1970, y, m, d);
    const int64_t inDay = ticks % kTicksPerDay;
    const int64_t seconds = inDay / kTicksPerSecond;
    char date[32], time[48];
    std::snprintf(date, sizeof date, "%04d-%02u-%02u", int(y), m, d);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d.%04d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60), int(inDay % kTicksPerSecond / 1000));
    return {date, time};
}

std::optional<uint32_t> SerFrameCount(const TByteSource& source) {
    uint8_t b[kSerHeaderSize];
    if (!source.ReadExactly(0, b)) return std::nullopt;
    std::string refusal;
    const auto layout = CheckLayout(ParseSerHeader(b), source.Size(), "", refusal);
    if (!layout) return std::nullopt;
    return layout->Frames;
}

TLoadResult LoadSerFromSource(TImageDocument& doc, std::shared_ptr<const TByteSource> source,
                              const std::string& fileName, TDocumentHost& host, uint32_t frame) {
    const std::string name = Name(fileName);
    uint8_t bytes[kSerHeaderSize];
    if (!source->ReadExactly(0, bytes))
        return RefuseFits(doc, host, name + " est trop court pour un fichier SER !");
    const TSerHeader header = ParseSerHeader(bytes);
    if (header.FileId != "LUCAM-RECORDER") {
        const TAnswer a =
            host.Message(TMsgKind::Warning, TButtons::YesNo,
                         name + " n'est pas un fichier SER conforme !\nVoulez vous essayer de l'ouvrir ?");
        if (a != TAnswer::Yes) return RefuseLoad(doc);
    }
    std::string refusal;
    const std::optional<TSerLayout> layout = CheckLayout(header, source->Size(), fileName, refusal);
    if (!layout) return RefuseFits(doc, host, refusal);

    doc.Clear();
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = header.Width;
    doc.ImageHeight = header.Height;
    FillHeader(doc, *layout);
    doc.Colour = FitsColourOf(doc.OtherCards, header.Height, 1, fileName).Layout; // a Bayer video's mosaic
    doc.Colour.Planes = layout->Planes;
    doc.Series = std::make_shared<TSerSeries>(std::move(source), *layout, WithoutExtension(fileName));
    doc.FileName = doc.Series->FrameFileName(0);
    ReadSeriesFrame(doc, frame < layout->Frames ? frame : 0);
    return FinishLoad(doc);
}

TLoadResult LoadSer(TImageDocument& doc, const std::string& fileName, TDocumentHost& host, uint32_t frame) {
    return LoadSerFromSource(doc, OpenFileSource(fileName), fileName, host, frame);
}

} // namespace orv
