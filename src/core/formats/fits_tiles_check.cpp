#include "core/formats/fits_tiles_check.h"

#include "core/formats/fits_card.h"
#include "core/formats/fits_hdu.h"
#include "core/formats/fits_tile_streams.h"
#include "core/formats/gzip_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

namespace orv {

namespace {

// CFITSIO decodes images of at most this many axes.
constexpr int64_t kMaxTileAxes = 6;

const char* const kUnreadableHeader = "en-tête compressé illisible";
const char* const kUnreadableTable = "table des tuiles illisible";

bool IsPrintable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

// A whole number; a real is cut toward zero, as CFITSIO reads a real card into an integer.
std::optional<int64_t> WholeNumber(const TCardText& card) {
    if (card.Quoted) return std::nullopt;
    const std::string& v = card.Value;
    const char* begin = v.data() + (v.starts_with('+') ? 1 : 0);
    const char* last = v.data() + v.size();
    int64_t n = 0;
    if (const auto [end, error] = std::from_chars(begin, last, n); error == std::errc() && end == last)
        return n;
    const std::optional<double> real = [&]() -> std::optional<double> {
        double x = 0;
        const auto [end, error] = std::from_chars(begin, last, x);
        if (error != std::errc() || end != last || !(std::fabs(x) < 4e18)) return std::nullopt;
        return x;
    }();
    if (!real) return std::nullopt;
    return int64_t(*real);
}

// One HDU's header: its cards up to END. The cards CFITSIO reads for the tiles are found here
// as it finds them, and written again from the values read, so that it reads what was checked:
// a string closed, a number as a number, each keyword once.
class THeader {
  public:
    // Nothing when the bytes hold no END card.
    static std::optional<THeader> At(std::span<uint8_t> bytes) {
        for (size_t k = 0; (k + 1) * kFitsCardSize <= bytes.size(); ++k)
            if (std::memcmp(bytes.data() + k * kFitsCardSize, "END     ", kFitsKeywordSize) == 0)
                return THeader(bytes, k);
        return std::nullopt;
    }

    // Bytes of the header, to the end of the block that holds END.
    size_t Length() const { return (count_ * kFitsCardSize / kFitsBlockSize + 1) * kFitsBlockSize; }
    // A card that could not be read or written as the program reads it, or a keyword twice.
    bool Bad() const { return bad_; }

    std::string Name(size_t k) const {
        return k < count_ ? TrimBlanks(Card(k).substr(0, kFitsKeywordSize)) : "";
    }
    TCardText ValueAt(size_t k) const { return ParseCardRest(Card(k).substr(kFitsKeywordSize)); }

    // The card of a name (nothing when there is none); the header is bad when it is there twice.
    std::optional<size_t> Find(const std::string& name) {
        std::optional<size_t> found;
        for (size_t k = 0; k < count_; ++k) {
            if (Name(k) != name) continue;
            if (found) bad_ = true;
            found = k;
        }
        return found;
    }

    // The card's value written again as the card holds it; nothing (and a bad header) when it
    // is not of that kind.
    std::optional<int64_t> IntegerAt(size_t k) {
        const auto v = WholeNumber(ValueAt(k));
        if (!v) return Fail<int64_t>();
        Write(k, FitsIntegerCard(Name(k), *v, ""));
        return v;
    }
    std::optional<std::string> StringAt(size_t k) {
        const TCardText v = ValueAt(k);
        if (!v.Quoted || v.Value.size() > kFitsMaxStringText || !IsPrintable(v.Value))
            return Fail<std::string>();
        Write(k, FitsStringCard(Name(k), v.Value, ""));
        return v.Value;
    }
    std::optional<bool> LogicalAt(size_t k) {
        const TCardText v = ValueAt(k);
        if (v.Quoted || (v.Value != "T" && v.Value != "F")) return Fail<bool>();
        Write(k, FitsLogicalCard(Name(k), v.Value == "T", ""));
        return v.Value == "T";
    }
    std::optional<double> RealAt(size_t k) {
        const TCardText v = ValueAt(k);
        double x = 0;
        const char* last = v.Value.data() + v.Value.size();
        const auto [end, error] = std::from_chars(v.Value.data(), last, x);
        if (v.Quoted || error != std::errc() || end != last || !std::isfinite(x)) return Fail<double>();
        Write(k, FitsRealCard(Name(k), x, ""));
        return x;
    }

