#include "core/formats/fits_tiles_check.h"

#include "core/formats/fits_card.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace orv {

namespace {

// CFITSIO decodes images of at most this many axes.
constexpr int64_t kMaxTileAxes = 6;

std::string_view CardAt(std::span<const uint8_t> bytes, size_t card) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()) + card * kFitsCardSize,
                            kFitsCardSize);
}

// One HDU's header: its cards up to END, looked up as CFITSIO does (the first card of a name).
class THeader {
  public:
    // Nothing when the bytes hold no END card.
    static std::optional<THeader> At(std::span<const uint8_t> bytes) {
        THeader h;
        for (size_t k = 0; (k + 1) * kFitsCardSize <= bytes.size(); ++k) {
            const std::string_view card = CardAt(bytes, k);
            if (card.starts_with("END     ")) {
                h.length_ = (k * kFitsCardSize / kFitsBlockSize + 1) * kFitsBlockSize;
                return h;
            }
            h.cards_.push_back(card);
        }
        return std::nullopt;
    }

    // Bytes of the header, to the end of the block that holds END.
    size_t Length() const { return length_; }
    size_t Count() const { return cards_.size(); }

    std::string Name(size_t k) const {
        return k < cards_.size() ? TrimBlanks(cards_[k].substr(0, kFitsKeywordSize)) : std::string();
    }
    std::optional<TCardText> Value(const std::string& name) const {
        for (size_t k = 0; k < cards_.size(); ++k)
            if (Name(k) == name) return ValueAt(k);
        return std::nullopt;
    }
    TCardText ValueAt(size_t k) const { return ParseCardRest(cards_[k].substr(kFitsKeywordSize)); }

  private:
    std::vector<std::string_view> cards_;
    size_t length_ = 0;
};

// A whole number; a real is cut toward zero, as CFITSIO reads a real card into an integer.
std::optional<int64_t> Integer(const std::optional<TCardText>& card) {
    if (!card || card->Quoted) return std::nullopt;
    const std::string& v = card->Value;
    const char* begin = v.data() + (v.starts_with('+') ? 1 : 0);
    const char* last = v.data() + v.size();
    int64_t n = 0;
    if (const auto [end, error] = std::from_chars(begin, last, n); error == std::errc() && end == last)
        return n;
    double real = 0;
    const auto [end, error] = std::from_chars(begin, last, real);
    if (error != std::errc() || end != last || !(std::fabs(real) < 4e18)) return std::nullopt;
    return int64_t(real);
}

std::optional<int64_t> IntegerAt(const THeader& h, size_t k, const char* name) {
    if (h.Name(k) != name) return std::nullopt;
    return Integer(h.ValueAt(k));
}

// The sizes CFITSIO reads from the required cards in their places.
struct TDataUnit {
    int64_t Bitpix = 0;
    std::vector<int64_t> Axes;
    int64_t Pcount = 0, Gcount = 1;
    uint64_t Bytes = 0; // without the padding
};

