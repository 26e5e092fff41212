#include "core/formats/fits_reader.h"

#include "core/base/byte_source.h"
#include "core/base/file_io.h"
#include "core/formats/fits_colour.h"
#include "core/formats/fits_cube.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/load_progress.h"

#include <algorithm>

namespace orv {

namespace {

// A data unit may be shorter than announced (it is completed with zeros), but not by so
// much that a few header bytes could make us allocate gigabytes.
constexpr uint64_t kFitsShortDataAllowance = uint64_t(64) << 20;

// Values converted between two progress reports.
constexpr size_t kProgressStep = size_t(4) << 20;

bool AllBlanks(std::span<const uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == ' '; });
}

// The HDUs of a file in memory, one after the other.
class TMemoryWalk : public TFitsHduWalk {
  public:
    explicit TMemoryWalk(std::span<const uint8_t> file) : file_(file) {}

    std::span<const uint8_t> NextHeader() override {
        header_ = next_;
        return header_ < file_.size() ? file_.subspan(static_cast<size_t>(header_))
                                      : std::span<const uint8_t>();
    }
    bool SkipData(uint64_t paddedBytes) override {
        if (header_ >= file_.size()) return false;
        const size_t length = FitsHeaderLength(file_.subspan(static_cast<size_t>(header_)));
        if (length == 0 || paddedBytes > file_.size()) return false;
        next_ = header_ + length + paddedBytes;
        return next_ < file_.size();
    }
    // Where the header given last begins.
    uint64_t HeaderStart() const { return header_; }

  private:
    std::span<const uint8_t> file_;
    uint64_t header_ = 0, next_ = 0;
};

// Converts the values in place when the file buffer is ours to take: the store then needs
// no buffer of its own. Chunks no longer than the header keep source and target apart.
std::vector<uint8_t> StoreInPlace(std::vector<uint8_t>&& buffer, size_t dataStart, size_t present,
                                  int32_t bitpix, size_t storeBytes, TLoadProgress& progress) {
    const size_t bytesPerValue = size_t(FitsBytesPerValue(bitpix));
    const size_t presentBytes = present * bytesPerValue;
    uint8_t* base = buffer.data();
    for (size_t done = 0; done < presentBytes; done += kFitsBlockSize) {
        const size_t n = std::min(kFitsBlockSize, presentBytes - done);
        FitsValuesToStore(base + dataStart + done, n / bytesPerValue, bitpix, base + done);
        // Once a step: blocks of 2880 bytes never land exactly on a step.
        if (done % kProgressStep < kFitsBlockSize) progress.Done(done);
    }
    // What the file did not hold is 0, not what was left of the file in the buffer.
    std::fill(base + presentBytes, base + std::min(storeBytes, buffer.size()), 0);
    buffer.resize(storeBytes, 0);
    // Do not keep much more memory than the store needs (a file with a large unit after the image).
    if (buffer.capacity() - storeBytes > storeBytes / 4 + (size_t(1) << 20)) buffer.shrink_to_fit();
    return std::move(buffer);
}

void StoreCopy(const uint8_t* data, size_t present, int32_t bitpix, std::vector<uint8_t>& store,
               size_t storeBytes, TLoadProgress& progress) {
    ResizeLargeBuffer(store, storeBytes);
    const size_t inBytes = size_t(FitsBytesPerValue(bitpix));
    const size_t outBytes = size_t(BytesPerPixel(FitsPixelType(bitpix)));
    const size_t step = kProgressStep / inBytes;
    for (size_t done = 0; done < present; done += step) {
        const size_t n = std::min(step, present - done);
        FitsValuesToStore(data + done * inBytes, n, bitpix, store.data() + done * outBytes);
        progress.Done(done * inBytes);
    }
}

