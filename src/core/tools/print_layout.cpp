#include "core/tools/print_layout.h"

#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"

#include <algorithm>
#include <limits>

namespace orv {

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

int32_t Rounded(double v) {
    return RoundClamped(v, kInt32Min, kInt32Max);
}

int32_t Times(int32_t factor, int32_t size) {
    const int64_t product = int64_t{factor} * size;
    return static_cast<int32_t>(std::clamp<int64_t>(product, kInt32Min, kInt32Max));
}

// A printer that reports a page without area gets an empty sheet rather than a division
// by zero.
bool HasArea(TSize page) {
    return page.Width > 0 && page.Height > 0;
}

} // namespace

int32_t PrintFactor(const std::string& text) {
    int32_t factor = kMinPrintFactor;
    try {
        factor = StrToInt(text);
    } catch (const EConvertError&) {
        return kMinPrintFactor;
    }
    return std::clamp(factor, kMinPrintFactor, kMaxPrintFactor);
}

TSize PrintSize(int32_t factor, TSize control) {
    return {Times(factor, control.Width), Times(factor, control.Height)};
}

TRectangle PrintRectangle(int32_t factor, TSize control) {
    const TSize size = PrintSize(factor, control);
    return {0, 0, size.Width, size.Height};
}

TSize SheetOnShow(TOrientation orientation, TSize page) {
    if (!HasArea(page)) return {};
    const double w = page.Width, h = page.Height;
    if (orientation == TOrientation::Portrait) return {Rounded(w / h * 100), kPreviewSide};
    return {kPreviewSide, Rounded(h / w * 100)};
}

TSize SheetOnChoice(TOrientation orientation, TSize page) {
    if (!HasArea(page)) return {};
    const double w = page.Width, h = page.Height;
    if (orientation == TOrientation::Portrait) return {Rounded(w * 100 / h), kPreviewSide};
    return {kPreviewSide, Rounded(h * 100 / w)};
}

TPreview PreviewLayout(TOrientation orientation, TSize sheet, TSize page, TSize printed) {
    const bool portrait = orientation == TOrientation::Portrait;
    const int32_t across = portrait ? page.Height : page.Width;
    const double scale = across > 0 ? 100.0 / across : 0.0;
    TPreview p;
    p.Sheet = {0, 0, sheet.Width, sheet.Height};
    p.Picture = {0, 0, Rounded(printed.Width * scale), Rounded(printed.Height * scale)};
    // Portrait sheets are full height and leave a strip at the right; landscape ones are full
    // width and leave a strip at the bottom.
    p.Strip = portrait ? TRectangle{std::clamp(sheet.Width, 0, kPreviewSide), 0, kPreviewSide, kPreviewSide}
                       : TRectangle{0, std::clamp(sheet.Height, 0, kPreviewSide), kPreviewSide, kPreviewSide};
    const int32_t shownWidth = portrait ? p.Strip.Left : kPreviewSide;
    const int32_t shownHeight = portrait ? kPreviewSide : p.Strip.Top;
    p.Visible = {std::clamp(p.Picture.Right, 0, shownWidth), std::clamp(p.Picture.Bottom, 0, shownHeight)};
    return p;
}

} // namespace orv
