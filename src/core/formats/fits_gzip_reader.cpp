#include "core/formats/fits_gzip_reader.h"

#include "core/base/file_io.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_colour.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/gzip_stream.h"
#include "core/formats/load_progress.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <cstring>

namespace orv {

namespace {

// A header longer than this is no header (a stream of blanks, say).
constexpr size_t kMaxHeaderBytes = size_t(16) << 20;
// Compressed files this large show progress.
constexpr uint64_t kLargeCompressedBytes = uint64_t(4) << 20;
// Bytes inflated at a time into the store.
constexpr size_t kPiece = size_t(1) << 20;

// The uncompressed size a single-member stream records at its end (modulo 2^32).
uint64_t RecordedSize(std::span<const uint8_t> compressed) {
    if (compressed.size() < 18) return 0;
    const uint8_t* p = compressed.data() + compressed.size() - 4;
    return uint64_t(p[0]) | uint64_t(p[1]) << 8 | uint64_t(p[2]) << 16 | uint64_t(p[3]) << 24;
}

class TGzipWalk : public TFitsHduWalk {
  public:
    explicit TGzipWalk(TGzipInflater& in) : in_(in) {}

    std::span<const uint8_t> NextHeader() override {
        header_.clear();
        while (header_.size() < kMaxHeaderBytes) {
            const size_t at = header_.size();
            header_.resize(at + kFitsBlockSize);
            const size_t got = in_.Read(header_.data() + at, kFitsBlockSize);
            header_.resize(at + got);
            if (got < kFitsBlockSize || FitsHeaderLength(header_) != 0) break;
        }
        position_ += header_.size();
        return header_;
    }
    bool SkipData(uint64_t paddedBytes) override {
        position_ += paddedBytes;
        return in_.Skip(paddedBytes);
    }
    // Inflated bytes so far.
    uint64_t Position() const { return position_; }

  private:
    TGzipInflater& in_;
    std::vector<uint8_t> header_;
    uint64_t position_ = 0;
};

// Fills the store from the stream; values past its end stay 0. Gives the values the stream held.
size_t InflateStore(TGzipInflater& in, std::vector<uint8_t> pending, int32_t bitpix, uint64_t count,
                    std::vector<uint8_t>& store, TLoadProgress& progress) {
    const size_t inBytes = size_t(FitsBytesPerValue(bitpix));
    const size_t outBytes = size_t(BytesPerPixel(FitsPixelType(bitpix)));
    ResizeLargeBuffer(store, static_cast<size_t>(count) * outBytes);
    // 8-bit values go through a piece of their own, the others are swapped where they land.
    std::vector<uint8_t> narrow(inBytes == outBytes ? 0 : kPiece);
    const size_t piece = kPiece / inBytes * inBytes;
    size_t values = 0;
    while (values < count) {
        const size_t want =
            static_cast<size_t>(std::min<uint64_t>(piece / inBytes, count - values)) * inBytes;
        uint8_t* target = narrow.empty() ? store.data() + values * outBytes : narrow.data();
        const size_t first = std::min(pending.size(), want);
        // An empty pending buffer may have no storage: memcpy must not see its null pointer.
        if (first > 0) std::memcpy(target, pending.data(), first);
        pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(first));
        const size_t got = first + in.Read(target + first, want - first);
        const size_t whole = got / inBytes;
        FitsValuesToStore(target, whole, bitpix, store.data() + values * outBytes);
        values += whole;
        progress.Done(in.Consumed());
        if (got < want) {
            // A short stream: the rest of the store stays 0, as for a short plain file.
            std::fill(store.begin() + static_cast<ptrdiff_t>(values * outBytes), store.end(), 0);
            break;
        }
    }
    return values;
}

std::vector<uint8_t> InflateRest(TGzipInflater& in) {
    std::vector<uint8_t> rest;
    for (;;) {
        const size_t at = rest.size();
        rest.resize(at + kPiece);
        const size_t got = in.Read(rest.data() + at, kPiece);
        rest.resize(at + got);
        if (got < kPiece) return rest;
    }
}

TLoadResult Decode(TImageDocument& doc, std::span<const uint8_t> compressed, const std::string& fileName,
                   TDocumentHost& host) {
    if (!LooksLikeGzip(compressed)) throw EGzipError("données gzip incorrectes");
    TGzipInflater in(compressed);
    TGzipWalk walk(in);
    bool fromExtension = false;
    TFitsHeaderUnit unit = FindFitsImage(walk, fromExtension);
    const bool ended = unit.Ended;
    const uint64_t headerEnd = walk.Position(); // the block after END
    const bool endClosesBlock = unit.End % kFitsBlockSize == 0;
    AdoptFitsHeader(doc, std::move(unit));
    const int32_t planes = FitsColourPlanes(doc.Header, doc.OtherCards);
    if (!AcceptFitsImage(doc, ended, fileName, host, MaxInflatedBytes(compressed.size()), planes))
        return TLoadResult::Refused;

    const TFitsHeader& h = doc.Header;
    const uint64_t count = uint64_t(h.Naxis1) * uint64_t(h.Naxis2) * uint64_t(planes);
    const uint64_t dataBytes = count * uint64_t(FitsBytesPerValue(h.Bitpix));
    // Older files put a block of blanks after an END that closes a block: skipped when the
    // data still fit after it, by the size the stream records.
    std::vector<uint8_t> pending;
    if (endClosesBlock) {
        pending.resize(kFitsBlockSize);
        pending.resize(in.Read(pending.data(), kFitsBlockSize));
        if (pending.size() == kFitsBlockSize &&
            std::all_of(pending.begin(), pending.end(), [](uint8_t b) { return b == ' '; }) &&
            RecordedSize(compressed) >= headerEnd + kFitsBlockSize + dataBytes)
            pending.clear();
    }

    AdoptFitsImage(doc, fileName);
    TLoadProgress progress(host, fileName, compressed.size(),
                           compressed.size() >= kLargeCompressedBytes || dataBytes >= kLargeDataBytes);
    const size_t present = InflateStore(in, std::move(pending), h.Bitpix, count, doc.PixelStore, progress);
    // A colour image shows no made-up plane.
    if (planes > 1 && present < count) return RefuseColourPlanes(doc, fileName, host);
    // An image read from an extension is saved as a file of one HDU: nothing after it is kept.
    doc.TrailingBytes.clear();
    if (!fromExtension) doc.TrailingBytes = InflateRest(in);
    AdoptFitsColour(doc, host, planes);
    return FinishLoad(doc);
}

} // namespace

TLoadResult LoadFitsGzipFromBytes(TImageDocument& doc, std::span<const uint8_t> compressed,
                                  const std::string& fileName, TDocumentHost& host) {
    try {
        return Decode(doc, compressed, fileName, host);
    } catch (const EGzipError& e) {
        doc.Clear();
        return RefuseFits(doc, host,
                          "Le fichier " + ExtractFileName(fileName) + " est corrompu (" + e.what() + ") !");
    } catch (...) {
        doc.Clear(); // a bad card value leaves the window open and empty
        throw;
    }
}

TLoadResult LoadFitsGzip(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return LoadFitsGzipFromBytes(doc, ReadWholeFile(fileName), fileName, host);
}

} // namespace orv
