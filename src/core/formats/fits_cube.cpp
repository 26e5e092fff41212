#include "core/formats/fits_cube.h"

#include "core/base/errors.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_colour.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_hdu.h"
#include "core/image/display.h"
#include "core/image/frame_series.h"
#include "core/text/path_text.h"

#include <algorithm>

namespace orv {

namespace {

// Headers longer than this are not looked for further (a header of 1000 blocks has 36000 cards).
constexpr uint64_t kMostHeaderBytes = uint64_t(kFitsBlockSize) * 1000;
// The allowance of the plain reader for a data unit shorter than announced.
constexpr uint64_t kShortDataAllowance = uint64_t(64) << 20;
constexpr size_t kReadPiece = size_t(1) << 20;

// The HDUs of a file read a header at a time.
class TSourceWalk : public TFitsHduWalk {
  public:
    explicit TSourceWalk(const TByteSource& source) : source_(source) {}

    std::span<const uint8_t> NextHeader() override {
        header_ = next_;
        buffer_.clear();
        while (buffer_.size() < kMostHeaderBytes && header_ + buffer_.size() < source_.Size()) {
            const std::vector<uint8_t> block = source_.Read(header_ + buffer_.size(), kFitsBlockSize);
            buffer_.insert(buffer_.end(), block.begin(), block.end());
            if (block.size() < kFitsBlockSize || FitsHeaderLength(buffer_) != 0) break;
        }
        return buffer_;
    }
    bool SkipData(uint64_t paddedBytes) override {
        const size_t length = FitsHeaderLength(buffer_);
        if (length == 0 || paddedBytes > source_.Size()) return false;
        next_ = header_ + length + paddedBytes; // always beyond this header
        return next_ < source_.Size();
    }
    uint64_t HeaderStart() const { return header_; }