TLoadResult Decode(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                   TDocumentHost& host, std::vector<uint8_t>* owned) {
    const size_t size = file.size();
    TMemoryWalk walk(file);
    bool fromExtension = false;
    TFitsHeaderUnit unit = FindFitsImage(walk, fromExtension);
    const uint64_t p = walk.HeaderStart() + unit.End;
    const bool ended = unit.Ended;
    AdoptFitsHeader(doc, std::move(unit));
    const int32_t planes = FitsColourPlanes(doc.Header, doc.OtherCards);
    if (!AcceptFitsImage(doc, ended, fileName, host, 2 * uint64_t(size) + kFitsShortDataAllowance, planes))
        return TLoadResult::Refused;

    const TFitsHeader& h = doc.Header;
    const int bytesPerValue = FitsBytesPerValue(h.Bitpix);
    const uint64_t count = uint64_t(h.Naxis1) * uint64_t(h.Naxis2) * uint64_t(planes);
    const uint64_t dataBytes = count * uint64_t(bytesPerValue);
    // The data start on the block after END. A whole block of blanks right after an END
    // that closes a block is skipped when the data still fit after it: older files have it.
    uint64_t dataStart = (p + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
    if (p % kFitsBlockSize == 0 && uint64_t(size) >= p + kFitsBlockSize + dataBytes &&
        AllBlanks(file.subspan(static_cast<size_t>(p), kFitsBlockSize)))
        dataStart += kFitsBlockSize;

    // Values past the end of a short file stay 0, but a colour image shows no made-up plane.
    const uint64_t available = dataStart < size ? size - dataStart : 0;
    const size_t present =
        static_cast<size_t>(std::min<uint64_t>(count, available / uint64_t(bytesPerValue)));
    if (planes > 1 && present < count) return RefuseColourPlanes(doc, fileName, host);
    AdoptFitsImage(doc, fileName);
    TLoadProgress progress(host, fileName, dataBytes, dataBytes >= kLargeDataBytes);
    const size_t storeBytes = static_cast<size_t>(count) * static_cast<size_t>(BytesPerPixel(doc.PixelType));
    doc.TrailingBytes.clear();
    // An image read from an extension is saved as a file of one HDU: nothing after it is kept.
    const uint64_t dataEnd = dataStart + dataBytes;
    if (!fromExtension && dataEnd < size)
        doc.TrailingBytes.assign(file.begin() + static_cast<ptrdiff_t>(dataEnd), file.end());

    doc.PixelStore.clear();
    if (owned && present > 0 && bytesPerValue == BytesPerPixel(doc.PixelType)) {
        doc.PixelStore = StoreInPlace(std::move(*owned), static_cast<size_t>(dataStart), present, h.Bitpix,
                                      storeBytes, progress);
    } else {
        StoreCopy(file.data() + dataStart, present, h.Bitpix, doc.PixelStore, storeBytes, progress);
    }
    AdoptFitsColour(doc, host, planes);
    return FinishLoad(doc);
}

TLoadResult DecodeOrClear(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                          TDocumentHost& host, std::vector<uint8_t>* owned) {
    try {
        return Decode(doc, file, fileName, host, owned);
    } catch (...) {
        doc.Clear(); // a bad card value leaves the window open and empty
        throw;
    }
}

} // namespace

TLoadResult LoadFitsFromBytes(TImageDocument& doc, std::span<const uint8_t> file, const std::string& fileName,
                              TDocumentHost& host) {
    return DecodeOrClear(doc, file, fileName, host, nullptr);
}

TLoadResult LoadFitsFromBuffer(TImageDocument& doc, std::vector<uint8_t>&& file, const std::string& fileName,
                               TDocumentHost& host) {
    std::vector<uint8_t> owned = std::move(file);
    const std::span<const uint8_t> bytes(owned);
    return DecodeOrClear(doc, bytes, fileName, host, &owned);
}

TLoadResult LoadFits(TImageDocument& doc, const std::string& fileName, TDocumentHost& host, uint32_t frame) {
    // A cube is read a plane at a time from the file, never whole.
    if (const auto cube = LoadFitsCube(doc, OpenFileSource(fileName), fileName, host, frame)) return *cube;
    return LoadFitsFromBuffer(doc, ReadWholeFile(fileName), fileName, host);
}

} // namespace orv