std::optional<TDataUnit> DataUnitOf(const THeader& h) {
    TDataUnit u;
    const bool extension = h.Name(0) == "XTENSION";
    if (!extension && h.Name(0) != "SIMPLE") return std::nullopt;
    const auto bitpix = IntegerAt(h, 1, "BITPIX");
    const auto naxis = IntegerAt(h, 2, "NAXIS");
    if (!bitpix || !naxis || *naxis < 0 || *naxis > 999) return std::nullopt;
    if (*bitpix != 8 && *bitpix != 16 && *bitpix != 32 && *bitpix != 64 && *bitpix != -32 && *bitpix != -64)
        return std::nullopt;
    u.Bitpix = *bitpix;
    for (int64_t i = 0; i < *naxis; ++i) {
        const std::string name = "NAXIS" + std::to_string(i + 1);
        const auto n = IntegerAt(h, size_t(3 + i), name.c_str());
        if (!n || *n < 0) return std::nullopt;
        u.Axes.push_back(*n);
    }
    size_t next = size_t(3 + *naxis);
    if (extension) {
        const auto pcount = IntegerAt(h, next, "PCOUNT");
        const auto gcount = IntegerAt(h, next + 1, "GCOUNT");
        if (!pcount || !gcount || *pcount < 0 || *gcount < 0) return std::nullopt;
        u.Pcount = *pcount;
        u.Gcount = *gcount;
    } else if (!u.Axes.empty() && u.Axes[0] == 0) {
        // Random groups: NAXIS1 is 0, the sizes are PCOUNT and GCOUNT wherever they are.
        u.Pcount = Integer(h.Value("PCOUNT")).value_or(0);
        u.Gcount = Integer(h.Value("GCOUNT")).value_or(1);
        if (u.Pcount < 0 || u.Gcount < 0) return std::nullopt;
    }
    if (u.Axes.empty()) return u;
    uint64_t values = 1;
    for (size_t i = 0; i < u.Axes.size(); ++i)
        if (!(i == 0 && u.Axes[0] == 0 && !extension) &&
            __builtin_mul_overflow(values, uint64_t(u.Axes[i]), &values))
            return std::nullopt;
    if (__builtin_add_overflow(values, uint64_t(u.Pcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(u.Gcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(std::abs(u.Bitpix) / 8), &u.Bytes))
        return std::nullopt;
    return u;
}

// Bytes of a binary table field: repeat count and type letter ("1PB(20)", "8A", "J").
std::optional<uint64_t> FieldBytes(const std::string& form, char& type, char& element) {
    size_t i = 0;
    uint64_t repeat = 0;
    bool digits = false;
    while (i < form.size() && form[i] >= '0' && form[i] <= '9') {
        if (repeat > (uint64_t(1) << 40)) return std::nullopt;
        repeat = repeat * 10 + uint64_t(form[i++] - '0');
        digits = true;
    }
    if (!digits) repeat = 1;
    if (i >= form.size()) return std::nullopt;
    type = form[i];
    element = i + 1 < form.size() ? form[i + 1] : ' ';
    switch (type) {
    case 'L':
    case 'B':
    case 'A':
        return repeat;
    case 'X':
        return (repeat + 7) / 8;
    case 'I':
        return repeat * 2;
    case 'J':
    case 'E':
        return repeat * 4;
    case 'K':
    case 'D':
    case 'C':
        return repeat * 8;
    case 'M':
        return repeat * 16;
    case 'P':
        return repeat ? 8 : 0;
    case 'Q':
        return repeat ? 16 : 0;
    default:
        return std::nullopt;
    }
}

uint64_t BigEndian(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

int ElementBytes(char element) {
    switch (element) {
    case 'I':
        return 2;
    case 'J':
    case 'E':
        return 4;
    case 'K':
    case 'D':
        return 8;
    default:
        return 1;
    }
}

// The Rice parameters of the image: BLOCKSIZE and BYTEPIX among ZNAMEi / ZVALi.
void RiceParameters(const THeader& h, int64_t& blockSize, int64_t& bytesPerValue) {
    blockSize = 32;
    bytesPerValue = 4;
    for (int i = 1; i <= 999; ++i) {
        const auto name = h.Value("ZNAME" + std::to_string(i));
        if (!name) break;
        const auto value = Integer(h.Value("ZVAL" + std::to_string(i)));
        if (name->Value == "BLOCKSIZE" && value) blockSize = *value;
        if (name->Value == "BYTEPIX" && value) bytesPerValue = *value;
    }
}

// The problem of one compressed image's tile table, or nothing. `unit` starts at the table.
std::optional<std::string> TableProblem(const THeader& h, const TDataUnit& table,
                                        std::span<const uint8_t> unit) {
    const std::string unreadable = "table des tuiles illisible";
    if (table.Axes.size() != 2 || table.Bitpix != 8) return unreadable;
    const uint64_t rowBytes = uint64_t(table.Axes[0]), rows = uint64_t(table.Axes[1]);
    const uint64_t tableBytes = rowBytes * rows; // within Bytes, which did not overflow
    const uint64_t heap = Integer(h.Value("THEAP")).value_or(int64_t(tableBytes));
    if (tableBytes > unit.size()) return std::string("fichier tronqué");

    // The column of compressed tiles and where it lies in a row.
    const int64_t fields = Integer(h.Value("TFIELDS")).value_or(0);
    if (fields < 0 || fields > 999) return unreadable;
    uint64_t offset = 0;
    std::optional<uint64_t> column;
    char descriptor = 0, element = 0;
    for (int64_t n = 1; n <= fields; ++n) {
        const auto form = h.Value("TFORM" + std::to_string(n));
        if (!form) return unreadable;
        char type = 0, elem = 0;
        const auto bytes = FieldBytes(form->Value, type, elem);
        if (!bytes) return unreadable;
        const auto name = h.Value("TTYPE" + std::to_string(n));
        if (name && name->Value == "COMPRESSED_DATA") {
            if (type != 'P' && type != 'Q') return unreadable;
            column = offset;
            descriptor = type;
            element = elem;
        }
        offset += *bytes;
        if (offset > rowBytes) return unreadable;
    }
    if (!column) return std::nullopt; // CFITSIO has nothing to decode

    // The tiles: their count and sizes, from the image's axes and the tile axes.
    const int64_t axes = Integer(h.Value("ZNAXIS")).value_or(-1);
    if (axes < 1 || axes > kMaxTileAxes) return std::string("en-tête compressé illisible");
    const size_t axisCount = size_t(axes);
    std::vector<int64_t> size(axisCount), tile(axisCount), count(axisCount);
    uint64_t tiles = 1;
    for (int64_t i = 0; i < axes; ++i) {
        const std::string n = std::to_string(i + 1);
        size[size_t(i)] = Integer(h.Value("ZNAXIS" + n)).value_or(-1);
        tile[size_t(i)] = Integer(h.Value("ZTILE" + n)).value_or(i == 0 ? size[0] : 1);
        if (size[size_t(i)] < 1 || tile[size_t(i)] < 1) return std::string("en-tête compressé illisible");
        count[size_t(i)] = (size[size_t(i)] + tile[size_t(i)] - 1) / tile[size_t(i)];
        if (__builtin_mul_overflow(tiles, uint64_t(count[size_t(i)]), &tiles))
            return std::string("en-tête compressé illisible");
    }
    const auto type = h.Value("ZCMPTYPE");
    const bool rice = type && (type->Value == "RICE_1" || type->Value == "RICE_ONE");
    int64_t blockSize = 0, bytesPerValue = 0;
    RiceParameters(h, blockSize, bytesPerValue);

    const int width = descriptor == 'P' ? 4 : 8;
    for (uint64_t row = 0; row < std::min(rows, tiles); ++row) {
        const uint8_t* d = unit.data() + row * rowBytes + *column;
        const uint64_t elements = BigEndian(d, width), at = BigEndian(d + width, width);
        if (elements == 0) continue;
        const uint64_t bytes = elements * uint64_t(ElementBytes(element));
        if (elements > unit.size() || at > unit.size() || heap > unit.size() ||
            heap + at + bytes > std::min<uint64_t>(unit.size(), tableBytes + uint64_t(table.Pcount)))
            return std::string("tuile hors du fichier");
        if (!rice) continue;
        // The tile's pixels: whole tiles, less at the far edge of each axis.
        uint64_t pixels = 1, index = row;
        for (int64_t i = 0; i < axes; ++i) {
            const int64_t k = int64_t(index % uint64_t(count[size_t(i)]));
            index /= uint64_t(count[size_t(i)]);
            if (__builtin_mul_overflow(
                    pixels, uint64_t(std::min(tile[size_t(i)], size[size_t(i)] - k * tile[size_t(i)])),
                    &pixels))
                pixels = UINT64_MAX;
        }
        if (!RiceTileFits(unit.subspan(size_t(heap + at), size_t(bytes)), pixels, blockSize, bytesPerValue))
            return std::string("tuile Rice incorrecte");
    }
    return std::nullopt;
}

} // namespace

bool RiceTileFits(std::span<const uint8_t> tile, uint64_t pixels, int64_t blockSize, int64_t bytesPerValue) {
    // The decoder's reads, byte for byte: the first value as it is, then for each block its
    // code length, then either nothing (all equal), raw values, or Rice codes.
    const int fsBits = bytesPerValue == 1 ? 3 : bytesPerValue == 2 ? 4 : 5;
    const int fsMax = bytesPerValue == 1 ? 6 : bytesPerValue == 2 ? 14 : 25;
    const int rawBits = bytesPerValue == 1 ? 8 : bytesPerValue == 2 ? 16 : 32;
    const size_t first = size_t(bytesPerValue == 1 ? 1 : bytesPerValue == 2 ? 2 : 4);
    if (blockSize < 1 || tile.size() < first + 1) return false;
    size_t c = first;
    auto next = [&](uint32_t& byte) {
        if (c >= tile.size()) return false;
        byte = tile[c++];
        return true;
    };
    uint32_t b = 0, byte = 0;
    if (!next(b)) return false;
    int nbits = 8;
    for (uint64_t i = 0; i < pixels;) {
        nbits -= fsBits;
        while (nbits < 0) {
            if (!next(byte)) return false;
            b = (b << 8) | byte;
            nbits += 8;
        }
        const int fs = int(b >> nbits) - 1;
        b &= (uint32_t(1) << nbits) - 1;
        const uint64_t end = std::min(pixels, i + uint64_t(blockSize));
        if (fs < 0) {
            i = end;
        } else if (fs == fsMax) {
            for (; i < end; ++i) {
                int k = rawBits - nbits;
                for (k -= 8; k >= 0; k -= 8)
                    if (!next(b)) return false;
                if (nbits > 0) {
                    if (!next(b)) return false;
                    b &= (uint32_t(1) << nbits) - 1;
                } else {
                    b = 0;
                }
            }
        } else {
            for (; i < end; ++i) {
                while (b == 0) {
                    nbits += 8;
                    if (!next(b)) return false;
                }
                nbits = int(std::bit_width(b)) - 1;
                b ^= uint32_t(1) << nbits;
                nbits -= fs;
                while (nbits < 0) {
                    if (!next(byte)) return false;
                    b = (b << 8) | byte;
                    nbits += 8;
                }
                b &= (uint32_t(1) << nbits) - 1;
            }
        }
    }
    return true;
}

std::optional<std::string> TilesProblem(std::span<const uint8_t> file) {
    // Every HDU as CFITSIO walks them: a header up to END, then its data unit, padded.
    for (uint64_t at = 0; at < file.size();) {
        const auto header = THeader::At(file.subspan(size_t(at)));
        if (!header) break; // CFITSIO finds no HDU here either
        const auto unit = DataUnitOf(*header);
        if (!unit) break;
        const uint64_t start = at + header->Length();
        const uint64_t padded = (unit->Bytes + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
        const auto zimage = header->Value("ZIMAGE");
        if (header->Name(0) == "XTENSION" && zimage && zimage->Value == "T") {
            const std::span<const uint8_t> data =
                start < file.size()
                    ? file.subspan(size_t(start),
                                   size_t(std::min<uint64_t>(unit->Bytes, file.size() - start)))
                    : std::span<const uint8_t>();
            if (auto problem = TableProblem(*header, *unit, data)) return problem;
        }
        if (padded > file.size()) break;
        at = start + padded;
    }
    return std::nullopt;
}

} // namespace orv