  private:
    const TByteSource& source_;
    std::vector<uint8_t> buffer_;
    uint64_t header_ = 0, next_ = 0;
};

struct TCubeLayout {
    TFitsHeaderUnit Unit;
    bool FromExtension = false;
    uint64_t DataStart = 0;
    uint32_t Planes = 0;
};

std::string CardValue(const std::vector<std::string>& cards, std::string_view keyword) {
    for (const std::string& card : cards)
        if (card.size() >= kFitsKeywordSize && std::string_view(card).substr(0, kFitsKeywordSize) == keyword)
            return ParseCardRest(std::string_view(card).substr(kFitsKeywordSize)).Value;
    return {};
}

std::optional<TCubeLayout> FindCube(const TByteSource& source) {
    try {
        TSourceWalk walk(source);
        TCubeLayout cube;
        cube.Unit = FindFitsImage(walk, cube.FromExtension);
        const TFitsHeader& h = cube.Unit.Header;
        if (!cube.Unit.Ended || h.Naxis < 3 || h.Naxis > 4 || h.Naxis3 <= 1 ||
            (h.Naxis == 4 && h.Naxis4 != 1))
            return std::nullopt;
        const std::string ctype3 = CardValue(cube.Unit.OtherCards, "CTYPE3  ");
        if (h.Naxis3 == 3 && (ctype3.empty() || ctype3 == "RGB")) return std::nullopt;
        // The data start on the block after END; a block of blanks that older writers put after
        // an END closing a block is passed over as the plain reader does.
        const uint64_t end = walk.HeaderStart() + cube.Unit.End;
        cube.DataStart = (end + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
        uint64_t cubeBytes = uint64_t(FitsBytesPerValue(h.Bitpix));
        const bool sized = h.Naxis1 > 0 && h.Naxis2 > 0 &&
                           !__builtin_mul_overflow(cubeBytes, uint64_t(h.Naxis1), &cubeBytes) &&
                           !__builtin_mul_overflow(cubeBytes, uint64_t(h.Naxis2), &cubeBytes) &&
                           !__builtin_mul_overflow(cubeBytes, uint64_t(h.Naxis3), &cubeBytes);
        const std::vector<uint8_t> next = source.Read(cube.DataStart, kFitsBlockSize);
        if (sized && end % kFitsBlockSize == 0 && next.size() == kFitsBlockSize &&
            std::all_of(next.begin(), next.end(), [](uint8_t b) { return b == ' '; }) &&
            source.Size() - cube.DataStart >= kFitsBlockSize + cubeBytes)
            cube.DataStart += kFitsBlockSize;
        cube.Planes = uint32_t(h.Naxis3);
        return cube;
    } catch (const EOrvanelError&) {
        return std::nullopt;
    }
}

class TFitsCubeSeries : public TFrameSeries {
  public:
    TFitsCubeSeries(std::shared_ptr<const TByteSource> source, uint64_t dataStart, uint32_t planes,
                    int32_t bitpix, TSize size, bool topDown, std::string stem, std::string ext)
        : source_(std::move(source)), start_(dataStart), planes_(planes), bitpix_(bitpix), size_(size),
          values_(uint64_t(size.Width) * uint64_t(size.Height)), topDown_(topDown), stem_(std::move(stem)),
          ext_(std::move(ext)) {}

    uint32_t Count() const override { return planes_; }

    void ReadFrame(uint32_t k, std::span<uint8_t> store) const override {
        const size_t inBytes = size_t(FitsBytesPerValue(bitpix_));
        const size_t outBytes = store.size() / std::max<uint64_t>(values_, 1);
        const size_t step = kReadPiece / inBytes;
        std::vector<uint8_t> piece(std::min<uint64_t>(values_, step) * inBytes);
        const uint64_t at = start_ + uint64_t(k) * values_ * inBytes;
        for (uint64_t done = 0; done < values_; done += step) {
            const size_t n = size_t(std::min<uint64_t>(step, values_ - done));
            // Values the file does not hold read as zeros, as in a short plain file.
            source_->ReadExactly(at + done * inBytes, std::span<uint8_t>(piece.data(), n * inBytes));
            FitsValuesToStore(piece.data(), n, bitpix_, store.data() + done * outBytes);
        }
        if (topDown_) ReverseRows(store, size_.Width, size_.Height, int(outBytes));
    }

    TFrameTime TimeOf(uint32_t) const override { return {}; }

    std::string FrameFileName(uint32_t k) const override {
        return NumberedFrameName(stem_, k, planes_, ext_);
    }

  private:
    std::shared_ptr<const TByteSource> source_;
    uint64_t start_;
    uint32_t planes_;
    int32_t bitpix_;
    TSize size_;
    uint64_t values_;
    bool topDown_;
    std::string stem_, ext_;
};

} // namespace

std::optional<uint32_t> FitsCubePlanes(const TByteSource& source) {
    const std::optional<TCubeLayout> cube = FindCube(source);
    if (!cube) return std::nullopt;
    // A cube that announces far more planes than the file holds is refused when opened.
    const TFitsHeader& h = cube->Unit.Header;
    const long double bytes = (long double)h.Naxis1 * h.Naxis2 * h.Naxis3 * FitsBytesPerValue(h.Bitpix);
    if (h.Naxis1 <= 0 || h.Naxis2 <= 0 || bytes > (long double)(2 * source.Size() + kShortDataAllowance))
        return std::nullopt;
    return cube->Planes;
}

std::optional<TLoadResult> LoadFitsCube(TImageDocument& doc, std::shared_ptr<const TByteSource> source,
                                        const std::string& fileName, TDocumentHost& host, uint32_t frame) {
    std::optional<TCubeLayout> cube = FindCube(*source);
    if (!cube) return std::nullopt;
    const uint64_t dataStart = cube->DataStart;
    const uint32_t planes = cube->Planes;
    const bool ended = cube->Unit.Ended;
    doc.Clear();
    AdoptFitsHeader(doc, std::move(cube->Unit));
    // The document is one plane: checked, and saved, as a two-dimensional image.
    TFitsHeader& h = doc.Header;
    h.Naxis = 2;
    h.Naxis3 = h.Naxis4 = 0;
    const uint64_t most = 2 * source->Size() + kShortDataAllowance;
    if (!AcceptFitsImage(doc, ended, fileName, host, most / planes)) return TLoadResult::Refused;
    AdoptFitsImage(doc, fileName);
    // Every plane has the header's mosaic and row order; the series puts each plane's rows in order.
    const TFitsColour colour = FitsColourOf(doc.OtherCards, h.Naxis2, 1, fileName);
    doc.Colour = colour.Layout;
    doc.Series = std::make_shared<TFitsCubeSeries>(std::move(source), dataStart, planes, h.Bitpix,
                                                   TSize{h.Naxis1, h.Naxis2}, colour.Layout.TopDown,
                                                   WithoutExtension(fileName), ExtractFileExt(fileName));
    ReadSeriesFrame(doc, frame < planes ? frame : 0);
    if (!colour.Warning.empty()) host.Message(TMsgKind::Warning, TButtons::Ok, colour.Warning);
    return FinishLoad(doc);
}

} // namespace orv
