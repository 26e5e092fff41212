#include "core/formats/xisf_reader.h"

#include "core/formats/block_codec.h"
#include "core/formats/fits_card.h"
#include "core/formats/fits_data.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/header_text.h"
#include "core/formats/pixel_data.h"
#include "core/formats/xml_elements.h"
#include "core/text/path_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orv {

namespace {

constexpr size_t kPreambleSize = 16;
constexpr size_t kReadPiece = size_t(1) << 20;

// A refusal on its way to the message box.
class ERefusal : public EOrvanelError {
  public:
    using EOrvanelError::EOrvanelError;
};

// How samples become stored values.
enum class TStored {
    Widened,  // 8-bit samples as 16-bit values
    Unsigned, // less 2^(bits-1), as FITS stores unsigned integers
    AsIs,     // real samples
};

struct TSampleFormat {
    std::string_view Name;
    int Bytes;
    uint8_t PixelType;
    TStored Stored;
};
constexpr TSampleFormat kSampleFormats[] = {
    {"UInt8", 1, kPixelInt16, TStored::Widened},   {"UInt16", 2, kPixelInt16, TStored::Unsigned},
    {"UInt32", 4, kPixelInt32, TStored::Unsigned}, {"Float32", 4, kPixelReal32, TStored::AsIs},
    {"Float64", 8, kPixelReal64, TStored::AsIs},
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::optional<uint64_t> Whole(const std::string& text) {
    uint64_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v;
}

std::optional<double> Real(const std::string& text) {
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// What the Image element says, checked.
struct TXisfImage {
    uint32_t Width = 0, Height = 0, Channels = 1;
    uint32_t Planes = 1; // the channels read: 3 for an RGB image (red, green, blue), else the first
    const TSampleFormat* Format = nullptr;
    bool Planar = true, BigEndian = false;
    uint64_t Position = 0, Size = 0; // the block in the file
    uint64_t Bytes = 0;              // the samples of every channel
    std::optional<TBlockCodec> Codec;
    size_t ShuffleItem = 0;                               // 0: not shuffled
    std::vector<std::pair<uint64_t, uint64_t>> Subblocks; // compressed, inflated
    std::optional<std::pair<double, double>> Bounds;
};

TXisfImage ReadImageElement(const TXmlElement& e, uint64_t fileSize, const std::string& name) {
    TXisfImage image;
    const std::string geometry = e.Attribute("geometry").value_or("");
    const std::vector<std::string> axes = Split(geometry, ':');
    std::vector<uint64_t> sizes;
    for (const std::string& a : axes)
        sizes.push_back(Whole(a).value_or(0));
    if (sizes.size() != 3 || std::count(sizes.begin(), sizes.end(), 0) > 0 ||
        *std::max_element(sizes.begin(), sizes.end()) > uint64_t(INT32_MAX))
        throw ERefusal(name + " a des dimensions d'image incorrectes (" + geometry + ") !");
    image.Width = uint32_t(sizes[0]);
    image.Height = uint32_t(sizes[1]);
    image.Channels = uint32_t(sizes[2]);

    const std::string format = e.Attribute("sampleFormat").value_or("");
    for (const TSampleFormat& f : kSampleFormats)
        if (f.Name == format) image.Format = &f;
    if (!image.Format)
        throw ERefusal(name + " a un format d'échantillons non pris en charge (" + format + ") !");

    const std::string space = e.Attribute("colorSpace").value_or("Gray");
    if (space == "RGB" && image.Channels != 3)
        throw ERefusal(name + " a des dimensions d'image incorrectes (" + geometry + ") !");
    if (space == "RGB") image.Planes = 3;
    if (space != "Gray" && space != "RGB")
        throw ERefusal(name + " a un espace de couleurs non pris en charge (" + space + ") !");

    const std::string storage = e.Attribute("pixelStorage").value_or("Planar");
    if (storage != "Planar" && storage != "Normal")
        throw ERefusal(name + " a un rangement des pixels inconnu (" + storage + ") !");
    image.Planar = storage == "Planar";
    const std::string order = e.Attribute("byteOrder").value_or("little");
    if (order != "little" && order != "big")
        throw ERefusal(name + " a un ordre des octets inconnu (" + order + ") !");
    image.BigEndian = order == "big";

    const std::string size = std::to_string(image.Width) + "x" + std::to_string(image.Height);
    const uint64_t pixels = uint64_t(image.Width) * image.Height;
    if (pixels > kFitsMaxPixels || image.Channels > 4096)
        throw ERefusal(name + " annonce une image trop grande pour lui (" + size + ") !");
    image.Bytes = pixels * image.Channels * uint64_t(image.Format->Bytes);

    const std::string location = e.Attribute("location").value_or("");
    const std::vector<std::string> place = Split(location, ':');
    if (place.empty() || place[0] != "attachment")
        throw ERefusal(name + " place ses données d'une façon non prise en charge (" + place[0] + ") !");
    const auto position = place.size() == 3 ? Whole(place[1]) : std::nullopt;
    const auto bytes = place.size() == 3 ? Whole(place[2]) : std::nullopt;
    if (!position || !bytes || *position > fileSize || *bytes > fileSize - *position)
        throw ERefusal(name + " annonce des données au-delà de sa fin (" + location + ") !");
    image.Position = *position;
    image.Size = *bytes;

    if (const auto compression = e.Attribute("compression")) {
        const std::vector<std::string> parts = Split(*compression, ':');
        std::string codec = parts[0];
        const bool shuffled = codec.ends_with("+sh");
        if (shuffled) codec.resize(codec.size() - 3);
        image.Codec = BlockCodecNamed(codec);
        if (!image.Codec) throw ERefusal(name + " utilise une compression inconnue (" + parts[0] + ") !");
        const uint64_t inflated = parts.size() >= 2 ? Whole(parts[1]).value_or(0) : 0;
        const uint64_t item = parts.size() == 3 ? Whole(parts[2]).value_or(0) : 0;
        if (inflated == 0 || parts.size() != (shuffled ? 3u : 2u) || (shuffled && (item == 0 || item > 16)))
            throw ERefusal(name + " a un attribut de compression incorrect (" + *compression + ") !");
        if (inflated != image.Bytes)
            throw ERefusal(name + " annonce une taille décompressée incorrecte (" + std::to_string(inflated) +
                           " octets au lieu de " + std::to_string(image.Bytes) + ") !");
        image.ShuffleItem = shuffled ? size_t(item) : 0;
        if (const auto subblocks = e.Attribute("subblocks")) {
            uint64_t compressedSum = 0, inflatedSum = 0;
            for (const std::string& s : Split(*subblocks, ':')) {
                const std::vector<std::string> pair = Split(s, ',');
                const auto c = pair.size() == 2 ? Whole(pair[0]) : std::nullopt;
                const auto u = pair.size() == 2 ? Whole(pair[1]) : std::nullopt;
                if (!c || !u || *c > image.Size || *u > image.Bytes ||
                    *u > MostInflatedBytes(*image.Codec, *c))
                    throw ERefusal(name + " a des sous-blocs incorrects (" + *subblocks + ") !");
                compressedSum += *c;
                inflatedSum += *u;
                image.Subblocks.emplace_back(*c, *u);
            }
            if (compressedSum != image.Size || inflatedSum != image.Bytes)
                throw ERefusal(name + " a des sous-blocs incorrects (" + *subblocks + ") !");
        } else {
            if (image.Bytes > MostInflatedBytes(*image.Codec, image.Size))
                throw ERefusal(name + " annonce une image trop grande pour lui (" + size + ") !");
            image.Subblocks.emplace_back(image.Size, image.Bytes);
        }
    } else if (image.Size < image.Bytes) {
        throw ERefusal(name + " annonce une image trop grande pour lui (" + size + ") !");
    }

    if (image.Format->Stored == TStored::AsIs) {
        const std::vector<std::string> bounds = Split(e.Attribute("bounds").value_or(""), ':');
        const auto low = bounds.size() == 2 ? Real(bounds[0]) : std::nullopt;
        const auto high = bounds.size() == 2 ? Real(bounds[1]) : std::nullopt;
        if (low && high && *low < *high) image.Bounds = std::make_pair(*low, *high);
    }
    return image;
}

// count samples of one channel, `stride` bytes apart, into stored values at out.
void ConvertSamples(const uint8_t* in, size_t count, size_t stride, const TXisfImage& image, uint8_t* out) {
    const int bytes = image.Format->Bytes;
    for (size_t i = 0; i < count; ++i, in += stride) {
        uint8_t v[8];
        for (int b = 0; b < bytes; ++b)
            v[b] = in[image.BigEndian ? bytes - 1 - b : b];
        switch (image.Format->Stored) {
        case TStored::Widened: {
            const int16_t s = v[0];
            std::memcpy(out + 2 * i, &s, 2);
            break;
        }
        case TStored::Unsigned:
            v[bytes - 1] ^= 0x80; // the sign bit flipped: the sample less 2^(bits-1)
            std::memcpy(out + size_t(bytes) * i, v, size_t(bytes));
            break;
        case TStored::AsIs:
            std::memcpy(out + size_t(bytes) * i, v, size_t(bytes));
            break;
        }
    }
}

// The rows of one channel, top row first in `samples` (that channel's own rows when planar, every
// channel's side by side otherwise), into the channel's plane of the store, bottom row first.
void StoreRows(const uint8_t* samples, const TXisfImage& image, uint32_t channel, uint8_t* plane) {
    const size_t sample = size_t(image.Format->Bytes);
    const size_t stride = image.Planar ? sample : sample * image.Channels;
    const uint8_t* first = samples + (image.Planar ? 0 : channel * sample);
    const size_t out = size_t(BytesPerPixel(image.Format->PixelType));
    for (size_t y = 0; y < image.Height; ++y)
        ConvertSamples(first + y * image.Width * stride, image.Width, stride, image,
                       plane + (image.Height - 1 - y) * image.Width * out);
}

// Bytes of one channel's samples (planar) and of one plane of the store.
size_t ChannelBytes(const TXisfImage& image) {
    return size_t(image.Width) * image.Height * size_t(image.Format->Bytes);
}
size_t PlaneBytes(const TXisfImage& image) {
    return size_t(image.Width) * image.Height * size_t(BytesPerPixel(image.Format->PixelType));
}

// Uncompressed samples read a piece of rows at a time.
void ReadPlain(const TByteSource& source, const TXisfImage& image, uint8_t* store) {
    const size_t sample = size_t(image.Format->Bytes);
    const size_t rowBytes = image.Planar ? image.Width * sample : image.Width * sample * image.Channels;
    const size_t rowsAtOnce = std::max<size_t>(1, kReadPiece / rowBytes);
    std::vector<uint8_t> piece(std::min<size_t>(image.Height, rowsAtOnce) * rowBytes);
    const size_t out = size_t(BytesPerPixel(image.Format->PixelType));
    TXisfImage rows = image;
    for (uint32_t channel = 0; channel < image.Planes; ++channel) {
        const uint64_t start = image.Position + (image.Planar ? channel * ChannelBytes(image) : 0);
        uint8_t* plane = store + channel * PlaneBytes(image);
        for (size_t y = 0; y < image.Height; y += rowsAtOnce) {
            rows.Height = uint32_t(std::min<size_t>(rowsAtOnce, image.Height - y));
            source.ReadExactly(start + y * rowBytes,
                               std::span<uint8_t>(piece.data(), rows.Height * rowBytes));
            StoreRows(piece.data(), rows, channel,
                      plane + (image.Height - y - rows.Height) * image.Width * out);
        }
    }
}

// Compressed samples inflated (and unshuffled) whole, then stored.
void ReadCompressed(const TByteSource& source, const TXisfImage& image, uint8_t* store,
                    const std::string& name) {
    const std::vector<uint8_t> compressed = source.Read(image.Position, size_t(image.Size));
    std::vector<uint8_t> samples(size_t(image.Bytes));
    size_t in = 0, out = 0;
    try {
        for (const auto& [c, u] : image.Subblocks) {
            InflateBlock(*image.Codec, std::span(compressed).subspan(in, size_t(c)),
                         std::span(samples).subspan(out, size_t(u)));
            in += size_t(c);
            out += size_t(u);
        }
    } catch (const EBlockError& e) {
        throw ERefusal(name + " est corrompu (" + e.what() + ") !");
    }
    if (image.ShuffleItem > 1) {
        std::vector<uint8_t> ordered(samples.size());
        UnshuffleBytes(samples, image.ShuffleItem, ordered);
        samples.swap(ordered);
    }
    for (uint32_t channel = 0; channel < image.Planes; ++channel)
        StoreRows(samples.data() + (image.Planar ? channel * ChannelBytes(image) : 0), image, channel,
                  store + channel * PlaneBytes(image));
}

// The image's FITSKeyword elements as 80-character cards, then END.
std::vector<uint8_t> KeywordCards(const std::vector<TXmlElement>& elements, size_t image) {
    std::string cards;
    for (size_t i = image + 1; i < elements.size(); ++i) {
        const TXmlElement& e = elements[i];
        if (e.Parent != int64_t(image) || e.Name != "FITSKeyword") continue;
        const std::string keyword = CardSafeText(e.Attribute("name").value_or(""));
        if (keyword.empty() || keyword.size() > kFitsKeywordSize || !IsFitsKeyword(keyword) ||
            keyword == "END")
            continue;
        std::string value = e.Attribute("value").value_or("");
        for (char& c : value)
            if (c < 0x20 || c > 0x7E) c = '?';
        value = TrimBlanks(value);
        // A string left open is closed where the attribute ends.
        if (!value.empty() && value[0] == '\'' && (value.size() == 1 || value.back() != '\'')) value += '\'';
        std::string comment = e.Attribute("comment").value_or("");
        for (char& c : comment)
            if (c < 0x20 || c > 0x7E) c = '?';
        comment = TrimBlanks(comment);
        const bool commentary = keyword == "COMMENT" || keyword == "HISTORY" || value.empty();
        std::string card = FitsKeyword(keyword);
        if (commentary)
            card += comment.empty() ? value : comment;
        else
            card += "= " + value + (comment.empty() ? "" : " / " + comment);
        cards += FitsPaddedCard(card);
    }
    cards += FitsPaddedCard("END");
    return std::vector<uint8_t>(cards.begin(), cards.end());
}

// The header record: the file's keywords, then what the image itself says.
void FillHeader(TImageDocument& doc, const TXisfImage& image, TFitsHeaderUnit&& unit) {
    AdoptFitsHeader(doc, std::move(unit));
    TFitsHeader& h = doc.Header;
    // Structure belongs to the image itself; and the rows are turned bottom row first as they
    // are read, so the row order a camera's FITS file gave no longer applies.
    std::erase_if(doc.OtherCards, [](const std::string& card) {
        return card.starts_with("XTENSION") || card.starts_with("PCOUNT  ") || card.starts_with("GCOUNT  ") ||
               card.starts_with("ROWORDER");
    });
    h.Simple = true;
    h.Bitpix = FitsBitpixFor(image.Format->PixelType);
    h.Naxis = 2;
    h.Naxis1 = int32_t(image.Width);
    h.Naxis2 = int32_t(image.Height);
    h.Naxis3 = h.Naxis4 = 0;
    if (image.Planes == 3) { // saved as a colour cube
        h.Naxis = 3;
        h.Naxis3 = 3;
    }
    h.BScale = 1;
    h.BZero = image.Format->Name == "UInt16" ? 32768.0 : image.Format->Name == "UInt32" ? 2147483648.0 : 0.0;
}

void Thresholds(TImageDocument& doc, const TXisfImage& image, bool fromKeywords) {
    if (fromKeywords) {
        doc.HighThreshold = doc.Header.ThreshHigh;
        doc.LowThreshold = doc.Header.ThreshLow;
        return;
    }
    // The samples' whole range: that of the format, or the bounds of real samples.
    const std::string_view f = image.Format->Name;
    if (f == "UInt8") {
        doc.LowThreshold = 0, doc.HighThreshold = 255;
    } else if (f == "UInt16") {
        doc.LowThreshold = -32768, doc.HighThreshold = 32767;
    } else if (f == "UInt32") {
        doc.LowThreshold = INT32_MIN, doc.HighThreshold = INT32_MAX;
    } else {
        doc.LowThreshold = image.Bounds ? image.Bounds->first : 0.0;
        doc.HighThreshold = image.Bounds ? image.Bounds->second : 1.0;
    }
}

TLoadResult Load(TImageDocument& doc, const TByteSource& source, const std::string& fileName) {
    const std::string name = "Le fichier " + ExtractFileName(fileName);
    uint8_t preamble[kPreambleSize];
    if (!source.ReadExactly(0, preamble) || std::memcmp(preamble, "XISF0100", 8) != 0)
        throw ERefusal(name + " n'est pas un fichier XISF !");
    const uint64_t headerLength = uint32_t(ReadI32(preamble, 8));
    if (headerLength > source.Size() - kPreambleSize)
        throw ERefusal(name + " est corrompu (en-tête XISF incomplet) !");
    const std::vector<uint8_t> header = source.Read(kPreambleSize, size_t(headerLength));
    std::vector<TXmlElement> elements;
    try {
        elements =
            ParseXmlElements(std::string_view(reinterpret_cast<const char*>(header.data()), header.size()));
    } catch (const EXmlError& e) {
        throw ERefusal(name + " a un en-tête XISF incorrect (" + e.what() + ") !");
    }
    if (elements[0].Name != "xisf")
        throw ERefusal(name + " a un en-tête XISF incorrect (pas d'élément xisf) !");
    size_t at = 0;
    while (at < elements.size() && !(elements[at].Parent == 0 && elements[at].Name == "Image"))
        ++at;
    if (at == elements.size()) throw ERefusal(name + " ne contient aucune image !");
    const TXisfImage image = ReadImageElement(elements[at], source.Size(), name);

    TFitsHeaderUnit unit = ReadFitsHeader(KeywordCards(elements, at));
    const bool keywordThresholds =
        std::any_of(elements.begin() + std::ptrdiff_t(at) + 1, elements.end(), [&](const TXmlElement& e) {
            const std::string k = e.Attribute("name").value_or("");
            return e.Parent == int64_t(at) && e.Name == "FITSKeyword" &&
                   (k == "THRESH" || k == "THRESL" || k == "MIPS-HI" || k == "MIPS-LO");
        });
    doc.Clear();
    doc.Kind = kKindFits;
    doc.PixelType = image.Format->PixelType;
    doc.ImageWidth = int32_t(image.Width);
    doc.ImageHeight = int32_t(image.Height);
    FillHeader(doc, image, std::move(unit));
    Thresholds(doc, image, keywordThresholds);
    doc.FileName = WithoutExtension(fileName) + ".fit";
    doc.Colour.Planes = int32_t(image.Planes);
    doc.PixelStore.assign(PlaneBytes(image) * image.Planes, 0);
    if (image.Codec)
        ReadCompressed(source, image, doc.PixelStore.data(), name);
    else
        ReadPlain(source, image, doc.PixelStore.data());
    return FinishLoad(doc);
}

} // namespace

TLoadResult LoadXisfFromSource(TImageDocument& doc, const TByteSource& source, const std::string& fileName,
                               TDocumentHost& host) {
    try {
        return Load(doc, source, fileName);
    } catch (const ERefusal& e) {
        return RefuseFits(doc, host, e.what());
    } catch (...) {
        doc.Clear();
        throw;
    }
}

TLoadResult LoadXisf(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return LoadXisfFromSource(doc, *OpenFileSource(fileName), fileName, host);
}

} // namespace orv
