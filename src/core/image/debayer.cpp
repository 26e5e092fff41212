#include "core/image/debayer.h"

#include "core/base/file_io.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <type_traits>
#include <vector>

namespace orv {

namespace {

bool IsMosaic(const TImageDocument& doc) {
    return doc.Colour.Planes == 1 && doc.Colour.Pattern.has_value();
}

// The first row of 2 x 2 cells: cells are counted from the first stored row, which is the
// document's top row when the file stored its top row first.
int32_t FirstCellRow(const TColourLayout& layout, int32_t height) {
    return layout.TopDown && height % 2 != 0 ? 1 : 0;
}

template <typename In> struct TMosaic {
    const In* Raw;
    int32_t Width, Height;
    const TColourLayout& Layout;

    double At(int32_t x, int32_t y) const { return double(Raw[size_t(y) * size_t(Width) + size_t(x)]); }
};

// One pixel by the rule itself: the border of the fast loop, and the readout.
template <typename In> std::array<double, 3> BilinearPixel(const TMosaic<In>& m, int32_t x, int32_t y) {
    std::array<double, 3> sum{}, count{};
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t nx = x + dx, ny = y + dy;
            if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= m.Width || ny >= m.Height) continue;
            const size_t c = size_t(MosaicColour(m.Layout, nx, ny));
            sum[c] += m.At(nx, ny);
            count[c] += 1;
        }
    std::array<double, 3> v{};
    for (size_t c = 0; c < 3; ++c)
        v[c] = count[c] > 0 ? sum[c] / count[c] : 0;
    v[size_t(MosaicColour(m.Layout, x, y))] = m.At(x, y);
    return v;
}

template <typename In> std::array<double, 3> SuperpixelAt(const TMosaic<In>& m, int32_t x, int32_t y) {
    const int32_t x0 = 2 * x, y0 = 2 * y + FirstCellRow(m.Layout, m.Height);
    std::array<double, 3> v{};
    for (int32_t dy = 0; dy < 2; ++dy)
        for (int32_t dx = 0; dx < 2; ++dx) {
            const TChannel c = MosaicColour(m.Layout, x0 + dx, y0 + dy);
            v[size_t(c)] += c == TChannel::Green ? m.At(x0 + dx, y0 + dy) / 2 : m.At(x0 + dx, y0 + dy);
        }
    return v;
}

// Rows y0 .. y1 - 1 of the planes.
template <typename In, typename Out>
void BilinearRows(const TMosaic<In>& m, const std::array<Out*, 3>& out, int32_t y0, int32_t y1) {
    const int32_t w = m.Width, h = m.Height;
    const size_t stride = size_t(w);
    auto border = [&](int32_t x, int32_t y) {
        const std::array<double, 3> v = BilinearPixel(m, x, y);
        for (size_t c = 0; c < 3; ++c)
            out[c][size_t(y) * stride + size_t(x)] = Out(v[c]);
    };
    for (int32_t y = y0; y < y1; ++y) {
        if (y == 0 || y == h - 1 || w < 3) {
            for (int32_t x = 0; x < w; ++x)
                border(x, y);
            continue;
        }
        border(0, y);
        const In* row = m.Raw + size_t(y) * stride;
        const In* up = row + stride;
        const In* down = row - stride;
        const size_t at = size_t(y) * stride;
        Out* const r = out[0] + at;
        Out* const g = out[1] + at;
        Out* const b = out[2] + at;
        // The row's two colours at odd and even x; the rows above and below hold the other two.
        const TChannel first = MosaicColour(m.Layout, 1, y), second = MosaicColour(m.Layout, 2, y);
        const TChannel chroma = first == TChannel::Green ? second : first;
        Out* const own = chroma == TChannel::Red ? r : b;   // the row's red or blue
        Out* const other = chroma == TChannel::Red ? b : r; // the colour of the rows beside it
        auto green = [&](int32_t x) {
            g[x] = Out(row[x]);
            own[x] = (Out(row[x - 1]) + Out(row[x + 1])) * Out(0.5);
            other[x] = (Out(up[x]) + Out(down[x])) * Out(0.5);
        };
        auto notGreen = [&](int32_t x) {
            own[x] = Out(row[x]);
            g[x] = ((Out(row[x - 1]) + Out(row[x + 1])) + (Out(up[x]) + Out(down[x]))) * Out(0.25);
            other[x] =
                ((Out(up[x - 1]) + Out(up[x + 1])) + (Out(down[x - 1]) + Out(down[x + 1]))) * Out(0.25);
        };
        int32_t x = 1;
        if (first == TChannel::Green) {
            for (; x + 1 < w - 1; x += 2) {
                green(x);
                notGreen(x + 1);
            }
            if (x < w - 1) green(x);
        } else {
            for (; x + 1 < w - 1; x += 2) {
                notGreen(x);
                green(x + 1);
            }
            if (x < w - 1) notGreen(x);
        }
        border(w - 1, y);
    }
}

