#include "core/formats/fits_tiles_reader.h"

#include "core/base/errors.h"
#include "core/base/file_io.h"
#include "core/formats/cfitsio_library.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_colour.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/fits_tiles_check.h"
#include "core/formats/gzip_stream.h"
#include "core/formats/load_progress.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <cstdlib>

namespace orv {

namespace {

// Values read from CFITSIO at a time.
constexpr uint64_t kPieceValues = uint64_t(1) << 20;

// A CFITSIO failure: what the file lacks, in French.
class ETilesError : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

void Check(int status, const char* what) {
    if (status != 0) throw ETilesError(what);
}

// A CFITSIO file in memory, closed with its owner: the file's bytes, read by us (CFITSIO never
// opens the file itself, so it reads nothing but what we hold), or, without bytes, an empty
// one for the header CFITSIO rebuilds from a compressed image.
class TCfitsioFile {
  public:
    explicit TCfitsioFile(std::span<const uint8_t> file = {}) {
        int status = 0;
        if (file.data()) {
            // Read only: CFITSIO neither writes to the bytes nor moves them.
            memory_ = const_cast<uint8_t*>(file.data());
            size_ = file.size();
            Cfitsio().OpenMemFile(&file_, "orvanel.fits", READONLY, &memory_, &size_, 0, nullptr, &status);
            if (status != 0) {
                file_ = nullptr;
                throw ETilesError("ce n'est pas un fichier FITS");
            }
            return;
        }
        memory_ = nullptr;
        owned_ = true;
        Cfitsio().CreateMemFile(&file_, &memory_, &size_, 2880, std::realloc, &status);
        if (status != 0) {
            file_ = nullptr;
            throw ETilesError("mémoire insuffisante");
        }
    }
    ~TCfitsioFile() {
        int status = 0;
        if (file_) Cfitsio().CloseFile(file_, &status);
        if (owned_) std::free(memory_);
    }
    TCfitsioFile(const TCfitsioFile&) = delete;
    TCfitsioFile& operator=(const TCfitsioFile&) = delete;
    fitsfile* Get() const { return file_; }