    // The same, by name.
    std::optional<int64_t> Integer(const std::string& name) {
        const auto k = Find(name);
        return k ? IntegerAt(*k) : std::nullopt;
    }
    std::optional<std::string> String(const std::string& name) {
        const auto k = Find(name);
        return k ? StringAt(*k) : std::nullopt;
    }
    std::optional<bool> Logical(const std::string& name) {
        const auto k = Find(name);
        return k ? LogicalAt(*k) : std::nullopt;
    }
    std::optional<double> Real(const std::string& name) {
        const auto k = Find(name);
        return k ? RealAt(*k) : std::nullopt;
    }

  private:
    THeader(std::span<uint8_t> bytes, size_t count) : bytes_(bytes), count_(count) {}
    std::string_view Card(size_t k) const {
        return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + k * kFitsCardSize,
                                kFitsCardSize);
    }
    void Write(size_t k, const std::string& card) {
        std::memcpy(bytes_.data() + k * kFitsCardSize, card.data(), kFitsCardSize);
    }
    template <typename T> std::optional<T> Fail() {
        bad_ = true;
        return std::nullopt;
    }

    std::span<uint8_t> bytes_;
    size_t count_ = 0;
    bool bad_ = false;
};

// The sizes CFITSIO reads from the required cards in their places.
struct TDataUnit {
    std::vector<int64_t> Axes;
    int64_t Pcount = 0;
    uint64_t Bytes = 0; // without the padding
};

std::optional<int64_t> Required(THeader& h, size_t k, const std::string& name) {
    if (h.Name(k) != name) return std::nullopt;
    h.Find(name); // once only
    return h.IntegerAt(k);
}

std::optional<TDataUnit> DataUnitOf(THeader& h) {
    TDataUnit u;
    const bool extension = h.Name(0) == "XTENSION";
    if (!extension && h.Name(0) != "SIMPLE") return std::nullopt;
    const auto bitpix = Required(h, 1, "BITPIX");
    const auto naxis = Required(h, 2, "NAXIS");
    if (!bitpix || !naxis || *naxis < 0 || *naxis > 999) return std::nullopt;
    if (*bitpix != 8 && *bitpix != 16 && *bitpix != 32 && *bitpix != 64 && *bitpix != -32 && *bitpix != -64)
        return std::nullopt;
    for (int64_t i = 0; i < *naxis; ++i) {
        const auto n = Required(h, size_t(3 + i), "NAXIS" + std::to_string(i + 1));
        if (!n || *n < 0) return std::nullopt;
        u.Axes.push_back(*n);
    }
    int64_t gcount = 1;
    const size_t next = size_t(3 + *naxis);
    const bool groups = !extension && !u.Axes.empty() && u.Axes[0] == 0;
    if (extension) {
        const auto pcount = Required(h, next, "PCOUNT");
        const auto g = Required(h, next + 1, "GCOUNT");
        if (!pcount || !g) return std::nullopt;
        u.Pcount = *pcount;
        gcount = *g;
    } else if (groups) {
        // Random groups: NAXIS1 is 0, the sizes are PCOUNT and GCOUNT wherever they are.
        u.Pcount = h.Integer("PCOUNT").value_or(0);
        gcount = h.Integer("GCOUNT").value_or(1);
    }
    if (h.Bad() || u.Pcount < 0 || gcount < 0) return std::nullopt;
    if (u.Axes.empty()) return u;
    uint64_t values = 1;
    for (size_t i = groups ? 1 : 0; i < u.Axes.size(); ++i)
        if (__builtin_mul_overflow(values, uint64_t(u.Axes[i]), &values)) return std::nullopt;
    if (__builtin_add_overflow(values, uint64_t(u.Pcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(gcount), &values) ||
        __builtin_mul_overflow(values, uint64_t(std::abs(*bitpix) / 8), &u.Bytes))
        return std::nullopt;
    return u;
}

// A binary table field: its bytes in a row, its type letter, and for a descriptor (P, Q) the
// letter of its elements ("1PB(20)", "8A", "J").
struct TField {
    uint64_t Bytes = 0;
    char Type = 0;
    char Element = 0;
};

std::optional<TField> FieldOf(const std::string& form) {
    size_t i = 0;
    uint64_t repeat = 0;
    while (i < form.size() && form[i] >= '0' && form[i] <= '9') {
        if (repeat > (uint64_t(1) << 40)) return std::nullopt;
        repeat = repeat * 10 + uint64_t(form[i++] - '0');
    }
    if (i == 0) repeat = 1;
    if (i >= form.size()) return std::nullopt;
    TField f;
    f.Type = form[i];
    f.Element = i + 1 < form.size() ? form[i + 1] : ' ';
    switch (f.Type) {
    case 'L':
    case 'B':
    case 'A':
        f.Bytes = repeat;
        break;
    case 'X':
        f.Bytes = (repeat + 7) / 8;
        break;
    case 'I':
        f.Bytes = repeat * 2;
        break;
    case 'J':
    case 'E':
        f.Bytes = repeat * 4;
        break;
    case 'K':
    case 'D':
    case 'C':
        f.Bytes = repeat * 8;
        break;
    case 'M':
        f.Bytes = repeat * 16;
        break;
    case 'P':
    case 'Q':
        if (repeat > 1) return std::nullopt;
        f.Bytes = repeat * (f.Type == 'P' ? 8 : 16);
        if (!std::strchr("LXBIJKAEDCM", f.Element)) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    return f;
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
    case 'C':
        return 8;
    case 'M':
        return 16;
    default:
        return 1;
    }
}

// The tiles of a compressed image: how many along each axis, and the pixels of one of them.
class TTiling {
  public:
    // Nothing when the header's axes are unreadable.
    static std::optional<TTiling> Of(THeader& h) {
        const auto axes = h.Integer("ZNAXIS");
        const auto bitpix = h.Integer("ZBITPIX");
        if (!axes || *axes < 1 || *axes > kMaxTileAxes || !bitpix) return std::nullopt;
        if (*bitpix != 8 && *bitpix != 16 && *bitpix != 32 && *bitpix != 64 && *bitpix != -32 &&
            *bitpix != -64)
            return std::nullopt;
        TTiling t;
        t.bytesPerValue_ = uint64_t(std::abs(*bitpix) / 8);
        for (int64_t i = 0; i < *axes; ++i) {
            const std::string n = std::to_string(i + 1);
            const auto size = h.Integer("ZNAXIS" + n);
            const auto tile = h.Integer("ZTILE" + n);
            const int64_t s = size.value_or(0), z = tile.value_or(i == 0 ? s : 1);
            if (s < 1 || z < 1 || s > INT32_MAX || __builtin_mul_overflow(t.pixels_, uint64_t(s), &t.pixels_))
                return std::nullopt;
            t.size_.push_back(s);
            t.tile_.push_back(std::min(z, s));
            t.count_.push_back((s + t.tile_.back() - 1) / t.tile_.back());
        }
        t.tiles_ = 1;
        for (int64_t c : t.count_)
            t.tiles_ *= uint64_t(c); // no more than the pixels
        return t;
    }

    // Whether the image is larger than a file of fileBytes could inflate to: CFITSIO's buffers
    // follow its size.
    bool TooLargeFor(uint64_t fileBytes) const {
        return pixels_ > kFitsMaxPixels || pixels_ * bytesPerValue_ > MaxInflatedBytes(fileBytes);
    }
    // "width x height", as a refusal names it.
    std::string SizeText() const {
        return std::to_string(size_[0]) + "x" + std::to_string(size_.size() > 1 ? size_[1] : 1);
    }
    uint64_t Count() const { return tiles_; }
    // Tile k's pixels: whole tiles, less at the far edge of each axis.
    uint64_t Pixels(uint64_t k) const {
        uint64_t pixels = 1;
        for (size_t i = 0; i < size_.size(); ++i) {
            const int64_t at = int64_t(k % uint64_t(count_[i]));
            k /= uint64_t(count_[i]);
            pixels *= uint64_t(std::min(tile_[i], size_[i] - at * tile_[i]));
        }
        return pixels;
    }

  private:
    std::vector<int64_t> size_, tile_, count_;
    uint64_t tiles_ = 0, pixels_ = 1, bytesPerValue_ = 0;
};

// The compression and its parameters.
struct TCoding {
    std::string Type;
    std::string Name;          // as a message names it
    int64_t BlockSize = 32;    // Rice
    int64_t BytesPerValue = 4; // Rice
};

std::optional<TCoding> CodingOf(THeader& h) {
    TCoding c;
    const auto type = h.String("ZCMPTYPE");
    static const char* const kTypes[] = {"RICE_1",      "RICE_ONE", "GZIP_1",    "GZIP_2",
                                         "HCOMPRESS_1", "PLIO_1",   "NOCOMPRESS"};
    if (!type ||
        std::none_of(std::begin(kTypes), std::end(kTypes), [&](const char* t) { return *type == t; }))
        return std::nullopt;
    c.Type = *type == "RICE_ONE" ? "RICE_1" : *type;
    c.Name = c.Type == "RICE_1" ? "Rice" : c.Type.substr(0, c.Type.find('_'));
    static const char* const kNames[] = {"BLOCKSIZE", "BYTEPIX", "SCALE", "SMOOTH", "NOISEBIT"};
    for (int i = 1; i <= 999; ++i) {
        const std::string n = std::to_string(i);
        if (!h.Find("ZNAME" + n)) break;
        const auto name = h.String("ZNAME" + n);
        const auto value = h.Real("ZVAL" + n);
        if (!name || !value ||
            std::none_of(std::begin(kNames), std::end(kNames), [&](const char* k) { return *name == k; }))
            return std::nullopt;
        if (!(std::fabs(*value) < 4e18)) return std::nullopt;
        if (*name == "BLOCKSIZE") c.BlockSize = int64_t(*value);
        if (*name == "BYTEPIX") c.BytesPerValue = int64_t(*value);
    }
    return c;
}

struct TColumn {
    TField Field;
    uint64_t Offset = 0;
    std::string Name; // upper case
};

// A compressed image's tile table as its header describes it.
struct TTileTable {
    uint64_t RowBytes = 0, Rows = 0, HeapStart = 0;
    std::vector<TColumn> Columns;
    TTiling Tiling;
    TCoding Coding;
};

// The table of a compressed image, from its header alone (nothing when CFITSIO decodes no
// tile). What is wrong with it goes to check.Problem, an image larger than the file could
// hold to check.TooLarge.
std::optional<TTileTable> ReadTileTable(THeader& h, const TDataUnit& unit, uint64_t fileBytes,
                                        TTilesCheck& check) {
    auto fail = [&](const char* problem) {
        check.Problem = problem;
        return std::nullopt;
    };
    if (unit.Axes.size() != 2) return fail(kUnreadableTable);
    TTileTable t;
    t.RowBytes = uint64_t(unit.Axes[0]);
    t.Rows = uint64_t(unit.Axes[1]);
    const auto heap = h.Integer("THEAP");
    if (heap && *heap < 0) return fail(kUnreadableTable);
    t.HeapStart = heap ? uint64_t(*heap) : t.RowBytes * t.Rows; // within the unit's size
    const auto compressed = h.Logical("ZIMAGE");
    if (!compressed) return fail(kUnreadableHeader);
    if (!*compressed) return std::nullopt;

    // The columns: where each lies in a row, and which holds the compressed tiles.
    const auto fields = h.Integer("TFIELDS");
    if (!fields || *fields < 0 || *fields > 999) return fail(kUnreadableTable);
    uint64_t offset = 0;
    for (int64_t n = 1; n <= *fields; ++n) {
        const auto form = h.String("TFORM" + std::to_string(n));
        const auto field = form ? FieldOf(*form) : std::nullopt;
        if (!field) return fail(kUnreadableTable);
        const std::string type = "TTYPE" + std::to_string(n);
        const auto name = h.Find(type) ? h.String(type) : std::string();
        t.Columns.push_back({*field, offset, Upper(name.value_or(""))});
        offset += field->Bytes;
        if (offset > t.RowBytes) return fail(kUnreadableTable);
    }
    const auto tiling = TTiling::Of(h);
    const auto coding = CodingOf(h);
    if (!tiling || !coding || h.Bad()) return fail(kUnreadableHeader);
    t.Tiling = *tiling;
    t.Coding = *coding;
    // A row for each tile, as CFITSIO requires; then no image larger than the file.
    if (t.Rows < t.Tiling.Count()) return fail("structure du fichier illisible");
    if (t.Tiling.TooLargeFor(fileBytes)) {
        check.TooLarge = t.Tiling.SizeText();
        return std::nullopt;
    }
    return t;
}

// The problem of a tile table's tiles, or nothing. `unit` is the whole data unit.
std::optional<std::string> TilesProblem(const TTileTable& t, std::span<const uint8_t> unit) {
    // Every descriptor in the heap; the compressed tiles as their decoder reads them.
    const uint64_t heapBytes = unit.size() - std::min<uint64_t>(unit.size(), t.HeapStart);
    const TCoding& coding = t.Coding;
    for (const TColumn& c : t.Columns) {
        if (c.Field.Type != 'P' && c.Field.Type != 'Q') continue;
        // CFITSIO reads the tiles' elements as bytes, or as words for PLIO: no other kind.
        const bool words = coding.Type == "PLIO_1";
        if (c.Name == "COMPRESSED_DATA" && !coding.Type.starts_with("GZIP") &&
            c.Field.Element != (words ? 'I' : 'B'))
            return kUnreadableTable;
        const int width = c.Field.Type == 'P' ? 4 : 8;
        for (uint64_t row = 0; row < t.Rows; ++row) {
            const uint8_t* d = unit.data() + row * t.RowBytes + c.Offset;
            const uint64_t elements = BigEndian(d, width), at = BigEndian(d + width, width);
            if (elements == 0) continue;
            const uint64_t bytes = elements * uint64_t(ElementBytes(c.Field.Element));
            if (elements > heapBytes || at > heapBytes || bytes > heapBytes - at)
                return std::string("tuile hors du fichier");
            if (row >= t.Tiling.Count()) continue;
            const uint64_t pixels = t.Tiling.Pixels(row);
            const auto tile = unit.subspan(size_t(t.HeapStart + at), size_t(bytes));
            if (c.Name == "UNCOMPRESSED_DATA" && elements > pixels) return std::string("tuile trop grande");
            if (c.Name != "COMPRESSED_DATA") continue;
            bool fits = true;
            if (coding.Type == "RICE_1")
                fits = RiceTileFits(tile, pixels, coding.BlockSize, coding.BytesPerValue);
            else if (coding.Type == "HCOMPRESS_1")
                fits = HcompressTileFits(tile, pixels);
            else if (coding.Type.starts_with("GZIP"))
                fits = GzipTileFits(tile, pixels * 8);
            else if (words) {
                std::vector<int16_t> list(static_cast<size_t>(elements));
                for (size_t i = 0; i < list.size(); ++i)
                    list[i] = int16_t(BigEndian(tile.data() + 2 * i, 2));
                fits = PlioTileFits(list);
            }
            if (!fits) return "tuile " + coding.Name + " incorrecte";
        }
    }
    return std::nullopt;
}

} // namespace

TTilesCheck CheckTiles(std::span<uint8_t> file) {
    // Every HDU as CFITSIO walks them: a header up to END, then its data unit, padded.
    TTilesCheck check;
    while (check.Length < file.size()) {
        auto header = THeader::At(file.subspan(check.Length));
        if (!header) break;
        const auto unit = DataUnitOf(*header);
        if (!unit) break;
        const uint64_t start = check.Length + header->Length();
        std::optional<TTileTable> table;
        if (header->Name(0) == "XTENSION" && header->Find("ZIMAGE")) {
            table = ReadTileTable(*header, *unit, file.size(), check);
            if (check.Problem || !check.TooLarge.empty()) break;
        }
        if (start > file.size() || unit->Bytes > file.size() - start) {
            check.Problem = "fichier tronqué";
            break;
        }
        if (table) {
            check.Problem = TilesProblem(*table, file.subspan(size_t(start), size_t(unit->Bytes)));
            if (check.Problem) break;
        }
        const uint64_t padded = (unit->Bytes + kFitsBlockSize - 1) / kFitsBlockSize * kFitsBlockSize;
        check.Length = size_t(std::min<uint64_t>(start + padded, file.size()));
    }
    return check;
}

} // namespace orv