template <typename In, typename Out>
void SuperpixelRows(const TMosaic<In>& m, const std::array<Out*, 3>& out, TSize size, int32_t y0,
                    int32_t y1) {
    const int32_t first = FirstCellRow(m.Layout, m.Height);
    // Where red, blue and the two greens lie in every cell: row (0 or 1), column (0 or 1).
    std::array<std::pair<int32_t, int32_t>, 2> greens{};
    std::pair<int32_t, int32_t> red{}, blue{};
    size_t g = 0;
    for (int32_t dy = 0; dy < 2; ++dy)
        for (int32_t dx = 0; dx < 2; ++dx) {
            const TChannel c = MosaicColour(m.Layout, dx, first + dy);
            (c == TChannel::Red ? red : c == TChannel::Blue ? blue : greens[g++]) = {dy, dx};
        }
    const size_t w = size_t(m.Width);
    for (int32_t y = y0; y < y1; ++y) {
        const In* rows[2] = {m.Raw + size_t(first + 2 * y) * w, m.Raw + size_t(first + 2 * y + 1) * w};
        const In* r = rows[red.first] + red.second;
        const In* b = rows[blue.first] + blue.second;
        const In* g0 = rows[greens[0].first] + greens[0].second;
        const In* g1 = rows[greens[1].first] + greens[1].second;
        const size_t at = size_t(y) * size_t(size.Width);
        for (int32_t x = 0; x < size.Width; ++x) {
            out[0][at + size_t(x)] = Out(r[2 * x]);
            out[1][at + size_t(x)] = (Out(g0[2 * x]) + Out(g1[2 * x])) * Out(0.5);
            out[2][at + size_t(x)] = Out(b[2 * x]);
        }
    }
}

// Bilinear debayering in whole numbers, four times the values: the reals' sums and halves and
// quarters of 16-bit values are exact, so these are the planes' values times four.
void BilinearQuarterRows(const TMosaic<int16_t>& m, const TQuarterRow& rowOut, const TEdgePixel& edge) {
    const int32_t w = m.Width, h = m.Height;
    const size_t stride = size_t(w);
    std::vector<int32_t> buffer(3 * stride);
    const std::array<int32_t*, 3> q = {buffer.data(), buffer.data() + stride, buffer.data() + 2 * stride};
    const auto border = [&](int32_t x, int32_t y) {
        const std::array<double, 3> v = BilinearPixel(m, x, y);
        edge(x, y, {float(v[0]), float(v[1]), float(v[2])});
    };
    for (int32_t y = 0; y < h; ++y) {
        if (y == 0 || y == h - 1 || w < 3) {
            rowOut(y, {q[0], q[1], q[2]});
            for (int32_t x = 0; x < w; ++x)
                border(x, y);
            continue;
        }
        const int16_t* row = m.Raw + size_t(y) * stride;
        const int16_t* up = row + stride;
        const int16_t* down = row - stride;
        const TChannel first = MosaicColour(m.Layout, 1, y), second = MosaicColour(m.Layout, 2, y);
        const TChannel chroma = first == TChannel::Green ? second : first;
        int32_t* const g = q[1];
        int32_t* const own = chroma == TChannel::Red ? q[0] : q[2];
        int32_t* const other = chroma == TChannel::Red ? q[2] : q[0];
        // x = 1 and x = 2 stand for the odd and the even columns.
        const int32_t greenFrom = first == TChannel::Green ? 1 : 2, chromaFrom = 3 - greenFrom;
        for (int32_t x = greenFrom; x < w - 1; x += 2) {
            g[x] = 4 * int32_t(row[x]);
            own[x] = 2 * (int32_t(row[x - 1]) + int32_t(row[x + 1]));
            other[x] = 2 * (int32_t(up[x]) + int32_t(down[x]));
        }
        for (int32_t x = chromaFrom; x < w - 1; x += 2) {
            own[x] = 4 * int32_t(row[x]);
            g[x] = int32_t(row[x - 1]) + int32_t(row[x + 1]) + int32_t(up[x]) + int32_t(down[x]);
            other[x] = int32_t(up[x - 1]) + int32_t(up[x + 1]) + int32_t(down[x - 1]) + int32_t(down[x + 1]);
        }
        rowOut(y, {q[0], q[1], q[2]});
        border(0, y);
        border(w - 1, y);
    }
}