  private:
    fitsfile* file_ = nullptr;
    // CFITSIO keeps the addresses of these two for as long as the file is open.
    void* memory_ = nullptr;
    size_t size_ = 0;
    bool owned_ = false;
};

// Moves to the first HDU that holds an image (a compressed one counts); false when none does.
bool MoveToImage(fitsfile* f) {
    int count = 0, status = 0;
    Check(Cfitsio().GetNumHdus(f, &count, &status), "structure du fichier illisible");
    for (int hdu = 1; hdu <= count; ++hdu) {
        int type = 0, naxis = 0;
        Check(Cfitsio().MoveAbsHdu(f, hdu, &type, &status), "structure du fichier illisible");
        if (type != IMAGE_HDU) continue;
        Check(Cfitsio().GetImgDim(f, &naxis, &status), "en-tête d'image illisible");
        if (naxis > 0) return true;
    }
    // CFITSIO counts only the HDUs it could reach: one it refuses (a compressed image whose
    // header announces more tiles than its table holds) makes the file corrupt, not imageless.
    if (Cfitsio().MoveAbsHdu(f, count + 1, nullptr, &status) != END_OF_FILE)
        throw ETilesError("structure du fichier illisible");
    status = 0;
    Check(Cfitsio().MoveAbsHdu(f, 1, nullptr, &status), "structure du fichier illisible");
    return false;
}

// The current HDU's cards as a header block run ending in END.
std::vector<uint8_t> HeaderBytes(fitsfile* f) {
    int keys = 0, status = 0;
    Check(Cfitsio().GetHdrSpace(f, &keys, nullptr, &status), "en-tête illisible");
    std::vector<uint8_t> bytes;
    char card[FLEN_CARD];
    auto append = [&](std::string text) {
        text.resize(kFitsCardSize, ' ');
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    for (int i = 1; i <= keys; ++i) {
        Check(Cfitsio().ReadRecord(f, i, card, &status), "en-tête illisible");
        append(card);
    }
    append("END");
    bytes.resize((bytes.size() + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize, ' ');
    return bytes;
}

// The image's header as a file of one HDU would have it: a compressed image's is rebuilt.
TFitsHeaderUnit ImageHeader(fitsfile* f) {
    int status = 0;
    std::vector<uint8_t> bytes;
    if (Cfitsio().IsCompressedImage(f, &status)) {
        TCfitsioFile plain;
        Check(Cfitsio().ImgDecompressHeader(f, plain.Get(), &status), "en-tête compressé illisible");
        bytes = HeaderBytes(plain.Get());
    } else {
        bytes = HeaderBytes(f);
    }
    TFitsHeaderUnit unit = ReadFitsHeader(bytes);
    if (IsImageExtension(bytes)) {
        TFitsHeader primary;
        primary.Simple = true;
        AsSingleHduHeader(unit, primary);
    }
    return unit;
}

int CfitsioType(int32_t bitpix) {
    switch (bitpix) {
    case 8:
    case 16:
        return TSHORT;
    case 32:
        return TINT;
    case -32:
        return TFLOAT;
    default:
        return TDOUBLE;
    }
}

TLoadResult Decode(TImageDocument& doc, std::vector<uint8_t>& fileBytes, const std::string& fileName,
                   TDocumentHost& host) {
    const uint64_t size = fileBytes.size();
    const TTilesCheck check = CheckTiles(fileBytes);
    if (check.Problem) throw ETilesError(*check.Problem);
    if (!check.TooLarge.empty())
        return RefuseFits(doc, host,
                          "Le fichier " + ExtractFileName(fileName) +
                              " annonce une image trop grande pour lui (" + check.TooLarge + ") !");
    // CFITSIO takes an empty buffer for a new file: nothing to read is no FITS file.
    if (check.Length == 0) throw ETilesError("ce n'est pas un fichier FITS");
    // CFITSIO reads a file in memory by whole blocks of 2880 bytes, past the end of a buffer
    // that stops inside one: the last block's missing padding is completed with zeros.
    fileBytes.resize((check.Length + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize, 0);
    TCfitsioFile file(fileBytes);
    fitsfile* f = file.Get();
    const bool found = MoveToImage(f);
    TFitsHeaderUnit unit = found ? ImageHeader(f) : ReadFitsHeader(HeaderBytes(f));
    const bool ended = unit.Ended;
    AdoptFitsHeader(doc, std::move(unit));
    if (!AcceptFitsImage(doc, ended, fileName, host, MaxInflatedBytes(size))) return TLoadResult::Refused;
    if (!found)
        return RefuseFits(doc, host,
                          "Le fichier " + ExtractFileName(fileName) + " ne contient aucune image !");

    const TFitsHeader& h = doc.Header;
    const uint64_t count = uint64_t(h.Naxis1) * uint64_t(h.Naxis2);
    AdoptFitsImage(doc, TilesSaveName(fileName));
    TLoadProgress progress(host, fileName, count,
                           count * uint64_t(FitsBytesPerValue(h.Bitpix)) >= kLargeDataBytes / 8);
    ResizeLargeBuffer(doc.PixelStore, static_cast<size_t>(count) * size_t(BytesPerPixel(doc.PixelType)));
    // Raw values, as every reader keeps them: BSCALE and BZERO apply only to what is shown.
    int status = 0;
    Check(Cfitsio().SetBscale(f, 1.0, 0.0, &status), "mise à l'échelle impossible");
    const int type = CfitsioType(h.Bitpix);
    const size_t bytes = size_t(BytesPerPixel(doc.PixelType));
    for (uint64_t done = 0; done < count;) {
        const uint64_t n = std::min(kPieceValues, count - done);
        int anyNull = 0;
        Check(Cfitsio().ReadImg(f, type, LONGLONG(done + 1), LONGLONG(n), nullptr,
                                doc.PixelStore.data() + done * bytes, &anyNull, &status),
              "données compressées incorrectes");
        done += n;
        progress.Done(done);
    }
    doc.TrailingBytes.clear();
    AdoptFitsColour(doc, host, 1);
    return FinishLoad(doc);
}

} // namespace

std::string TilesSaveName(const std::string& fileName) {
    const std::string plain = IsTileCompressedName(fileName) ? WithoutExtension(fileName) : fileName;
    return HasFitsExtension(plain) ? plain : plain + ".fit";
}

TLoadResult LoadFitsTiles(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    std::vector<uint8_t> bytes = ReadWholeFile(fileName);
    try {
        return Decode(doc, bytes, fileName, host);
    } catch (const ETilesError& e) {
        doc.Clear();
        return RefuseFits(doc, host,
                          "Le fichier " + ExtractFileName(fileName) + " est corrompu (" + e.what() + ") !");
    } catch (...) {
        doc.Clear();
        throw;
    }
}

} // namespace orv