void SuperpixelQuarterRows(const TMosaic<int16_t>& m, TSize size, const TQuarterRow& rowOut) {
    const int32_t first = FirstCellRow(m.Layout, m.Height);
    std::vector<int32_t> buffer(3 * size_t(size.Width));
    const std::array<int32_t*, 3> q = {buffer.data(), buffer.data() + size.Width,
                                       buffer.data() + 2 * size.Width};
    for (int32_t y = 0; y < size.Height; ++y) {
        std::fill(buffer.begin(), buffer.end(), 0);
        for (int32_t dy = 0; dy < 2; ++dy)
            for (int32_t dx = 0; dx < 2; ++dx) {
                const TChannel c = MosaicColour(m.Layout, dx, first + dy);
                // Red and blue count four times; each green, two (half the cell's two).
                const int32_t weight = c == TChannel::Green ? 2 : 4;
                const int16_t* raw = m.Raw + size_t(first + 2 * y + dy) * size_t(m.Width) + size_t(dx);
                int32_t* out = q[size_t(c)];
                for (int32_t x = 0; x < size.Width; ++x)
                    out[x] += weight * int32_t(raw[2 * x]);
            }
        rowOut(y, {q[0], q[1], q[2]});
    }
}

// rows(y0, y1) over every row, in bands on several threads when the picture is large: each
// thread writes, and so is first to touch, the pages of its own band.
void OnBands(int32_t height, size_t pixels, const std::function<void(int32_t, int32_t)>& rows) {
    constexpr size_t kPixelsPerThread = size_t(1) << 20;
    const size_t threads = std::min<size_t>(std::thread::hardware_concurrency(), pixels / kPixelsPerThread);
    const int32_t bands =
        int32_t(std::max<size_t>(std::min<size_t>(threads, size_t(std::max(height, 0))), 1));
    std::vector<std::jthread> helpers;
    for (int32_t b = 1; b < bands; ++b)
        helpers.emplace_back(rows, int32_t(int64_t(height) * b / bands),
                             int32_t(int64_t(height) * (b + 1) / bands));
    rows(0, int32_t(height / bands));
}

// The mosaic's raw values, completed with zeros when the store holds fewer than the image has.
template <typename In> const In* RawValues(const TImageDocument& doc, std::vector<In>& padded) {
    const size_t n = size_t(doc.ImageWidth) * size_t(doc.ImageHeight);
    if (doc.PixelStore.size() >= n * sizeof(In)) return reinterpret_cast<const In*>(doc.PixelStore.data());
    padded.assign(n, In(0));
    std::memcpy(padded.data(), doc.PixelStore.data(), doc.PixelStore.size() / sizeof(In) * sizeof(In));
    return padded.data();
}

template <typename In, typename F> auto WithMosaic(const TImageDocument& doc, F&& f) {
    std::vector<In> padded;
    const TMosaic<In> m{RawValues<In>(doc, padded), doc.ImageWidth, doc.ImageHeight, doc.Colour};
    return f(m);
}

} // namespace

TSize ColourPictureSize(const TImageDocument& doc, TDebayer method) {
    if (IsMosaic(doc) && method == TDebayer::Superpixel) return {doc.ImageWidth / 2, doc.ImageHeight / 2};
    return {doc.ImageWidth, doc.ImageHeight};
}

bool MakeColourPlanes(const TImageDocument& doc, TDebayer method, TColourPlanes& planes) {
    const int bytes = BytesPerPixel(doc.PixelType);
    planes.Channels = {};
    if (bytes == 0 || doc.ImageWidth <= 0 || doc.ImageHeight <= 0) return false;
    if (doc.Colour.Planes == 3) {
        const size_t plane = size_t(doc.ImageWidth) * size_t(doc.ImageHeight) * size_t(bytes);
        const std::span<const uint8_t> store(doc.PixelStore);
        for (size_t c = 0; c < 3; ++c) {
            const size_t at = std::min(store.size(), c * plane);
            planes.Channels[c] = {doc.PixelType, doc.ImageWidth, doc.ImageHeight,
                                  store.subspan(at, std::min(plane, store.size() - at))};
        }
        return true;
    }
    if (!IsMosaic(doc) || method == TDebayer::None) return false;
    const TSize size = ColourPictureSize(doc, method);
    VisitValueType(doc.PixelType, [&](auto zero) {
        using In = decltype(zero);
        using Out =
            std::conditional_t<std::is_same_v<In, int16_t> || std::is_same_v<In, float>, float, double>;
        const size_t n = size_t(size.Width) * size_t(size.Height);
        const size_t need = std::max<size_t>(3 * n * sizeof(Out), 1);
        if (!planes.Owner || planes.Owner.use_count() != 1 || planes.OwnedBytes < need) {
            planes.Owner.reset(); // the old memory goes back before the new is taken
            planes.Owner = LargeBlock(need);
            planes.OwnedBytes = need;
        }
        Out* const base = reinterpret_cast<Out*>(planes.Owner.get());
        const std::array<Out*, 3> out = {base, base + n, base + 2 * n};
        WithMosaic<In>(doc, [&](const TMosaic<In>& m) {
            OnBands(size.Height, n, [&](int32_t y0, int32_t y1) {
                if (method == TDebayer::Superpixel)
                    SuperpixelRows(m, out, size, y0, y1);
                else
                    BilinearRows(m, out, y0, y1);
            });
            return 0;
        });
        const uint8_t type = sizeof(Out) == 4 ? kPixelReal32 : kPixelReal64;
        for (size_t c = 0; c < 3; ++c)
            planes.Channels[c] = {
                type, size.Width, size.Height,
                std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(out[c]), n * sizeof(Out))};
    });
    return true;
}

bool DebayerQuarters(const TImageDocument& doc, TDebayer method, const TQuarterRow& row,
                     const TEdgePixel& edge) {
    if (!IsMosaic(doc) || method == TDebayer::None || doc.PixelType != kPixelInt16 || doc.ImageWidth <= 0 ||
        doc.ImageHeight <= 0)
        return false;
    WithMosaic<int16_t>(doc, [&](const TMosaic<int16_t>& m) {
        if (method == TDebayer::Superpixel)
            SuperpixelQuarterRows(m, ColourPictureSize(doc, method), row);
        else
            BilinearQuarterRows(m, row, edge);
        return 0;
    });
    return true;
}

std::optional<TColourPlanes> ColourPlanesOf(const TImageDocument& doc, TDebayer method) {
    TColourPlanes planes;
    if (!MakeColourPlanes(doc, method, planes)) return std::nullopt;
    return planes;
}

std::array<double, 3> ColourPixel(const TImageDocument& doc, TDebayer method, int32_t x, int32_t y) {
    std::array<double, 3> v{};
    if (doc.Colour.Planes == 3) {
        const std::optional<TColourPlanes> planes = ColourPlanesOf(doc, method);
        const size_t k = size_t(y) * size_t(doc.ImageWidth) + size_t(x);
        for (size_t c = 0; c < 3; ++c)
            VisitValueType(doc.PixelType, [&](auto zero) {
                using T = decltype(zero);
                if (k < planes->Channels[c].Count()) v[c] = double(PlaneValue<T>(planes->Channels[c], k));
            });
        return v;
    }
    VisitValueType(doc.PixelType, [&](auto zero) {
        using In = decltype(zero);
        v = WithMosaic<In>(doc, [&](const TMosaic<In>& m) {
            return method == TDebayer::Superpixel ? SuperpixelAt(m, x, y) : BilinearPixel(m, x, y);
        });
    });
    return v;
}

} // namespace orv
